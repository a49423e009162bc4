// The null backend's sound device and video mode: no device unless a test
// asks for a fake one (the test then pulls frames with mix_audio itself),
// and restoring the video mode only counts the calls.
#include "media/media_internal.h"
#include "media/null/null_backend.h"

// --- kept for the run ---
static bool fake_audio_device = false;  // backend_start_audio's answer
static int restore_calls = 0;           // backend_restore_video_mode calls

void null_set_audio_device(bool present) {
    fake_audio_device = present;
    audio_device_running = present;
}

bool backend_start_audio() { return fake_audio_device; }

void backend_restore_video_mode() { restore_calls++; }

int null_restore_calls() { return restore_calls; }
