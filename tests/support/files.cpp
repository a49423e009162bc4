#include "tests/support/files.h"

#include <fstream>
#include <iterator>

namespace support {

bool write_text(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    return !out.fail();
}

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    return write_text(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::string text = read_text(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string crlf_lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string crlf_lines(const std::vector<int>& numbers) {
    std::string text;
    for (int n : numbers) text += std::to_string(n) + "\r\n";
    return text;
}

}  // namespace support
