#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/Program.h"
#include "gfx/Image.h"
#include "menus/MainMenu.h"

namespace {

// What the probe and the fake flip did, in order: H handle, U update, R render, ~ destroyed,
// F flip.
std::string calls;
std::vector<Uint32> flippedCorners; // pixel (0, 0) at each flip
size_t failingFlip = 0;             // the flip that fails, counting from 1 (0: none)

int FakeFlip(SDL_Surface* screen) {
    calls += "F";
    flippedCorners.push_back(PixelAt(screen, 0, 0));
    if (flippedCorners.size() >= 10) {
        current::GetInstance()->stateID = StateExit; // a loop that would not end fails instead
    }
    return flippedCorners.size() == failingFlip ? -1 : 0;
}

int refusing = 0; // 1: the display refuses full screen, 2: every mode
SDL_Surface* RefusingSetVideoMode(int w, int h, int bpp, Uint32 flags) {
    if (refusing == 2 || (refusing == 1 && (flags & SDL_FULLSCREEN))) {
        return nullptr;
    }
    return SDL_SetVideoMode(w, h, bpp, flags);
}

// A state that records its calls, fills the screen with 0x3366CC and can make a request.
class CProbe : public CGamestate {
public:
    ~CProbe() override {
        calls += "~";
        if (switchToFullHdWhenDestroyed) {
            WriteSettings(2, 1);
        }
    }
    void HandleEvents() override { Note("H", requestInHandle); }
    void Update() override { Note("U", requestInUpdate); }
    void Note(const char* call, StateId request) {
        calls += call;
        if (request) {
            SetNextState(request);
        }
    }
    void Render(SDL_Surface* screen) override {
        calls += "R";
        cornerBeforeDrawing = PixelAt(screen, 0, 0);
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0x33, 0x66, 0xCC));
    }

    StateId requestInHandle = StateNone;
    StateId requestInUpdate = StateNone;
    bool switchToFullHdWhenDestroyed = false;
    Uint32 cornerBeforeDrawing = 0;
};

class ProgramTest : public ZorvatTest {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        calls.clear();
        flippedCorners.clear();
        failingFlip = 0;
        refusing = 0;
        CProgram::flip = FakeFlip;
        CProgram::setVideoMode = RefusingSetVideoMode;
        screen = OpenScreen(0);
    }
    void TearDown() override {
        CProgram::flip = SDL_Flip;
        CProgram::setVideoMode = SDL_SetVideoMode;
        ZorvatTest::TearDown();
    }

    SDL_Surface* screen = nullptr;
};

TEST_F(ProgramTest, PassHandlesUpdatesClearsRendersAndFlipsInThatOrder) {
    CProbe* probe = Install<CProbe>(StateOptions);
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(calls, "HURF");
    EXPECT_EQ(probe->cornerBeforeDrawing, 0u) << "the screen is cleared before Render";
    EXPECT_EQ(flippedCorners, (std::vector<Uint32>{0x3366CC}));
}

TEST_F(ProgramTest, RequestFromHandleEventsOrUpdateStillRunsUpdateAndSkipsTheOldRender) {
    for (bool inUpdate : {false, true}) {
        SCOPED_TRACE(inUpdate ? "request in Update" : "request in HandleEvents");
        CProbe* probe = Install<CProbe>(StateOptions);
        calls.clear();
        (inUpdate ? probe->requestInUpdate : probe->requestInHandle) = StateMainMenu;
        EXPECT_EQ(CProgram::Pass(), -1);
        EXPECT_EQ(calls, "HU~F");
        EXPECT_NE(dynamic_cast<CMainMenu*>(current::GetInstance()->state), nullptr);
    }
}

TEST_F(ProgramTest, NewStateIsDrawnInTheSamePassBeforeItHandlesAnyEvent) {
    WriteBitmap("Data/Skaliert/Menu/Menu.bmp", 1280, 720, 0x0AC81E);
    Install<CProbe>(StateOptions)->requestInHandle = StateMainMenu;
    PressKey(SDLK_DOWN); // the probe leaves the queue alone

    EXPECT_EQ(CProgram::Pass(), -1);
    CMainMenu* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(flippedCorners, (std::vector<Uint32>{0x0AC81E})) << "the new state is drawn";
    EXPECT_EQ(menu->selection, 1) << "the new state has not polled the queue yet";
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(menu->selection, 2) << "the key reaches the new state in the next pass";
}

TEST_F(ProgramTest, ExitRequestDrawsOneMoreFrameByTheOldStateThenEndsWithZero) {
    CProbe* probe = Install<CProbe>(StateOptions);
    probe->requestInHandle = StateExit;
    EXPECT_EQ(CProgram::Run(), 0);
    EXPECT_EQ(calls, "HURF");
    EXPECT_EQ(flippedCorners, (std::vector<Uint32>{0x3366CC}));
    EXPECT_EQ(current::GetInstance()->state, probe) << "the last state stays in place";
}

TEST_F(ProgramTest, FailedFlipEndsWithOneRightAfterThatFlip) {
    Install<CProbe>(StateOptions);
    failingFlip = 2;
    EXPECT_EQ(CProgram::Run(), 1);
    EXPECT_EQ(calls, "HURFHURF");
}

TEST_F(ProgramTest, StartFallsBackToTheWindowWhenFullHdIsRefused) {
    WriteSettings(2, 1);
    refusing = 1;
    ASSERT_TRUE(CProgram::Start());
    EXPECT_EQ(SDL_GetVideoSurface()->w, 1280);
    EXPECT_NE(dynamic_cast<CMainMenu*>(current::GetInstance()->state), nullptr);
}

TEST_F(ProgramTest, MainShutsSdlDownHoweverItEnds) {
    // A window close on the menu, a failed first flip, no screen at all.
    const struct { int failingFlip, refusing, status; } cases[] = {{0, 0, 0}, {1, 0, 1}, {0, 2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failingFlip + c.refusing);
        ResetStates();
        flippedCorners.clear();
        failingFlip = c.failingFlip;
        refusing = c.refusing;
        PushQuit();
        EXPECT_EQ(CProgram::Main(), c.status);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    }
    EXPECT_EQ(current::GetInstance()->state, nullptr) << "no screen, no menu";
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

TEST_F(ProgramTest, OldStateIsGoneBeforeTheNewOneIsBuilt) {
    // The probe saves full HD as it dies: only a menu built after that loads full-HD art.
    WriteSettings(2, 0);
    Install<CProbe>(StateCredits)->switchToFullHdWhenDestroyed = true;
    SetNextState(StateMainMenu);
    ChangeState();
    CMainMenu* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->menu->fullHd, 1);
}

} // namespace
