#include "TestSupport.h"

#include "app/Program.h"
#include "menus/Credits.h"
#include "menus/MainMenu.h"

namespace {

using CreditsTest = ZorvatTest;

TEST_F(CreditsTest, OnlyEscapeAndTheWindowCloseCountAndEscapeLeadsToAFreshMenu) {
    OpenScreen(0);
    CCredits* credits = Install<CCredits>(StateCredits);
    PressKeys({SDLK_RETURN, SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE});
    ReleaseKey(SDLK_ESCAPE);
    credits->HandleEvents();
    EXPECT_EQ(current::GetInstance()->nextState, StateNone);

    PressKey(SDLK_ESCAPE);
    EXPECT_EQ(CProgram::Pass(), -1);
    CMainMenu* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->selection, 1);

    PushQuit();
    Install<CCredits>(StateCredits)->HandleEvents();
    EXPECT_EQ(current::GetInstance()->nextState, StateExit);
}

TEST_F(CreditsTest, ScaledPictureFillsTheWindowFromTheCorner) {
    WriteSettings(2, 0);
    WriteBitmap("Data/Original/Menu/Credits.bmp", 1920, 1080, 0xC80000);
    WriteBitmap("Data/Skaliert/Menu/Credits.bmp", 1280, 720, 0x00C800);
    SDL_Surface* screen = OpenScreen(0);
    Install<CCredits>(StateCredits)->Render(screen);
    EXPECT_EQ(PixelAt(screen, 0, 0), 0x00C800u);
    EXPECT_EQ(PixelAt(screen, 1279, 719), 0x00C800u);
}

} // namespace
