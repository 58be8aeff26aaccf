// The screen: the zoom that fits a screen, the zoomed picture, and the pointer's
// place in the picture, checked against each other.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "headless.h"

namespace {

TEST(Zoom, TheLargestThatFitsTheScreenOrNinetyPercentOfItForAWindow) {
    EXPECT_EQ(zoom_max(640, 480, 1), 1);
    EXPECT_EQ(zoom_max(1920, 1080, 1), 2);
    EXPECT_EQ(zoom_max(1920, 1080, 0), 2);
    EXPECT_EQ(zoom_max(3840, 2160, 1), 4);
    EXPECT_EQ(zoom_max(3840, 2160, 0), 4);
    EXPECT_EQ(zoom_max(1280, 960, 1), 2);
    EXPECT_EQ(zoom_max(1280, 960, 0), 1) << "a 1280 x 960 window would fill the screen";
    EXPECT_EQ(zoom_max(1279, 960, 1), 1);
    EXPECT_EQ(zoom_max(1024, 768, 0), 1);
    EXPECT_EQ(zoom_max(320, 200, 1), 1) << "at least 1";
    EXPECT_EQ(zoom_max(1 << 20, 1 << 20, 1), ZOOM_MAX);
}

// Full screen goes on the monitor that holds the pointer, else the nearest one, at
// the largest zoom that fits it; a window takes the largest within 90 % of it.
TEST(Zoom, TheMonitorThatHoldsThePointerAndTheZoomsThatFitIt) {
    const Zone deux[] = {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}};
    const Zone portable[] = {{0, 312, 1366, 768}, {1366, 0, 1920, 1080}};  // bottoms aligned
    const Zone grand[] = {{0, 0, 1280, 1024}, {-3840, 0, 3840, 2160}};
    const Zone pose[] = {{0, 0, 1920, 1080}, {320, 28, 1280, 1024}};  // one laid over the other
    const struct {
        const Zone *liste;
        int n, x, y, attendu, plein, fenetre;
    } cas[] = {
        {deux, 2, 100, 100, 0, 2, 2},      {deux, 2, 1919, 1079, 0, 2, 2}, {deux, 2, 1920, 0, 1, 2, 2},
        {portable, 2, 700, 700, 0, 1, 1},  {portable, 2, 2000, 500, 1, 2, 2},
        {portable, 2, 500, 100, 0, 1, 1},  // above the laptop, where no monitor is: the nearest
        {grand, 2, 100, 1000, 0, 2, 1},    {grand, 2, -10, 10, 1, 4, 4},
        {pose, 2, 900, 500, 1, 2, 1},      {pose, 2, 100, 100, 0, 2, 2},
        {deux, 0, 100, 100, -1, 0, 0},
    };
    for (auto &c : cas) {
        const int i = moniteur_de(c.liste, c.n, c.x, c.y);
        EXPECT_EQ(i, c.attendu) << "pointer at " << c.x << "," << c.y;
        if (i < 0) continue;
        EXPECT_EQ(zoom_max(c.liste[i].largeur, c.liste[i].hauteur, true), c.plein) << c.x << "," << c.y;
        EXPECT_EQ(zoom_max(c.liste[i].largeur, c.liste[i].hauteur, false), c.fenetre) << c.x << "," << c.y;
    }
}

// A screen of largeur x hauteur at zoom z, the picture placed as the mode set
// places it; the program's own 640 x 480 16-bit screen again afterwards.
struct Screen : Headless {
    void TearDown() override {
        place_image(LARGEUR, HAUTEUR, 1, 16);
        ecran_revenu();
    }
};

uint32_t lu(BITMAP *b, int x, int y) {
    return bitmap_color_depth(b) == 32 ? reinterpret_cast<uint32_t *>(b->line[y])[x]
                                       : reinterpret_cast<uint16_t *>(b->line[y])[x];
}

// Every screen pixel of a largeur x hauteur screen at zoom z shows the picture pixel
// the pointer there paints, in its screen colour, and the margin is left alone.
void chaque_pixel(std::mt19937 &g, int largeur, int hauteur, int z, int profondeur) {
    for (int y = 0; y < HAUTEUR; y++)
        for (int x = 0; x < LARGEUR; x++) putpixel(buffer, x, y, static_cast<int>(g() & 0xffff));
    BITMAP *ecran = create_bitmap_ex(profondeur, largeur, hauteur);
    const int marque = makecol_depth(profondeur, 12, 34, 56);
    clear_to_color(ecran, marque);
    place_image(largeur, hauteur, z, profondeur);
    etire(ecran);
    int montres = 0;
    for (int sy = 0; sy < hauteur; sy++)
        for (int sx = 0; sx < largeur; sx++) {
            int x, y;
            vers_image(sx, sy, &x, &y);
            const bool dedans = x >= 0 && y >= 0 && x < LARGEUR && y < HAUTEUR;
            const uint32_t attendu = dedans ? static_cast<uint32_t>(teinte_ecran(getpixel(buffer, x, y)))
                                            : static_cast<uint32_t>(marque);
            ASSERT_EQ(lu(ecran, sx, sy), attendu) << "screen pixel " << sx << "," << sy;
            montres += dedans;
        }
    EXPECT_EQ(montres, std::min(LARGEUR * z, largeur) * std::min(HAUTEUR * z, hauteur))
        << "the whole picture, each pixel a z x z block, or as much as a smaller screen holds";
    int x, y;
    vers_image((largeur - LARGEUR * z) / 2, (hauteur - HAUTEUR * z) / 2, &x, &y);
    EXPECT_EQ(x, 0) << "centred";
    EXPECT_EQ(y, 0);
    destroy_bitmap(ecran);
}

// For every zoom kernel, both depths, screens whose lines start at every alignment
// (odd widths, odd offsets), and screens smaller than the picture, down to one pixel wide.
TEST_F(Screen, EachScreenPixelShowsThePicturePixelThePointerThereReaches) {
    const struct {
        int largeur, hauteur, z, profondeur;
    } cas[] = {{1366, 768, 1, 32}, {1921, 1081, 2, 32}, {1920, 1440, 3, 32}, {3840, 2160, 4, 32},
               {3203, 2401, 5, 32}, {1280, 960, 2, 32},  {1366, 768, 1, 16},  {1922, 1080, 2, 16},
               {1927, 1440, 3, 16}, {2563, 1925, 4, 16}, {640, 480, 1, 32},  {320, 240, 1, 32},
               {601, 401, 1, 16},   {639, 481, 1, 32}, {1, 300, 1, 32}, {2, 9, 1, 16}, {3, 300, 1, 32},
               {3, 300, 1, 16},     {4, 7, 1, 32},    {5, 5, 1, 16},    {6, 480, 1, 32}, {7, 3, 1, 16},
               {8, 40, 1, 32}};
    std::mt19937 g(7);
    const GardeSimd garde;
    for (int k : noyaux())
        for (auto &c : cas) {
            simd = k;
            SCOPED_TRACE(::testing::Message() << c.largeur << "x" << c.hauteur << " zoom " << c.z << ", "
                                              << c.profondeur << " bits, kernel " << k);
            chaque_pixel(g, c.largeur, c.hauteur, c.z, c.profondeur);
        }
}

// The zoomed copy writes only the rows that changed since the last frame: over
// random frames, a few pixels or many changed, it equals a copy written whole, also
// when the screen lost its picture and came back, margin included.
void rangees_changees(int profondeur) {
    BITMAP *ecran = create_bitmap_ex(profondeur, 1400, 1000), *entier = create_bitmap_ex(profondeur, 1400, 1000);
    const int octets = profondeur / 8;
    clear_bitmap(ecran);
    clear_bitmap(buffer);
    place_image(ecran->w, ecran->h, 2, profondeur);
    std::mt19937 g(11);
    int pertes = 0;
    for (int f = 0; f < 60; f++) {
        const int n = g() % 4 == 0 ? 20000 : static_cast<int>(g() % 20);
        for (int i = 0; i < n; i++)
            putpixel(buffer, static_cast<int>(g() % LARGEUR), static_cast<int>(g() % HAUTEUR), static_cast<int>(g() & 0xffff));
        if (g() % 8 == 0) {  // the screen forgot its picture
            clear_to_color(ecran, makecol_depth(profondeur, 1, 2, 3));
            retour_ecran();
            pertes++;
        }
        etire(ecran);
        EXPECT_EQ(getpixel(ecran, 10, 10), 0) << "the margin, black again after the screen forgot it";
        retour_ecran();
        clear_bitmap(entier);
        etire(entier);
        for (int y = 20; y < 20 + 960; y++)  // the picture, 1280 x 960 at (60, 20)
            ASSERT_EQ(std::memcmp(ecran->line[y] + 60 * octets, entier->line[y] + 60 * octets, 1280 * octets), 0)
                << "frame " << f << ", screen row " << y;
    }
    EXPECT_GT(pertes, 3);
    destroy_bitmap(entier);
    destroy_bitmap(ecran);
}

TEST_F(Screen, AZoomedCopyOfTheChangedRowsEqualsOneWrittenWhole) {
    const GardeSimd garde;
    for (int k : noyaux())
        for (int profondeur : {32, 16}) {
            simd = k;
            SCOPED_TRACE(::testing::Message() << profondeur << " bits, kernel " << k);
            rangees_changees(profondeur);
        }
}

// The library's conversion, which its own windows use for a 16-bit screen on a
// deeper desktop: every colour within a step of its 16-bit value, the extremes
// exact, laid out as the screen's mode lays pixels out (in 32 bits red on top as on
// 24-bit desktops, or blue on top as on 30-bit ones; 15 bits), whichever way the
// picture's 16-bit pixels are laid out: the library's default, blue on top, stays in
// force where no 16-bit mode was ever set, as when Windows starts in a zoomed window.
TEST_F(Screen, ZoomedColoursAreTheSixteenBitOnesInTheScreensLayout) {
    const GardeDispositions garde;
    const struct {
        int profondeur, r, b, pas_r, pas_g;  // the red and blue shifts in 32 bits, the steps allowed
    } ecrans[] = {{32, 16, 0, 8, 4}, {32, 0, 16, 8, 4}, {15, 16, 0, 8, 8}};
    const int dispositions[][3] = {{11, 5, 0}, {0, 5, 11}};
    for (auto &e : ecrans)
        for (auto &d : dispositions) {
            SCOPED_TRACE(::testing::Message() << e.profondeur << " bits, red at bit " << e.r << " in 32 bits, "
                                              << d[0] << " in 16");
            _rgb_r_shift_32 = e.r, _rgb_g_shift_32 = 8, _rgb_b_shift_32 = e.b;
            _rgb_r_shift_16 = d[0], _rgb_g_shift_16 = d[1], _rgb_b_shift_16 = d[2];
            place_image(1920, 1080, 2, e.profondeur);
            EXPECT_EQ(teinte_ecran(makecol16(0, 0, 0)), makecol_depth(e.profondeur, 0, 0, 0));
            EXPECT_EQ(teinte_ecran(makecol16(255, 255, 255)), makecol_depth(e.profondeur, 255, 255, 255));
            EXPECT_EQ(teinte_ecran(makecol16(0, 0, 255)), makecol_depth(e.profondeur, 0, 0, 255));
            EXPECT_EQ(teinte_ecran(makecol16(255, 0, 0)), makecol_depth(e.profondeur, 255, 0, 0));
            for (int c = 0; c < 1 << 16; c++) {
                const int t = teinte_ecran(c);
                ASSERT_LE(std::abs(getr_depth(e.profondeur, t) - getr16(c)), e.pas_r) << c;
                ASSERT_LE(std::abs(getg_depth(e.profondeur, t) - getg16(c)), e.pas_g) << c;
                ASSERT_LE(std::abs(getb_depth(e.profondeur, t) - getb16(c)), e.pas_r) << c;
            }
        }
}

// Over a 1920 x 1080 screen at zoom 2 the picture stands at (320, 60).
TEST_F(Screen, ThePointerPaintsTheBlockUnderItAndNothingOverTheMargin) {
    place_image(1920, 1080, 2, 32);
    entrees();  // the first stage on the new screen, no button held
    mouse_b = 1;
    const int marge[][2] = {{319, 500}, {100, 59}, {1600, 500}, {900, 1020}, {0, 0}, {1919, 1079}};
    for (auto &p : marge) {
        mouse_x = p[0], mouse_y = p[1];
        entrees();
    }
    EXPECT_EQ(compte(0), LARGEUR * HAUTEUR) << "nothing painted from the margin";
    mouse_x = 320 + 2 * 638 + 1, mouse_y = 60 + 2 * 478 + 1;  // the last pixel of the last paintable block
    entrees();
    EXPECT_EQ(ncel[639][479], 1);
    mouse_x = 320 + 2 * 639, mouse_y = 60 + 2 * 100;  // the last column, which cannot be painted
    entrees();
    EXPECT_EQ(compte(1), 1);
    EXPECT_EQ(souris_x, 639);
    EXPECT_EQ(souris_y, 100);

    mouse_b = 0;
    mouse_x = 320 + 2 * 200, mouse_y = 60 + 2 * 150;
    EXPECT_TRUE(entrees());
    EXPECT_FALSE(entrees());
    mouse_x += 1, mouse_y += 1;
    EXPECT_FALSE(entrees()) << "within one block the picture does not change";
    mouse_x += 1;
    EXPECT_TRUE(entrees()) << "the next block";
    mouse_x = 10, mouse_y = 10;
    EXPECT_TRUE(entrees());
    mouse_x = 20, mouse_y = 30;
    EXPECT_FALSE(entrees()) << "within the margin, off the picture's edge, nothing changes";
    EXPECT_EQ(souris_x, -150);
    EXPECT_EQ(souris_y, -15);
    dessiner();  // the cursor far off the picture is clipped away
    EXPECT_EQ(getpixel(buffer, 0, 1), bleu);
}

}  // namespace
