// The X11 display: window and full-screen opening rules, the mode list,
// the drawing state after opening, the title and the hidden pointer.
#include <gtest/gtest.h>

#include <cstring>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <chrono>
#include <thread>

#include "media/draw/x11_backend.h"
#include "media/media_internal.h"
#include "tests/media_x11/xvfb_server.h"

// Opaque pixels of the pointer shape the server shows now.
static int visible_cursor_pixels() {
    XFixesCursorImage* cursor = XFixesGetCursorImage(observer());
    if (!cursor) return -1;
    int opaque = 0;
    for (int i = 0; i < cursor->width * cursor->height; i++) opaque += (cursor->pixels[i] >> 24) != 0;
    XFree(cursor);
    return opaque;
}

// The observer, another client, takes the keyboard (as a busy desktop may)
// or lets it go again; the grab's result.
static int observer_grabs_keyboard() {
    Display* other = observer();
    int result = XGrabKeyboard(other, DefaultRootWindow(other), True, GrabModeAsync, GrabModeAsync, CurrentTime);
    XSync(other, False);
    return result;
}

static void observer_releases_keyboard() {
    XUngrabKeyboard(observer(), CurrentTime);
    XSync(observer(), False);
}

// GrabSuccess when another client can take the keyboard now.
static int other_client_keyboard_grab() {
    int result = observer_grabs_keyboard();
    observer_releases_keyboard();
    return result;
}

TEST(X11Display, WindowHasExactFixedSizeAndTheAppTitle) {
    set_app_title("Tessellon test");
    ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
    EXPECT_EQ(display_width(), 800);
    EXPECT_EQ(display_height(), 600);
    EXPECT_EQ(display_depth(), 0);
    EXPECT_EQ(display_hertz(), 60);

    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(observer(), x11_window, &attributes));
    EXPECT_EQ(attributes.width, 800);
    EXPECT_EQ(attributes.height, 600);
    XSizeHints hints;
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(observer(), x11_window, &hints, &supplied));
    EXPECT_EQ(hints.min_width, 800);
    EXPECT_EQ(hints.max_width, 800);
    EXPECT_EQ(hints.min_height, 600);
    EXPECT_EQ(hints.max_height, 600);

    char* name = nullptr;
    ASSERT_TRUE(XFetchName(observer(), x11_window, &name));
    EXPECT_STREQ(name, "Tessellon test");
    XFree(name);
    set_app_title("Renamed");
    XSync(observer(), False);
    ASSERT_TRUE(XFetchName(observer(), x11_window, &name));
    EXPECT_STREQ(name, "Renamed");
    XFree(name);
    EXPECT_EQ(other_client_keyboard_grab(), GrabSuccess) << "a window must not grab the keyboard";
    close_screen();
}

TEST(X11Display, OpeningResetsTheDrawingStateAndStartsANewGeneration) {
    ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
    set_color(1, 2, 3);
    set_alpha(0.25f);
    set_blend(BLEND_ALPHA);
    set_rotation(45);
    set_viewport(5, 5, 10, 10);
    set_origin(7, 8);
    int generation = display_generation;

    ASSERT_NE(open_screen(1024, 768, 0, 60, 0), nullptr);
    EXPECT_EQ(display_generation, generation + 1);
    const TDrawState& s = draw_state;
    EXPECT_EQ(s.color_red + s.color_green + s.color_blue, 3 * 255);
    EXPECT_EQ(s.color_alpha, 1.0f);
    EXPECT_EQ(s.blend_mode, BLEND_MASK);
    EXPECT_EQ(s.tform_rot, 0.0f);
    EXPECT_EQ(s.tform_ix, 1.0f);
    EXPECT_EQ(s.viewport_x, 0);
    EXPECT_EQ(s.viewport_w, 1024);
    EXPECT_EQ(s.viewport_h, 768);
    EXPECT_EQ(s.origin_x, 0.0f);
    EXPECT_EQ(s.g_width, 1024);
    EXPECT_EQ(s.vres_height, 768.0f);
    EXPECT_EQ(s._setup, 1);
    close_screen();
}

TEST(X11Display, ModeListShowsThe24BitScreenAsDepth32AndIsCached) {
    const std::vector<TGraphicsMode>& modes = display_modes();
    bool found = false;
    for (const TGraphicsMode& mode : modes)
        found |= mode.width == TEST_SCREEN_WIDTH && mode.height == TEST_SCREEN_HEIGHT && mode.depth == 32;
    EXPECT_TRUE(found);
    EXPECT_EQ(&display_modes(), &modes);
}

// The window's position and size as another client sees them.
static XWindowAttributes window_attributes() {
    XWindowAttributes attributes;
    memset(&attributes, 0, sizeof attributes);
    XGetWindowAttributes(observer(), x11_window, &attributes);
    return attributes;
}

// A board of 800x400 on the 1024x768 screen: shown 1024x512 from y 128,
// bars above and below; a red left half and a green right half on blue.
static void draw_halves() {
    set_clear_color(0, 0, 255);
    clear_screen();
    set_color(255, 0, 0);
    draw_rect(0, 0, 400, 400);
    set_color(0, 255, 0);
    draw_rect(400, 0, 400, 400);
    flip(0);
}

TEST(X11Display, FullScreenWithoutTheModeCoversTheScreenScaledWithBars) {
    ASSERT_NE(open_screen(800, 400, 32, 60, 0), nullptr) << "no 800x400 mode: it must scale, not fail";
    XWindowAttributes attributes = window_attributes();
    EXPECT_EQ(attributes.width, TEST_SCREEN_WIDTH);
    EXPECT_EQ(attributes.height, TEST_SCREEN_HEIGHT);
    EXPECT_TRUE(attributes.override_redirect);
    EXPECT_EQ(other_client_keyboard_grab(), AlreadyGrabbed);
    EXPECT_EQ(display_width(), 800);  // the game keeps its own size
    EXPECT_EQ(display_height(), 400);
    EXPECT_FLOAT_EQ(display_scale(), 1.28f);
    int sw = 0, sh = 0;
    screen_size(&sw, &sh);
    EXPECT_EQ(sw, TEST_SCREEN_WIDTH);
    EXPECT_EQ(sh, TEST_SCREEN_HEIGHT);

    draw_halves();
    EXPECT_EQ(window_pixel(500, 20), 0x000000u) << "bar above";
    EXPECT_EQ(window_pixel(500, 700), 0x000000u) << "bar below";
    EXPECT_EQ(window_pixel(10, 130), 0xff0000u);
    EXPECT_EQ(window_pixel(500, 600), 0xff0000u);  // board x 390
    EXPECT_EQ(window_pixel(530, 600), 0x00ff00u);  // board x 414
    EXPECT_EQ(window_pixel(1023, 639), 0x00ff00u);
    // What the game grabs is its own display, unscaled.
    TImage* grabbed = create_image(2, 1, 1, 0);
    grab_image(grabbed, 399, 200, 0);
    TPixmap* pm = lock_image(grabbed, 0, true, false);
    ASSERT_NE(pm, nullptr);
    EXPECT_EQ(read_pixel(pm, 0, 0) & 0xffffff, 0xff0000u);
    EXPECT_EQ(read_pixel(pm, 1, 0) & 0xffffff, 0x00ff00u);
    free_image(grabbed);
    close_screen();
    EXPECT_EQ(other_client_keyboard_grab(), GrabSuccess) << "closing must release the grabs";
}

TEST(X11Display, KeepingTheResolutionScalesEvenWhereTheModeExists) {
    set_keep_screen_resolution(true);
    ASSERT_NE(open_screen(512, 384, 32, 60, 0), nullptr);
    EXPECT_EQ(window_attributes().width, TEST_SCREEN_WIDTH);
    EXPECT_FLOAT_EQ(display_scale(), 2.0f);  // a whole factor: nearest sampling, crisp pixels
    set_clear_color(0, 0, 0);
    clear_screen();
    set_color(255, 255, 255);
    draw_rect(10, 10, 1, 1);
    flip(0);
    EXPECT_EQ(window_pixel(20, 20), 0xffffffu);
    EXPECT_EQ(window_pixel(21, 21), 0xffffffu);
    EXPECT_EQ(window_pixel(22, 21), 0x000000u) << "one board pixel is exactly 2x2 screen pixels";
    EXPECT_EQ(window_pixel(19, 20), 0x000000u);
    // The screen's own size needs no scaling at all.
    ASSERT_NE(open_screen(TEST_SCREEN_WIDTH, TEST_SCREEN_HEIGHT, 32, 60, 0), nullptr);
    EXPECT_FALSE(x11_scaled);
    EXPECT_FLOAT_EQ(display_scale(), 1.0f);
    set_keep_screen_resolution(false);
    close_screen();
    EXPECT_FLOAT_EQ(display_scale(), 0.0f);
}

TEST(X11Display, AWindowTakesTheLargestWholeFactorThatFitsTheScreen) {
    for (int factor : {1, 2, 3}) {
        int w = TEST_SCREEN_WIDTH / factor - 10, h = TEST_SCREEN_HEIGHT / factor - 10;
        SCOPED_TRACE(factor);
        ASSERT_NE(open_screen(w, h, 0, 60, 0), nullptr);
        XWindowAttributes attributes = window_attributes();
        EXPECT_EQ(attributes.width, w * factor);
        EXPECT_EQ(attributes.height, h * factor);
        EXPECT_FALSE(attributes.override_redirect);
        EXPECT_EQ(display_width(), w);
        EXPECT_FLOAT_EQ(display_scale(), (float)factor);
        close_screen();
    }
}

// The region-only present through the scaling leaves on screen exactly what
// presenting the whole frame does, also with linear sampling.
TEST(X11Display, ARegionPresentThroughTheScalingMatchesAWholeOne) {
    ASSERT_NE(open_screen(800, 400, 32, 60, 0), nullptr);
    draw_halves();
    draw_halves();  // both buffers hold it
    ASSERT_TRUE(save_back_buffer());
    for (int x : {100, 397, 613}) {
        ASSERT_TRUE(restore_back_buffer());
        set_color(255, 255, 0);
        set_rotation(30);
        draw_rect((float)x, 150, 21, 13);
        set_rotation(0);
        flip(0);
    }
    std::vector<uint32_t> regional = window_pixels(TEST_SCREEN_WIDTH, TEST_SCREEN_HEIGHT);
    display_shown_serial++;  // as an expose does: the next present is whole
    ASSERT_TRUE(restore_back_buffer());
    set_color(255, 255, 0);
    set_rotation(30);
    draw_rect(613, 150, 21, 13);
    set_rotation(0);
    flip(0);
    std::vector<uint32_t> whole = window_pixels(TEST_SCREEN_WIDTH, TEST_SCREEN_HEIGHT);
    ASSERT_EQ(regional.size(), whole.size());
    int differing = 0;
    for (size_t i = 0; i < whole.size(); i++) differing += regional[i] != whole[i];
    EXPECT_EQ(differing, 0);
    close_screen();
}

TEST(X11Display, FullScreenCoversTheScreenGrabsInputAndCentresThePointer) {
    ASSERT_NE(open_screen(TEST_SCREEN_WIDTH, TEST_SCREEN_HEIGHT, 32, 60, 0), nullptr);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(observer(), x11_window, &attributes));
    EXPECT_EQ(attributes.x, 0);
    EXPECT_EQ(attributes.y, 0);
    EXPECT_EQ(attributes.width, TEST_SCREEN_WIDTH);
    EXPECT_EQ(attributes.height, TEST_SCREEN_HEIGHT);
    EXPECT_TRUE(attributes.override_redirect);
    EXPECT_EQ(other_client_keyboard_grab(), AlreadyGrabbed);

    Window root, child;
    int root_x = 0, root_y = 0, x = 0, y = 0;
    unsigned buttons = 0;
    XQueryPointer(observer(), DefaultRootWindow(observer()), &root, &child, &root_x, &root_y, &x, &y, &buttons);
    EXPECT_EQ(root_x, TEST_SCREEN_WIDTH / 2);
    EXPECT_EQ(root_y, TEST_SCREEN_HEIGHT / 2);

    close_screen();
    EXPECT_EQ(other_client_keyboard_grab(), GrabSuccess) << "closing must release the grabs";
}

TEST(X11Display, HiddenPointerIsInvisibleUntilTheDisplayIsReopened) {
    ASSERT_NE(open_screen(TEST_SCREEN_WIDTH, TEST_SCREEN_HEIGHT, 0, 60, 0), nullptr);
    move_mouse(300, 200);
    XSync(x11_display, False);
    EXPECT_GT(visible_cursor_pixels(), 0);
    hide_mouse();
    XSync(observer(), False);
    EXPECT_EQ(visible_cursor_pixels(), 0);

    ASSERT_NE(open_screen(TEST_SCREEN_WIDTH, TEST_SCREEN_HEIGHT, 0, 60, 0), nullptr);
    XSync(observer(), False);
    EXPECT_GT(visible_cursor_pixels(), 0);
    close_screen();
}

// Another client holding the keyboard for a moment (as a busy desktop may
// while the game starts) delays the full-screen open but does not stop it.
TEST(X11Display, FullScreenWaitsOutAKeyboardGrabHeldBriefly) {
    ASSERT_EQ(observer_grabs_keyboard(), GrabSuccess);
    std::thread release([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        observer_releases_keyboard();
    });
    void* screen = open_screen(TEST_SCREEN_WIDTH, TEST_SCREEN_HEIGHT, 32, 60, 0);
    release.join();
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(x11_fullscreen);
    EXPECT_EQ(other_client_keyboard_grab(), AlreadyGrabbed);
    close_screen();
}

// A grab that never ends is a real refusal: no half full screen without input.
TEST(X11Display, FullScreenFailsWhenTheKeyboardStaysGrabbed) {
    ASSERT_EQ(observer_grabs_keyboard(), GrabSuccess);
    EXPECT_EQ(open_screen(TEST_SCREEN_WIDTH, TEST_SCREEN_HEIGHT, 32, 60, 0), nullptr);
    EXPECT_EQ(x11_window, 0u);
    observer_releases_keyboard();
    Display* other = observer();
    // The pointer grab taken meanwhile was let go as well.
    EXPECT_EQ(
        XGrabPointer(other, DefaultRootWindow(other), True, 0, GrabModeAsync, GrabModeAsync, None, None, CurrentTime),
        GrabSuccess);
    XUngrabPointer(other, CurrentTime);
    XSync(other, False);
}
