// The press record, shared by every port: how many times each key went down, counted
// apart with and without a shift key down at that moment, until the input stage takes
// them; which keys are held; and the keys held across the program's own changes of
// screen, when the library reports every key released. Counts cannot overflow as a
// queue would under a flood of presses.
#include <allegro.h>

#include "systeme/systeme.h"

enum { CODES = 128 };  // scancodes are 7 bits

// Written by the keyboard callback (the library's input thread), read by the stage.
static std::atomic<int> comptes[CODES][2];        // presses not taken yet, [key][shift down]
static std::atomic<bool> tenues[CODES];           // each key as last reported, or as found on return
static std::atomic<bool> parties[CODES];          // held when the keyboard went away during a change
static std::atomic<bool> frappe{false};           // a key went down or up since the stage last asked

// Until the keyboard is back, a key held when it went away is held.
bool tenue(int code) { return code > 0 && code < CODES && (tenues[code].load() || parties[code].load()); }

bool majuscule() { return key[KEY_LSHIFT] || key[KEY_RSHIFT] || tenue(KEY_LSHIFT) || tenue(KEY_RSHIFT); }

static void note(int k) { comptes[k][majuscule()].fetch_add(1); }

// A press of a key already held is the keyboard's auto-repeat, not a press.
void touche_frappee(int scancode) {
    const int k = scancode & 0x7f;
    if (scancode & 0x80)
        tenues[k].store(false);
    else if (!tenues[k].exchange(true))
        note(k);
    frappe.store(true);
    reveille();
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
    reveille();
}

int appuis(int code, bool avec_majuscule) {
    return code > 0 && code < CODES ? comptes[code][avec_majuscule].exchange(0) : 0;
}

bool touche_bougee() { return frappe.exchange(false); }

void oublie_clavier() {
    for (auto &c : comptes) c[0].store(0), c[1].store(0);
    for (auto &t : tenues) t.store(false);
    for (auto &p : parties) p.store(false);
    frappe.store(false);
}
