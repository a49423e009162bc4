// The game's tune, composed here and rendered by the synthesiser: about 77
// seconds in C major at 100 beats a minute. Four bars of introduction, a
// melody (A), a bridge (B), the melody again with bells, and a close on a
// held chord. Written as Ogg Vorbis.
#include <cstdio>
#include <vector>

#include "tools/resources/resources.h"
#include "tools/resources/synth.h"

namespace res {

static const double BEAT = 0.6;  // seconds (100 beats a minute)
static const double BAR = 4 * BEAT;

struct Note {
    double beat, length;  // in beats from the bar's start
    int pitch;            // MIDI note, written an octave above where it sounds
};

// Chord voicings: root low, fifth, octave, third above.
struct Chord {
    int arp[4];
    int pad[3];
    int bass;
};

static const Chord C_MAJ = {{48, 55, 60, 64}, {60, 64, 67}, 36};
static const Chord A_MIN = {{45, 52, 57, 60}, {57, 60, 64}, 33};
static const Chord F_MAJ = {{41, 48, 53, 57}, {57, 60, 65}, 41};
static const Chord G_MAJ = {{43, 50, 55, 59}, {55, 59, 62}, 43};
static const Chord E_MIN = {{40, 47, 52, 55}, {55, 59, 64}, 40};

// Melody bars. E5 = 76, C6 = 84 and so on; the piano plays them an octave down.
static const std::vector<std::vector<Note>> MELODY_A = {
    {{0, 1, 76}, {1, 1, 79}, {2, 1.5, 84}, {3.5, 0.5, 83}}, {{0, 2, 81}, {2, 1, 76}, {3, 1, 79}},
    {{0, 1, 77}, {1, 1, 81}, {2, 1, 84}, {3, 1, 81}},       {{0, 3, 79}},
    {{0, 1, 76}, {1, 1, 79}, {2, 1.5, 84}, {3.5, 0.5, 86}}, {{0, 2, 88}, {2, 1, 86}, {3, 1, 84}},
    {{0, 1.5, 81}, {1.5, 0.5, 79}, {2, 1, 77}, {3, 1, 81}}, {{0, 2, 79}, {2, 1, 71}, {3, 1, 74}},
};
static const std::vector<std::vector<Note>> MELODY_B = {
    {{0, 1.5, 84}, {1.5, 0.5, 81}, {2, 1, 77}, {3, 1, 81}},
    {{0, 1.5, 83}, {1.5, 0.5, 79}, {2, 1, 74}, {3, 1, 79}},
    {{0, 1, 76}, {1, 1, 79}, {2, 1, 83}, {3, 1, 88}},
    {{0, 3, 84}},
    {{0, 1, 81}, {1, 1, 84}, {2, 1.5, 89}, {3.5, 0.5, 88}},
    {{0, 1, 86}, {1, 1, 83}, {2, 1, 79}, {3, 1, 86}},
    {{0, 2, 88}, {2, 1, 86}, {3, 1, 83}},
    {{0, 4, 84}},
};
static const std::vector<std::vector<Note>> MELODY_END = {
    {{0, 2, 81}, {2, 2, 84}},
    {{0, 2, 83}, {2, 1, 86}, {3, 1, 83}},
    {{0, 7, 84}},
};

struct Bar {
    const Chord* chord;
    const std::vector<Note>* melody;  // null: no melody in this bar
    bool drums, bells;
};

static std::vector<Bar> arrangement() {
    std::vector<Bar> bars;
    const Chord* a_chords[8] = {&C_MAJ, &A_MIN, &F_MAJ, &G_MAJ, &C_MAJ, &A_MIN, &F_MAJ, &G_MAJ};
    const Chord* b_chords[8] = {&F_MAJ, &G_MAJ, &E_MIN, &A_MIN, &F_MAJ, &G_MAJ, &C_MAJ, &C_MAJ};
    for (int i = 0; i < 4; i++) bars.push_back({a_chords[i], nullptr, false, false});
    for (int i = 0; i < 8; i++) bars.push_back({a_chords[i], &MELODY_A[i], false, false});
    for (int i = 0; i < 8; i++) bars.push_back({b_chords[i], &MELODY_B[i], true, false});
    for (int i = 0; i < 8; i++) bars.push_back({a_chords[i], &MELODY_A[i], true, true});
    bars.push_back({&F_MAJ, &MELODY_END[0], false, true});
    bars.push_back({&G_MAJ, &MELODY_END[1], false, true});
    bars.push_back({&C_MAJ, &MELODY_END[2], false, false});
    return bars;
}

static synth::Stereo render_tune() {
    std::vector<Bar> bars = arrangement();
    const double length = bars.size() * BAR + 2.5;
    synth::Stereo s = synth::make_buffer(length);
    synth::Noise n{0x70FEu};
    static const int ARP_ORDER[8] = {0, 1, 2, 3, 2, 1, 2, 3};
    for (size_t b = 0; b < bars.size(); b++) {
        const Bar& bar = bars[b];
        const Chord& ch = *bar.chord;
        double t0 = b * BAR;
        bool last = b + 1 == bars.size();
        // Pad and bass.
        for (int k = 0; k < 3; k++) synth::voice_pad(s, t0, last ? BAR * 1.5 : BAR, synth::midi_hz(ch.pad[k]), 0.045f);
        synth::voice_bass(s, t0, 1.5 * BEAT, synth::midi_hz(ch.bass), 0.22f);
        if (!last) synth::voice_bass(s, t0 + 2 * BEAT, 1.5 * BEAT, synth::midi_hz(ch.bass + (b % 2 ? 7 : 0)), 0.18f);
        // Plucked arpeggio in eighths; the last bar strums once.
        for (int e = 0; e < (last ? 4 : 8); e++) {
            int pitch = ch.arp[ARP_ORDER[e]];
            float pan = (e % 2 ? 0.35f : -0.35f);
            float amp = (e == 0 ? 0.2f : 0.14f) * (last ? 1.2f : 1.0f);
            synth::voice_pluck(s, t0 + e * (last ? 0.06 : BEAT / 2), synth::midi_hz(pitch), amp, pan, n);
        }
        // Melody on the piano.
        if (bar.melody)
            for (const Note& note : *bar.melody)
                synth::voice_piano(s, t0 + note.beat * BEAT, note.length * BEAT * 0.92, synth::midi_hz(note.pitch - 12),
                                   0.16f, 0.1f);
        // Bells answer on the off-beats, high and soft.
        if (bar.bells) {
            synth::voice_bell(s, t0 + 1.5 * BEAT, 0.3, synth::midi_hz(ch.pad[1] + 24), 0.05f, 0.6f);
            synth::voice_bell(s, t0 + 3.5 * BEAT, 0.3, synth::midi_hz(ch.pad[2] + 24), 0.045f, -0.6f);
        }
        // Light percussion.
        if (bar.drums) {
            synth::voice_kick(s, t0, 0.22f);
            synth::voice_kick(s, t0 + 2 * BEAT, 0.16f);
            for (int e = 0; e < 8; e++) synth::voice_shaker(s, t0 + e * BEAT / 2, e % 2 ? 0.05f : 0.025f, 0.4f, n);
        }
    }
    synth::reverb(s, 0.28f, 0.8f);
    // Fade over the last two seconds.
    long total = static_cast<long>(s.left.size()), fade = 2 * synth::RATE;
    for (long i = total - fade; i < total; i++) {
        float f = static_cast<float>(total - i) / fade;
        s.left[i] *= f * f;
        s.right[i] *= f * f;
    }
    synth::normalise(s, 0.85f);
    return s;
}

bool make_music(const std::string& out) { return synth::write_ogg(render_tune(), out + "/sounds/music.ogg", 0.25f); }

}  // namespace res
