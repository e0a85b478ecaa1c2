// Opens every picture of both art trees with the game's own image class and checks that it
// fits what the game does with it.
#include "TestSupport.h"
#include "gfx/Image.h"

#include <SDL_ttf.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <tuple>
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

const Picture Pictures[] = {{"Game/Ball.bmp", Kind::Sprite, 1, 15, 15},
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
                            {"Menu/Credits.bmp", Kind::Backdrop, 1, 1920, 1080}};

// The opaque (not magenta) pixels of a part of a picture: how many, and their bounding box.
struct Opaque {
    int count = 0;
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

Opaque OpaqueIn(SDL_Surface* surface, int x, int y, int w, int h) {
    Opaque found;
    for (int py = y; py < y + h; ++py) {
        for (int px = x; px < x + w; ++px) {
            if (PixelAt(surface, px, py) != Magenta) {
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

// Contrast ratio of two colours, from their relative luminance.
double Contrast(Uint32 a, Uint32 b) {
    const double weights[] = {0.2126, 0.7152, 0.0722};
    double l[2] = {0.05, 0.05};
    for (int n = 0; n < 2; ++n) {
        for (int i = 0; i < 3; ++i) {
            const double c = (((n ? b : a) >> (16 - 8 * i)) & 0xFF) / 255.0;
            l[n] += weights[i] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
    }
    return std::max(l[0], l[1]) / std::min(l[0], l[1]);
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
    std::unique_ptr<CImage> Open(const std::string& name) const {
        const Picture& picture = *std::find_if(std::begin(Pictures), std::end(Pictures),
                                               [&](const Picture& p) { return p.name == name; });
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

    // Opaque pixels of one frame of a sheet, in the frame's coordinates.
    static Opaque OpaqueInFrame(const CImage& sheet, int frame) {
        return OpaqueIn(sheet.surface, sheet.frameWidth * (frame % sheet.columns),
                        sheet.frameHeight * (frame / sheet.columns), sheet.frameWidth,
                        sheet.frameHeight);
    }

    double scale = 1;
};

} // namespace

TEST_P(ArtTree, EveryPictureHasItsSizeDepthGridAndMagentaOnlyWhereTransparent) {
    for (const Picture& picture : Pictures) {
        SCOPED_TRACE(picture.name);
        const std::unique_ptr<CImage> image = Open(picture.name);
        SDL_Surface* surface = image->surface;
        ASSERT_NE(surface, nullptr);
        const SDL_PixelFormat* format = surface->format;
        if (picture.kind != Kind::Result || format->BitsPerPixel != 8) {
            EXPECT_EQ(format->BitsPerPixel, 32);
            EXPECT_EQ(std::make_tuple(format->Rmask, format->Gmask, format->Bmask),
                      std::make_tuple(0xFF0000u, 0xFF00u, 0xFFu));
            EXPECT_EQ(surface->flags & SDL_SRCALPHA, 0u) << "drawn without blending";
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

        // Magenta, and no pink fringe of magenta blended into the drawing; backgrounds have none.
        int magenta = 0, pinkish = 0;
        for (int y = 0; y < surface->h; ++y) {
            for (int x = 0; x < surface->w; ++x) {
                const Uint32 c = PixelAt(surface, x, y);
                magenta += c == Magenta;
                pinkish +=
                    c != Magenta && (c >> 16) >= 128 && (c & 0xFF) >= 128 && ((c >> 8) & 0xFF) < 96;
            }
        }
        EXPECT_EQ(pinkish, 0);
        EXPECT_EQ(magenta > 0, picture.kind != Kind::Backdrop);
        for (int frame = 0; frame < picture.frames && picture.kind != Kind::Backdrop; ++frame) {
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
        const auto paddle = Open(player == 1 ? "Game/Paddel1.bmp" : "Game/Paddel2.bmp");
        ASSERT_NE(paddle->surface, nullptr);
        const Opaque body = OpaqueInFrame(*paddle, 1);
        if (player == 1) {
            EXPECT_GE(body.left, Px(65 - 30));
            EXPECT_EQ(body.right, paddle->frameWidth - 1);
        } else {
            EXPECT_EQ(body.left, 0);
            EXPECT_LT(body.right, PxUp(1855 - 1840));
        }
        EXPECT_GE(body.top, Px(40));
        EXPECT_LE(body.top, PxUp(46));
        EXPECT_GE(body.bottom, Px(149));
        EXPECT_LT(body.bottom, PxUp(155));
    }
}

TEST_P(ArtTree, OptionMarkersPointAtTheirValues) {
    // Marker position, and the value frame it points at (left edge, top, height).
    const struct {
        const char* name;
        int x, y, valueX, valueY, valueHeight;
    } markers[] = {{"Menu/Options_Select1.bmp", 1049, 455, 1080, 450, 61},
                   {"Menu/Options_Select2.bmp", 1130, 622, 1149, 616, 45}};
    for (const auto& marker : markers) {
        SCOPED_TRACE(marker.name);
        const auto image = Open(marker.name);
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
    ASSERT_EQ(TTF_Init(), 0);
    TTF_Font* font = TTF_OpenFont(ZORVAT_FONT_SOURCE, GetParam() == 1 ? 60 : 40);
    ASSERT_NE(font, nullptr);
    SDL_Surface* text = TTF_RenderText_Blended(font, "10", SDL_Color{0x0D, 0x10, 0x79, 0});
    ASSERT_NE(text, nullptr);
    const auto background = Open("Game/Background.bmp");
    ASSERT_NE(background->surface, nullptr);
    std::vector<std::unique_ptr<CImage>> results;
    for (const char* name : {"Game/Won.bmp", "Game/Won1.bmp", "Game/Won2.bmp", "Game/Lost.bmp"}) {
        results.push_back(Open(name));
    }
    for (const int cornerX : {Px(450), Px(1412)}) {
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
                const int sx = cornerX + x, sy = Px(20) + y;
                ASSERT_GE(Contrast(scoreColour, PixelAt(background->surface, sx, sy)), 4.5)
                    << "at " << sx << "," << sy;
                for (const auto& result : results) {
                    SDL_Surface* s = result->surface;
                    if (s && sx < s->w && sy < s->h) {
                        ASSERT_EQ(PixelAt(s, sx, sy), Magenta) << "at " << sx << "," << sy;
                    }
                }
            }
        }
        EXPECT_GT(ink, 0);
    }
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
        if (entry.is_regular_file()) {
            const std::string name = fs::relative(entry.path(), "again").string();
            EXPECT_EQ(ReadBytes(std::string(ZORVAT_DATA_DIR) + "/" + name), ReadBytes(entry.path()))
                << name;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 2 * 16);
}
