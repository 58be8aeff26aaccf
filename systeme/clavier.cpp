// The press record, shared by every port: how many times each key went down, counted
// apart with and without a shift key down at that moment, until the input stage takes
// them; which keys are held; and the keys held across the program's own changes of
// screen, when the library reports every key released. Counts cannot overflow as a
// queue would under a flood of presses.
#include <chrono>

#include <allegro.h>

#include "systeme/systeme.h"

enum { CODES = 128, PRESOMPTION = 1000 };  // scancodes are 7 bits; PRESOMPTION: in ms

// Written by the keyboard callback and the ports' change callbacks (the library's input
// thread), read by the stage.
static std::atomic<int> comptes[CODES][2];       // presses not taken yet, [key][shift down]
static std::atomic<bool> tenues[CODES];          // each key as last reported, or as found on return
static std::atomic<bool> parties[CODES];         // held when the keyboard went away during a change
static std::atomic<long long> presumees[CODES];  // a key held across a change is presumed held until
                                                 // then, unless its auto-repeat or release comes; 0: known
static std::atomic<bool> frappe{false};          // a key went down or up since the stage last asked

static long long fin_presumee(int k, long long fin) { return k < KEY_MODIFIERS ? fin : 0; }

static long long ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A key held across a change is presumed held for a second: its auto-repeat goes on
// through the change and confirms it, but a server that still reports a key down once
// the keyboard is back, though it was released meanwhile (XWayland, whose keyboard
// follows the compositor's), must not leave it held, its next press taken for a repeat.
// The modifiers never repeat: held across a change, they stay held until released.
static bool tenue_vue(int k) {
    if (!tenues[k].load() && !parties[k].load()) return false;
    const long long fin = presumees[k].load();
    return fin == 0 || ms() < fin;
}

bool tenue(int code) { return code > 0 && code < CODES && tenue_vue(code); }

bool majuscule() { return key[KEY_LSHIFT] || key[KEY_RSHIFT] || tenue(KEY_LSHIFT) || tenue(KEY_RSHIFT); }

static void note(int k) { comptes[k][majuscule()].fetch_add(1); }

// A press of a key already held is the keyboard's auto-repeat, not a press.
void touche_frappee(int scancode) {
    const int k = scancode & 0x7f;
    if (scancode & 0x80) {
        tenues[k].store(false);
    } else {
        const bool repete = tenue_vue(k);
        tenues[k].store(true);
        presumees[k].store(0);
        if (!repete) note(k);
    }
    frappe.store(true);
    reveille();
}
END_OF_FUNCTION(touche_frappee)

// The library may report the keyboard gone more than once in a change (for the window
// and for its inner one): the first report saw what was held.
void clavier_part() {
    const long long fin = ms() + PRESOMPTION;
    for (int k = 0; k < CODES; k++)
        if (tenues[k].load() && !parties[k].load()) parties[k].store(true), presumees[k].store(fin_presumee(k, fin));
}

void clavier_revient(const bool *bas) {
    const long long fin = ms() + PRESOMPTION;
    for (int k = 1; k < CODES; k++) {
        if (bas[k] && !parties[k].load() && !tenues[k].load()) note(k);
        if (bas[k]) tenues[k].store(true), presumees[k].store(fin_presumee(k, fin));
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
    for (auto &p : presumees) p.store(0);
    frappe.store(false);
}
