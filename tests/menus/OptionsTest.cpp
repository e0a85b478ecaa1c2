#include "TestSupport.h"

#include <climits>

#include "app/Program.h"
#include "menus/MainMenu.h"
#include "menus/Options.h"

namespace {

int refusedWidth = 0; // the width of the video mode the display refuses
int modeRequests = 0;

SDL_Surface* RefusingSetVideoMode(int w, int h, int bpp, Uint32 flags) {
    ++modeRequests;
    if (w == refusedWidth) {
        // A display that cannot give the mode: SDL has already let go of the old screen.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    return SDL_SetVideoMode(w, h, bpp, flags);
}

// A file the game has not written: longer than 8 bytes, with marked padding.
Bytes Untouched(int level, int fullHd) {
    Bytes bytes = SettingsBytes(level, fullHd);
    bytes[5] = bytes[6] = bytes[7] = 0xAB;
    bytes.push_back(0xCD);
    return bytes;
}

const SDLKey L = SDLK_LEFT, R = SDLK_RIGHT, U = SDLK_UP, D = SDLK_DOWN, Ret = SDLK_RETURN;

class OptionsCompat : public ZorvatTest {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        CProgram::setVideoMode = RefusingSetVideoMode;
    }
    void TearDown() override {
        CProgram::setVideoMode = SDL_SetVideoMode;
        ZorvatTest::TearDown();
    }
};

TEST_F(OptionsCompat, ReturnSwitchesTheModeThatWorksAndSavesOnlyChangedValues) {
    // Main-menu art that tells the two trees apart by colour.
    WriteBitmap("Data/Original/Menu/Menu.bmp", 1920, 1080, 0xC80000);
    WriteBitmap("Data/Skaliert/Menu/Menu.bmp", 1280, 720, 0x0000C8);
    const struct {
        int level, fullHd, screen, refusedWidth;
        std::vector<SDLKey> keys;
        Bytes after; // empty: the file as it was
        int width, request;
    } cases[] = {
        {2, 0, 0, 0, {Ret}, {}, 1280, StateMainMenu},
        {2, 0, 0, 0, {R, L, Ret}, {}, 1280, StateMainMenu},
        {7, 0, 0, 0, {Ret}, {}, 1280, StateMainMenu},
        {3, 0, 0, 0, {R, Ret}, {}, 1280, StateMainMenu},
        {1, 0, 0, 0, {L, Ret}, {}, 1280, StateMainMenu},
        {7, 0, 0, 0, {L, Ret}, SettingsBytes(6, 0), 1280, StateMainMenu},
        {INT_MIN, 0, 0, 0, {L, Ret}, SettingsBytes(1, 0), 1280, StateMainMenu},
        {2, 1, 1, 0, {L, Ret}, SettingsBytes(1, 1), 1920, StateMainMenu},
        {2, 0, 0, 0, {D, D, L, Ret}, SettingsBytes(1, 0), 1280, StateMainMenu},
        {2, 0, 0, 0, {R, D, L, Ret}, SettingsBytes(3, 1), 1920, StateMainMenu},
        {2, 0, 0, 0, {U, R, L, Ret}, SettingsBytes(2, 1), 1920, StateMainMenu},
        {3, 1, 1, 0, {D, L, R, Ret}, SettingsBytes(3, 0), 1280, StateMainMenu},
        {2, 2, 0, 0, {Ret}, SettingsBytes(2, 0), 1280, StateMainMenu}, // 2 counts as the window
        {2, 0, 0, 0, {R, D, L, SDLK_ESCAPE}, {}, 1280, StateMainMenu},
        {2, 0, 0, 0, {R, D, L, WindowClose, Ret}, SettingsBytes(3, 1), 1920, StateExit},
        // A refused mode gives the old screen back and is not saved; the level still is.
        {2, 0, 0, 1920, {L, D, L, Ret}, SettingsBytes(1, 0), 1280, StateMainMenu},
        {2, 1, 1, 1280, {D, R, Ret}, {}, 1920, StateMainMenu},
        {2, 2, 1, 1280, {Ret}, {}, 1920, StateMainMenu}, // the file edited while in full HD
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "level " << c.level << ", display " << c.fullHd
                                          << ", keys " << ::testing::PrintToString(c.keys));
        WriteBytes("Settings.zorvat", Untouched(c.level, c.fullHd));
        OpenScreen(c.screen);
        Install<COptions>(StateOptions);
        refusedWidth = c.refusedWidth;
        modeRequests = 0;
        HoldKey(SDLK_LSHIFT);
        PressKeys(c.keys);
        ASSERT_EQ(CProgram::Pass(), -1);
        EXPECT_EQ(ReadBytes("Settings.zorvat"),
                  c.after.empty() ? Untouched(c.level, c.fullHd) : c.after);
        EXPECT_EQ(current::GetInstance()->stateID, c.request);
        // Keys held while the mode is re-opened are forgotten: their releases are lost.
        EXPECT_EQ(SDL_GetKeyState(nullptr)[SDLK_LSHIFT], modeRequests == 0);
        SDL_Surface* screen = SDL_GetVideoSurface();
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->w, c.width);
        if (c.request == StateMainMenu) { // the next menu is drawn with the saved mode's art
            const bool big = ReadBytes("Settings.zorvat")[4] == 1;
            EXPECT_EQ(PixelAt(screen, 0, 0), big ? 0xC80000u : 0x0000C8u);
        }
    }
}

using OptionsTest = ZorvatTest;

TEST_F(OptionsTest, DrawsEachPictureInPlaceWithTheNearestValueAndTheMarkerOfTheRow) {
    // Value sheets in one colour per frame, markers in one colour; every picture has a
    // magenta top-left pixel, which lets the background show.
    const struct {
        const char* name;
        int frames, x, y, w, h, fullX, fullY, fullW, fullH;
        Uint32 colour;
    } pictures[] = {{"Options_Selections1", 3, 720, 300, 147, 40, 1080, 450, 221, 61, 0x11},
                    {"Options_Selections2", 2, 766, 410, 66, 30, 1149, 616, 100, 45, 0x1100},
                    {"Options_Select1", 1, 699, 303, 10, 10, 1049, 455, 10, 10, 0x110000},
                    {"Options_Select2", 1, 753, 414, 10, 10, 1130, 622, 10, 10, 0x220000}};
    for (int fullHd : {0, 1}) {
        const std::string tree = fullHd ? "Data/Original/Menu/" : "Data/Skaliert/Menu/";
        WriteBitmap(tree + "OptionsBack.bmp", 1920, 1080, 0x282828);
        for (const auto& p : pictures) {
            const int w = fullHd ? p.fullW : p.w, h = fullHd ? p.fullH : p.h;
            WriteBitmap(tree + p.name + ".bmp", p.frames * w, h, [&](int x, int y) {
                return x % w == 0 && y == 0 ? 0xFF00FFu : p.colour * (x / w + 1);
            });
        }
        SDL_Surface* screen = OpenScreen(fullHd);
        // The level (a hand edit outside 1..3 shows its nearest value), the row with the
        // marker, and the frame of the level sheet shown; the display mode is the tree's.
        const int rows[][3] = {{1, 1, 0}, {2, 1, 1},       {3, 1, 2},
                               {7, 1, 2}, {INT_MIN, 1, 0}, {2, 2, 1}};
        for (const auto& r : rows) {
            SCOPED_TRACE(::testing::Message() << fullHd << ": level " << r[0] << ", row " << r[1]);
            WriteSettings(r[0], fullHd);
            COptions options;
            PressKeys(std::vector<SDLKey>(r[1] - 1, D));
            options.HandleEvents();
            SDL_FillRect(screen, nullptr, 0);
            options.Render(screen);
            const int frames[] = {r[2], fullHd ? 0 : 1, 0, 0};
            for (int i = 0; i < 4; ++i) {
                const auto& p = pictures[i];
                const int x = fullHd ? p.fullX : p.x, y = fullHd ? p.fullY : p.y;
                const int w = fullHd ? p.fullW : p.w, h = fullHd ? p.fullH : p.h;
                const bool shown = i < 2 || (i == 2) == (r[1] == 1);
                const Uint32 inside = shown ? p.colour * (frames[i] + 1) : 0x282828u;
                EXPECT_EQ(PixelAt(screen, x + 1, y), inside) << p.name;
                EXPECT_EQ(PixelAt(screen, x + w - 1, y + h - 1), inside) << p.name;
                for (auto [bx, by] :
                     {std::pair{x, y}, {x - 1, y + 1}, {x + w, y + 1}, {x + 1, y + h}}) {
                    EXPECT_EQ(PixelAt(screen, bx, by), 0x282828u)
                        << p.name << " at " << bx << "," << by;
                }
            }
        }
    }
}

} // namespace
