#include "gfx/Image.h"
#include "TestSupport.h"

namespace {

const char* const Big = "Data/Original/Menu/Pic.bmp";
const char* const Small = "Data/Skaliert/Menu/Pic.bmp";
// Red and blue among them: a colour key one off magenta would hide a whole frame.
const Uint32 FrameColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0x808080};
const Uint32 Field = 0x202020;

using ImageTest = ZorvatTest;

TEST_F(ImageTest, TheModeChoosesTheTreeAndTheWindowScalesFramesAndPlaces) {
    WriteBitmap(Big, 300, 190, 0x010203);
    WriteBitmap(Small, 200, 126, 0x010203);
    // Display byte, picture width, frame width and height, columns, place of (700.9, -10.5).
    const int cases[][7] = {{1, 300, 50, 190, 6, 700, -10},
                            {0, 200, 33, 126, 6, 466, -6},
                            {2, 200, 50, 190, 4, 700, -10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        WriteSettings(2, c[0]);
        CImage image;
        image.LoadSheet(Big, Small, 3, 50, 190);
        image.SetPosition(700.9f, -10.5f);
        const int got[] = {image.fullHd,  image.rect.w, image.frameWidth, image.frameHeight,
                           image.columns, image.rect.x, image.rect.y};
        EXPECT_EQ(std::vector<int>(got, got + 7), std::vector<int>(c, c + 7));
    }
}

TEST_F(ImageTest, FramesGoRowByRowClippedToOneFrameAndMagentaIsClear) {
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
        SCOPED_TRACE(frame);
        SDL_FillRect(screen, nullptr, Field);
        image.DrawFrame(screen, frame + 0.9f);
        const Uint32 at[][3] = {{11, 10, FrameColours[frame]},
                                {49, 39, FrameColours[frame]},
                                {10, 10, Field},
                                {50, 10, Field},
                                {10, 40, Field}};
        for (const auto& a : at) {
            EXPECT_EQ(PixelAt(screen, a[0], a[1]), a[2]) << a[0] << ", " << a[1];
        }
    }
    image.Draw(screen);
    EXPECT_EQ(PixelAt(screen, 129, 69), FrameColours[5]);
    EXPECT_EQ(PixelAt(screen, 130, 69), Field);
}

TEST_F(ImageTest, NoPictureOrNoWholeFrameDrawsNothing) {
    WriteSettings(2, 0);
    SDL_Surface* screen = OpenScreen(0);
    CImage missing;
    missing.LoadSheet(Big, Small, 5, 40, 30);
    missing.SetMagentaKey();
    missing.Draw(screen);
    missing.DrawFrame(screen, 3);
    EXPECT_EQ(missing.surface, nullptr);
    // A frame wider than the sheet, or one that scaling cuts to no width, leaves no grid.
    WriteBitmap(Small, 30, 30, 0xC80000);
    for (int frameWidth : {50, 1}) {
        CImage sheet;
        sheet.LoadSheet(Big, Small, 3, frameWidth, 30);
        sheet.DrawFrame(screen, 0);
        EXPECT_EQ(sheet.columns, 0) << frameWidth;
    }
    EXPECT_EQ(PixelAt(screen, 0, 0), 0u);
}

} // namespace
