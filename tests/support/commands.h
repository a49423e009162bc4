// Running a command line through the shell, for tests that run the build's
// tools, install the build or drive programs from outside.
#pragma once

#include <string>

namespace support {

// Runs the command line through /bin/sh; its exit status (-1 when it could
// not run or died of a signal). Standard output and error go to *output.
int run_command(const std::string& command, std::string* output = nullptr);
// The text quoted for the shell.
std::string shell_quoted(const std::string& text);

}  // namespace support
