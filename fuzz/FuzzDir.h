#ifndef ZORVAT_FUZZ_FUZZDIR_H
#define ZORVAT_FUZZ_FUZZDIR_H

#include <cstddef>
#include <cstdint>

// Moves the process into a fresh temporary directory, once; the game reads and writes there.
void EnterFuzzDir();

// Replaces a file in the working directory by the given bytes.
void WriteFile(const char* name, const uint8_t* data, size_t size);

#endif
