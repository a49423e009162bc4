// The installed game: cmake --install lays out a complete tree whose
// desktop entry and metainfo validate, and the installed launcher, run as
// an ordinary user from a read-only tree, keeps his files in his data
// folder: S saves there, a jigsaw cut by the installed tessellon-cut into
// his jigsaws folder is listed by N and plays, and a kill deletes his own
// jigsaw but refuses an installed one.
#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/e2e/commands.h"
#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"
#include "tests/support/images.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const char* const title = support::GAME_TITLE;
const std::string prefer = support::Preferences().text();
const uint32_t BROWSER = 0xE0FFFF;
const uint32_t KILL_RED = 0xFF0000;
const char* OWN_JIGSAW = "zz_own_magenta";  // listed after the starter library
const char* TEST_USER = "tessellon-e2e";

// Width and height from a PNG's header; false when it is not a PNG.
bool png_size(const std::string& path, int* w, int* h) {
    std::string bytes = e2e::read_file_text(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return false;
    auto be32 = [&](size_t at) {
        return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
               (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
    };
    *w = be32(16);
    *h = be32(20);
    return true;
}

TEST(InstallE2e, TheInstallTreeIsCompleteAndValidates) {
    support::TempFolder temp("tessellon-install");
    ASSERT_FALSE(temp.path.empty());
    std::string p = temp.path + "/prefix", out;
    ASSERT_TRUE(e2e::install_build(p, &out)) << out;

    std::string game = p + "/lib/games/tessellon";
    for (const char* file : {"tessellon", "tessellon-cut", "installed.txt", "images/pointer.bmp", "images/help0.png",
                             "fonts/Tahoma.ttf", "fonts/courbi.ttf", "sounds/music.ogg", "sounds/click.wav",
                             "jigsaws/0000bexil/pieces.txt", "jigsaws/0000bexil/tn.png"})
        EXPECT_TRUE(fs::is_regular_file(game + "/" + file)) << file;
    EXPECT_FALSE(fs::exists(game + "/players"));
    // The launchers lead to the programs in the game folder.
    for (const char* program : {"tessellon", "tessellon-cut"}) {
        std::error_code ec;
        EXPECT_EQ(fs::canonical(p + "/games/" + program, ec), fs::canonical(game + "/" + program)) << program;
    }
    EXPECT_EQ(support::run_command(support::shell_quoted(p + "/games/tessellon") + " --version", &out), 0);
    EXPECT_EQ(out, std::string("tessellon ") + TEST_VERSION + "\n");
    EXPECT_EQ(support::run_command(support::shell_quoted(p + "/games/tessellon") + " --help", &out), 0);
    EXPECT_NE(out.find("XDG_DATA_HOME"), std::string::npos) << out;

    std::string desktop = p + "/share/applications/tessellon.desktop";
    EXPECT_EQ(support::run_command("desktop-file-validate " + support::shell_quoted(desktop), &out), 0) << out;
    EXPECT_EQ(out, "");
    EXPECT_NE(e2e::read_file_text(desktop).find("\nExec=" + p + "/games/tessellon\n"), std::string::npos);
    std::string metainfo = p + "/share/metainfo/tessellon.metainfo.xml";
    EXPECT_EQ(support::run_command("appstreamcli validate --no-net " + support::shell_quoted(metainfo), &out), 0)
        << out;
    std::string meta = e2e::read_file_text(metainfo);
    EXPECT_NE(meta.find("<screenshot type=\"default\">"), std::string::npos);
    EXPECT_NE(meta.find(std::string("<release version=\"") + TEST_VERSION + "\""), std::string::npos);

    for (int size : {48, 64, 128, 256}) {
        std::string s = std::to_string(size);
        int w = 0, h = 0;
        EXPECT_TRUE(png_size(p + "/share/icons/hicolor/" + s + "x" + s + "/apps/tessellon.png", &w, &h)) << s;
        EXPECT_EQ(w, size);
        EXPECT_EQ(h, size);
    }
    for (const char* page : {"tessellon", "tessellon-cut"}) {
        std::string path = p + "/share/man/man6/" + std::string(page) + ".6.gz";
        ASSERT_EQ(support::run_command("gzip -dc " + support::shell_quoted(path), &out), 0) << page;
        EXPECT_EQ(
            out.rfind(".TH " + std::string(page == std::string("tessellon") ? "TESSELLON" : "TESSELLON-CUT") + " 6", 0),
            0u)
            << page;
    }
}

// The uid and gid of an ordinary user to run the game as: the test's own
// when it is not root, else TEST_USER, made when missing (*made then).
bool ordinary_user(int* uid, int* gid, bool* made, std::string* why) {
    *made = false;
    if (geteuid() != 0) {
        *uid = 0;  // the harness runs the game as the test itself
        *gid = 0;
        return true;
    }
    if (!getpwnam(TEST_USER)) {
        std::string out;
        std::string useradd = std::string("useradd --system --no-create-home --shell /usr/sbin/nologin ") + TEST_USER;
        if (support::run_command(useradd, &out) != 0) {
            *why = "useradd could not make the user " + std::string(TEST_USER) + ": " + out;
            return false;
        }
        *made = true;
    }
    const passwd* entry = getpwnam(TEST_USER);
    if (!entry) {
        *why = "no user " + std::string(TEST_USER);
        return false;
    }
    *uid = static_cast<int>(entry->pw_uid);
    *gid = static_cast<int>(entry->pw_gid);
    return true;
}

// Runs the installed cutter as the user with that HOME and no
// XDG_DATA_HOME, so that it finds his jigsaws folder itself.
int cut_as_user(const std::string& cutter, const std::string& picture, const std::string& home, int uid, int gid) {
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (uid != 0 && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) _exit(125);
        setenv("HOME", home.c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        if (chdir(home.c_str()) != 0) _exit(126);
        execl(cutter.c_str(), cutter.c_str(), "--quiet", "--rows", "2", "--columns", "2", picture.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The centre of cell i (from 0) of the 800x600 library page.
int cell_x(int i) { return 8 + (i % 8) * 98 + 48; }
int cell_y(int i) { return 66 + (i / 8) * 74 + 36; }

bool is_magenta(uint32_t p) { return e2e::red(p) > 200 && e2e::green(p) < 60 && e2e::blue(p) > 200; }

TEST(InstallE2e, TheInstalledGameRunsForAnOrdinaryUserFromAReadOnlyTree) {
    int uid = 0, gid = 0;
    bool made_user = false;
    std::string why;
    if (!ordinary_user(&uid, &gid, &made_user, &why)) GTEST_SKIP() << "no ordinary user to run the game as: " << why;
    struct RemoveUser {
        bool made;
        ~RemoveUser() {
            if (made) support::run_command(std::string("userdel ") + TEST_USER);
        }
    } remove_user{made_user};

    support::TempFolder temp("tessellon-installed");
    ASSERT_FALSE(temp.path.empty());
    std::string p = temp.path + "/prefix", out;
    ASSERT_TRUE(e2e::install_build(p, &out)) << out;
    // Read-only for everyone, as an installed tree is for the player.
    fs::permissions(temp.path, fs::perms(0755));
    ASSERT_EQ(support::run_command("chmod -R a-w " + support::shell_quoted(p)), 0);
    std::string game_folder = p + "/lib/games/tessellon";
    std::vector<std::string> installed;
    for (const fs::directory_entry& entry : fs::directory_iterator(game_folder + "/jigsaws"))
        if (entry.path().filename() != "0000bexil") installed.push_back(entry.path().filename().string());
    std::sort(installed.begin(), installed.end());
    ASSERT_GE(installed.size(), 2u);
    ASSERT_LT(installed.size(), 55u);  // the library and the own jigsaw fit on one page

    e2e::GameOptions options;
    options.program = p + "/games/tessellon";
    options.uid = uid;
    options.gid = gid;
    int cut_status = -2;
    options.before_game = [&](const std::string&, const std::string& home) {
        std::string players = home + "/.local/share/tessellon/players/default";
        fs::create_directories(players);
        std::ofstream(players + "/prefer.txt", std::ios::binary) << prefer;
        // The picture belongs to the user, who cuts it into his library.
        std::string picture = home + "/" + OWN_JIGSAW + ".png";
        if (!support::write_solid_png(picture, 400, 300, 0xFFFF00FF)) return;
        if (uid != 0 && support::run_command("chown -R " + std::to_string(uid) + ":" + std::to_string(gid) + " " +
                                             support::shell_quoted(home)) != 0)
            return;
        cut_status = cut_as_user(p + "/games/tessellon-cut", picture, home, uid, gid);
    };
    e2e::Session session(options);
    ASSERT_TRUE(session.ok()) << session.error;
    ASSERT_EQ(cut_status, 0);
    std::string data = session.home_dir + "/.local/share/tessellon";
    ASSERT_TRUE(fs::is_regular_file(data + "/jigsaws/" + OWN_JIGSAW + "/pieces.txt"));

    // The opening, cut short, until the board stands still.
    ASSERT_TRUE(session.wait_for_window(title, 20000)) << "exit " << session.wait_exit(0);
    // The opening has drawn its first frame: a click now reaches it.
    ASSERT_TRUE(session.wait_for_screen([](const e2e::Shot& s) { return s.drawn(); }, 20000));
    session.click(790, 590);
    session.move(790, 590);
    ASSERT_TRUE(session.wait_until_still(20000));

    // N: the installed library, then the player's own jigsaw, then the
    // reserved one.
    session.key("n");
    int own_cell = static_cast<int>(installed.size());
    e2e::Shot page;
    ASSERT_TRUE(session.wait_for_screen(
        [&](const e2e::Shot& s) {
            return s.at(400, 592) == BROWSER && is_magenta(s.at(cell_x(own_cell), cell_y(own_cell)));
        },
        10000, &page))
        << "own jigsaw's cell shows " << std::hex << page.at(cell_x(own_cell), cell_y(own_cell));
    EXPECT_NE(page.at(cell_x(own_cell + 1), cell_y(own_cell + 1)), BROWSER);  // the reserved jigsaw
    EXPECT_EQ(page.at(cell_x(own_cell + 2), cell_y(own_cell + 2)), BROWSER);

    // It plays: its magenta pieces are dealt on the board, and S saves the
    // game into the player's data folder.
    session.click(cell_x(own_cell), cell_y(own_cell));
    ASSERT_TRUE(session.wait_for_screen(
        [](const e2e::Shot& s) {
            if (s.at(400, 592) == BROWSER) return false;
            int magenta = 0;
            for (int y = 0; y < s.height; y += 4)
                for (int x = 0; x < s.width; x += 4) magenta += is_magenta(s.at(x, y));
            return magenta > 200;
        },
        10000));
    session.key("s");
    std::string saved = data + "/players/default/" + OWN_JIGSAW + ".txt";
    std::string thumbnail = data + "/players/default/" + OWN_JIGSAW + ".png";
    e2e::poll_until([&] { return e2e::read_numbers(saved).size() >= 33 && fs::exists(thumbnail); }, 10000, 100);
    EXPECT_EQ(e2e::read_numbers(saved).size(), 7u * 4 + 5);
    EXPECT_TRUE(fs::is_regular_file(thumbnail));
    struct stat st;
    ASSERT_EQ(stat(saved.c_str(), &st), 0);
    EXPECT_EQ(static_cast<int>(st.st_uid), uid == 0 ? static_cast<int>(geteuid()) : uid);

    // K: mark an installed jigsaw and the own one; K again kills the own
    // one and refuses the installed one with a message.
    session.key("k");
    auto kill_page = [](const e2e::Shot& s) { return s.at(400, 592) == KILL_RED; };
    e2e::Shot unmarked;
    ASSERT_TRUE(session.wait_until_still(10000, &unmarked, kill_page));
    session.click(cell_x(0), cell_y(0));
    session.click(cell_x(own_cell), cell_y(own_cell));
    ASSERT_TRUE(session.wait_for_change(unmarked, 10000)) << "the marks were not shown";
    session.key("k");
    // The message on black: the left edge of the screen turns black.
    e2e::Shot message;
    EXPECT_TRUE(session.wait_for_screen(
        [](const e2e::Shot& s) { return s.at(4, 300) == 0 && s.at(400, 592) == 0 && s.at(4, 4) == 0; }, 10000,
        &message));
    if (const char* shots = std::getenv("TESSELLON_E2E_SHOTS_DIR"))
        message.save_png(std::string(shots) + "/refused.png");
    session.key("space");
    EXPECT_TRUE(session.wait_for_screen([](const e2e::Shot& s) { return s.at(4, 300) != 0; }, 10000));
    EXPECT_FALSE(fs::exists(data + "/jigsaws/" + OWN_JIGSAW));
    EXPECT_TRUE(fs::is_regular_file(game_folder + "/jigsaws/" + installed[0] + "/pieces.txt"));
    EXPECT_FALSE(fs::exists(game_folder + "/players"));

    session.close_window(session.wait_for_window(title, 5000));
    EXPECT_EQ(session.wait_exit(10000), 0);
}

}  // namespace
