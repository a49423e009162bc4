// The preferences reader: the bytes become players/default/prefer.txt and
// refresh.txt, and read_preferences reads both.
#include "shell/shell.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_storage_world();
    fuzz_write("players/default/prefer.txt", data, size);
    fuzz_write("players/default/refresh.txt", data, size);
    read_preferences();
    return 0;
}
