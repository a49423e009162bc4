// Small helpers of the install and package tests: running a command line
// through the shell with its output, a temporary folder that removes
// itself, and running a program as another user.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

// Runs the command line through /bin/sh; its exit status (-1 when it could
// not run or died of a signal), standard output and error into *output.
inline int run_command(const std::string& command, std::string* output = nullptr) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    int status = pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The text quoted for the shell.
inline std::string shell_quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// A fresh folder under the system's temporary folder, removed with all its
// contents (write bits given back first) when the object goes.
struct TempFolder {
    std::string path;
    explicit TempFolder(const std::string& stem) {
        std::string pattern = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back(0);
        if (mkdtemp(buffer.data())) path = buffer.data();
    }
    ~TempFolder() {
        if (path.empty() || std::getenv("TESSELLON_E2E_KEEP")) return;
        run_command("chmod -R u+w " + shell_quoted(path));
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
};

// Installs the build into prefix with cmake --install; its output in *output.
inline bool install_build(const std::string& prefix, std::string* output) {
    return run_command(shell_quoted(TEST_CMAKE_COMMAND) + " --install " + shell_quoted(TEST_BUILD_DIR) + " --prefix " +
                           shell_quoted(prefix),
                       output) == 0;
}

}  // namespace e2e
