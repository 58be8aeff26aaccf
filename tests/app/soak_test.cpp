// Random play: thousands of frames of random keys, pointer positions, buttons
// and timer ticks, checking after every frame the ranges that the step, the
// palette and the drawing rely on. VORPLANE_SOAK_SEED and VORPLANE_SOAK_FRAMES
// replay or lengthen a run.
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>

#include "headless.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

// Frames per run: fewer where the sanitizers or an unoptimised build slow each frame.
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
const int FRAMES = 2500;
#else
const int FRAMES = 6000;
#endif

// Every key the input stage binds, with its chances in 1000 per calm frame of
// being pressed while up and released while down: those that wipe, refill or
// pause the world are pressed rarely and briefly, so that the world lives.
struct Touche {
    int code, appui, lache;
};
const Touche touches[] = {
    {KEY_LEFT, 40, 150},  {KEY_RIGHT, 40, 150}, {KEY_F1, 3, 300},   {KEY_F2, 4, 300},  {KEY_F3, 20, 150},
    {KEY_F4, 30, 150},    {KEY_F5, 20, 150},    {KEY_F6, 10, 200},  {KEY_F7, 3, 300},  {KEY_F8, 4, 300},
    {KEY_ENTER, 60, 150}, {KEY_E, 60, 150},     {KEY_T, 40, 150},   {KEY_SPACE, 40, 150}, {KEY_0, 50, 150},
    {KEY_1, 50, 150},     {KEY_2, 50, 150},     {KEY_3, 50, 150},   {KEY_4, 50, 150},  {KEY_5, 50, 150},
    {KEY_6, 50, 150},     {KEY_7, 50, 150},     {KEY_8, 50, 150},   {KEY_LSHIFT, 100, 100},
    {KEY_RSHIFT, 100, 100},
};

unsigned graine_en_cours;
int image_en_cours;

unsigned lire_env(const char *nom, unsigned defaut) {
    const char *v = std::getenv(nom);
    return v && *v ? static_cast<unsigned>(std::strtoul(v, nullptr, 10)) : defaut;
}

// A pointer coordinate on a screen side of `taille` pixels: mostly on screen,
// often at the last pixels or just outside them, sometimes negative or far away.
int coordonnee(std::mt19937 &g, int taille) {
    switch (g() % 6) {
        case 0: return taille - 3 + static_cast<int>(g() % 5);  // taille-3 .. taille+1
        case 1: return -2 + static_cast<int>(g() % 4);          // -2 .. 1
        case 2: return -static_cast<int>(g() % 100000);
        case 3: return taille + static_cast<int>(g() % 100000);
        default: return static_cast<int>(g() % taille);
    }
}

// How a key behaves over a stretch of frames: left up, at its own rates, or five
// times as busy; in a storm every key flips half the time.
enum Allure { REPOS, NORMALE, VIVE, TEMPETE };

void bouge_touches(std::mt19937 &g, const Allure (&allures)[std::size(touches)]) {
    for (std::size_t i = 0; i < std::size(touches); i++) {
        const Touche &t = touches[i];
        const int base = key[t.code] ? t.lache : t.appui;
        const Allure a = allures[i];
        const int chance = a == TEMPETE ? 500 : a == VIVE ? 5 * base : a == NORMALE ? base : 0;
        if (static_cast<int>(g() % 1000) < chance) key[t.code] = !key[t.code];
        if (a == REPOS) key[t.code] = 0;
    }
}

// A new stretch: one in five is a storm, one in five is calm (no key, the pointer
// seldom moves: most frames may be skipped), otherwise each key draws its own pace.
// Returns the chance, one in so many frames, that the pointer moves.
int nouvelle_allure(std::mt19937 &g, Allure (&allures)[std::size(touches)]) {
    const unsigned sorte = g() % 5;
    for (Allure &a : allures) a = sorte == 0 ? TEMPETE : sorte == 1 ? REPOS : static_cast<Allure>(g() % 3);
    return sorte == 1 ? 40 : 4;
}

void bouge_souris(std::mt19937 &g, int chance) {
    if (g() % chance == 0) {
        mouse_x = coordonnee(g, LARGEUR);
        mouse_y = coordonnee(g, HAUTEUR);
    }
    if (g() % 8 == 0) mouse_b = static_cast<int>(g() % 10 == 0 ? g() % 8 : g() % 4);
}

bool drapeau(int v) { return v == 0 || v == 1; }

// The first broken invariant, or "" when all hold.
std::string viole() {
    for (int x = 0; x <= LARGEUR; x++)
        for (int y = 0; y <= HAUTEUR; y++) {
            const int n = ncel[x][y], a = acel[x][y];
            const char *ou = "cell ";
            if (x == 0 || y == 0) {
                if (n == 0 && a == 0) continue;
                ou = "border ";
            } else if (n >= 0 && n <= 16 && a >= 0 && a <= 16) {
                continue;
            }
            return ou + std::to_string(x) + "," + std::to_string(y) + ": ncel " + std::to_string(n) +
                   ", acel " + std::to_string(a);
        }
    if (etat < 2 || etat > 16) return "etat " + std::to_string(etat);
    if (delta < 10 || delta > 500) return "delta " + std::to_string(delta);
    if (!drapeau(vie) || !drapeau(tore) || !drapeau(gui))
        return "flags vie " + std::to_string(vie) + " tore " + std::to_string(tore) + " gui " +
               std::to_string(gui);
    for (int n = 0; n <= 8; n++)
        if (!drapeau(r_survie[n]) || !drapeau(r_vie[n])) return "rule entry " + std::to_string(n);
    const int vivantes = reference::non_mortes();
    if (nombre != vivantes) return "nombre " + std::to_string(nombre) + ", cells " + std::to_string(vivantes);
    return "";
}

// The first row where two 640 x 480 16-bit pictures differ, or -1.
int premiere_difference(BITMAP *a, BITMAP *b) {
    for (int y = 0; y < HAUTEUR; y++)
        if (std::memcmp(a->line[y], b->line[y], LARGEUR * sizeof(uint16_t)) != 0) return y;
    return -1;
}

#if defined(__SANITIZE_ADDRESS__)
// A sanitizer stops the process without the test's message: name the run first.
void au_deces() {
    std::fprintf(stderr, "soak: died at seed %u, frame %d\n", graine_en_cours, image_en_cours);
}
#endif

using soak = Headless;  // lower case, so that `ctest -R soak` finds it

// Also checks the loop's idle frames: whenever image_due says nothing changed, a
// frame drawn anyway equals the one last shown (ecran). The pointer sometimes moves
// while a frame is drawn and is back for the next input stage,
// and the display sometimes loses its picture and comes back. Some stretches run
// on a zoomed 1920 x 1080 screen, where the pointer also crosses the margin.
TEST_F(soak, RandomInputKeepsEveryValueInRange) {
    const unsigned graine = lire_env("VORPLANE_SOAK_SEED", 20261207);
    const int images = static_cast<int>(lire_env("VORPLANE_SOAK_FRAMES", FRAMES));
    graine_en_cours = graine;
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(au_deces);
#endif
    std::printf("soak: seed %u, %d frames\n", graine, images);
    reference::soupe(graine);
    std::mt19937 g(graine);
    vie = 1;
    Allure allures[std::size(touches)];
    int souris_bouge = 4;
    const GardeSimd noyau;  // the step and cell-layer kernels in turn, as the CPU allows
    const struct Zoom {     // and the screen's zoom
        ~Zoom() { place_image(LARGEUR, HAUTEUR, 1, 16); }
    } zoom;
    int generations = 0, sautees = 0;
    long cellules = 0;
    BITMAP *ecran = create_bitmap(LARGEUR, HAUTEUR);
    clear_bitmap(ecran);
    for (int f = 0; f < images; f++) {
        image_en_cours = f;
        if (f % 100 == 0) {
            souris_bouge = nouvelle_allure(g, allures);
            simd = noyau.natif && g() % 2;
            if (g() % 3 == 0)
                place_image(1920, 1080, 2, 32);  // the pointer over a zoomed picture and its margin
            else
                place_image(LARGEUR, HAUTEUR, 1, 16);
        }
        bouge_touches(g, allures);
        bouge_souris(g, souris_bouge);
        if (g() % 4 != 0) temps();  // the timer fires in most frames
        if (g() % 200 == 0) {
            clear_bitmap(ecran);
            retour_ecran();
        }
        generations += vie == 1 && tick == 1;
        const bool due = image_due();
        const int mx = mouse_x, my = mouse_y;
        if (g() % 8 == 0) mouse_x = coordonnee(g, LARGEUR), mouse_y = coordonnee(g, HAUTEUR);
        dessiner();
        mouse_x = mx, mouse_y = my;
        ASSERT_EQ(viole(), "") << "seed " << graine << ", frame " << f << ", simd " << simd;
        if (due)
            blit(buffer, ecran, 0, 0, 0, 0, LARGEUR, HAUTEUR);
        else
            ASSERT_EQ(premiere_difference(buffer, ecran), -1) << "a skipped frame would have shown "
                                                                  "more; seed " << graine << ", frame " << f;
        sautees += !due;
        cellules += nombre;
    }
    destroy_bitmap(ecran);
    std::printf("soak: %d paced generations, %d frames skipped, %ld non-dead cells per frame on average\n",
                generations, sautees, cellules / images);
    EXPECT_GT(generations, images / 10) << "the world ran in too few frames to test the step";
}

}  // namespace
