// Readers meet what is not a regular file where a file should be: a named
// pipe with no writer, a folder, a device. Each reader answers with its
// usual failure at once. Every call runs in a child process that is killed
// after a bounded wait, so a reader that blocks fails the test instead of
// hanging it.
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "media/media_internal.h"
#include "tests/support/temp_folder.h"

namespace {

enum { WAIT_LIMIT_MS = 5000, POLL_MS = 5 };

// What became of a call run in a child process.
enum Outcome { REFUSED, ACCEPTED, BLOCKED, CRASHED };

const char* outcome_name(Outcome o) {
    switch (o) {
    case REFUSED: return "refused";
    case ACCEPTED: return "accepted";
    case BLOCKED: return "blocked";
    default: return "crashed";
    }
}

// Runs call() in a child; REFUSED when it returned false within the limit.
template <typename Call>
Outcome run_bounded(Call call) {
    pid_t pid = fork();
    if (pid < 0) return CRASHED;
    if (pid == 0) _exit(call() ? 1 : 0);
    for (int waited = 0; waited < WAIT_LIMIT_MS; waited += POLL_MS) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            if (!WIFEXITED(status)) return CRASHED;
            return WEXITSTATUS(status) == 0 ? REFUSED : ACCEPTED;
        }
        usleep(POLL_MS * 1000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return BLOCKED;
}

class SpecialFiles : public ::testing::Test {
protected:
    support::TempFolder temp{"media_special"};
    std::string dir;
    std::vector<std::string> places;  // a FIFO, a folder, a device
    void SetUp() override {
        dir = temp.path;
        ASSERT_FALSE(dir.empty());
        ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
        ASSERT_EQ(mkdir((dir + "/folder").c_str(), 0700), 0);
        places = {dir + "/pipe", dir + "/folder", "/dev/zero"};
    }
};

TEST_F(SpecialFiles, EveryReaderRefusesAtOnce) {
    for (const std::string& place : places) {
        SCOPED_TRACE(place);
        EXPECT_EQ(run_bounded([&] {
                      TStream* s = read_file(place);
                      close_file(s);
                      return s != nullptr;
                  }),
                  REFUSED)
            << "read_file";
        EXPECT_EQ(run_bounded([&] { return load_pixmap(place) != nullptr; }), REFUSED) << "load_pixmap";
        EXPECT_EQ(run_bounded([&] {
                      return load_image_within(place, -1, {1024, 768, 1024 * 768}, nullptr) != nullptr;
                  }),
                  REFUSED)
            << "load_image_within";
        EXPECT_EQ(run_bounded([&] { return load_sound(place, 0) != nullptr; }), REFUSED) << "load_sound";
        EXPECT_EQ(run_bounded([&] { return load_font(place, 14, 4) != nullptr; }), REFUSED) << "load_font";
    }
}

TEST_F(SpecialFiles, WritingToAPipeWithNoReaderFailsAtOnce) {
    Outcome o = run_bounded([&] {
        TStream* s = write_file(dir + "/pipe");
        close_file(s);
        return s != nullptr;
    });
    EXPECT_EQ(o, REFUSED) << outcome_name(o);
    TPixmap* p = create_pixmap(2, 2, PF_RGBA8888);
    o = run_bounded([&] { return save_pixmap_png(p, dir + "/pipe", 5); });
    EXPECT_EQ(o, REFUSED) << outcome_name(o);
    free_pixmap(p);
}

TEST_F(SpecialFiles, APipeWithAWriterIsStillNoFile) {
    // Even with a writer holding the pipe open the reader will not read
    // from it: a pipe is never a file the game can use.
    std::string pipe = dir + "/pipe";
    pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        FILE* f = fopen(pipe.c_str(), "wb");
        if (f) sleep(30);
        _exit(0);
    }
    Outcome o = run_bounded([&] {
        TStream* s = read_file(pipe);
        close_file(s);
        return s != nullptr;
    });
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    EXPECT_EQ(o, REFUSED) << outcome_name(o);
}

TEST_F(SpecialFiles, AFollowedLinkToARegularFileStillReads) {
    std::string target = dir + "/real.txt";
    FILE* f = fopen(target.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("7\n", f);
    fclose(f);
    ASSERT_EQ(symlink(target.c_str(), (dir + "/link.txt").c_str()), 0);
    TStream* s = read_file(dir + "/link.txt");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(read_line(s), "7");
    close_file(s);
}

}  // namespace
