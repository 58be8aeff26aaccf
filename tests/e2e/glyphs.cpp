// Renders reference texts with the library's default font, without a display,
// so that the end-to-end tests can compare the program's panel with them.
// Reads lines "left X Y TEXT" (left edge at X) or "centre X Y TEXT" (centred on
// X), Y being the top row; writes one line per input line: the lit pixels as
// "x,y" separated by spaces, on a 640 x 480 picture.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static BITMAP *image;

// Draws one request into the cleared image; false if the line is malformed.
static bool dessine(char *ligne) {
    char place[8];
    int x, y, n = 0;
    if (std::sscanf(ligne, "%7s %d %d %n", place, &x, &y, &n) != 3 || n == 0) return false;
    char *texte = ligne + n;
    texte[std::strcspn(texte, "\n")] = '\0';
    clear_bitmap(image);
    if (std::strcmp(place, "left") == 0)
        textout_ex(image, font, texte, x, y, 1, -1);
    else if (std::strcmp(place, "centre") == 0)
        textout_centre_ex(image, font, texte, x, y, 1, -1);
    else
        return false;
    return true;
}

static void ecrit() {
    const char *sep = "";
    for (int y = 0; y < image->h; y++)
        for (int x = 0; x < image->w; x++)
            if (getpixel(image, x, y)) {
                std::printf("%s%d,%d", sep, x, y);
                sep = " ";
            }
    std::printf("\n");
}

int main() {
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 2;
    image = create_bitmap_ex(8, 640, 480);
    if (!image) return 2;
    char ligne[512];
    while (std::fgets(ligne, sizeof ligne, stdin)) {
        if (!dessine(ligne)) {
            std::fprintf(stderr, "glyphs: bad request: %s", ligne);
            return 2;
        }
        ecrit();
    }
    destroy_bitmap(image);
    return 0;
}
END_OF_MAIN()
