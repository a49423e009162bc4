// Loading jigsaw folders: the grid, homes, neighbours and edges, the
// optional colour lines, and every refused or broken folder leaving the
// jigsaw that was loaded before whole and playable.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "storage_fixture.h"

struct Loader : StorageFixture {};

TEST_F(Loader, ReadsGridHomesNeighboursEdgesAndPicture) {
    make_grid_jigsaw("grid", 2, 3);
    ASSERT_TRUE(load_jigsaw("grid"));
    EXPECT_EQ(jigsaw_dir, "jigsaws/grid");
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(columns, 3);
    EXPECT_EQ(piece_count, 6);
    EXPECT_EQ(pieces[5].x0, 100 + SIDE);
    EXPECT_EQ(pieces[5].y0, 100 + SIDE);
    EXPECT_EQ(pieces[5].wd, SIDE);
    EXPECT_EQ(pieces[5].ht, SIDE);
    ASSERT_NE(pieces[5].img, nullptr);
    EXPECT_EQ(pieces[5].img->handle_x, SIDE / 2.0f);
    EXPECT_EQ(pieces[5].n, 2);
    EXPECT_EQ(pieces[5].s, 0);
    EXPECT_EQ(pieces[5].w, 4);
    EXPECT_EQ(pieces[5].e, 6);
    EXPECT_EQ(pieces[1].n, 0);
    EXPECT_EQ(pieces[1].w, 0);
    EXPECT_EQ(pieces[1].s, 4);
    for (int i = 1; i <= 6; i++) {
        EXPECT_EQ(pieces[i].edge, 1) << i;  // two rows: all border
        EXPECT_EQ(pieces[i].gp, 0);
        EXPECT_EQ(pieces[i].visible, 1);
        EXPECT_EQ(draw_order[i], i);
    }
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture_w, 300);
    EXPECT_EQ(picture_h, 225);
    EXPECT_EQ(picture_x, 10);
    EXPECT_EQ(picture_y, 10);
    EXPECT_EQ(group_counter, 0);
    std::string problem = "old";
    EXPECT_TRUE(read_jigsaw("grid", &problem));
    EXPECT_EQ(problem, "");

    EXPECT_EQ(grid_index(2, 3), 6);
    EXPECT_EQ(grid_index(0, 1), 0);
    EXPECT_EQ(grid_index(1, 4), 0);
    EXPECT_EQ(grid_index(3, 1), 0);
}

TEST_F(Loader, OneRowOfFiveIsAllEdgesWithNoNorthOrSouth) {
    make_grid_jigsaw("row", 1, 5);
    ASSERT_TRUE(load_jigsaw("row"));
    for (int i = 1; i <= 5; i++) {
        EXPECT_EQ(pieces[i].n, 0);
        EXPECT_EQ(pieces[i].s, 0);
        EXPECT_EQ(pieces[i].edge, 1);
    }
    EXPECT_EQ(pieces[1].w, 0);
    EXPECT_EQ(pieces[5].e, 0);
    EXPECT_EQ(pieces[3].e, 4);
    // A 3x3 has one interior piece.
    make_grid_jigsaw("square", 3, 3);
    ASSERT_TRUE(load_jigsaw("square"));
    EXPECT_EQ(pieces[5].edge, 0);
    EXPECT_EQ(pieces[4].edge, 1);
}

TEST_F(Loader, WithoutColourLinesTheDefaultOrThePlayersColour) {
    make_grid_jigsaw("plain", 1, 2);
    ASSERT_TRUE(load_jigsaw("plain"));
    EXPECT_EQ(bg_red, 115);
    EXPECT_EQ(bg_green, 8);
    EXPECT_EQ(bg_blue, 33);
    pref_custom_colour = 1;
    bg_red = 4;
    bg_green = 5;
    bg_blue = 6;
    ASSERT_TRUE(load_jigsaw("plain"));
    EXPECT_EQ(bg_red, 4);
    EXPECT_EQ(bg_blue, 6);
}

TEST_F(Loader, ColourLinesAreTakenWhateverThePreference) {
    std::vector<std::string> lines = pieces_lines(1, 2);
    lines.insert(lines.end(), {"10", "20", "30"});
    make_jigsaw("coloured", crlf(lines), 2);
    pref_custom_colour = 1;
    ASSERT_TRUE(load_jigsaw("coloured"));
    EXPECT_EQ(bg_red, 10);
    EXPECT_EQ(bg_green, 20);
    EXPECT_EQ(bg_blue, 30);
}

TEST_F(Loader, TrailingBlankLinesGiveBlack) {
    make_jigsaw("blank", crlf(pieces_lines(1, 2)) + "\r\n\r\n", 2);
    ASSERT_TRUE(load_jigsaw("blank"));
    EXPECT_EQ(bg_red, 0);
    EXPECT_EQ(bg_green, 0);
    EXPECT_EQ(bg_blue, 0);
}

TEST_F(Loader, LineFeedsAloneReadLikeCrLf) {
    std::string text;
    for (const std::string& l : pieces_lines(2, 2)) text += l + "\n";
    make_jigsaw("unix", text, 4);
    ASSERT_TRUE(load_jigsaw("unix"));
    EXPECT_EQ(piece_count, 4);
    EXPECT_EQ(pieces[4].x0, 100 + SIDE);
    EXPECT_EQ(bg_red, 115);
}

// The state a refused load must leave alone.
struct Snapshot {
    int rows, columns, piece_count, red;
    TImage* first_image;
    TImage* picture;
    std::string dir;
    static Snapshot take() { return {::rows, ::columns, ::piece_count, bg_red, pieces[1].img, ::picture, jigsaw_dir}; }
    void expect_unchanged() const {
        EXPECT_EQ(::rows, rows);
        EXPECT_EQ(::columns, columns);
        EXPECT_EQ(::piece_count, piece_count);
        EXPECT_EQ(bg_red, red);
        EXPECT_EQ(pieces[1].img, first_image);
        EXPECT_EQ(::picture, picture);
        EXPECT_EQ(jigsaw_dir, dir);
        for (int i = 1; i <= ::piece_count; i++) EXPECT_NE(pieces[i].img, nullptr) << i;
    }
};

TEST_F(Loader, MoreThanThreeHundredPiecesIsRefusedAndNothingChanges) {
    make_grid_jigsaw("good", 2, 2);
    ASSERT_TRUE(load_jigsaw("good"));
    bg_red = 77;
    Snapshot before = Snapshot::take();
    make_jigsaw("huge", crlf(pieces_lines(20, 16)), 0);
    std::string problem;
    EXPECT_FALSE(read_jigsaw("huge", &problem));
    EXPECT_EQ(problem,
              "Unable to play jigsaws/huge/pieces.txt: it declares 20 rows and 16 columns; "
              "a jigsaw has 1 to 300 pieces");
    before.expect_unchanged();

    // Sizes whose product would overflow an int are refused the same way.
    make_jigsaw("vast", "100000\r\n100000\r\n0\r\n0\r\n", 0);
    EXPECT_FALSE(read_jigsaw("vast", &problem));
    EXPECT_NE(problem.find("100000 rows"), std::string::npos) << problem;
    before.expect_unchanged();
}

TEST_F(Loader, NoRowsOrNoColumnsIsRefused) {
    make_grid_jigsaw("good", 1, 3);
    ASSERT_TRUE(load_jigsaw("good"));
    Snapshot before = Snapshot::take();
    for (const char* grid : {"0\r\n3\r\n", "2\r\n-1\r\n", "", "abc\r\nxyz\r\n"}) {
        make_jigsaw("empty", std::string(grid) + "0\r\n0\r\n", 0);
        std::string problem;
        EXPECT_FALSE(read_jigsaw("empty", &problem)) << grid;
        EXPECT_EQ(problem.find("Unable to play jigsaws/empty/pieces.txt"), 0u) << problem;
        before.expect_unchanged();
    }
}

TEST_F(Loader, MissingPiecesFileIsReportedAndNothingChanges) {
    make_grid_jigsaw("good", 1, 2);
    ASSERT_TRUE(load_jigsaw("good"));
    Snapshot before = Snapshot::take();
    std::string problem;
    EXPECT_FALSE(read_jigsaw("absent", &problem));
    EXPECT_EQ(problem, "can't find jigsaws/absent/pieces.txt");
    before.expect_unchanged();
}

TEST_F(Loader, MissingPieceImageKeepsThePreviousJigsawPlayable) {
    make_grid_jigsaw("good", 2, 2);
    ASSERT_TRUE(load_jigsaw("good"));
    scatter_pieces();
    Snapshot before = Snapshot::take();
    make_jigsaw("broken", crlf(pieces_lines(3, 3)), 9, 4);
    std::string problem;
    EXPECT_FALSE(read_jigsaw("broken", &problem));
    EXPECT_EQ(problem, "can't find jigsaws/broken/4.png");
    before.expect_unchanged();
    // Still drawn and picked as before.
    draw_board();
    mouse_x = pieces[1].x;
    mouse_y = pieces[1].y;
    EXPECT_GT(piece_under_mouse(), 0);
}

TEST_F(Loader, MissingPictureIsReportedAndTheLoadFinishes) {
    make_jigsaw("bare", crlf(pieces_lines(1, 2)), 2, 0, false);
    std::string problem;
    EXPECT_TRUE(read_jigsaw("bare", &problem));
    EXPECT_EQ(problem, "can't find jigsaws/bare/tn.png");
    EXPECT_EQ(picture, nullptr);
    EXPECT_EQ(piece_count, 2);
    picture_shown = 1;  // even if set, nothing is drawn or hit
    click_pending = 1;
    picture_click();
    EXPECT_EQ(click_pending, 1);
    jigsaw_screen_frame();
}

TEST_F(Loader, StartJigsawDealsWithThePlayersColour) {
    std::vector<std::string> lines = pieces_lines(2, 2);
    lines.insert(lines.end(), {"10", "20", "30"});
    make_jigsaw("fresh", crlf(lines), 4);
    pref_custom_colour = 1;
    saved_bg_red = 1;
    saved_bg_green = 2;
    saved_bg_blue = 3;
    box_count[2] = 5;
    completion_seen = 1;
    pending_confirm = ASK_QUICK_PICK;
    ASSERT_TRUE(start_jigsaw("fresh"));
    EXPECT_EQ(jigsaw_name, "fresh");
    EXPECT_EQ(pending_confirm, "");  // the new game ends the old one's question
    EXPECT_EQ(bg_red, 1);
    EXPECT_EQ(bg_blue, 3);
    EXPECT_EQ(box_count[2], 0);
    EXPECT_EQ(completion_seen, 0);
    for (int i = 1; i <= 4; i++) {
        EXPECT_GE(pieces[i].x, SIDE / 2);
        EXPECT_LE(pieces[i].x, 800 - SIDE / 2);
    }
}

TEST_F(Loader, RestartDealsTheSameJigsawAgainWithoutReading) {
    make_grid_jigsaw("again", 2, 2);
    ASSERT_TRUE(start_jigsaw("again"));
    for (int i = 1; i <= 4; i++) pieces[i].gp = 1;
    completion_seen = 1;
    box_count[1] = 3;
    std::filesystem::remove_all("jigsaws/again");
    restart_jigsaw();
    EXPECT_EQ(piece_count, 4);
    EXPECT_NE(pieces[1].img, nullptr);
    for (int i = 1; i <= 4; i++) EXPECT_EQ(pieces[i].gp, 0);
    EXPECT_EQ(completion_seen, 0);
    EXPECT_EQ(box_count[1], 0);
}

// A jigsaw folder whose piece images all have this size.
static void make_sized_jigsaw(const std::string& name, int r, int c, int w, int h) {
    std::string dir = "jigsaws/" + name;
    std::filesystem::create_directories(dir);
    StorageFixture::write_text(dir + "/pieces.txt", StorageFixture::crlf(StorageFixture::pieces_lines(r, c)));
    for (int i = 1; i <= r * c; i++)
        ASSERT_TRUE(StorageFixture::write_png(dir + "/" + std::to_string(i) + ".png", w, h, 0xFF4080C0));
    ASSERT_TRUE(StorageFixture::write_png(dir + "/tn.png", 264, 198, 0xFF20A040));
}

TEST_F(Loader, APieceLargerThanTheBoardIsRefusedFromItsHeaderAndNothingChanges) {
    make_grid_jigsaw("good", 2, 2);
    ASSERT_TRUE(load_jigsaw("good"));
    Snapshot before = Snapshot::take();
    make_jigsaw("wide", crlf(pieces_lines(1, 3)), 3);
    ASSERT_TRUE(write_png("jigsaws/wide/2.png", 1025, 4, 0xFF000000));
    std::string problem;
    EXPECT_FALSE(read_jigsaw("wide", &problem));
    EXPECT_EQ(problem, "jigsaws/wide/2.png is too large (1025x4, a piece may be 1024x768)");
    before.expect_unchanged();
    ASSERT_TRUE(write_png("jigsaws/wide/2.png", 4, 769, 0xFF000000));
    EXPECT_FALSE(read_jigsaw("wide", &problem));
    EXPECT_EQ(problem, "jigsaws/wide/2.png is too large (4x769, a piece may be 1024x768)");
    before.expect_unchanged();
    // The largest board's size itself is a piece the game takes.
    ASSERT_TRUE(write_png("jigsaws/wide/2.png", 1024, 768, 0xFF000000));
    EXPECT_TRUE(read_jigsaw("wide", &problem)) << problem;
    EXPECT_EQ(pieces[2].wd, 1024);
}

TEST_F(Loader, PiecesBeyondTheJigsawsPixelBudgetAreRefusedAndNothingChanges) {
    // Eight board-sized pieces are the whole budget; a ninth is refused
    // before it is decoded, and the game stays on the jigsaw it had.
    make_sized_jigsaw("eight", 2, 4, 1024, 768);
    std::string problem;
    ASSERT_TRUE(read_jigsaw("eight", &problem)) << problem;
    make_grid_jigsaw("good", 2, 2);
    ASSERT_TRUE(load_jigsaw("good"));
    Snapshot before = Snapshot::take();
    make_sized_jigsaw("nine", 3, 3, 1024, 768);
    EXPECT_FALSE(read_jigsaw("nine", &problem));
    EXPECT_EQ(problem, "Unable to load jigsaws/nine/9.png: the pieces together are too large");
    before.expect_unchanged();
}

TEST_F(Loader, APipeWhereAFileShouldBeIsReportedAndNothingChanges) {
    make_grid_jigsaw("good", 2, 2);
    ASSERT_TRUE(load_jigsaw("good"));
    Snapshot before = Snapshot::take();
    make_jigsaw("piped", crlf(pieces_lines(1, 3)), 3);
    std::filesystem::remove("jigsaws/piped/2.png");
    ASSERT_EQ(mkfifo("jigsaws/piped/2.png", 0600), 0);
    std::string problem;
    EXPECT_FALSE(read_jigsaw("piped", &problem));
    EXPECT_EQ(problem, "Unable to read jigsaws/piped/2.png: it is not a regular file");
    before.expect_unchanged();
    std::filesystem::remove("jigsaws/piped/pieces.txt");
    ASSERT_EQ(mkfifo("jigsaws/piped/pieces.txt", 0600), 0);
    EXPECT_FALSE(read_jigsaw("piped", &problem));
    EXPECT_EQ(problem, "Unable to read jigsaws/piped/pieces.txt: it is not a regular file");
    before.expect_unchanged();
    // A folder, a file that cannot be read, a pieces file far too large
    // (sparse: 1 GiB without a line end is refused before any of it is
    // read) and an image that is no image are each named for what they are.
    std::filesystem::remove("jigsaws/piped/pieces.txt");
    std::filesystem::create_directory("jigsaws/piped/pieces.txt");
    EXPECT_FALSE(read_jigsaw("piped", &problem));
    EXPECT_EQ(problem, "Unable to read jigsaws/piped/pieces.txt: it is a folder");
    std::filesystem::remove("jigsaws/piped/pieces.txt");
    { std::ofstream big("jigsaws/piped/pieces.txt"); }
    ASSERT_EQ(truncate("jigsaws/piped/pieces.txt", 1L << 30), 0);
    EXPECT_FALSE(read_jigsaw("piped", &problem));
    EXPECT_EQ(problem, "Unable to read jigsaws/piped/pieces.txt: the file is too large");
    make_jigsaw("texty", crlf(pieces_lines(1, 3)), 3);
    std::filesystem::remove("jigsaws/texty/2.png");
    { std::ofstream text("jigsaws/texty/2.png"); text << "not an image"; }
    EXPECT_FALSE(read_jigsaw("texty", &problem));
    EXPECT_EQ(problem, "Unable to load jigsaws/texty/2.png: it is damaged or not a PNG, JPEG, BMP or TGA image");
    if (geteuid() != 0) {  // root reads whatever the mode says
        chmod("jigsaws/texty/2.png", 0);
        EXPECT_FALSE(read_jigsaw("texty", &problem));
        EXPECT_EQ(problem, "Unable to read jigsaws/texty/2.png: it cannot be read (permission denied)");
    }
    before.expect_unchanged();
}

TEST_F(Loader, HomesOffTheBoardAreBroughtOntoItAndAnOversizedPictureIsSkipped) {
    std::vector<std::string> lines = {"1", "3", "0", "0", "-5000", "99999", "2147483647", "-2147483648", "400", "300"};
    make_jigsaw("far", crlf(lines), 3, 0, false);
    ASSERT_TRUE(write_png("jigsaws/far/tn.png", 2000, 1500, 0xFF20A040));
    std::string problem;
    EXPECT_TRUE(read_jigsaw("far", &problem));
    EXPECT_EQ(problem, "jigsaws/far/tn.png is too large (2000x1500, a picture may be 1024x768)");
    EXPECT_EQ(picture, nullptr);
    EXPECT_EQ(pieces[1].x0, 0);
    EXPECT_EQ(pieces[1].y0, 600);
    EXPECT_EQ(pieces[2].x0, 800);
    EXPECT_EQ(pieces[2].y0, 0);
    EXPECT_EQ(pieces[3].x0, 400);
    EXPECT_EQ(pieces[3].y0, 300);
}

#if !defined(__SANITIZE_ADDRESS__)
TEST_F(Loader, RunningOutOfMemoryIsReportedAndTheOldJigsawStays) {
    // In a child whose address space barely grows, a jigsaw of eight
    // board-sized pieces cannot be decoded; the load must say so and
    // leave the old jigsaw whole instead of ending the process.
    make_grid_jigsaw("good", 2, 2);
    ASSERT_TRUE(load_jigsaw("good"));
    make_sized_jigsaw("eight", 2, 4, 1024, 768);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        long pages = 0;
        FILE* statm = fopen("/proc/self/statm", "r");
        if (!statm || fscanf(statm, "%ld", &pages) != 1) _exit(3);
        fclose(statm);
        rlimit limit;
        limit.rlim_cur = limit.rlim_max = (rlim_t)pages * (rlim_t)sysconf(_SC_PAGESIZE) + 8 * 1024 * 1024;
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
        std::string problem;
        bool loaded = read_jigsaw("eight", &problem);
        bool reported = problem.rfind("Not enough memory to load jigsaws/eight/", 0) == 0;
        bool kept = piece_count == 4 && jigsaw_dir == "jigsaws/good" && pieces[4].img;
        _exit(!loaded && reported && kept ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif
