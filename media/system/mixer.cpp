// The software mixer: channels playing loaded sounds, summed with their
// volumes and clipped to 16 bits (stereo, 44100 Hz) whenever the device
// thread asks for frames. One mutex guards the channels, since the game
// starts and stops them on the main thread while the device thread mixes.
// Channel records are never freed or reused: a finished channel stays a
// valid, idle handle for the rest of the run (each is a few dozen bytes).
//
// A streamed sound's channel owns a decoder and a buffer of STREAM_FRAMES
// frames. The mixing thread refills that buffer just before it mixes, with
// the lock released, so the game's calls never wait on decoding. While a
// refill runs the channel is marked `refilling`; a stop or free_sound in
// that time only takes the channel out of mixer_active, and the refill,
// finding it gone, closes the decoder itself. Otherwise whoever stops the
// channel closes it, after letting go of the lock.
#include <cstring>
#include <mutex>
#include <new>

#include "media/media_internal.h"

enum { MAX_PLAYING = 32, MIX_CHUNK = 256, STREAM_FRAMES = 2048 };  // 2048 frames: 46 ms ahead

struct TChannel {
    TSound* sound = nullptr;
    int position = 0;                 // next frame to play
    float volume = 1.0f;              // 0..1
    bool playing = false;             // still in mixer_active
    TChannel* next_record = nullptr;  // chain of every record made, for the run
    // Streamed sounds only. The buffer and its counts belong to the mixing
    // thread while the channel plays; decoder and refilling change under the lock.
    TSoundDecoder* decoder = nullptr;  // Null once the stream is closed
    int16_t* stream = nullptr;         // STREAM_FRAMES stereo frames
    int stream_head = 0;               // first unplayed frame in stream
    int stream_tail = 0;               // frames decoded into stream
    bool stream_ended = false;         // the decoder has nothing more
    bool refilling = false;            // the mixing thread decodes into it now
};

// A decoder and its buffer taken from a stopped channel, closed once the
// lock is released.
struct Retired {
    TSoundDecoder* decoder;
    int16_t* stream;
};
struct RetiredList {
    Retired items[MAX_PLAYING + 1];  // at most every active channel, plus one
    int count = 0;
};

// --- kept for the run ---
std::atomic<bool> audio_device_running{false};  // a device was started; else the layer is silent
std::atomic<bool> audio_device_pending{false};  // the backend still looks for a device
static std::mutex mixer_lock;                   // guards every TChannel and mixer_active
static TChannel* mixer_active[MAX_PLAYING];     // channels sounding now, oldest first
static int active_count = 0;                    // entries of mixer_active in use
static TChannel* channel_records = nullptr;     // newest record; next_record leads to older ones

// Drops entry i of mixer_active, keeping the order, and hands its stream to
// `retired` unless a refill still uses it. Caller holds the lock.
static void remove_active(int i, RetiredList* retired) {
    TChannel* ch = mixer_active[i];
    ch->playing = false;
    if (ch->decoder && !ch->refilling && retired->count < MAX_PLAYING + 1) {
        retired->items[retired->count++] = {ch->decoder, ch->stream};
        ch->decoder = nullptr;
        ch->stream = nullptr;
    }
    for (int k = i; k + 1 < active_count; k++) mixer_active[k] = mixer_active[k + 1];
    active_count--;
}

static void close_retired(const RetiredList& retired) {
    for (int i = 0; i < retired.count; i++) {
        close_sound_decoder(retired.items[i].decoder);
        delete[] retired.items[i].stream;
    }
}

// Frames the channel can give now.
static int frames_ready(const TChannel* ch) {
    if (ch->sound->streamed) return ch->stream_tail - ch->stream_head;
    return ch->sound->sample.length - ch->position;
}

TChannel* play_sound(TSound* sound) {
    if (!sound) return nullptr;
    bool device = audio_device_running.load() || audio_device_pending.load();
    bool sounds = device && sound->sample.length > 0 && (sound->sample.samples || sound->streamed);
    // The decoder is opened before the lock is taken: it reads the file's header.
    TSoundDecoder* decoder = sounds && sound->streamed ? open_sound_decoder(sound) : nullptr;
    int16_t* stream = decoder ? new (std::nothrow) int16_t[(size_t)STREAM_FRAMES * 2] : nullptr;
    if (sound->streamed && !stream) {
        close_sound_decoder(decoder);
        decoder = nullptr;
        sounds = false;  // the file is gone or memory ran out: a silent channel
    }
    RetiredList retired;
    TChannel* channel = nullptr;
    {
        std::lock_guard<std::mutex> hold(mixer_lock);
        channel = new TChannel;
        channel->sound = sound;
        channel->decoder = decoder;
        channel->stream = stream;
        channel->next_record = channel_records;
        channel_records = channel;
        // Without a device the channel exists but never sounds.
        if (sounds && !audio_device_running.load() && !audio_device_pending.load()) {
            sounds = false;  // the device looked for did not open meanwhile
            if (decoder && retired.count < MAX_PLAYING + 1) {
                retired.items[retired.count++] = {decoder, stream};
                channel->decoder = nullptr;
                channel->stream = nullptr;
            }
        }
        if (sounds) {
            if (active_count == MAX_PLAYING) remove_active(0, &retired);  // the oldest gives way
            channel->playing = true;
            mixer_active[active_count++] = channel;
        }
    }
    close_retired(retired);
    return channel;
}

// Lives here rather than beside load_sound because no channel may keep
// mixing a freed sample: the stop and the free happen under one lock.
void free_sound(TSound* sound) {
    if (!sound) return;
    RetiredList retired;
    {
        std::lock_guard<std::mutex> hold(mixer_lock);
        for (int i = active_count - 1; i >= 0; i--)
            if (mixer_active[i]->sound == sound) remove_active(i, &retired);
        for (TChannel* ch = channel_records; ch; ch = ch->next_record)
            if (ch->sound == sound) ch->sound = nullptr;
    }
    close_retired(retired);
    delete[] sound->sample.samples;
    delete sound;
}

// The flag turns false under the lock, so a play_sound that saw it true
// either put its channel in before this empties the list, or sees it false.
void silence_pending_channels() {
    RetiredList retired;
    {
        std::lock_guard<std::mutex> hold(mixer_lock);
        audio_device_pending.store(false);
        if (!audio_device_running.load())
            while (active_count > 0) remove_active(active_count - 1, &retired);
    }
    close_retired(retired);
}

bool channel_busy(TChannel* channel) {
    if (!channel) return false;
    std::lock_guard<std::mutex> hold(mixer_lock);
    return channel->playing;
}

void stop_channel(TChannel* channel) {
    if (!channel) return;
    RetiredList retired;
    {
        std::lock_guard<std::mutex> hold(mixer_lock);
        for (int i = 0; i < active_count; i++) {
            if (mixer_active[i] == channel) {
                remove_active(i, &retired);
                break;
            }
        }
    }
    close_retired(retired);
}

void set_channel_volume(TChannel* channel, float volume) {
    if (!channel) return;
    if (!(volume >= 0.0f)) volume = 0.0f;  // NaN too
    if (volume > 1.0f) volume = 1.0f;
    std::lock_guard<std::mutex> hold(mixer_lock);
    channel->volume = volume;
}

// Makes sure every playing streamed channel holds at least `frames` decoded
// frames, or all it has left. Decoding runs with the lock released; only
// the mixing thread calls this, so nobody else touches the buffers meanwhile.
static void refill_streams(int frames) {
    TChannel* todo[MAX_PLAYING];
    int todo_count = 0;
    {
        std::lock_guard<std::mutex> hold(mixer_lock);
        for (int c = 0; c < active_count; c++) {
            TChannel* ch = mixer_active[c];
            if (ch->decoder && !ch->stream_ended && ch->stream_tail - ch->stream_head < frames) {
                ch->refilling = true;
                todo[todo_count++] = ch;
            }
        }
    }
    for (int t = 0; t < todo_count; t++) {
        TChannel* ch = todo[t];
        int left = ch->stream_tail - ch->stream_head;
        memmove(ch->stream, ch->stream + (size_t)ch->stream_head * 2, (size_t)left * 2 * sizeof(int16_t));
        ch->stream_head = 0;
        ch->stream_tail = left;
        int got = read_sound_decoder(ch->decoder, ch->stream + (size_t)left * 2, STREAM_FRAMES - left);
        ch->stream_tail += got;
        if (ch->stream_tail < STREAM_FRAMES) ch->stream_ended = true;
    }
    if (todo_count == 0) return;
    RetiredList retired;
    {
        std::lock_guard<std::mutex> hold(mixer_lock);
        for (int t = 0; t < todo_count; t++) {
            TChannel* ch = todo[t];
            ch->refilling = false;
            if (!ch->playing && retired.count < MAX_PLAYING + 1) {  // stopped meanwhile
                retired.items[retired.count++] = {ch->decoder, ch->stream};
                ch->decoder = nullptr;
                ch->stream = nullptr;
            }
        }
    }
    close_retired(retired);
}

void mix_audio(int16_t* out, int frames) {
    if (!out || frames <= 0) return;
    int32_t sum[MIX_CHUNK * 2];
    for (int done = 0; done < frames; done += MIX_CHUNK) {
        int n = frames - done < MIX_CHUNK ? frames - done : MIX_CHUNK;
        refill_streams(n);
        RetiredList retired;
        {
            std::lock_guard<std::mutex> hold(mixer_lock);
            for (int i = 0; i < n * 2; i++) sum[i] = 0;
            for (int c = 0; c < active_count; c++) {
                TChannel* ch = mixer_active[c];
                const TSound* s = ch->sound;
                int take = frames_ready(ch);
                int left = s->sample.length - ch->position;  // a stream may end early, never late
                if (take > left) take = left;
                if (take > n) take = n;
                if (take < 0) take = 0;
                const int16_t* src = s->streamed ? ch->stream + (size_t)ch->stream_head * 2
                                                 : s->sample.samples + (size_t)ch->position * 2;
                for (int i = 0; i < take * 2; i++) sum[i] += (int32_t)(src[i] * ch->volume);
                ch->position += take;
                if (s->streamed) ch->stream_head += take;
            }
            for (int c = active_count - 1; c >= 0; c--) {
                TChannel* ch = mixer_active[c];
                bool drained = ch->sound->streamed && ch->stream_ended && ch->stream_head == ch->stream_tail;
                if (ch->position >= ch->sound->sample.length || drained) remove_active(c, &retired);
            }
        }
        close_retired(retired);
        int16_t* dst = out + (size_t)done * 2;
        for (int i = 0; i < n * 2; i++) {
            int32_t v = sum[i];
            dst[i] = (int16_t)(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
        }
    }
}
