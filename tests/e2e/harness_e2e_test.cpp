// The harness's own guarantees: a killed test leaves no game or X server
// running, and a session that outlives its time limit ends the test with a
// message instead of hanging in an X call.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/e2e/harness.h"

namespace {

// Whether pid is a live process (a zombie waiting for its parent is dead).
bool alive(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pid_field, name, state;
    if (!(stat >> pid_field >> name >> state)) return false;
    return state != "Z" && state != "X";
}

TEST(Harness, AKilledTestLeavesNoGameOrXServerRunning) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t test = fork();
    ASSERT_GE(test, 0);
    if (test == 0) {
        // A test process that starts a game and is killed before any clean-up.
        close(fds[0]);
        e2e::Session game;
        int pids[2] = {game.ok() ? game.game_pid : 0, game.xvfb()};
        ssize_t written = write(fds[1], pids, sizeof pids);
        (void)written;
        raise(SIGKILL);
        _exit(1);
    }
    close(fds[1]);
    int pids[2] = {0, 0};
    ssize_t got = read(fds[0], pids, sizeof pids);
    close(fds[0]);
    int status = 0;
    waitpid(test, &status, 0);
    ASSERT_EQ(got, static_cast<ssize_t>(sizeof pids));
    ASSERT_GT(pids[0], 0);
    ASSERT_GT(pids[1], 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    e2e::poll_until([&] { return !alive(pids[0]) && !alive(pids[1]); }, 5000, 20);
    EXPECT_FALSE(alive(pids[0])) << "the game outlived the killed test";
    EXPECT_FALSE(alive(pids[1])) << "Xvfb outlived the killed test";
}

TEST(HarnessDeathTest, ASessionPastItsTimeLimitEndsTheTestInsteadOfHanging) {
    testing::GTEST_FLAG(death_test_style) = "threadsafe";
    e2e::GameOptions options;
    options.time_limit_ms = 3000;
    EXPECT_EXIT(
        {
            e2e::Session game(options);
            // No window has this title: only the watchdog can end the wait.
            game.wait_for_window("no such window", 120000);
            for (int i = 0; i < 600; i++) game.grab();
            _exit(0);
        },
        testing::ExitedWithCode(1), "outlived its 3000 ms");
}

}  // namespace
