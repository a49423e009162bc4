// The platform services the game needs besides drawing: the start-up
// folder rule, events and polled input, the frame timer, time and random
// numbers, sounds, files and folders with their text-line format, string
// helpers and a plain list. Game code reaches the operating system only
// through these operations.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <list>
#include <string>

// ---------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------
enum {
    EVENT_QUIT = 259,          // window close request; data 0
    EVENT_KEY_DOWN = 513,      // data = key code
    EVENT_KEY_UP = 514,        // data = key code
    EVENT_KEY_CHAR = 515,      // data = the character typed
    EVENT_KEY_REPEAT = 516,    // data = key code
    EVENT_MOUSE_DOWN = 1025,   // data = button: 1 left, 2 right, 3 middle
    EVENT_MOUSE_UP = 1026,     // data = button
    EVENT_MOUSE_MOVE = 1027,   // x, y = pointer position
    EVENT_MOUSE_WHEEL = 1028,  // data = 1 up, -1 down
    EVENT_TIMER_TICK = 2049,   // data = ticks so far; source = the timer
};

enum { EVENT_QUEUE_SIZE = 256 };

struct TEvent {
    int id = 0;
    void* source = nullptr;
    int data = 0;
    int mods = 0;
    int x = 0, y = 0;
    void* extra = nullptr;
};

struct TTimer;  // opaque; ticks hertz times a second

// ---------------------------------------------------------------------------
// Start-up and process (process.cpp)
// ---------------------------------------------------------------------------

// Run first thing in main: remembers the launch folder, changes into the
// program's own folder (from /proc/<pid>/exe; left alone if unreadable),
// starts the clock and the sound layer.
void media_start(const char* argv0);
// The folder the program was launched from (before media_start changed it).
const std::string& launch_folder();
// Ends the process with exit status 0, restoring the video mode first.
[[noreturn]] void end_program();

// --- hook the shell installs at start-up (set_leaving_hook); Null before ---
// Saves what the player would lose when the program is ended from outside.
// Runs on the main thread: after a SIGTERM or SIGHUP (from
// end_program_on_signal), and from the handler of a lost X server, where
// the display is gone (display_lost): nothing may wait for a key, and an X
// request made then ends the program at once.
extern void (*leaving_hook)();
// Installs the hook and from then on turns SIGTERM and SIGHUP into a
// request the main loop reads (leave_signal) instead of an instant end; a
// second such signal ends the program at once, as before.
void set_leaving_hook(void (*hook)());
// The termination signal received since set_leaving_hook, 0 = none.
int leave_signal();
// Runs the leaving hook, restores the video mode and ends the process by
// leave_signal's signal, with its default action, so that the parent sees
// how the program ended. The main loop calls it between iterations.
[[noreturn]] void end_program_on_signal();
// True once the X server was lost: the leaving hook runs with no display.
bool display_lost();
int clock_ms();      // milliseconds since program start
void delay(int ms);  // sleeps at least ms; negative returns at once
void seed_random(int seed);
int rand(int lo, int hi);  // uniform over [min, max] of the two

// ---------------------------------------------------------------------------
// Events and polled input (events.cpp; window events come from the backend)
// ---------------------------------------------------------------------------

// Blocks until an event is queued, takes the oldest as the current event
// and returns its id.
int wait_event();
int event_id();
int event_data();
const TEvent& current_event();
// A timer delivering tick events on the main thread. Lives for the run.
TTimer* create_timer(int hertz);
int key_presses(int key);        // presses since the last call for this key
int button_presses(int button);  // likewise for a mouse button
bool key_down(int key);
// Clears key hits, down flags and typed characters, then waits for a key
// code 1..255 with a hit and returns the lowest such code.
int wait_any_key();
int pointer_x();
int pointer_y();
bool quit_requested();  // true once after a quit request
// The system pointer, in window pixels; its motion event (1027) follows,
// ready for the next polled read.
void move_mouse(int x, int y);
// Queues a press (down) or release of mouse button 1..3 at the pointer's
// position, as the window system reports one, for the keys that stand in
// for the buttons. Other buttons do nothing.
void press_mouse_button(int button, bool down);
void hide_mouse();  // on the window current now

// The game's key codes (key_code_from_keysym's results) that the key
// tables, the help zoom-in and the tests name. Letters are their upper-case
// character codes, digits their characters.
enum {
    KEY_ESCAPE = 27,
    KEY_LEFT = 37,
    KEY_UP = 38,
    KEY_RIGHT = 39,
    KEY_DOWN = 40,
    KEY_0 = 48,
    KEY_1 = 49,
    KEY_2 = 50,
    KEY_3 = 51,
    KEY_4 = 52,
    KEY_5 = 53,
    KEY_7 = 55,
    KEY_A = 65,
    KEY_B = 66,
    KEY_C = 67,
    KEY_D = 68,
    KEY_E = 69,
    KEY_F = 70,
    KEY_G = 71,
    KEY_H = 72,
    KEY_I = 73,
    KEY_J = 74,
    KEY_K = 75,
    KEY_L = 76,
    KEY_M = 77,
    KEY_N = 78,
    KEY_O = 79,
    KEY_P = 80,
    KEY_Q = 81,
    KEY_R = 82,
    KEY_S = 83,
    KEY_T = 84,
    KEY_U = 85,
    KEY_V = 86,
    KEY_W = 87,
    KEY_X = 88,
    KEY_Y = 89,
    KEY_Z = 90,
    KEY_PAD_0 = 96,  // the keypad's keys, NumLock on or off
    KEY_PAD_1 = 97,
    KEY_PAD_2 = 98,
    KEY_PAD_3 = 99,
    KEY_PAD_4 = 100,
    KEY_PAD_5 = 101,
    KEY_PAD_6 = 102,
    KEY_PAD_7 = 103,
    KEY_PAD_8 = 104,
    KEY_PAD_9 = 105,
    KEY_PAD_MULTIPLY = 106,
    KEY_PAD_PLUS = 107,
    KEY_PAD_DECIMAL = 110,
    KEY_F1 = 112,
    KEY_F2 = 113,
    KEY_LEFT_CONTROL = 162,
    KEY_RIGHT_CONTROL = 163,
};

// Turns a window-system key symbol into the game's key code.
int key_code_from_keysym(unsigned long keysym);

// Hands one event to the polled state and the queue (tick coalescing and
// the 256 limit applied). Backends call it for every window event; tests
// call it to feed the null backend.
void emit_event(const TEvent& event);
// Number of events waiting in the queue.
int events_waiting();

// ---------------------------------------------------------------------------
// Sound (sound.cpp, mixer.cpp; the device is the backend's)
// ---------------------------------------------------------------------------
struct TAudioSample {
    int16_t* samples = nullptr;  // interleaved stereo frames at `hertz`
    int length = 0;              // frames
    int hertz = 0;
    int format = 0;    // 2 = 16-bit stereo
    int capacity = 0;  // frames allocated
};
struct TSound {
    TAudioSample sample;  // length is known even when samples is Null
    int flags = 0;
    std::string path;
    bool streamed = false;  // samples Null: each channel decodes `path` as it plays
};
struct TChannel;  // one playing instance; owned by the mixer

// load_sound flags. 0: the sound plays once, decoded in the cheapest way.
enum { SOUND_DECODE_WHOLE = 0x100 };  // samples decoded into memory, device or not

// Reads a WAV or Ogg Vorbis file and checks its header. Null when the file
// is unreadable or malformed. With a device, WAV files (and Ogg files not
// at 44100 Hz) are decoded whole and Ogg files at 44100 Hz are streamed
// from the file while they play. Without a device nothing is decoded: the
// sound is valid, its length is set, its samples stay Null and it plays silently.
TSound* load_sound(const std::string& path, int flags);
// Stops every channel playing the sound, then frees it. Those channels
// stay valid, idle handles.
void free_sound(TSound* sound);
// Starts the sound on a new channel. Never Null for a non-Null sound.
TChannel* play_sound(TSound* sound);
bool channel_busy(TChannel* channel);
void stop_channel(TChannel* channel);
void set_channel_volume(TChannel* channel, float volume);  // 0..1
// Mixes `frames` stereo frames of every playing channel into out
// (interleaved 16-bit, 44100 Hz), clipping. The device thread calls it.
void mix_audio(int16_t* out, int frames);

// ---------------------------------------------------------------------------
// The user's folders (user_folders.cpp)
// ---------------------------------------------------------------------------

// The user's home folder: $HOME when absolute, else his password entry; "".
std::string user_home_folder();
// Where the user's data files belong: $XDG_DATA_HOME when absolute, else
// the home folder + "/.local/share"; "" when neither is known.
std::string user_data_folder();
// True when this process may create and remove entries in the folder.
bool folder_writable(const std::string& path);
// The folder of the running executable (links resolved); "" if unknown.
std::string program_folder();

// ---------------------------------------------------------------------------
// Files and folders (files.cpp). "\" is taken as "/"; a trailing "/" is
// ignored except for the root.
// ---------------------------------------------------------------------------
struct TStream;  // a C file with position and size

int path_kind(const std::string& path);    // 0 none, 1 file, 2 folder
bool create_dir(const std::string& path);  // mode 1777 through the umask
// True when nothing exists at path afterwards. With recurse, entries are
// removed first; symbolic links are removed as links, never followed.
bool delete_dir(const std::string& path, bool recurse);
bool delete_file(const std::string& path);
// Replaces `to` by `from` in one step (the file system's rename), then
// syncs the folder, so that after a power cut `to` is the old file or the
// new one, whole.
bool rename_file(const std::string& from, const std::string& to);
void set_file_mode(const std::string& path, int mode);  // a link at path is left alone
void* open_dir(const std::string& path);                // 0 on failure
std::string next_dir_entry(void* dir);                  // "" at the end
void close_dir(void* dir);
// Null on failure, and for anything but a regular file: a FIFO, a device
// or a folder gives Null at once, never blocking. A file of more than
// TEXT_FILE_MAX_BYTES is no text file of the game's and gives Null too.
TStream* read_file(const std::string& path);
enum { TEXT_FILE_MAX_BYTES = 1024 * 1024 };
// Why a file cannot be read, for the player's message: FILE_READABLE when
// nothing is wrong with it as a file (its content may still be), or when
// max_bytes < 0 sets no size bound. file_problem_text says it in words
// ("it is a folder"; "" for FILE_READABLE).
enum { FILE_READABLE, FILE_MISSING, FILE_FOLDER, FILE_SPECIAL, FILE_TOO_LARGE, FILE_UNREADABLE };
int file_problem(const std::string& path, int64_t max_bytes);
std::string file_problem_text(int problem);
// A stream on a new, empty file that takes path's place when close_file
// succeeds; until then path keeps its old content. A symbolic link at path
// is replaced itself, never written through. Null when the folder takes no
// new file or a folder, FIFO or device is at path.
TStream* write_file(const std::string& path);
// Closes the stream. For a written one: true once every byte is synced to
// disk and the file has replaced its path in one rename; false when any
// write, the sync or the rename failed, and then path is as it was and no
// temporary file is left.
bool close_file(TStream* stream);
bool eof(TStream* stream);
// Bytes up to LF, NUL or the end; CR dropped anywhere. "" past the end.
// A line keeps at most its first 4096 bytes; the rest of it is skipped.
std::string read_line(TStream* stream);
// The text's bytes, then CR LF. False on a write error.
bool write_line(TStream* stream, const std::string& text);
// Raw bytes; the number written.
int write_bytes(TStream* stream, const void* data, int size);
int read_bytes(TStream* stream, void* data, int size);
int stream_size(TStream* stream);

// ---------------------------------------------------------------------------
// Text helpers (strings.cpp). Positions are 1-based.
// ---------------------------------------------------------------------------
// Leading white space, one sign, then decimal digits ("$" hex, "%" binary).
int text_to_int(const std::string& text);
std::string int_to_text(int value);
std::string text_slice(const std::string& s, int pos, int size);  // size -1: to the end
std::string text_head(const std::string& s, int n);
std::string text_tail(const std::string& s, int n);
int find_text(const std::string& s, const std::string& sub, int start);  // 0 if none

// ---------------------------------------------------------------------------
// Lists: a plain ordered container iterated in insertion order.
// ---------------------------------------------------------------------------
template <typename T>
using TList = std::list<T>;

template <typename T>
inline TList<T>* new_list() {
    return new TList<T>();
}
template <typename T>
inline void list_append(TList<T>* list, const T& item) {
    list->push_back(item);
}
template <typename T>
inline void list_clear(TList<T>* list) {
    list->clear();
}
template <typename T>
inline int list_length(const TList<T>* list) {
    return static_cast<int>(list->size());
}
