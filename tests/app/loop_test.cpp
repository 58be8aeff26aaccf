// Pacing and the drawing stages of a frame.
#include <chrono>
#include <csignal>
#include <thread>

#include "headless.h"

namespace {

using Pacing = Headless;

// A fresh cell turns alive at the next generation, whatever surrounds it.
void germe() { ncel[100][100] = etat; }
bool genere() { return ncel[100][100] == etat - 1; }

TEST_F(Pacing, OneGenerationOnlyWhenRunningAndTicked) {
    germe();
    vie = 1;
    tick = 0;
    cadence();
    EXPECT_FALSE(genere()) << "no tick, no generation";
    vie = 0;
    temps();
    EXPECT_EQ(tick, 1);
    cadence();
    EXPECT_FALSE(genere()) << "paused";
    EXPECT_EQ(tick, 1) << "a paused world leaves the tick for later";
    vie = 1;
    cadence();
    EXPECT_TRUE(genere());
    EXPECT_EQ(tick, 0);
}

TEST_F(Pacing, TicksMergeIntoOneGeneration) {
    vie = 1;
    reference::clignotant();
    temps();
    temps();
    temps();
    cadence();
    cadence();
    EXPECT_TRUE(reference::debout()) << "exactly one generation";
}

// The loop draws a frame when the screen's watch, the input stage or the pacing says
// the picture may have changed (image_due), and otherwise rests.
TEST_F(Pacing, AFrameIsDrawnOnlyWhenThePictureMayHaveChanged) {
    EXPECT_TRUE(image_due()) << "the first input stage asks for a picture";
    EXPECT_FALSE(image_due()) << "nothing happened";
    temps();
    EXPECT_FALSE(image_due()) << "a tick while paused";
    EXPECT_EQ(tick, 1);
    vie = 1;
    EXPECT_TRUE(image_due()) << "a tick consumed";
    EXPECT_FALSE(image_due()) << "running, no tick";

    key[KEY_A] = 1;  // bound to nothing
    EXPECT_FALSE(image_due()) << "a key that does nothing";
    key[KEY_A] = 0;
    key[KEY_F6] = 1;  // a level key acts in every frame it is held
    EXPECT_TRUE(image_due()) << "a level key pressed";
    EXPECT_TRUE(image_due()) << "a level key held";
    key[KEY_F6] = 0;
    EXPECT_FALSE(image_due());
    touche_frappee(KEY_A | 0x80);
    EXPECT_TRUE(image_due()) << "a key went down and up between two input stages";
    EXPECT_FALSE(image_due());

    mouse_x = 321;
    EXPECT_TRUE(image_due()) << "the pointer moved";
    EXPECT_FALSE(image_due());
    vie = 0;
    mouse_b = 1;
    EXPECT_TRUE(image_due()) << "a button pressed";
    EXPECT_EQ(ncel[322][241], 1);
    EXPECT_FALSE(image_due()) << "a button held still over a painted cell";
    mouse_b = 0;
    EXPECT_TRUE(image_due()) << "a button released";
    EXPECT_FALSE(image_due());
    retour_ecran();
    EXPECT_TRUE(image_due()) << "the display came back from a switch away";
    EXPECT_FALSE(image_due());
}

// A button held still over a cell that every generation changes back: each frame
// that repaints or re-erases it is drawn, the frames between ticks are not.
// periode: frames per tick (1 at 10 ms, about 50 at 500 ms).
void bouton_tenu(int bouton, int avant_tick, int apres_tick, int periode) {
    mouse_x = mouse_y = 200;
    mouse_b = bouton;
    vie = 1;
    image_due();
    for (int t = 0; t < 3; t++) {
        temps();
        EXPECT_TRUE(image_due()) << "a generation";
        EXPECT_EQ(ncel[201][201], apres_tick) << "the generation undid the button";
        EXPECT_TRUE(image_due()) << "the button changed the cell again";
        EXPECT_EQ(ncel[201][201], avant_tick);
        for (int i = 1; i < periode; i++) ASSERT_FALSE(image_due()) << "nothing changed, frame " << i;
    }
}

TEST_F(Pacing, AHeldStillButtonShowsTheCellItKeepsChanging) {
    for (int periode : {1, 50}) {
        etat_initial();
        bouton_tenu(1, 1, 0, periode);  // a lone live cell dies in each generation
        etat_initial();
        inverse();  // every cell alive; they survive with 7 or 8 neighbours, the erased one is born
        r_survie[7] = r_survie[8] = r_vie[8] = 1;
        bouton_tenu(2, 0, 1, periode);
    }
}

// The loop's rest ends soon after each kind of event, from whichever thread it comes,
// and otherwise lasts until the time it was given.
TEST_F(Pacing, TheLoopRestsUntilSomethingHappens) {
    const struct {
        const char *quoi;
        void (*evenement)();
        int vie;
        bool reveille;
    } cas[] = {
        {"a key", [] { touche_frappee(KEY_A); }, 0, true},
        {"a key released", [] { touche_frappee(KEY_A | 0x80); }, 0, true},
        {"the pointer or a button", [] { souris_bougee(MOUSE_FLAG_MOVE); }, 0, true},
        {"the display back", [] { retour_ecran(); }, 0, true},
        {"a tick, running", [] { temps(); }, 1, true},
        {"a close request or Escape", [] { fermeture(); }, 0, true},
        {"a signal", [] { signal_de_fin(SIGTERM); }, 0, true},
        {"a tick, paused", [] { temps(); }, 0, false},
        {"nothing", [] {}, 0, false},
    };
    const long long attente = 300000;
    for (auto &c : cas) {
        vie = c.vie, tick = 0, sortie = -1;
        attend_reveil(0);  // what earlier tests left
        std::thread autre([&c] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            c.evenement();
        });
        const long long debut = maintenant();
        const bool reveille = repos(debut + attente);
        const long long duree = maintenant() - debut;
        autre.join();
        EXPECT_EQ(reveille, c.reveille) << c.quoi;
        if (c.reveille)
            EXPECT_LT(duree, attente / 2) << c.quoi;
        else
            EXPECT_GE(duree, attente - 1000) << c.quoi;
    }
    sortie = -1;
    ecran_revenu();
}

TEST_F(Pacing, TheCursorStandsWhereTheInputStageReadThePointer) {
    mouse_x = 100;
    mouse_y = 300;
    image_due();
    mouse_x = 400;  // the pointer moves while the frame is drawn
    dessiner();
    EXPECT_EQ(getpixel(buffer, 102, 300), blanc);
    EXPECT_EQ(getpixel(buffer, 98, 300), blanc);
    EXPECT_NE(getpixel(buffer, 402, 300), blanc);
}

TEST_F(Pacing, DrawingClearsThenDrawsCellsThenTheOverlay) {
    clear_to_color(buffer, makecol(200, 0, 200));
    ncel[100][100] = 1;
    dessiner();
    EXPECT_EQ(getpixel(buffer, 99, 99), couleur_etat[1]);
    EXPECT_EQ(getpixel(buffer, 200, 100), 0) << "the buffer is cleared first";
    EXPECT_EQ(getpixel(buffer, 0, 0), bleu) << "the border comes over the cells";
    EXPECT_EQ(nombre, 1);
}

}  // namespace
