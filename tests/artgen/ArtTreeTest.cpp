// Opens every picture of both art trees with the game's own image class and checks that it
// fits what the game does with it.
#include "SurfacePixel.h"
#include "TestSupport.h"
#include "gfx/Image.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <unistd.h>

namespace {

const Uint32 Magenta = 0xFF00FF;

enum class Kind { Backdrop, Sprite, Sheet, Result };

struct Picture {
    const char* name;
    Kind kind;
    int frames;
    int frameWidth; // field units; 0 for a sprite of any size
    int frameHeight;
};

const Picture Pictures[] = {
    {"Game/Ball.bmp", Kind::Sprite, 1, 15, 15},
    {"Game/Paddel1.bmp", Kind::Sheet, 3, 50, 190},
    {"Game/Paddel2.bmp", Kind::Sheet, 3, 50, 190},
    {"Game/Background.bmp", Kind::Backdrop, 1, 1920, 1080},
    {"Game/Won.bmp", Kind::Result, 1, 0, 0},
    {"Game/Won1.bmp", Kind::Result, 1, 0, 0},
    {"Game/Won2.bmp", Kind::Result, 1, 0, 0},
    {"Game/Lost.bmp", Kind::Result, 1, 0, 0},
    {"Menu/Menu.bmp", Kind::Backdrop, 1, 1920, 1080},
    {"Menu/Menu_Select.bmp", Kind::Sheet, 5, 520, 500},
    {"Menu/OptionsBack.bmp", Kind::Backdrop, 1, 1920, 1080},
    {"Menu/Options_Selections1.bmp", Kind::Sheet, 3, 221, 61},
    {"Menu/Options_Selections2.bmp", Kind::Sheet, 2, 100, 45},
    {"Menu/Options_Select1.bmp", Kind::Sprite, 1, 0, 0},
    {"Menu/Options_Select2.bmp", Kind::Sprite, 1, 0, 0},
    {"Menu/Credits.bmp", Kind::Backdrop, 1, 1920, 1080},
};

const Picture& Named(const std::string& name) {
    return *std::find_if(std::begin(Pictures), std::end(Pictures),
                         [&](const Picture& picture) { return picture.name == name; });
}

// The opaque (not magenta) pixels of a part of a picture: how many, and their bounding box.
struct Opaque {
    int count = 0;
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

Opaque OpaqueIn(SDL_Surface* surface, int x, int y, int w, int h) {
    Opaque found;
    for (int py = y; py < y + h; ++py) {
        for (int px = x; px < x + w; ++px) {
            if (SurfacePixel(surface, px, py) != Magenta) {
                ++found.count;
                found.left = std::min(found.left, px - x);
                found.right = std::max(found.right, px - x);
                found.top = std::min(found.top, py - y);
                found.bottom = std::max(found.bottom, py - y);
            }
        }
    }
    return found;
}

// A blend of magenta into some colour: the pink fringe of a picture smoothed against magenta.
bool Pinkish(Uint32 colour) {
    const int r = colour >> 16, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
    return colour != Magenta && r >= 128 && b >= 128 && g < 96;
}

// Relative luminance of a colour, for contrast ratios.
double Luminance(Uint32 colour) {
    double sum = 0;
    const double weights[] = {0.2126, 0.7152, 0.0722};
    for (int i = 0; i < 3; ++i) {
        const double c = ((colour >> (16 - 8 * i)) & 0xFF) / 255.0;
        sum += weights[i] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return sum;
}

double Contrast(Uint32 a, Uint32 b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Runs with the settings of one display mode: 1 for full HD, 0 for the scaled mode.
class ArtTree : public ZorvatTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        ASSERT_EQ(symlink(ZORVAT_DATA_DIR, "Data"), 0);
        WriteSettings(2, GetParam());
        scale = GetParam() == 1 ? 1.0 : ScaleFactor;
    }

    // Pixels of field units, cut as the game cuts them, and rounded up.
    int Px(double units) const { return static_cast<int>(units * scale); }
    int PxUp(double units) const { return static_cast<int>(std::ceil(units * scale)); }

    // The picture loaded as the game loads it: a sheet with its frames, else whole.
    std::unique_ptr<CImage> Open(const Picture& picture) const {
        std::unique_ptr<CImage> image(new CImage());
        const std::string full = std::string("Data/Original/") + picture.name;
        const std::string scaled = std::string("Data/Skaliert/") + picture.name;
        if (picture.kind == Kind::Sheet) {
            image->LoadSheet(full, scaled, picture.frames, picture.frameWidth, picture.frameHeight);
        } else {
            image->Load(full, scaled);
        }
        return image;
    }

    // Opaque pixels of one frame of a sheet, in the frame's own coordinates.
    static Opaque OpaqueInFrame(const CImage& sheet, int frame, int y = 0, int h = -1) {
        const int x0 = sheet.frameWidth * (frame % sheet.columns);
        const int y0 = sheet.frameHeight * (frame / sheet.columns);
        Opaque found =
            OpaqueIn(sheet.surface, x0, y0 + y, sheet.frameWidth, h < 0 ? sheet.frameHeight : h);
        found.top += y;
        found.bottom += y;
        return found;
    }

    double scale = 1;
};

} // namespace

TEST_P(ArtTree, EveryPictureHasItsSizeDepthAndGrid) {
    for (const Picture& picture : Pictures) {
        SCOPED_TRACE(picture.name);
        const std::unique_ptr<CImage> image = Open(picture);
        ASSERT_NE(image->surface, nullptr);
        SDL_Surface* surface = image->surface;
        const int bits = surface->format->BitsPerPixel;
        if (picture.kind == Kind::Result) {
            EXPECT_TRUE(bits == 8 || bits == 32) << bits;
        } else {
            EXPECT_EQ(bits, 32);
        }
        if (bits == 32) {
            EXPECT_EQ(surface->format->Rmask, 0xFF0000u);
            EXPECT_EQ(surface->format->Gmask, 0x00FF00u);
            EXPECT_EQ(surface->format->Bmask, 0x0000FFu);
            // SDL 2's loader under the SDL 1.2 compatibility layer adds an alpha mask; what
            // counts is that the game draws the picture without blending.
            EXPECT_EQ(surface->flags & SDL_SRCALPHA, 0u);
        }
        if (picture.kind == Kind::Sheet) {
            EXPECT_EQ(image->frameWidth, Px(picture.frameWidth));
            EXPECT_EQ(image->frameHeight, Px(picture.frameHeight));
            EXPECT_EQ(surface->w % image->frameWidth, 0);
            EXPECT_EQ(surface->h % image->frameHeight, 0);
            EXPECT_GE(image->columns * (surface->h / image->frameHeight), picture.frames);
        } else if (picture.frameWidth > 0) {
            EXPECT_EQ(surface->w, Px(picture.frameWidth));
            EXPECT_EQ(surface->h, Px(picture.frameHeight));
        } else {
            EXPECT_LE(surface->w, Px(1920));
            EXPECT_LE(surface->h, Px(1080));
        }
    }
}

TEST_P(ArtTree, MagentaOnlyWhereTransparent) {
    for (const Picture& picture : Pictures) {
        SCOPED_TRACE(picture.name);
        const std::unique_ptr<CImage> image = Open(picture);
        ASSERT_NE(image->surface, nullptr);
        SDL_Surface* surface = image->surface;
        int magenta = 0;
        int pinkish = 0;
        for (int y = 0; y < surface->h; ++y) {
            for (int x = 0; x < surface->w; ++x) {
                const Uint32 colour = SurfacePixel(surface, x, y);
                magenta += colour == Magenta;
                pinkish += Pinkish(colour);
            }
        }
        EXPECT_EQ(pinkish, 0);
        if (picture.kind == Kind::Backdrop) {
            EXPECT_EQ(magenta, 0);
            continue;
        }
        EXPECT_GT(magenta, 0);
        for (int frame = 0; frame < picture.frames; ++frame) {
            const Opaque drawn = picture.kind == Kind::Sheet
                                     ? OpaqueInFrame(*image, frame)
                                     : OpaqueIn(surface, 0, 0, surface->w, surface->h);
            EXPECT_GT(drawn.count, 0) << "frame " << frame;
        }
    }
}

TEST_P(ArtTree, PaddleBodiesMatchTheHitBand) {
    // A ball touches the left paddle (at x 30) with its left edge at 65..80 and the right one
    // (at x 1840) with its right edge at 1840..1855; it is level with a paddle when its centre
    // is 40.5..154.5 below the paddle's top.
    for (int player = 1; player <= 2; ++player) {
        SCOPED_TRACE(player);
        const std::unique_ptr<CImage> paddle =
            Open(Named(player == 1 ? "Game/Paddel1.bmp" : "Game/Paddel2.bmp"));
        ASSERT_NE(paddle->surface, nullptr);
        const int w = paddle->frameWidth;
        const Opaque body = OpaqueInFrame(*paddle, 1);
        if (player == 1) {
            EXPECT_GE(body.left, Px(65 - 30));
            EXPECT_EQ(body.right, w - 1);
        } else {
            EXPECT_EQ(body.left, 0);
            EXPECT_LT(body.right, PxUp(1855 - 1840));
        }
        EXPECT_GE(body.top, Px(40));
        EXPECT_LE(body.top, PxUp(46));
        EXPECT_GE(body.bottom, Px(149));
        EXPECT_LT(body.bottom, PxUp(155));

        // Moving frames trail behind the body: left 0 and right 2 move up, the others down.
        for (int frame : {0, 2}) {
            SCOPED_TRACE(frame);
            const bool up = (frame == 0) == (player == 1);
            const Opaque above = OpaqueInFrame(*paddle, frame, 0, Px(40));
            const Opaque below =
                OpaqueInFrame(*paddle, frame, PxUp(155), paddle->frameHeight - PxUp(155));
            EXPECT_EQ(above.count > 0, !up);
            EXPECT_EQ(below.count > 0, up);
        }
    }
}

TEST_P(ArtTree, MenuHighlightsStayOnTheirEntries) {
    // Frame i lights entry i + 1, the band of 100 field units from 100 i in the frame.
    const std::unique_ptr<CImage> select = Open(Named("Menu/Menu_Select.bmp"));
    ASSERT_NE(select->surface, nullptr);
    for (int frame = 0; frame < 5; ++frame) {
        SCOPED_TRACE(frame);
        const Opaque highlight = OpaqueInFrame(*select, frame);
        EXPECT_GT(highlight.count, 0);
        EXPECT_GE(highlight.top, Px(100 * frame));
        EXPECT_LT(highlight.bottom, PxUp(100 * (frame + 1)));
    }
}

TEST_P(ArtTree, OptionMarkersPointAtTheirValues) {
    // Marker position, and the value frame it points at (left edge, top, height).
    const struct {
        const Picture& picture;
        int x, y, valueX, valueY, valueHeight;
    } markers[] = {{Named("Menu/Options_Select1.bmp"), 1049, 455, 1080, 450, 61},
                   {Named("Menu/Options_Select2.bmp"), 1130, 622, 1149, 616, 45}};
    for (const auto& marker : markers) {
        SCOPED_TRACE(marker.picture.name);
        const std::unique_ptr<CImage> image = Open(marker.picture);
        ASSERT_NE(image->surface, nullptr);
        const Opaque arrow = OpaqueIn(image->surface, 0, 0, image->surface->w, image->surface->h);
        ASSERT_GT(arrow.count, 0);
        EXPECT_LT(Px(marker.x) + arrow.right, Px(marker.valueX));
        const double middle = Px(marker.y) + (arrow.top + arrow.bottom + 1) / 2.0;
        EXPECT_NEAR(middle, (marker.valueY + marker.valueHeight / 2.0) * scale, 2);
    }
}

TEST_P(ArtTree, ScoresStayLegibleAndUncovered) {
    // The game writes the scores in dark blue with DejaVu Sans Mono from these corners.
    const Uint32 scoreColour = 0x0D1079;
    const int corners[][2] = {{Px(450), Px(20)}, {Px(1412), Px(20)}};
    ASSERT_EQ(TTF_Init(), 0);
    TTF_Font* font = TTF_OpenFont(ZORVAT_FONT_SOURCE, GetParam() == 1 ? 60 : 40);
    ASSERT_NE(font, nullptr);
    const SDL_Color colour = {0x0D, 0x10, 0x79, 0};
    SDL_Surface* text = TTF_RenderText_Blended(font, "10", colour);
    ASSERT_NE(text, nullptr);

    const std::unique_ptr<CImage> background = Open(Named("Game/Background.bmp"));
    ASSERT_NE(background->surface, nullptr);
    std::vector<std::unique_ptr<CImage>> results;
    for (const char* name : {"Game/Won.bmp", "Game/Won1.bmp", "Game/Won2.bmp", "Game/Lost.bmp"}) {
        results.push_back(Open(Named(name)));
        ASSERT_NE(results.back()->surface, nullptr);
    }
    SDL_LockSurface(text);
    for (const auto& corner : corners) {
        int ink = 0;
        for (int y = 0; y < text->h; ++y) {
            for (int x = 0; x < text->w; ++x) {
                Uint8 r, g, b, a;
                SDL_GetRGBA(static_cast<Uint32*>(text->pixels)[y * text->pitch / 4 + x],
                            text->format, &r, &g, &b, &a);
                if (a < 128) {
                    continue;
                }
                ++ink;
                const int sx = corner[0] + x, sy = corner[1] + y;
                EXPECT_GE(Contrast(scoreColour, SurfacePixel(background->surface, sx, sy)), 4.5)
                    << "at " << sx << "," << sy;
                for (const std::unique_ptr<CImage>& result : results) {
                    SDL_Surface* s = result->surface;
                    if (sx < s->w && sy < s->h) {
                        ASSERT_EQ(SurfacePixel(s, sx, sy), Magenta) << "at " << sx << "," << sy;
                    }
                }
            }
        }
        EXPECT_GT(ink, 0);
    }
    SDL_UnlockSurface(text);
    SDL_FreeSurface(text);
    TTF_CloseFont(font);
    TTF_Quit();
}

INSTANTIATE_TEST_SUITE_P(BothTrees, ArtTree, ::testing::Values(1, 0),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 1 ? "FullHd" : "Scaled";
                         });

using ArtGenerator = ZorvatTest;

TEST_F(ArtGenerator, DrawsTheSameBytesOnEveryRun) {
    namespace fs = std::filesystem;
    ASSERT_EQ(std::system((std::string(ZORVAT_ARTGEN) + " again").c_str()), 0);
    int compared = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator("again")) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string name = fs::relative(entry.path(), "again").string();
        SCOPED_TRACE(name);
        std::ifstream first(std::string(ZORVAT_DATA_DIR) + "/" + name, std::ios::binary);
        std::ifstream second(entry.path(), std::ios::binary);
        ASSERT_TRUE(first && second);
        EXPECT_TRUE(
            std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                       std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>()));
        ++compared;
    }
    EXPECT_EQ(compared, 2 * 16);
}
