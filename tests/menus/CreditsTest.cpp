#include "TestSupport.h"

#include "app/Current.h"
#include "app/Program.h"
#include "gfx/Image.h"
#include "menus/Credits.h"
#include "menus/MainMenu.h"

namespace {

class CreditsTest : public ZorvatTest {
protected:
    CCredits* Install() {
        current* manager = current::GetInstance();
        manager->stateID = StateCredits;
        manager->state = new CCredits();
        return static_cast<CCredits*>(manager->state);
    }
};

TEST_F(CreditsTest, EscapeLeadsBackToAFreshMenuOnEntryOne) {
    ASSERT_NE(OpenScreen(0), nullptr);
    Install();
    PressKey(SDLK_ESCAPE);
    EXPECT_EQ(CProgram::Pass(), -1);
    current* manager = current::GetInstance();
    EXPECT_EQ(manager->stateID, StateMainMenu);
    CMainMenu* menu = dynamic_cast<CMainMenu*>(manager->state);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->selection, 1);
}

TEST_F(CreditsTest, OnlyEscapeAndTheWindowCloseCount) {
    CCredits* credits = Install();
    for (SDLKey key : {SDLK_RETURN, SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE}) {
        PressKey(key);
    }
    ReleaseKey(SDLK_ESCAPE);
    credits->HandleEvents();
    EXPECT_EQ(current::GetInstance()->nextState, StateNone);

    // An ESCAPE after a window close does not undo it.
    PushQuit();
    PressKey(SDLK_ESCAPE);
    credits->HandleEvents();
    EXPECT_EQ(current::GetInstance()->nextState, StateExit);
}

TEST_F(CreditsTest, ScaledPictureFillsTheWindowFromTheCorner) {
    WriteSettings(2, 0);
    WriteBitmap("Data/Original/Menu/Credits.bmp", 1920, 1080, 200, 0, 0);
    WriteBitmap("Data/Skaliert/Menu/Credits.bmp", 1280, 720, 0, 200, 0);
    SDL_Surface* screen = OpenScreen(0);
    ASSERT_NE(screen, nullptr);
    CCredits* credits = Install();
    EXPECT_EQ(credits->credits->rect.x, 0);
    EXPECT_EQ(credits->credits->rect.y, 0);

    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(PixelAt(screen, 0, 0), 0x00C800u);
    EXPECT_EQ(PixelAt(screen, 1279, 719), 0x00C800u);
}

} // namespace
