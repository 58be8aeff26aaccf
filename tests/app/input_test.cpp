// The input stage: key actions with their triggers, the key history, mouse painting.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "headless.h"

#include <allegro/internal/aintern.h>  // _mouse_on, behind mouse_on_screen

namespace {

void image(int n = 1) {
    for (int i = 0; i < n; i++) {
        entrees();
        cadence();
    }
}

// Presses k for one frame, then releases it for one frame.
void tape(int k) {
    key[k] = 1;
    image();
    key[k] = 0;
    image();
}

using Keys = Headless;

TEST_F(Keys, EdgeKeysActOncePerPressLevelKeysEveryFrame) {
    key[KEY_E] = 1;
    image(5);
    EXPECT_EQ(etat, 3) << "held E cycles once";
    key[KEY_E] = 0;
    image();
    tape(KEY_E);
    EXPECT_EQ(etat, 4);

    key[KEY_F8] = 1;
    image(3);
    EXPECT_EQ(compte(1), LARGEUR * HAUTEUR) << "held F8 inverts once";
    key[KEY_F8] = 0;

    key[KEY_F1] = 1;
    for (int i = 0; i < 3; i++) {
        ncel[5][5] = 2;
        image();
        EXPECT_EQ(ncel[5][5], 0) << "held F1 clears in every frame";
    }
}

// What the keyboard callback saw counts too: a press and release between two stages,
// a key held through the keyboard's auto-repeat, a level key tapped.
TEST_F(Keys, EveryPressActsOnceHoweverShortOrLong) {
    touche_frappee(KEY_E);
    touche_frappee(KEY_E | 0x80);
    image();
    EXPECT_EQ(etat, 3) << "a tap between two stages";
    key[KEY_E] = 1;
    touche_frappee(KEY_E);
    image();
    touche_frappee(KEY_E);  // auto-repeat
    image();
    touche_frappee(KEY_E);
    key[KEY_E] = 0;
    touche_frappee(KEY_E | 0x80);
    image(2);
    EXPECT_EQ(etat, 4) << "a press held through the auto-repeat";
    ncel[5][5] = 1;
    touche_frappee(KEY_F1);
    touche_frappee(KEY_F1 | 0x80);
    image();
    EXPECT_EQ(ncel[5][5], 0) << "a level key tapped";
    EXPECT_EQ(sortie, -1);
    touche_frappee(KEY_ESC);
    touche_frappee(KEY_ESC | 0x80);
    image();
    EXPECT_EQ(sortie, 0) << "Escape tapped between two stages ends the loop";
}

// A key that goes down while another acts (here T, during F4's new rule, from the
// palette's rebuild) acts once, in the next stage, however long it is held.
TEST_F(Keys, APressDuringAnotherKeysActionActsOnce) {
    etat_change = [] {
        key[KEY_T] = 1;
        touche_frappee(KEY_T);
        fabrique_couleur();
    };
    key[KEY_F4] = 1;
    image();
    etat_change = fabrique_couleur;
    EXPECT_EQ(tore, 1) << "in the stage that was acting";
    image(3);
    EXPECT_EQ(tore, 0);
}

// The shift keys count as they were when the digit went down, whenever the stage runs.
TEST_F(Keys, ShiftIsTheOneOfTheMomentTheDigitWentDown) {
    const int suite[] = {KEY_LSHIFT, KEY_3, KEY_LSHIFT | 0x80, KEY_3 | 0x80, KEY_5, KEY_RSHIFT, KEY_5 | 0x80};
    for (int k : suite) touche_frappee(k);
    image();
    EXPECT_EQ(r_vie[3], 0) << "shift, 3, shift released, 3 released: the birth table";
    EXPECT_EQ(r_survie[3], 1);
    EXPECT_EQ(r_survie[5], 1) << "5, then shift: the survival table";
    EXPECT_EQ(r_vie[5], 0);
}

// A change of screen: the keyboard goes to the program's other window, the library
// reports every key released, and once the keyboard is back the keys held go on with
// their auto-repeat. T held acts once in all, F1 held clears all along, and E, which
// went down meanwhile, is a press.
TEST_F(Keys, AKeyHeldAcrossAChangeOfScreenIsStillHeld) {
    touche_frappee(KEY_T);
    touche_frappee(KEY_F1);
    image();
    clavier_part();
    touche_frappee(KEY_T | 0x80);
    touche_frappee(KEY_F1 | 0x80);
    ncel[5][5] = 2;
    image();
    EXPECT_EQ(ncel[5][5], 0) << "F1 held while the keyboard is away";
    bool bas[128] = {};
    bas[KEY_T] = bas[KEY_F1] = bas[KEY_E] = true;
    clavier_revient(bas);
    touche_frappee(KEY_T);  // auto-repeat
    ncel[5][5] = 2;
    image(2);
    EXPECT_EQ(tore, 0) << "T held across the change acted once";
    EXPECT_EQ(ncel[5][5], 0) << "F1 held across the change";
    EXPECT_EQ(etat, 3) << "E went down during the change";
    touche_frappee(KEY_T | 0x80);
    image();
    touche_frappee(KEY_T);
    image();
    EXPECT_EQ(tore, 1) << "T pressed anew";
}

// A server may still say a key is down once the keyboard is back though it was released
// meanwhile (XWayland): with no auto-repeat to confirm it, it is not held for long. A
// shift key, which never repeats, stays held.
TEST_F(Keys, AKeyStillSaidDownAfterAChangeIsNotHeldForLong) {
    touche_frappee(KEY_LSHIFT);
    touche_frappee(KEY_T);
    image();
    clavier_part();
    touche_frappee(KEY_T | 0x80);
    bool bas[128] = {};
    bas[KEY_T] = bas[KEY_LSHIFT] = true;
    clavier_revient(bas);
    image();
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    touche_frappee(KEY_T);
    touche_frappee(KEY_3);
    image();
    EXPECT_EQ(tore, 1) << "T pressed anew, not taken for its auto-repeat";
    EXPECT_EQ(r_vie[3], 0) << "shift still held: the birth table";
}

TEST_F(Keys, HeldFillRefillsEveryFrameAndHeldSoupSowsOnce) {
    vie = 1;
    key[KEY_F7] = 1;
    for (int i = 0; i < 3; i++) {
        tick = 1;
        image();
        EXPECT_EQ(compte(etat - 1), LARGEUR * HAUTEUR) << "refilled, then one generation";
    }
    key[KEY_F7] = 0;
    vie = 0;
    std::srand(99);
    key[KEY_F2] = 1;
    image(3);
    const int apres = std::rand();
    std::srand(99);
    for (int i = 0; i < LARGEUR * HAUTEUR; i++) std::rand();
    EXPECT_EQ(apres, std::rand()) << "one soup only, 307200 draws";
}

TEST_F(Keys, SpeedKeysStayWithinTenToFiveHundred) {
    tape(KEY_LEFT);
    EXPECT_EQ(delta, 10);
    for (int i = 0; i < 49; i++) tape(KEY_RIGHT);
    EXPECT_EQ(delta, 500);
    tape(KEY_RIGHT);
    EXPECT_EQ(delta, 500);
    key[KEY_LEFT] = 1;
    image(4);
    EXPECT_EQ(delta, 490) << "once per press";
}

TEST_F(Keys, ShiftChoosesTheBirthTable) {
    tape(KEY_3);
    EXPECT_EQ(r_survie[3], 0);
    EXPECT_EQ(r_vie[3], 1);
    key[KEY_LSHIFT] = 1;
    tape(KEY_3);
    EXPECT_EQ(r_vie[3], 0);
    EXPECT_EQ(r_survie[3], 0);
    key[KEY_LSHIFT] = 0;
    key[KEY_RSHIFT] = 1;
    tape(KEY_0);
    EXPECT_EQ(r_vie[0], 1);
    key[KEY_RSHIFT] = 0;

    key[KEY_8] = 1;
    image();
    EXPECT_EQ(r_survie[8], 1);
    key[KEY_LSHIFT] = 1;
    image(2);
    EXPECT_EQ(r_vie[8], 0) << "shift pressed while 8 is held toggles nothing";
    EXPECT_EQ(r_survie[8], 1);
}

TEST_F(Keys, RunPauseTopologyPanelAndPresets) {
    key[KEY_F5] = key[KEY_F6] = 1;
    image();
    EXPECT_EQ(vie, 0) << "pause wins";
    key[KEY_F6] = 0;
    image();
    EXPECT_EQ(vie, 1);
    key[KEY_F5] = 0;
    tape(KEY_T);
    EXPECT_EQ(tore, 0);
    tape(KEY_SPACE);
    EXPECT_EQ(gui, 1);
    tape(KEY_SPACE);
    EXPECT_EQ(gui, 0);
    std::srand(5);
    tape(KEY_F4);
    const int regle = etat;
    std::srand(5);
    reglehazard();
    EXPECT_EQ(etat, regle) << "F4 draws one random rule";
    key[KEY_F3] = 1;
    image();
    EXPECT_EQ(etat, 2);
    EXPECT_EQ(r_vie[3] + r_survie[2] + r_survie[3], 3);
    bascule_vie(6);
    image();
    EXPECT_EQ(r_vie[6], 0) << "F3 held restores Conway in every frame";
}

TEST_F(Keys, EnterStepsOnceWhetherPausedOrRunning) {
    reference::clignotant();
    key[KEY_ENTER] = 1;
    tick = 1;
    image(3);
    EXPECT_TRUE(reference::debout()) << "paused: one generation for a held Enter";
    EXPECT_EQ(tick, 1) << "a single step leaves the tick alone";
    key[KEY_ENTER] = 0;
    image();
    vie = 1;
    tick = 1;
    key[KEY_ENTER] = 1;
    image();
    EXPECT_TRUE(reference::debout()) << "running: the step and the paced generation, two in one frame";
    image();
    EXPECT_TRUE(reference::debout()) << "no tick, no generation";
}

using Mouse = Headless;

TEST_F(Mouse, LeftPaintsRightErasesBothDoNothing) {
    etat = 4;
    mouse_x = 638;
    mouse_y = 478;
    mouse_b = 1;
    image();
    EXPECT_EQ(ncel[639][479], 3) << "the last paintable pixel";
    mouse_b = 3;
    image();
    EXPECT_EQ(ncel[639][479], 3);
    mouse_b = 2;
    image();
    EXPECT_EQ(ncel[639][479], 0);
    mouse_x = 0;
    mouse_y = 0;
    mouse_b = 1;
    image();
    EXPECT_EQ(ncel[1][1], 3);
    EXPECT_EQ(compte(3), 1);
}

TEST_F(Mouse, NothingPaintedBeyondTheLastPaintableRowAndColumn) {
    mouse_b = 1;
    const int hors[][2] = {{639, 100}, {100, 479}, {639, 479}, {700, 10}, {-1, 5}, {5, -1}, {-300, -300}};
    for (auto &p : hors) {
        mouse_x = p[0];
        mouse_y = p[1];
        image();
    }
    EXPECT_EQ(compte(0), LARGEUR * HAUTEUR);
    for (int x = 0; x <= LARGEUR; x++) EXPECT_EQ(ncel[x][0], 0);
    for (int y = 0; y <= HAUTEUR; y++) EXPECT_EQ(ncel[0][y], 0);
}

// A change of screen leaves the library's pointer elsewhere (at the screen's centre):
// a button held across it paints nothing until pressed anew. A pointer off the
// window paints nothing and has no cursor.
TEST_F(Mouse, NothingPaintedByAButtonHeldAcrossAChangeOfScreenOrOffTheWindow) {
    mouse_b = 1;
    image();
    place_image(LARGEUR, HAUTEUR, 1, 16);  // a mode set
    mouse_x = mouse_y = 100;
    image(2);
    EXPECT_EQ(ncel[101][101], 0) << "the button was held across the change";
    mouse_b = 0;
    image();
    mouse_b = 1;
    image();
    EXPECT_EQ(ncel[101][101], 1) << "pressed anew";
    _mouse_on = FALSE;
    mouse_x = 200;
    image();
    dessiner();
    _mouse_on = TRUE;
    EXPECT_EQ(ncel[201][101], 0) << "off the window";
    int blancs = 0;
    for (int y = 0; y < HAUTEUR; y++)
        for (int x = 0; x < LARGEUR; x++) blancs += getpixel(buffer, x, y) == blanc;
    EXPECT_EQ(blancs, 0) << "a cursor drawn while the pointer is off the window";
}

TEST_F(Mouse, PaintingComesBeforeTheGenerationOfTheSameFrame) {
    mouse_x = mouse_y = 200;
    mouse_b = 1;
    vie = 1;
    tick = 1;
    image();
    EXPECT_EQ(ncel[201][201], 0) << "a lone painted cell dies in the generation of its frame";
    vie = 0;
    image();
    mouse_b = 0;
    mouse_x = 400;
    dessiner();
    EXPECT_EQ(getpixel(buffer, 200, 200), couleur_etat[1]) << "paused, it shows alive at once";
}

}  // namespace
