// Signals around the shutdown.
#include <csignal>

#include "headless.h"

namespace {

// While the loop runs a signal only asks it to end; once the shutdown has begun,
// it ends the process at once, so that no shutdown can trap the user.
TEST(ShutdownDeathTest, ASignalAfterTheLoopEndsTheProcessAtOnce) {
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
}

}  // namespace
