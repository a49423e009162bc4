// The sound loader on arbitrary bytes, seeded with OGG files (see fuzz_sound.h).
#include "tests/fuzz/fuzz_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_sound(data, size); }
