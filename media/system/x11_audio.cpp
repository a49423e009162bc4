// The sound device of the real backend: OSS "/dev/dsp" when it opens,
// else ALSA's "default" device, both 16-bit stereo at 44100 Hz. A thread
// opens the device (reading ALSA's configuration takes a while, so the
// window and the first frames do not wait for it) and then fills it from
// the shared mixer; when the device takes data faster than it plays (a
// file sink), the thread keeps pace with the clock. Both devices are
// opened and written without blocking, so the thread notices within a
// poll's time that it should end; the thread owns its device and closes it
// itself, and the exit never waits long for it (a driver or an ALSA plugin
// may still stall), so quitting cannot hang on the sound device.
// Depends on libasound and the OSS ioctls; runs silently when neither opens.
#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <linux/soundcard.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "media/draw/x11_backend.h"
#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Kept for the run
// ---------------------------------------------------------------------------
const char* x11_oss_device = "/dev/dsp";     // the OSS device tried first
static std::thread mixer_thread;             // fills the device; not joinable once ended or left behind
static std::atomic<int> mixer_run{0};        // number of the run the thread serves; a new number ends it
static std::atomic<int> mixer_ended_run{0};  // the run whose thread has returned
static bool stop_registered = false;         // x11_stop_audio is among the exit handlers

enum {
    AUDIO_RATE = 44100,
    AUDIO_CHANNELS = 2,
    CHUNK_FRAMES = 1024,      // frames mixed per write, about 23 ms
    ALSA_LATENCY_US = 70000,  // device buffer asked of ALSA
    MAX_AHEAD_MS = 100,       // how far a non-blocking sink may run ahead of the clock
    WAIT_SLICE_MS = 50,       // longest wait for room in the device between looks at the stop
    STOP_WAIT_MS = 300,       // how long the exit waits for the thread to end
};

// The device one run of the thread opened; it belongs to that thread alone.
struct TAudioDevice {
    int oss_fd = -1;           // open OSS device, -1 = none
    snd_pcm_t* pcm = nullptr;  // open ALSA device, Null = none
};

// libasound reports a missing sound card on stderr; the game stays silent instead.
static void silent_alsa_error(const char*, int, const char*, int, const char*, ...) {}

static bool open_oss(TAudioDevice* device) {
    // Without O_NONBLOCK a busy device, or a FIFO nobody reads, holds the open for ever.
    int fd = open(x11_oss_device, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
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
    device->oss_fd = fd;
    return true;
}

static bool open_alsa(TAudioDevice* device) {
    snd_lib_error_set_handler(silent_alsa_error);
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return false;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, AUDIO_CHANNELS, AUDIO_RATE, 1,
                           ALSA_LATENCY_US) < 0) {
        snd_pcm_close(pcm);
        return false;
    }
    device->pcm = pcm;
    return true;
}

static void close_device(TAudioDevice* device) {
    if (device->pcm) {
        snd_pcm_drop(device->pcm);
        snd_pcm_close(device->pcm);
        device->pcm = nullptr;
    }
    if (device->oss_fd >= 0) {
        close(device->oss_fd);
        device->oss_fd = -1;
    }
}

// Writes one chunk whole, waiting for room a slice at a time; false when
// the device has failed for good or the run was told to end.
static bool write_chunk(TAudioDevice* device, const int16_t* samples, int frames, int run) {
    if (device->oss_fd >= 0) {
        const char* bytes = (const char*)samples;
        size_t left = (size_t)frames * AUDIO_CHANNELS * sizeof(int16_t);
        while (left > 0) {
            if (mixer_run.load() != run) return false;
            ssize_t written = write(device->oss_fd, bytes, left);
            if (written < 0 && errno == EINTR) continue;
            if (written < 0 && errno == EAGAIN) {
                pollfd room = {device->oss_fd, POLLOUT, 0};
                if (poll(&room, 1, WAIT_SLICE_MS) < 0 && errno != EINTR) return false;
                continue;
            }
            if (written <= 0) return false;
            bytes += written;
            left -= (size_t)written;
        }
        return true;
    }
    while (frames > 0) {
        if (mixer_run.load() != run) return false;
        snd_pcm_sframes_t written = snd_pcm_writei(device->pcm, samples, frames);
        if (written == -EAGAIN) {
            snd_pcm_wait(device->pcm, WAIT_SLICE_MS);
            continue;
        }
        if (written < 0) {
            // An underrun or a suspend: recover and go on; anything else ends output.
            if (snd_pcm_recover(device->pcm, (int)written, 1) < 0) return false;
            continue;
        }
        samples += written * AUDIO_CHANNELS;
        frames -= (int)written;
    }
    return true;
}

static void play_to_device(TAudioDevice* device, int run) {
    using clock = std::chrono::steady_clock;
    std::vector<int16_t> buffer(CHUNK_FRAMES * AUDIO_CHANNELS);
    clock::time_point start = clock::now();
    long long frames_done = 0;
    while (mixer_run.load() == run) {
        mix_audio(buffer.data(), CHUNK_FRAMES);
        clock::time_point before = clock::now();
        if (!write_chunk(device, buffer.data(), CHUNK_FRAMES, run)) break;
        clock::time_point after = clock::now();
        frames_done += CHUNK_FRAMES;
        long long played_ms = frames_done * 1000 / AUDIO_RATE;
        if (after - before > std::chrono::milliseconds(2)) {
            // The device made the thread wait: it sets the pace. Re-anchor the clock on it.
            start = after - std::chrono::milliseconds(played_ms);
            continue;
        }
        long long elapsed_ms = std::chrono::duration_cast<std::chrono::milliseconds>(after - start).count();
        if (played_ms - elapsed_ms > MAX_AHEAD_MS)
            std::this_thread::sleep_for(std::chrono::milliseconds(played_ms - elapsed_ms - MAX_AHEAD_MS / 2));
    }
}

static void run_mixer(int run) {
    // Channels started while the device was being looked for sound from
    // here on; without a device they are let go and the layer stays silent.
    TAudioDevice device;
    if (!open_oss(&device) && !open_alsa(&device)) {
        silence_pending_channels();
    } else if (mixer_run.load() == run) {
        audio_device_running.store(true);
        audio_device_pending.store(false);
        play_to_device(&device, run);
    }
    // Also when an open that stalled returns long after the exit gave up on it.
    close_device(&device);
    mixer_ended_run.store(run);
}

void x11_stop_audio() {
    if (!mixer_thread.joinable()) return;
    int run = mixer_run.load();
    mixer_run.store(run + 1);
    audio_device_running.store(false);
    audio_device_pending.store(false);
    for (int waited = 0; mixer_ended_run.load() != run && waited < STOP_WAIT_MS; waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (true)
        mixer_thread.join();
    else
        mixer_thread.detach();  // held by the device; the process's end takes it along
}

// The device is looked for on the mixing thread: this returns at once and
// audio_device_running turns true once (and if) a device opened.
bool backend_start_audio() {
    if (mixer_thread.joinable()) return false;
    int run = mixer_run.load() + 1;
    mixer_run.store(run);
    audio_device_pending.store(true);
    mixer_thread = std::thread(run_mixer, run);
    if (!stop_registered) atexit(x11_stop_audio);
    stop_registered = true;
    return false;
}
