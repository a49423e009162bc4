// The help screen with the real help pages: which page each screen shows,
// the frame around the line under the mouse, the commands the lines carry
// out (through direct frames and through the loop) and that a line does
// what its key does over the same screen but where the page says more, the
// edges of a line's rectangle, open questions, screens without a page, a
// missing page, and the zoom-in of the board's page.
#include "tests/screens/screens_fixture.h"
#include "tests/shell/library_loop.h"

namespace {

// The pages' layouts, as the help pages are drawn.
struct PageLayout {
    const char* screen;
    const char* letters;
    int first_column;
    int first_row;
};
const PageLayout layouts[5] = {
    {"jigsaw", "ABCDEFGHIKLMNOPQRSTUVWZ12345-0", 15, 12},
    {"box", "BDFHIKLNPQSVZ12345-", 10, 14},
    {"load1", "DFHKNQS-", 4, 16},
    {"new1", "DFHKLQS-", 4, 16},
    {"delete1", "ADFHKLNQSU-", 6, 16},
};

struct HelpScreen : ScreensFixture {
    TImage* page_file[5] = {};  // the pages as the test reads them itself

    void SetUp() override {
        ScreensFixture::SetUp();
        for (int k = 0; k < 5; k++) {
            page_file[k] = load_image(TEST_GAME_DIR "/images/help" + int_to_text(k) + ".png", 0);
            ASSERT_NE(page_file[k], nullptr) << k;
            made_images.push_back(page_file[k]);
        }
        screen_state = SCREEN_HELP;
        previous_screen = SCREEN_JIGSAW;
    }

    int page_left(int k) const { return (display_width() - image_width(page_file[k])) / 2; }
    int page_top(int k) const { return (display_height() - image_height(page_file[k])) / 2; }

    // Top-left corner of the line of page k that stands for letter c.
    void corner(int k, char c, int* x, int* y) const {
        std::string letters = layouts[k].letters;
        int i = static_cast<int>(letters.find(c));
        ASSERT_GE(i, 0) << c;
        int first = layouts[k].first_column;
        *x = page_left(k) + (i < first ? 15 : 327);
        *y = page_top(k) + layouts[k].first_row + 29 * (i < first ? i : i - first);
    }

    // One help frame with the mouse at (x, y) and, when click is set, a
    // pending click there.
    static void frame_at(int x, int y, bool click) {
        move_to(x, y);
        click_pending = click ? 1 : 0;
        help_screen_frame();
    }
    // A click in the middle of the line for letter c of the page of
    // previous_screen.
    void click_line(char c) {
        int k = 0;
        while (k < 5 && previous_screen != layouts[k].screen) k++;
        ASSERT_LT(k, 5);
        int x, y;
        corner(k, c, &x, &y);
        frame_at(x + 150, y + 14, true);
    }

    // Opaque pixels of page k that the back buffer does not show where the
    // page is drawn centred.
    int page_mismatches(int k) {
        TPixmap* pixels = lock_image(page_file[k], 0, true, false);
        int bad = 0;
        for (int y = 0; y < image_height(page_file[k]); y++) {
            for (int x = 0; x < image_width(page_file[k]); x++) {
                uint32_t p = read_pixel(pixels, x, y);
                if ((p >> 24) != 255) continue;
                if (back_pixel(page_left(k) + x, page_top(k) + y) != (p & 0xFFFFFF)) bad++;
            }
        }
        return bad;
    }
};

// --- which page ---------------------------------------------------------------

TEST_F(HelpScreen, EachScreenShowsItsOwnPageCentred) {
    for (int k = 0; k < 5; k++) {
        previous_screen = layouts[k].screen;
        frame_at(0, 0, false);  // the mouse on no line
        EXPECT_EQ(page_mismatches(k), 0) << layouts[k].screen;
        // The two browser pages of the same size differ in their lines.
        if (k == 2 || k == 3) {
            EXPECT_GT(page_mismatches(5 - k), 0) << layouts[k].screen;
        }
    }
}

TEST_F(HelpScreen, ThePageOfTheBoardLiesOverTheBoardAndItsPicture) {
    picture = solid_image(40, 30, 0xFFC01010);
    picture_x = 10;
    picture_y = 20;
    picture_shown = 1;
    frame_at(0, 0, false);
    EXPECT_EQ(back_pixel(2, 2), 0x0A141Eu);  // the board's background colour
    EXPECT_EQ(back_pixel(30, 35), 0xC01010u);
    EXPECT_EQ(page_mismatches(0), 0);
}

TEST_F(HelpScreen, AScreenWithoutAPageShowsItselfStillAndLeavesTheClick) {
    previous_screen = SCREEN_PREFER;
    prefer_state = -1;
    draw_prefer_screen();  // what the preferences screen shows
    std::vector<uint32_t> own;
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++) own.push_back(back_pixel(x, y));
    paint_back(0x123456);  // whatever the buffer held before
    frame_at(400, 300, true);
    int differ = 0;
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++) differ += back_pixel(x, y) != own[static_cast<size_t>(y * 800 + x)];
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(status_message, "no help here - press F1 again");
    EXPECT_EQ(click_pending, 1);
    // A state with nothing of its own to draw gets a clean black frame.
    previous_screen = "nowhere";
    paint_back(0x123456);
    frame_at(400, 300, true);
    EXPECT_EQ(back_pixel(400, 300), 0u);
    EXPECT_EQ(back_pixel(0, 0), 0u);
    // Through the loop the first click goes back to that screen.
    previous_screen = SCREEN_PREFER;
    click_pending = 0;
    while (events_waiting() > 0) wait_event();
    click(400, 300);
    run(1);
    EXPECT_EQ(screen_state, "prefer");
}

TEST_F(HelpScreen, AMissingPageIsReportedAndEveryClickClosesTheHelp) {
    base_dir = player_dir;  // a folder without images/
    frame_at(400, 300, true);
    EXPECT_EQ(help_images[0], nullptr);
    EXPECT_EQ(status_message, "can't find images/help0.png");
    EXPECT_EQ(click_pending, 1);
}

// --- the highlight --------------------------------------------------------------

TEST_F(HelpScreen, TheLineUnderTheMouseIsFramedAndNoOther) {
    int x, y;
    corner(0, 'G', &x, &y);
    frame_at(x + 100, y + 10, false);
    // The frame: 3 pixels thick from 5 outside the line's corner, 307 by 34.
    EXPECT_TRUE(green_at(x - 5, y - 5));
    EXPECT_TRUE(green_at(x - 3, y + 10));
    EXPECT_TRUE(green_at(x + 301, y + 28));
    EXPECT_TRUE(green_at(x + 150, y + 28));
    EXPECT_FALSE(green_at(x - 2, y - 2));
    EXPECT_FALSE(green_at(x + 150, y + 14));
    // No frame around the neighbours or the other column.
    int nx, ny;
    corner(0, 'I', &nx, &ny);
    EXPECT_FALSE(green_at(nx - 5, ny + 29));
    corner(0, 'U', &nx, &ny);
    EXPECT_FALSE(green_at(nx - 5, ny - 5));
    EXPECT_FALSE(green_at(nx + 301, ny + 28));
    // The loupe's line, last in the second column, has its frame too.
    corner(0, '0', &x, &y);
    frame_at(x + 100, y + 10, false);
    EXPECT_TRUE(green_at(x - 5, y - 5));
    EXPECT_TRUE(green_at(x + 301, y + 28));
    corner(0, '-', &nx, &ny);
    EXPECT_EQ(ny, y - 29);
    EXPECT_FALSE(green_at(nx - 5, ny - 5));
}

TEST_F(HelpScreen, NoFrameOffTheLinesOrWhileAQuestionIsOpen) {
    int x, y;
    corner(0, 'A', &x, &y);
    frame_at(page_left(0) + 3, page_top(0) + 3, false);  // the page's rim
    EXPECT_FALSE(green_at(x - 5, y - 5));
    for (const char* question : {ASK_DO_NEW, ASK_QUICK_PICK, ASK_RESTART, ASK_EXIT}) {
        pending_confirm = question;
        frame_at(x + 10, y + 10, true);
        EXPECT_FALSE(green_at(x - 5, y - 5)) << question;
        EXPECT_EQ(click_pending, 1) << question;  // the line is not carried out
        EXPECT_EQ(pending_confirm, question);
    }
}

TEST_F(HelpScreen, TheRightAndBottomEdgesBelongToTheLineAndTheEarlierLineWins) {
    int x, y;
    corner(0, 'H', &x, &y);  // H closes the help, I (below it) opens the preferences
    frame_at(x + 302, y + 10, true);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(click_pending, 0);

    screen_state = SCREEN_HELP;
    frame_at(x + 100, y + 29, true);  // H's bottom edge is I's top edge
    EXPECT_EQ(screen_state, "jigsaw");

    screen_state = SCREEN_HELP;
    frame_at(x + 303, y + 10, true);  // between the columns
    EXPECT_EQ(screen_state, "help");
    EXPECT_EQ(click_pending, 1);

    frame_at(x + 100, y + 30, true);
    EXPECT_EQ(screen_state, "prefer");
}

// --- the board's page ------------------------------------------------------------

TEST_F(HelpScreen, BoardLinesChangeScreens) {
    const struct {
        char letter;
        const char* state;
    } moves[] = {{'B', "box"},   {'H', "jigsaw"}, {'I', "prefer"},  {'K', "delete1"},
                 {'L', "load1"}, {'N', "new1"},   {'U', "unrotate"}};
    for (const auto& move : moves) {
        screen_state = SCREEN_HELP;
        previous_screen = SCREEN_JIGSAW;
        unrotate_phase = 4;
        click_line(move.letter);
        EXPECT_EQ(screen_state, move.state) << move.letter;
        EXPECT_EQ(click_pending, 0) << move.letter;
    }
    EXPECT_EQ(unrotate_phase, 1);
}

TEST_F(HelpScreen, BoardLinesAskQuestionsAndLetGoOfThePiece) {
    piece_count = 1;
    pieces[1] = piece_type();
    for (char letter : {'D', 'Q', 'R'}) {
        pending_confirm = "";
        held_piece = 1;
        click_line(letter);
        EXPECT_EQ(pending_confirm, std::string(1, letter));
        EXPECT_EQ(held_piece, 0);
        EXPECT_EQ(screen_state, "help");  // the question stands over the help
    }
    // The exit line asks to leave but keeps the piece in hand.
    pending_confirm = "";
    held_piece = 1;
    click_line('-');
    EXPECT_EQ(pending_confirm, "X");
    EXPECT_EQ(held_piece, 1);
}

TEST_F(HelpScreen, BoardLinesToggleTheFiltersAndThePicture) {
    piece_count = 2;
    for (int i = 1; i <= 2; i++) {
        pieces[i] = piece_type();
        pieces[i].visible = 0;
        draw_order[i] = i;
    }
    click_line('A');
    EXPECT_EQ(pieces[1].visible + pieces[2].visible, 2);
    click_line('Z');
    EXPECT_EQ(pieces[1].visible + pieces[2].visible, 0);

    click_line('C');
    EXPECT_EQ(swatch_shown, 1);
    click_line('C');
    EXPECT_EQ(swatch_shown, 0);

    show_grouped = 1;
    click_line('G');
    EXPECT_EQ(show_grouped, 0);
    show_loose = 1;
    click_line('O');
    EXPECT_EQ(show_loose, 0);

    click_line('P');  // no picture: nothing to show
    EXPECT_EQ(picture_shown, 0);
    picture = solid_image(20, 20, 0xFFFFFFFF);
    click_line('P');
    EXPECT_EQ(picture_shown, 1);
    EXPECT_EQ(screen_state, "help");
}

TEST_F(HelpScreen, BoxLinesOfTheBoardFlipTheFlagWithoutApplyingIt) {
    piece_count = 1;
    pieces[1] = piece_type();
    pieces[1].box = 3;
    pieces[1].visible = 1;
    draw_order[1] = 1;
    box_shown[3] = 1;
    click_line('3');
    EXPECT_EQ(box_shown[3], 0);
    EXPECT_EQ(pieces[1].visible, 1);  // shown until box visibility is next applied
    click_line('3');
    EXPECT_EQ(box_shown[3], 1);
}

TEST_F(HelpScreen, HomeLineSendsPieceOneHomeUpright) {
    piece_count = 1;
    pieces[1] = piece_type();
    pieces[1].x0 = 210;
    pieces[1].y0 = 160;
    pieces[1].x = 600;
    pieces[1].y = 500;
    pieces[1].a = 3;
    draw_order[1] = 1;
    click_line('M');
    EXPECT_EQ(pieces[1].x, 210);
    EXPECT_EQ(pieces[1].y, 160);
    EXPECT_EQ(pieces[1].a, 0);
}

TEST_F(HelpScreen, TidyLineKeepsThePlaceWhereTheHelpWasOpened) {
    click_x = 123;
    click_y = 45;
    click_line('T');
    EXPECT_EQ(click_x, 123);  // the key T would have cleared it
    EXPECT_EQ(click_y, 45);
    EXPECT_EQ(click_pending, 0);
}

TEST_F(HelpScreen, FitLineClosesTheHelpAndFlashesAroundWhereItWasOpened) {
    // A row of three loose squares; the help was opened over the middle one.
    rows = 1, columns = 3, piece_count = 3;
    for (int i = 1; i <= 3; i++) {
        pieces[i] = piece_type();
        pieces[i].img = solid_image(30, 30, 0xFF808080);
        centre_image_handle(pieces[i].img);
        pieces[i].x = 100 + 100 * i, pieces[i].y = 300;
        pieces[i].visible = 1;
        pieces[i].w = i > 1 ? i - 1 : 0;
        pieces[i].e = i < 3 ? i + 1 : 0;
        draw_order[i] = i;
    }
    TImage* probe = white_image;
    white_image = solid_image(2, 2, 0xFFFFFFFF);
    click_x = 300, click_y = 300;  // on piece 2
    click_line('V');
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
    EXPECT_EQ(click_pending, 0);
    EXPECT_TRUE(fit_flash_running());
    EXPECT_EQ(fit_flash_pieces(), (std::vector<int>{1, 3}));
    end_fit_flash();
    white_image = probe;
}

TEST_F(HelpScreen, DisplayAndWindowLinesSwitchTheDisplay) {
    click_line('F');
    EXPECT_EQ(large_display, 1);
    EXPECT_EQ(display_width(), 1024);
    click_line('W');  // on the large display the page's lines stand elsewhere
    EXPECT_EQ(windowed, 0);
    click_line('F');
    EXPECT_EQ(large_display, 0);
    EXPECT_EQ(display_width(), 800);
    click_line('W');
    EXPECT_EQ(windowed, 1);
}

// --- the box screen's page ---------------------------------------------------------

TEST_F(HelpScreen, BoxPageLinesOpenBoxesAndReturn) {
    previous_screen = SCREEN_BOX;
    click_line('4');
    EXPECT_EQ(current_box, 4);
    EXPECT_EQ(screen_state, "box");

    screen_state = SCREEN_HELP;
    click_line('-');
    EXPECT_EQ(screen_state, "jigsaw");

    piece_count = 1;
    pieces[1] = piece_type();
    pieces[1].visible = 1;
    draw_order[1] = 1;
    screen_state = SCREEN_HELP;
    click_line('Z');
    EXPECT_EQ(pieces[1].visible, 0);
    EXPECT_EQ(screen_state, "jigsaw");

    screen_state = SCREEN_HELP;
    click_line('B');
    EXPECT_EQ(screen_state, "box");

    screen_state = SCREEN_HELP;
    pending_confirm = "";
    click_line('-');  // not the exit question on this page
    EXPECT_EQ(pending_confirm, "");
}

TEST_F(HelpScreen, TheColourSortLineSortsTheTrayAsItsKeyDoes) {
    // Help over the box screen with six tray pieces in two colours.
    auto set_up = [] {
        screen_state = SCREEN_HELP;
        previous_screen = SCREEN_BOX;
        piece_count = 6;
        tray_count = 6;
        for (int i = 1; i <= 6; i++) {
            pieces[i] = piece_type();
            pieces[i].colour = i % 2 ? rgb_colour{200, 30, 30} : rgb_colour{40, 70, 200};
            tray[i] = pce_type();
            tray[i].n = 7 - i;
        }
        for (int b = 1; b <= BOX_COUNT; b++) box_count[b] = 0;
    };
    auto boxes = [] {
        std::ostringstream s;
        for (int b = 1; b <= BOX_COUNT; b++) {
            s << "box " << b << ":";
            for (int i = 1; i <= box_count[b]; i++) s << ' ' << box_contents[b][i].n;
            s << "; ";
        }
        for (int j = 1; j <= tray_count; j++) s << tray[j].n;
        return s.str() + " " + screen_state;
    };
    set_up();
    dispatch_key(KEY_V);
    const std::string by_key = boxes();
    EXPECT_EQ(by_key, "box 1: 1 3 5; box 2: 2 4 6; box 3:; box 4:; box 5:; 000000 help");
    set_up();
    click_line('V');
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(boxes(), by_key);
}

// --- the browser pages -------------------------------------------------------------

TEST_F(HelpScreen, BrowserPagesMoveBetweenTheBrowsers) {
    const struct {
        const char* from;
        char letter;
        const char* state;
    } moves[] = {{"load1", 'K', "delete1"}, {"load1", 'N', "new1"},     {"new1", 'K', "delete1"},
                 {"new1", 'L', "load1"},    {"delete1", 'L', "load1"},  {"delete1", 'N', "new1"},
                 {"load1", 'H', "load1"},   {"delete1", '-', "jigsaw"}, {"new1", '-', "jigsaw"}};
    for (const auto& move : moves) {
        screen_state = SCREEN_HELP;
        previous_screen = move.from;
        click_line(move.letter);
        EXPECT_EQ(screen_state, move.state) << move.from << " " << move.letter;
        EXPECT_EQ(click_pending, 0);
    }
}

TEST_F(HelpScreen, SaveClosesTheHelpOnTheBoardAndBoxPagesOnly) {
    jigsaw_name = "alpha";
    const std::string saved = player_dir + "alpha.txt";
    const struct {
        const char* from;
        const char* state;
    } saves[] = {{"load1", "help"}, {"new1", "help"}, {"delete1", "help"}, {"box", "box"}, {"jigsaw", "jigsaw"}};
    for (const auto& save : saves) {
        std::filesystem::remove(saved);
        screen_state = SCREEN_HELP;
        previous_screen = save.from;
        click_line('S');
        EXPECT_EQ(screen_state, save.state) << save.from;
        EXPECT_TRUE(std::filesystem::exists(saved)) << save.from;  // the game was saved
    }
}

// The loupe's line turns the loupe on and shows the board, where its key
// cycles it; the keys do nothing off the board.
TEST_F(HelpScreen, TheLoupeLineShowsTheBoardWithTheLoupeOn) {
    loupe_zoom = 0;
    screen_state = SCREEN_HELP;
    previous_screen = SCREEN_JIGSAW;
    click_line('0');
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(loupe_zoom, 2);
    screen_state = SCREEN_BOX;
    dispatch_key(KEY_0);
    dispatch_key(KEY_PAD_MULTIPLY);
    EXPECT_EQ(loupe_zoom, 2) << "the box screen has no loupe";
    loupe_zoom = 0;
}

// --- lines and their keys ---------------------------------------------------------

// What the commands of the help pages change, in words, so that a line and
// its key can be compared and a difference read.
std::string game_state() {
    std::ostringstream s;
    s << "screen " << screen_state << " over " << previous_screen << ", question '" << pending_confirm << "', held "
      << held_piece << ", swatch " << swatch_shown << ", grouped " << show_grouped << ", loose " << show_loose
      << ", picture " << picture_shown << ", unrotate " << unrotate_phase << ", box " << current_box << ", click "
      << click_x << "," << click_y << ", boxes shown";
    for (int b = 1; b <= BOX_COUNT; b++) s << ' ' << box_shown[b];
    for (int i = 1; i <= piece_count; i++)
        s << ", piece " << i << (pieces[i].visible ? " shown" : " hidden") << " at " << pieces[i].x << ","
          << pieces[i].y << " turned " << pieces[i].a;
    return s.str();
}

TEST_F(HelpScreen, ALineDoesWhatItsKeyDoesOverTheSameScreen) {
    TImage* shown_picture = solid_image(20, 20, 0xFFFFFFFF);
    // The same game before every line and every key: help over `under`,
    // a piece in hand, two pieces away from home, every filter on.
    auto set_up = [&](const char* under) {
        screen_state = SCREEN_HELP;
        previous_screen = under;
        pending_confirm = "";
        piece_count = 2;
        for (int i = 1; i <= 2; i++) {
            pieces[i] = piece_type();
            pieces[i].x0 = 100 * i;
            pieces[i].y0 = 150;
            pieces[i].x = 500;
            pieces[i].y = 400 + 20 * i;
            pieces[i].a = i;
            pieces[i].gp = i;
            pieces[i].box = i;
            pieces[i].edge = i == 1;
            pieces[i].visible = 1;
            draw_order[i] = i;
        }
        held_piece = 1;
        swatch_shown = 0;
        show_grouped = show_loose = 1;
        picture = shown_picture;
        picture_shown = 0;
        unrotate_phase = 4;
        current_box = 2;
        for (int b = 1; b <= BOX_COUNT; b++) box_shown[b] = 1;
        click_x = 321;
        click_y = 123;
    };
    // Every line but those that do more than their key: S on the board and
    // box pages, T and 1..5 on the board's, B, 1..5 and Esc on the box
    // screen's, K on the kill page (each has a test of its own). F and W
    // switch the display and have theirs too.
    const struct {
        const char* under;
        const char* letters;
    } pages[] = {{SCREEN_JIGSAW, "ABCDEGHIKLMNOPQRUZ-"},
                 {SCREEN_BOX, "DHIKLNPQZ"},
                 {SCREEN_LOAD, "DHKNQ-"},
                 {SCREEN_NEW, "DHKLQ-"},
                 {SCREEN_DELETE, "ADHLNQU-"}};
    for (const auto& page : pages) {
        for (const char* c = page.letters; *c; c++) {
            SCOPED_TRACE(std::string(page.under) + " " + *c);
            set_up(page.under);
            dispatch_key(*c == '-' ? static_cast<int>(KEY_ESCAPE) : *c);
            const std::string by_key = game_state();
            set_up(page.under);
            click_line(*c);
            EXPECT_EQ(click_pending, 0);
            EXPECT_EQ(game_state(), by_key);
        }
    }
    picture = nullptr;
}

TEST_F(HelpScreen, TheKillLineKillsWhereItsKeyOverTheHelpOnlyGoesToTheKillScreen) {
    LibraryLoop::make_jigsaw("0000bexil");  // dealt after a kill
    LibraryLoop::make_jigsaw("alpha");
    previous_screen = SCREEN_DELETE;
    dispatch_key(KEY_K);
    EXPECT_EQ(screen_state, "delete1");
    EXPECT_EQ(jigsaw_name, "");

    screen_state = SCREEN_HELP;
    click_line('K');
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(jigsaw_name, "0000bexil");
    EXPECT_TRUE(std::filesystem::exists("jigsaws/alpha"));  // nothing was marked
}

// --- through the loop -------------------------------------------------------------

TEST_F(HelpScreen, HThenAClickOnALineCarriesItOut) {
    screen_state = SCREEN_JIGSAW;
    press(KEY_H);
    ASSERT_EQ(screen_state, "help");
    int x, y;
    corner(0, 'I', &x, &y);
    click(x + 40, y + 15);
    run(1);
    EXPECT_EQ(screen_state, "prefer");
}

TEST_F(HelpScreen, AClickOnThePageBesideTheLinesClosesTheHelpOnly) {
    screen_state = SCREEN_JIGSAW;
    press(KEY_H);
    run(1);  // the page is loaded
    piece_count = 0;
    click(page_left(0) + 5, page_top(0) + 5);
    run(1);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(click_pending, 0);
}

// --- the zoom-in --------------------------------------------------------------------

// Forgets the presses that earlier tests left in the polled state and
// lets the left button up, as a real click would.
void forget_presses() {
    TEvent up;
    up.id = EVENT_MOUSE_UP;
    up.data = 1;
    emit_event(up);
    while (events_waiting() > 0) wait_event();
    button_presses(1);
    key_presses(KEY_ESCAPE);
    key_presses(KEY_PAD_5);
    key_presses(KEY_PAD_0);
}

TEST_F(HelpScreen, TheZoomInTakesTwoHundredStepsOfElevenMilliseconds) {
    forget_presses();
    int flips = null_flip_count();
    int start = clock_ms();
    help_zoom_intro();
    EXPECT_GE(clock_ms() - start, 200 * 11);
    EXPECT_EQ(null_flip_count() - flips, 201);
    // Full size at the end, centred on 400, 300; the scale is back to 1.
    float sx, sy;
    get_scale(&sx, &sy);
    EXPECT_EQ(sx, 1.0f);
    EXPECT_EQ(sy, 1.0f);
    EXPECT_EQ(page_mismatches(0), 0);
}

// The mouse's click, and the keypad's left-button keys after steps that
// bring the pointer onto the line: each ends the zoom at once and the
// help page then takes the click where the pointer stands.
TEST_F(HelpScreen, AClickOrTheKeypadsButtonEndsTheZoomAndStillReachesTheHelpPage) {
    const struct {
        const char* how;
        int steps_right;  // keypad 6 presses (2 pixels each) before the button
        int key;          // the button key; 0: the mouse's own click
    } cases[] = {{"mouse", 0, 0}, {"keypad 5", 2, KEY_PAD_5}, {"keypad 0", 3, KEY_PAD_0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        forget_presses();
        int x, y;
        corner(0, 'I', &x, &y);
        // The steps end on the line; without them the pointer is left of it.
        int start_x = c.key ? x + 1 - 2 * c.steps_right : x + 20;
        move_to(start_x, y + 10);
        auto push = [](int id, int data, int px, int py) {
            TEvent e;
            e.id = id;
            e.data = data;
            e.x = px;
            e.y = py;
            null_push_window_event(e);
        };
        for (int i = 0; i < c.steps_right; i++) {
            push(EVENT_KEY_DOWN, KEY_PAD_6, 0, 0);
            push(EVENT_KEY_UP, KEY_PAD_6, 0, 0);
        }
        if (c.key) {
            push(EVENT_KEY_DOWN, c.key, 0, 0);
            push(EVENT_KEY_UP, c.key, 0, 0);
        } else {
            push(EVENT_MOUSE_DOWN, 1, start_x, y + 10);
        }
        int start = clock_ms();
        help_zoom_intro();
        EXPECT_LT(clock_ms() - start, 200);
        // The loop goes on to the help page, which takes the same click.
        pref_click_help = 1;
        screen_state = SCREEN_ANIM;
        intro_pending = 1;
        anim_phase = 4;
        anim_skipped = 0;
        large_display = 1;  // the loop's own zoom is not run again
        for (int i = 0; i < 40 && screen_state != std::string("prefer"); i++) run(1);
        EXPECT_EQ(screen_state, "prefer");
        EXPECT_EQ(pointer_x(), start_x + 2 * c.steps_right);
        large_display = 0;
    }
}

TEST_F(HelpScreen, EscapeDuringTheZoomEndsTheProgram) {
    forget_presses();
    EXPECT_EXIT(
        {
            TEvent key;
            key.id = EVENT_KEY_DOWN;
            key.data = KEY_ESCAPE;
            null_push_window_event(key);
            help_zoom_intro();
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
