// Loading jigsaw folders: the grid, homes, neighbours and edges, the
// optional colour lines, and every refused or broken folder leaving the
// jigsaw that was loaded before whole and playable.
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
    EXPECT_EQ(problem, "Unable to play jigsaws/huge/pieces.txt: it declares 20 rows and 16 columns; "
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
    ASSERT_TRUE(start_jigsaw("fresh"));
    EXPECT_EQ(jigsaw_name, "fresh");
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
