// The world: the two cell grids, the rule set and the topology.
// Written only by the procedures declared here (world.cpp, step.cpp, commands.cpp); the
// display and the input handling read these variables and call these procedures.
// etat_change is set by whoever draws the world, before the first change of etat.
#pragma once

enum { LARGEUR = 640, HAUTEUR = 480 };  // playfield size, one cell per screen pixel

// A grid is [x][y], x major; the playfield is x = 1..640, y = 1..480, and
// column 0 and row 0 are a border that always holds 0.
extern int ncel[LARGEUR + 1][HAUTEUR + 1];  // the shown world, written by every command and the step
extern int acel[LARGEUR + 1][HAUTEUR + 1];  // the snapshot taken by photo and read by vivre
extern int etat;         // number of cell states, 2..16: 0 dead, etat-1 alive, etat fresh
extern int r_survie[9];  // survival table, by number of alive neighbours: 0 or 1
extern int r_vie[9];     // birth table, by number of alive neighbours: 0 or 1
extern int tore;         // 1: the playfield wraps round (torus); 0: bounded, outside is dead
extern void (*etat_change)();  // called whenever etat is set anew (initconway, reglehazard,
                                // cycle_etats): the drawing's palette follows it; nothing at first

// Whole-grid procedures walk x = 1..640 outer, y = 1..480 inner (vivre walks as is
// fastest: its result does not depend on the order).
void reset();       // every playfield cell of both grids becomes 0
void hazard();      // reset, then one rand() per cell: 9 in 100 become etat (fresh) in ncel
void initconway();  // Conway's rule with 2 states, then etat_change; grids and tore untouched
void photo();       // acel = ncel
void vivre();       // next generation from the snapshot into ncel, acel kept; must follow photo
                    // directly, as it reads the snapshot from ncel itself where that is faster

void plein();        // every playfield cell of both grids becomes etat (fresh)
void inverse();      // in both grids: 0 becomes 1, anything else 0
void reglehazard();  // 27 rand() draws: new tables and etat 2..10, then etat_change
void cycle_etats();  // etat + 1, 16 wraps to 2, then etat_change
void bascule_survie(int n);  // toggles r_survie[n], n = 0..8
void bascule_vie(int n);     // toggles r_vie[n], n = 0..8
void bascule_tore();         // toggles tore
void peindre(int x, int y);  // playfield cell (x, y) of ncel becomes alive
void gommer(int x, int y);   // playfield cell (x, y) of ncel becomes dead
