// Signals around the shutdown.
#include <chrono>
#include <csignal>
#include <thread>

#include <unistd.h>

#include "headless.h"

namespace {

// A signal comes to the program's own thread whichever thread runs: sent to the process.
void envoie(int n) { kill(getpid(), n); }

// The loop's view of the exit status, once the signal's thread has acted.
int sortie_vue() {
    for (int i = 0; i < 1000 && sortie < 0; i++) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return sortie;
}

// While the loop runs a signal only asks it to end; once the shutdown has begun,
// or when a second comes before the loop acted on the first, it ends the process at
// once, so that neither a shutdown nor a loop waiting on the X server can trap the user.
TEST(ShutdownDeathTest, ASignalAfterTheLoopOrASecondOneEndsTheProcessAtOnce) {
    EXPECT_EXIT(
        {
            prepare_signaux();
            envoie(SIGTERM);
            if (sortie_vue() != 128 + SIGTERM) std::_Exit(2);
            arreter();
            envoie(SIGTERM);
            std::this_thread::sleep_for(std::chrono::seconds(5));
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(128 + SIGTERM), "");
    EXPECT_EXIT(
        {
            prepare_signaux();
            envoie(SIGINT);
            if (sortie_vue() != 128 + SIGINT) std::_Exit(2);
            envoie(SIGHUP);
            std::this_thread::sleep_for(std::chrono::seconds(5));
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(128 + SIGHUP), "");
}
}  // namespace
