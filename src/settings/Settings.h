#ifndef ZORVAT_SETTINGS_SETTINGS_H
#define ZORVAT_SETTINGS_SETTINGS_H

#include <cstdint>

// The two user settings and their 8-byte file "Settings.zorvat" in the working directory.
class CSettings {
public:
    // Fills the record from the file, or writes the defaults when the file cannot be opened.
    CSettings();

    // Overwrites the fields from the bytes the file holds; a short file replaces only what it
    // covers.
    void Load();

    // Replaces the file by the record: level little-endian, fullHd, three zero bytes.
    void Save();

    int32_t level = 2;  // computer level, 1 to 3
    uint8_t fullHd = 0; // 1 = full HD, 0 = scaled window
};

#endif
