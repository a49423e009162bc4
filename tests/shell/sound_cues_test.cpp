// The sound cues against the real mixer with a fake device that the test
// drives: nothing is loaded with sound off, effects overlap, the music
// keeps one channel and restarts from its beginning only once stopped.
#include <cstdlib>
#include <vector>

#include "media/null/null_backend.h"
#include "tests/shell/loop_fixture.h"
#include "tests/support/files.h"
#include "tests/support/sounds.h"
#include "tests/support/temp_folder.h"

namespace {

// A 16-bit stereo WAV at 44100 Hz whose frame i holds value(i) on both channels.
void write_wav(const std::string& path, int frames, int (*value)(int)) {
    std::string data;
    for (int i = 0; i < frames; i++) {
        support::put16(data, value(i));
        support::put16(data, value(i));
    }
    ASSERT_TRUE(support::write_text(path, support::wav_file(2, 44100, 16, data)));
}

int click_value(int) { return 1000; }
int magic_value(int) { return 500; }
int music_value(int i) { return i * 10; }  // a ramp shows where playing starts

// The left sample of each mixed frame.
std::vector<int> mix(int frames) {
    std::vector<int16_t> out(size_t(frames) * 2);
    mix_audio(out.data(), frames);
    std::vector<int> left;
    for (int i = 0; i < frames; i++) left.push_back(out[size_t(i) * 2]);
    return left;
}

struct SoundCues : LoopFixture {
    support::TempFolder temp{"sounds"};
    std::string folder;
    void SetUp() override {
        LoopFixture::SetUp();
        null_set_audio_device(true);
        folder = temp.path;
        ASSERT_FALSE(folder.empty());
        base_dir = folder + "/";
        click_sound = magic_sound = music_sound = nullptr;
        music_channel = nullptr;
        music_volume = 1.0f;
        mix(3 * 44100);  // whatever an earlier test left playing runs out
    }
    void TearDown() override {
        base_dir = "";
        LoopFixture::TearDown();
    }
    void make_sounds() {
        ASSERT_TRUE(create_dir(folder + "/sounds"));
        write_wav(folder + "/sounds/click.wav", 1000, click_value);
        write_wav(folder + "/sounds/magic.wav", 1000, magic_value);
        // The loader goes by content, so a WAV stands in for the Ogg file.
        write_wav(folder + "/sounds/music.ogg", 2000, music_value);
    }
};

TEST_F(SoundCues, WithSoundOffNothingIsLoadedOrPlayed) {
    make_sounds();
    pref_sound = 0;
    play_click();
    play_magic();
    start_music();
    EXPECT_EQ(click_sound, nullptr);
    EXPECT_EQ(magic_sound, nullptr);
    EXPECT_EQ(music_sound, nullptr);
    EXPECT_EQ(music_channel, nullptr);
    for (int v : mix(100)) ASSERT_EQ(v, 0);

    pref_sound = 1;
    play_click();
    EXPECT_NE(click_sound, nullptr);
    EXPECT_EQ(mix(1)[0], 1000);
}

TEST_F(SoundCues, AMissingSoundIsSilentAndTriedAgainAtTheNextCue) {
    pref_sound = 1;
    play_magic();
    start_music();
    EXPECT_EQ(magic_sound, nullptr);
    EXPECT_EQ(music_channel, nullptr);
    make_sounds();
    play_magic();
    EXPECT_NE(magic_sound, nullptr);
    EXPECT_EQ(mix(1)[0], 500);
}

TEST_F(SoundCues, TwoClicksOverlap) {
    make_sounds();
    pref_sound = 1;
    play_click();
    play_click();
    std::vector<int> left = mix(10);
    EXPECT_EQ(left[0], 2000);
    EXPECT_EQ(left[9], 2000);
}

TEST_F(SoundCues, StartingTheMusicWhilePlayingOnlySetsTheVolume) {
    make_sounds();
    pref_sound = 1;
    start_music();
    TChannel* first = music_channel;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(mix(100)[5], 50);
    set_channel_volume(first, 0.5f);
    start_music();
    EXPECT_EQ(music_channel, first);
    // One copy, at full volume again, going on from where it was.
    EXPECT_EQ(mix(1)[0], 1000);
}

TEST_F(SoundCues, AfterStopTheMusicStartsFromItsBeginningOnANewChannel) {
    make_sounds();
    pref_sound = 1;
    start_music();
    TChannel* first = music_channel;
    mix(500);
    stop_music();
    EXPECT_FALSE(channel_busy(first));
    EXPECT_EQ(music_channel, first);  // the stopped channel is kept
    for (int v : mix(10)) ASSERT_EQ(v, 0);
    start_music();
    EXPECT_NE(music_channel, first);
    EXPECT_TRUE(channel_busy(music_channel));
    std::vector<int> left = mix(3);
    EXPECT_EQ(left[0], 0);
    EXPECT_EQ(left[2], 20);
}

TEST_F(SoundCues, TheMusicPlaysOnceAndANewStartPlaysItAgain) {
    make_sounds();
    pref_sound = 1;
    start_music();
    TChannel* first = music_channel;
    mix(2000);
    EXPECT_FALSE(channel_busy(first));
    stop_music();  // nothing playing: nothing to do
    start_music();
    EXPECT_NE(music_channel, first);
    EXPECT_EQ(mix(2)[1], 10);
}

}  // namespace
