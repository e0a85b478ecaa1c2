// The pictures the artwork generator wrote into the build's Data, decoded as the game decodes
// them: 8-bit and 32-bit bitmaps of the sizes the game cuts them at.
#include "TestSupport.h"
#include "gfx/Image.h"

namespace {

const Uint32 Magenta = 0xFF00FF;
using ArtCompat = ZorvatTest;

TEST_F(ArtCompat, EveryPictureHasTheSizeOfItsTreeAndMagentaOnlyInForegrounds) {
    // Size in field units (frames of a sheet side by side; 0: any size), and whether the
    // picture is drawn over others and so keys out magenta.
    const struct {
        const char* name;
        int frames, w, h;
        bool keyed;
    } pictures[] = {{"Game/Ball", 1, 15, 15, true},
                    {"Game/Paddel1", 3, 50, 190, true},
                    {"Game/Paddel2", 3, 50, 190, true},
                    {"Game/Background", 1, 1920, 1080, false},
                    {"Game/Won", 1, 1489, 719, true},
                    {"Game/Won1", 1, 1489, 719, true},
                    {"Game/Won2", 1, 1489, 719, true},
                    {"Game/Lost", 1, 1489, 719, true},
                    {"Menu/Menu", 1, 1920, 1080, false},
                    {"Menu/Menu_Select", 5, 520, 500, true},
                    {"Menu/OptionsBack", 1, 1920, 1080, false},
                    {"Menu/Options_Selections1", 3, 221, 61, true},
                    {"Menu/Options_Selections2", 2, 100, 45, true},
                    {"Menu/Options_Select1", 1, 0, 0, true},
                    {"Menu/Options_Select2", 1, 0, 0, true},
                    {"Menu/Credits", 1, 1920, 1080, false}};
    for (const double scale : {1.0, ScaleFactor}) {
        for (const auto& p : pictures) {
            const std::string path = std::string(ZORVAT_DATA_DIR) +
                                     (scale == 1 ? "/Original/" : "/Skaliert/") + p.name + ".bmp";
            SCOPED_TRACE(path);
            SDL_Surface* s = SDL_LoadBMP(path.c_str());
            ASSERT_NE(s, nullptr) << SDL_GetError();
            if (p.w > 0) {
                EXPECT_EQ(s->w, p.frames * static_cast<int>(p.w * scale));
                EXPECT_EQ(s->h, static_cast<int>(p.h * scale));
            }
            int magenta = 0;
            for (int y = 0; y < s->h; ++y) {
                for (int x = 0; x < s->w; ++x) {
                    magenta += PixelAt(s, x, y) == Magenta;
                }
            }
            EXPECT_EQ(magenta > 0, p.keyed);
            EXPECT_LT(magenta, s->w * s->h) << "something is drawn";
            SDL_FreeSurface(s);
        }
    }
}

} // namespace
