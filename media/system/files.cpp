// Files and folders: what exists at a path, making, listing and removing
// folders, and byte streams over C files with the game's text-line format
// (lines end at LF or NUL, CR bytes are dropped on reading; written lines
// end in CR LF). Depends on POSIX (stat, mkdir, opendir, unlink, rename).
// Failures are results only: 0, false, a Null stream, an empty line.
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "media/system/system.h"

struct TStream {
    FILE* file = nullptr;
    int64_t position = 0;  // bytes from the start
    int64_t size = 0;      // bytes in the file (grows as a written stream grows)
    bool failed = false;   // a write went wrong
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

bool rename_file(const std::string& from, const std::string& to) {
    std::string a = native_path(from), b = native_path(to);
    return !a.empty() && !b.empty() && rename(a.c_str(), b.c_str()) == 0;
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
// Streams
// ---------------------------------------------------------------------------

TStream* read_file(const std::string& path) {
    std::string p = native_path(path);
    if (p.empty()) return nullptr;
    FILE* f = fopen(p.c_str(), "rb");
    if (!f) return nullptr;
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        fclose(f);
        return nullptr;
    }
    TStream* s = new TStream;
    s->file = f;
    s->size = st.st_size;
    return s;
}

TStream* write_file(const std::string& path) {
    std::string p = native_path(path);
    if (p.empty()) return nullptr;
    FILE* f = fopen(p.c_str(), "wb");
    if (!f) return nullptr;
    TStream* s = new TStream;
    s->file = f;
    return s;
}

bool close_file(TStream* stream) {
    if (!stream) return false;
    bool ok = !stream->failed;
    if (stream->file && fclose(stream->file) != 0) ok = false;
    delete stream;
    return ok;
}

bool eof(TStream* stream) {
    return !stream || stream->position >= stream->size;
}

int stream_size(TStream* stream) {
    return stream ? (int)stream->size : 0;
}

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
        if (c != '\r') line += (char)c;
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
