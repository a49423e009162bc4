// The background writer of a saved game. The main thread takes the copy
// (the numbers, and the board grabbed through GL, which only it may call);
// a thread of its own scales the grab, encodes the PNG and writes and syncs
// both files, so that none of that holds up a frame. One write at a time;
// every other writer or reader of a saved game first collects it, so two
// writers never race on the same files.
#include <atomic>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <thread>

#include "library/library.h"

// One background write. The copy is the writer thread's from its start
// until `written` is set, the main thread's again after that.
struct background_write {
    saved_game_copy copy;
    std::atomic<bool> written{false};
    ~background_write() { free_pixmap(copy.board); }  // a write left to end alone
};

enum { WRITER_POLL_MS = 1 };  // how often a waiting main thread looks again

// --- the background write, kept for the run ---
static std::shared_ptr<background_write> current_write;  // the write not yet collected; Null = none
static std::thread writer_thread;                        // its thread; not joinable when none was started

static void run_writer(std::shared_ptr<background_write> job) {
    write_saved_game_copy(&job->copy);
    job->written.store(true, std::memory_order_release);
}

bool background_save_running() { return current_write != nullptr; }

// Every way the program ends through exit() collects the write first, also
// those that save nothing (Escape over the opening or a zoomed help page):
// a thread still joinable when the statics go would abort the program.
static void collect_at_exit() { finish_background_save(true); }

bool start_background_save() {
    if (current_write) return false;
    std::shared_ptr<background_write> job = std::make_shared<background_write>();
    std::string problem;
    if (!take_saved_game(&job->copy, &problem)) return false;
    static bool collected_at_exit = atexit(collect_at_exit) == 0;
    (void)collected_at_exit;
    current_write = job;
    try {
        writer_thread = std::thread(run_writer, job);
    } catch (const std::system_error&) {
        run_writer(job);  // no thread to be had: written at once, as S writes
    }
    return true;
}

void finish_background_save(bool wait) {
    if (!current_write) return;
    int start = clock_ms();
    while (wait && !current_write->written.load(std::memory_order_acquire) && clock_ms() - start < SAVE_WRITER_WAIT_MS)
        delay(WRITER_POLL_MS);
    if (!current_write->written.load(std::memory_order_acquire)) {
        if (!wait) return;
        // Stalled (a disk that does not answer): the thread keeps its copy
        // and ends alone; the game counts as unsaved and is saved again.
        writer_thread.detach();
        current_write.reset();
        return;
    }
    if (writer_thread.joinable()) writer_thread.join();
    std::string problem;  // the player is not waiting for this save: nothing is shown
    finish_saved_game_copy(&current_write->copy, &problem);
    current_write.reset();
}
