#include "tests/support/sounds.h"

namespace support {

void put16(std::string& bytes, int value) {
    bytes += static_cast<char>(value & 255);
    bytes += static_cast<char>((value >> 8) & 255);
}

void put32(std::string& bytes, uint32_t value) {
    for (int i = 0; i < 4; i++) bytes += static_cast<char>((value >> (8 * i)) & 255);
}

std::string wav_file(int channels, int hertz, int bits, const std::string& data, int format_tag) {
    std::string s = "RIFF";
    put32(s, static_cast<uint32_t>(36 + data.size()));
    s += "WAVEfmt ";
    put32(s, 16);
    put16(s, format_tag);
    put16(s, channels);
    put32(s, static_cast<uint32_t>(hertz));
    put32(s, static_cast<uint32_t>(hertz * channels * bits / 8));  // bytes per second
    put16(s, channels * bits / 8);                                 // bytes per frame
    put16(s, bits);
    s += "data";
    put32(s, static_cast<uint32_t>(data.size()));
    return s + data;
}

}  // namespace support
