// A small offline synthesiser for the game's sounds: stereo float buffers
// at 44100 Hz, a few instrument voices, a reverb, and the WAV and Ogg
// Vorbis writers. Everything is deterministic: noise comes from a seeded
// generator, so the same code always gives the same samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

enum { RATE = 44100 };

struct Stereo {
    std::vector<float> left, right;
};

Stereo make_buffer(double seconds);
// Adds a mono sample at time t (seconds) with a pan from -1 (left) to 1.
void add(Stereo& s, long index, float value, float pan);

// Deterministic noise in -1..1.
struct Noise {
    uint32_t state;
};
float noise(Noise& n);

double midi_hz(double note);

// Voices, each added into the buffer at `start` seconds.
// Electric-piano-like FM tone (carrier and modulator at the same pitch).
void voice_piano(Stereo& s, double start, double length, double hz, float amp, float pan);
// Bell: inharmonic FM, long ringing decay.
void voice_bell(Stereo& s, double start, double length, double hz, float amp, float pan);
// Plucked string (Karplus-Strong) seeded from the noise generator.
void voice_pluck(Stereo& s, double start, double hz, float amp, float pan, Noise& n);
// Soft pad: a few detuned harmonics with a slow swell.
void voice_pad(Stereo& s, double start, double length, double hz, float amp);
// Round bass: sine with a touch of second harmonic.
void voice_bass(Stereo& s, double start, double length, double hz, float amp);
// Soft shaker: a short burst of brightened noise.
void voice_shaker(Stereo& s, double start, float amp, float pan, Noise& n);
// Soft kick: a sine sweeping down.
void voice_kick(Stereo& s, double start, float amp);

// A stereo room reverb mixed in at `wet`.
void reverb(Stereo& s, float wet, float room);
// Scales the buffer so its peak is `peak`; a short fade at the end.
void normalise(Stereo& s, float peak);

bool write_wav(const Stereo& s, const std::string& path);
// Ogg Vorbis at the VBR quality (-0.1..1); the stream serial is fixed.
bool write_ogg(const Stereo& s, const std::string& path, float quality);

}  // namespace synth
