#include <string>

#include "TestSupport.h"
#include "app/Program.h"
#include "gfx/Image.h"
#include "menus/MainMenu.h"

namespace {

std::string driver;             // the name SDL gives its video driver; empty: none
int refusing = 0;               // 1: the display refuses full screen, 2: every mode
std::string modes;              // every mode asked for
int flips = 0, failingFlip = 0; // the flip that fails, counting from 1 (0: none)
const Uint32 Window = SDL_DOUBLEBUF | SDL_HWSURFACE;

int FakeFlip(SDL_Surface*) {
    if (++flips >= 10) {
        current::GetInstance()->stateID = StateExit; // a loop that would not end fails instead
    }
    return flips == failingFlip ? -1 : 0;
}

SDL_Surface* FakeSetVideoMode(int w, int h, int bpp, Uint32 flags) {
    const char* kind = flags == Window                      ? "window"
                       : flags == (Window | SDL_FULLSCREEN) ? "full"
                                                            : "?";
    modes += std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(bpp) + kind + " ";
    bool refused = refusing == 2 || (refusing == 1 && (flags & SDL_FULLSCREEN));
    return refused ? nullptr : SDL_SetVideoMode(w, h, bpp, flags);
}

} // namespace

// The game asks SDL for the name of its video driver to tell a text terminal from a display.
char* SDL_VideoDriverName(char* name, int length) {
    snprintf(name, length, "%s", driver.c_str());
    return driver.empty() ? nullptr : name;
}

namespace {

class ProgramTest : public ZorvatTest {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        CProgram::flip = FakeFlip;
        CProgram::setVideoMode = FakeSetVideoMode;
    }
    void TearDown() override {
        CProgram::flip = SDL_Flip;
        CProgram::setVideoMode = SDL_SetVideoMode;
        ZorvatTest::TearDown();
    }
    // Runs the start-up with SDL up, leaving SDL_VIDEODRIVER unset when a driver is named.
    bool Start(int fullHd, int refuse, const char* driverName) {
        WriteSettings(2, fullHd);
        ResetStates();
        modes.clear();
        refusing = refuse;
        EXPECT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        driver = driverName ? driverName : "dummy";
        if (driverName) {
            unsetenv("SDL_VIDEODRIVER");
        }
        const bool started = CProgram::Start();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        return started;
    }
};
using ProgramCompat = ProgramTest;

TEST_F(ProgramCompat, StartOpensTheSavedDisplayModeFallsBackToTheWindowOrGivesUp) {
    const struct {
        int fullHd, refusing;
        const char* driver; // a driver named while SDL_VIDEODRIVER is unset
        const char* modes;
        int width; // 0: no start
    } cases[] = {{0, 0, nullptr, "1280x720x32window ", 1280},
                 {1, 0, nullptr, "1920x1080x32full ", 1920},
                 {2, 0, nullptr, "1280x720x32window ", 1280},
                 {1, 1, nullptr, "1920x1080x32full 1280x720x32window ", 1280},
                 {0, 2, nullptr, "1280x720x32window ", 0},
                 {0, 0, "dummy", "1280x720x32window ", 1280},
                 {0, 0, "caca", "", 0}, // a text terminal is no display
                 {0, 0, "", "", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        ASSERT_EQ(Start(c.fullHd, c.refusing, c.driver), c.width != 0);
        EXPECT_EQ(modes, c.modes);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO) != 0, c.width != 0) << "SDL is shut down on failure";
        EXPECT_EQ(dynamic_cast<CMainMenu*>(current::GetInstance()->state) != nullptr, c.width != 0);
        if (c.width) {
            char* caption = nullptr;
            SDL_WM_GetCaption(&caption, nullptr);
            EXPECT_STREQ(caption, "Zorvat");
            EXPECT_EQ(SDL_GetVideoSurface()->w, c.width);
        }
    }
}

TEST_F(ProgramTest, MainEndsOnTheExitEntryAWindowCloseOrAFailedFlipAndShutsSdlDown) {
    const struct {
        std::vector<SDLKey> keys;
        int failingFlip, refusing, status, flips;
    } cases[] = {{{SDLK_UP, SDLK_RETURN}, 0, 0, 0, 1}, // the pass of the request is still drawn
                 {{WindowClose}, 0, 0, 0, 1},
                 {{}, 2, 0, 1, 2},
                 {{}, 0, 2, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        ResetStates();
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        flips = 0;
        failingFlip = c.failingFlip;
        refusing = c.refusing;
        PressKeys(c.keys);
        EXPECT_EQ(CProgram::Main(), c.status);
        EXPECT_EQ(flips, c.flips);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    }
}

// A state that saves full HD as it is destroyed: only a state built after that loads full-HD art.
struct CProbe : CGamestate {
    ~CProbe() override { WriteSettings(2, 1); }
    void HandleEvents() override {}
    void Update() override {}
    void Render(SDL_Surface*) override {}
};

TEST_F(ProgramTest, PassClearsTheScreenAndTheOldStateIsGoneBeforeTheNewOneIsBuilt) {
    SDL_Surface* screen = OpenScreen(0);
    SDL_FillRect(screen, nullptr, 0xFFFFFF);
    Install<CProbe>(StateCredits);
    SetNextState(StateMainMenu);
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(PixelAt(screen, 0, 0), 0u) << "cleared to black; the menu has no pictures";
    CMainMenu* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->menu->fullHd, 1);
}

} // namespace
