#include <string>

#include "TestSupport.h"
#include "gfx/Image.h"

namespace {

const char* const Big = "Data/Original/Menu/Pic.bmp";
const char* const Small = "Data/Skaliert/Menu/Pic.bmp";
const Uint32 FrameColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};

using ImageTest = ZorvatTest;

TEST_F(ImageTest, PathFollowsByteOneAndScalingFollowsAnyNonZeroByte) {
    WriteBitmap(Big, 2600, 500, 0x010203);
    WriteBitmap(Small, 1730, 333, 0x010203);
    const struct {
        int fullHd, w, frameW, frameH, columns;
    } cases[] = {{1, 2600, 520, 500, 5}, {0, 1730, 346, 333, 5}, {2, 1730, 520, 500, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fullHd);
        WriteSettings(2, c.fullHd);
        CImage image;
        image.LoadSheet(Big, Small, 5, 520, 500);
        EXPECT_EQ(image.rect.w, c.w);
        EXPECT_EQ(image.frameWidth, c.frameW);
        EXPECT_EQ(image.frameHeight, c.frameH);
        EXPECT_EQ(image.columns, c.columns);
    }
}

TEST_F(ImageTest, PositionIsCutThenScaledAndCutAgain) {
    const struct {
        int fullHd;
        float x, y;
        int expectX, expectY;
    } cases[] = {{1, 700.9f, 300.2f, 700, 300},
                 {2, 700.9f, 300.2f, 700, 300},
                 {0, 700, 300, 466, 200},
                 {0, 100.9f, 0, 66, 0},
                 {0, -10.5f, 1079.9f, -6, 719}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.fullHd << ": " << c.x << ", " << c.y);
        WriteSettings(2, c.fullHd);
        CImage image;
        image.SetPosition(c.x, c.y);
        EXPECT_EQ(image.rect.x, c.expectX);
        EXPECT_EQ(image.rect.y, c.expectY);
    }
}

TEST_F(ImageTest, FramesAreNumberedRowByRowAndTheNumberIsCutTowardZero) {
    WriteSettings(2, 1);
    SDL_Surface* screen = OpenScreen(1);
    const int layouts[][2] = {{6, 1}, {1, 6}, {3, 2}}; // columns, rows
    for (const auto& layout : layouts) {
        const int columns = layout[0];
        WriteBitmap(Big, 40 * columns, 30 * layout[1],
                    [=](int x, int y) { return FrameColours[y / 30 * columns + x / 40]; });
        CImage image;
        image.LoadSheet(Big, Small, 6, 40, 30);
        image.SetPosition(10, 10);
        for (int frame = 0; frame < 6; ++frame) {
            SCOPED_TRACE(::testing::Message() << columns << " columns, frame " << frame);
            SDL_FillRect(screen, nullptr, 0x202020);
            image.DrawFrame(screen, frame + 0.9f);
            EXPECT_EQ(PixelAt(screen, 10, 10), FrameColours[frame]);
            EXPECT_EQ(PixelAt(screen, 49, 39), FrameColours[frame]);
            EXPECT_EQ(PixelAt(screen, 50, 10), 0x202020u);
            EXPECT_EQ(PixelAt(screen, 10, 40), 0x202020u);
        }
    }
}

TEST_F(ImageTest, MissingBitmapOrEmptyGridDrawsNothing) {
    WriteSettings(2, 0);
    SDL_Surface* screen = OpenScreen(0);
    CImage missing;
    missing.LoadSheet(Big, Small, 5, 40, 30);
    missing.SetMagentaKey();
    missing.SetPosition(100, 100);
    missing.Draw(screen);
    missing.DrawFrame(screen, 3);
    EXPECT_EQ(missing.surface, nullptr);
    EXPECT_EQ(missing.columns, 0);

    // A frame wider than the sheet, or one that scaling cuts to no width, leaves no grid.
    WriteBitmap(Small, 30, 30, 0xC80000);
    for (int frameWidth : {50, 1}) {
        CImage sheet;
        sheet.LoadSheet(Big, Small, 3, frameWidth, 30);
        EXPECT_EQ(sheet.columns, 0) << frameWidth;
        sheet.DrawFrame(screen, 0);
    }
    EXPECT_EQ(PixelAt(screen, 0, 0), 0u);
    EXPECT_EQ(PixelAt(screen, 66, 66), 0u);
}

} // namespace
