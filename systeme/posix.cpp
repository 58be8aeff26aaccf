// Signals on every Unix port. A thread of the program's own takes SIGINT, SIGTERM,
// SIGHUP and SIGQUIT, which every other thread blocks from before the library starts:
// the library's handlers, which shut it down from inside the signal and abort, never
// run, and a start-up waiting on a display that does not answer cannot keep a signal
// from acting. Nothing runs inside a signal handler.
#include <csignal>
#include <initializer_list>

#include <pthread.h>

#include "systeme/systeme.h"

static sigset_t signaux() {
    sigset_t s;
    sigemptyset(&s);
    for (int n : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&s, n);
    return s;
}

// SIGQUIT keeps its usual meaning: the process stops at once, with a core dump.
static void quitte_sur_le_champ() {
    std::signal(SIGQUIT, SIG_DFL);
    sigset_t q;
    sigemptyset(&q);
    sigaddset(&q, SIGQUIT);
    pthread_sigmask(SIG_UNBLOCK, &q, nullptr);
    std::raise(SIGQUIT);
}

static void *veille(void *) {
    const sigset_t s = signaux();
    for (;;) {
        int n = 0;
        if (sigwait(&s, &n) != 0) continue;
        if (n == SIGQUIT) quitte_sur_le_champ();
        signal_de_fin(n);
    }
}

// A note written on a closed standard error fails instead of ending the process.
void prepare_signaux() {
    std::signal(SIGPIPE, SIG_IGN);
    const sigset_t s = signaux();
    pthread_sigmask(SIG_BLOCK, &s, nullptr);
    pthread_t t;
    if (pthread_create(&t, nullptr, veille, nullptr) == 0) pthread_detach(t);
}
