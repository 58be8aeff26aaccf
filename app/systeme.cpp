// How the desktop asks the program to end (signals, the window's close button, the
// loss of the X display) and how finely it sleeps. What differs between platforms
// stays in this file.
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/app.h"

#if defined(ALLEGRO_WITH_XWINDOWS)
#include <X11/Xlib.h>
#elif defined(ALLEGRO_WINDOWS)
#include <winalleg.h>
#endif

std::atomic<int> sortie{-1};

// Both only set sortie: the loop ends at its top and shuts down in order.
static void signal_recu(int n) { sortie.store(128 + n); }
static void fermeture() { sortie.store(0); }
END_OF_FUNCTION(fermeture)

#if defined(ALLEGRO_WITH_XWINDOWS)
// Xlib ends the process once this returns, through exit and the library's
// shutdown, which waits on the lost connection and aborts. Leave at once instead.
static int affichage_perdu(Display *) {
    std::fputs("vorplane: the X display was lost\n", stderr);
    std::_Exit(1);
}
#endif

// After allegro_init, whose own handlers for these signals would shut the
// library down from inside the signal and abort. Windows wakes sleeping threads
// every 15.6 ms unless asked for 1 ms: the 10 ms timer and the loop's rest need it.
void ecoute_systeme() {
    std::signal(SIGINT, signal_recu);
    std::signal(SIGTERM, signal_recu);
#if defined(SIGHUP)
    std::signal(SIGHUP, signal_recu);
#endif
    LOCK_VARIABLE(sortie);
    LOCK_FUNCTION(fermeture);
    set_close_button_callback(fermeture);
#if defined(ALLEGRO_WITH_XWINDOWS)
    XSetIOErrorHandler(affichage_perdu);
#elif defined(ALLEGRO_WINDOWS)
    timeBeginPeriod(1);
#endif
}
