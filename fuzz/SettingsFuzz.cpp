// Any bytes as the settings file: building a record, loading, saving and loading again must
// neither crash nor lose what was saved.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "FuzzDir.h"
#include "settings/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EnterFuzzDir();
    WriteFile("Settings.zorvat", data, size);

    CSettings settings;
    settings.Load();
    // A record never reads past the first 8 bytes, and a file of 5 or more sets both fields.
    if (size >= 5) {
        int32_t level = static_cast<int32_t>(
            static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
            static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24);
        if (settings.level != level || settings.fullHd != data[4]) {
            std::abort();
        }
    }

    settings.Save();
    std::ifstream in("Settings.zorvat", std::ios::binary);
    std::vector<char> saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (saved.size() != 8) {
        std::abort();
    }

    CSettings reread;
    reread.Load();
    if (reread.level != settings.level || reread.fullHd != settings.fullHd) {
        std::abort();
    }
    return 0;
}
