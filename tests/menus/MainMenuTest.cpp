#include "TestSupport.h"

#include "app/Program.h"
#include "menus/Credits.h"
#include "menus/MainMenu.h"

namespace {

using MainMenuTest = ZorvatTest;
const SDLKey U = SDLK_UP, D = SDLK_DOWN, Ret = SDLK_RETURN, Esc = SDLK_ESCAPE;

TEST_F(MainMenuTest, ReturnRequestsTheEntrysStateAndTheHighlightWraps) {
    const struct {
        std::vector<SDLKey> keys;
        int request;
    } cases[] = {{{Ret}, StateSinglePlayer},
                 {{D, Ret}, StateMultiPlayer},
                 {{D, D, Ret}, StateOptions},
                 {{U, U, Ret}, StateCredits},
                 {{U, Ret}, StateExit},
                 {{D, D, D, D, D, D, Ret}, StateMultiPlayer},
                 {{Esc, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_KP_ENTER}, StateNone},
                 {{WindowClose, Ret}, StateExit},
                 {{D, Ret, WindowClose}, StateExit}};
    for (const auto& c : cases) {
        CMainMenu* menu = Install<CMainMenu>(StateMainMenu);
        PressKeys(c.keys);
        PressKey(Ret, false);
        menu->HandleEvents();
        EXPECT_EQ(current::GetInstance()->nextState, c.request) << ::testing::PrintToString(c.keys);
    }
}

TEST_F(MainMenuTest, HighlightShowsTheFrameOfTheSelectedEntryKeyedOverTheMenu) {
    // Five frames in a row, frame n in 0x110000 * (n + 1) with a magenta corner; the row below
    // the frames must never show.
    const struct {
        int fullHd, x, y, w, h;
    } modes[] = {{0, 466, 200, 346, 333}, {1, 700, 300, 520, 500}};
    for (const auto& m : modes) {
        SCOPED_TRACE(m.fullHd);
        WriteSettings(2, m.fullHd);
        const std::string tree = m.fullHd ? "Data/Original/Menu/" : "Data/Skaliert/Menu/";
        WriteBitmap(tree + "Menu.bmp", m.fullHd ? 1920 : 1280, m.fullHd ? 1080 : 720, 0xC8);
        WriteBitmap(tree + "Menu_Select.bmp", 5 * m.w, m.h + 1, [&](int x, int y) {
            return y == m.h               ? 0xFFFFFFu
                   : x % m.w < 9 && y < 9 ? 0xFF00FFu
                                          : 0x110000u * (x / m.w + 1);
        });
        SDL_Surface* screen = OpenScreen(m.fullHd);
        CMainMenu* menu = Install<CMainMenu>(StateMainMenu);
        for (Uint32 frame = 1; frame <= 5; ++frame) {
            menu->Render(screen);
            EXPECT_EQ(PixelAt(screen, m.x + 9, m.y), 0x110000u * frame);
            EXPECT_EQ(PixelAt(screen, m.x + m.w - 1, m.y + m.h - 1), 0x110000u * frame);
            for (auto [x, y] : {std::pair{m.x, m.y},
                                {m.x - 1, m.y + 9},
                                {m.x + 9, m.y - 1},
                                {m.x + m.w, m.y + 9},
                                {m.x + 9, m.y + m.h}}) {
                EXPECT_EQ(PixelAt(screen, x, y), 0xC8u) << x << "," << y;
            }
            PressKey(D);
            menu->HandleEvents();
        }
    }
}

TEST_F(MainMenuTest, CreditsPictureLeavesOnEscapeOrTheWindowClose) {
    WriteBitmap("Data/Skaliert/Menu/Credits.bmp", 1280, 720, 0x00C800);
    SDL_Surface* screen = OpenScreen(0);
    Install<CCredits>(StateCredits);
    PressKeys({Ret, U, D, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE});
    PressKey(Esc, false);
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(current::GetInstance()->stateID, StateCredits);
    EXPECT_EQ(PixelAt(screen, 1279, 719), 0x00C800u);

    PressKey(Esc);
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_NE(dynamic_cast<CMainMenu*>(current::GetInstance()->state), nullptr);
    PressKey(WindowClose);
    Install<CCredits>(StateCredits)->HandleEvents();
    EXPECT_EQ(current::GetInstance()->nextState, StateExit);
}

} // namespace
