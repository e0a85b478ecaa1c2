#include "BitmapWriter.h"
#include "TestSupport.h"

#include <tuple>

namespace {

typedef std::vector<std::uint8_t> Encoded;

// The little-endian field of size bytes at a place of a file.
std::uint32_t Field(const Encoded& bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = value << 8 | bytes[at + i];
    }
    return value;
}

// Decodes bytes with SDL's own bitmap loader, as the game does, and compares every pixel.
void ExpectDecodesTo(const Encoded& bytes, int w, int bpp, const std::vector<Uint32>& pixels) {
    SDL_Surface* surface = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), bytes.size()), 1);
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    const SDL_PixelFormat* f = surface->format;
    EXPECT_EQ(f->BitsPerPixel, bpp);
    if (bpp == 32) {
        EXPECT_EQ(std::make_tuple(f->Rmask, f->Gmask, f->Bmask),
                  std::make_tuple(0xFF0000u, 0xFF00u, 0xFFu));
        // SDL 2's loader, under the SDL 1.2 compatibility layer, reads the fourth byte as alpha:
        // the zeros written there must then count as opaque.
        EXPECT_TRUE(f->Amask == 0 || f->Amask == 0xFF000000u) << f->Amask;
    }
    for (size_t i = 0; i < pixels.size(); ++i) {
        EXPECT_EQ(PixelAt(surface, i % w, i / w), pixels[i]) << "pixel " << i;
        const Uint8* row = static_cast<const Uint8*>(surface->pixels) + i / w * surface->pitch;
        if (bpp == 32) {
            EXPECT_EQ(reinterpret_cast<const Uint32*>(row)[i % w] & f->Amask, f->Amask) << i;
        }
    }
    SDL_FreeSurface(surface);
}

// Three columns, two rows: red, green, blue over grey, white, black.
const std::vector<Uint32> Sample = {0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0xFFFFFF, 0x000000};

TEST(BitmapWriter, Writes32BitHeadersWithBottomUpBgrRows) {
    const Encoded bytes = CBitmapWriter::Encode32(3, 2, Sample);
    ASSERT_EQ(bytes.size(), 54u + 3 * 2 * 4);
    EXPECT_EQ(Field(bytes, 0, 2), Uint32('B' | 'M' << 8));
    // Place, size and value of every header field: file size, reserved, offset of the pixels,
    // header size, width, height (positive: bottom-up), planes, depth, BI_RGB, image size,
    // colours used.
    const std::uint32_t fields[][3] = {{2, 4, 78}, {6, 4, 0},   {10, 4, 54}, {14, 4, 40},
                                       {18, 4, 3}, {22, 4, 2},  {26, 2, 1},  {28, 2, 32},
                                       {30, 4, 0}, {34, 4, 24}, {46, 4, 0}};
    for (const auto& f : fields) {
        EXPECT_EQ(Field(bytes, f[0], f[1]), f[2]) << "at " << f[0];
    }
    // The first row stored is the bottom one (grey, white, black), each pixel B, G, R, 0.
    EXPECT_EQ(Encoded(bytes.begin() + 54, bytes.end()),
              (Encoded{0x80, 0x80, 0x80, 0, 0xFF, 0xFF, 0xFF, 0, 0,    0, 0, 0, //
                       0,    0,    0xFF, 0, 0,    0xFF, 0,    0, 0xFF, 0, 0, 0}));
    ExpectDecodesTo(bytes, 3, 32, Sample);
}

TEST(BitmapWriter, Writes8BitsWithAPaletteAndPaddedRows) {
    // Five columns need three bytes of padding per row.
    const std::vector<Uint32> pixels = {0xFF00FF, 0xFF00FF, 0x102030, 0xFF00FF, 0x102030,
                                        0xABCDEF, 0xFF00FF, 0xFF00FF, 0xFF00FF, 0xFF00FF};
    const Encoded bytes = CBitmapWriter::Encode8(5, 2, pixels);
    ASSERT_EQ(bytes.size(), 54u + 256 * 4 + 2 * 8);
    EXPECT_EQ(Field(bytes, 28, 2), 8u);
    EXPECT_EQ(Field(bytes, 10, 4), 54u + 256 * 4);
    EXPECT_EQ(Field(bytes, 34, 4), 16u);
    EXPECT_EQ(Field(bytes, 46, 4), 256u); // the palette is always full
    ExpectDecodesTo(bytes, 5, 8, pixels);
}

} // namespace
