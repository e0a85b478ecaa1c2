#include "gfx/Image.h"
#include "TestSupport.h"

namespace {

const char* const Big = "Data/Original/Menu/Pic.bmp";
const char* const Small = "Data/Skaliert/Menu/Pic.bmp";
// Red and blue among them: a colour key one off magenta would hide a whole frame.
const Uint32 FrameColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0x808080};

// Pictures load and blit through other code on SDL 1.2's compatibility layer.
using ImageCompat = ZorvatTest;

TEST_F(ImageCompat, TheModeChoosesTheTreeAndTheWindowScalesFramesAndPlaces) {
    WriteBitmap(Big, 300, 190, 0x010203);
    WriteBitmap(Small, 200, 126, 0x010203);
    SDL_Surface* screen = OpenScreen(0);
    // Display byte, frame width asked; then picture width, frame sides, columns and the
    // place of (700.9, -10.5). A frame wider than the sheet or cut to no width leaves no grid,
    // and drawing from it draws nothing.
    // clang-format off
    const int cases[][8] = {{1, 50, 300, 50, 190, 6, 700, -10}, {0, 50, 200, 33, 126, 6, 466, -6},
                            {2, 50, 200, 50, 190, 4, 700, -10}, {0, 400, 200, 266, 126, 0, 466, -6},
                            {0, 1, 200, 0, 126, 0, 466, -6}};
    // clang-format on
    for (const auto& c : cases) {
        WriteSettings(2, c[0]);
        CImage image;
        image.LoadSheet(Big, Small, 3, c[1], 190);
        image.SetPosition(700.9f, -10.5f);
        const std::vector<int> got = {image.rect.w,  image.frameWidth, image.frameHeight,
                                      image.columns, image.rect.x,     image.rect.y};
        EXPECT_EQ(got, std::vector<int>(c + 2, c + 8)) << c[0] << ", " << c[1];
        image.DrawFrame(screen, 2);
    }
}

// Each frame drawn at (10, 10) fills exactly its 40 x 30 pixels, but for its magenta corner.
TEST_F(ImageCompat, FramesGoRowByRowClippedToOneFrameAndMagentaIsClear) {
    WriteSettings(2, 1);
    SDL_Surface* screen = OpenScreen(1);
    WriteBitmap(Big, 120, 60, [](int x, int y) {
        return x % 40 == 0 && y % 30 == 0 ? 0xFF00FF : FrameColours[y / 30 * 3 + x / 40];
    });
    CImage image;
    image.LoadSheet(Big, Small, 6, 40, 30);
    image.SetMagentaKey();
    image.SetPosition(10, 10);
    for (int frame = 0; frame < 6; ++frame) {
        SDL_FillRect(screen, nullptr, 0x202020);
        image.DrawFrame(screen, frame + 0.9f);
        const std::vector<Uint32> got = {PixelAt(screen, 11, 10), PixelAt(screen, 49, 39),
                                         PixelAt(screen, 10, 10), PixelAt(screen, 50, 10),
                                         PixelAt(screen, 10, 40)};
        const Uint32 c = FrameColours[frame], none = 0x202020;
        EXPECT_EQ(got, std::vector<Uint32>({c, c, none, none, none})) << "frame " << frame;
    }
}

} // namespace
