// The Debian package: cpack makes tessellon_<version>_<arch>.deb with
// Depends worked out from the libraries the programs link and the install
// tree under /usr; dpkg -i installs it, the installed game starts from
// its menu launcher and keeps its player's files out of /usr, and dpkg -r
// takes it all away again. Needs root and dpkg (CI runs as root on Debian).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include <filesystem>

#include "tests/e2e/commands.h"
#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

bool package_installed(const std::string& name) {
    std::string out;
    return support::run_command("dpkg-query -W -f='${Status}' " + name, &out) == 0 &&
           out.find("install ok installed") != std::string::npos;
}

TEST(PackageE2e, TheDebInstallsStartsAndRemovesCleanly) {
    if (geteuid() != 0) GTEST_SKIP() << "installing a package needs root";
    if (support::run_command("command -v dpkg && command -v dpkg-shlibdeps") != 0)
        GTEST_SKIP() << "dpkg or dpkg-shlibdeps is missing (not a Debian machine?)";
    // One package test at a time on the machine, whichever build runs it.
    int lock = open("/run/lock/tessellon-package-test.lock", O_CREAT | O_RDWR, 0644);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    struct Unlock {
        int fd;
        ~Unlock() { close(fd); }
    } unlock{lock};
    if (package_installed("tessellon"))
        GTEST_SKIP() << "tessellon is already installed here; the test would replace and remove it";

    support::TempFolder temp("tessellon-package");
    ASSERT_FALSE(temp.path.empty());
    std::string out;
    std::string cpack = "cd " + support::shell_quoted(TEST_BUILD_DIR) + " && " +
                        support::shell_quoted(TEST_CPACK_COMMAND) + " -G DEB -B " + support::shell_quoted(temp.path);
    ASSERT_EQ(support::run_command(cpack, &out), 0) << out;
    std::string arch;
    ASSERT_EQ(support::run_command("dpkg --print-architecture", &arch), 0);
    while (!arch.empty() && arch.back() == '\n') arch.pop_back();
    std::string deb = temp.path + "/tessellon_" + TEST_VERSION + "_" + arch + ".deb";
    ASSERT_TRUE(fs::is_regular_file(deb)) << out;

    // Depends from the shared libraries, the files under /usr.
    ASSERT_EQ(support::run_command("dpkg-deb -f " + support::shell_quoted(deb) + " Depends", &out), 0);
    for (const char* library : {"libc6", "libx11-6", "libglx0", "libpng16-16", "libfreetype6", "libvorbisfile3"})
        EXPECT_NE(out.find(library), std::string::npos) << library << " not in Depends: " << out;
    ASSERT_EQ(support::run_command("dpkg-deb -c " + support::shell_quoted(deb), &out), 0);
    for (const char* file :
         {"./usr/games/tessellon -> ../lib/games/tessellon/tessellon",
          "./usr/games/tessellon-cut -> ../lib/games/tessellon/tessellon-cut", "./usr/lib/games/tessellon/tessellon",
          "./usr/lib/games/tessellon/installed.txt", "./usr/lib/games/tessellon/jigsaws/0000bexil/pieces.txt",
          "./usr/share/applications/tessellon.desktop", "./usr/share/metainfo/tessellon.metainfo.xml",
          "./usr/share/icons/hicolor/48x48/apps/tessellon.png", "./usr/share/man/man6/tessellon.6.gz",
          "./usr/share/man/man6/tessellon-cut.6.gz"})
        EXPECT_NE(out.find(file), std::string::npos) << file;
    EXPECT_EQ(out.find("players"), std::string::npos);

    // Installed, then removed again whatever happens below.
    ASSERT_EQ(support::run_command("dpkg -i " + support::shell_quoted(deb), &out), 0) << out;
    struct Remove {
        bool done = false;
        int run(std::string* text) {
            done = true;
            return support::run_command("dpkg -r tessellon", text);
        }
        ~Remove() {
            std::string text;
            if (!done && run(&text) != 0) ADD_FAILURE() << "dpkg -r: " << text;
        }
    } remove;
    EXPECT_TRUE(package_installed("tessellon"));
    EXPECT_EQ(support::run_command("/usr/games/tessellon --version", &out), 0);
    EXPECT_EQ(out, std::string("tessellon ") + TEST_VERSION + "\n");
    std::string desktop = e2e::read_file_text("/usr/share/applications/tessellon.desktop");
    EXPECT_NE(desktop.find("\nExec=/usr/games/tessellon\n"), std::string::npos) << desktop;

    {
        e2e::GameOptions options;
        options.program = "/usr/games/tessellon";
        // Windowed, so that a close request ends it as a player's would.
        options.before_game = [](const std::string&, const std::string& home) {
            std::string players = home + "/.local/share/tessellon/players/default";
            fs::create_directories(players);
            support::write_text(players + "/prefer.txt", support::Preferences().text());
        };
        e2e::Session game(options);
        ASSERT_TRUE(game.ok()) << game.error;
        int w = 0, h = 0;
        unsigned long window = game.wait_for_window(support::GAME_TITLE, 20000, &w, &h);
        ASSERT_NE(window, 0u) << "exit " << game.wait_exit(0);
        EXPECT_EQ(w, 800);
        EXPECT_EQ(h, 600);
        // Drawn: the title box over a screen that is not all black.
        EXPECT_TRUE(game.wait_for_screen(
            [](const e2e::Shot& s) { return s.width == 800 && (s.at(400, 300) != 0 || s.at(100, 100) != 0); }, 10000));
        // Root may write into /usr, yet the installed game kept out of it.
        EXPECT_FALSE(fs::exists("/usr/lib/games/tessellon/players"));
        EXPECT_TRUE(fs::is_directory(game.home_dir + "/.local/share/tessellon/jigsaws"));
        game.close_window(window);
        EXPECT_EQ(game.wait_exit(10000), 0);
    }

    // Removed, nothing of it stays.
    ASSERT_EQ(remove.run(&out), 0) << out;
    EXPECT_FALSE(package_installed("tessellon"));
    for (const char* path : {"/usr/lib/games/tessellon", "/usr/games/tessellon", "/usr/games/tessellon-cut",
                             "/usr/share/applications/tessellon.desktop", "/usr/share/man/man6/tessellon.6.gz"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(path))) << path;
}

}  // namespace
