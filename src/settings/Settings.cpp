#include "Settings.h"

#include <fstream>
#include <sys/stat.h>

namespace {
const char* const FileName = "Settings.zorvat";

// True when something stands at the settings path, readable or not.
bool FileExists() {
    struct stat info;
    return stat(FileName, &info) == 0;
}
} // namespace

CSettings::CSettings() {
    std::ifstream probe(FileName);
    if (!probe.is_open()) {
        level = 2;
        fullHd = 0;
        // A file that exists but cannot be read keeps the player's values: only a missing
        // file is created with the defaults.
        if (!FileExists()) {
            Save();
        }
    } else {
        Load();
    }
}

void CSettings::Load() {
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
