// What every Unix port shares: the signals and the loop's rest. A thread of the
// program's own takes SIGINT, SIGTERM, SIGHUP and SIGQUIT, which every other thread
// blocks from before the library starts: the library's handlers, which shut it down from
// inside the signal and abort, never run, and a start-up waiting on a display that does
// not answer cannot keep a signal from acting. Nothing runs inside a signal handler. The
// loop sleeps until that thread, or one of the library's, has news for it.
#include <csignal>
#include <ctime>
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

// The loop's rest: a flag under a lock, and a condition timed on the steady clock.
static pthread_mutex_t verrou = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t condition = PTHREAD_COND_INITIALIZER;
static bool reveil;  // reveille was called since attend_reveil last returned

void reveille() {
    pthread_mutex_lock(&verrou);
    reveil = true;
    pthread_cond_signal(&condition);
    pthread_mutex_unlock(&verrou);
}

bool attend_reveil(long long delai) {
    timespec fin;
    clock_gettime(CLOCK_MONOTONIC, &fin);
    const long long ns = fin.tv_nsec + (delai > 0 ? delai : 0) * 1000;
    fin.tv_sec += ns / 1000000000, fin.tv_nsec = ns % 1000000000;
    pthread_mutex_lock(&verrou);
    while (!reveil && pthread_cond_clockwait(&condition, &verrou, CLOCK_MONOTONIC, &fin) == 0) {
    }
    const bool reveille_ = reveil;
    reveil = false;
    pthread_mutex_unlock(&verrou);
    return reveille_;
}
