#include "TestSupport.h"

#include "app/Program.h"
#include "menus/MainMenu.h"

namespace {

using MainMenuTest = ZorvatTest;
const SDLKey U = SDLK_UP, D = SDLK_DOWN, Ret = SDLK_RETURN;

TEST_F(MainMenuTest, HighlightStartsOnOneWrapsAndFollowsEveryPressOfAFrame) {
    CMainMenu* menu = Install<CMainMenu>(StateMainMenu);
    const struct {
        std::vector<SDLKey> keys;
        int selection;
    } steps[] = {{{}, 1},
                 {{U}, 5},
                 {{D}, 1},
                 {{D, D}, 3},
                 {{SDLK_ESCAPE, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_w, SDLK_KP_ENTER}, 3}};
    for (const auto& step : steps) {
        PressKeys(step.keys);
        menu->HandleEvents();
        EXPECT_EQ(menu->selection, step.selection) << ::testing::PrintToString(step.keys);
    }
    ReleaseKey(SDLK_DOWN);
    ReleaseKey(SDLK_RETURN);
    menu->HandleEvents();
    EXPECT_EQ(menu->selection, 3) << "releases do nothing";
    EXPECT_EQ(current::GetInstance()->nextState, StateNone);
}

TEST_F(MainMenuTest, ReturnRequestsTheEntrysStateAndAWindowCloseAlwaysEnds) {
    const struct {
        std::vector<SDLKey> keys;
        int request;
    } cases[] = {{{Ret}, StateSinglePlayer},      {{D, Ret}, StateMultiPlayer},
                 {{D, D, Ret}, StateOptions},     {{U, U, Ret}, StateCredits},
                 {{U, Ret}, StateExit},           {{Ret, D, Ret}, StateMultiPlayer},
                 {{WindowClose, Ret}, StateExit}, {{D, Ret, WindowClose}, StateExit}};
    for (const auto& c : cases) {
        CMainMenu* menu = Install<CMainMenu>(StateMainMenu);
        PressKeys(c.keys);
        menu->HandleEvents();
        EXPECT_EQ(current::GetInstance()->nextState, c.request) << ::testing::PrintToString(c.keys);
    }
}

TEST_F(MainMenuTest, ScaledHighlightIsPlacedAndDrawnByItsEntry) {
    // Five 346x333 frames, frame n in 0x110000 * (n + 1), with a magenta corner each.
    WriteSettings(2, 0);
    WriteBitmap("Data/Skaliert/Menu/Menu.bmp", 1280, 720, 0x0000C8);
    WriteBitmap("Data/Skaliert/Menu/Menu_Select.bmp", 5 * 346, 333, [](int x, int y) {
        return x % 346 < 20 && y < 20 ? 0xFF00FFu : 0x110000u * (x / 346 + 1);
    });
    SDL_Surface* screen = OpenScreen(0);
    Install<CMainMenu>(StateMainMenu);
    PressKeys({D, D});
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(PixelAt(screen, 466 + 20, 200), 0x330000u);
    EXPECT_EQ(PixelAt(screen, 466 + 345, 200 + 332), 0x330000u);
    // Magenta is transparent: the menu picture shows through; outside the frame, only the menu.
    EXPECT_EQ(PixelAt(screen, 466 + 5, 200 + 5), 0x0000C8u);
    EXPECT_EQ(PixelAt(screen, 466 + 346, 200 + 100), 0x0000C8u);
    EXPECT_EQ(PixelAt(screen, 466 + 100, 200 + 333), 0x0000C8u);
    EXPECT_EQ(PixelAt(screen, 465, 200 + 100), 0x0000C8u);
    EXPECT_EQ(PixelAt(screen, 466 + 100, 199), 0x0000C8u);
}

} // namespace
