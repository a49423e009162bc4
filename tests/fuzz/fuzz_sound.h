// One body for the WAV and Ogg harnesses: the bytes become a file that
// load_sound reads (it tells the two formats apart by their first bytes),
// and a sound that comes back must be in the mixer's format.
#pragma once

#include "media/system/system.h"
#include "tests/fuzz/fuzz_support.h"

inline int fuzz_sound(const uint8_t* data, size_t size) {
    static const std::string path = fuzz_scratch() + "/input.snd";
    fuzz_write(path, data, size);
    TSound* sound = load_sound(path, SOUND_DECODE_WHOLE);  // every sample is checked
    if (sound) {
        const TAudioSample& s = sound->sample;
        if (s.hertz != 44100 || s.format != 2 || s.length < 0 || s.length > 600 * 44100 || !s.samples)
            fuzz_fail("a sound outside the mixer's format");
        volatile int sink = 0;
        for (int i = 0; i < s.length * 2; i++) sink = sink + s.samples[i];  // every sample is readable
        free_sound(sound);
    }
    return 0;
}
