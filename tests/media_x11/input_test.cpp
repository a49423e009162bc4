// X input of the real backend, driven through XTEST from another client:
// key codes and typed characters, auto-repeat, button numbering, the
// wheel, pointer motion and the window's close request.
#include <gtest/gtest.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstring>

#include "media/draw/x11_backend.h"
#include "media/media_internal.h"
#include "tests/media_x11/xvfb_server.h"

// The ids and data of the events, in order, as "id:data" words.
static std::string summary(const std::vector<TEvent>& events) {
    std::string text;
    for (const TEvent& event : events)
        text += (text.empty() ? "" : " ") + std::to_string(event.id) + ":" + std::to_string(event.data);
    return text;
}

static void fake_key(KeySym symbol, bool down) {
    XTestFakeKeyEvent(observer(), XKeysymToKeycode(observer(), symbol), down, CurrentTime);
    XSync(observer(), False);
}

static void fake_button(unsigned button) {
    XTestFakeButtonEvent(observer(), button, True, CurrentTime);
    XTestFakeButtonEvent(observer(), button, False, CurrentTime);
    XSync(observer(), False);
}

// The events up to the one `last` accepts however late it comes, then any
// that still follow it within 100 ms.
static std::vector<TEvent> events_through(bool (*last)(const TEvent&)) {
    std::vector<TEvent> events = collect_events_until(last, 5000);
    std::vector<TEvent> more = collect_events(100);
    events.insert(events.end(), more.begin(), more.end());
    return events;
}

struct X11Input : testing::Test {
    void SetUp() override {
        ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
        XTestFakeMotionEvent(observer(), -1, 400, 300, CurrentTime);
        XSync(observer(), False);
        collect_events(100);  // the motion and anything left from opening
    }
    void TearDown() override { close_screen(); }
};

TEST_F(X11Input, KeysGiveTheirCodesAndTypedCharacters) {
    fake_key('a', true);
    fake_key('a', false);
    fake_key(XK_Left, true);
    fake_key(XK_Left, false);
    fake_key(XK_Return, true);
    fake_key(XK_Return, false);
    EXPECT_EQ(summary(events_through([](const TEvent& e) { return e.id == EVENT_KEY_UP && e.data == 13; })),
              "513:65 515:97 514:65 513:37 514:37 513:13 515:13 514:13");
}

TEST_F(X11Input, HeldKeyGivesOneDownRepeatsAndOneUp) {
    fake_key(XK_Escape, true);
    std::vector<TEvent> events = collect_events(1300);  // past the server's auto-repeat delay
    fake_key(XK_Escape, false);
    std::vector<TEvent> rest = collect_events_until(
        [](const TEvent& event) { return event.id == EVENT_KEY_UP && event.data == KEY_ESCAPE; }, 5000);
    events.insert(events.end(), rest.begin(), rest.end());
    int downs = 0, ups = 0, repeats = 0;
    for (const TEvent& event : events) {
        if (event.data != KEY_ESCAPE) continue;
        downs += event.id == EVENT_KEY_DOWN;
        ups += event.id == EVENT_KEY_UP;
        repeats += event.id == EVENT_KEY_REPEAT;
    }
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
    EXPECT_GT(repeats, 0);
    EXPECT_EQ(events.back().id, EVENT_KEY_UP);
    EXPECT_EQ(key_presses(KEY_ESCAPE), 1);
}

TEST_F(X11Input, ButtonsAreNumberedLeftRightMiddleAndTheWheelIsSeparate) {
    fake_button(1);
    fake_button(3);
    fake_button(2);
    fake_button(4);
    fake_button(5);
    EXPECT_EQ(summary(events_through([](const TEvent& e) { return e.id == EVENT_MOUSE_WHEEL && e.data == -1; })),
              "1025:1 1026:1 1025:2 1026:2 1025:3 1026:3 1028:1 1028:-1");
}

TEST_F(X11Input, EventsCarryThePointerPosition) {
    XTestFakeMotionEvent(observer(), -1, 123, 45, CurrentTime);
    fake_button(1);
    std::vector<TEvent> events = collect_events(200);
    ASSERT_EQ(summary(events), "1027:0 1025:1 1026:1");
    for (const TEvent& event : events) {
        EXPECT_EQ(event.x, 123);
        EXPECT_EQ(event.y, 45);
    }
    EXPECT_EQ(pointer_x(), 123);
    EXPECT_EQ(pointer_y(), 45);

    move_mouse(10, 20);
    collect_events(100);
    EXPECT_EQ(pointer_x(), 10);
    EXPECT_EQ(pointer_y(), 20);
}

TEST_F(X11Input, CloseRequestBecomesTheQuitEvent) {
    XEvent request;
    memset(&request, 0, sizeof request);
    request.xclient.type = ClientMessage;
    request.xclient.window = x11_window;
    request.xclient.message_type = XInternAtom(observer(), "WM_PROTOCOLS", False);
    request.xclient.format = 32;
    request.xclient.data.l[0] = (long)XInternAtom(observer(), "WM_DELETE_WINDOW", False);
    XSendEvent(observer(), x11_window, False, NoEventMask, &request);
    XSync(observer(), False);
    EXPECT_EQ(summary(events_through([](const TEvent& e) { return e.id == EVENT_QUIT; })), "259:0");
    EXPECT_TRUE(quit_requested());
}

// On a scaled full screen (800x400 shown 1024x512 from y 128) positions are
// the board pixels drawn under the pointer; a press on the bars does nothing.
TEST(X11ScaledInput, PositionsAreTheBoardPixelsDrawnThereAndTheBarsAreDead) {
    ASSERT_NE(open_screen(800, 400, 32, 60, 0), nullptr);
    collect_events(100);
    struct Case {
        int screen_x, screen_y, board_x, board_y;
    };
    for (const Case& c : {Case{530, 600, 414, 369}, Case{0, 128, 0, 0}, Case{1023, 639, 799, 399}, Case{1, 129, 1, 1},
                          Case{2, 130, 1, 1}}) {
        SCOPED_TRACE(std::to_string(c.screen_x) + "," + std::to_string(c.screen_y));
        XTestFakeMotionEvent(observer(), -1, c.screen_x, c.screen_y, CurrentTime);
        fake_button(1);
        std::vector<TEvent> events = events_through([](const TEvent& e) { return e.id == EVENT_MOUSE_UP; });
        ASSERT_EQ(summary(events), "1027:0 1025:1 1026:1");
        for (const TEvent& event : events) {
            EXPECT_EQ(event.x, c.board_x);
            EXPECT_EQ(event.y, c.board_y);
        }
    }
    XTestFakeMotionEvent(observer(), -1, 500, 20, CurrentTime);  // the bar above the board
    fake_button(1);
    std::vector<TEvent> on_bar = events_through([](const TEvent& e) { return e.id == EVENT_MOUSE_UP; });
    EXPECT_EQ(summary(on_bar), "1027:0 1026:1") << "the press on the bar must not reach the game";
    ASSERT_FALSE(on_bar.empty());
    EXPECT_EQ(on_bar[0].y, 0) << "motion over the bar is the nearest edge";

    move_mouse(414, 369);  // warps to the screen pixel that shows it
    Window root, child;
    int root_x = 0, root_y = 0, x = 0, y = 0;
    unsigned buttons = 0;
    XQueryPointer(observer(), DefaultRootWindow(observer()), &root, &child, &root_x, &root_y, &x, &y, &buttons);
    int back_x = root_x, back_y = root_y;
    EXPECT_TRUE(x11_window_to_display(&back_x, &back_y));
    EXPECT_EQ(back_x, 414);
    EXPECT_EQ(back_y, 369);
    close_screen();
}
