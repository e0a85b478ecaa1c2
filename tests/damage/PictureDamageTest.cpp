// Damaged pictures given to CImage the way the game uses them, and a damaged result picture
// between the frames of an ended match.
#include "TestSupport.h"

#include <filesystem>

#include "gfx/Image.h"
#include "match/Game.h"

namespace {

// A damage and what CImage must make of it: 'N' no picture, 'P' a picture, '?' whatever SDL's
// own loader makes of it, which differs between SDL 1.2 and its compatibility layer.
struct Damage {
    std::string name;
    Bytes bytes;
    char outcome;
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
    Put(b, 10, offset), Put(b, 14, core ? 12 : 40), Put(b, 18, w, side), Put(b, 18 + side, h, side);
    Put(b, 18 + 2 * side, 1, 2), Put(b, 20 + 2 * side, bpp, 2);
    return core ? b : With(b, 46, colours);
}

// Every class of damage, beside sound pictures of every layout that must still load.
std::vector<Damage> Damages() {
    const Bytes b32 = Bmp(2, 3, 32), p8 = Bmp(4, 2, 8, 2), core = Bmp(1, 3, 24, 0, true);
    Bytes masks = Bmp(2, 2, 32, 0, false, 12);
    Put(masks, 30, 3), Put(masks, 54, 0xFF0000), Put(masks, 58, 0xFF00), Put(masks, 62, 0xFF);
    // The 12-byte header's picture is one pixel wide: any other width overruns the file. The
    // colour past the palette is in the bottom row, the first in the file.
    std::vector<Damage> damages = {{"empty", {}, 'N'},
                                   {"not a bitmap", Bytes(200, 'x'), 'N'},
                                   {"header cut", Bytes(b32.begin(), b32.begin() + 30), 'N'},
                                   {"pixels cut", Bytes(b32.begin(), b32.end() - 1), 'N'},
                                   {"12-byte header", core, 'P'},
                                   {"width 0", With(b32, 18, 0), 'N'},
                                   {"width -2", With(b32, 18, -2), 'N'},
                                   {"width 16384", Bmp(16384, 1, 32), 'N'},
                                   {"height huge", With(b32, 22, 0x40000001), 'N'},
                                   {"top-down", With(b32, 22, -3), 'P'},
                                   {"depth 7", With(b32, 28, 7, 2), 'N'},
                                   {"depth 64", With(b32, 28, 64, 2), 'N'},
                                   {"colour past the palette", With(p8, 62, 5, 1), 'N'},
                                   {"palette too big", With(p8, 46, 100000), '?'},
                                   {"no palette", With(Bmp(4, 2, 8), 54, 255, 1), '?'},
                                   {"RLE8", With(p8, 30, 1), '?'},
                                   {"bitfields with masks", masks, 'P'},
                                   {"bitfields without masks", With(b32, 30, 3), 'N'},
                                   {"zero masks", With(With(masks, 54, 0), 58, 0), '?'},
                                   {"masks cut by the pixels", Bmp(2, 2, 32, 0, false, 4), 'N'},
                                   {"24 bits after a gap", Bmp(1, 2, 24, 0, false, 4), 'P'},
                                   {"pixels at 0", With(b32, 10, 0), 'N'},
                                   {"pixels past the end", With(b32, 10, 0x7FFFFFF0), 'N'},
                                   {"header size 0", With(b32, 14, 0), '?'},
                                   {"header size huge", With(b32, 14, 0xFFFFFFFF), '?'}};
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        damages.push_back({"depth " + std::to_string(bpp), Bmp(9, 2, bpp, bpp <= 8 ? 2 : 0), 'P'});
    }
    // Found by fuzzing: rows times height overflowing SDL's int, a header read past the end.
    for (const auto& entry : std::filesystem::directory_iterator(ZORVAT_DAMAGE_CASES)) {
        damages.push_back({entry.path().filename(), ReadBytes(entry.path()), 'N'});
    }
    return damages;
}

using PictureDamageTest = ZorvatTest;

// Each damage through CImage as the game uses it, in both modes, and as the result picture of
// an ended match written between frames: the scoreboard reads it again every frame it shows.
TEST_F(PictureDamageTest, EveryDamageLoadsAsNoPictureOrASoundOne) {
    WriteBytes("Data/DejaVuSansMono.ttf", ReadBytes(ZORVAT_FONT)); // scores drawn as well
    for (int fullHd : {0, 1}) {
        WriteSettings(2, fullHd);
        SDL_Surface* screen = OpenScreen(fullHd);
        CGame* game = Install<CGame>(StateSinglePlayer, "Single");
        game->leftScore = 10;
        for (const Damage& damage : Damages()) {
            SCOPED_TRACE(damage.name + (fullHd ? " full HD" : " window"));
            WriteBytes("p.bmp", damage.bytes);
            WriteBytes(fullHd ? "Data/Original/Game/Won.bmp" : "Data/Skaliert/Game/Won.bmp",
                       damage.bytes);
            CImage image;
            image.LoadSheet("p.bmp", "p.bmp", 3, 2, 2);
            image.SetMagentaKey();
            for (float at : {0.0f, -60.0f, 1919.0f}) { // and frames past the sheet
                image.SetPosition(at, at / 2);
                image.Draw(screen);
                image.DrawFrame(screen, 3);
                image.DrawFrame(screen, at / 1000);
            }
            EXPECT_EQ(damage.outcome == '?' ? '?' : image.surface ? 'P' : 'N', damage.outcome);
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
