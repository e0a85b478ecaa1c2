#ifndef ZORVAT_ARTGEN_BITMAPWRITER_H
#define ZORVAT_ARTGEN_BITMAPWRITER_H

#include <cstdint>
#include <string>
#include <vector>

// Encodes pictures as uncompressed Windows bitmaps (BI_RGB) and saves them.
// Pixels are 0xRRGGBB values, rows from top to bottom.
class CBitmapWriter {
public:
    // A 32-bit bitmap: bottom-up rows of B, G, R, 0 bytes.
    static std::vector<std::uint8_t> Encode32(int width, int height,
                                              const std::vector<std::uint32_t>& pixels);

    // An 8-bit bitmap whose palette lists the colours in order of first use; empty when the
    // picture holds more than 256 colours.
    static std::vector<std::uint8_t> Encode8(int width, int height,
                                             const std::vector<std::uint32_t>& pixels);

    // Writes bytes to path, creating missing folders; false when the file cannot be written.
    static bool Save(const std::string& path, const std::vector<std::uint8_t>& bytes);
};

#endif
