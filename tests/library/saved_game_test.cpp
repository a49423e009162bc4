// Saved games: the file's exact shape (7N + 5 lines, CR LF, mode 666), a
// round trip of every saved field, the repairs of damaged values, damaged
// files refused whole, the display-size line, the thumbnail, failures that
// keep the old save, and no save without a jigsaw.
#include "storage_fixture.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

struct SavedGame : StorageFixture {
    void SetUp() override {
        StorageFixture::SetUp();
        make_grid_jigsaw("grid", 2, 3);
        ASSERT_TRUE(start_jigsaw("grid"));
    }
    void TearDown() override {
        if (large_display) toggle_display_size();
        StorageFixture::TearDown();
    }
    static std::string saved_path() { return "players/default/grid.txt"; }
    static std::string thumb_path() { return "players/default/grid.png"; }
};

TEST_F(SavedGame, TwoByThreeGameHas47CrLfLinesAndMode666) {
    ASSERT_TRUE(save_game());
    bool all_crlf = false;
    std::vector<std::string> lines = split_crlf(read_text(saved_path()), &all_crlf);
    EXPECT_EQ(lines.size(), 47u);
    EXPECT_TRUE(all_crlf);
    EXPECT_EQ(mode_of(saved_path()), 0666);
    EXPECT_EQ(mode_of(thumb_path()), 0666);
    EXPECT_EQ(lines[0], std::to_string(pieces[1].x));
    EXPECT_EQ(lines[7 * 6 + 3], "0");  // the display size
    EXPECT_EQ(entries_of("players/default"), (std::vector<std::string>{"grid.png", "grid.txt"}));
}

TEST_F(SavedGame, SaveCommandWritesA264By198ThumbnailAndSaysSo) {
    saved_page = 3;
    save_command();
    EXPECT_EQ(status_message, "jigsaw saved");
    EXPECT_EQ(saved_page, 0);
    TPixmap* thumb = load_pixmap(thumb_path());
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->width, 264);
    EXPECT_EQ(thumb->height, 198);
    // The board's background shows in a corner far from every piece.
    EXPECT_EQ(read_pixel(thumb, 263, 197) & 0xFFFFFF, 0x730821u);
    free_pixmap(thumb);
    pref_save_message = 0;
    status_message = "";
    save_command();
    EXPECT_EQ(status_message, "");
}

TEST_F(SavedGame, EveryFieldSurvivesARoundTrip) {
    const int order[7] = {0, 4, 6, 1, 3, 2, 5};
    for (int i = 1; i <= 6; i++) {
        pieces[i].x = -50 + i * 111;
        pieces[i].y = 700 - i * 13;
        pieces[i].a = i % 4;
        pieces[i].visible = i % 2;
        pieces[i].gp = i <= 2 ? 0 : (i <= 4 ? 3 : 5);
        pieces[i].box = i == 1 ? 4 : 0;
        draw_order[i] = order[i];
    }
    bg_red = 9;
    bg_green = 99;
    bg_blue = 199;
    group_counter = 6;
    ASSERT_TRUE(save_game());

    ASSERT_TRUE(start_jigsaw("grid"));  // a fresh deal over everything
    bg_red = bg_green = bg_blue = 0;
    show_grouped = 1;
    ASSERT_TRUE(load_saved_game());
    for (int i = 1; i <= 6; i++) {
        EXPECT_EQ(pieces[i].x, -50 + i * 111) << i;
        EXPECT_EQ(pieces[i].y, 700 - i * 13) << i;
        EXPECT_EQ(pieces[i].a, i % 4) << i;
        EXPECT_EQ(pieces[i].visible, i % 2) << i;
        EXPECT_EQ(pieces[i].gp, i <= 2 ? 0 : (i <= 4 ? 3 : 5)) << i;
        EXPECT_EQ(pieces[i].box, i == 1 ? 4 : 0) << i;
        EXPECT_EQ(draw_order[i], order[i]) << i;
    }
    EXPECT_EQ(bg_red, 9);
    EXPECT_EQ(bg_green, 99);
    EXPECT_EQ(bg_blue, 199);
    EXPECT_EQ(group_counter, 6);
    EXPECT_EQ(show_grouped, 0);  // the last grouped piece (6) was hidden
    EXPECT_EQ(large_display, 0);
}

TEST_F(SavedGame, SizeLineSwitchesTheDisplay) {
    ASSERT_TRUE(save_game());
    bool all_crlf;
    std::vector<std::string> lines = split_crlf(read_text(saved_path()), &all_crlf);
    lines[7 * 6 + 3] = "1";
    write_text(saved_path(), crlf(lines));
    ASSERT_TRUE(load_saved_game());
    EXPECT_EQ(large_display, 1);
    EXPECT_EQ(display_width(), 1024);
    EXPECT_EQ(display_height(), 768);
    // Saved again at this size, the line says so.
    ASSERT_TRUE(save_game());
    lines = split_crlf(read_text(saved_path()), &all_crlf);
    EXPECT_EQ(lines[7 * 6 + 3], "1");
    TPixmap* thumb = load_pixmap(thumb_path());
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->width, 264);  // always the top-left 800x600
    free_pixmap(thumb);
}

TEST_F(SavedGame, OutOfRangeValuesAreRepairedWhileReading) {
    std::vector<std::string> lines;
    // piece: x, y, a, visible, gp, draw_order[i], box
    lines.insert(lines.end(), {"10", "20", "7", "5", "-3", "2", "9"});
    lines.insert(lines.end(), {"99999999", "-99999999", "-1", "1", "40", "2", "-2"});
    lines.insert(lines.end(), {"30", "40", "3", "0", "2", "0", "5"});
    lines.insert(lines.end(), {"50", "60", "1", "1", "0", "301", "1"});
    lines.insert(lines.end(), {"70", "80", "x", "1", "2", "6", "0"});
    lines.insert(lines.end(), {"90", "95", "2", "1", "0", "6", "0"});
    lines.insert(lines.end(), {"300", "-4", "77", "0", "5"});
    write_text(saved_path(), crlf(lines));
    ASSERT_TRUE(load_saved_game());
    EXPECT_EQ(pieces[1].a, 0);
    EXPECT_EQ(pieces[1].visible, 1);
    EXPECT_EQ(pieces[1].gp, 0);
    EXPECT_EQ(pieces[1].box, 0);
    EXPECT_EQ(pieces[2].a, 0);
    EXPECT_EQ(pieces[2].box, 0);
    EXPECT_LE(pieces[2].x, 10000);
    EXPECT_GE(pieces[2].y, -10000);
    EXPECT_EQ(pieces[3].box, 5);
    EXPECT_EQ(pieces[5].a, 0);  // no number
    // A group above the counter raises the counter, so the next is fresh.
    EXPECT_EQ(pieces[2].gp, 40);
    EXPECT_EQ(group_counter, 40);
    // The drawing order is a permutation of 1..6 again, first entries kept.
    bool seen[7] = {};
    for (int i = 1; i <= 6; i++) {
        ASSERT_GE(draw_order[i], 1);
        ASSERT_LE(draw_order[i], 6);
        EXPECT_FALSE(seen[draw_order[i]]) << i;
        seen[draw_order[i]] = true;
    }
    EXPECT_EQ(draw_order[1], 2);
    EXPECT_EQ(draw_order[2], 6);
    EXPECT_EQ(bg_red, 255);
    EXPECT_EQ(bg_green, 0);
    EXPECT_EQ(bg_blue, 77);
    // The repaired game plays: a drop forms a fresh group.
    draw_board();
    held_piece = 4;
    drop_held_piece();
    held_piece = 0;
}

// What a damaged file must leave alone: the pieces, the colour, the
// display and the file itself.
struct DamagedSavedGame : SavedGame {
    std::vector<std::string> lines;
    int before_x[7] = {};
    void SetUp() override {
        SavedGame::SetUp();
        ASSERT_TRUE(save_game());
        bool all_crlf;
        lines = split_crlf(read_text(saved_path()), &all_crlf);
        ASSERT_EQ(lines.size(), 47u);
        lines[7 * 6 + 3] = "1";  // a game saved at 1024x768
        for (int i = 1; i <= 6; i++) before_x[i] = pieces[i].x;
        bg_red = 3;
    }
    // Writes `text`, tries to read it, and checks that nothing changed.
    void expect_refused(const std::string& text, const std::string& why) {
        write_text(saved_path(), text);
        for (int i = 1; i <= 6; i++) pieces[i].x = before_x[i];
        std::string problem;
        EXPECT_FALSE(read_saved_game(&problem)) << why;
        EXPECT_EQ(problem.rfind("Unable to resume players/default/grid.txt: the file is damaged", 0), 0u)
            << why << ": " << problem;
        for (int i = 1; i <= 6; i++) EXPECT_EQ(pieces[i].x, before_x[i]) << why << " piece " << i;
        EXPECT_EQ(bg_red, 3) << why;
        EXPECT_EQ(large_display, 0) << why;
        EXPECT_EQ(display_width(), 800) << why;
        EXPECT_EQ(read_text(saved_path()), text) << why;
    }
    std::string first(size_t n) const {
        return crlf(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(n)));
    }
};

TEST_F(DamagedSavedGame, ShortOrLongFilesAreRefusedWithoutChangingAnything) {
    expect_refused("", "empty");
    expect_refused("5\r\n6\r\n", "two lines");
    expect_refused(first(46), "last line missing");
    expect_refused(first(40), "one piece's lines missing");
    // Line ends of CR alone make the whole file one line.
    std::string cr_only;
    for (const std::string& l : lines) cr_only += l + "\r";
    expect_refused(cr_only, "CR-only line ends");
    // A game of a larger jigsaw of the same name: seven lines too many.
    std::vector<std::string> longer = lines;
    longer.insert(longer.begin(), {"1", "2", "0", "1", "0", "7", "0"});
    expect_refused(crlf(longer), "a game of 7 pieces");
    expect_refused(std::string(70 * 1024, '1'), "too large");
}

TEST_F(DamagedSavedGame, RefusalTellsTheLinesFoundAndExpected) {
    write_text(saved_path(), first(12));
    std::string problem;
    EXPECT_FALSE(read_saved_game(&problem));
    EXPECT_EQ(problem, "Unable to resume players/default/grid.txt: the file is damaged (12 lines, 47 expected)");
}

TEST_F(DamagedSavedGame, LfOnlyEndsAndTrailingBlankLinesStillLoad) {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    write_text(saved_path(), text + "\n\r\n\n");
    ASSERT_TRUE(load_saved_game());
    EXPECT_EQ(large_display, 1);
    for (int i = 1; i <= 6; i++) EXPECT_EQ(pieces[i].x, before_x[i]);
}

TEST_F(DamagedSavedGame, ResumingADamagedGameKeepsTheCurrentJigsaw) {
    make_grid_jigsaw("other", 1, 2);
    ASSERT_TRUE(start_jigsaw("other"));
    pieces[1].x = 77;
    write_text(saved_path(), first(40));
    arm_message_answer();  // answers the "press any key" message
    EXPECT_FALSE(resume_saved_game("grid"));
    EXPECT_EQ(events_waiting(), 1);  // the message took the key and left it queued
    while (events_waiting() > 0) wait_event();
    EXPECT_EQ(jigsaw_name, "other");
    EXPECT_EQ(piece_count, 2);
    EXPECT_EQ(pieces[1].x, 77);
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
    std::string problem;
    EXPECT_FALSE(check_saved_game("grid", &problem));
    EXPECT_EQ(problem, "Unable to resume players/default/grid.txt: the file is damaged (40 lines, 47 expected)");
    // Whole again, it resumes.
    write_text(saved_path(), crlf(lines));
    EXPECT_TRUE(check_saved_game("grid", &problem)) << problem;
}

TEST_F(DamagedSavedGame, GameOfADeletedJigsawIsLeftToTheLoader) {
    std::filesystem::remove_all("jigsaws/grid");
    std::string problem;
    EXPECT_TRUE(check_saved_game("grid", &problem));  // no pieces file to count against
    EXPECT_FALSE(check_saved_game("none", &problem));
    EXPECT_EQ(problem, "Unable to access players/default/none.txt");
}

TEST_F(SavedGame, MissingFileIsReported) {
    pieces[1].x = 345;
    std::string problem;
    EXPECT_FALSE(read_saved_game(&problem));
    EXPECT_EQ(problem, "Unable to access players/default/grid.txt");
    EXPECT_EQ(pieces[1].x, 345);
}

TEST_F(SavedGame, ResumeLaysTheSavedGameOverTheJigsaw) {
    pieces[2].x = 432;
    pieces[2].gp = 1;
    pieces[3].gp = 1;
    group_counter = 1;
    ASSERT_TRUE(save_game());
    make_grid_jigsaw("other", 1, 2);
    ASSERT_TRUE(start_jigsaw("other"));
    click_pending = 1;
    screen_state = SCREEN_LOAD;
    ASSERT_TRUE(resume_saved_game("grid"));
    EXPECT_EQ(jigsaw_name, "grid");
    EXPECT_EQ(piece_count, 6);
    EXPECT_EQ(pieces[2].x, 432);
    EXPECT_EQ(group_counter, 1);
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
}

TEST_F(SavedGame, FailedWriteKeepsTheOldSavedGameByteIdentical) {
    // A disk that fills up part way or at once, a failed sync, a failed
    // rename: S tells the player, and the old game and thumbnail stay.
    struct Fault {
        const char* what;
        int64_t after_bytes;
        bool sync, rename;
    };
    const Fault faults[] = {
        {"disk full after 20 bytes", 20, false, false},
        {"disk full at once", 0, false, false},
        {"sync fails", -1, true, false},
        {"rename fails", -1, false, true},
    };
    pieces[1].x = 321;
    ASSERT_TRUE(save_game());
    std::string old_text = read_text(saved_path());
    std::string old_thumb = read_text(thumb_path());
    pieces[1].x = 654;
    for (const Fault& f : faults) {
        file_faults = TFileFaults();
        file_faults.fail_after_bytes = f.after_bytes;
        file_faults.fail_sync = f.sync;
        file_faults.fail_rename = f.rename;
        std::string problem;
        EXPECT_FALSE(write_saved_game(&problem)) << f.what;
        EXPECT_EQ(problem, "Unable to save to players/default/grid.txt") << f.what;
        EXPECT_EQ(read_text(saved_path()), old_text) << f.what;
        EXPECT_EQ(read_text(thumb_path()), old_thumb) << f.what;
        EXPECT_EQ(entries_of("players/default"), (std::vector<std::string>{"grid.png", "grid.txt"})) << f.what;
        // The S command shows the failure and does not claim a save.
        status_message = "";
        arm_message_answer();
        save_command();
        EXPECT_TRUE(message_was_shown()) << f.what;
        EXPECT_EQ(status_message, "") << f.what;
        EXPECT_EQ(read_text(saved_path()), old_text) << f.what;
    }
}

TEST_F(SavedGame, AnUnwritableFolderIsReportedAndTheOldGameKept) {
    ASSERT_TRUE(save_game());
    std::string old_text = read_text(saved_path());
    // A player folder that is a file cannot take a new file, even for root.
    player_dir = "players/default/grid.txt/";
    std::string problem;
    EXPECT_FALSE(write_saved_game(&problem));
    EXPECT_EQ(problem, "Unable to save to players/default/grid.txt/grid.txt");
    player_dir = "players/default/";
    EXPECT_EQ(read_text(saved_path()), old_text);
    // A read-only folder, tried by a child process that is not root (it
    // drops root first when the test runs as root, which no mode stops).
    pieces[1].x += 7;
    ASSERT_EQ(chmod(".", 0755), 0);
    ASSERT_EQ(chmod("players", 0755), 0);
    ASSERT_EQ(chmod("players/default", 0555), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int nobody = 65534;
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(2);
        bool written = write_saved_game(&problem);
        _exit(!written && problem == "Unable to save to players/default/grid.txt" ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod("players/default", 0777);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(read_text(saved_path()), old_text);
    EXPECT_EQ(entries_of("players/default"), (std::vector<std::string>{"grid.png", "grid.txt"}));
}

TEST_F(SavedGame, AReallyFullDiskKeepsTheOldSavedGameByteIdentical) {
    // A child mounts a 64 KiB tmpfs over the player's folder in a mount
    // namespace of its own (gone with it), saves, fills the rest of the
    // disk and saves again. Its exit status says what it found.
    enum { FOUND_AS_EXPECTED = 0, NO_MOUNT = 77 };
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", "players/default", "tmpfs", 0, "size=64k") != 0)
            _exit(NO_MOUNT);
        std::string problem;
        if (!write_saved_game(&problem) || !problem.empty()) _exit(1);
        std::string old_text = read_text(saved_path()), old_thumb = read_text(thumb_path());
        int filler = open("players/default/filler", O_WRONLY | O_CREAT, 0644);
        static const char block[4096] = {};
        while (write(filler, block, sizeof block) > 0) {}
        close(filler);
        pieces[1].x += 5;
        if (write_saved_game(&problem)) _exit(2);
        if (problem != "Unable to save to players/default/grid.txt") _exit(3);
        if (read_text(saved_path()) != old_text || read_text(thumb_path()) != old_thumb) _exit(4);
        if (entries_of("players/default") != std::vector<std::string>{"filler", "grid.png", "grid.txt"}) _exit(5);
        _exit(FOUND_AS_EXPECTED);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    if (WEXITSTATUS(status) == NO_MOUNT) GTEST_SKIP() << "no mount namespace to make a small disk in";
    EXPECT_EQ(WEXITSTATUS(status), FOUND_AS_EXPECTED);
}

TEST_F(SavedGame, FailedThumbnailKeepsTheOldThumbnail) {
    bool all_crlf;
    ASSERT_TRUE(save_game());
    std::string old_thumb = read_text(thumb_path());
    file_faults.spare_files = 1;  // the game file is written, the thumbnail fails
    file_faults.fail_after_bytes = 50;
    pieces[1].x = 222;
    std::string problem;
    EXPECT_TRUE(write_saved_game(&problem));  // the game itself was saved
    EXPECT_EQ(problem, "Unable to save to players/default/grid.png");
    EXPECT_EQ(split_crlf(read_text(saved_path()), &all_crlf)[0], "222");
    EXPECT_EQ(read_text(thumb_path()), old_thumb);
    EXPECT_EQ(entries_of("players/default"), (std::vector<std::string>{"grid.png", "grid.txt"}));
}

TEST_F(SavedGame, GroupNumbersNearTheIntLimitAreRenumberedApart) {
    // Two groups and a counter at the int limit: the next join would
    // overflow and two groups apart could share a number. Read, they keep
    // apart under small numbers; saved and read again, they stay so.
    const std::string counters[] = {"2147483647", "99999999999", "5"};
    for (const std::string& counter : counters) {
        std::vector<std::string> lines;
        const char* groups[7] = {"", "2147483646", "2147483646", "2147483647", "2147483647", "0", "0"};
        for (int i = 1; i <= 6; i++)
            lines.insert(lines.end(), {"100", "100", "0", "1", groups[i], std::to_string(i), "0"});
        lines.insert(lines.end(), {"1", "2", "3", "0", counter});
        write_text(saved_path(), crlf(lines));
        for (int round = 0; round < 2; round++) {
            ASSERT_TRUE(load_saved_game()) << counter;
            EXPECT_GT(pieces[1].gp, 0) << counter;
            EXPECT_EQ(pieces[2].gp, pieces[1].gp) << counter;
            EXPECT_EQ(pieces[4].gp, pieces[3].gp) << counter;
            EXPECT_NE(pieces[3].gp, pieces[1].gp) << counter;
            EXPECT_EQ(pieces[5].gp, 0) << counter;
            EXPECT_EQ(group_counter, 2) << counter;
            EXPECT_FALSE(puzzle_complete()) << counter;
            ASSERT_TRUE(save_game()) << counter;
        }
    }
    // Without groups an absurd counter starts again from 0.
    std::vector<std::string> lines;
    for (int i = 1; i <= 6; i++) lines.insert(lines.end(), {"100", "100", "0", "1", "0", std::to_string(i), "0"});
    lines.insert(lines.end(), {"1", "2", "3", "0", "2147483647"});
    write_text(saved_path(), crlf(lines));
    ASSERT_TRUE(load_saved_game());
    EXPECT_EQ(group_counter, 0);
}

TEST_F(SavedGame, JigsawsNamedLikeThePreferencesFilesAreNotSavedOverThem) {
    const std::string prefer = "1\r\n0\r\n1\r\n0\r\n1\r\n1\r\n0\r\n0\r\n";
    write_text("players/default/prefer.txt", prefer);
    write_text("players/default/refresh.txt", "75\r\n");
    for (const std::string name : {"prefer", "refresh", "Prefer", "REFRESH"}) {
        make_grid_jigsaw(name, 2, 3);
        ASSERT_TRUE(start_jigsaw(name)) << name;
        std::string problem;
        EXPECT_FALSE(write_saved_game(&problem)) << name;
        EXPECT_EQ(problem, "Unable to save to players/default/" + name + ".txt: the preferences use that name");
        status_message = "";
        arm_message_answer();
        save_command();
        EXPECT_TRUE(message_was_shown()) << name;
        EXPECT_EQ(status_message, "") << name;
    }
    EXPECT_EQ(read_text("players/default/prefer.txt"), prefer);
    EXPECT_EQ(read_text("players/default/refresh.txt"), "75\r\n");
    EXPECT_EQ(entries_of("players/default"), (std::vector<std::string>{"prefer.txt", "refresh.txt"}));
    // Names that only start or end like them are saved as usual, and so is
    // one whose game file name is as long as the file system allows.
    for (const std::string& name : {std::string("preferred"), std::string("my prefer"), std::string(251, 'n')}) {
        make_grid_jigsaw(name, 2, 3);
        ASSERT_TRUE(start_jigsaw(name));
        ASSERT_TRUE(save_game()) << name;
        EXPECT_EQ(path_kind("players/default/" + name + ".txt"), 1) << name;
        EXPECT_EQ(path_kind("players/default/" + name + ".png"), 1) << name;
    }
}

TEST_F(SavedGame, CompletePuzzleSavesTheJigsawsOwnPicture) {
    for (int i = 1; i <= 6; i++) {
        pieces[i].gp = 1;
        pieces[i].a = 0;
    }
    ASSERT_TRUE(puzzle_complete());
    ASSERT_TRUE(save_game());
    TPixmap* thumb = load_pixmap(thumb_path());
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->width, 300);
    EXPECT_EQ(thumb->height, 225);
    EXPECT_EQ(read_pixel(thumb, 5, 5) & 0xFFFFFF, 0x20A040u);
    free_pixmap(thumb);
    // Without a readable tn.png, or with one larger than a jigsaw's
    // picture may be, the board is grabbed instead.
    ASSERT_TRUE(write_png("oversized.png", JIGSAW_IMAGE_MAX_WIDTH + 1, 8, 0xFF20A040));
    for (const char* how : {"oversized", "missing"}) {
        std::filesystem::remove("jigsaws/grid/tn.png");
        if (std::string(how) == "oversized") std::filesystem::copy_file("oversized.png", "jigsaws/grid/tn.png");
        ASSERT_TRUE(save_game()) << how;
        thumb = load_pixmap(thumb_path());
        ASSERT_NE(thumb, nullptr) << how;
        EXPECT_EQ(thumb->width, 264) << how;
        EXPECT_EQ(thumb->height, 198) << how;
        free_pixmap(thumb);
    }
}

TEST_F(SavedGame, NothingIsSavedWithoutAJigsaw) {
    jigsaw_name = "";  // the opening jigsaw was refused
    saved_page = 2;
    save_command();
    EXPECT_EQ(status_message, "There is no jigsaw to save");
    std::string problem;
    EXPECT_FALSE(write_saved_game(&problem));
    EXPECT_EQ(problem, "There is no jigsaw to save");
    EXPECT_FALSE(std::filesystem::exists("players/default/.txt"));
    EXPECT_FALSE(std::filesystem::exists("players/default/.png"));
    EXPECT_TRUE(std::filesystem::is_empty("players/default"));
    EXPECT_EQ(saved_page, 2);
    // A ".png" left by an older game names no saved game to resume.
    ASSERT_TRUE(write_png("players/default/.png", 264, 198, 0xFF808080));
    ASSERT_TRUE(write_png("players/default/kept.png", 264, 198, 0xFF808080));
    list_saved_games();
    ASSERT_EQ(saved_count, 1);
    EXPECT_EQ(saved_list->front().tessellon, "kept");
}
