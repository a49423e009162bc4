// WAV files made up byte by byte, for the sound loader and the sound cues.
#pragma once

#include <cstdint>
#include <string>

namespace support {

// Little-endian 16- and 32-bit numbers appended to a file image.
void put16(std::string& bytes, int value);
void put32(std::string& bytes, uint32_t value);
// A WAV file image: the RIFF header, a 16-byte fmt chunk (format_tag 1 is
// PCM) and the data chunk holding `data` as it is.
std::string wav_file(int channels, int hertz, int bits, const std::string& data, int format_tag = 1);

}  // namespace support
