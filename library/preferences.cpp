// The preferences file in the player's folder: prefer.txt (written by the
// preferences screen, read at start-up) and refresh.txt (written by hand,
// forces the full-screen refresh rate). One signed decimal per line, CR LF
// endings. prefer.txt: click help, large display, sound, windowed, help
// prompt, save message, own colour (then its red, green and blue when set),
// then save when leaving, then keep the screen's resolution; the later lines that a short file lacks keep
// their defaults.
#include "library/library.h"

// The values themselves are shared by every screen and defined in ui/;
// this file reads and writes them.

enum {
    REFRESH_RATE_MAX = 1000,  // hertz; a larger forced rate is a typing slip and is ignored
};

static const char* const PREFER_FILE = "prefer.txt";    // written by the preferences screen
static const char* const REFRESH_FILE = "refresh.txt";  // written by hand only

static char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_preferences_file(const std::string& file) {
    for (const char* name : {PREFER_FILE, REFRESH_FILE}) {
        std::string own = name;
        if (own.size() != file.size()) continue;
        bool same = true;
        for (size_t i = 0; i < own.size() && same; i++) same = lower_ascii(file[i]) == own[i];
        if (same) return true;
    }
    return false;
}

static int read_number(TStream* stream) { return text_to_int(read_line(stream)); }

// Flags are written back as read and the preferences screen keeps -1 as
// its own "not copied yet" mark, so any non-zero value becomes 1.
static int read_flag(TStream* stream) { return read_number(stream) ? 1 : 0; }

static int read_colour(TStream* stream) {
    int v = read_number(stream);
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

void read_preferences() {
    if (TStream* refresh = read_file(player_dir + REFRESH_FILE)) {
        int hertz = read_number(refresh);
        // 0 (or anything outside 1..1000) lets the mode list choose.
        forced_refresh_rate = (hertz > 0 && hertz <= REFRESH_RATE_MAX) ? hertz : 0;
        close_file(refresh);
    }

    TStream* file = read_file(player_dir + PREFER_FILE);
    if (!file) return;
    // The first three lines are always there in files the game wrote; a
    // missing one reads as an empty line, that is 0.
    pref_click_help = read_flag(file);
    pref_large_display = read_flag(file);
    pref_sound = read_flag(file);
    // The later lines were added over time: a short file keeps the defaults.
    int* optional[] = {&pref_windowed, &pref_help_prompt, &pref_save_message, &pref_custom_colour};
    for (int* value : optional) {
        if (!eof(file)) *value = read_flag(file);
    }
    if (pref_custom_colour) {
        bg_red = saved_bg_red = read_colour(file);
        bg_green = saved_bg_green = read_colour(file);
        bg_blue = saved_bg_blue = read_colour(file);
    }
    // Added after the colour lines, so files written before it read as no.
    if (!eof(file)) pref_save_on_leave = read_flag(file);
    if (!eof(file)) pref_keep_resolution = read_flag(file);
    close_file(file);
}

void write_preferences() {
    const std::string path = player_dir + PREFER_FILE;
    // write_file replaces the old file only once the new one is whole on
    // disk, so a failed write never leaves a truncated prefer.txt behind.
    TStream* file = write_file(path);
    if (!file) {
        message_and_wait("Unable to save to " + path);
        return;
    }
    const int values[] = {pref_click_help,  pref_large_display, pref_sound,        pref_windowed,
                          pref_help_prompt, pref_save_message,  pref_custom_colour};
    bool ok = true;
    for (int value : values) ok = write_line(file, int_to_text(value)) && ok;
    if (pref_custom_colour) {
        ok = write_line(file, int_to_text(bg_red)) && ok;
        ok = write_line(file, int_to_text(bg_green)) && ok;
        ok = write_line(file, int_to_text(bg_blue)) && ok;
    }
    ok = write_line(file, int_to_text(pref_save_on_leave)) && ok;
    ok = write_line(file, int_to_text(pref_keep_resolution)) && ok;
    ok = close_file(file) && ok;
    if (!ok) {
        message_and_wait("Unable to save to " + path);
        return;
    }
    if (pref_custom_colour) {
        saved_bg_red = bg_red;
        saved_bg_green = bg_green;
        saved_bg_blue = bg_blue;
    }
}
