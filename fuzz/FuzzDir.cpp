#include "FuzzDir.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

void EnterFuzzDir() {
    static bool entered = false;
    if (entered) {
        return;
    }
    char pattern[] = "/tmp/zorvat-fuzz-XXXXXX";
    if (!mkdtemp(pattern) || chdir(pattern) != 0) {
        std::abort();
    }
    entered = true;
}

void WriteFile(const char* name, const uint8_t* data, size_t size) {
    FILE* out = std::fopen(name, "wb");
    if (!out) {
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, out) != size) {
        std::abort();
    }
    std::fclose(out);
}
