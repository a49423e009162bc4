// The offline synthesiser behind the click, the chime and the music: the
// voices, the reverb and the file writers (16-bit stereo WAV, Ogg Vorbis
// through libvorbisenc).
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/resources/synth.h"

namespace synth {

static const double PI = 3.14159265358979323846;

// sin(2 pi x) by table and linear interpolation: the voices call it tens of
// millions of times, and the table keeps the build quick.
static const int SINE_SIZE = 8192;
static float sine_table[SINE_SIZE + 1];  // filled on first use

static double sine_turns(double x) {
    if (sine_table[SINE_SIZE / 4] == 0.0f)
        for (int i = 0; i <= SINE_SIZE; i++) sine_table[i] = static_cast<float>(std::sin(2 * PI * i / SINE_SIZE));
    double f = (x - std::floor(x)) * SINE_SIZE;
    int i = static_cast<int>(f);
    double t = f - i;
    return sine_table[i] + (sine_table[i + 1] - sine_table[i]) * t;
}

Stereo make_buffer(double seconds) {
    Stereo s;
    size_t n = static_cast<size_t>(seconds * RATE) + 1;
    s.left.assign(n, 0.0f);
    s.right.assign(n, 0.0f);
    return s;
}

void add(Stereo& s, long index, float value, float pan) {
    if (index < 0 || index >= static_cast<long>(s.left.size())) return;
    // Constant-power pan; voices keep one pan, so the gains are cached.
    static float last_pan = 0.0f, gain_l = 0.70710678f, gain_r = 0.70710678f;
    if (pan != last_pan) {
        float a = static_cast<float>((pan + 1) * PI / 4);
        last_pan = pan;
        gain_l = std::cos(a);
        gain_r = std::sin(a);
    }
    s.left[index] += value * gain_l;
    s.right[index] += value * gain_r;
}

float noise(Noise& n) {
    n.state ^= n.state << 13;
    n.state ^= n.state >> 17;
    n.state ^= n.state << 5;
    return static_cast<float>(n.state) / 2147483648.0f - 1.0f;
}

double midi_hz(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Attack, then hold until the note's length, then release; times in seconds.
static double envelope(double t, double attack, double length, double release) {
    if (t < 0) return 0;
    double e = t < attack ? t / attack : 1.0;
    if (t > length) e *= std::max(0.0, 1.0 - (t - length) / release);
    return e;
}

void voice_piano(Stereo& s, double start, double length, double hz, float amp, float pan) {
    const double release = 0.35;
    long first = static_cast<long>(start * RATE);
    long count = static_cast<long>((length + release) * RATE);
    for (long i = 0; i < count; i++) {
        double t = static_cast<double>(i) / RATE;
        double index = 1.5 * std::exp(-t / 0.45) + 0.25;
        double tine = 0.12 * std::exp(-t / 0.018) * sine_turns(hz * 14.0 * t);
        double body = sine_turns(hz * t + index / (2 * PI) * sine_turns(hz * t));
        double decay = std::exp(-t / 1.6);
        double v = (body + tine) * decay * envelope(t, 0.004, length, release);
        add(s, first + i, static_cast<float>(v * amp), pan);
    }
}

void voice_bell(Stereo& s, double start, double length, double hz, float amp, float pan) {
    long first = static_cast<long>(start * RATE);
    long count = static_cast<long>((length + 0.6) * RATE);
    for (long i = 0; i < count; i++) {
        double t = static_cast<double>(i) / RATE;
        double index = 2.2 * std::exp(-t / 0.25);
        double v = sine_turns(hz * t + index / (2 * PI) * sine_turns(hz * 3.5 * t));
        v += 0.3 * sine_turns(hz * 2.76 * t) * std::exp(-t / 0.3);
        v *= std::exp(-t / (0.25 + length * 0.5)) * envelope(t, 0.002, length, 0.6);
        add(s, first + i, static_cast<float>(v * amp), pan);
    }
}

void voice_pluck(Stereo& s, double start, double hz, float amp, float pan, Noise& n) {
    int period = std::max(2, static_cast<int>(std::lround(RATE / hz)));
    std::vector<float> line(period);
    float last = 0;
    for (float& v : line) {
        // Softened noise for a warmer attack.
        last = 0.5f * last + 0.5f * noise(n);
        v = last;
    }
    long first = static_cast<long>(start * RATE);
    long count = static_cast<long>(2.2 * RATE);
    int pos = 0;
    for (long i = 0; i < count; i++) {
        int next = (pos + 1) % period;
        float out = line[pos];
        line[pos] = 0.4985f * (line[pos] + line[next]);
        pos = next;
        float fade = i > count - 2000 ? (count - i) / 2000.0f : 1.0f;
        add(s, first + i, out * amp * fade, pan);
    }
}

// One cycle of the pad's tone: six harmonics falling off steeply.
static float pad_table[SINE_SIZE + 1];  // filled on first use

// x is the phase in turns, 0 <= x < 1.
static double pad_wave(double x) {
    if (pad_table[SINE_SIZE / 4] == 0.0f)
        for (int i = 0; i <= SINE_SIZE; i++) {
            double v = 0;
            for (int k = 1; k <= 6; k++) v += std::sin(2 * PI * k * i / SINE_SIZE) / (k * k * 0.8 + 0.2);
            pad_table[i] = static_cast<float>(v);
        }
    double f = x * SINE_SIZE;
    int i = static_cast<int>(f);
    return pad_table[i] + (pad_table[i + 1] - pad_table[i]) * (f - i);
}

void voice_pad(Stereo& s, double start, double length, double hz, float amp) {
    const double release = 0.9;
    long first = static_cast<long>(start * RATE);
    long count = static_cast<long>((length + release) * RATE);
    const double detune[3] = {-0.004, 0.0, 0.0045};
    const float pans[3] = {-0.6f, 0.0f, 0.6f};
    for (int d = 0; d < 3; d++) {
        double step = hz * (1 + detune[d]) / RATE, phase = d * 0.17;
        for (long i = 0; i < count; i++) {
            double t = static_cast<double>(i) / RATE;
            double e = envelope(t, 0.7, length, release);
            add(s, first + i, static_cast<float>(pad_wave(phase) * e * amp / 3), pans[d]);
            phase += step;
            if (phase >= 1) phase -= 1;
        }
    }
}

void voice_bass(Stereo& s, double start, double length, double hz, float amp) {
    long first = static_cast<long>(start * RATE);
    long count = static_cast<long>((length + 0.15) * RATE);
    for (long i = 0; i < count; i++) {
        double t = static_cast<double>(i) / RATE;
        double v = sine_turns(hz * t) + 0.25 * sine_turns(2 * hz * t) * std::exp(-t / 0.2);
        v *= std::exp(-t / 1.2) * envelope(t, 0.01, length, 0.15);
        add(s, first + i, static_cast<float>(v * amp), 0.0f);
    }
}

void voice_shaker(Stereo& s, double start, float amp, float pan, Noise& n) {
    long first = static_cast<long>(start * RATE);
    long count = static_cast<long>(0.06 * RATE);
    float prev = 0;
    for (long i = 0; i < count; i++) {
        double t = static_cast<double>(i) / RATE;
        float x = noise(n);
        float hp = x - prev;  // brighten: first difference
        prev = x;
        double e = std::min(1.0, t / 0.004) * std::exp(-t / 0.018);
        add(s, first + i, static_cast<float>(hp * e * amp), pan);
    }
}

void voice_kick(Stereo& s, double start, float amp) {
    long first = static_cast<long>(start * RATE);
    long count = static_cast<long>(0.3 * RATE);
    double phase = 0;
    for (long i = 0; i < count; i++) {
        double t = static_cast<double>(i) / RATE;
        double f = 48 + 90 * std::exp(-t / 0.03);
        phase += 2 * PI * f / RATE;
        double v = std::sin(phase) * std::exp(-t / 0.09) * std::min(1.0, t / 0.002);
        add(s, first + i, static_cast<float>(v * amp), 0.0f);
    }
}

// ---------------------------------------------------------------------------
// Reverb: parallel damped combs and series all-passes per channel
// (delays differ slightly between the channels for width).
// ---------------------------------------------------------------------------

static void reverb_channel(std::vector<float>& x, float wet, float room, int spread) {
    const int comb_delay[6] = {1557, 1617, 1491, 1422, 1277, 1356};
    const int pass_delay[3] = {556, 441, 341};
    std::vector<float> out(x.size(), 0.0f);
    for (int c = 0; c < 6; c++) {
        std::vector<float> line(comb_delay[c] + spread, 0.0f);
        size_t pos = 0;
        float store = 0;
        for (size_t i = 0; i < x.size(); i++) {
            float y = line[pos];
            store = y * 0.6f + store * 0.4f;  // damping
            line[pos] = x[i] * 0.02f + store * room;
            pos = (pos + 1) % line.size();
            out[i] += y;
        }
    }
    for (int a = 0; a < 3; a++) {
        std::vector<float> line(pass_delay[a] + spread / 2, 0.0f);
        size_t pos = 0;
        for (size_t i = 0; i < out.size(); i++) {
            float b = line[pos];
            float y = -out[i] * 0.5f + b;
            line[pos] = out[i] + b * 0.5f;
            pos = (pos + 1) % line.size();
            out[i] = y;
        }
    }
    for (size_t i = 0; i < x.size(); i++) x[i] = x[i] * (1 - wet * 0.5f) + out[i] * wet * 3.0f;
}

void reverb(Stereo& s, float wet, float room) {
    reverb_channel(s.left, wet, room, 0);
    reverb_channel(s.right, wet, room, 23);
}

void normalise(Stereo& s, float peak) {
    float m = 1e-9f;
    for (size_t i = 0; i < s.left.size(); i++) m = std::max({m, std::fabs(s.left[i]), std::fabs(s.right[i])});
    float g = peak / m;
    size_t n = s.left.size(), fade = std::min<size_t>(n, RATE / 50);
    for (size_t i = 0; i < n; i++) {
        float f = i >= n - fade ? static_cast<float>(n - i) / fade : 1.0f;
        s.left[i] *= g * f;
        s.right[i] *= g * f;
    }
}

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------

static int16_t to16(float v) { return static_cast<int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f)); }

bool write_wav(const Stereo& s, const std::string& path) {
    uint32_t frames = static_cast<uint32_t>(s.left.size());
    uint32_t data = frames * 4;
    std::vector<uint8_t> out;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; i++) out.push_back((v >> (8 * i)) & 255);
    };
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put(36 + data, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(16, 4);
    put(1, 2);  // PCM
    put(2, 2);  // stereo
    put(RATE, 4);
    put(RATE * 4, 4);
    put(4, 2);
    put(16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put(data, 4);
    for (uint32_t i = 0; i < frames; i++) {
        put(static_cast<uint16_t>(to16(s.left[i])), 2);
        put(static_cast<uint16_t>(to16(s.right[i])), 2);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

static bool write_page(FILE* f, const ogg_page& page) {
    return std::fwrite(page.header, 1, page.header_len, f) == static_cast<size_t>(page.header_len) &&
           std::fwrite(page.body, 1, page.body_len, f) == static_cast<size_t>(page.body_len);
}

bool write_ogg(const Stereo& s, const std::string& path, float quality) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, RATE, quality) != 0) {
        vorbis_info_clear(&vi);
        std::fclose(f);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", "Tessellon");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x7e55e110);  // fixed serial: same input, same bytes
    ogg_packet header, header_comm, header_code;
    vorbis_analysis_headerout(&vd, &vc, &header, &header_comm, &header_code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &header_comm);
    ogg_stream_packetin(&os, &header_code);
    ogg_page page;
    bool ok = true;
    while (ogg_stream_flush(&os, &page) != 0) ok &= write_page(f, page);

    const long total = static_cast<long>(s.left.size());
    const long chunk = 4096;
    bool eos = false, ended = false;
    for (long at = 0; !eos;) {
        if (ended) {
            // Everything was handed over and drained: flush what is left.
            while (ogg_stream_flush(&os, &page) != 0) ok &= write_page(f, page);
            break;
        }
        long n = std::min(chunk, total - at);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (long i = 0; i < n; i++) {
                buffer[0][i] = s.left[at + i];
                buffer[1][i] = s.right[at + i];
            }
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            at += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
            ended = true;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    ok &= write_page(f, page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return std::fclose(f) == 0 && ok;
}

}  // namespace synth
