#include "Settings.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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

// The file that a save replaces: the settings path, or the file that its symbolic links lead
// to, so that a link the player made stays a link. Empty when the links go round in a circle.
std::string Target() {
    std::string path = FileName;
    for (int hops = 0; hops < 40; ++hops) {
        char link[PATH_MAX];
        const ssize_t size = readlink(path.c_str(), link, sizeof(link));
        if (size < 0) {
            return path;
        }
        // A relative link leads from the folder that holds it.
        const std::string to(link, size);
        const std::string::size_type slash = path.rfind('/');
        path = to[0] == '/' || slash == std::string::npos ? to : path.substr(0, slash + 1) + to;
    }
    return "";
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

// The record goes to a new file beside the old one, which takes the old one's name in one step
// once it is on the disk: a full disk, a crash or another game saving at the same moment leaves
// the old record or the new one, never a part of one. A failed save removes its new file.
void CSettings::Save() {
    const std::string path = Target();
    struct stat old = {};
    const bool replacing = stat(path.c_str(), &old) == 0;
    // Only a file is replaced, and only one that the player may write.
    if (path.empty() || (replacing && (!S_ISREG(old.st_mode) || access(path.c_str(), W_OK) != 0))) {
        return;
    }
    std::string temporary = path + ".XXXXXX";
    const int out = mkstemp(&temporary[0]);
    if (out < 0) {
        return;
    }
    // The new file takes the old one's mode and owner, or the mode of any new file.
    mode_t mode = old.st_mode & 07777;
    if (!replacing) {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(out, mode);
    if (replacing && fchown(out, old.st_uid, old.st_gid) != 0) {
        // Another player's file in a shared folder becomes the saver's.
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
    const bool written = write(out, bytes, 8) == 8 && fsync(out) == 0;
    if (close(out) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
    }
}
