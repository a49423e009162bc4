// The two sound effects: the click of two pieces joining (a short wooden
// snap) and the chime after saving (a shimmering rising arpeggio of about
// a second). 16-bit stereo WAV at 44100 Hz.
#include <cmath>

#include "tools/resources/resources.h"
#include "tools/resources/synth.h"

namespace res {

static const double PI = 3.14159265358979323846;

// A snap: a bright noise transient over a few damped wood resonances.
static synth::Stereo wooden_click() {
    synth::Stereo s = synth::make_buffer(0.11);
    synth::Noise n{0xC11C4u};
    struct Mode {
        double hz, tau, amp;
    };
    const Mode modes[] = {{190, 0.010, 0.45}, {840, 0.016, 1.0},   {1390, 0.011, 0.7},
                          {2260, 0.007, 0.5}, {3650, 0.004, 0.35}, {5200, 0.0025, 0.2}};
    float prev = 0;
    for (long i = 0; i < static_cast<long>(s.left.size()); i++) {
        double t = static_cast<double>(i) / synth::RATE;
        float x = synth::noise(n);
        double tick = (x - prev) * std::exp(-t / 0.0009) * 0.8;
        prev = x;
        double body = 0;
        for (const Mode& m : modes) body += m.amp * std::sin(2 * PI * m.hz * t * (1 - 0.5 * t)) * std::exp(-t / m.tau);
        double v = (tick + body * 0.5) * std::min(1.0, t / 0.0004);
        synth::add(s, i, static_cast<float>(v), 0.0f);
    }
    synth::normalise(s, 0.8f);
    return s;
}

// A chime: bell notes rising over two octaves, with sparkles scattered
// across the stereo field.
static synth::Stereo magic_chime() {
    synth::Stereo s = synth::make_buffer(1.25);
    const double notes[] = {84, 88, 91, 96, 100, 103};  // C6 E6 G6 C7 E7 G7
    for (int i = 0; i < 6; i++)
        synth::voice_bell(s, 0.055 * i, 0.45, synth::midi_hz(notes[i]), 0.35f - 0.03f * i, -0.7f + 0.28f * i);
    synth::Noise n{0x5A9C1Eu};
    for (int k = 0; k < 22; k++) {
        double when = 0.05 + 0.75 * (k / 22.0) + 0.02 * synth::noise(n);
        double hz = 3800 + 2600 * (0.5 + 0.5 * synth::noise(n));
        float pan = synth::noise(n) * 0.9f;
        long first = static_cast<long>(when * synth::RATE);
        for (long i = 0; i < synth::RATE / 12; i++) {
            double t = static_cast<double>(i) / synth::RATE;
            double v = std::sin(2 * PI * hz * t) * std::exp(-t / 0.018) * (1.0 - k / 30.0) * 0.12;
            synth::add(s, first + i, static_cast<float>(v), pan);
        }
    }
    synth::reverb(s, 0.35f, 0.82f);
    // Fade the last quarter second so the tail ends in silence.
    long n_frames = static_cast<long>(s.left.size()), fade = synth::RATE / 4;
    for (long i = n_frames - fade; i < n_frames; i++) {
        float f = static_cast<float>(n_frames - i) / fade;
        s.left[i] *= f;
        s.right[i] *= f;
    }
    synth::normalise(s, 0.7f);
    return s;
}

bool make_effects(const std::string& out) {
    bool ok = synth::write_wav(wooden_click(), out + "/sounds/click.wav");
    ok &= synth::write_wav(magic_chime(), out + "/sounds/magic.wav");
    return ok;
}

}  // namespace res
