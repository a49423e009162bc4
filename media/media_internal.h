// What the shared media code and its two backends (x11/ and null/) say to
// each other. Game code never includes this file.
#pragma once

#include <atomic>
#include <cstdio>

#include "media/draw/draw.h"
#include "media/system/system.h"

// ---------------------------------------------------------------------------
// Supplied by each backend
// ---------------------------------------------------------------------------

// Processes pending window events, handing each to emit_event. With block
// set and nothing pending, waits until the window system or the timer wake
// descriptor (timer_wake_fd) has something.
void backend_pump_events(bool block);
// Starts the sound output. True when a device runs now; false when there
// is none, or when one is still being looked for on the backend's own
// thread (audio_device_pending), which sets audio_device_running itself.
bool backend_start_audio();
// Restores the original video mode; safe to call repeatedly and from a
// signal handler.
void backend_restore_video_mode();

// The last texture read back whole, so that frames sharing an atlas page
// read it once. The caller owns it for a run of reads and drops it after.
struct TTextureRead {
    unsigned texture = 0;  // 0 = nothing read yet
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // the texture's level 0, rows top-down
};
// The frame's pixels read back from its texture of the current display, as
// an RGBA pixmap of the frame's pixmap size. Null when there is no such
// texture or it cannot be read (the null backend never has one).
TPixmap* backend_read_frame(const TImage* image, int frame, TTextureRead* cache);

// ---------------------------------------------------------------------------
// Supplied by the shared code
// ---------------------------------------------------------------------------

// Marks the display as lost (the backend's handler of a lost connection,
// before it runs the leaving hook); display_lost() is true from then on.
void mark_display_lost();
// A descriptor that becomes readable when a timer has ticked; the backend
// polls it beside its window-system connection.
int timer_wake_fd();
// Turns timer ticks that arrived since the last call into tick events
// (coalesced per timer). Called by wait_event before it looks at the queue.
void deliver_timer_ticks();
// True once the sound layer could start a device.
extern std::atomic<bool> audio_device_running;
// True while the backend still looks for a device. Channels started then
// are kept as if a device ran, so the music started at start-up sounds
// once the device opens.
extern std::atomic<bool> audio_device_pending;
// Stops every channel: the device that was looked for did not open.
void silence_pending_channels();

// ---------------------------------------------------------------------------
// Supplied by the sound loader (media/system/sound.cpp) to the mixer: the
// decoder of one channel of a streamed sound. Only the thread that mixes
// reads from a decoder while its channel plays.
// ---------------------------------------------------------------------------
struct TSoundDecoder;
// Opens the streamed sound's file again, positioned at its first frame.
// Null when the file no longer opens or its header changed.
TSoundDecoder* open_sound_decoder(const TSound* sound);
// Decodes up to `frames` frames (16-bit stereo, 44100 Hz) into out and
// returns how many; fewer only at the end of the sound, 0 after it or when
// the stream turns out damaged.
int read_sound_decoder(TSoundDecoder* decoder, int16_t* out, int frames);
void close_sound_decoder(TSoundDecoder* decoder);

// --- kept for the run ---
extern std::atomic<int> sound_decoders_open;  // decoders opened and not yet closed (tests read it)

// ---------------------------------------------------------------------------
// Supplied by the shared drawing code (media/draw/draw_state.cpp, pixmap.cpp, image.cpp)
// ---------------------------------------------------------------------------

// Puts the drawing state back to its values for a newly opened display of
// that size (white, opaque, mask blend, the whole display as viewport).
void reset_draw_state(int width, int height);

// Largest pixmap side and pixel count accepted anywhere; loaders check a
// file's claimed size against these before they allocate.
enum { PIXMAP_MAX_SIDE = 16384, PIXMAP_MAX_PIXELS = 64 * 1024 * 1024 };
bool pixmap_size_ok(int width, int height);
// Bytes per pixel of a PF_* format, 0 for an unknown one.
int pixmap_bytes_per_pixel(int format);
// True for the formats that carry alpha (PF_ALPHA8, PF_BGRA8888, PF_RGBA8888).
bool pixmap_has_alpha(int format);

// The image decoders a decode_pixmap call may try, in this order.
enum { DECODE_PNG = 1, DECODE_JPEG = 2, DECODE_BMP = 4, DECODE_TGA = 8, DECODE_ANY = 15 };
// Decodes an image file's bytes with the chosen decoders (load_pixmap_within
// without the file); *claim as there. Null when none accepts the bytes.
TPixmap* decode_pixmap(const uint8_t* data, size_t size, int decoders, const TImageLimits& limits, TImageClaim* claim);

// A one-frame image that takes ownership of the pixmap as it is (no mask).
TImage* image_adopt_pixmap(TPixmap* pixmap, int flags);
// True when the frame exists and has no texture for the current display
// generation, or its pixmap was written since the texture was made.
bool image_frame_needs_texture(const TImage* image, int frame);
// Records the texture the backend made for the frame: its name, the
// texture-coordinate reach, the current generation; clears the dirty mark.
void image_frame_set_texture(TImage* image, int frame, unsigned texture, float u, float v);
// The same for a frame drawn from a cell of an atlas page: the texture
// coordinates of its top-left and bottom-right corners. Freeing the image
// then hands the page to released_atlas_cells rather than released_textures.
void image_frame_set_atlas_cell(TImage* image, int frame, unsigned texture, float u0, float v0, float u1, float v1);
// Stores grabbed RGBA pixels (the frame's size) into the frame; masked
// images get the mask applied. Marks the frame dirty.
void image_store_grab(TImage* image, int frame, const TPixmap* rgba);
// Lets go of the frame's pixel bytes once its texture of the current
// display holds them exactly (the backend says when), keeping the bit mask
// of opaque pixels that images_overlap needs. Dynamic frames keep theirs.
void image_frame_drop_pixels(TImage* image, int frame);
// Brings a dropped frame's pixels back from its texture, in the pixmap's
// own format. True when the pixmap holds its pixels (a frame never dropped
// always does).
bool image_frame_restore_pixels(TImage* image, int frame);
// Restores every dropped frame of every live image: called while the
// display's context still exists, just before it goes, so that the next
// display can build its textures again.
void restore_all_image_pixels();
// Bytes of pixels let go since the process started (tests read it).
extern int64_t image_pixel_bytes_dropped;

// Notes that `bytes` of pixel buffers went back to the allocator. Once
// enough has gone, the allocator hands its free pages back to the system,
// so that a jigsaw, help page or browser let go of shrinks the process.
void note_pixels_freed(size_t bytes);
// Textures of the current display generation whose images were freed.
// The backend deletes them while its context is current and clears the list.
extern std::vector<unsigned> released_textures;

// ---------------------------------------------------------------------------
// Supplied by the shared atlas code (media/draw/atlas.cpp) to the backend:
// pages of one large texture each, on which small frames get a cell of
// their size plus a one-pixel border. Pages of one kind share sampling
// parameters (the backend picks kinds, say filtered or not).
// ---------------------------------------------------------------------------
struct TAtlasRect {
    int x = 0, y = 0, w = 0, h = 0;  // pixels, border included
};
// A row of cells across a page, as high as the cell that opened it.
struct TAtlasShelf {
    int y = 0, h = 0;  // its top and height
    int cursor_x = 0;  // first free column on it
};
struct TAtlasPage {
    unsigned texture = 0;                // the backend's texture, 0 until it made one
    int kind = 0;                        // the backend's sampling kind
    std::vector<TAtlasShelf> shelves;    // top to bottom
    int top = 0;                         // first row below the last shelf
    int live = 0;                        // cells placed and not yet released
    std::vector<TAtlasRect> free_cells;  // released cells, taken again by frames that fit
};
// A released cell: its page's texture and where it lay.
struct TAtlasCell {
    unsigned texture = 0;
    TAtlasRect rect;
};
// A cell takes at most this fraction of a page side, so a page holds many.
enum { ATLAS_CELL_FRACTION = 4 };
// Forgets every page (their textures died with the old display); side 0
// switches atlases off.
void atlas_reset(int side);
// True when a frame of that size gets an atlas cell on this display.
bool atlas_fits(int width, int height);
// Places a cell for a width x height frame (border included by the call):
// the page (an index into atlas_pages, possibly a new page with texture 0)
// and the cell's top-left corner. False when the frame does not fit.
bool atlas_place(int kind, int width, int height, int* page, int* x, int* y);
// The cell of the page with that texture is gone and its room free for
// another frame; the texture to delete when it was the page's last (the
// page is then forgotten), else 0.
unsigned atlas_release(const TAtlasCell& cell);
// The cell a frame drawn from texture coordinates (u0, v0)..(u1, v1) of a
// page occupies, border included.
TAtlasRect atlas_cell_rect(float u0, float v0, float u1, float v1);
// The frame's pixels as RGBA with a border of one pixel repeating its
// first and last columns and rows.
TPixmap* atlas_cell_pixmap(const TPixmap* pixmap);

// --- reset for every display ---
extern std::vector<TAtlasPage> atlas_pages;           // the current display's pages
extern std::vector<TAtlasCell> released_atlas_cells;  // cells of freed atlas frames, for the backend
extern int atlas_side;                                // pixels per page side; 0 = no atlas

// ---------------------------------------------------------------------------
// Supplied by the shared file code (media/system/files.cpp): every file the
// media layer reads or writes is opened here.
// ---------------------------------------------------------------------------

// Opens a file for reading only when it is a regular file. The open never
// blocks (a FIFO, a device or a folder gives Null at once). *size, when
// given, is the file's size in bytes.
FILE* open_regular_file(const std::string& path, int64_t* size);
// The one way the media layer reads a file whole (images, fonts): opened
// by open_regular_file, refused when it holds more than max_bytes, and its
// first header_bytes read alone, so that the caller can refuse the file by
// its header before the rest is read (finish_file_read) or let go of it
// (end_file_read). Sounds open through open_regular_file and check their
// headers as they stream.
struct TFileRead {
    FILE* file = nullptr;        // open between begin and finish
    int64_t size = 0;            // the file's bytes
    std::vector<uint8_t> bytes;  // the header, then the whole file
};
bool begin_file_read(const std::string& path, int64_t max_bytes, int64_t header_bytes, TFileRead* read);
// Reads the rest; false (and nothing kept) when it cannot be read to its end.
bool finish_file_read(TFileRead* read);
// Closes and forgets; safe on a read already finished or never begun.
void end_file_read(TFileRead* read);
// The whole of a regular file; false when it cannot be opened, holds more
// than max_bytes, or cannot be read to its end.
bool read_regular_file(const std::string& path, int64_t max_bytes, std::vector<uint8_t>* bytes);

// A file being written whole. The bytes go to a temporary file of a short
// unique name in the target's folder (created exclusively, never through a
// link); commit_new_file syncs it and renames it over the target, so the
// target keeps its old content until the new one is complete on disk, a
// link at the target is replaced itself, and of two writers at once the
// last rename wins whole.
struct TNewFile {
    FILE* file = nullptr;  // the temporary file; Null once committed or discarded
    std::string temp;      // its path
    std::string target;    // the path it replaces
    int64_t written = 0;   // bytes taken so far
    bool failed = false;   // a write fell short: the file is never committed
    bool faulty = false;   // the test faults of file_faults apply to it
    bool slow = false;     // one of file_faults.slow_files: its commit waits first
};
// False (nothing made) when the folder takes no new file, or when something
// other than a regular file or a symbolic link (a folder, a FIFO, a device)
// is at path.
bool begin_new_file(const std::string& path, TNewFile* out);
// The number of bytes taken; fewer than size marks the file failed.
size_t write_new_file(TNewFile* file, const void* data, size_t size);
// Flushes, syncs, closes and renames over the target, then syncs the folder.
// False when any step failed; the temporary file is removed then.
bool commit_new_file(TNewFile* file);
// Closes and removes the temporary file; the target is untouched.
void discard_new_file(TNewFile* file);

// Faults that a test injects into the files written from then on.
struct TFileFaults {
    int spare_files = 0;            // files begun normally before the faults apply
    int64_t fail_after_bytes = -1;  // bytes a file takes before its writes fail (a full disk); -1 never
    bool fail_sync = false;         // the sync before the rename fails
    bool fail_rename = false;       // the rename over the target fails
    int slow_files = 0;             // files begun from now on whose commit waits first (a busy disk)
    int slow_commit_ms = 0;         // how long each of those waits
};

// --- kept for the run ---
extern std::atomic<int> files_synced;  // files and folders flushed to disk so far (tests read it)
extern TFileFaults file_faults;        // injected by tests; all off in the game

// ---------------------------------------------------------------------------
// Supplied by the pixmap loader (media/draw/pixmap_load.cpp) and the decoding
// ahead (media/draw/prefetch.cpp)
// ---------------------------------------------------------------------------

// Reads and decodes an image file, as load_pixmap_within does when nothing
// was decoded ahead for it. Safe on any thread.
TPixmap* decode_pixmap_file(const std::string& path, const TImageLimits& limits, TImageClaim* claim);
// What was decoded ahead for that path, waiting for the worker if it is at
// that file now: true with *pixmap, or true with *pixmap Null and *claim
// filled when the file was refused under exactly these limits. False (and
// *pixmap Null) when the load must decode for itself: nothing was decoded
// for it, the file changed since, or it was refused under other limits.
// The entry is gone either way.
bool take_prefetched_pixmap(const std::string& path, const TImageLimits& limits, TPixmap** pixmap,
                            TImageClaim* claim);
// Waits until the worker has decoded everything queued (tests call it).
void wait_for_prefetch();

// --- kept for the run ---
extern int prefetched_images_taken;  // loads served by decoding ahead (tests read it)

// ---------------------------------------------------------------------------
// Supplied by the shared damage code (media/draw/damage.cpp) to the
// backends: where the back buffer may differ from the kept copy of the
// board and from the frame on the screen, so that a frame drawn over the
// kept copy puts back, and shows, only the pixels that changed.
// ---------------------------------------------------------------------------

// A rectangle of display pixels [x0, x1) x [y0, y1); empty when x0 >= x1 or y0 >= y1.
struct TDamageRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
// How a frame reaches the screen: a real swap (the back buffer is undefined
// afterwards), a copy of the whole back buffer that keeps it, or a copy of
// only the region that changed since the frame on the screen.
enum { PRESENT_SWAP, PRESENT_WHOLE, PRESENT_REGION };

// A display of that size was opened: nothing is known about its buffers.
void damage_reset(int width, int height);
// A quad with these mapped corners was drawn, clipped by the viewport.
void damage_note_quad(const float xs[4], const float ys[4]);
// The back buffer changed without bounds: the full path follows.
void damage_note_untracked();
// The back buffer was cleared within the viewport (the whole display
// counts as without bounds).
void damage_note_clear();
// What a copy of the back buffer must take so that the kept copy equals
// it: what was drawn since the last restore or save when the back buffer
// still holds the kept copy elsewhere, else the whole display.
TDamageRect damage_save_region();
// The kept copy was just taken from the back buffer: they are equal.
void damage_note_saved();
// The region a restore must repaint from the kept copy: what was drawn
// since the last restore or save when the back buffer still holds the kept
// copy elsewhere, else the whole display. Afterwards the back buffer equals
// the kept copy.
TDamageRect damage_restore_region();
// The window lost what it showed (an expose): the next present is whole.
void damage_note_front_lost();
// How to present this frame, given whether the backend can copy part of
// the back buffer to the window leaving the back buffer intact; *region
// is what to copy for PRESENT_REGION (possibly empty: nothing changed).
int damage_choose_present(bool can_copy_region, TDamageRect* region);
// The frame was presented that way.
void damage_note_presented(int how);
// True when the rectangle holds no pixel.
bool damage_rect_empty(const TDamageRect& r);

// ---------------------------------------------------------------------------
// Supplied by the shared scaling code (media/draw/scaling.cpp) to both
// backends: where a board of the game's size lands on a larger window or
// screen, and the pixel mappings both ways. Display-free.
// ---------------------------------------------------------------------------
struct TScaleFit {
    int board_w = 0, board_h = 0;  // the game's display, pixels
    int x = 0, y = 0, w = 0, h = 0;  // where it is shown on the window, pixels
    int window_w = 0, window_h = 0;  // the window, pixels
    bool integer = true;             // w and h are whole multiples of the board: nearest sampling
};
// The largest aspect-keeping fit of the board on the window, centred.
TScaleFit scale_fit(int board_w, int board_h, int window_w, int window_h);
// True when the fit shows the board unscaled at the window's top-left.
bool scale_is_identity(const TScaleFit& fit);
// The factor 1, 2 or 3 of the largest window of the board that fits the area.
int scale_window_factor(int board_w, int board_h, int area_w, int area_h);
// The board pixel drawn on window pixel (wx, wy); false on the bars, where
// *bx, *by get the nearest board pixel.
bool scale_window_to_board(const TScaleFit& fit, int wx, int wy, int* bx, int* by);
// The window pixel at the centre of board pixel (bx, by).
void scale_board_to_window(const TScaleFit& fit, int bx, int by, int* wx, int* wy);
// Every window pixel whose colour depends on the board rectangle, clipped
// to the shown board: the rectangle scaled outwards to whole pixels (one
// board pixel wider first under linear sampling).
TDamageRect scale_rect_to_window(const TScaleFit& fit, const TDamageRect& board);
// What draw_kept_enlarged copies on a display of width x height: the kept
// pixels *from (clipped to the display) and the display pixels *to that
// show them, zoom times larger. False when nothing is left to draw.
bool kept_enlarged_rects(int cx, int cy, int size, int zoom, int width, int height, TDamageRect* from,
                         TDamageRect* to);
