#include "BitmapWriter.h"

#include <filesystem>
#include <fstream>
#include <unordered_map>

namespace {

const std::uint32_t FileHeaderSize = 14;
const std::uint32_t InfoHeaderSize = 40;
const std::int32_t PixelsPerMetre = 2835; // 72 dpi

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Both headers for a picture whose rows take rowSize bytes after a palette of paletteSize
// entries.
std::vector<std::uint8_t> Headers(int width, int height, int bitsPerPixel, std::uint32_t rowSize,
                                  std::uint32_t paletteSize) {
    const std::uint32_t offset = FileHeaderSize + InfoHeaderSize + 4 * paletteSize;
    const std::uint32_t imageSize = rowSize * static_cast<std::uint32_t>(height);
    std::vector<std::uint8_t> out;
    out.reserve(offset + imageSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + imageSize);
    Put32(out, 0); // two reserved words
    Put32(out, offset);
    Put32(out, InfoHeaderSize);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height)); // positive: bottom-up rows
    Put16(out, 1);                                  // planes
    Put16(out, static_cast<std::uint32_t>(bitsPerPixel));
    Put32(out, 0); // BI_RGB
    Put32(out, imageSize);
    Put32(out, PixelsPerMetre);
    Put32(out, PixelsPerMetre);
    Put32(out, paletteSize); // colours used
    Put32(out, 0);           // all colours important
    return out;
}

} // namespace

std::vector<std::uint8_t> CBitmapWriter::Encode32(int width, int height,
                                                  const std::vector<std::uint32_t>& pixels) {
    std::vector<std::uint8_t> out = Headers(width, height, 32, 4 * width, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            Put32(out, pixels[y * width + x] & 0xFFFFFF);
        }
    }
    return out;
}

std::vector<std::uint8_t> CBitmapWriter::Encode8(int width, int height,
                                                 const std::vector<std::uint32_t>& pixels) {
    std::vector<std::uint32_t> palette;
    std::unordered_map<std::uint32_t, std::uint8_t> index;
    std::vector<std::uint8_t> indices(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t colour = pixels[i] & 0xFFFFFF;
        auto found = index.find(colour);
        if (found == index.end()) {
            if (palette.size() == 256) {
                return {};
            }
            found = index.emplace(colour, static_cast<std::uint8_t>(palette.size())).first;
            palette.push_back(colour);
        }
        indices[i] = found->second;
    }
    // A full palette of 256 entries spares SDL's loader its check of every pixel index against
    // a shorter palette, a cost the result pictures pay in every frame they are shown.
    palette.resize(256, 0);
    const std::uint32_t rowSize = (width + 3) / 4 * 4;
    std::vector<std::uint8_t> out =
        Headers(width, height, 8, rowSize, static_cast<std::uint32_t>(palette.size()));
    for (std::uint32_t colour : palette) {
        Put32(out, colour);
    }
    for (int y = height - 1; y >= 0; --y) {
        out.insert(out.end(), indices.begin() + y * width, indices.begin() + (y + 1) * width);
        out.resize(out.size() + rowSize - width, 0);
    }
    return out;
}

bool CBitmapWriter::Save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!parent.empty()) {
        std::filesystem::create_directories(parent, error);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
