#include "TestSupport.h"

#include "app/Current.h"
#include "app/Program.h"
#include "gfx/Image.h"
#include "menus/MainMenu.h"

namespace {

// Scaled highlight sheet: five 346x333 frames side by side, frame n in its own colour, with a
// magenta square in the top-left corner of every frame.
const Uint32 FrameColours[5] = {0x110000, 0x220000, 0x330000, 0x440000, 0x550000};
Uint32 ScaledHighlight(int x, int y) {
    if (x % 346 < 20 && y < 20) {
        return 0xFF00FF;
    }
    return FrameColours[x / 346];
}

class MainMenuTest : public ZorvatTest {
protected:
    // A fresh menu in place as the state manager's state, with the queue empty.
    CMainMenu* Install() {
        current* manager = current::GetInstance();
        manager->stateID = StateMainMenu;
        manager->state = new CMainMenu();
        return static_cast<CMainMenu*>(manager->state);
    }
    int Pending() { return current::GetInstance()->nextState; }
};

TEST_F(MainMenuTest, HighlightWrapsAndFollowsEveryPressInOneFrame) {
    CMainMenu* menu = Install();
    EXPECT_EQ(menu->selection, 1);

    PressKey(SDLK_UP);
    menu->HandleEvents();
    EXPECT_EQ(menu->selection, 5);

    PressKey(SDLK_DOWN);
    menu->HandleEvents();
    EXPECT_EQ(menu->selection, 1);

    // Two presses that arrive in one frame both count; releases do not.
    PressKey(SDLK_DOWN);
    ReleaseKey(SDLK_DOWN);
    PressKey(SDLK_DOWN);
    menu->HandleEvents();
    EXPECT_EQ(menu->selection, 3);
    EXPECT_EQ(Pending(), StateNone);
}

TEST_F(MainMenuTest, ReturnRequestsTheStateOfEachEntry) {
    const StateId expected[5] = {StateSinglePlayer, StateMultiPlayer, StateOptions, StateCredits,
                                 StateExit};
    for (int entry = 1; entry <= 5; ++entry) {
        current::GetInstance()->nextState = StateNone;
        CMainMenu menu;
        for (int i = 1; i < entry; ++i) {
            PressKey(SDLK_DOWN);
        }
        PressKey(SDLK_RETURN);
        menu.HandleEvents();
        EXPECT_EQ(Pending(), expected[entry - 1]) << "entry " << entry;
    }
}

TEST_F(MainMenuTest, LaterKeysOfTheSameFrameStillCount) {
    CMainMenu* menu = Install();
    PressKey(SDLK_RETURN);
    PressKey(SDLK_DOWN);
    PressKey(SDLK_RETURN);
    menu->HandleEvents();
    EXPECT_EQ(Pending(), StateMultiPlayer);
    EXPECT_EQ(menu->selection, 2);
}

TEST_F(MainMenuTest, WindowCloseEndsTheProgramWhateverComesAroundIt) {
    CMainMenu* menu = Install();
    PushQuit();
    PressKey(SDLK_RETURN);
    menu->HandleEvents();
    EXPECT_EQ(Pending(), StateExit);

    current::GetInstance()->nextState = StateNone;
    PressKey(SDLK_DOWN);
    PressKey(SDLK_RETURN);
    PushQuit();
    menu->HandleEvents();
    EXPECT_EQ(Pending(), StateExit);
}

TEST_F(MainMenuTest, OtherKeysDoNothing) {
    CMainMenu* menu = Install();
    const SDLKey others[] = {SDLK_ESCAPE, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_w, SDLK_KP_ENTER};
    for (SDLKey key : others) {
        PressKey(key);
    }
    ReleaseKey(SDLK_RETURN);
    menu->HandleEvents();
    EXPECT_EQ(menu->selection, 1);
    EXPECT_EQ(Pending(), StateNone);
}

TEST_F(MainMenuTest, ScaledHighlightIsPlacedAndDrawnByItsEntry) {
    WriteSettings(2, 0);
    WriteBitmap("Data/Skaliert/Menu/Menu.bmp", 1280, 720, 0, 0, 200);
    WriteBitmap("Data/Skaliert/Menu/Menu_Select.bmp", 5 * 346, 333, ScaledHighlight);
    SDL_Surface* screen = OpenScreen(0);
    ASSERT_NE(screen, nullptr);

    CMainMenu* menu = Install();
    EXPECT_EQ(menu->menuSelect->fullHd, 0);
    EXPECT_EQ(menu->menuSelect->frameWidth, 346);
    EXPECT_EQ(menu->menuSelect->frameHeight, 333);
    EXPECT_EQ(menu->menuSelect->rect.x, 466);
    EXPECT_EQ(menu->menuSelect->rect.y, 200);
    EXPECT_EQ(menu->menu->rect.x, 0);
    EXPECT_EQ(menu->menu->rect.y, 0);

    PressKey(SDLK_DOWN);
    PressKey(SDLK_DOWN);
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(PixelAt(screen, 466 + 100, 200 + 100), FrameColours[2]);
    EXPECT_EQ(PixelAt(screen, 466 + 345, 200 + 332), FrameColours[2]);
    // Magenta is transparent: the menu picture shows through; outside the frame, only the menu.
    EXPECT_EQ(PixelAt(screen, 466 + 5, 200 + 5), 0x0000C8u);
    EXPECT_EQ(PixelAt(screen, 466 + 346, 200 + 100), 0x0000C8u);
    EXPECT_EQ(PixelAt(screen, 10, 10), 0x0000C8u);
}

TEST_F(MainMenuTest, FullHdHighlightIsCentred) {
    WriteSettings(2, 1);
    WriteBitmap("Data/Original/Menu/Menu_Select.bmp", 5 * 520, 500, 255, 255, 0);
    CMainMenu menu;
    EXPECT_EQ(menu.menuSelect->frameWidth, 520);
    EXPECT_EQ(menu.menuSelect->frameHeight, 500);
    EXPECT_EQ(menu.menuSelect->rect.x, 700);
    EXPECT_EQ(menu.menuSelect->rect.y, 300);
}

} // namespace
