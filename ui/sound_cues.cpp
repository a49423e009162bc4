// The game's sound cues: the click of a join, the magic of a save, and the
// music of the opening and of a completion. Each sound is loaded on its
// first cue and kept; with sound switched off no file is ever opened.
// Effects take a fresh channel each time and overlap; the music keeps one.
#include "ui/ui.h"

// --- loaded on first use and kept for the run ---
TSound* click_sound = nullptr;      // "sounds/click.wav"
TSound* magic_sound = nullptr;      // "sounds/magic.wav"
TSound* music_sound = nullptr;      // "sounds/music.ogg"
TChannel* music_channel = nullptr;  // the music's latest channel
float music_volume = 1.0f;          // 0..1, set at every start

// A sound that cannot be loaded stays Null and is tried again next time;
// the cue is then silent.
static void play_effect(TSound** sound, const char* path) {
    if (!pref_sound) return;
    if (!*sound) *sound = load_sound(base_dir + path, 0);
    if (*sound) play_sound(*sound);
}

void play_click() { play_effect(&click_sound, "sounds/click.wav"); }

void play_magic() { play_effect(&magic_sound, "sounds/magic.wav"); }

void start_music() {
    if (!pref_sound) return;
    if (!music_sound) music_sound = load_sound(base_dir + "sounds/music.ogg", 0);
    if (!music_sound) return;
    // Still playing: no restart and no second copy, only the volume.
    if (!music_channel || !channel_busy(music_channel)) music_channel = play_sound(music_sound);
    set_channel_volume(music_channel, music_volume);
}

void stop_music() {
    if (music_channel && channel_busy(music_channel)) stop_channel(music_channel);
}
