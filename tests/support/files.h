// Whole files as text or bytes, read and written with the standard library
// (not the game's file layer, which is under test).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace support {

// Writes the text exactly as given (no line ends added); false on failure.
bool write_text(const std::string& path, const std::string& text);
// The whole file; empty when it is missing.
std::string read_text(const std::string& path);
bool write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> read_bytes(const std::string& path);
// The lines joined with CR LF after each, as the game writes its text files.
std::string crlf_lines(const std::vector<std::string>& lines);
std::string crlf_lines(const std::vector<int>& numbers);

}  // namespace support
