// The software mixer: channels playing loaded sounds, summed with their
// volumes and clipped to 16 bits (stereo, 44100 Hz) whenever the device
// thread asks for frames. One mutex guards the channels, since the game
// starts and stops them on the main thread while the device thread mixes.
// Channel records are never freed or reused: a finished channel stays a
// valid, idle handle for the rest of the run (each is a few dozen bytes).
#include <mutex>

#include "media/media_internal.h"

struct TChannel {
    TSound* sound = nullptr;
    int position = 0;          // next frame to play
    float volume = 1.0f;       // 0..1
    bool playing = false;      // still in mixer_active
    TChannel* next_record = nullptr;  // chain of every record made, for the run
};

enum { MAX_PLAYING = 32, MIX_CHUNK = 256 };

// --- kept for the run ---
bool audio_device_running = false;            // a device was started; else the layer is silent
static std::mutex mixer_lock;                 // guards every TChannel and mixer_active
static TChannel* mixer_active[MAX_PLAYING];   // channels sounding now, oldest first
static int active_count = 0;                  // entries of mixer_active in use
static TChannel* channel_records = nullptr;   // newest record; next_record leads to older ones

// Drops entry i of mixer_active, keeping the order. Caller holds the lock.
static void remove_active(int i) {
    mixer_active[i]->playing = false;
    for (int k = i; k + 1 < active_count; k++) mixer_active[k] = mixer_active[k + 1];
    active_count--;
}

TChannel* play_sound(TSound* sound) {
    if (!sound) return nullptr;
    std::lock_guard<std::mutex> hold(mixer_lock);
    TChannel* channel = new TChannel;
    channel->sound = sound;
    channel->next_record = channel_records;
    channel_records = channel;
    // Without a device the channel exists but never sounds.
    if (!audio_device_running || sound->sample.length <= 0) return channel;
    if (active_count == MAX_PLAYING) remove_active(0);  // the oldest gives way
    channel->playing = true;
    mixer_active[active_count++] = channel;
    return channel;
}

// Lives here rather than beside load_sound because no channel may keep
// mixing a freed sample: the stop and the free happen under one lock.
void free_sound(TSound* sound) {
    if (!sound) return;
    {
        std::lock_guard<std::mutex> hold(mixer_lock);
        for (int i = active_count - 1; i >= 0; i--)
            if (mixer_active[i]->sound == sound) remove_active(i);
        for (TChannel* ch = channel_records; ch; ch = ch->next_record)
            if (ch->sound == sound) ch->sound = nullptr;
    }
    delete[] sound->sample.samples;
    delete sound;
}

bool channel_busy(TChannel* channel) {
    if (!channel) return false;
    std::lock_guard<std::mutex> hold(mixer_lock);
    return channel->playing;
}

void stop_channel(TChannel* channel) {
    if (!channel) return;
    std::lock_guard<std::mutex> hold(mixer_lock);
    for (int i = 0; i < active_count; i++) {
        if (mixer_active[i] == channel) {
            remove_active(i);
            break;
        }
    }
}

void set_channel_volume(TChannel* channel, float volume) {
    if (!channel) return;
    if (!(volume >= 0.0f)) volume = 0.0f;  // NaN too
    if (volume > 1.0f) volume = 1.0f;
    std::lock_guard<std::mutex> hold(mixer_lock);
    channel->volume = volume;
}

void mix_audio(int16_t* out, int frames) {
    if (!out || frames <= 0) return;
    std::lock_guard<std::mutex> hold(mixer_lock);
    int32_t sum[MIX_CHUNK * 2];
    for (int done = 0; done < frames; done += MIX_CHUNK) {
        int n = frames - done < MIX_CHUNK ? frames - done : MIX_CHUNK;
        for (int i = 0; i < n * 2; i++) sum[i] = 0;
        for (int c = 0; c < active_count; c++) {
            TChannel* ch = mixer_active[c];
            const TAudioSample& s = ch->sound->sample;
            int left = s.length - ch->position;
            int take = left < n ? left : n;
            const int16_t* src = s.samples + (size_t)ch->position * 2;
            for (int i = 0; i < take * 2; i++) sum[i] += (int32_t)(src[i] * ch->volume);
            ch->position += take;
        }
        for (int c = active_count - 1; c >= 0; c--)
            if (mixer_active[c]->position >= mixer_active[c]->sound->sample.length) remove_active(c);
        int16_t* dst = out + (size_t)done * 2;
        for (int i = 0; i < n * 2; i++) {
            int32_t v = sum[i];
            dst[i] = (int16_t)(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
        }
    }
}
