// Reading text lines and numbers as every file reader does: the bytes
// become a file read line by line. Lines never hold CR, LF or NUL and never
// exceed 4096 bytes; there are never more lines than bytes plus one; and a
// number written as text reads back as itself.
#include <cstring>

#include "media/system/system.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz_scratch() + "/input.txt";
    fuzz_write(path, data, size);
    TStream* stream = read_file(path);
    if (!stream) fuzz_fail("a regular file that cannot be read");
    size_t lines = 0;
    while (!eof(stream)) {
        std::string line = read_line(stream);
        if (++lines > size + 1) fuzz_fail("more lines than bytes");
        if (line.size() > 4096) fuzz_fail("a line beyond 4096 bytes");
        if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) fuzz_fail("a line end kept");
        int value = text_to_int(line);
        if (text_to_int(int_to_text(value)) != value) fuzz_fail("a number that does not read back");
    }
    if (!read_line(stream).empty()) fuzz_fail("a line past the end");
    close_file(stream);
    // The helpers on the whole input as one text.
    std::string text(reinterpret_cast<const char*>(data), size);
    text_to_int(text);
    int at = find_text(text, "\r\n", 1);
    if (at < 0 || at > static_cast<int>(size)) fuzz_fail("find_text outside the text");
    if (text_slice(text, 2, 3).size() > 3 || text_head(text, 4).size() > 4 || text_tail(text, 4).size() > 4)
        fuzz_fail("a slice longer than asked");
    return 0;
}
