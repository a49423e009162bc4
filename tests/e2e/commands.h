// Installing the build, for the install and package tests.
#pragma once

#include <string>

#include "tests/support/commands.h"

namespace e2e {

// Installs the build into prefix with cmake --install; its output in *output.
inline bool install_build(const std::string& prefix, std::string* output) {
    std::string command = support::shell_quoted(TEST_CMAKE_COMMAND) + " --install " +
                          support::shell_quoted(TEST_BUILD_DIR) + " --prefix " + support::shell_quoted(prefix);
    return support::run_command(command, output) == 0;
}

}  // namespace e2e
