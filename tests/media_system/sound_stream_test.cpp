// Streamed Ogg sounds: a channel of the game's music decodes the file as
// the mixer asks for frames and gives exactly the samples of the whole
// decode, across the decoder's buffer boundaries and up to the end; stops,
// restarts and frees close the decoder; music started while the device is
// looked for waits for it; without a device nothing is decoded; damaged files fail or end cleanly; and mixing on its
// own thread while the game starts and stops the music is race-free.
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <thread>
#include <unistd.h>
#include <vector>

#include "media/media_internal.h"
#include "media/null/null_backend.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string music_path = std::string(TEST_GAME_DIR) + "/sounds/music.ogg";

class StreamTest : public ::testing::Test {
protected:
    TSound* whole = nullptr;  // the music decoded into memory, the reference
    support::TempFolder scratch{"media_stream"};

    void SetUp() override {
        if (access(music_path.c_str(), R_OK) != 0) GTEST_SKIP() << "no music file built";
        null_set_audio_device(true);
        whole = load_sound(music_path, SOUND_DECODE_WHOLE);
        ASSERT_NE(whole, nullptr);
        ASSERT_GT(whole->sample.length, 5 * 44100);
    }
    void TearDown() override {
        free_sound(whole);
        null_set_audio_device(false);
        EXPECT_EQ(sound_decoders_open.load(), 0) << "a decoder was left open";
    }
    std::string music_bytes() { return support::read_text(music_path); }
    std::string write(const std::string& name, const std::string& bytes) {
        support::write_text(scratch.file(name), bytes);
        return scratch.file(name);
    }
};

// Mixes `count` frames in pieces of the given sizes (cycled) and returns
// the first frame (counted from `from`) whose output differs from
// reference frames from.., scaled by volume; -1 when all match. Past the
// reference's end the output must be silence.
long mix_and_compare(const TAudioSample& reference, long from, long count, const std::vector<int>& pieces,
                     float volume = 1.0f) {
    std::vector<int16_t> out;
    long done = 0;
    for (size_t k = 0; done < count; k++) {
        int n = pieces[k % pieces.size()];
        if (n > count - done) n = (int)(count - done);
        out.assign((size_t)n * 2, 0x5555);
        mix_audio(out.data(), n);
        for (int i = 0; i < n; i++) {
            long frame = from + done + i;
            for (int c = 0; c < 2; c++) {
                int want = frame < reference.length ? (int)(reference.samples[frame * 2 + c] * volume) : 0;
                if (out[(size_t)i * 2 + c] != want) return done + i;
            }
        }
        done += n;
    }
    return -1;
}

TEST_F(StreamTest, StreamedMusicMixesToTheSameSamplesAsTheWholeDecodeToItsEnd) {
    TSound* music = load_sound(music_path, 0);
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->streamed);
    EXPECT_EQ(music->sample.samples, nullptr);
    EXPECT_EQ(music->sample.hertz, 44100);
    EXPECT_EQ(music->sample.length, whole->sample.length);
    TChannel* ch = play_sound(music);
    EXPECT_EQ(sound_decoders_open.load(), 1);
    const long length = whole->sample.length;
    // Odd piece sizes so that the decoder's refills fall at every offset.
    EXPECT_EQ(mix_and_compare(whole->sample, 0, 3 * 44100, {1, 300, 1023, 4999, 2048, 77}), -1);
    // Large pieces through the middle, then busy up to the very last frame.
    EXPECT_EQ(mix_and_compare(whole->sample, 3 * 44100, length - 10 - 3 * 44100, {44100}), -1);
    EXPECT_TRUE(channel_busy(ch));
    EXPECT_EQ(mix_and_compare(whole->sample, length - 10, 30, {7}), -1);  // the end, then silence
    EXPECT_FALSE(channel_busy(ch));
    EXPECT_EQ(sound_decoders_open.load(), 0) << "the decoder closes when the sound ends";
    free_sound(music);
}

TEST_F(StreamTest, StopSilencesAndARestartPlaysFromTheBeginningOnANewChannel) {
    TSound* music = load_sound(music_path, 0);
    ASSERT_NE(music, nullptr);
    TChannel* first = play_sound(music);
    EXPECT_EQ(mix_and_compare(whole->sample, 0, 5000, {1024}), -1);
    stop_channel(first);
    EXPECT_FALSE(channel_busy(first));
    EXPECT_EQ(sound_decoders_open.load(), 0);
    TAudioSample silence;  // length 0: all silence
    EXPECT_EQ(mix_and_compare(silence, 0, 3000, {1024}), -1);
    TChannel* second = play_sound(music);
    EXPECT_NE(second, first);
    EXPECT_TRUE(channel_busy(second));
    EXPECT_FALSE(channel_busy(first));
    set_channel_volume(second, 0.5f);
    EXPECT_EQ(mix_and_compare(whole->sample, 0, 5000, {1024}, 0.5f), -1);
    stop_channel(first);  // a stopped handle stays harmless
    EXPECT_TRUE(channel_busy(second));
    stop_channel(second);
    stop_channel(second);
    free_sound(music);
}

TEST_F(StreamTest, FreeingAPlayingStreamedSoundStopsAndClosesEveryChannel) {
    TSound* music = load_sound(music_path, 0);
    ASSERT_NE(music, nullptr);
    TChannel* a = play_sound(music);
    int16_t out[2048];
    mix_audio(out, 1000);
    TChannel* b = play_sound(music);
    mix_audio(out, 1000);
    EXPECT_EQ(sound_decoders_open.load(), 2);
    free_sound(music);
    EXPECT_FALSE(channel_busy(a));
    EXPECT_FALSE(channel_busy(b));
    EXPECT_EQ(sound_decoders_open.load(), 0);
    TAudioSample silence;
    EXPECT_EQ(mix_and_compare(silence, 0, 3000, {1024}), -1);
    stop_channel(a);
    set_channel_volume(b, 0.3f);
}

TEST_F(StreamTest, WithoutADeviceTheMusicIsMeasuredButNeverDecoded) {
    null_set_audio_device(false);
    TSound* music = load_sound(music_path, 0);
    ASSERT_NE(music, nullptr) << "the game relies on a valid sound";
    EXPECT_EQ(music->sample.samples, nullptr);
    EXPECT_EQ(music->sample.length, whole->sample.length);
    TChannel* ch = play_sound(music);
    ASSERT_NE(ch, nullptr);
    EXPECT_FALSE(channel_busy(ch));
    EXPECT_EQ(sound_decoders_open.load(), 0) << "playing opened the file";
    TAudioSample silence;
    EXPECT_EQ(mix_and_compare(silence, 0, 2048, {1024}), -1);
    free_sound(music);
}

// The device is looked for while the game starts: the music started in
// that time sounds from its first frame once a device opens, and is let go
// (its decoder closed) when none does.
TEST_F(StreamTest, MusicStartedWhileTheDeviceIsLookedForWaitsForItsAnswer) {
    null_set_audio_device(false);
    audio_device_pending.store(true);
    TSound* music = load_sound(music_path, 0);
    ASSERT_NE(music, nullptr);
    TChannel* early = play_sound(music);
    EXPECT_TRUE(channel_busy(early));
    audio_device_running.store(true);
    audio_device_pending.store(false);
    EXPECT_EQ(mix_and_compare(whole->sample, 0, 5000, {1024, 333}), -1) << "the music must start at its beginning";
    stop_channel(early);

    audio_device_running.store(false);
    audio_device_pending.store(true);
    TChannel* lost = play_sound(music);
    EXPECT_TRUE(channel_busy(lost));
    EXPECT_EQ(sound_decoders_open.load(), 1);
    silence_pending_channels();
    EXPECT_FALSE(audio_device_pending.load());
    EXPECT_FALSE(channel_busy(lost));
    EXPECT_EQ(sound_decoders_open.load(), 0) << "no device: the decoder must be closed";
    TChannel* later = play_sound(music);
    EXPECT_FALSE(channel_busy(later)) << "with the answer known, no channel sounds";
    free_sound(music);
}

TEST_F(StreamTest, DamagedOggFilesFailOrEndCleanly) {
    std::string bytes = music_bytes();
    ASSERT_GT(bytes.size(), 100000u);
    // A cut header or garbage after the capture pattern: Null, as for a whole decode.
    EXPECT_EQ(load_sound(write("head.ogg", bytes.substr(0, 200)), 0), nullptr);
    EXPECT_EQ(load_sound(write("garbage.ogg", "OggS" + std::string(5000, 'x')), 0), nullptr);
    EXPECT_EQ(load_sound(write("empty.ogg", ""), 0), nullptr);

    // Cut in the middle: the stream is as long as what is there and plays it like the whole decode.
    std::string half = write("half.ogg", bytes.substr(0, bytes.size() / 2));
    TSound* cut = load_sound(half, 0);
    TSound* cut_whole = load_sound(half, SOUND_DECODE_WHOLE);
    ASSERT_NE(cut, nullptr);
    ASSERT_NE(cut_whole, nullptr);
    EXPECT_LT(cut->sample.length, whole->sample.length);
    EXPECT_EQ(cut->sample.length, cut_whole->sample.length);
    TChannel* ch = play_sound(cut);
    EXPECT_EQ(mix_and_compare(cut_whole->sample, 0, cut_whole->sample.length + 500, {44100}), -1);
    EXPECT_FALSE(channel_busy(ch));
    free_sound(cut);
    free_sound(cut_whole);

    // Bytes overwritten in the middle: the whole decode may refuse the file,
    // the stream may skip or stop; either way the channel ends by itself.
    std::string hurt = bytes;
    for (size_t i = hurt.size() / 3; i < hurt.size() / 3 + 3000; i++) hurt[i] = (char)(i * 7);
    TSound* damaged = load_sound(write("hurt.ogg", hurt), 0);
    ASSERT_NE(damaged, nullptr) << "the header is intact";
    ch = play_sound(damaged);
    std::vector<int16_t> out(44100 * 2);
    for (long done = 0; done <= damaged->sample.length && channel_busy(ch); done += 44100) mix_audio(out.data(), 44100);
    EXPECT_FALSE(channel_busy(ch));
    free_sound(damaged);
}

TEST_F(StreamTest, ReplacedFileGivesASilentChannel) {
    std::string copy = write("copy.ogg", music_bytes());
    TSound* music = load_sound(copy, 0);
    ASSERT_NE(music, nullptr);
    unlink(copy.c_str());
    TChannel* ch = play_sound(music);
    ASSERT_NE(ch, nullptr);
    EXPECT_FALSE(channel_busy(ch));
    free_sound(music);
}

// The device thread mixes without pause while the main thread starts,
// stops, restarts and finally frees the music, as the game's cues do;
// run under ThreadSanitizer this shows the hand-over of the decoders.
TEST_F(StreamTest, MixingOnItsOwnThreadWhileTheGameStartsAndStopsTheMusic) {
    TSound* music = load_sound(music_path, 0);
    ASSERT_NE(music, nullptr);
    std::atomic<bool> stop{false};
    std::atomic<long> mixed{0};
    std::thread device([&] {
        std::vector<int16_t> out(1024 * 2);
        while (!stop.load()) {
            mix_audio(out.data(), 1024);
            mixed += 1024;
        }
    });
    TChannel* ch = nullptr;
    for (int round = 0; round < 300; round++) {
        if (!ch || !channel_busy(ch)) ch = play_sound(music);
        set_channel_volume(ch, 1.0f);
        if (round % 3 == 2) stop_channel(ch);
        if (round % 50 == 49) {
            TChannel* extra = play_sound(music);  // a second copy, freed with the sound below
            (void)extra;
        }
        std::this_thread::yield();
    }
    while (mixed.load() < 20 * 1024) std::this_thread::yield();
    free_sound(music);
    stop = true;
    device.join();
    EXPECT_FALSE(channel_busy(ch));
}

}  // namespace
