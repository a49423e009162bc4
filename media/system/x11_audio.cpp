// The sound device of the real backend: OSS "/dev/dsp" when it opens,
// else ALSA's "default" device, both 16-bit stereo at 44100 Hz. A thread
// opens the device (reading ALSA's configuration takes a while, so the
// window and the first frames do not wait for it) and then fills it from
// the shared mixer; when the device takes data faster than it plays (a
// file sink), the thread keeps pace with the clock.
// Depends on libasound and the OSS ioctls; runs silently when neither opens.
#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <linux/soundcard.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Kept for the run
// ---------------------------------------------------------------------------
static int oss_fd = -1;                      // open OSS device, -1 = none
static snd_pcm_t* alsa_pcm = nullptr;        // open ALSA device, Null = none
static std::thread mixer_thread;             // fills the device
static std::atomic<bool> mixer_stop{false};  // asks the thread to end (at exit)

enum {
    AUDIO_RATE = 44100,
    AUDIO_CHANNELS = 2,
    CHUNK_FRAMES = 1024,      // frames mixed per write, about 23 ms
    ALSA_LATENCY_US = 70000,  // device buffer asked of ALSA
    MAX_AHEAD_MS = 100,       // how far a non-blocking sink may run ahead of the clock
};

// libasound reports a missing sound card on stderr; the game stays silent instead.
static void silent_alsa_error(const char*, int, const char*, int, const char*, ...) {}

static bool open_oss() {
    int fd = open("/dev/dsp", O_WRONLY);
    if (fd < 0) return false;
    int format = AFMT_S16_LE, channels = AUDIO_CHANNELS, rate = AUDIO_RATE;
    int fragments = (8 << 16) | 11;  // 8 fragments of 2048 bytes keep the latency short
    ioctl(fd, SNDCTL_DSP_SETFRAGMENT, &fragments);
    if (ioctl(fd, SNDCTL_DSP_SETFMT, &format) < 0 || format != AFMT_S16_LE ||
        ioctl(fd, SNDCTL_DSP_CHANNELS, &channels) < 0 || channels != AUDIO_CHANNELS ||
        ioctl(fd, SNDCTL_DSP_SPEED, &rate) < 0 || rate < AUDIO_RATE * 98 / 100 || rate > AUDIO_RATE * 102 / 100) {
        close(fd);
        return false;
    }
    oss_fd = fd;
    return true;
}

static bool open_alsa() {
    snd_lib_error_set_handler(silent_alsa_error);
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) return false;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, AUDIO_CHANNELS, AUDIO_RATE, 1,
                           ALSA_LATENCY_US) < 0) {
        snd_pcm_close(pcm);
        return false;
    }
    alsa_pcm = pcm;
    return true;
}

// Writes one chunk whole; false when the device has failed for good.
static bool write_chunk(const int16_t* samples, int frames) {
    if (oss_fd >= 0) {
        const char* bytes = (const char*)samples;
        size_t left = (size_t)frames * AUDIO_CHANNELS * sizeof(int16_t);
        while (left > 0) {
            ssize_t written = write(oss_fd, bytes, left);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            bytes += written;
            left -= (size_t)written;
        }
        return true;
    }
    while (frames > 0) {
        snd_pcm_sframes_t written = snd_pcm_writei(alsa_pcm, samples, frames);
        if (written < 0) {
            // An underrun or a suspend: recover and go on; anything else ends output.
            if (snd_pcm_recover(alsa_pcm, (int)written, 1) < 0) return false;
            continue;
        }
        samples += written * AUDIO_CHANNELS;
        frames -= (int)written;
    }
    return true;
}

static void run_mixer() {
    // Channels started while the device was being looked for sound from
    // here on; without a device they are let go and the layer stays silent.
    if (!open_oss() && !open_alsa()) {
        silence_pending_channels();
        return;
    }
    audio_device_running.store(true);
    audio_device_pending.store(false);
    using clock = std::chrono::steady_clock;
    std::vector<int16_t> buffer(CHUNK_FRAMES * AUDIO_CHANNELS);
    clock::time_point start = clock::now();
    long long frames_done = 0;
    while (!mixer_stop.load()) {
        mix_audio(buffer.data(), CHUNK_FRAMES);
        clock::time_point before = clock::now();
        if (!write_chunk(buffer.data(), CHUNK_FRAMES)) break;
        clock::time_point after = clock::now();
        frames_done += CHUNK_FRAMES;
        long long played_ms = frames_done * 1000 / AUDIO_RATE;
        if (after - before > std::chrono::milliseconds(2)) {
            // The device blocked: it sets the pace. Re-anchor the clock on it.
            start = after - std::chrono::milliseconds(played_ms);
            continue;
        }
        long long elapsed_ms = std::chrono::duration_cast<std::chrono::milliseconds>(after - start).count();
        if (played_ms - elapsed_ms > MAX_AHEAD_MS)
            std::this_thread::sleep_for(std::chrono::milliseconds(played_ms - elapsed_ms - MAX_AHEAD_MS / 2));
    }
}

// Ends the thread before the mixer's globals are destroyed at exit.
static void stop_audio() {
    mixer_stop.store(true);
    if (mixer_thread.joinable()) mixer_thread.join();
    if (alsa_pcm) {
        snd_pcm_drop(alsa_pcm);
        snd_pcm_close(alsa_pcm);
        alsa_pcm = nullptr;
    }
    if (oss_fd >= 0) {
        close(oss_fd);
        oss_fd = -1;
    }
}

// The device is looked for on the mixing thread: this returns at once and
// audio_device_running turns true once (and if) a device opened.
bool backend_start_audio() {
    if (mixer_thread.joinable()) return false;
    mixer_stop.store(false);
    audio_device_pending.store(true);
    mixer_thread = std::thread(run_mixer);
    atexit(stop_audio);
    return false;
}
