// What every port shares: the exit status, the requests to end and the way out when the
// program cannot go on.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <allegro.h>

#include "systeme/systeme.h"

std::atomic<int> sortie{-1};
static std::atomic<bool> immediats{false};  // the shutdown has begun: nothing reads sortie any more

void signaux_immediats() { immediats.store(true); }

void demande_fin(int statut) {
    int encours = -1;
    sortie.compare_exchange_strong(encours, statut);
    reveille();
}

void fermeture() { demande_fin(0); }
END_OF_FUNCTION(fermeture)

// The first signal asks the loop to end; one that comes before the loop has acted on
// that request (as when it waits on a frozen X server), or after the shutdown began,
// ends the process at once: nothing can keep the user from stopping it.
void signal_de_fin(int n) {
    int encours = -1;
    if (immediats.load() || !sortie.compare_exchange_strong(encours, 128 + n)) std::_Exit(128 + n);
    reveille();
}

// Leaves the library first, so that the message reaches a normal console; then the
// process, without the exit handlers, which would leave the library again.
void echec(const char *quoi, bool bibliotheque) {
    char raison[ALLEGRO_ERROR_SIZE] = "";
    if (bibliotheque) std::strncpy(raison, allegro_error, sizeof raison - 1), quitte_bibliotheque();
    std::fprintf(stderr, "vorplane: %s%s%s\n", quoi, raison[0] ? ": " : "", raison);
    std::_Exit(1);
}
