// The pictures the artwork generator wrote into the build's Data, decoded as the game decodes
// them: 8-bit and 32-bit bitmaps of the sizes the game cuts them at, keyed where they are drawn
// over others.
#include <sstream>

#include "TestSupport.h"
#include "gfx/Image.h"

using ArtCompat = ZorvatTest;

int Magenta(SDL_Surface* s, int w, int h) {
    int count = 0;
    for (int i = 0; i < w * h; ++i) {
        count += PixelAt(s, i % w, i / w) == 0xFF00FFu;
    }
    return count;
}

TEST_F(ArtCompat, EveryPictureHasTheSizeOfItsTreeAndItsMagentaNeverReachesTheScreen) {
    // Pictures of one size in field units (frames of a sheet side by side; 0: any size), and
    // whether they are drawn over others and so key out magenta.
    const struct {
        const char* names;
        int frames, w, h;
        bool keyed;
    } groups[] = {{"Game/Background Menu/Menu Menu/OptionsBack Menu/Credits", 1, 1920, 1080, false},
                  {"Game/Ball", 1, 15, 15, true},
                  {"Game/Paddel1 Game/Paddel2", 3, 50, 190, true},
                  {"Game/Won Game/Won1 Game/Won2 Game/Lost", 1, 1489, 719, true},
                  {"Menu/Menu_Select", 5, 520, 500, true},
                  {"Menu/Options_Selections1", 3, 221, 61, true},
                  {"Menu/Options_Selections2", 2, 100, 45, true},
                  {"Menu/Options_Select1 Menu/Options_Select2", 1, 0, 0, true}};
    SDL_Surface* screen = OpenScreen(1); // the window's format, room for the largest picture
    for (const double scale : {1.0, ScaleFactor}) {
        for (const auto& g : groups) {
            std::istringstream names(g.names);
            for (std::string name; names >> name;) {
                const std::string path = std::string(ZORVAT_DATA_DIR) +
                                         (scale == 1 ? "/Original/" : "/Skaliert/") + name + ".bmp";
                SCOPED_TRACE(path);
                CImage image; // loaded as the game loads it, in the screen's format
                image.Load(path, path);
                SDL_Surface* s = image.surface;
                ASSERT_NE(s, nullptr) << SDL_GetError();
                if (g.w > 0) {
                    EXPECT_EQ(s->w, g.frames * static_cast<int>(g.w * scale));
                    EXPECT_EQ(s->h, static_cast<int>(g.h * scale));
                }
                const int magenta = Magenta(s, s->w, s->h);
                EXPECT_EQ(magenta > 0, g.keyed);
                EXPECT_LT(magenta, s->w * s->h) << "something is drawn";
                // Keyed and drawn over black, no picture shows its magenta.
                SDL_FillRect(screen, nullptr, 0);
                image.SetMagentaKey();
                image.Draw(screen);
                EXPECT_EQ(Magenta(screen, s->w, s->h), 0) << "magenta on the screen";
            }
        }
    }
}
