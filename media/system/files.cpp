// Files and folders: what exists at a path, making, listing and removing
// folders, and byte streams over C files with the game's text-line format
// (lines end at LF or NUL, CR bytes are dropped on reading; written lines
// end in CR LF). Also the one place where the media layer opens a file to
// read (only regular files, never blocking) and the one place where it
// writes one: into a temporary file beside the target, synced, then renamed
// over it, so the target is always its old content or the new one, whole.
// Depends on POSIX (open, fstat, fcntl, fsync, mkdir, opendir, rename).
// Failures are results only: 0, false, a Null stream, an empty line.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Kept for the run
// ---------------------------------------------------------------------------
// A saved game may be written on a thread of its own while the main thread
// writes other files: the counters are atomic, the faults' counts locked.
std::atomic<int> files_synced{0};             // files and folders flushed to disk so far
TFileFaults file_faults;                      // faults injected into written files; none unless a test sets them
static std::mutex file_faults_lock;           // guards the faults' file counts as files begin
static std::atomic<unsigned> temp_serial{0};  // temporary files named by this process

// No line of the game's files comes near this; longer lines keep their start.
static const size_t READ_LINE_MAX_BYTES = 4096;

struct TStream {
    FILE* file = nullptr;
    int64_t position = 0;  // bytes from the start
    int64_t size = 0;      // bytes in the file (grows as a written stream grows)
    bool failed = false;   // a write went wrong
    bool written = false;  // opened by write_file: `out` replaces the target on closing
    TNewFile out;          // the temporary file of a written stream (its file is `file`)
};

// "\" as "/", and no trailing "/" except for the root itself.
static std::string native_path(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

// ---------------------------------------------------------------------------
// Paths and folders
// ---------------------------------------------------------------------------

int path_kind(const std::string& path) {
    std::string p = native_path(path);
    struct stat st;
    if (p.empty() || stat(p.c_str(), &st) != 0) return 0;
    if (S_ISREG(st.st_mode)) return 1;
    if (S_ISDIR(st.st_mode)) return 2;
    return 0;
}

bool create_dir(const std::string& path) {
    std::string p = native_path(path);
    if (p.empty()) return false;
    mkdir(p.c_str(), 01777);
    return path_kind(p) == 2;
}

// Removes a folder's entries, then the folder. Entries are examined with
// lstat, so a symbolic link (to a file or a folder) is unlinked itself and
// whatever it points at is never touched.
static void remove_tree(const std::string& p) {
    DIR* dir = opendir(p.c_str());
    if (!dir) return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.empty() || name == "." || name == "..") continue;
        names.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : names) {
        std::string child = p == "/" ? "/" + name : p + "/" + name;
        struct stat st;
        if (lstat(child.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            remove_tree(child);
            rmdir(child.c_str());
        } else {
            unlink(child.c_str());
        }
    }
}

bool delete_dir(const std::string& path, bool recurse) {
    std::string p = native_path(path);
    if (p.empty()) return false;
    struct stat st;
    if (lstat(p.c_str(), &st) != 0) return true;
    if (recurse && S_ISDIR(st.st_mode)) remove_tree(p);
    rmdir(p.c_str());
    return lstat(p.c_str(), &st) != 0;
}

bool delete_file(const std::string& path) {
    std::string p = native_path(path);
    return !p.empty() && unlink(p.c_str()) == 0;
}

// Flushes a folder's entries to disk, so a rename into it survives a
// power cut. Some file systems refuse to sync a folder; that is no error.
static void sync_folder(const std::string& file) {
    size_t slash = file.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (fsync(fd) == 0) files_synced++;
    close(fd);
}

bool rename_file(const std::string& from, const std::string& to) {
    std::string a = native_path(from), b = native_path(to);
    if (a.empty() || b.empty() || rename(a.c_str(), b.c_str()) != 0) return false;
    sync_folder(b);
    return true;
}

// Through a descriptor opened without following a link, so a link planted
// at path never passes the mode on to the file it points at.
void set_file_mode(const std::string& path, int mode) {
    std::string p = native_path(path);
    if (p.empty()) return;
    int fd = open(p.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st;
    if (fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) fchmod(fd, (mode_t)(mode & 07777));
    close(fd);
}

void* open_dir(const std::string& path) {
    std::string p = native_path(path);
    if (p.empty()) return nullptr;
    return opendir(p.c_str());
}

std::string next_dir_entry(void* dir) {
    if (!dir) return "";
    dirent* entry = readdir((DIR*)dir);
    return entry ? std::string(entry->d_name) : std::string();
}

void close_dir(void* dir) {
    if (dir) closedir((DIR*)dir);
}

// ---------------------------------------------------------------------------
// Opening and finishing files (shared by every reader and writer of media/)
// ---------------------------------------------------------------------------

// Non-blocking so that neither a FIFO without a writer nor a device can
// stall the open; blocking again once fstat has said what it is.
static int open_unblocked(const std::string& path, int how, struct stat* st) {
    int fd = open(path.c_str(), how | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, st) != 0 || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

FILE* open_regular_file(const std::string& path, int64_t* size) {
    std::string p = native_path(path);
    if (p.empty()) return nullptr;
    struct stat st;
    int fd = open_unblocked(p, O_RDONLY, &st);
    if (fd < 0) return nullptr;
    FILE* f = S_ISREG(st.st_mode) ? fdopen(fd, "rb") : nullptr;
    if (!f) {
        close(fd);
        return nullptr;
    }
    if (size) *size = st.st_size;
    return f;
}

bool begin_file_read(const std::string& path, int64_t max_bytes, int64_t header_bytes, TFileRead* read) {
    end_file_read(read);
    int64_t size = 0;
    FILE* f = open_regular_file(path, &size);
    if (!f) return false;
    if (size < 0 || size > max_bytes) {
        fclose(f);
        return false;
    }
    read->file = f;
    read->size = size;
    int64_t first = header_bytes < size ? header_bytes : size;
    try {
        read->bytes.resize(static_cast<size_t>(first < 0 ? 0 : first));
    } catch (const std::bad_alloc&) {
        end_file_read(read);
        return false;
    }
    if (!read->bytes.empty() && fread(read->bytes.data(), 1, read->bytes.size(), f) != read->bytes.size()) {
        end_file_read(read);
        return false;
    }
    return true;
}

bool finish_file_read(TFileRead* read) {
    if (!read->file) return false;
    size_t have = read->bytes.size();
    bool ok = true;
    try {
        read->bytes.resize(static_cast<size_t>(read->size));
    } catch (const std::bad_alloc&) {
        ok = false;  // the caller's usual failure; the file is still closed
    }
    size_t rest = ok ? read->bytes.size() - have : 0;
    if (ok && rest > 0) ok = fread(read->bytes.data() + have, 1, rest, read->file) == rest;
    fclose(read->file);
    read->file = nullptr;
    if (!ok) std::vector<uint8_t>().swap(read->bytes);
    return ok;
}

void end_file_read(TFileRead* read) {
    if (read->file) fclose(read->file);
    read->file = nullptr;
    read->size = 0;
    std::vector<uint8_t>().swap(read->bytes);
}

bool read_regular_file(const std::string& path, int64_t max_bytes, std::vector<uint8_t>* bytes) {
    TFileRead read;
    bool ok = begin_file_read(path, max_bytes, 0, &read) && finish_file_read(&read);
    if (ok) bytes->swap(read.bytes);
    end_file_read(&read);
    return ok;
}

int file_problem(const std::string& path, int64_t max_bytes) {
    std::string p = native_path(path);
    struct stat st;
    if (p.empty() || stat(p.c_str(), &st) != 0) return FILE_MISSING;
    if (S_ISDIR(st.st_mode)) return FILE_FOLDER;
    if (!S_ISREG(st.st_mode)) return FILE_SPECIAL;
    if (max_bytes >= 0 && st.st_size > max_bytes) return FILE_TOO_LARGE;
    FILE* f = open_regular_file(path, nullptr);
    if (!f) return FILE_UNREADABLE;
    fclose(f);
    return FILE_READABLE;
}

std::string file_problem_text(int problem) {
    switch (problem) {
    case FILE_MISSING: return "it is missing";
    case FILE_FOLDER: return "it is a folder";
    case FILE_SPECIAL: return "it is not a regular file";
    case FILE_TOO_LARGE: return "the file is too large";
    case FILE_UNREADABLE: return "it cannot be read (permission denied)";
    }
    return "";
}

// ---------------------------------------------------------------------------
// Writing a file whole: a temporary file beside the target, renamed over it
// ---------------------------------------------------------------------------

// Temporary names are "." + at most this many bytes of the target's name +
// "." + pid + "." + serial + ".tmp": under 60 bytes, so a target whose own
// name is as long as the file system allows can still be written.
static const size_t TEMP_NAME_PREFIX_BYTES = 24;
// Creation attempts before giving up, when a stale file of a crashed run
// (same pid, same serial) is in the way.
static const int TEMP_NAME_TRIES = 16;

bool begin_new_file(const std::string& path, TNewFile* out) {
    *out = TNewFile();
    std::string target = native_path(path);
    if (target.empty() || target == "/") return false;
    // A symbolic link is replaced as a link; a folder, FIFO or device
    // is not a file the game may replace.
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return false;
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string prefix = "." + name.substr(0, TEMP_NAME_PREFIX_BYTES) + "." + std::to_string(getpid()) + ".";
    int fd = -1;
    std::string temp;
    for (int attempt = 0; attempt < TEMP_NAME_TRIES && fd < 0; attempt++) {
        temp = folder + prefix + std::to_string(temp_serial++) + ".tmp";
        // O_EXCL with O_NOFOLLOW: a file or link planted under the
        // temporary name is never opened, only stepped around.
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    out->file = f;
    out->temp = temp;
    out->target = target;
    std::lock_guard<std::mutex> held(file_faults_lock);
    out->faulty = file_faults.spare_files <= 0;
    if (file_faults.spare_files > 0) file_faults.spare_files--;
    out->slow = file_faults.slow_files > 0;
    if (out->slow) file_faults.slow_files--;
    return true;
}

size_t write_new_file(TNewFile* f, const void* data, size_t size) {
    if (!f || !f->file || f->failed) return 0;
    size_t allowed = size;
    if (f->faulty && file_faults.fail_after_bytes >= 0) {
        int64_t room = file_faults.fail_after_bytes - f->written;
        if (room < 0) room = 0;
        if ((int64_t)size > room) allowed = (size_t)room;  // the disk fills up part way
    }
    size_t n = allowed > 0 ? fwrite(data, 1, allowed, f->file) : 0;
    f->written += (int64_t)n;
    if (n < size) f->failed = true;
    return n;
}

void discard_new_file(TNewFile* f) {
    if (!f || !f->file) return;
    fclose(f->file);
    unlink(f->temp.c_str());
    f->file = nullptr;
}

bool commit_new_file(TNewFile* f) {
    if (!f || !f->file) return false;
    if (f->slow) std::this_thread::sleep_for(std::chrono::milliseconds(file_faults.slow_commit_ms));
    bool ok = !f->failed && fflush(f->file) == 0;
    // Synced before the rename: after a power cut the target is the old
    // file or the new one, never a new name on missing bytes.
    if (ok) ok = !(f->faulty && file_faults.fail_sync) && fsync(fileno(f->file)) == 0;
    if (ok) files_synced++;
    if (fclose(f->file) != 0) ok = false;
    f->file = nullptr;
    if (ok) ok = !(f->faulty && file_faults.fail_rename) && rename(f->temp.c_str(), f->target.c_str()) == 0;
    if (!ok) {
        unlink(f->temp.c_str());
        return false;
    }
    sync_folder(f->target);
    return true;
}

// ---------------------------------------------------------------------------
// Streams
// ---------------------------------------------------------------------------

TStream* read_file(const std::string& path) {
    int64_t size = 0;
    FILE* f = open_regular_file(path, &size);
    if (!f) return nullptr;
    if (size > TEXT_FILE_MAX_BYTES) {
        fclose(f);
        return nullptr;
    }
    TStream* s = new TStream;
    s->file = f;
    s->size = size;
    return s;
}

TStream* write_file(const std::string& path) {
    TNewFile out;
    if (!begin_new_file(path, &out)) return nullptr;
    TStream* s = new TStream;
    s->file = out.file;
    s->written = true;
    s->out = out;
    return s;
}

bool close_file(TStream* stream) {
    if (!stream) return false;
    bool ok = !stream->failed;
    if (stream->written) {
        if (!ok) {
            discard_new_file(&stream->out);
        } else if (!commit_new_file(&stream->out)) {
            ok = false;
        }
    } else if (stream->file && fclose(stream->file) != 0) {
        ok = false;
    }
    delete stream;
    return ok;
}

bool eof(TStream* stream) { return !stream || stream->position >= stream->size; }

int stream_size(TStream* stream) { return stream ? (int)stream->size : 0; }

std::string read_line(TStream* stream) {
    std::string line;
    if (!stream) return line;
    while (stream->position < stream->size) {
        int c = getc(stream->file);
        if (c == EOF) {
            stream->size = stream->position;  // the file shrank under us
            break;
        }
        stream->position++;
        if (c == '\n' || c == 0) break;
        // Bytes past the limit are read and dropped, so a file without
        // line ends cannot make one line as large as itself.
        if (c != '\r' && line.size() < READ_LINE_MAX_BYTES) line += (char)c;
    }
    return line;
}

int read_bytes(TStream* stream, void* data, int size) {
    if (!stream || !data || size <= 0) return 0;
    size_t n = fread(data, 1, (size_t)size, stream->file);
    stream->position += (int64_t)n;
    if (n < (size_t)size && stream->position < stream->size) stream->size = stream->position;
    return (int)n;
}

int write_bytes(TStream* stream, const void* data, int size) {
    if (!stream || !data || size <= 0) return 0;
    if (!stream->written) {
        stream->failed = true;  // a stream opened for reading
        return 0;
    }
    size_t n = write_new_file(&stream->out, data, (size_t)size);
    if (n < (size_t)size) stream->failed = true;
    stream->position += (int64_t)n;
    if (stream->position > stream->size) stream->size = stream->position;
    return (int)n;
}

bool write_line(TStream* stream, const std::string& text) {
    if (!stream) return false;
    std::string bytes = text + "\r\n";
    return write_bytes(stream, bytes.data(), (int)bytes.size()) == (int)bytes.size();
}
