// The user's side of the file system: where his own data files belong
// (the XDG base-directory rule for the data folder) and whether this
// process may write into a folder. Depends on POSIX (getenv, getpwuid,
// access, readlink). Failures are results: "" or false.
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "media/system/system.h"

std::string user_home_folder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    // No usable HOME (a service, a stripped environment): the password entry.
    if (const passwd* entry = getpwuid(getuid()))
        if (entry->pw_dir && entry->pw_dir[0] == '/') return entry->pw_dir;
    return "";
}

std::string user_data_folder() {
    // A relative XDG_DATA_HOME is invalid and ignored, as the rule says.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return data;
    std::string home = user_home_folder();
    if (home.empty()) return "";
    return (home == "/" ? "" : home) + "/.local/share";
}

bool folder_writable(const std::string& path) { return !path.empty() && access(path.c_str(), W_OK | X_OK) == 0; }

std::string program_folder() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof buffer - 1)) return "";
    std::string exe(buffer, static_cast<size_t>(n));
    size_t slash = exe.rfind('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? std::string("/") : exe.substr(0, slash);
}
