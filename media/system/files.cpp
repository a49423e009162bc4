// Files and folders: what exists at a path, making, listing and removing
// folders, and byte streams over C files with the game's text-line format
// (lines end at LF or NUL, CR bytes are dropped on reading; written lines
// end in CR LF). Also the one place where the media layer opens a file to
// read (only regular files, never blocking) and makes written files and
// renames durable (fsync of the file, then of its folder).
// Depends on POSIX (open, fstat, fcntl, fsync, mkdir, opendir, rename).
// Failures are results only: 0, false, a Null stream, an empty line.
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Kept for the run
// ---------------------------------------------------------------------------
int files_synced = 0;  // files and folders flushed to disk so far

// No line of the game's files comes near this; longer lines keep their start.
static const size_t READ_LINE_MAX_BYTES = 4096;

struct TStream {
    FILE* file = nullptr;
    int64_t position = 0;  // bytes from the start
    int64_t size = 0;      // bytes in the file (grows as a written stream grows)
    bool failed = false;   // a write went wrong
    bool written = false;  // opened by write_file: flushed to disk on closing
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

void set_file_mode(const std::string& path, int mode) {
    std::string p = native_path(path);
    if (!p.empty()) chmod(p.c_str(), (mode_t)(mode & 07777));
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

FILE* open_new_file(const std::string& path) {
    std::string p = native_path(path);
    if (p.empty()) return nullptr;
    struct stat st;
    int fd = open_unblocked(p, O_WRONLY | O_CREAT | O_TRUNC, &st);
    if (fd < 0) return nullptr;
    FILE* f = fdopen(fd, "wb");
    if (!f) close(fd);
    return f;
}

bool finish_new_file(FILE* file) {
    if (!file) return false;
    bool ok = fflush(file) == 0;
    // Regular files are flushed to disk before anyone renames them into
    // place; a device (a test's /dev/full) has nothing to sync.
    struct stat st;
    if (ok && fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode)) {
        ok = fsync(fileno(file)) == 0;
        if (ok) files_synced++;
    }
    if (fclose(file) != 0) ok = false;
    return ok;
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
    FILE* f = open_new_file(path);
    if (!f) return nullptr;
    TStream* s = new TStream;
    s->file = f;
    s->written = true;
    return s;
}

bool close_file(TStream* stream) {
    if (!stream) return false;
    bool ok = !stream->failed;
    if (stream->written) {
        if (!finish_new_file(stream->file)) ok = false;
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
    size_t n = fwrite(data, 1, (size_t)size, stream->file);
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
