// The board screen: drawing in draw order over the background colour, the
// held group drawn over the picture, picture and swatch clicks, and the
// visibility filters each touching only their own class of pieces.
#include "play_fixture.h"

struct Board : PlayFixture {
    void SetUp() override {
        PlayFixture::SetUp();
        ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
        bg_red = 115;
        bg_green = 8;
        bg_blue = 33;
    }
    static uint32_t screen_at(int x, int y) { return read_pixel(null_back_buffer(), x, y) & 0xFFFFFF; }
    static void paint(int p, uint32_t argb) {
        TPixmap* px = lock_image(pieces[p].img, 0, true, true);
        for (int y = 0; y < px->height; y++)
            for (int x = 0; x < px->width; x++) write_pixel(px, x, y, argb);
    }
};

TEST_F(Board, DrawsVisiblePiecesInDrawOrderOverTheBackground) {
    make_grid(1, 2);
    paint(1, 0xFFFF0000);
    paint(2, 0xFF0000FF);
    pieces[1].x = pieces[2].x = 300;
    draw_board();
    EXPECT_EQ(screen_at(300, 100), 0x0000FFu);  // 2 is drawn last
    EXPECT_EQ(screen_at(700, 500), 0x730821u);  // the background
    pieces[2].visible = 0;
    draw_board();
    EXPECT_EQ(screen_at(300, 100), 0xFF0000u);
}

TEST_F(Board, HeldGroupLiesAbovePictureAndSwatch) {
    make_grid(1, 2);
    paint(1, 0xFF00FF00);
    picture = support::solid_image(200, 150, 0xFFFFFF00);
    picture_w = 200;
    picture_h = 150;
    picture_shown = 1;
    pieces[1].x = pieces[1].y = 50;  // under the picture at (10, 10)
    held_piece = 1;
    pieces[1].visible = 0;  // a filter key hid it meanwhile
    jigsaw_screen_frame();
    EXPECT_EQ(screen_at(50, 50), 0x00FF00u);
    EXPECT_EQ(screen_at(150, 150), 0xFFFF00u);
    EXPECT_EQ(pieces[1].visible, 1);
    free_image(picture);
    picture = nullptr;
}

TEST_F(Board, ClickOnPictureTakesItUpAndASecondPutsItDown) {
    make_grid(1, 1);
    picture = support::solid_image(100, 80, 0xFFFFFFFF);
    picture_w = 100;
    picture_h = 80;
    picture_x = picture_y = 10;
    picture_shown = 1;
    mouse_at(110, 90);  // the far corner is inside
    click_pending = 1;
    jigsaw_screen_frame();
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(picture_dragging, 1);
    EXPECT_EQ(picture_grab_dx, 100);
    click_pending = 1;
    jigsaw_screen_frame();
    EXPECT_EQ(picture_dragging, 0);
    picture_shown = 0;  // hidden: clicks pass through
    click_pending = 1;
    picture_click();
    EXPECT_EQ(click_pending, 1);
    free_image(picture);
    picture = nullptr;
}

TEST_F(Board, SwatchClickSetsTheBackgroundIncludingTheFarEdge) {
    TImage* saved_image = swatch_image;
    swatch_image = support::solid_image(4, 3, 0xFF102030);
    TPixmap* palette = lock_image(swatch_image, 0, true, true);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 4; x++) write_pixel(palette, x, y, 0xFF000000u | (x * 50u << 16) | (y * 60u << 8) | 7u);
    swatch_x = 10;
    swatch_y = 463;
    swatch_shown = 1;
    mouse_at(12, 464);
    click_pending = 1;
    swatch_click();
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(bg_red, 100);
    EXPECT_EQ(bg_green, 60);
    EXPECT_EQ(bg_blue, 7);
    mouse_at(14, 466);  // offset (4, 3): one past the palette
    click_pending = 1;
    swatch_click();
    EXPECT_EQ(bg_red, 150);
    EXPECT_EQ(bg_green, 120);
    mouse_at(15, 466);  // outside the rectangle
    click_pending = 1;
    swatch_click();
    EXPECT_EQ(click_pending, 1);
    free_image(swatch_image);
    swatch_image = saved_image;
    swatch_shown = 0;
}

TEST_F(Board, ClickWhileHoldingDropsThePiece) {
    make_grid(1, 2);
    mouse_at(pieces[2].x, pieces[2].y);
    click_pending = 1;
    jigsaw_screen_frame();
    ASSERT_EQ(held_piece, 2);
    click_pending = 1;
    jigsaw_screen_frame();
    EXPECT_EQ(held_piece, 0);
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(pieces[1].gp, pieces[2].gp);
    EXPECT_GT(pieces[1].gp, 0);
}

TEST_F(Board, RightClickOnEmptyBoardWaitsForAPiece) {
    make_grid(1, 1);
    mouse_at(700, 500);
    right_click_pending = 1;
    jigsaw_screen_frame();
    EXPECT_EQ(right_click_pending, 1);
    mouse_at(pieces[1].x, pieces[1].y);
    jigsaw_screen_frame();
    EXPECT_EQ(right_click_pending, 0);
    EXPECT_EQ(pieces[1].a, 1);
}

struct Filters : PlayFixture {};

TEST_F(Filters, ShowAllAndHideAll) {
    make_grid(2, 2);
    hide_all_pieces();
    for (int i = 1; i <= 4; i++) EXPECT_EQ(pieces[i].visible, 0);
    for (int b = 1; b <= 5; b++) EXPECT_EQ(box_shown[b], 0);
    EXPECT_EQ(show_grouped, 0);
    EXPECT_EQ(show_loose, 0);
    show_all_pieces();
    for (int i = 1; i <= 4; i++) EXPECT_EQ(pieces[i].visible, 1);
    for (int b = 1; b <= 5; b++) EXPECT_EQ(box_shown[b], 1);
    EXPECT_EQ(show_grouped, 1);
}

TEST_F(Filters, EdgeKeyFollowsPieceOneAndTakesWholeGroups) {
    make_grid(3, 3);
    group({5, 6}, 1, 5);  // interior 5 with edge 6
    toggle_edge_pieces();
    for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 9}) EXPECT_EQ(pieces[i].visible, 0) << i;
    toggle_edge_pieces();
    for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 9}) EXPECT_EQ(pieces[i].visible, 1) << i;
    // Keeps its place, rotation and group while hidden.
    pieces[2].a = 3;
    toggle_edge_pieces();
    EXPECT_EQ(pieces[2].a, 3);
    EXPECT_EQ(pieces[6].gp, 1);
}

TEST_F(Filters, GroupedAndLooseKeysTouchOnlyTheirClass) {
    make_grid(3, 3);
    group({5, 8}, 1, 5);
    pieces[8].edge = 1;  // 8 is an edge piece in a group
    show_grouped = 0;
    apply_grouped_visibility();
    EXPECT_EQ(pieces[5].visible, 0);
    EXPECT_EQ(pieces[8].visible, 1);  // edge pieces are the E key's
    EXPECT_EQ(pieces[4].visible, 1);
    // Loose: interior, loose, in no box. In a 3x3 only 5 is interior.
    make_grid(3, 4);
    pieces[7].box = 2;
    show_loose = 0;
    apply_loose_visibility();
    EXPECT_EQ(pieces[6].visible, 0);
    EXPECT_EQ(pieces[7].visible, 1);
    EXPECT_EQ(pieces[1].visible, 1);
    EXPECT_TRUE(is_loose_piece(6));
    EXPECT_FALSE(is_loose_piece(7));
}

TEST_F(Filters, BoxKeysHideTheirBoxButNeverTheHeldPiece) {
    make_grid(1, 4);
    pieces[1].box = 3;
    pieces[2].box = 3;
    pieces[3].box = 1;
    for (int b = 1; b <= 5; b++) box_shown[b] = 1;
    box_shown[3] = 0;
    held_piece = 2;
    apply_box_visibility();
    EXPECT_EQ(pieces[1].visible, 0);
    EXPECT_EQ(pieces[2].visible, 1);
    EXPECT_EQ(pieces[3].visible, 1);
    EXPECT_EQ(pieces[4].visible, 1);
}
