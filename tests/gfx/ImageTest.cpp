#include "gfx/Image.h"
#include "TestSupport.h"

namespace {

const char* const Big = "Data/Original/Menu/Pic.bmp";
const char* const Small = "Data/Skaliert/Menu/Pic.bmp";
// Red and blue among them: a colour key one off magenta would hide a whole frame.
const Uint32 FrameColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0x808080};

using ImageTest = ZorvatTest;

TEST_F(ImageTest, TheModeChoosesTheTreeAndTheWindowScalesFramesAndPlaces) {
    WriteBitmap(Big, 300, 190, 0x010203);
    WriteBitmap(Small, 200, 126, 0x010203);
    SDL_Surface* screen = OpenScreen(0);
    // Display byte, frame width asked; then picture width, frame sides, columns and the
    // place of (700.9, -10.5). A frame wider than the sheet or cut to no width leaves no grid.
    const int cases[][8] = {{1, 50, 300, 50, 190, 6, 700, -10},
                            {0, 50, 200, 33, 126, 6, 466, -6},
                            {2, 50, 200, 50, 190, 4, 700, -10},
                            {0, 400, 200, 266, 126, 0, 466, -6},
                            {0, 1, 200, 0, 126, 0, 466, -6}};
    for (const auto& c : cases) {
        WriteSettings(2, c[0]);
        CImage image;
        image.LoadSheet(Big, Small, 3, c[1], 190);
        image.SetPosition(700.9f, -10.5f);
        const int got[] = {
            c[0],          c[1],         image.rect.w, image.frameWidth, image.frameHeight,
            image.columns, image.rect.x, image.rect.y};
        EXPECT_EQ(std::vector<int>(got, got + 8), std::vector<int>(c, c + 8));
        image.DrawFrame(screen, 2);
    }
}

TEST_F(ImageTest, FramesGoRowByRowClippedToOneFrameAndMagentaIsClear) {
    WriteSettings(2, 1);
    SDL_Surface* screen = OpenScreen(1);
    WriteBitmap(Big, 120, 60, [](int x, int y) {
        return x % 40 == 0 && y % 30 == 0 ? 0xFF00FF : FrameColours[y / 30 * 3 + x / 40];
    });
    CImage image, missing;
    image.LoadSheet(Big, Small, 6, 40, 30);
    missing.LoadSheet(Small, Small, 6, 40, 30);
    image.SetMagentaKey();
    missing.SetMagentaKey();
    image.SetPosition(10, 10);
    for (int frame = 0; frame < 6; ++frame) {
        SDL_FillRect(screen, nullptr, 0x202020);
        image.DrawFrame(screen, frame + 0.9f);
        missing.Draw(screen);
        missing.DrawFrame(screen, 0);
        const Uint32 at[][3] = {{11, 10, FrameColours[frame]},
                                {49, 39, FrameColours[frame]},
                                {10, 10, 0x202020},
                                {50, 10, 0x202020},
                                {10, 40, 0x202020}};
        for (const auto& a : at) {
            EXPECT_EQ(PixelAt(screen, a[0], a[1]), a[2]) << a[0] << ", " << a[1] << " of " << frame;
        }
    }
    image.Draw(screen);
    EXPECT_EQ(PixelAt(screen, 129, 69), FrameColours[5]);
    EXPECT_EQ(PixelAt(screen, 130, 69), 0x202020u);
}

} // namespace
