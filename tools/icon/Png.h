#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// CRC-32 as PNG chunks carry it (polynomial 0xEDB88320, starting and ending inverted).
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

// Adler-32 as a zlib stream ends with it.
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size);

// A whole PNG file of an 8-bit RGBA picture, rows top to bottom, four bytes a pixel. The
// pixels go into stored (uncompressed) deflate blocks, so no compression library is needed.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba);
