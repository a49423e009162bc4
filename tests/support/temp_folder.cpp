// Temporary folders made with mkdtemp and removed with std::filesystem,
// never with the game's own delete, so that a broken delete cannot hide
// the mess it leaves.
#include "tests/support/temp_folder.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace support {

TempFolder::TempFolder(const std::string& stem) {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) return;  // no temporary folder: path stays empty
    std::string pattern = (base / (stem + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data())) path = buffer.data();
}

TempFolder::~TempFolder() {
    leave();
    remove();
}

bool TempFolder::enter() {
    if (path.empty()) return false;
    if (left_folder.empty()) {
        std::error_code ec;
        fs::path here = fs::current_path(ec);
        if (ec) return false;
        left_folder = here.string();
    }
    return chdir(path.c_str()) == 0;
}

bool TempFolder::leave() {
    if (left_folder.empty()) return true;
    bool back = chdir(left_folder.c_str()) == 0;
    left_folder.clear();
    return back;
}

bool TempFolder::remove() {
    if (path.empty() || getenv("TESSELLON_E2E_KEEP")) return true;
    std::error_code ec;
    // Folders whose write bit a test took away are opened up again first;
    // links are not followed.
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code ignored;
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    ec.clear();
    fs::remove_all(path, ec);
    return !ec && !fs::exists(fs::symlink_status(path, ec));
}

}  // namespace support
