#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "gfx/Image.h"

namespace {

const char* const Big = "Data/Original/Menu/Pic.bmp";
const char* const Small = "Data/Skaliert/Menu/Pic.bmp";

// Colours of the frames of a test sheet, numbered row by row.
const Uint32 FrameColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};

// Sheet layout for the colour functions below: frame size in pixels and frames per row.
int sheetFrameW = 1;
int sheetFrameH = 1;
int sheetColumns = 1;

Uint32 SheetColour(int x, int y) {
    return FrameColours[(y / sheetFrameH) * sheetColumns + x / sheetFrameW];
}

// Writes a sheet of equal frames, each filled with its colour from FrameColours.
void WriteSheet(const std::string& path, int frameW, int frameH, int columns, int rows) {
    sheetFrameW = frameW;
    sheetFrameH = frameH;
    sheetColumns = columns;
    WriteBitmap(path, frameW * columns, frameH * rows, SheetColour);
}

class ImageTest : public ZorvatTest {
protected:
    // A dark grey screen, so that drawn pixels and untouched ones differ from black.
    SDL_Surface* GreyScreen(int fullHd) {
        SDL_Surface* screen = OpenScreen(fullHd);
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0x20, 0x20, 0x20));
        return screen;
    }
};

TEST_F(ImageTest, ImageTakesTheDisplayModeOnceWhenBuilt) {
    CImage defaults;
    EXPECT_EQ(defaults.fullHd, 0);
    EXPECT_EQ(ReadBytes("Settings.zorvat"), (std::vector<unsigned char>{2, 0, 0, 0, 0, 0, 0, 0}))
        << "the first image creates the missing settings file";

    WriteSettings(2, 1);
    CImage fullHd;
    EXPECT_EQ(fullHd.fullHd, 1);
    WriteSettings(2, 0);
    EXPECT_EQ(fullHd.fullHd, 1) << "a saved change reaches only images built afterwards";
    WriteBitmap(Big, 30, 20, 200, 0, 0);
    WriteBitmap(Small, 20, 13, 0, 200, 0);
    fullHd.Load(Big, Small);
    ASSERT_NE(fullHd.surface, nullptr);
    EXPECT_EQ(fullHd.surface->w, 30);
}

TEST_F(ImageTest, LoadTakesThePathOfTheModeAndPlacesTheImageAtTheOrigin) {
    WriteBitmap(Big, 30, 20, 200, 0, 0);
    WriteBitmap(Small, 20, 13, 0, 200, 0);
    const struct {
        int fullHd;
        int w, h;
    } cases[] = {{1, 30, 20}, {0, 20, 13}, {2, 20, 13}};
    for (const auto& c : cases) {
        SCOPED_TRACE("fullHd " + std::to_string(c.fullHd));
        WriteSettings(2, c.fullHd);
        CImage image;
        image.rect = {5, 6, 7, 8};
        image.Load(Big, Small);
        ASSERT_NE(image.surface, nullptr);
        EXPECT_EQ(image.rect.x, 0);
        EXPECT_EQ(image.rect.y, 0);
        EXPECT_EQ(image.rect.w, c.w);
        EXPECT_EQ(image.rect.h, c.h);
    }
}

TEST_F(ImageTest, SheetFrameSizeIsScaledOnlyInTheScaledMode) {
    WriteBitmap(Big, 2600, 500, 1, 2, 3);
    WriteBitmap(Small, 1730, 333, 1, 2, 3);
    const struct {
        int fullHd;
        int frameW, frameH, columns;
    } cases[] = {{1, 520, 500, 5}, {0, 346, 333, 5}, {2, 520, 500, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE("fullHd " + std::to_string(c.fullHd));
        WriteSettings(2, c.fullHd);
        CImage image;
        image.LoadSheet(Big, Small, 5, 520, 500);
        EXPECT_EQ(image.frameCount, 5);
        EXPECT_EQ(image.frameWidth, c.frameW);
        EXPECT_EQ(image.frameHeight, c.frameH);
        EXPECT_EQ(image.clip.w, c.frameW);
        EXPECT_EQ(image.clip.h, c.frameH);
        EXPECT_EQ(image.columns, c.columns);
    }

    // The other frame sizes of the game, each cut after the multiplication.
    WriteSettings(2, 0);
    const int given[][2] = {{50, 190}, {221, 61}, {100, 45}};
    const int scaled[][2] = {{33, 126}, {147, 40}, {66, 30}};
    for (int i = 0; i < 3; ++i) {
        CImage image;
        image.LoadSheet(Big, Small, 3, given[i][0], given[i][1]);
        EXPECT_EQ(image.frameWidth, scaled[i][0]);
        EXPECT_EQ(image.frameHeight, scaled[i][1]);
    }
}

TEST_F(ImageTest, PositionIsCutThenScaledAndCutAgain) {
    const struct {
        int fullHd;
        float x, y;
        int expectX, expectY;
    } cases[] = {
        {1, 700.9f, 300.2f, 700, 300}, {0, 700.0f, 300.0f, 466, 200}, {0, 100.9f, 0.0f, 66, 0},
        {0, 0.0f, 0.0f, 0, 0},         {2, 700.9f, 300.2f, 700, 300}, {0, -10.5f, 1079.9f, -6, 719},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("fullHd " + std::to_string(c.fullHd) + " x " + std::to_string(c.x));
        WriteSettings(2, c.fullHd);
        CImage image;
        image.SetPosition(c.x, c.y);
        EXPECT_EQ(image.rect.x, c.expectX);
        EXPECT_EQ(image.rect.y, c.expectY);
    }
}

TEST_F(ImageTest, DrawBlitsTheWholeBitmapAtItsPosition) {
    WriteSettings(2, 0);
    WriteBitmap(Small, 20, 10, 200, 0, 0);
    SDL_Surface* screen = GreyScreen(0);
    CImage image;
    image.Load(Big, Small);
    image.SetPosition(150, 30); // (100, 20) on the scaled screen

    image.Draw(screen);

    EXPECT_EQ(PixelAt(screen, 100, 20), 0xC80000u);
    EXPECT_EQ(PixelAt(screen, 119, 29), 0xC80000u);
    EXPECT_EQ(PixelAt(screen, 99, 20), 0x202020u);
    EXPECT_EQ(PixelAt(screen, 120, 29), 0x202020u);
    EXPECT_EQ(PixelAt(screen, 119, 30), 0x202020u);
}

// Draws one frame at (10, 10) of a grey full-HD screen and returns the colour seen there;
// also checks that the frame covers exactly one frame's size.
Uint32 DrawnFrameColour(CImage& image, SDL_Surface* screen, float frame) {
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0x20, 0x20, 0x20));
    image.rect.x = 10;
    image.rect.y = 10;
    image.DrawFrame(screen, frame);
    Uint32 seen = PixelAt(screen, 10, 10);
    EXPECT_EQ(PixelAt(screen, 10 + image.frameWidth - 1, 10 + image.frameHeight - 1), seen);
    EXPECT_EQ(PixelAt(screen, 10 + image.frameWidth, 10), 0x202020u);
    EXPECT_EQ(PixelAt(screen, 10, 10 + image.frameHeight), 0x202020u);
    return seen;
}

TEST_F(ImageTest, FramesAreNumberedRowByRowFromTheTopLeft) {
    WriteSettings(2, 1);
    SDL_Surface* screen = GreyScreen(1);
    const struct {
        const char* layout;
        int columns, rows;
    } sheets[] = {{"one row", 6, 1}, {"one column", 1, 6}, {"three by two", 3, 2}};
    for (const auto& sheet : sheets) {
        SCOPED_TRACE(sheet.layout);
        WriteSheet(Big, 40, 30, sheet.columns, sheet.rows);
        CImage image;
        image.LoadSheet(Big, Small, 6, 40, 30);
        EXPECT_EQ(image.columns, sheet.columns);
        for (int frame = 0; frame < 6; ++frame) {
            SCOPED_TRACE("frame " + std::to_string(frame));
            EXPECT_EQ(DrawnFrameColour(image, screen, static_cast<float>(frame)),
                      FrameColours[frame]);
            EXPECT_EQ(image.clip.x, 40 * (frame % sheet.columns));
            EXPECT_EQ(image.clip.y, 30 * (frame / sheet.columns));
        }
    }
}

TEST_F(ImageTest, FrameNumberIsCutTowardZero) {
    WriteSettings(2, 1);
    SDL_Surface* screen = GreyScreen(1);
    WriteSheet(Big, 40, 30, 6, 1);
    CImage image;
    image.LoadSheet(Big, Small, 6, 40, 30);
    EXPECT_EQ(DrawnFrameColour(image, screen, 2.9f), FrameColours[2]);
    EXPECT_EQ(DrawnFrameColour(image, screen, 0.99f), FrameColours[0]);
}

TEST_F(ImageTest, ScaledSheetIsCutOnTheScaledGrid) {
    // Frames of 60 x 45 field units are 40 x 30 pixels in the scaled art.
    WriteSettings(2, 0);
    SDL_Surface* screen = GreyScreen(0);
    WriteSheet(Small, 40, 30, 3, 2);
    CImage image;
    image.LoadSheet(Big, Small, 6, 60, 45);
    ASSERT_EQ(image.columns, 3);
    EXPECT_EQ(DrawnFrameColour(image, screen, 4), FrameColours[4]);
    EXPECT_EQ(image.clip.x, 40);
    EXPECT_EQ(image.clip.y, 30);
}

TEST_F(ImageTest, LoadingAgainReplacesTheBitmapAndResetsThePlace) {
    WriteSettings(2, 1);
    WriteSheet(Big, 40, 30, 6, 1);
    WriteBitmap("Data/Original/Menu/Other.bmp", 70, 50, 9, 9, 9);
    CImage image;
    image.LoadSheet(Big, Small, 6, 40, 30);
    image.SetPosition(300, 200);

    image.Load("Data/Original/Menu/Other.bmp", "Data/Skaliert/Menu/Other.bmp");

    ASSERT_NE(image.surface, nullptr);
    EXPECT_EQ(image.surface->w, 70);
    EXPECT_EQ(image.rect.x, 0);
    EXPECT_EQ(image.rect.y, 0);
    EXPECT_EQ(image.rect.w, 70);
    EXPECT_EQ(image.rect.h, 50);
    EXPECT_EQ(image.frameWidth, 40) << "the frame grid is set only by LoadSheet";
}

TEST_F(ImageTest, MagentaKeyMakesMagentaTransparent) {
    WriteSettings(2, 1);
    SDL_Surface* screen = GreyScreen(1);
    WriteSheet(Big, 10, 10, 6, 1); // frame 5 is magenta
    CImage image;
    image.Load(Big, Small);
    image.SetMagentaKey();
    image.Draw(screen);
    EXPECT_EQ(PixelAt(screen, 55, 5), 0x202020u);
    EXPECT_EQ(PixelAt(screen, 45, 5), 0x00FFFFu);
}

TEST_F(ImageTest, MissingOrBrokenBitmapHoldsNoSurfaceAndDrawsNothing) {
    WriteSettings(2, 1);
    SDL_Surface* screen = GreyScreen(1);
    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
    } cases[] = {{"missing", {}}, {"empty", {}}, {"not a bitmap", {'h', 'e', 'l', 'l', 'o'}}};
    bool first = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!first) {
            WriteBytes(Big, c.bytes);
        }
        first = false;
        CImage image;
        image.LoadSheet(Big, Small, 5, 40, 30);
        image.SetMagentaKey();
        image.SetPosition(100, 100);
        image.Draw(screen);
        image.DrawFrame(screen, 3);
        EXPECT_EQ(image.surface, nullptr);
        EXPECT_EQ(image.rect.w, 0);
        EXPECT_EQ(image.rect.h, 0);
        EXPECT_EQ(image.columns, 0);
        EXPECT_EQ(PixelAt(screen, 100, 100), 0x202020u);
    }
}

TEST_F(ImageTest, SheetNarrowerThanAFrameDrawsNothing) {
    WriteSettings(2, 1);
    SDL_Surface* screen = GreyScreen(1);
    WriteBitmap(Big, 30, 30, 200, 0, 0);
    CImage image;
    image.LoadSheet(Big, Small, 3, 50, 30);
    EXPECT_EQ(image.columns, 0);
    image.DrawFrame(screen, 1);
    EXPECT_EQ(PixelAt(screen, 0, 0), 0x202020u);

    // A frame width that the scaled mode cuts to zero leaves no grid either.
    WriteSettings(2, 0);
    WriteBitmap(Small, 30, 30, 200, 0, 0);
    CImage tiny;
    tiny.LoadSheet(Big, Small, 3, 1, 1);
    EXPECT_EQ(tiny.frameWidth, 0);
    EXPECT_EQ(tiny.columns, 0);
    tiny.DrawFrame(screen, 0);
}

} // namespace
