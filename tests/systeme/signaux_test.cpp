// Signals around the shutdown.
#include <csignal>

#include "headless.h"

namespace {

// While the loop runs a signal only asks it to end; once the shutdown has begun,
// or when a second comes before the loop acted on the first, it ends the process at
// once, so that neither a shutdown nor a loop waiting on the X server can trap the user.
TEST(ShutdownDeathTest, ASignalAfterTheLoopOrASecondOneEndsTheProcessAtOnce) {
    EXPECT_EXIT(
        {
            ecoute_systeme();
            std::raise(SIGTERM);
            if (sortie != 128 + SIGTERM) std::_Exit(2);
            arreter();
            std::raise(SIGTERM);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(128 + SIGTERM), "");
    EXPECT_EXIT(
        {
            ecoute_systeme();
            std::raise(SIGINT);
            if (sortie != 128 + SIGINT) std::_Exit(2);
            std::raise(SIGHUP);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(128 + SIGHUP), "");
}

}  // namespace
