// Damaged pictures given to CImage the way the game uses them, and a damaged result picture
// between the frames of an ended match.
#include "TestSupport.h"

#include <filesystem>
#include <tuple>

#include "gfx/Image.h"
#include "match/Game.h"

namespace {

// Picture loading goes through other code on SDL 1.2's compatibility layer.
using PictureDamageCompat = ZorvatTest;

// Each damage through CImage as the game uses it, in both modes, and as the result picture of
// an ended match: the scoreboard reads it again every frame it shows, scores drawn as well.
TEST_F(PictureDamageCompat, EveryDamageLoadsAsNoPictureOrASoundOne) {
    const Bytes b32 = Bmp(2, 3, 32), core = Bmp(1, 3, 24, 0, true);
    const Bytes masks = With(
        With(With(With(Bmp(2, 2, 32, 0, false, 12), 30, 3), 54, 0xFF0000), 58, 0xFF00), 62, 0xFF);
    // Every class of damage, beside sound pictures of every layout that must still load, with
    // what CImage must make of it: 'N' no picture, 'P' a picture. Damage that SDL's own loader
    // refuses before the game's checks see it (compressed pixels, a colour past the palette) is
    // left out. The 12-byte header's picture is one pixel wide: any other width overruns the
    // file.
    // clang-format off
    std::vector<std::tuple<std::string, Bytes, char>> damages = {
        {"empty", {}, 'N'}, {"not a bitmap", Bytes(200, 'x'), 'N'},
        {"header cut", Bytes(b32.begin(), b32.begin() + 30), 'N'},
        {"pixels cut", Bytes(b32.begin(), b32.end() - 1), 'N'},
        {"12-byte header", core, 'P'}, {"top-down", With(b32, 22, -3), 'P'},
        {"width 0", With(b32, 18, 0), 'N'}, {"width -2", With(b32, 18, -2), 'N'},
        {"width 16384", Bmp(16384, 1, 32), 'N'}, {"height huge", With(b32, 22, 0x40000001), 'N'},
        {"depth 7", With(b32, 28, 7, 2), 'N'}, {"depth 64", With(b32, 28, 64, 2), 'N'},
        {"width 16383", Bmp(16383, 1, 32), 'P'}, {"one colour", Bmp(4, 2, 8, 1), 'P'},
        {"bitfields with masks", masks, 'P'}, {"bitfields without masks", With(b32, 30, 3), 'N'},
        {"zero masks", With(With(masks, 54, 0), 58, 0), 'P'},
        {"masks cut by the pixels", Bmp(2, 2, 32, 0, false, 4), 'N'},
        {"15-bit masks cut by the pixels", Bmp(2, 2, 15, 0, false, 4), 'N'},
        {"24 bits after a gap", Bmp(1, 2, 24, 0, false, 4), 'P'},
        {"one row", Bmp(3, 1, 32), 'P'},
        {"pixels at 0", With(b32, 10, 0), 'N'},
        {"pixels past the end", With(b32, 10, 0x7FFFFFF0), 'N'},
        {"header size 0", With(b32, 14, 0), 'N'},
        {"header size huge", With(b32, 14, 0xFFFFFFFF), 'N'}};
    // clang-format on
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        damages.push_back({"depth " + std::to_string(bpp), Bmp(9, 2, bpp, bpp <= 8 ? 2 : 0), 'P'});
    }
    // Found by fuzzing: rows times height overflowing SDL's int, a header read past the end.
    for (const auto& entry : std::filesystem::directory_iterator(ZORVAT_DAMAGE_CASES)) {
        damages.push_back({entry.path().filename(), ReadBytes(entry.path()), 'N'});
    }
    WriteBytes("Data/DejaVuSansMono.ttf", ReadBytes(ZORVAT_FONT));
    for (int fullHd : {0, 1}) {
        WriteSettings(2, fullHd);
        SDL_Surface* screen = OpenScreen(fullHd);
        CGame* game = Install<CGame>(StateSinglePlayer, "Single");
        game->leftScore = 10;
        const std::string won =
            fullHd ? "Data/Original/Game/Won.bmp" : "Data/Skaliert/Game/Won.bmp";
        for (const auto& [name, bytes, outcome] : damages) {
            SCOPED_TRACE(name + (fullHd ? " full HD" : " window"));
            WriteBytes(won, bytes);
            CImage image;
            image.LoadSheet(won, won, 3, 2, 2);
            image.SetMagentaKey();
            image.SetPosition(-60, -30); // across the edges, and a frame past the sheet
            image.Draw(screen);
            image.DrawFrame(screen, 0);
            image.DrawFrame(screen, 3);
            EXPECT_EQ(image.surface ? 'P' : 'N', outcome);
            game->Render(screen);
        }
    }
}

} // namespace
