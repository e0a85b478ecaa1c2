#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "app/Program.h"
#include "gfx/Image.h"
#include "menus/MainMenu.h"

namespace {

std::string driver; // the name SDL gives its video driver; empty: none
int refusing = 0;   // 1: the display refuses full screen, 2: every mode
std::vector<std::tuple<int, int, int, Uint32>> modes; // every mode asked for
int flips = 0, failingFlip = 0; // the flip that fails, counting from 1 (0: none)

int FakeFlip(SDL_Surface*) {
    if (++flips >= 10) {
        current::GetInstance()->stateID = StateExit; // a loop that would not end fails instead
    }
    return flips == failingFlip ? -1 : 0;
}

SDL_Surface* FakeSetVideoMode(int w, int h, int bpp, Uint32 flags) {
    modes.emplace_back(w, h, bpp, flags);
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

// A state that records its calls (H handle, U update, R render, ~ destroyed) and makes the
// request it is given when it handles events.
std::string calls;
class CProbe : public CGamestate {
public:
    ~CProbe() override {
        calls += "~";
        WriteSettings(2, 1); // a state built after this one loads full-HD pictures
    }
    void HandleEvents() override {
        calls += "H";
        if (request) {
            SetNextState(request);
        }
    }
    void Update() override { calls += "U"; }
    void Render(SDL_Surface* screen) override {
        calls += "R";
        corner = PixelAt(screen, 0, 0);
    }
    StateId request = StateNone;
    Uint32 corner = 1;
};

class ProgramTest : public ZorvatTest {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        driver = "dummy";
        refusing = flips = failingFlip = 0;
        modes.clear();
        calls.clear();
        CProgram::flip = FakeFlip;
        CProgram::setVideoMode = FakeSetVideoMode;
    }
    void TearDown() override {
        CProgram::flip = SDL_Flip;
        CProgram::setVideoMode = SDL_SetVideoMode;
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ZorvatTest::TearDown();
    }
};
using ProgramCompat = ProgramTest;

const Uint32 Window = SDL_DOUBLEBUF | SDL_HWSURFACE, FullHd = Window | SDL_FULLSCREEN;

TEST_F(ProgramCompat, StartOpensTheSavedDisplayModeFallsBackToTheWindowOrGivesUp) {
    const struct {
        int fullHd, refusing;
        const char* driver; // driver named while SDL_VIDEODRIVER is unset; null: it is set
        std::vector<std::tuple<int, int, int, Uint32>> modes;
        bool started;
    } cases[] = {{0, 0, nullptr, {{1280, 720, 32, Window}}, true},
                 {1, 0, nullptr, {{1920, 1080, 32, FullHd}}, true},
                 {2, 0, nullptr, {{1280, 720, 32, Window}}, true},
                 {1, 1, nullptr, {{1920, 1080, 32, FullHd}, {1280, 720, 32, Window}}, true},
                 {0, 2, nullptr, {{1280, 720, 32, Window}}, false},
                 {0, 0, "dummy", {{1280, 720, 32, Window}}, true},
                 {0, 0, "caca", {}, false}, // a text terminal is no display
                 {0, 0, "", {}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        WriteSettings(2, c.fullHd);
        ResetStates();
        modes.clear();
        refusing = c.refusing;
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        if (c.driver) {
            driver = c.driver;
            unsetenv("SDL_VIDEODRIVER");
        }
        EXPECT_EQ(CProgram::Start(), c.started);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        EXPECT_EQ(modes, c.modes);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO) != 0, c.started) << "SDL is shut down on failure";
        EXPECT_EQ(dynamic_cast<CMainMenu*>(current::GetInstance()->state) != nullptr, c.started);
        if (c.started) {
            char* caption = nullptr;
            SDL_WM_GetCaption(&caption, nullptr);
            EXPECT_STREQ(caption, "Zorvat");
            EXPECT_EQ(SDL_GetVideoSurface()->w, std::get<0>(c.modes.back()));
        }
    }
}

TEST_F(ProgramTest, MainEndsOnTheExitEntryAWindowCloseOrAFailedFlipAndShutsSdlDown) {
    const SDLKey Up = SDLK_UP, Return = SDLK_RETURN;
    const struct {
        std::vector<SDLKey> keys;
        int failingFlip, refusing, status, flips;
    } cases[] = {{{Up, Return}, 0, 0, 0, 1}, // the pass of the request is still drawn
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

TEST_F(ProgramTest, PassClearsTheScreenAndARequestReplacesTheStateBeforeTheDrawing) {
    SDL_Surface* screen = OpenScreen(0);
    CProbe* probe = Install<CProbe>(StateOptions);
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(calls + std::to_string(flips), "HUR1");
    EXPECT_EQ(probe->corner, 0u) << "cleared to black before the drawing";

    // The old state is gone before the new one is built, which loads the art saved meanwhile.
    probe->request = StateMainMenu;
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(calls, "HURHU~");
    CMainMenu* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->menu->fullHd, 1);
}

TEST_F(ProgramTest, LaterRequestWinsButAPendingExitStays) {
    SetNextState(StateOptions);
    SetNextState(StateCredits);
    EXPECT_EQ(current::GetInstance()->nextState, StateCredits);
    SetNextState(StateExit);
    SetNextState(StateMainMenu);
    SetNextState(StateNone);
    EXPECT_EQ(current::GetInstance()->nextState, StateExit);
}

} // namespace
