// The screen's modes and monitors on the headless port's scripted desktop: opening,
// F11, F10, monitors that change, shrink and grow, refused modes.
#include "headless.h"

namespace {

const Zone hd{0, 0, 1920, 1080};

// A desktop of the given monitors, the pointer in the first's middle, nothing refused;
// the program's own 640 x 480 16-bit screen again afterwards, no mode set.
struct Modes : Headless {
    long long temps = 0;

    void bureau_de(std::initializer_list<Zone> moniteurs) {
        bureau.n = 0;
        for (const Zone &m : moniteurs) bureau.moniteurs[bureau.n++] = m;
        bureau.x = bureau.moniteurs[0].x + bureau.moniteurs[0].largeur / 2;
        bureau.y = bureau.moniteurs[0].y + bureau.moniteurs[0].hauteur / 2;
    }
    void SetUp() override {
        Headless::SetUp();
        bureau_de({hd});
        bureau.cache = bureau.refuse_plein = bureau.video = false;
        bureau.refuse_au_dela = 0;
    }
    void TearDown() override {
        ferme_ecran();
        place_image(LARGEUR, HAUTEUR, 1, 16);
    }
    // The watch's fourth look, where it looks at the monitors.
    void regarde() {
        for (int i = 0; i < 4; i++) surveille_ecran(temps += 250000);
    }
};

// A screen of w x h in full screen or not, the picture at zoom z from (gauche, haut).
void attendu(bool plein, int w, int h, int z, int gauche, int haut) {
    ASSERT_NE(surface(), nullptr);
    EXPECT_EQ(bureau.plein, plein);
    EXPECT_EQ(surface()->w, w);
    EXPECT_EQ(surface()->h, h);
    EXPECT_EQ(place.zoom, z);
    EXPECT_EQ(place.gauche, gauche);
    EXPECT_EQ(place.haut, haut);
}

TEST_F(Modes, FullScreenAtStartThenF11AndF10) {
    bureau.x = 700, bureau.y = 300;
    ouvre_ecran();
    attendu(true, 1920, 1080, 2, 320, 60);
    EXPECT_EQ(mouse_x, 700) << "the pointer stays where it is";
    {
        SCOPED_TRACE("F11");
        bascule_ecran();
        attendu(false, 1280, 960, 2, 0, 0);
    }
    {
        SCOPED_TRACE("F10, then F10 again");
        zoom_suivant();
        attendu(false, 640, 480, 1, 0, 0);
        zoom_suivant();
        attendu(false, 1280, 960, 2, 0, 0);
    }
    {
        SCOPED_TRACE("F11 back, F10 in full screen re-centres without a mode set");
        bascule_ecran();
        const int poses = bureau.poses;
        zoom_suivant();
        attendu(true, 1920, 1080, 1, 640, 300);
        EXPECT_EQ(bureau.poses, poses);
    }
}

// Across F11 the pointer stays over its cell, in the middle of that cell's block.
TEST_F(Modes, ThePointerKeepsItsCellAcrossF11) {
    ouvre_ecran();
    bureau.x = 320 + 2 * 100 + 1, bureau.y = 60 + 2 * 50;
    mouse_x = bureau.x, mouse_y = bureau.y;
    bascule_ecran();
    int x, y;
    vers_image(mouse_x, mouse_y, &x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
}

// Full screen follows its monitor; a monitor too small for it gives a window of its
// size in its stead, and full screen comes back when it grows again, F10 working.
TEST_F(Modes, FullScreenFollowsAMonitorThatShrinksAndGrows) {
    ouvre_ecran();
    bureau_de({{0, 0, 1280, 1024}});
    regarde();
    attendu(true, 1280, 1024, 2, 0, 32);
    bureau_de({{0, 0, 600, 400}});
    regarde();
    attendu(false, 600, 400, 1, -20, -40);
    bureau_de({hd});
    regarde();
    attendu(true, 1920, 1080, 2, 320, 60);
    zoom_suivant();
    EXPECT_EQ(place.zoom, 1);
}

// A window is made again where it is not the size it would be on its monitor: cut off
// by one that shrank, or once that one grows back.
TEST_F(Modes, AWindowFitsItsMonitorAsItChanges) {
    ouvre_ecran();
    bascule_ecran();
    attendu(false, 1280, 960, 2, 0, 0);
    bureau_de({{0, 0, 1024, 768}});
    regarde();
    attendu(false, 640, 480, 1, 0, 0);
    bureau_de({{0, 0, 500, 400}});
    regarde();
    attendu(false, 500, 400, 1, -70, -40);
    bureau_de({hd});
    regarde();
    attendu(false, 1280, 960, 2, 0, 0);
    const int poses = bureau.poses;
    regarde();
    EXPECT_EQ(bureau.poses, poses) << "a window of the right size is left alone";
}

// Of overlapping monitors, full screen takes the smallest that holds the pointer; a
// monitor larger than the library can cover gets a window.
TEST_F(Modes, TheMonitorFullScreenCovers) {
    bureau_de({hd, {320, 28, 1280, 1024}});
    bureau.x = 900, bureau.y = 500;
    ouvre_ecran();
    attendu(true, 1280, 1024, 2, 0, 32);
    EXPECT_EQ(bureau.ecran.x, 320);
    ferme_ecran();
    bureau_de({{0, 0, 20000, 20000}});
    ouvre_ecran();
    attendu(false, 3840, 2880, ZOOM_MAX, 0, 0);
}

// A refused mode gives way to the one before, then to any window; F11 asking for the
// refused full screen keeps the window; without any mode the program leaves (status 1).
TEST_F(Modes, ARefusedModeGivesWayToAWindow) {
    bureau.refuse_plein = true;
    ouvre_ecran();
    attendu(false, 1280, 960, 2, 0, 0);
    bascule_ecran();
    attendu(false, 1280, 960, 2, 0, 0);
    bureau.refuse_plein = false;
    bureau.refuse_au_dela = 1000;
    ferme_ecran();
    ouvre_ecran();
    attendu(false, 640, 480, 1, 0, 0);
    EXPECT_EXIT(
        {
            bureau.refuse_au_dela = 100;
            bascule_ecran();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(1), "cannot set a 640x480 16-bit mode");
}

// A hidden window draws nothing; shown again, it is written whole.
TEST_F(Modes, AHiddenWindowIsDrawnAgainWhenShown) {
    ouvre_ecran();
    surveille_ecran(temps += 250000);
    bureau.cache = true;
    surveille_ecran(temps += 250000);
    EXPECT_FALSE(image_visible());
    bureau.cache = false;
    EXPECT_TRUE(surveille_ecran(temps += 250000));
    EXPECT_TRUE(image_visible());
}

}  // namespace
