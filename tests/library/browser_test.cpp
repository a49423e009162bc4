// The thumbnail browsers: listing order with the reserved entry last, the
// pages at both display sizes, thumbnails that cannot be loaded, the hit
// rectangles and their shared borders, the page arrows and the Left and
// Right keys, the title lines, and a folder that cannot be listed.
#include "storage_fixture.h"

namespace {

namespace fs = std::filesystem;

struct Browser : StorageFixture {
    TImage* arrows[5] = {};

    void SetUp() override {
        StorageFixture::SetUp();
        free_lists();
        screen_state = SCREEN_NEW;
        // Solid arrows, so the screen tells which ones were drawn.
        for (int i = 1; i <= 4; i++) arrow_images[i] = arrows[i] = support::solid_image(84, 40, 0xFF102030);
    }
    void TearDown() override {
        if (large_display) toggle_display_size();
        free_lists();
        for (int i = 1; i <= 4; i++) {
            arrow_images[i] = nullptr;
            free_image(arrows[i]);
        }
        StorageFixture::TearDown();
    }
    static void free_lists() {
        for (TList<tn3_type>* list : {jigsaw_list, saved_list}) {
            for (tn3_type& entry : *list)
                if (entry.img) free_image(entry.img);
            list_clear(list);
        }
        jigsaw_page = saved_page = 0;
        jigsaw_pages = saved_pages = 0;
    }
    // A library folder holding only its picture (enough for the browser).
    static void make_entry(const std::string& name, bool with_picture = true) {
        fs::create_directories("jigsaws/" + name);
        if (with_picture) {
            ASSERT_TRUE(write_png("jigsaws/" + name + "/tn.png", 40, 30, 0xFF40A020));
        }
    }
    // Names j01, j02 ... (sorted as numbered).
    static std::string numbered(int i) {
        std::string digits = std::to_string(i);
        return "j" + std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
    }
    static std::vector<std::string> names_of(const TList<tn3_type>* list) {
        std::vector<std::string> names;
        for (const tn3_type& entry : *list) names.push_back(entry.tessellon);
        return names;
    }
    static const tn3_type* entry_named(const std::string& name) {
        for (const tn3_type& entry : *jigsaw_list)
            if (entry.tessellon == name) return &entry;
        return nullptr;
    }
    static uint32_t back_rgb(int x, int y) { return read_pixel(null_back_buffer(), x, y) & 0xFFFFFF; }
    // Runs one frame of the library page with the mouse at (x, y).
    static void draw_with_mouse(int x, int y) {
        TEvent e;
        e.id = EVENT_MOUSE_MOVE;
        e.x = x;
        e.y = y;
        emit_event(e);
        draw_jigsaw_page(screen_state);
    }
};

// --- listing -------------------------------------------------------------------

TEST_F(Browser, EmptyLibraryListsOnlyTheReservedJigsawOnPageOneOfOne) {
    draw_jigsaw_page(SCREEN_NEW);
    EXPECT_EQ(names_of(jigsaw_list), std::vector<std::string>{"0000bexil"});
    EXPECT_EQ(jigsaw_count, 1);
    EXPECT_EQ(jigsaw_page, 1);
    EXPECT_EQ(page_title_text(SCREEN_NEW), "Page 1 of 1");
}

TEST_F(Browser, LibraryIsSortedWithTheReservedEntryLastAndOnlyFoldersCount) {
    make_entry("zebra");
    make_entry("0000bexil");
    make_entry("0000mine");
    make_entry("apple");
    write_text("jigsaws/loose.txt", "not a jigsaw");
    list_jigsaws();
    EXPECT_EQ(names_of(jigsaw_list), (std::vector<std::string>{"0000mine", "apple", "zebra", "0000bexil"}));
    int n = 0;
    for (const tn3_type& entry : *jigsaw_list) {
        EXPECT_EQ(entry.n, ++n);
        EXPECT_EQ(entry.marked, 0);
        EXPECT_EQ(entry.img, nullptr);
    }
    EXPECT_EQ(jigsaw_count, 4);
}

TEST_F(Browser, SavedGamesAreListedByThumbnailWithTheReservedOneLast) {
    write_png("players/default/0000bexil.png", 8, 6, 0xFF000000);
    write_png("players/default/mine.png", 8, 6, 0xFF000000);
    write_png("players/default/alone.png", 8, 6, 0xFF000000);  // no .txt: still listed
    write_text("players/default/mine.txt", "1\r\n");
    write_text("players/default/text_only.txt", "1\r\n");  // no thumbnail: not listed
    write_text("players/default/prefer.txt", "1\r\n");
    list_saved_games();
    EXPECT_EQ(names_of(saved_list), (std::vector<std::string>{"alone", "mine", "0000bexil"}));
    EXPECT_EQ(saved_count, 3);
    EXPECT_EQ(saved_page, 1);
}

TEST_F(Browser, NoSavedGamesReadPageOneOfZero) {
    draw_saved_page();
    EXPECT_EQ(saved_count, 0);
    EXPECT_EQ(page_title_text(SCREEN_LOAD), "Saved Jigsaws    Page 1 of 0");
}

TEST_F(Browser, UnlistableFoldersAreReportedAndLeaveUsableLists) {
    fs::remove_all("jigsaws");
    player_dir = "missing/";
    arm_message_answer();  // answers "Unable to access jigsaws"
    arm_message_answer();  // and "Unable to access missing/"
    draw_jigsaw_page(SCREEN_NEW);
    draw_saved_page();
    EXPECT_EQ(names_of(jigsaw_list), std::vector<std::string>{"0000bexil"});
    EXPECT_EQ(jigsaw_page, 1);
    EXPECT_EQ(saved_count, 0);
    EXPECT_EQ(saved_page, 1);
    int answered = 0;
    while (events_waiting() > 0)
        if (wait_event() == EVENT_KEY_DOWN) answered++;
    EXPECT_EQ(answered, 2);
    // The next frames read nothing again and wait for nothing.
    draw_jigsaw_page(SCREEN_NEW);
    draw_saved_page();
    EXPECT_EQ(events_waiting(), 0);
}

// --- pages -------------------------------------------------------------------------

TEST_F(Browser, FiftySevenEntriesMakeTwoPagesAt800AndOneAt1024) {
    for (int i = 1; i <= 56; i++) make_entry(numbered(i));
    draw_jigsaw_page(SCREEN_NEW);  // 56 folders and the reserved entry
    EXPECT_EQ(jigsaw_count, 57);
    EXPECT_EQ(jigsaw_pages, 2);
    EXPECT_EQ(browser_per_page(BROWSER_LIBRARY), 56);
    const tn3_type* last_of_page = entry_named(numbered(56));
    ASSERT_NE(last_of_page, nullptr);
    EXPECT_EQ(last_of_page->x, 8 + 7 * 98);
    EXPECT_EQ(last_of_page->y, 66 + 6 * 74);

    // The reserved jigsaw's picture is drawn in the first cell of page 2.
    make_entry("0000bexil");
    next_page();
    EXPECT_EQ(jigsaw_page, 2);
    draw_jigsaw_page(SCREEN_NEW);
    EXPECT_EQ(jigsaw_list->back().x, 8);
    EXPECT_EQ(jigsaw_list->back().y, 66);
    EXPECT_EQ(page_title_text(SCREEN_NEW), "Page 2 of 2");
    // Arrows 1 and 2 only.
    EXPECT_EQ(back_rgb(9 + 40, 12 + 20), 0x102030u);
    EXPECT_EQ(back_rgb(96 + 40, 12 + 20), 0x102030u);
    EXPECT_EQ(back_rgb(619 + 40, 12 + 5), 0xE0FFFFu);
    EXPECT_EQ(back_rgb(706 + 40, 12 + 5), 0xE0FFFFu);

    toggle_display_size();
    EXPECT_EQ(jigsaw_page, 1);
    draw_jigsaw_page(SCREEN_NEW);
    EXPECT_EQ(jigsaw_pages, 1);
    EXPECT_EQ(browser_per_page(BROWSER_LIBRARY), 90);
    EXPECT_EQ(entry_named(numbered(1))->x, 23);
    EXPECT_EQ(entry_named(numbered(11))->y, 66 + 74);  // row 2 of 10 columns
}

// Paging through the library keeps the thumbnails of the page shown and
// its neighbours only; coming back loads a page again.
TEST_F(Browser, OnlyThePagesNearTheOneShownKeepTheirThumbnails) {
    for (int i = 1; i <= 56 * 5; i++) make_entry(numbered(i));
    auto held_pages = [] {
        std::vector<int> pages;
        for (const tn3_type& entry : *jigsaw_list)
            if (entry.img) {
                int page = (entry.n - 1) / 56 + 1;
                if (pages.empty() || pages.back() != page) pages.push_back(page);
            }
        return pages;
    };
    draw_jigsaw_page(SCREEN_NEW);
    EXPECT_EQ(held_pages(), std::vector<int>({1}));
    for (int page = 2; page <= 5; page++) {
        next_page();
        draw_jigsaw_page(SCREEN_NEW);
    }
    EXPECT_EQ(jigsaw_page, 5);
    EXPECT_EQ(held_pages(), std::vector<int>({4, 5}));  // 3 was two pages back
    for (int page = 4; page >= 2; page--) {
        previous_page();
        draw_jigsaw_page(SCREEN_NEW);
    }
    EXPECT_EQ(held_pages(), std::vector<int>({2, 3}));
    EXPECT_EQ(entry_named(numbered(1))->img, nullptr);
    previous_page();
    draw_jigsaw_page(SCREEN_NEW);
    EXPECT_NE(entry_named(numbered(1))->img, nullptr);
    EXPECT_EQ(held_pages(), std::vector<int>({1, 2}));
}

TEST_F(Browser, SavedPagesHoldTwelveAt800AndTwentyAt1024) {
    for (int i = 1; i <= 13; i++) write_png("players/default/" + numbered(i) + ".png", 26, 20, 0xFF000000);
    draw_saved_page();
    EXPECT_EQ(saved_pages, 2);
    const tn3_type& fifth = *std::next(saved_list->begin(), 4);
    EXPECT_EQ(fifth.x, 8);  // 4 columns: the fifth starts row 2
    EXPECT_EQ(fifth.y, 66 + 149);
    toggle_display_size();
    draw_saved_page();
    EXPECT_EQ(saved_pages, 1);
    EXPECT_EQ(std::next(saved_list->begin(), 4)->x, 23 + 4 * 196);
}

TEST_F(Browser, AJigsawWithoutPictureTakesNoCell) {
    make_entry("a");
    make_entry("b", false);
    make_entry("c");
    draw_jigsaw_page(SCREEN_NEW);
    EXPECT_EQ(entry_named("a")->x, 8);
    EXPECT_EQ(entry_named("c")->x, 8 + 98);  // moved into b's place
    EXPECT_EQ(entry_named("b")->img, nullptr);
    // A picture appearing while the browser shows is not looked for on
    // every frame; the browser opened again finds it.
    write_png("jigsaws/b/tn.png", 40, 30, 0xFF000000);
    draw_jigsaw_page(SCREEN_NEW);
    EXPECT_EQ(entry_named("b")->img, nullptr);
    EXPECT_EQ(entry_named("c")->x, 8 + 98);
    free_browser_thumbnails();
    EXPECT_EQ(entry_named("a")->img, nullptr);
    EXPECT_EQ(entry_named("c")->img, nullptr);
    draw_jigsaw_page(SCREEN_NEW);
    EXPECT_EQ(entry_named("b")->x, 8 + 98);
    EXPECT_EQ(entry_named("c")->x, 8 + 2 * 98);
}

TEST_F(Browser, ABrokenThumbnailIsReadOncePerShowing) {
    make_entry("a");
    fs::create_directories("jigsaws/b");
    write_text("jigsaws/b/tn.png", "not a picture");
    make_entry("c");
    draw_jigsaw_page(SCREEN_NEW);
    EXPECT_TRUE(entry_named("b")->failed);
    // Mended while the browser shows: still not read again.
    write_png("jigsaws/b/tn.png", 40, 30, 0xFF000000);
    for (int i = 0; i < 3; i++) draw_jigsaw_page(SCREEN_NEW);
    EXPECT_EQ(entry_named("b")->img, nullptr);
    EXPECT_EQ(entry_named("c")->x, 8 + 98);
    free_browser_thumbnails();
    EXPECT_FALSE(entry_named("b")->failed);
}

TEST_F(Browser, HiddenFoldersAndFilesAreNeverListed) {
    make_entry(".trash");
    make_entry("..hidden");
    make_entry("apple");
    write_png("players/default/.draft.png", 8, 6, 0xFF000000);
    write_png("players/default/mine.png", 8, 6, 0xFF000000);
    list_jigsaws();
    list_saved_games();
    EXPECT_EQ(names_of(jigsaw_list), (std::vector<std::string>{"apple", "0000bexil"}));
    EXPECT_EQ(names_of(saved_list), std::vector<std::string>{"mine"});
}

TEST_F(Browser, ThumbnailsAreDrawnAtScale) {
    make_entry("a");  // 40 x 30 at 0.36 covers about 14 x 10 pixels
    draw_jigsaw_page(SCREEN_NEW);
    EXPECT_EQ(back_rgb(8 + 5, 66 + 5), 0x40A020u);
    EXPECT_EQ(back_rgb(8 + 20, 66 + 5), 0xE0FFFFu);
    screen_state = SCREEN_DELETE;
    draw_jigsaw_page(SCREEN_DELETE);
    EXPECT_EQ(back_rgb(8 + 20, 66 + 5), 0xFF0000u);  // the kill screen is red
}

// --- what a click meets ------------------------------------------------------------

TEST_F(Browser, SharedCellBordersChooseTheEarlierEntry) {
    make_entry("a");
    make_entry("b");
    draw_with_mouse(8 + 98, 70);  // the line a and b share
    EXPECT_EQ(jigsaw_at_mouse(), "a");
    draw_with_mouse(8 + 99, 70);
    EXPECT_EQ(jigsaw_at_mouse(), "b");
    draw_with_mouse(8 + 98 + 98 + 1, 70);  // right of the last thumbnail
    EXPECT_EQ(jigsaw_at_mouse(), "");
    draw_with_mouse(7, 70);
    EXPECT_EQ(jigsaw_at_mouse(), "");
}

TEST_F(Browser, OnlyThumbnailsOfTheDrawnPageAreHit) {
    for (int i = 1; i <= 60; i++) make_entry(numbered(i));
    draw_with_mouse(10, 70);
    EXPECT_EQ(jigsaw_at_mouse(), numbered(1));
    jigsaw_page = 2;
    draw_with_mouse(10, 70);
    EXPECT_EQ(jigsaw_at_mouse(), numbered(57));
    draw_with_mouse(10 + 5 * 98, 70);  // entry 1's old row, beyond page 2's entries
    EXPECT_EQ(jigsaw_at_mouse(), "");
}

TEST_F(Browser, ArrowsMoveThePageAndClampAtBothEnds) {
    for (int i = 1; i <= 120; i++) make_entry(numbered(i), false);  // 121 entries: 3 pages
    draw_jigsaw_page(SCREEN_NEW);
    ASSERT_EQ(jigsaw_pages, 3);
    draw_with_mouse(9, 12);  // arrow 1 on page 1: taken, page stays
    EXPECT_EQ(page_arrow_click(), 1);
    EXPECT_EQ(jigsaw_page, 1);
    draw_with_mouse(96 + 84, 52);  // arrow 2's far corner, page 1: stays
    EXPECT_EQ(page_arrow_click(), 1);
    EXPECT_EQ(jigsaw_page, 1);
    draw_with_mouse(619, 30);  // arrow 3
    EXPECT_EQ(page_arrow_click(), 1);
    EXPECT_EQ(jigsaw_page, 2);
    draw_with_mouse(706, 30);  // arrow 4
    EXPECT_EQ(page_arrow_click(), 1);
    EXPECT_EQ(jigsaw_page, 3);
    draw_with_mouse(619, 30);  // arrow 3 on the last page: stays
    EXPECT_EQ(page_arrow_click(), 1);
    EXPECT_EQ(jigsaw_page, 3);
    draw_with_mouse(96, 30);  // arrow 2
    EXPECT_EQ(page_arrow_click(), 1);
    EXPECT_EQ(jigsaw_page, 2);
    draw_with_mouse(300, 30);  // between the arrows
    EXPECT_EQ(page_arrow_click(), 0);
    draw_with_mouse(9, 53);  // just below arrow 1
    EXPECT_EQ(page_arrow_click(), 0);
    EXPECT_EQ(jigsaw_page, 2);
}

TEST_F(Browser, LeftAndRightKeysClampAndActOnlyOnBrowserScreens) {
    for (int i = 1; i <= 60; i++) make_entry(numbered(i), false);
    draw_jigsaw_page(SCREEN_NEW);
    previous_page();
    EXPECT_EQ(jigsaw_page, 1);
    next_page();
    EXPECT_EQ(jigsaw_page, 2);
    next_page();
    EXPECT_EQ(jigsaw_page, 2);
    screen_state = SCREEN_JIGSAW;
    previous_page();
    EXPECT_EQ(jigsaw_page, 2);
    screen_state = SCREEN_LOAD;  // the saved-game browser's own page
    saved_page = 1;
    saved_pages = 2;
    next_page();
    EXPECT_EQ(saved_page, 2);
    EXPECT_EQ(jigsaw_page, 2);
    previous_page();
    previous_page();
    EXPECT_EQ(saved_page, 1);
}

TEST_F(Browser, DeleteTitleCountsTheMarksOverAllPages) {
    for (int i = 1; i <= 60; i++) make_entry(numbered(i), false);
    list_jigsaws();
    jigsaw_pages = 2;
    EXPECT_EQ(page_title_text(SCREEN_DELETE), "Page 1 of 2");
    jigsaw_list->front().marked = 1;
    EXPECT_EQ(page_title_text(SCREEN_DELETE), "Page 1 of 2   Press K to Kill 1 jigsaw");
    std::next(jigsaw_list->begin(), 58)->marked = 1;  // on page 2
    EXPECT_EQ(page_title_text(SCREEN_DELETE), "Page 1 of 2   Press K to Kill 2 jigsaws");
    EXPECT_EQ(page_title_text(SCREEN_NEW), "Page 1 of 2");
}

}  // namespace
