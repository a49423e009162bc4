// The sound thread of the real backend, captured through ALSA's file
// plugin: a HOME whose .asoundrc sends the default device to a file; and
// the look for a device and the end of the sound layer with one that stalls.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "media/draw/x11_backend.h"
#include "media/media_internal.h"
#include "tests/support/temp_folder.h"

TEST(X11Audio, MixedSoundReachesTheAlsaDefaultDeviceAtRealTimePace) {
    if (access("/dev/dsp", W_OK) == 0) GTEST_SKIP() << "an OSS device takes precedence over ALSA here";
    support::TempFolder folder("tessellon-audio");
    ASSERT_FALSE(folder.path.empty());
    std::string home = folder.path, capture = home + "/capture.raw";
    std::ofstream(home + "/.asoundrc") << "pcm.!default { type file slave.pcm null file \"" << capture
                                       << "\" format raw }\n";
    setenv("HOME", home.c_str(), 1);

    // The device is opened on the mixing thread; the call itself never waits.
    backend_start_audio();
    for (int start = clock_ms(); audio_device_pending.load() && clock_ms() - start < 5000;) delay(5);
    ASSERT_TRUE(audio_device_running.load());
    // A quarter of a second of a loud square wave.
    std::vector<int16_t> wave(44100 / 4 * 2);
    for (size_t i = 0; i < wave.size(); i++) wave[i] = (i / 2) % 100 < 50 ? 10000 : -10000;
    TSound sound;
    sound.sample.samples = wave.data();
    sound.sample.length = (int)wave.size() / 2;
    sound.sample.capacity = sound.sample.length;
    sound.sample.hertz = 44100;
    sound.sample.format = 2;
    int start = clock_ms();
    TChannel* channel = play_sound(&sound);
    while (channel_busy(channel) && clock_ms() - start < 3000) delay(10);
    delay(300);
    int elapsed = clock_ms() - start;

    std::ifstream in(capture, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int16_t* samples = (const int16_t*)bytes.data();
    size_t count = bytes.size() / 2, loud = 0;
    for (size_t i = 0; i < count; i++) loud += std::abs(samples[i]) >= 9000;
    EXPECT_GE(loud, wave.size() * 9 / 10) << "the square wave must be in the capture";
    // A sink that never blocks is paced by the clock: no more than the
    // elapsed time plus the mixer's lead may have been written.
    double written_ms = count / 2 * 1000.0 / 44100;
    EXPECT_LT(written_ms, elapsed + 250.0);
    sound.sample.samples = nullptr;  // the wave belongs to this test
}

// A FIFO nobody reads stands in for a sound device that stalls: a blocking
// open of it waits for a reader for ever, and the end of the program with
// it. It is refused at once, ALSA's sink to a file opens instead, and the
// sound layer ends within its bound.
TEST(X11Audio, AStalledDeviceNeverHoldsTheLookNorTheEndOfTheProgram) {
    support::TempFolder folder("tessellon-audio-stall");
    ASSERT_FALSE(folder.path.empty());
    std::string home = folder.path, fifo = home + "/dsp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(home + "/.asoundrc") << "pcm.!default { type file slave.pcm null file \"" << home
                                       << "/capture.raw\" format raw }\n";
    setenv("HOME", home.c_str(), 1);
    x11_oss_device = fifo.c_str();

    x11_stop_audio();  // a thread of an earlier case would keep its device
    backend_start_audio();
    for (int start = clock_ms(); audio_device_pending.load() && clock_ms() - start < 5000;) delay(5);
    EXPECT_FALSE(audio_device_pending.load()) << "the open of the OSS device waited";
    EXPECT_TRUE(audio_device_running.load());
    int start = clock_ms();
    x11_stop_audio();
    EXPECT_LT(clock_ms() - start, 2000) << "the end waited on the device";
    EXPECT_FALSE(audio_device_running.load());

    // A thread left in the FIFO's open (the fault) is let go before the folder goes.
    int release = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    if (release >= 0) close(release);
    x11_oss_device = "/dev/dsp";
}
