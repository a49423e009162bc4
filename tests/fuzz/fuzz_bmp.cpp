// The BMP decoder on arbitrary bytes (see fuzz_image.h).
#include "tests/fuzz/fuzz_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_decoder(DECODE_BMP, data, size); }
