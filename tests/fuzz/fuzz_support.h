// What the harnesses share: a scratch folder for inputs that a reader can
// only take from a file, and the small world the storage readers expect
// (a player folder, a jigsaw library, an 800x600 null display, the tables).
// A harness that finds a broken promise calls fuzz_fail, which aborts, so
// the fuzzer keeps the input as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A folder made on first use (in /dev/shm when it can be) and removed at exit.
const std::string& fuzz_scratch();
// Writes the bytes to a file; aborts when the scratch folder is unusable.
void fuzz_write(const std::string& path, const uint8_t* data, size_t size);
// Makes the scratch folder the current folder with players/default/ and
// jigsaws/ in it, opens the null display and creates the tables. Once.
void fuzz_storage_world();
// Writes jigsaws/<name>/ with a pieces file for rows x columns and one
// image for each of 1..300 and tn.png (a 1x1 BMP: quick to decode).
void fuzz_make_jigsaw(const std::string& name, int rows, int columns);
[[noreturn]] void fuzz_fail(const char* what);
