// Sorting the tray by colour: a piece's average colour over its opaque
// pixels as the loader keeps it, the grouping and its hue order, key V on
// the box screen through the command table (one colour per box, the same
// way every time), pieces already boxed, grouped or on the edge left
// alone, a second V beside filled boxes, and boxes that are full.
#include <set>
#include <vector>

#include "tests/library/storage_fixture.h"

namespace {

// Five clear colours, in the hue order the boxes get them: red, yellow,
// green, blue, purple.
const uint32_t CLEAR[5] = {0xFFC81E1E, 0xFFE6D228, 0xFF28A03C, 0xFF2846C8, 0xFF8C32B4};

rgb_colour rgb_of(uint32_t argb) {
    rgb_colour c;
    c.r = (argb >> 16) & 0xFF;
    c.g = (argb >> 8) & 0xFF;
    c.b = argb & 0xFF;
    return c;
}

// Colour k of the five, a little lighter or darker by `shade` (-12..12).
uint32_t shaded(int k, int shade) {
    rgb_colour c = rgb_of(CLEAR[k]);
    auto ch = [&](int v) { return static_cast<uint32_t>(std::max(0, std::min(255, v + shade))); };
    return 0xFF000000u | ch(c.r) << 16 | ch(c.g) << 8 | ch(c.b);
}

// The colour class of piece i in the test jigsaws: the five colours in
// turn, shaded by the piece number, so no two neighbours match exactly.
int class_of(int i) { return (i * 3) % 5; }
uint32_t piece_argb(int i) { return shaded(class_of(i), (i % 7) * 4 - 12); }

struct ColourSort : StorageFixture {
    void SetUp() override {
        StorageFixture::SetUp();
        screen_state = SCREEN_BOX;
    }

    // A rows x columns jigsaw of solid squares coloured by piece_argb,
    // loaded and dealt as a flow would, with the tray filled.
    void load_coloured(int r, int c) {
        support::JigsawFiles jigsaw;
        jigsaw.rows = r;
        jigsaw.columns = c;
        jigsaw.side = SIDE;
        jigsaw.homes = support::grid_homes(r, c, 100, 100, SIDE);
        jigsaw.piece_colour = piece_argb;
        ASSERT_TRUE(support::write_jigsaw("jigsaws/colours", jigsaw));
        std::string problem;
        ASSERT_TRUE(read_jigsaw("colours", &problem)) << problem;
        deal_jigsaw();
        fill_tray();
    }

    // Box b's list as piece numbers.
    static std::vector<int> box_list(int b) {
        std::vector<int> list;
        for (int i = 1; i <= box_count[b]; i++) list.push_back(box_contents[b][i].n);
        return list;
    }
    static int tray_pieces() {
        int n = 0;
        for (int j = 1; j <= tray_count; j++) n += tray[j].n > 0;
        return n;
    }
};

// --- the average colour -----------------------------------------------------------

TEST_F(ColourSort, AverageCountsOnlyTheOpaquePixels) {
    TPixmap* p = create_pixmap(4, 2, PF_RGBA8888);
    ASSERT_NE(p, nullptr);
    write_pixel(p, 0, 0, 0xFFFF0000);  // opaque red
    write_pixel(p, 1, 0, 0xFF0000FF);  // opaque blue
    write_pixel(p, 2, 0, 0x80FF0000);  // alpha 128: still the piece
    write_pixel(p, 3, 0, 0x7F00FF00);  // alpha 127: outside it
    write_pixel(p, 0, 1, 0x0000FF00);  // transparent, green underneath
    rgb_colour c;
    EXPECT_TRUE(average_opaque_colour(p, &c));
    EXPECT_EQ(c.r, 170);  // (255 + 0 + 255) / 3, rounded
    EXPECT_EQ(c.g, 0);
    EXPECT_EQ(c.b, 85);

    // Nothing opaque: no colour, and black.
    TPixmap* clear = create_pixmap(3, 3, PF_RGBA8888);
    c = rgb_of(0xFFFFFFFF);
    EXPECT_FALSE(average_opaque_colour(clear, &c));
    EXPECT_EQ(c.r + c.g + c.b, 0);
    EXPECT_FALSE(average_opaque_colour(nullptr, &c));

    // A format without alpha is opaque everywhere.
    TPixmap* bgr = create_pixmap(2, 1, PF_BGR888);
    write_pixel(bgr, 0, 0, 0xFF102030);
    write_pixel(bgr, 1, 0, 0xFF304050);
    EXPECT_TRUE(average_opaque_colour(bgr, &c));
    EXPECT_EQ(c.r, 0x20);
    EXPECT_EQ(c.g, 0x30);
    EXPECT_EQ(c.b, 0x40);
    free_pixmap(p);
    free_pixmap(clear);
    free_pixmap(bgr);
}

TEST_F(ColourSort, TheLoaderKeepsEachPiecesColour) {
    load_coloured(3, 4);
    for (int i = 1; i <= 12; i++) {
        rgb_colour want = rgb_of(piece_argb(i));
        EXPECT_EQ(pieces[i].colour.r, want.r) << i;
        EXPECT_EQ(pieces[i].colour.g, want.g) << i;
        EXPECT_EQ(pieces[i].colour.b, want.b) << i;
    }
}

// --- grouping ---------------------------------------------------------------------

TEST_F(ColourSort, GroupsAreNumberedByHueWithGreysLast) {
    // Given in a muddled order, three shades of each.
    const uint32_t given[] = {0xFF808080, 0xFF2846C8, 0xFF28A03C, 0xFFC81E1E, 0xFFE6D228};
    std::vector<rgb_colour> colours;
    for (int shade = -8; shade <= 8; shade += 8)
        for (uint32_t argb : given) {
            rgb_colour c = rgb_of(argb);
            c.r = std::max(0, c.r + shade);
            c.g = std::max(0, c.g + shade);
            c.b = std::max(0, c.b + shade);
            colours.push_back(c);
        }
    std::vector<int> labels;
    ASSERT_EQ(cluster_colours(colours, 5, &labels), 5);
    // grey, blue, green, red, yellow -> red 0, yellow 1, green 2, blue 3, grey 4
    const int want[] = {4, 3, 2, 0, 1};
    for (size_t i = 0; i < colours.size(); i++) EXPECT_EQ(labels[i], want[i % 5]) << i;
}

TEST_F(ColourSort, FewColoursMakeFewGroups) {
    std::vector<int> labels;
    EXPECT_EQ(cluster_colours({}, 5, &labels), 0);
    EXPECT_TRUE(labels.empty());
    std::vector<rgb_colour> same(7, rgb_of(0xFF2846C8));
    EXPECT_EQ(cluster_colours(same, 5, &labels), 1);
    EXPECT_EQ(labels, std::vector<int>(7, 0));
    std::vector<rgb_colour> two = {rgb_of(0xFF2846C8), rgb_of(0xFFC81E1E), rgb_of(0xFF2846C8)};
    EXPECT_EQ(cluster_colours(two, 5, &labels), 2);
    EXPECT_EQ(labels, std::vector<int>({1, 0, 1}));
}

TEST_F(ColourSort, FullBoxesStopAtTheirRoom) {
    std::vector<rgb_colour> colours;
    for (int i = 0; i < 20; i++) colours.push_back(rgb_of(shaded(i % 5, i % 3)));
    box_sort_type boxes[BOX_TABLE_SIZE];
    for (int b = 1; b <= BOX_COUNT; b++) boxes[b].room = 4;
    boxes[2].room = 1;  // yellow: the first of four only
    boxes[4].room = 0;  // blue: none
    std::vector<int> into;
    share_out_by_colour(colours, boxes, &into);
    int in_box[BOX_TABLE_SIZE] = {};
    for (size_t i = 0; i < colours.size(); i++) {
        int k = static_cast<int>(i % 5);
        if (into[i] == 0) {
            EXPECT_TRUE(k == 1 || k == 3) << i;  // only yellow and blue stay out
            continue;
        }
        EXPECT_EQ(into[i], k + 1) << i;
        in_box[into[i]]++;
    }
    EXPECT_EQ(in_box[1], 4);
    EXPECT_EQ(in_box[2], 1);
    EXPECT_EQ(into[1], 2);  // the first yellow colour took the one place
    EXPECT_EQ(in_box[3], 4);
    EXPECT_EQ(in_box[4], 0);
    EXPECT_EQ(in_box[5], 4);
}

// --- key V on the box screen ------------------------------------------------------------

TEST_F(ColourSort, FiveClearColoursLandOneColourPerBoxTheSameWayEachTime) {
    std::vector<int> first[BOX_TABLE_SIZE];
    for (int round = 0; round < 2; round++) {
        seed_random(11 + round * 1000);  // another shuffle of the tray each time
        load_coloured(9, 9);             // 49 interior pieces
        ASSERT_EQ(tray_count, 49);
        dispatch_key(KEY_V);
        EXPECT_EQ(screen_state, "box");
        EXPECT_EQ(tray_pieces(), 0);
        EXPECT_EQ(status_message, "sorted 49 pieces by colour");
        int total = 0;
        for (int b = 1; b <= BOX_COUNT; b++) {
            std::vector<int> list = box_list(b);
            total += static_cast<int>(list.size());
            ASSERT_FALSE(list.empty()) << b;
            for (int p : list) {
                EXPECT_EQ(class_of(p), b - 1) << "piece " << p << " in box " << b;  // hue order: red first
                EXPECT_EQ(pieces[p].box, b);
                EXPECT_EQ(pieces[p].visible, 1);
                EXPECT_EQ(pieces[p].edge, 0);
            }
            if (round == 0) {
                first[b] = list;
            } else {
                EXPECT_EQ(list, first[b]) << b;
            }
        }
        EXPECT_EQ(total, 49);
    }
}

TEST_F(ColourSort, BoxedGroupedAndEdgePiecesStayWhereTheyAre) {
    load_coloured(7, 7);  // interior: rows and columns 2..6, 25 pieces
    // Piece 9 (a green) is put into box 1 by hand, 10 and 11 are joined.
    int slot = 0;
    for (int j = 1; j <= tray_count; j++)
        if (tray[j].n == 9) slot = j;
    ASSERT_GT(slot, 0);
    ASSERT_TRUE(put_into_box(slot));
    pieces[10].gp = pieces[11].gp = ++group_counter;
    fill_tray();  // the joined pair leaves the tray
    ASSERT_EQ(tray_count, 22);
    const std::vector<int> edge_before = {pieces[1].box, pieces[2].box, pieces[7].box};

    dispatch_key(KEY_V);
    EXPECT_EQ(tray_pieces(), 0);
    ASSERT_FALSE(box_list(1).empty());
    EXPECT_EQ(box_list(1)[0], 9);  // still first in its box
    EXPECT_EQ(pieces[9].box, 1);
    EXPECT_EQ(pieces[10].box, 0);
    EXPECT_EQ(pieces[11].box, 0);
    EXPECT_EQ((std::vector<int>{pieces[1].box, pieces[2].box, pieces[7].box}), edge_before);
    std::set<int> boxed;
    for (int b = 1; b <= BOX_COUNT; b++)
        for (int p : box_list(b)) EXPECT_TRUE(boxed.insert(p).second) << p;  // each piece once
    EXPECT_EQ(boxed.size(), 23u);
    // Box 1 held a green: the greens join it; the other colours fill the
    // empty boxes 2..5 in hue order.
    for (int p : box_list(2)) EXPECT_EQ(class_of(p), 0) << p;  // red
    for (int p : box_list(3)) EXPECT_EQ(class_of(p), 1) << p;  // yellow
    for (int p : box_list(1)) EXPECT_EQ(class_of(p), 2) << p;  // green
    for (int p : box_list(4)) EXPECT_EQ(class_of(p), 3) << p;  // blue
    for (int p : box_list(5)) EXPECT_EQ(class_of(p), 4) << p;  // purple
}

TEST_F(ColourSort, VAgainSortsOnlyWhatWasTakenOutIntoItsOwnColoursBox) {
    load_coloured(7, 7);
    dispatch_key(KEY_V);
    ASSERT_EQ(tray_pieces(), 0);
    std::vector<int> before[BOX_TABLE_SIZE];
    for (int b = 1; b <= BOX_COUNT; b++) before[b] = box_list(b);

    // A second V with nothing in the tray changes nothing.
    EXPECT_EQ(sort_tray_by_colour(), 0);
    EXPECT_EQ(status_message, "no pieces in the tray to sort");
    for (int b = 1; b <= BOX_COUNT; b++) EXPECT_EQ(box_list(b), before[b]);

    // A blue and a purple taken out go back to the blue and purple boxes,
    // at their ends.
    current_box = 4;
    int blue = before[4][0];
    ASSERT_TRUE(take_out_of_box(1));
    current_box = 5;
    int purple = before[5][1];
    ASSERT_TRUE(take_out_of_box(2));
    EXPECT_EQ(tray_pieces(), 2);
    dispatch_key(KEY_V);
    EXPECT_EQ(tray_pieces(), 0);
    EXPECT_EQ(box_list(4).back(), blue);
    EXPECT_EQ(box_list(5).back(), purple);
    for (int b = 1; b <= 3; b++) EXPECT_EQ(box_list(b), before[b]) << b;
}

TEST_F(ColourSort, AFullBoxLeavesItsColourInTheTray) {
    load_coloured(7, 7);
    // Box 1 is filled to its bound with the edge pieces, all reds as far
    // as sorting is concerned.
    for (int i = 1; i <= 49; i++)
        if (pieces[i].edge) pieces[i].colour = rgb_of(CLEAR[0]);
    for (int i = 1; i <= MAX_PIECES; i++) {
        int p = 1 + (i - 1) % 7;  // the first row, over and over
        box_contents[1][i].n = p;
        pieces[p].box = 1;
    }
    box_count[1] = MAX_PIECES;
    int reds = 0;
    for (int j = 1; j <= tray_count; j++) reds += class_of(tray[j].n) == 0;
    ASSERT_GT(reds, 0);

    dispatch_key(KEY_V);
    EXPECT_EQ(box_count[1], MAX_PIECES);
    EXPECT_EQ(tray_pieces(), reds);
    for (int j = 1; j <= tray_count; j++) {
        if (tray[j].n > 0) {
            EXPECT_EQ(class_of(tray[j].n), 0) << tray[j].n;
        }
    }
    EXPECT_EQ(status_message, "sorted " + int_to_text(25 - reds) + " pieces by colour, " + int_to_text(reds) +
                                  " left in the tray: their boxes are full");
}

}  // namespace
