// The drawing layer: the display, the drawing state, images and pixel
// buffers, TrueType text, the pixel-exact overlap test and grabbing the
// back buffer. Game code draws only through these operations.
// Two backends implement the display-bound half (X11 + GLX + OpenGL 1.x,
// and a null one that renders into a CPU buffer for tests); everything
// about pixel data, fonts and overlap is shared and needs no display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Handles. Null (nullptr) stands for "no such thing" everywhere.
// ---------------------------------------------------------------------------

// Pixel formats of a TPixmap (bytes in this order in memory).
enum {
    PF_GREY8 = 1,
    PF_ALPHA8 = 2,
    PF_BGR888 = 3,
    PF_RGB888 = 4,
    PF_BGRA8888 = 5,
    PF_RGBA8888 = 6,
};

// Image flags.
enum {
    IMG_MASKED = 1,
    IMG_FILTERED = 2,
    IMG_MIPMAPPED = 4,
    IMG_DYNAMIC = 8,
    IMG_DEFAULT_FLAGS = 3,  // what -1 stands for
};

// Blend modes.
enum {
    BLEND_MASK = 1,   // no blending, alpha test >= 0.5
    BLEND_SOLID = 2,  // no blending, no alpha test
    BLEND_ALPHA = 3,  // src * a + dst * (1 - a)
    BLEND_LIGHT = 4,  // src * a + dst
    BLEND_SHADE = 5,  // src * dst
};

struct TPixmap {
    std::vector<uint8_t> pixels;  // row-major, `pitch` bytes per row
    int width = 0;
    int height = 0;
    int pitch = 0;        // bytes per row
    int format = 0;       // PF_*
    int capacity = 0;     // bytes allocated
    std::string _source;  // path it was loaded from, or empty
};

// What one image load may cost, checked from the file's header before any
// pixel is decoded (and before the rest of the file is read). Every field
// is required: limits with a field of 0 or less refuse every file, so that
// no load decodes without limits. The layer's absolute limits (a side of
// 16384, 64 Mi pixels) always hold.
struct TImageLimits {
    int max_width = 0;
    int max_height = 0;
    int64_t max_pixels = 0;  // width x height
};
inline bool image_limits_set(const TImageLimits& l) { return l.max_width > 0 && l.max_height > 0 && l.max_pixels > 0; }
// The limits of load_image and load_pixmap: the game's own resources and
// the thumbnails it wrote, none larger than the largest display.
constexpr TImageLimits IMAGE_LIMITS_GAME_FILE = {2048, 2048, 2048 * 2048};
// The most the layer decodes at all (the build tools' source pictures).
constexpr TImageLimits IMAGE_LIMITS_LARGEST = {16384, 16384, 64 * 1024 * 1024};

// What a load found in an image file: the size its header claims (0 x 0
// when no loader recognised the file), and whether memory ran out while
// decoding. Tells a refused size or a lack of memory from a damaged file.
struct TImageClaim {
    int width = 0;
    int height = 0;
    bool no_memory = false;
};

struct TImage {
    int width = 0;
    int height = 0;
    int flags = 0;
    int mask_r = 0, mask_g = 0, mask_b = 0;
    float handle_x = 0, handle_y = 0;
    std::vector<TPixmap*> pixmaps;      // one per frame; owned by the image
    std::vector<unsigned> frames;       // backend texture per frame, 0 = none yet
    std::vector<int> seqs;              // display generation of each texture
    std::vector<float> tex_x0, tex_y0;  // texture coordinates of each frame's top-left corner
    std::vector<float> tex_u, tex_v;    // texture coordinates of its bottom-right corner
    std::vector<uint8_t> atlased;       // the texture is an atlas page the frame shares with others
    std::vector<uint8_t> dirty;         // pixmap written since the texture was made
    // Frames whose pixels were let go once the texture held them: the
    // pixmap keeps its size and format but no pixel bytes, and is filled
    // from the texture again when someone reads it or the display goes.
    std::vector<uint8_t> in_texture;
    // While a frame is in_texture: which of its pixels are opaque (alpha at
    // least 128), one bit per pixel, rows of (width + 7) / 8 bytes; empty
    // for a frame without alpha (opaque everywhere).
    std::vector<std::vector<uint8_t>> opaque;
};

struct TImageGlyph {
    TImage* _image = nullptr;  // Null for blank glyphs
    float _advance = 0;        // pixels
    int _x = 0, _y = 0;        // offset of the glyph image from the pen
    int _w = 0, _h = 0;        // glyph image size
    bool _made = false;        // rasterised yet
};

struct TImageFont {
    void* _src_font = nullptr;         // the FreeType face (opaque here)
    std::vector<TImageGlyph> _glyphs;  // by glyph index, made on first use
    int _imageFlags = 0;               // 6 for smooth fonts, else 0
    int _style = 0;
    int _height = 0, _ascent = 0, _descent = 0;  // whole pixels
    std::vector<uint8_t> _file;                  // the font file's bytes, which the face reads from
};

struct TGraphicsMode {
    int width = 0;
    int height = 0;
    int depth = 0;
    int hertz = 0;
};

// The drawing state of the current display.
struct TDrawState {
    int color_red = 255, color_green = 255, color_blue = 255;
    float color_alpha = 1.0f;  // stored unclamped
    int clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
    float line_width = 1.0f;
    float tform_rot = 0;  // degrees
    float tform_scale_x = 1, tform_scale_y = 1;
    float tform_ix = 1, tform_iy = 0, tform_jx = 0, tform_jy = 1;
    int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
    float origin_x = 0, origin_y = 0;
    float handle_x = 0, handle_y = 0;
    TImageFont* image_font = nullptr;  // Null = the built-in default font
    int blend_mode = BLEND_MASK;
    float vres_width = 0, vres_height = 0;
    float vres_mousexscale = 1, vres_mouseyscale = 1;
    int g_width = 0, g_height = 0;
    void* _graphics = nullptr;  // backend display
    void* _driver = nullptr;    // backend driver
    int _setup = 0;             // both buffers cleared once
};

// ---------------------------------------------------------------------------
// Globals of the drawing layer (draw_state.cpp), kept for the run.
// ---------------------------------------------------------------------------
extern TDrawState draw_state;     // state of the current display
extern int display_generation;    // bumped by every open_screen; textures of older ones are stale
extern int display_shown_serial;  // bumped by every flip and every loss of the shown frame (an expose)

// ---------------------------------------------------------------------------
// Display (backend)
// ---------------------------------------------------------------------------

// Opens a window (depth 0) or full screen (depth != 0) of width x height
// and makes it current, closing the old one first. Full screen switches to
// the mode of that size; without one (or when keeping the screen's
// resolution) it covers the screen, the display shown scaled and centred.
// A window may show it at 2x or 3x where that fits the screen. Either way
// drawing and pointer positions stay in the display's own pixels. Null on
// failure: no graphics system, no rendering context, input not grabbed.
void* open_screen(int width, int height, int depth, int hertz, int flags);
// Closes the current display and restores the original video mode.
void close_screen();
// For displays opened afterwards: true shows full screen at the screen's own mode, the board scaled to it.
void set_keep_screen_resolution(bool keep);
// The size in pixels of the screen displays open on (0 x 0 when there is no screen to ask).
void screen_size(int* width, int* height);
// How many screen pixels a pixel of the open display spans across (1 unscaled, 0 while none is open).
float display_scale();
// The display modes of the screen, read once and cached.
const std::vector<TGraphicsMode>& display_modes();
int display_width();
int display_height();
int display_depth();
int display_hertz();
// Presents the back buffer: 1 wait for retrace, 0 don't, -1 the default
// (software pacing in a window opened with hertz > 0). Then processes
// pending window events.
void flip(int sync);
// Clears the back buffer (within the viewport) to the cls colour.
void clear_screen();
void set_clear_color(int r, int g, int b);
// Sets the window title used by displays opened afterwards (and the current one).
void set_app_title(const std::string& title);

// A copy of the whole back buffer, for a frame that is mostly the one
// before: keep it once the unchanging part is drawn, put it back instead of
// drawing that part again. False when the display cannot keep one.
bool save_back_buffer();
// Puts the kept copy back over the whole back buffer, pixel for pixel:
// colour, alpha, blend, matrix and viewport do not apply. False (and the
// buffer untouched) when nothing was kept for the current display.
bool restore_back_buffer();
// Draws the kept copy enlarged zoom times (1 to KEPT_ZOOM_MAX) about
// display pixel (cx, cy): a square of about size x size centred there, in
// which display pixel (x, y) shows kept pixel (cx + floor((x - cx) / zoom),
// cy + floor((y - cy) / zoom)) unblended and untinted, within the viewport.
// The square holds the kept pixels within size / (2 zoom) of the centre;
// where those lie outside the display it keeps what it had. False (and
// nothing drawn) when nothing was kept for the current display.
enum { KEPT_ZOOM_MAX = 8 };
bool draw_kept_enlarged(int cx, int cy, int size, int zoom);

// ---------------------------------------------------------------------------
// Drawing state (draw_state.cpp)
// ---------------------------------------------------------------------------
void set_color(int r, int g, int b);
void get_color(int* r, int* g, int* b);
void set_alpha(float alpha);  // drawn as trunc(clamp(alpha) * 255)
float get_alpha();
void set_blend(int mode);
int get_blend();
void set_rotation(float degrees);  // recomputes the matrix
float get_rotation();
void set_scale(float sx, float sy);  // recomputes the matrix
void get_scale(float* sx, float* sy);
void set_viewport(int x, int y, int w, int h);  // the whole display switches clipping off
void set_origin(float x, float y);
void set_handle(float x, float y);   // handle of rectangles and text
void select_font(TImageFont* font);  // Null selects the built-in default font
// Maps (px, py), given relative to a drawing position (x, y), through the
// current matrix and origin.
void transform_point(float x, float y, float px, float py, float* out_x, float* out_y);

// ---------------------------------------------------------------------------
// Images (image.cpp; drawing is the backend's)
// ---------------------------------------------------------------------------

// Loads a one-frame image within IMAGE_LIMITS_GAME_FILE; flags -1 =
// IMG_DEFAULT_FLAGS. Null on failure.
TImage* load_image(const std::string& path, int flags);
// load_image refusing, before decoding, a file whose header claims more
// than the limits allow; *claim (when given) says what the header claimed.
TImage* load_image_within(const std::string& path, int flags, const TImageLimits& limits, TImageClaim* claim);
// An empty (transparent) image; flags also get IMG_DYNAMIC. flags -1 = default.
TImage* create_image(int width, int height, int frames, int flags);
// Makes an image of a copy of the pixmap (masked as the flags say).
TImage* image_from_pixmap(const TPixmap* pixmap, int flags);
void free_image(TImage* image);
int image_width(const TImage* image);
int image_height(const TImage* image);
void centre_image_handle(TImage* image);
void set_image_handle(TImage* image, float x, float y);
// Draws the frame with its handle on (x, y) through colour, alpha, blend,
// matrix and origin. A frame that cannot be made drawable is skipped.
void draw_image(TImage* image, float x, float y, int frame);
// A filled rectangle placed like an image of size w x h with the state's handle.
void draw_rect(float x, float y, float w, float h);
// Copies the back-buffer rectangle (x, y, image size) into the frame,
// row 0 at the top; masked images get the mask applied.
void grab_image(TImage* image, int x, int y, int frame);
// The frame's pixmap for direct access; with write set the frame's texture
// is rebuilt before its next draw. Null for a bad frame.
TPixmap* lock_image(TImage* image, int frame, bool read, bool write);
// True when both images, drawn at these positions under the current
// rotation, scale and origin, share a pixel where both are solid.
bool images_overlap(TImage* image1, float x1, float y1, int frame1, TImage* image2, float x2, float y2, int frame2);
// True when display pixel (px, py) is one that draw_image fills with a
// solid sample of the frame drawn at (x, y) under the current rotation,
// scale and origin: the pixel test of a pointer, whose own image does not
// turn or grow with what it points at.
bool image_solid_at(TImage* image, float x, float y, int frame, int px, int py);

// ---------------------------------------------------------------------------
// Pixel buffers (pixmap.cpp, pixmap_load.cpp)
// ---------------------------------------------------------------------------
TPixmap* create_pixmap(int width, int height, int format);  // zeroed
TPixmap* copy_pixmap(const TPixmap* pixmap);
void free_pixmap(TPixmap* pixmap);
// PNG, JPEG, BMP and TGA loaders in turn. Null when the path is not a
// regular file (never blocking on a FIFO or device), when none accepts the
// file, when the header claims more than IMAGE_LIMITS_GAME_FILE, or when
// memory runs out.
TPixmap* load_pixmap(const std::string& path);
// load_pixmap refusing, before decoding, a file whose header claims more
// than the limits allow; *claim (when given) says what the header claimed.
TPixmap* load_pixmap_within(const std::string& path, const TImageLimits& limits, TImageClaim* claim);
// Decodes these image files on a worker thread, ahead of the loads that
// will ask for them (media/draw/prefetch.cpp), each under the limits its
// load will give. With pixel_budget > 0 the files share a running budget
// as a jigsaw's pieces do: each is decoded with max_pixels set to what the
// ones before it left, and after a refused file or a spent budget the rest
// are not decoded. A later load of the same path takes the result (a
// refusal too, when it asks the same limits), waiting for the worker when
// it is at that file, when the file has not changed since; the load's own
// limits still apply.
void prefetch_images(const std::vector<std::string>& paths, const TImageLimits& limits, int64_t pixel_budget);
// Lets go of every image decoded ahead that no load took.
void drop_prefetched_images();
// A new RGBA pixmap of that size, bilinearly resampled. Null on bad sizes.
TPixmap* resize_pixmap(const TPixmap* pixmap, int width, int height);
// A new pixmap converted to the format.
TPixmap* convert_pixmap(const TPixmap* pixmap, int format);
// Writes a PNG at compression 0..9 (clamped). False on failure. Needs no
// display and shares nothing between calls: any thread may write its own
// pixmap (resize_pixmap and convert_pixmap likewise).
bool save_pixmap_png(const TPixmap* pixmap, const std::string& path, int compression);
// The pixel as 0xAARRGGBB; 0 outside the pixmap.
uint32_t read_pixel(const TPixmap* pixmap, int x, int y);
// Sets a pixel from 0xAARRGGBB (converted to the pixmap's format).
void write_pixel(TPixmap* pixmap, int x, int y, uint32_t argb);
// Masking: an RGBA copy in which pixels of the mask colour are
// transparent and carry the average colour of their non-mask neighbours.
TPixmap* mask_pixmap(const TPixmap* pixmap, int mask_r, int mask_g, int mask_b);
// The texture buffer for an image frame: the pixmap in the top-left of a
// transparent RGBA buffer of tw x th, its last column and row copied once
// more beside and below it. Resized first when larger than tw x th.
TPixmap* texture_pixmap(const TPixmap* pixmap, int tw, int th);
// Smallest power of two >= n (n >= 1).
int next_power_of_two(int n);

// ---------------------------------------------------------------------------
// Text (font.cpp, text.cpp)
// ---------------------------------------------------------------------------

// Loads a TrueType font at a pixel height; style 4 = smooth. Null on
// failure (not a regular file, not a font, out of memory).
TImageFont* load_font(const std::string& path, int size, int style);
void free_font(TImageFont* font);
// The glyph for a character, rasterised on first use; Null when the font has none.
TImageGlyph* font_glyph(TImageFont* font, int character);
// Draws text with the pen starting at (x, y), the top of the line.
void draw_text(const std::string& text, float x, float y);
int text_width(const std::string& text);
int text_height(const std::string& text);
