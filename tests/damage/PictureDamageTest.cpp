// Damaged pictures given to CImage the way the game uses them, and a damaged result picture
// between the frames of an ended match.
#include "TestSupport.h"

#include <climits>
#include <filesystem>

#include "gfx/Image.h"
#include "match/Game.h"

namespace {

enum Outcome { NoPicture, Picture, Either };
struct Damage {
    std::string name;
    Bytes bytes; // no bytes: no file
    Outcome outcome;
};

void Put(Bytes& b, size_t at, long long value, int count = 4) {
    for (int i = 0; i < count; ++i) {
        b.at(at + i) = static_cast<Uint8>(value >> (8 * i));
    }
}

Bytes With(Bytes b, size_t at, long long value, int count = 4) {
    Put(b, at, value, count);
    return b;
}

// A sound bitmap of pixel value 0: a 40-byte header (12 with core), gap bytes, a palette.
Bytes Bmp(int w, int h, int bpp, int colours = 0, bool core = false, int gap = 0) {
    const int side = core ? 2 : 4, offset = 14 + (core ? 12 : 40) + gap + colours * (core ? 3 : 4);
    Bytes b(offset + (w * bpp + 31) / 32 * 4 * h);
    b[0] = 'B', b[1] = 'M';
    Put(b, 10, offset);
    Put(b, 14, core ? 12 : 40);
    Put(b, 18, w, side);
    Put(b, 18 + side, h, side);
    Put(b, 18 + 2 * side, 1, 2);
    Put(b, 20 + 2 * side, bpp, 2);
    return core ? b : With(b, 46, colours);
}

// Every class of damage, beside sound pictures of every layout that must still load. Either:
// SDL's own loader decides, and it differs between SDL 1.2 and its compatibility layer.
std::vector<Damage> Damages() {
    const Bytes b32 = Bmp(2, 3, 32), p8 = Bmp(4, 2, 8, 2), core = Bmp(1, 3, 24, 0, true);
    const Bytes masks = With(
        With(With(With(Bmp(2, 2, 32, 0, false, 12), 30, 3), 54, 0xFF0000), 58, 0xFF00), 62, 0xFF);
    std::vector<Damage> damages = {
        {"missing", {}, NoPicture},
        {"not a bitmap", Bytes(200, 'x'), NoPicture},
        {"header cut", Bytes(b32.begin(), b32.begin() + 30), NoPicture},
        {"pixels cut", Bytes(b32.begin(), b32.end() - 1), NoPicture},
        {"12-byte header", core, Picture}, // one pixel wide: any other width overruns the file
        {"12-byte header, pixels cut", Bytes(core.begin(), core.end() - 1), NoPicture},
        {"width 0", With(b32, 18, 0), NoPicture},
        {"width negative", With(b32, 18, -2), NoPicture},
        {"width 16384", Bmp(16384, 1, 32), NoPicture},
        {"width 16383", Bmp(16383, 1, 32), Picture},
        {"height 0", With(b32, 22, 0), NoPicture},
        {"height huge", With(b32, 22, 0x40000001), NoPicture},
        {"height lowest", With(b32, 22, INT_MIN), NoPicture},
        {"top-down", With(b32, 22, -3), Picture},
        {"depth 0", With(b32, 28, 0, 2), NoPicture},
        {"depth 7", With(b32, 28, 7, 2), NoPicture},
        {"depth 64", With(b32, 28, 64, 2), NoPicture},
        {"depth 1", Bmp(9, 2, 1, 2), Picture},
        {"depth 4", Bmp(9, 2, 4, 16), Picture},
        {"depth 8", p8, Picture},
        {"depth 16", Bmp(3, 2, 16), Picture},
        {"depth 24", Bmp(3, 2, 24), Picture},
        {"depth 32", b32, Picture},
        {"colour past the palette", With(p8, 62, 5, 1), NoPicture}, // the bottom row's first
        {"palette too big", With(p8, 46, 100000), Either},
        {"no palette", With(Bmp(4, 2, 8), 54, 255, 1), Either},
        {"RLE8", With(p8, 30, 1), Either},
        {"RLE4", With(Bmp(9, 2, 4, 16), 30, 2), Either},
        {"bitfields with masks", masks, Picture},
        {"bitfields without masks", With(b32, 30, 3), NoPicture},
        {"zero masks", With(With(masks, 54, 0), 58, 0), Either},
        {"masks cut by the pixels", Bmp(2, 2, 32, 0, false, 4), NoPicture},
        {"24 bits after a gap", Bmp(1, 2, 24, 0, false, 4), Picture},
        {"pixels at 0", With(b32, 10, 0), NoPicture},
        {"pixels past the end", With(b32, 10, 0x7FFFFFF0), NoPicture},
        {"header size 0", With(b32, 14, 0), Either},
        {"header size huge", With(b32, 14, 0xFFFFFFFF), Either},
        {"planes 0", With(b32, 26, 0, 2), Either},
    };
    // Found by fuzzing: rows times height overflowing SDL's int, a header read past the end.
    for (const auto& entry : std::filesystem::directory_iterator(ZORVAT_DAMAGE_CASES)) {
        damages.push_back({entry.path().filename(), ReadBytes(entry.path()), NoPicture});
    }
    return damages;
}

void Write(const std::string& path, const Damage& damage) {
    std::filesystem::remove(path);
    if (!damage.bytes.empty()) {
        WriteBytes(path, damage.bytes);
    }
}

using PictureDamageTest = ZorvatTest;

TEST_F(PictureDamageTest, EveryDamageLoadsAsNoPictureOrASoundOne) {
    SDL_Surface* screen = OpenScreen(1);
    for (const Damage& damage : Damages()) {
        Write("p.bmp", damage);
        for (int fullHd : {0, 1}) {
            SCOPED_TRACE(damage.name + (fullHd ? " full HD" : " window"));
            WriteSettings(2, fullHd);
            CImage image;
            image.LoadSheet("p.bmp", "p.bmp", 3, 2, 2);
            image.SetMagentaKey();
            for (float place : {0.0f, -60.0f, 1919.0f}) {
                image.SetPosition(place, place / 2);
                image.Draw(screen);
                for (int frame = 0; frame < 4; ++frame) {
                    image.DrawFrame(screen, static_cast<float>(frame));
                }
            }
            if (damage.outcome != Either) {
                EXPECT_EQ(image.surface != nullptr, damage.outcome == Picture);
            }
        }
    }
}

// While the result shows, the scoreboard reads its picture again every frame.
TEST_F(PictureDamageTest, ResultPictureDamagedBetweenFramesOfAnEndedMatch) {
    for (int fullHd : {0, 1}) {
        WriteSettings(2, fullHd);
        SDL_Surface* screen = OpenScreen(fullHd);
        CGame* game = Install<CGame>(StateSinglePlayer, "Single");
        game->leftScore = 10;
        for (const Damage& damage : Damages()) {
            SCOPED_TRACE(damage.name);
            Write(fullHd ? "Data/Original/Game/Won.bmp" : "Data/Skaliert/Game/Won.bmp", damage);
            game->Update();
            game->Render(screen);
            EXPECT_TRUE(game->matchOver);
        }
        PressKey(SDLK_RETURN);
        game->HandleEvents();
        game->Update();
        EXPECT_FALSE(game->matchOver);
    }
}

} // namespace
