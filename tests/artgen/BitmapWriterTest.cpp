#include "BitmapWriter.h"
#include "SurfacePixel.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::uint32_t Field32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           std::uint32_t(bytes[at + 3]) << 24;
}

std::uint32_t Field16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8;
}

// Decodes bytes with SDL's own bitmap loader, as the game does.
SDL_Surface* Decode(const std::vector<std::uint8_t>& bytes) {
    return SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
}

// Three columns, two rows: red, green, blue over grey, white, black.
const std::vector<std::uint32_t> Sample = {0xFF0000, 0x00FF00, 0x0000FF,
                                           0x808080, 0xFFFFFF, 0x000000};

} // namespace

TEST(BitmapWriter, Writes32BitHeadersWithBottomUpBgrRows) {
    const std::vector<std::uint8_t> bytes = CBitmapWriter::Encode32(3, 2, Sample);
    ASSERT_EQ(bytes.size(), 54u + 3 * 2 * 4);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Field32(bytes, 2), bytes.size()); // file size
    EXPECT_EQ(Field32(bytes, 6), 0u);           // reserved
    EXPECT_EQ(Field32(bytes, 10), 54u);         // offset of the pixels
    EXPECT_EQ(Field32(bytes, 14), 40u);         // BITMAPINFOHEADER
    EXPECT_EQ(Field32(bytes, 18), 3u);          // width
    EXPECT_EQ(Field32(bytes, 22), 2u);          // height, positive: bottom-up
    EXPECT_EQ(Field16(bytes, 26), 1u);          // planes
    EXPECT_EQ(Field16(bytes, 28), 32u);         // bits per pixel
    EXPECT_EQ(Field32(bytes, 30), 0u);          // BI_RGB
    EXPECT_EQ(Field32(bytes, 34), 24u);         // image size: 2 rows of 12 bytes
    EXPECT_EQ(Field32(bytes, 46), 0u);          // no palette

    // The first row stored is the bottom one (grey, white, black), each pixel B, G, R, 0.
    const std::vector<std::uint8_t> bottom = {0x80, 0x80, 0x80, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0};
    const std::vector<std::uint8_t> top = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 54, bytes.begin() + 66), bottom);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 66, bytes.end()), top);
}

TEST(BitmapWriter, SdlLoads32BitsWithTheScreenMasksAndNoAlpha) {
    SDL_Surface* surface = Decode(CBitmapWriter::Encode32(3, 2, Sample));
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    EXPECT_EQ(surface->format->BitsPerPixel, 32);
    EXPECT_EQ(surface->format->Rmask, 0xFF0000u);
    EXPECT_EQ(surface->format->Gmask, 0x00FF00u);
    EXPECT_EQ(surface->format->Bmask, 0x0000FFu);
    // The classic loader gives no alpha mask. SDL 2's, under the SDL 1.2 compatibility layer,
    // reads the fourth byte as alpha: the zeros written there must then count as opaque.
    const Uint32 amask = surface->format->Amask;
    EXPECT_TRUE(amask == 0 || amask == 0xFF000000u) << amask;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(SurfacePixel(surface, x, y), Sample[y * 3 + x]) << x << "," << y;
            const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
            const Uint32 raw = reinterpret_cast<const Uint32*>(row)[x];
            EXPECT_EQ(raw & amask, amask) << x << "," << y;
        }
    }
    SDL_FreeSurface(surface);
}

TEST(BitmapWriter, Writes8BitsWithPaddedRowsAndAtMost256Colours) {
    // Five columns need three bytes of padding per row.
    const std::vector<std::uint32_t> pixels = {0xFF00FF, 0xFF00FF, 0x102030, 0xFF00FF, 0x102030,
                                               0xABCDEF, 0xFF00FF, 0xFF00FF, 0xFF00FF, 0xFF00FF};
    const std::vector<std::uint8_t> bytes = CBitmapWriter::Encode8(5, 2, pixels);
    ASSERT_EQ(bytes.size(), 54u + 3 * 4 + 2 * 8);
    EXPECT_EQ(Field16(bytes, 28), 8u);
    EXPECT_EQ(Field32(bytes, 10), 54u + 3 * 4);
    EXPECT_EQ(Field32(bytes, 34), 16u);
    EXPECT_EQ(Field32(bytes, 46), 3u); // colours used

    SDL_Surface* surface = Decode(bytes);
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    EXPECT_EQ(surface->format->BitsPerPixel, 8);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(SurfacePixel(surface, x, y), pixels[y * 5 + x]) << x << "," << y;
        }
    }
    SDL_FreeSurface(surface);

    // A palette holds 256 colours at most.
    std::vector<std::uint32_t> ramp(257);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<std::uint32_t>(i);
    }
    EXPECT_TRUE(CBitmapWriter::Encode8(257, 1, ramp).empty());
    ramp.pop_back();
    EXPECT_FALSE(CBitmapWriter::Encode8(256, 1, ramp).empty());
}

TEST(BitmapWriter, SavesIntoFoldersItCreates) {
    char pattern[] = "/tmp/zorvat-writer-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string path = std::string(pattern) + "/Original/Game/Sample.bmp";
    ASSERT_TRUE(CBitmapWriter::Save(path, CBitmapWriter::Encode32(3, 2, Sample)));
    SDL_Surface* surface = SDL_LoadBMP_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    EXPECT_EQ(SurfacePixel(surface, 2, 0), 0x0000FFu);
    SDL_FreeSurface(surface);
    EXPECT_FALSE(CBitmapWriter::Save(std::string(pattern) + "/Original", {1, 2, 3}));
    EXPECT_EQ(std::system(("rm -rf '" + std::string(pattern) + "'").c_str()), 0);
}
