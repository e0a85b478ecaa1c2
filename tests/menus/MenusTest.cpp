#include <climits>

#include "TestSupport.h"
#include "app/Program.h"
#include "menus/Credits.h"
#include "menus/MainMenu.h"
#include "menus/Options.h"

const SDLKey L = SDLK_LEFT, R = SDLK_RIGHT, U = SDLK_UP, D = SDLK_DOWN, Ret = SDLK_RETURN,
             Esc = SDLK_ESCAPE;
const Uint32 Back = 0x282828; // the background picture of every screen drawn here

using MenusTest = ZorvatTest;
// Pictures are loaded and keyed by other code on SDL 1.2's compatibility layer.
using MenusCompat = ZorvatTest;

TEST_F(MenusTest, KeysRequestTheEntrysStateAndTheHighlightWraps) {
    const struct {
        bool credits; // the credits screen instead of the main menu
        std::vector<SDLKey> keys;
        int request;
        // clang-format off
    } cases[] = {{false, {Ret}, StateSinglePlayer},  {false, {D, Ret}, StateMultiPlayer},
                 {false, {D, D, Ret}, StateOptions}, {false, {U, U, Ret}, StateCredits},
                 {false, {U, Ret}, StateExit},       {false, {D, D, D, D, D, D, Ret}, StateMultiPlayer},
                 {false, {Esc, L, R, SDLK_SPACE, SDLK_KP_ENTER}, StateNone},
                 {false, {WindowClose, Ret}, StateExit}, {false, {D, Ret, WindowClose}, StateExit},
                 {true, {Ret, U, D, L, R, SDLK_SPACE}, StateNone},
                 {true, {Esc}, StateMainMenu},       {true, {WindowClose, Esc}, StateExit}};
    // clang-format on
    for (const auto& c : cases) {
        CGamestate* state = c.credits ? static_cast<CGamestate*>(Install<CCredits>(StateCredits))
                                      : Install<CMainMenu>(StateMainMenu);
        PressKeys(c.keys);
        PressKey(Ret, false);
        PressKey(Esc, false);
        state->HandleEvents();
        EXPECT_EQ(current::GetInstance()->nextState, c.request) << &c - cases;
    }
}

TEST_F(MenusCompat, EachPictureIsDrawnInPlaceWithTheFrameOfItsValue) {
    // Full-HD places and sizes of the options' pictures; the window's are two thirds of them.
    const struct {
        const char* name;
        int frames, x, y, w, h;
        Uint32 colour;
    } pictures[] = {{"Options_Selections1", 3, 1080, 450, 221, 61, 0x11},
                    {"Options_Selections2", 2, 1149, 616, 100, 45, 0x1100},
                    {"Options_Select1", 1, 1049, 455, 10, 10, 0x110000},
                    {"Options_Select2", 1, 1130, 622, 10, 10, 0x220000}};
    for (int fullHd : {0, 1}) {
        const auto at = [&](int v) { return fullHd ? v : v * 2 / 3; };
        const std::string tree = fullHd ? "Data/Original/Menu/" : "Data/Skaliert/Menu/";
        WriteBitmap(tree + "Menu.bmp", at(1920), at(1080), Back);
        WriteBitmap(tree + "OptionsBack.bmp", at(1920), at(1080), Back);
        WriteSheet(tree + "Menu_Select.bmp", 5, at(520), at(500), 0x110000);
        for (const auto& p : pictures) {
            WriteSheet(tree + p.name + ".bmp", p.frames, at(p.w), at(p.h), p.colour);
        }
        WriteSettings(2, fullHd);
        SDL_Surface* screen = OpenScreen(fullHd);
        CMainMenu* menu = Install<CMainMenu>(StateMainMenu);
        for (Uint32 frame = 1; frame <= 5; ++frame) {
            SCOPED_TRACE(::testing::Message() << fullHd << ": menu entry " << frame);
            menu->Render(screen);
            ExpectPicture(screen, at(700), at(300), at(520), at(500), 0x110000u * frame, Back);
            PressKey(D);
            menu->HandleEvents();
        }
        // The level (a hand edit outside 1..3 shows its nearest value), the row with the
        // marker, and the frame of the level sheet shown; the display mode is the tree's.
        for (auto [level, row, frame] :
             {std::tuple{2, 1, 1}, {7, 1, 2}, {INT_MIN, 1, 0}, {2, 2, 1}}) {
            SCOPED_TRACE(::testing::Message() << fullHd << ": level " << level << ", row " << row);
            COptions options;
            options.level = level;
            options.row = row;
            options.Render(screen);
            const int frames[] = {frame, fullHd ? 0 : 1, 0, 0};
            for (int i = 0; i < 4; ++i) {
                const auto& p = pictures[i];
                const bool shown = i < 2 || (i == 2) == (row == 1);
                ExpectPicture(screen, at(p.x), at(p.y), at(p.w), at(p.h),
                              shown ? p.colour * (frames[i] + 1) : Back, Back);
            }
        }
    }
}

using OptionsCompat = ZorvatTest;

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
        {3, 0, 0, 0, {R, Ret}, {}, 1280, StateMainMenu},
        {1, 0, 0, 0, {L, Ret}, {}, 1280, StateMainMenu},
        {INT_MIN, 0, 0, 0, {L, Ret}, SettingsBytes(1, 0), 1280, StateMainMenu},
        {7, 0, 0, 0, {R, Ret}, SettingsBytes(3, 0), 1280, StateMainMenu}, // a hand edit
        {2, 1, 1, 0, {L, Ret}, SettingsBytes(1, 1), 1920, StateMainMenu},
        {2, 0, 0, 0, {D, D, L, Ret}, SettingsBytes(1, 0), 1280, StateMainMenu},
        {2, 0, 0, 0, {R, D, L, Ret}, SettingsBytes(3, 1), 1920, StateMainMenu},
        {2, 0, 0, 0, {U, R, L, Ret}, SettingsBytes(2, 1), 1920, StateMainMenu},
        {3, 1, 1, 0, {D, L, R, Ret}, SettingsBytes(3, 0), 1280, StateMainMenu},
        {2, 0, 0, 0, {R, D, L, Esc}, {}, 1280, StateMainMenu},
        {2, 0, 0, 0, {R, D, L, WindowClose, Ret}, SettingsBytes(3, 1), 1920, StateExit},
        // A close queued behind RETURN is still read after the switch.
        {2, 1, 1, 0, {D, R, Ret, WindowClose}, SettingsBytes(2, 0), 1280, StateExit},
        // A refused mode gives the old screen back and is not saved; the level still is.
        {2, 0, 0, 1920, {L, D, L, Ret}, SettingsBytes(1, 0), 1280, StateMainMenu},
        {2, 1, 1, 1280, {D, R, Ret}, {}, 1920, StateMainMenu},
        {2, 2, 1, 1280, {Ret}, {}, 1920, StateMainMenu}, // the file edited while in full HD
        {2, 2, 0, 0, {Ret}, SettingsBytes(2, 0), 1280, StateMainMenu}, // saved as the window
    };
    CProgram::setVideoMode = FakeSetVideoMode;
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Bytes before = SettingsBytes(c.level, c.fullHd);
        before.push_back(0xCD); // a file the game has not written: a save would cut it to 8 bytes
        WriteBytes("Settings.zorvat", before);
        OpenScreen(c.screen);
        Install<COptions>(StateOptions);
        refusedWidth = c.refusedWidth;
        modesAsked = "";
        HoldKey(SDLK_LSHIFT);
        PressKeys(c.keys);
        ASSERT_EQ(CProgram::Pass(), -1);
        EXPECT_EQ(ReadBytes("Settings.zorvat"), c.after.empty() ? before : c.after);
        EXPECT_EQ(current::GetInstance()->stateID, c.request);
        // Keys held while the mode is re-opened are forgotten: their releases are lost.
        EXPECT_EQ(SDL_GetKeyState(nullptr)[SDLK_LSHIFT], modesAsked.empty());
        EXPECT_EQ(SDL_GetVideoSurface()->w, c.width);
        // The next menu is drawn with the saved mode's art.
        const Uint32 menu = ReadBytes("Settings.zorvat")[4] == 1 ? 0xC80000 : 0x0000C8;
        EXPECT_EQ(PixelAt(SDL_GetVideoSurface(), 0, 0), c.request == StateExit ? 0 : menu);
    }
}
