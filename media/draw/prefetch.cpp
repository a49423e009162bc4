// Decoding ahead: image files that the game will load soon are read and
// decoded on a worker thread while the main thread waits on something
// else (at start-up: the GL driver loading while the display opens). A
// later load of the same path takes the decoded pixels instead of decoding
// again, waiting for the worker when it is still at that file, and only
// when the file is the one the worker read (same size, time and inode).
// The worker decodes each file under the limits its load will apply, so
// that a hostile file costs no more ahead of its load than in it; a file
// refused under those limits is handed to the load as refused.
// Depends on the pixmap decoders and the C++ thread library; the worker
// touches nothing but its own entries and the files it reads.
#include <sys/stat.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "media/media_internal.h"

namespace {

enum { ENTRY_QUEUED, ENTRY_DECODING, ENTRY_DONE };

// Who the file was when the worker read it.
struct TFileIdentity {
    bool found = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified_ns = 0;
    bool operator==(const TFileIdentity& o) const {
        return found == o.found && device == o.device && inode == o.inode && size == o.size &&
               modified_ns == o.modified_ns;
    }
};

struct TPrefetchEntry {
    std::string path;
    TImageLimits limits;  // as the load will ask; max_pixels is set when the worker reaches a budgeted file
    int group = 0;        // entries of one prefetch_images call with a budget share it; 0 = none
    int state = ENTRY_QUEUED;
    bool abandoned = false;     // dropped while the worker decoded it: the worker frees it
    bool skipped = false;       // not decoded: its load decodes for itself
    TPixmap* pixmap = nullptr;  // the decoded file; Null when it did not decode
    TImageClaim claim;          // what the decode found (a refused file's claim)
    TFileIdentity identity;     // the file as read
};

// A run of files that share one pixel budget, as a jigsaw's pieces do.
struct TPrefetchGroup {
    int id = 0;
    int64_t remaining = 0;  // pixels the group's files not yet decoded may have
    bool stopped = false;   // a file was refused: its load stops there, so the rest are not decoded
};

// Everything the worker and the loads share, under its lock. Made once and
// never destroyed, so that a worker still running while the process ends
// finds it intact.
struct TPrefetch {
    std::mutex lock;
    std::condition_variable decoded;                       // an entry became ENTRY_DONE
    std::vector<std::unique_ptr<TPrefetchEntry>> entries;  // waiting to be taken, in the worker's order
    std::vector<TPrefetchGroup> groups;                    // budgets of the calls that gave one
    int last_group = 0;                                    // ids handed out so far
    bool worker_running = false;
};

}  // namespace

// --- kept for the run ---
static TPrefetch* prefetch = nullptr;  // made by the first prefetch_images
int prefetched_images_taken = 0;       // loads served by the worker so far (tests read it)

static TFileIdentity identify(const std::string& path) {
    TFileIdentity id;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return id;
    id.found = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.modified_ns = (int64_t)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

static TPrefetchGroup* find_group(TPrefetch* p, int id) {
    for (TPrefetchGroup& g : p->groups)
        if (g.id == id) return &g;
    return nullptr;
}

// Sets the entry's pixel limit from its group's budget as the load will
// (the pixels the files before it left); false when the budget is spent or
// the group stopped, so that the file is not decoded at all.
static bool budget_allows(TPrefetch* p, TPrefetchEntry* e) {
    TPrefetchGroup* g = e->group ? find_group(p, e->group) : nullptr;
    if (!g) return true;
    if (g->stopped || g->remaining <= 0) return false;
    e->limits.max_pixels = g->remaining;
    return true;
}

// Decodes the queued entries in order until none is left.
static void run_worker(TPrefetch* p) {
    std::unique_lock<std::mutex> held(p->lock);
    while (true) {
        TPrefetchEntry* next = nullptr;
        for (auto& e : p->entries)
            if (e->state == ENTRY_QUEUED) {
                next = e.get();
                break;
            }
        if (!next) break;
        if (!budget_allows(p, next)) {
            next->skipped = true;
            next->state = ENTRY_DONE;
            p->decoded.notify_all();
            continue;
        }
        next->state = ENTRY_DECODING;
        std::string path = next->path;
        TImageLimits limits = next->limits;
        held.unlock();
        TFileIdentity id = identify(path);
        TImageClaim claim;
        TPixmap* pixmap = id.found ? decode_pixmap_file(path, limits, &claim) : nullptr;
        held.lock();
        TPrefetchGroup* g = next->group ? find_group(p, next->group) : nullptr;
        if (g && pixmap) g->remaining -= (int64_t)pixmap->width * pixmap->height;
        if (g && !pixmap) g->stopped = true;
        if (next->abandoned) {
            free_pixmap(pixmap);
            delete next;
        } else {
            next->pixmap = pixmap;
            next->claim = claim;
            // A file that was missing, or that met no memory, is left to
            // its load: the first is reported there, the second may fit then.
            next->skipped = !id.found || claim.no_memory;
            next->identity = id;
            next->state = ENTRY_DONE;
        }
        p->decoded.notify_all();
    }
    p->worker_running = false;
    p->decoded.notify_all();
}

void prefetch_images(const std::vector<std::string>& paths, const TImageLimits& limits, int64_t pixel_budget) {
    if (paths.empty()) return;
    if (!prefetch) prefetch = new TPrefetch;
    std::lock_guard<std::mutex> held(prefetch->lock);
    int group = 0;
    if (pixel_budget > 0) {
        TPrefetchGroup g;
        g.id = group = ++prefetch->last_group;
        g.remaining = pixel_budget;
        prefetch->groups.push_back(g);
    }
    for (const std::string& path : paths) {
        auto entry = std::make_unique<TPrefetchEntry>();
        entry->path = path;
        entry->limits = limits;
        entry->group = group;
        prefetch->entries.push_back(std::move(entry));
    }
    if (!prefetch->worker_running) {
        prefetch->worker_running = true;
        try {
            std::thread(run_worker, prefetch).detach();
        } catch (const std::system_error&) {
            // No thread: every load decodes for itself.
            prefetch->worker_running = false;
            prefetch->entries.clear();
        }
    }
}

void drop_prefetched_images() {
    if (!prefetch) return;
    std::lock_guard<std::mutex> held(prefetch->lock);
    for (auto& e : prefetch->entries) {
        if (e->state == ENTRY_DECODING) {
            e->abandoned = true;
            e.release();  // the worker deletes it when it is done
        } else {
            free_pixmap(e->pixmap);
        }
    }
    prefetch->entries.clear();
    prefetch->groups.clear();
}

void wait_for_prefetch() {
    if (!prefetch) return;
    std::unique_lock<std::mutex> held(prefetch->lock);
    prefetch->decoded.wait(held, [] { return !prefetch->worker_running; });
}

static bool same_limits(const TImageLimits& a, const TImageLimits& b) {
    return a.max_width == b.max_width && a.max_height == b.max_height && a.max_pixels == b.max_pixels;
}

bool take_prefetched_pixmap(const std::string& path, const TImageLimits& limits, TPixmap** pixmap,
                            TImageClaim* claim) {
    *pixmap = nullptr;
    if (!prefetch) return false;
    std::unique_lock<std::mutex> held(prefetch->lock);
    auto& entries = prefetch->entries;
    size_t i = 0;
    while (i < entries.size() && entries[i]->path != path) i++;
    if (i == entries.size()) return false;
    // A file the worker has not reached yet is decoded by the caller: no
    // waiting behind the files queued before it.
    if (entries[i]->state == ENTRY_QUEUED) {
        entries.erase(entries.begin() + (long)i);
        return false;
    }
    prefetch->decoded.wait(held, [&] { return entries[i]->state == ENTRY_DONE; });
    std::unique_ptr<TPrefetchEntry> entry = std::move(entries[i]);
    entries.erase(entries.begin() + (long)i);
    held.unlock();
    if (entry->skipped || !(identify(path) == entry->identity)) {
        free_pixmap(entry->pixmap);
        return false;
    }
    if (!entry->pixmap) {
        // Refused under exactly the limits asked now: the same refusal,
        // without reading the file again. Other limits decode afresh.
        if (!same_limits(entry->limits, limits)) return false;
        if (claim) *claim = entry->claim;
        prefetched_images_taken++;
        return true;
    }
    *pixmap = entry->pixmap;
    prefetched_images_taken++;
    return true;
}
