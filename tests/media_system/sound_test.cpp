// Sounds and the mixer: WAV files the test writes decode into 16-bit
// stereo at 44100 Hz, malformed ones are refused, and mix_audio sums the
// playing channels with their volumes, clipped; without a device nothing
// is decoded and every channel stays silent. Streamed Ogg sounds:
// sound_stream_test.cpp.
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

#include "media/media_internal.h"
#include "media/null/null_backend.h"
#include "tests/support/files.h"
#include "tests/support/sounds.h"
#include "tests/support/temp_folder.h"

namespace {

using support::put16;
using support::put32;

class SoundTest : public ::testing::Test {
protected:
    support::TempFolder dir{"media_sound"};
    // Decoding is only done for a device, so these tests have a fake one.
    void SetUp() override {
        null_set_audio_device(true);
        ASSERT_FALSE(dir.path.empty());
    }
    void TearDown() override { null_set_audio_device(false); }
    std::string file(const std::string& name, const std::string& bytes) {
        support::write_text(dir.file(name), bytes);
        return dir.file(name);
    }
};

TEST_F(SoundTest, SixteenBitStereoAt44100IsTakenAsItIs) {
    std::string data;
    const int frames[3][2] = {{1000, -1000}, {32767, -32768}, {0, 5}};
    for (auto& f : frames) {
        put16(data, f[0]);
        put16(data, f[1]);
    }
    TSound* s = load_sound(file("a.wav", support::wav_file(2, 44100, 16, data)), 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->sample.hertz, 44100);
    ASSERT_EQ(s->sample.length, 3);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(s->sample.samples[i * 2], frames[i][0]);
        EXPECT_EQ(s->sample.samples[i * 2 + 1], frames[i][1]);
    }
    free_sound(s);
}

TEST_F(SoundTest, EightBitMonoAtHalfRateIsWidenedAndResampled) {
    // Unsigned 8-bit: 128 is silence. At 22050 Hz every frame becomes two,
    // the second halfway towards the next frame.
    std::string data = {(char)128, (char)192, (char)64};
    TSound* s = load_sound(file("b.wav", support::wav_file(1, 22050, 8, data)), 0);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->sample.length, 6);
    const int expect[6] = {0, 8192, 16384, 0, -16384, -16384};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(s->sample.samples[i * 2], expect[i]) << "frame " << i;
        EXPECT_EQ(s->sample.samples[i * 2 + 1], expect[i]) << "mono goes to both sides";
    }
    free_sound(s);
}

TEST_F(SoundTest, MalformedOrForeignFilesGiveNull) {
    std::string good = support::wav_file(2, 44100, 16, std::string(8, '\0'));
    TSound* ok = load_sound(file("good.wav", good), 0);
    EXPECT_NE(ok, nullptr);
    free_sound(ok);
    EXPECT_EQ(load_sound(dir.file("missing.wav"), 0), nullptr);
    EXPECT_EQ(load_sound(file("text.wav", "hello, not a sound"), 0), nullptr);
    EXPECT_EQ(load_sound(file("short.wav", good.substr(0, 30)), 0), nullptr);
    EXPECT_EQ(load_sound(file("bits.wav", support::wav_file(2, 44100, 12, std::string(8, '\0'))), 0), nullptr);
    EXPECT_EQ(load_sound(file("chan.wav", support::wav_file(0, 44100, 16, std::string(8, '\0'))), 0), nullptr);
    EXPECT_EQ(load_sound(file("six.wav", support::wav_file(6, 44100, 16, std::string(24, '\0'))), 0), nullptr);
    EXPECT_EQ(load_sound(file("float.wav", support::wav_file(2, 44100, 16, std::string(8, '\0'), 3)), 0), nullptr);
    EXPECT_EQ(load_sound(file("rate.wav", support::wav_file(2, 0, 16, std::string(8, '\0'))), 0), nullptr);
    // A fmt chunk that claims to run past the end of the file.
    std::string long_fmt = good;
    long_fmt[16] = (char)0xff;
    long_fmt[17] = (char)0xff;
    EXPECT_EQ(load_sound(file("fmt.wav", long_fmt), 0), nullptr);
    EXPECT_EQ(load_sound(file("ogg.ogg", "OggS and then garbage"), 0), nullptr);
}

TEST_F(SoundTest, DataChunkLongerThanTheFileKeepsWhatIsThere) {
    std::string data;
    put16(data, 100);
    put16(data, 200);
    std::string bytes = support::wav_file(2, 44100, 16, data);
    bytes[40] = (char)0xff;  // data size claims far more
    bytes[41] = (char)0xff;
    bytes[42] = (char)0xff;
    TSound* s = load_sound(file("cut.wav", bytes), 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->sample.length, 1);
    free_sound(s);
}

TEST_F(SoundTest, TheGamesMusicDecodesIfTheGameFolderHasIt) {
    std::string music = std::string(TEST_GAME_DIR) + "/sounds/music.ogg";
    if (access(music.c_str(), R_OK) != 0) GTEST_SKIP() << "no music file built";
    TSound* s = load_sound(music, SOUND_DECODE_WHOLE);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->sample.hertz, 44100);
    EXPECT_GT(s->sample.length, 44100 / 10);
    EXPECT_NE(s->sample.samples, nullptr);
    EXPECT_FALSE(s->streamed);
    free_sound(s);
}

TEST_F(SoundTest, WithoutADeviceAWavIsCheckedAndMeasuredButNotDecoded) {
    null_set_audio_device(false);
    std::string data(4 * 100, '\x10');  // 100 frames of 16-bit stereo
    TSound* s = load_sound(file("quiet.wav", support::wav_file(2, 22050, 16, data)), 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->sample.samples, nullptr);
    EXPECT_EQ(s->sample.length, 200);  // as long as the decoded one would be
    TChannel* ch = play_sound(s);
    ASSERT_NE(ch, nullptr);
    EXPECT_FALSE(channel_busy(ch));
    free_sound(s);
    EXPECT_EQ(load_sound(file("bits.wav", support::wav_file(2, 44100, 12, data)), 0), nullptr);
    // Tools that inspect the samples still get them.
    TSound* whole = load_sound(file("whole.wav", support::wav_file(2, 44100, 16, data)), SOUND_DECODE_WHOLE);
    ASSERT_NE(whole, nullptr);
    ASSERT_NE(whole->sample.samples, nullptr);
    EXPECT_EQ(whole->sample.samples[0], 0x1010);
    free_sound(whole);
}

// --- the mixer ---

TSound* constant_sound(int frames, int left, int right) {
    TSound* s = new TSound;
    s->sample.samples = new int16_t[(size_t)frames * 2];
    for (int i = 0; i < frames; i++) {
        s->sample.samples[i * 2] = (int16_t)left;
        s->sample.samples[i * 2 + 1] = (int16_t)right;
    }
    s->sample.length = frames;
    s->sample.capacity = frames;
    s->sample.hertz = 44100;
    s->sample.format = 2;
    return s;
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override { null_set_audio_device(true); }
    void TearDown() override {
        // Let anything still playing run out, then go back to no device.
        int16_t out[2048];
        for (int i = 0; i < 100; i++) mix_audio(out, 1024);
        null_set_audio_device(false);
    }
};

TEST_F(MixerTest, ChannelsAreSummedAndClipped) {
    TSound* a = constant_sound(1000, 1000, 20000);
    TSound* b = constant_sound(1000, -300, 20000);
    TSound* c = constant_sound(1000, -32000, -32000);
    TChannel* ca = play_sound(a);
    TChannel* cb = play_sound(b);
    int16_t out[8];
    mix_audio(out, 4);
    EXPECT_EQ(out[0], 700);
    EXPECT_EQ(out[1], 32767);  // 40000 clipped
    TChannel* cc = play_sound(c);
    stop_channel(cb);
    mix_audio(out, 4);
    EXPECT_EQ(out[0], -31000);
    EXPECT_EQ(out[1], -12000);
    TChannel* cc2 = play_sound(c);
    mix_audio(out, 4);
    EXPECT_EQ(out[0], -32768);  // 1000 - 64000 clipped
    stop_channel(ca);
    stop_channel(cc);
    stop_channel(cc2);
    mix_audio(out, 4);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
    free_sound(a);
    free_sound(b);
    free_sound(c);
}

TEST_F(MixerTest, VolumeScalesAndIsKeptWithinZeroToOne) {
    TSound* a = constant_sound(1000, 20000, -20000);
    TChannel* ch = play_sound(a);
    set_channel_volume(ch, 0.5f);
    int16_t out[2];
    mix_audio(out, 1);
    EXPECT_EQ(out[0], 10000);
    EXPECT_EQ(out[1], -10000);
    set_channel_volume(ch, 3.0f);
    mix_audio(out, 1);
    EXPECT_EQ(out[0], 20000);
    set_channel_volume(ch, -1.0f);
    mix_audio(out, 1);
    EXPECT_EQ(out[0], 0);
    EXPECT_TRUE(channel_busy(ch));  // silent is not stopped
    stop_channel(ch);
    free_sound(a);
}

TEST_F(MixerTest, ChannelIsBusyUntilItsLastFrameIsMixed) {
    TSound* a = constant_sound(10, 500, 500);
    TChannel* ch = play_sound(a);
    EXPECT_TRUE(channel_busy(ch));
    int16_t out[16];
    mix_audio(out, 4);
    mix_audio(out, 4);
    EXPECT_TRUE(channel_busy(ch));
    mix_audio(out, 4);
    EXPECT_EQ(out[2 * 1], 500);  // frames 9 and 10
    EXPECT_EQ(out[2 * 2], 0);    // then silence
    EXPECT_FALSE(channel_busy(ch));
    // A finished channel stays a valid handle.
    stop_channel(ch);
    set_channel_volume(ch, 0.5f);
    EXPECT_FALSE(channel_busy(ch));
    free_sound(a);
}

TEST_F(MixerTest, StopSilencesAtOnceAndTheSoundCanPlayAgain) {
    TSound* a = constant_sound(100, 1234, 1234);
    TChannel* first = play_sound(a);
    stop_channel(first);
    EXPECT_FALSE(channel_busy(first));
    int16_t out[2];
    mix_audio(out, 1);
    EXPECT_EQ(out[0], 0);
    TChannel* second = play_sound(a);
    EXPECT_NE(second, first);
    mix_audio(out, 1);
    EXPECT_EQ(out[0], 1234);
    EXPECT_FALSE(channel_busy(first));
    stop_channel(second);
    free_sound(a);
}

TEST_F(MixerTest, FreeingASoundStopsItsChannelsFirst) {
    TSound* a = constant_sound(1000, 300, 300);
    TSound* b = constant_sound(1000, 20, 20);
    TChannel* ca1 = play_sound(a);
    TChannel* ca2 = play_sound(a);
    TChannel* cb = play_sound(b);
    free_sound(a);
    EXPECT_FALSE(channel_busy(ca1));
    EXPECT_FALSE(channel_busy(ca2));
    EXPECT_TRUE(channel_busy(cb));
    int16_t out[2];
    mix_audio(out, 1);
    EXPECT_EQ(out[0], 20);
    stop_channel(ca1);  // the handles stay usable
    stop_channel(cb);
    free_sound(b);
}

TEST_F(MixerTest, WithoutADeviceChannelsNeverSound) {
    null_set_audio_device(false);
    TSound* a = constant_sound(100, 1234, 1234);
    TChannel* ch = play_sound(a);
    ASSERT_NE(ch, nullptr);
    EXPECT_FALSE(channel_busy(ch));
    int16_t out[2] = {1, 1};
    mix_audio(out, 1);
    EXPECT_EQ(out[0], 0);
    stop_channel(ch);
    set_channel_volume(ch, 1.0f);
    free_sound(a);
    EXPECT_EQ(play_sound(nullptr), nullptr);
    EXPECT_FALSE(channel_busy(nullptr));
}

}  // namespace
