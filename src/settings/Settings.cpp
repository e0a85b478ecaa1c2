#include "Settings.h"

#include <fstream>
#include <sys/stat.h>

namespace {
const char* const FileName = "Settings.zorvat";

// What stands at the settings path.
enum class Entry { Missing, File, Other };

// Looks at the settings path without opening it: opening a named pipe would block.
Entry Lookup() {
    struct stat info;
    if (stat(FileName, &info) != 0) {
        return Entry::Missing;
    }
    return S_ISREG(info.st_mode) ? Entry::File : Entry::Other;
}
} // namespace

CSettings::CSettings() {
    const Entry entry = Lookup();
    std::ifstream probe;
    if (entry == Entry::File) {
        probe.open(FileName);
    }
    if (!probe.is_open()) {
        level = 2;
        fullHd = 0;
        // Whatever stands there and cannot be read keeps the player's values: only a missing
        // file is created with the defaults.
        if (entry == Entry::Missing) {
            Save();
        }
    } else {
        Load();
    }
}

void CSettings::Load() {
    if (Lookup() != Entry::File) {
        return;
    }
    std::ifstream in(FileName, std::ios::binary);
    if (!in.is_open()) {
        return;
    }
    unsigned char bytes[8];
    in.read(reinterpret_cast<char*>(bytes), sizeof(bytes));
    std::streamsize count = in.gcount();

    // The file's first byte is the lowest-order byte of the level.
    uint32_t value = static_cast<uint32_t>(level);
    for (std::streamsize i = 0; i < count && i < 4; ++i) {
        value &= ~(0xFFu << (8 * i));
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    level = static_cast<int32_t>(value);
    if (count >= 5) {
        fullHd = bytes[4];
    }
}

void CSettings::Save() {
    if (Lookup() == Entry::Other) {
        return;
    }
    std::ofstream out(FileName, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
        return;
    }
    uint32_t value = static_cast<uint32_t>(level);
    const unsigned char bytes[8] = {static_cast<unsigned char>(value & 0xFF),
                                    static_cast<unsigned char>((value >> 8) & 0xFF),
                                    static_cast<unsigned char>((value >> 16) & 0xFF),
                                    static_cast<unsigned char>((value >> 24) & 0xFF),
                                    fullHd,
                                    0,
                                    0,
                                    0};
    out.write(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}
