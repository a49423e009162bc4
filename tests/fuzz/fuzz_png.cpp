// The PNG decoder on arbitrary bytes (see fuzz_image.h). Every chunk's
// checksum is made right first: libpng refuses a chunk whose checksum is
// wrong, so without this nearly every mutation would stop there.
#include <vector>

#include "tests/fuzz/fuzz_image.h"
#include "tests/media_draw/draw_test_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    size_t at = 8;  // past the signature
    while (at + 12 <= bytes.size()) {
        uint32_t length = (uint32_t(bytes[at]) << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
        if (length > bytes.size() - at - 12) break;
        uint32_t crc = crc32_of(bytes.data() + at + 4, length + 4);
        size_t end = at + 8 + length;
        for (int i = 0; i < 4; i++) bytes[end + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        at = end + 4;
    }
    return fuzz_decoder(DECODE_PNG, bytes.data(), bytes.size());
}
