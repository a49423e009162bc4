// Loading sounds: WAV (PCM, 8 or 16 bits, mono or stereo) and Ogg Vorbis
// (through libvorbisfile) in 16-bit stereo at 44100 Hz, the mixer's one
// format; other rates are resampled linearly. WAV effects are decoded
// whole; an Ogg file at 44100 Hz is only checked here and then decoded by
// each channel that plays it, a few thousand frames ahead of the mixer
// (the decoder below), so the music never sits in memory whole. Without a
// sound device (none found, none still being looked for) nothing is
// decoded at all. A file that cannot be read, has
// a malformed header or claims more than ten minutes of sound gives Null.
// The game keeps its sounds for the run; free_sound (in the mixer, which
// must stop their channels first) releases one. Files are opened through
// open_regular_file, so a FIFO or a device never blocks; running out of
// memory while decoding gives Null.
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>
#include <vorbis/vorbisfile.h>

#include "media/media_internal.h"

enum {
    MIX_HERTZ = 44100,
    MAX_SOUND_SECONDS = 600,  // longer claims are treated as damage
    MAX_INPUT_HERTZ = 192000,
    MAX_WAV_BYTES = 128 << 20,  // the whole file is read first
};

// ---------------------------------------------------------------------------
// Conversion to the mixer's format
// ---------------------------------------------------------------------------

// Takes interleaved stereo frames at `hertz` and builds the sound, resampled
// to MIX_HERTZ by linear interpolation between neighbouring frames.
// With decode false only the length is set (in_frames counts the source
// frames) and stereo is not read.
static TSound* make_sound(const std::vector<int16_t>& stereo, int64_t in_frames, bool decode, int hertz, int flags,
                          const std::string& path) {
    int64_t out_frames = hertz == MIX_HERTZ ? in_frames : in_frames * MIX_HERTZ / hertz;
    if (out_frames > (int64_t)MAX_SOUND_SECONDS * MIX_HERTZ) return nullptr;

    TSound* sound = new TSound;
    sound->flags = flags;
    sound->path = path;
    TAudioSample& s = sound->sample;
    s.length = (int)out_frames;
    s.capacity = s.length;
    s.hertz = MIX_HERTZ;
    s.format = 2;
    if (!decode) {
        s.capacity = 0;  // a silent or streamed sound holds no samples
        return sound;
    }
    s.samples = new int16_t[(size_t)(out_frames > 0 ? out_frames : 1) * 2]();
    if (hertz == MIX_HERTZ) {
        if (in_frames > 0) memcpy(s.samples, stereo.data(), (size_t)in_frames * 2 * sizeof(int16_t));
        return sound;
    }
    for (int64_t i = 0; i < out_frames; i++) {
        // Source position in 1/MIX_HERTZ steps: i * hertz / MIX_HERTZ frames.
        int64_t num = i * hertz;
        int64_t j = num / MIX_HERTZ;
        int64_t frac = num % MIX_HERTZ;
        int64_t k = j + 1 < in_frames ? j + 1 : j;
        for (int c = 0; c < 2; c++) {
            int64_t a = stereo[(size_t)(j * 2 + c)], b = stereo[(size_t)(k * 2 + c)];
            s.samples[i * 2 + c] = (int16_t)(a + (b - a) * frac / MIX_HERTZ);
        }
    }
    return sound;
}

// ---------------------------------------------------------------------------
// WAV
// ---------------------------------------------------------------------------

static uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
static uint16_t le16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }

static TSound* decode_wav(const std::vector<uint8_t>& file, bool decode, int flags, const std::string& path) {
    if (file.size() < 12 || memcmp(file.data(), "RIFF", 4) != 0 || memcmp(file.data() + 8, "WAVE", 4) != 0)
        return nullptr;
    int channels = 0, bits = 0, hertz = 0, block = 0;
    const uint8_t* data = nullptr;
    size_t data_bytes = 0;
    size_t at = 12;
    while (at + 8 <= file.size()) {
        const uint8_t* chunk = file.data() + at;
        size_t size = le32(chunk + 4);
        size_t body = at + 8;
        size_t avail = file.size() - body;
        if (memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || size > avail) return nullptr;
            int tag = le16(chunk + 8);
            channels = le16(chunk + 10);
            hertz = (int)le32(chunk + 12);
            block = le16(chunk + 20);
            bits = le16(chunk + 22);
            if (tag != 1) return nullptr;  // PCM only
        } else if (memcmp(chunk, "data", 4) == 0) {
            data = file.data() + body;
            data_bytes = size < avail ? size : avail;  // a short file keeps what it has
            break;
        }
        if (size > avail) break;
        at = body + size + (size & 1);  // chunks are padded to even sizes
    }
    if (!data || (channels != 1 && channels != 2) || (bits != 8 && bits != 16)) return nullptr;
    if (hertz < 1000 || hertz > MAX_INPUT_HERTZ || block != channels * bits / 8) return nullptr;

    size_t frames = data_bytes / (size_t)block;
    if (frames > (size_t)MAX_SOUND_SECONDS * (size_t)hertz) return nullptr;
    if (!decode) return make_sound({}, (int64_t)frames, false, hertz, flags, path);
    std::vector<int16_t> stereo(frames * 2);
    for (size_t f = 0; f < frames; f++) {
        for (int c = 0; c < 2; c++) {
            int source = channels == 2 ? c : 0;
            const uint8_t* p = data + f * (size_t)block + (size_t)source * (size_t)(bits / 8);
            int v = bits == 8 ? (p[0] - 128) * 256 : (int16_t)le16(p);
            stereo[f * 2 + (size_t)c] = (int16_t)v;
        }
    }
    return make_sound(stereo, (int64_t)frames, true, hertz, flags, path);
}

// ---------------------------------------------------------------------------
// Ogg Vorbis
// ---------------------------------------------------------------------------

// Takes the file: on success ov_clear closes it, on failure this does.
// True when the header is one the mixer can take (one or two channels, a
// sane rate); *channels and *hertz are then the stream's.
static bool open_ogg(FILE* file, OggVorbis_File* vf, int* channels, int* hertz) {
    if (ov_open_callbacks(file, vf, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        fclose(file);
        return false;
    }
    vorbis_info* info = ov_info(vf, -1);
    if (!info || info->channels < 1 || info->channels > 2 || info->rate < 1000 || info->rate > MAX_INPUT_HERTZ) {
        ov_clear(vf);
        return false;
    }
    *channels = info->channels;
    *hertz = (int)info->rate;
    return true;
}

// Reads the next stretch of PCM into buffer: the number of frames (0 at the
// end), or -1 when the stream is damaged or changes its channels or rate.
static long read_ogg(OggVorbis_File* vf, int16_t* buffer, int max_bytes, int channels, int hertz, int* section) {
    for (;;) {
        long got = ov_read(vf, (char*)buffer, max_bytes, 0, 2, 1, section);
        if (got == 0) return 0;
        if (got == OV_HOLE) continue;  // a gap in the stream; decoding goes on
        if (got < 0) return -1;
        vorbis_info* now = ov_info(vf, *section);
        if (!now || now->channels != channels || now->rate != hertz) return -1;
        return got / (2 * channels);
    }
}

// Copies frames of `channels` interleaved samples as stereo.
static void widen_to_stereo(const int16_t* pcm, long frames, int channels, int16_t* out) {
    for (long f = 0; f < frames; f++) {
        int16_t left = pcm[f * channels];
        out[f * 2] = left;
        out[f * 2 + 1] = channels == 2 ? pcm[f * 2 + 1] : left;
    }
}

// Takes an opened stream and decodes it whole; ov_clear runs in every case.
static TSound* decode_ogg_whole(OggVorbis_File* vf, int channels, int hertz, const std::string& path, int flags) {
    const size_t max_frames = (size_t)MAX_SOUND_SECONDS * (size_t)hertz;
    std::vector<int16_t> stereo;
    int16_t buffer[4096];
    int section = 0;
    bool damaged = false;
    // Memory running out counts as damage, so that ov_clear still runs.
    try {
        ogg_int64_t total = ov_pcm_total(vf, -1);
        if (total > 0 && (size_t)total <= max_frames) stereo.reserve((size_t)total * 2);
        for (;;) {
            long frames = read_ogg(vf, buffer, (int)sizeof buffer, channels, hertz, &section);
            if (frames == 0) break;
            if (frames < 0) {
                damaged = true;
                break;
            }
            if (stereo.size() / 2 + (size_t)frames > max_frames) {
                damaged = true;
                break;
            }
            size_t at = stereo.size();
            stereo.resize(at + (size_t)frames * 2);
            widen_to_stereo(buffer, frames, channels, stereo.data() + at);
        }
    } catch (const std::bad_alloc&) {
        damaged = true;
    }
    ov_clear(vf);
    if (damaged || stereo.empty()) return nullptr;
    return make_sound(stereo, (int64_t)stereo.size() / 2, true, hertz, flags, path);
}

// Takes the file. Decodes whole when asked to, or when a device exists and
// the rate is not the mixer's (the decoder below does not resample);
// otherwise only the header and the length are read.
static TSound* load_ogg(FILE* file, const std::string& path, int flags) {
    OggVorbis_File vf;
    int channels = 0, hertz = 0;
    if (!open_ogg(file, &vf, &channels, &hertz)) return nullptr;
    bool streamable = hertz == MIX_HERTZ;
    bool device = audio_device_running.load() || audio_device_pending.load();
    if ((flags & SOUND_DECODE_WHOLE) || (device && !streamable))
        return decode_ogg_whole(&vf, channels, hertz, path, flags);
    ogg_int64_t total = ov_pcm_total(&vf, -1);
    ov_clear(&vf);
    if (total <= 0 || total > (ogg_int64_t)MAX_SOUND_SECONDS * hertz) return nullptr;
    TSound* sound = make_sound({}, (int64_t)total, false, hertz, flags, path);
    if (sound) sound->streamed = streamable;
    return sound;
}

// ---------------------------------------------------------------------------
// The decoder of a streamed sound's channel
// ---------------------------------------------------------------------------

// --- kept for the run ---
std::atomic<int> sound_decoders_open{0};  // open decoders; opened on the main thread, closed on either

struct TSoundDecoder {
    OggVorbis_File vf;
    int channels = 0;
    int section = 0;
    bool ended = false;  // the end was reached or the stream turned out damaged
};

TSoundDecoder* open_sound_decoder(const TSound* sound) {
    if (!sound || !sound->streamed) return nullptr;
    FILE* file = open_regular_file(sound->path, nullptr);
    if (!file) return nullptr;
    TSoundDecoder* decoder = new (std::nothrow) TSoundDecoder;
    if (!decoder) {
        fclose(file);
        return nullptr;
    }
    int hertz = 0;
    if (!open_ogg(file, &decoder->vf, &decoder->channels, &hertz)) {
        delete decoder;
        return nullptr;
    }
    if (hertz != MIX_HERTZ) {  // the file was replaced since it was loaded
        ov_clear(&decoder->vf);
        delete decoder;
        return nullptr;
    }
    sound_decoders_open++;
    return decoder;
}

int read_sound_decoder(TSoundDecoder* decoder, int16_t* out, int frames) {
    if (!decoder || !out) return 0;
    int16_t buffer[4096];
    int done = 0;
    while (done < frames && !decoder->ended) {
        int want = (frames - done) * decoder->channels * 2;
        if (want > (int)sizeof buffer) want = (int)sizeof buffer;
        long got = read_ogg(&decoder->vf, buffer, want, decoder->channels, MIX_HERTZ, &decoder->section);
        if (got <= 0) {
            decoder->ended = true;
            break;
        }
        widen_to_stereo(buffer, got, decoder->channels, out + (size_t)done * 2);
        done += (int)got;
    }
    return done;
}

void close_sound_decoder(TSoundDecoder* decoder) {
    if (!decoder) return;
    sound_decoders_open--;
    ov_clear(&decoder->vf);
    delete decoder;
}

// ---------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------

static TSound* read_sound(const std::string& path, int flags) {
    int64_t size = 0;
    FILE* f = open_regular_file(path, &size);
    if (!f) return nullptr;
    uint8_t magic[4] = {0, 0, 0, 0};
    size_t got = fread(magic, 1, 4, f);
    if (got == 4 && memcmp(magic, "OggS", 4) == 0 && fseek(f, 0, SEEK_SET) == 0) return load_ogg(f, path, flags);
    if (got != 4 || memcmp(magic, "RIFF", 4) != 0 || size < 12 || size > (int64_t)MAX_WAV_BYTES ||
        fseek(f, 0, SEEK_SET) != 0) {
        fclose(f);
        return nullptr;
    }
    std::vector<uint8_t> file;
    bool read_ok = false;
    try {
        file.resize((size_t)size);
        read_ok = fread(file.data(), 1, file.size(), f) == file.size();
    } catch (const std::bad_alloc&) {
        read_ok = false;
    }
    fclose(f);
    if (!read_ok) return nullptr;
    bool decode = audio_device_running.load() || audio_device_pending.load() || (flags & SOUND_DECODE_WHOLE);
    return decode_wav(file, decode, flags, path);
}

TSound* load_sound(const std::string& path, int flags) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    try {
        return read_sound(p, flags);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
