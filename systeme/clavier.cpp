// The press record, shared by every port: each key press the keyboard reports, in
// order, with the shift keys as they were when it went down, kept until the input
// stage takes it; which keys are held; and the keys held across the program's own
// changes of screen, when the library reports every key released.
#include <allegro.h>

#include "systeme/systeme.h"

enum { CODES = 128, FILE_MAX = 256 };  // scancodes are 7 bits; presses kept between two stages

// Written by the keyboard callback (the library's input thread), read by the stage.
static Appui file[FILE_MAX];
static std::atomic<unsigned> ecrits{0}, lus{0};  // presses written, taken: a ring
static std::atomic<bool> tenues[CODES];           // each key as last reported, or as found on return
static std::atomic<bool> frappe{false};           // a key went down or up since the stage last asked
static std::atomic<bool> parties[CODES];       // held when the keyboard went away during a change


// Until the keyboard is back, a key held when it went away is held.
bool tenue(int code) { return code > 0 && code < CODES && (tenues[code].load() || parties[code].load()); }

static bool majuscule() { return key[KEY_LSHIFT] || key[KEY_RSHIFT] || tenue(KEY_LSHIFT) || tenue(KEY_RSHIFT); }

// A full ring drops the press: the stage is hundreds of presses behind.
static void note(int k) {
    const unsigned e = ecrits.load(std::memory_order_relaxed);
    if (e - lus.load(std::memory_order_acquire) == FILE_MAX) return;
    file[e % FILE_MAX] = {k, majuscule()};
    ecrits.store(e + 1, std::memory_order_release);
}

// A press of a key already held is the keyboard's auto-repeat, not a press.
void touche_frappee(int scancode) {
    const int k = scancode & 0x7f;
    if (scancode & 0x80)
        tenues[k].store(false);
    else if (!tenues[k].exchange(true))
        note(k);
    frappe.store(true);
}
END_OF_FUNCTION(touche_frappee)

// The library may report the keyboard gone more than once in a change (for the window
// and for its inner one): the first report saw what was held.
void clavier_part() {
    for (int k = 0; k < CODES; k++)
        if (tenues[k].load()) parties[k].store(true);
}

void clavier_revient(const bool *bas) {
    for (int k = 1; k < CODES; k++) {
        if (bas[k] && !parties[k].load() && !tenues[k].load()) note(k);
        if (bas[k]) tenues[k].store(true);
        parties[k].store(false);
    }
    frappe.store(true);
}

int appuis(Appui *dest, int max) {
    const unsigned l = lus.load(std::memory_order_relaxed), e = ecrits.load(std::memory_order_acquire);
    int n = 0;
    for (unsigned i = l; i != e && n < max; i++) dest[n++] = file[i % FILE_MAX];
    lus.store(l + n, std::memory_order_release);
    return n;
}

bool touche_bougee() { return frappe.exchange(false); }

void oublie_clavier() {
    lus.store(ecrits.load());
    for (auto &t : tenues) t.store(false);
    for (auto &p : parties) p.store(false);
    frappe.store(false);
}
