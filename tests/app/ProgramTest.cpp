#include <string>

#include "TestSupport.h"
#include "app/Program.h"
#include "gfx/Image.h"
#include "menus/MainMenu.h"

static std::string driver;             // the name SDL gives its video driver; empty: none
static int flips = 0, failingFlip = 0; // the flip that fails, counting from 1 (0: none)

static int FakeFlip(SDL_Surface* screen) {
    EXPECT_EQ(PixelAt(screen, 0, 0), 0u) << "each pass is drawn on black; the menu has no art";
    SDL_FillRect(screen, nullptr, 0xFFFFFF); // what a flip may leave behind
    if (++flips == 1) {
        char* caption = nullptr;
        SDL_WM_GetCaption(&caption, nullptr);
        modesAsked += std::string(caption ? caption : "?") + std::to_string(screen->w);
    }
    if (flips >= 10) {
        current::GetInstance()->stateID = StateExit; // a loop that would not end fails instead
    }
    return flips == failingFlip ? -1 : 0;
}

// The game asks SDL for the name of its video driver to tell a text terminal from a display.
char* SDL_VideoDriverName(char* name, int length) {
    snprintf(name, length, "%s", driver.c_str());
    return driver.empty() ? nullptr : name;
}

using ProgramCompat = ZorvatTest;

TEST_F(ProgramCompat, MainOpensTheSavedModeOrTheWindowAndEndsOnExitCloseOrFailedFlip) {
    const struct {
        int fullHd, refusedWidth;
        const char* driver; // a driver named while SDL_VIDEODRIVER is unset
        std::vector<SDLKey> keys;
        int failingFlip, status, flips; // no flip: the start failed
        const char* seen;               // the modes asked for, then the caption and width shown
    } cases[] = {
        // The pass of the exit entry's request is still drawn; a second pass is drawn afresh.
        {0, 0, nullptr, {SDLK_UP, SDLK_RETURN}, 0, 0, 1, "1280x720x32window Zorvat1280"},
        {1, 0, nullptr, {WindowClose}, 0, 0, 1, "1920x1080x32full Zorvat1920"},
        {2, 0, nullptr, {}, 2, 1, 2, "1280x720x32window Zorvat1280"},
        {1, 1920, nullptr, {}, 1, 1, 1, "1920x1080x32full 1280x720x32window Zorvat1280"},
        {0, -1, nullptr, {}, 0, 1, 0, "1280x720x32window "},
        {0, 0, "dummy", {WindowClose}, 0, 0, 1, "1280x720x32window Zorvat1280"},
        {0, 0, "caca", {}, 0, 1, 0, ""}, // a text terminal is no display
        {0, 0, "", {}, 0, 1, 0, ""}};
    CProgram::flip = FakeFlip;
    CProgram::setVideoMode = FakeSetVideoMode;
    // With no display, the classic SDL 1.2 falls back on its text-mode driver, whose curses ends
    // the whole process when no terminal type is set at all, as on Debian's build machines.
    setenv("TERM", "dumb", 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        // The padding shows whether the start-up rewrote the file.
        const Bytes file = {2, 0, 0, 0, static_cast<unsigned char>(c.fullHd), 7, 7, 7};
        WriteBytes("Settings.zorvat", file);
        ResetStates();
        modesAsked = "";
        flips = 0;
        failingFlip = c.failingFlip;
        refusedWidth = c.refusedWidth;
        EXPECT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        PressKeys(c.keys);
        driver = c.driver ? c.driver : "dummy";
        if (c.driver) {
            unsetenv("SDL_VIDEODRIVER");
        }
        EXPECT_EQ(CProgram::Main(), c.status);
        EXPECT_EQ(modesAsked, c.seen);
        EXPECT_EQ(flips, c.flips);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
        // A refused full HD is saved as the window, level kept, before the menu loads its art.
        const bool refused = c.fullHd == 1 && c.refusedWidth == 1920;
        EXPECT_EQ(ReadBytes("Settings.zorvat"), refused ? SettingsBytes(2, 0) : file);
        if (auto* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state)) {
            EXPECT_EQ(menu->menu->fullHd, refused ? 0 : c.fullHd);
        }
        if (c.flips == 0) { // a start that fails also says so
            EXPECT_FALSE(CProgram::Start());
        }
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    setenv("SDL_VIDEODRIVER", "none", 1); // a driver no SDL has: SDL itself cannot start
    EXPECT_FALSE(CProgram::Start());
}
