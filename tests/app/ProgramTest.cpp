#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/Current.h"
#include "app/Program.h"
#include "menus/MainMenu.h"

namespace {

// Everything the probe states and the fake flip did, in order: "H" handle, "U" update,
// "R" render, "~" destroyed (each prefixed with the probe's name), "F" flip.
std::vector<std::string> calls;

// The flip that ends the run with -1 (0: none fails), the flips so far and what each saw.
int failingFlip = 0;
int flips = 0;
std::vector<SDL_Surface*> flippedSurfaces;
std::vector<Uint32> flippedCorner;

int FakeFlip(SDL_Surface* screen) {
    ++flips;
    calls.push_back("F");
    flippedSurfaces.push_back(screen);
    flippedCorner.push_back(PixelAt(screen, 0, 0));
    if (flips >= 10) {
        // A loop that ignores how it should end fails its test instead of running forever.
        current::GetInstance()->stateID = StateExit;
    }
    return flips == failingFlip ? -1 : 0;
}

// A display that refuses full screen, or every mode.
bool refuseEveryMode = false;
SDL_Surface* RefusingSetVideoMode(int width, int height, int bpp, Uint32 flags) {
    if (refuseEveryMode || (flags & SDL_FULLSCREEN)) {
        return nullptr;
    }
    return SDL_SetVideoMode(width, height, bpp, flags);
}

// A state that records its calls, fills the screen with its colour and can make a request
// from HandleEvents or Update.
class CProbe : public CGamestate {
public:
    explicit CProbe(const std::string& name, Uint32 colour = 0x3366CC)
        : name(name), colour(colour) {}
    ~CProbe() override { calls.push_back(name + "~"); }

    void HandleEvents() override {
        calls.push_back(name + "H");
        if (requestInHandle != StateNone) {
            SetNextState(requestInHandle);
        }
    }
    void Update() override {
        calls.push_back(name + "U");
        if (requestInUpdate != StateNone) {
            SetNextState(requestInUpdate);
        }
        if (reopenFullHdInUpdate) {
            CProgram::OpenVideoMode(1);
        }
    }
    void Render(SDL_Surface* screen) override {
        calls.push_back(name + "R");
        renderedOn = screen;
        cornerBeforeDrawing = PixelAt(screen, 0, 0);
        SDL_FillRect(screen, nullptr,
                     SDL_MapRGB(screen->format, colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF));
    }

    std::string name;
    Uint32 colour;
    StateId requestInHandle = StateNone;
    StateId requestInUpdate = StateNone;
    bool reopenFullHdInUpdate = false;
    SDL_Surface* renderedOn = nullptr;
    Uint32 cornerBeforeDrawing = 0xFFFFFFFF;
};

class ProgramTest : public ZorvatTest {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        calls.clear();
        failingFlip = 0;
        flips = 0;
        flippedSurfaces.clear();
        flippedCorner.clear();
        originalFlip = CProgram::flip;
        originalSetVideoMode = CProgram::setVideoMode;
        CProgram::flip = FakeFlip;
        refuseEveryMode = false;
    }
    void TearDown() override {
        CProgram::flip = originalFlip;
        CProgram::setVideoMode = originalSetVideoMode;
        ZorvatTest::TearDown();
    }

    // Installs a probe as the state in place, on an open scaled screen.
    CProbe* InstallProbe(StateId id = StateOptions) {
        screen = OpenScreen(0);
        CProbe* probe = new CProbe("P");
        current::GetInstance()->stateID = id;
        current::GetInstance()->nextState = StateNone;
        current::GetInstance()->state = probe;
        return probe;
    }

    int (*originalFlip)(SDL_Surface*) = nullptr;
    SDL_Surface* (*originalSetVideoMode)(int, int, int, Uint32) = nullptr;
    SDL_Surface* screen = nullptr;
};

typedef std::vector<std::string> Calls;

TEST_F(ProgramTest, PassHandlesUpdatesClearsRendersAndFlipsInThatOrder) {
    CProbe* probe = InstallProbe();
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));

    EXPECT_EQ(CProgram::Pass(), -1);

    EXPECT_EQ(calls, (Calls{"PH", "PU", "PR", "F"}));
    EXPECT_EQ(probe->cornerBeforeDrawing, 0x000000u) << "the screen is cleared before Render";
    EXPECT_EQ(probe->renderedOn, screen);
    EXPECT_EQ(flippedCorner, (std::vector<Uint32>{0x3366CC}));
}

TEST_F(ProgramTest, RequestFromHandleEventsOrUpdateStillRunsUpdateAndSkipsTheOldRender) {
    WriteAllArt();
    for (int inUpdate = 0; inUpdate < 2; ++inUpdate) {
        SCOPED_TRACE(inUpdate ? "request in Update" : "request in HandleEvents");
        calls.clear();
        CProbe* probe = InstallProbe();
        (inUpdate ? probe->requestInUpdate : probe->requestInHandle) = StateMainMenu;

        EXPECT_EQ(CProgram::Pass(), -1);

        EXPECT_EQ(calls, (Calls{"PH", "PU", "P~", "F"}));
        current* manager = current::GetInstance();
        EXPECT_EQ(manager->stateID, StateMainMenu);
        EXPECT_EQ(manager->nextState, StateNone);
        EXPECT_NE(dynamic_cast<CMainMenu*>(manager->state), nullptr);
        delete manager->state;
        manager->state = nullptr;
    }
}

TEST_F(ProgramTest, NewStateIsDrawnInTheSamePassBeforeItHandlesAnyEvent) {
    // Only the scaled menu picture exists: the frame shows its colour where the highlight is not.
    WriteBitmap("Data/Skaliert/Menu/Menu.bmp", 1280, 720, 10, 200, 30);
    CProbe* probe = InstallProbe();
    probe->requestInHandle = StateMainMenu;
    PressKey(SDLK_DOWN); // the probe leaves the queue alone

    EXPECT_EQ(CProgram::Pass(), -1);

    CMainMenu* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(flippedCorner.size(), 1u);
    EXPECT_EQ(flippedCorner[0], 0x0AC81Eu) << "the new state's picture reaches the flip";
    SDL_Event pending;
    EXPECT_EQ(SDL_PeepEvents(&pending, 1, SDL_PEEKEVENT, SDL_ALLEVENTS), 1)
        << "the new state has not polled the queue yet";
    EXPECT_EQ(menu->selection, 1);

    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(menu->selection, 2) << "the key reaches the new state in the next pass";
}

TEST_F(ProgramTest, ExitRequestDrawsOneMoreFrameByTheOldStateThenEndsWithZero) {
    CProbe* probe = InstallProbe();
    probe->requestInHandle = StateExit;

    EXPECT_EQ(CProgram::Run(), 0);

    EXPECT_EQ(calls, (Calls{"PH", "PU", "PR", "F"}));
    EXPECT_EQ(flippedCorner, (std::vector<Uint32>{0x3366CC}));
    EXPECT_EQ(current::GetInstance()->state, probe) << "the last state stays in place";
    EXPECT_EQ(current::GetInstance()->stateID, StateExit);
}

TEST_F(ProgramTest, FailedFlipEndsWithOneRightAfterThatFlip) {
    CProbe* probe = InstallProbe();
    failingFlip = 2;

    EXPECT_EQ(CProgram::Run(), 1);

    EXPECT_EQ(calls, (Calls{"PH", "PU", "PR", "F", "PH", "PU", "PR", "F"}));
    EXPECT_EQ(current::GetInstance()->state, probe);
}

TEST_F(ProgramTest, LoopDrawsOnTheVideoModeOpenedDuringThePass) {
    CProbe* probe = InstallProbe();
    probe->reopenFullHdInUpdate = true;

    EXPECT_EQ(CProgram::Pass(), -1);

    SDL_Surface* reopened = SDL_GetVideoSurface();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->w, 1920);
    EXPECT_EQ(probe->renderedOn, reopened);
    EXPECT_EQ(flippedSurfaces, (std::vector<SDL_Surface*>{reopened}));
    EXPECT_EQ(PixelAt(reopened, 1919, 1079), 0x3366CCu) << "the whole new surface is drawn";
}

TEST_F(ProgramTest, StartWithoutSettingsWritesDefaultsAndOpensTheCaptionedWindow) {
    ASSERT_FALSE(FileExists("Settings.zorvat"));

    ASSERT_TRUE(CProgram::Start());

    EXPECT_EQ(ReadBytes("Settings.zorvat"), (std::vector<unsigned char>{2, 0, 0, 0, 0, 0, 0, 0}));
    SDL_Surface* screen = SDL_GetVideoSurface();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->w, 1280);
    EXPECT_EQ(screen->h, 720);
    EXPECT_EQ(screen->format->BitsPerPixel, 32);
    EXPECT_EQ(screen->flags & SDL_FULLSCREEN, 0u);
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    ASSERT_NE(title, nullptr);
    ASSERT_NE(icon, nullptr);
    EXPECT_STREQ(title, "Zorvat");
    EXPECT_STREQ(icon, "Zorvat");
    current* manager = current::GetInstance();
    EXPECT_EQ(manager->stateID, StateMainMenu);
    EXPECT_EQ(manager->nextState, StateNone);
    EXPECT_NE(dynamic_cast<CMainMenu*>(manager->state), nullptr);
}

TEST_F(ProgramTest, StartOpensFullHdOnlyForDisplayByteOne) {
    const struct {
        int fullHd;
        int w, h;
        bool fullscreen;
    } cases[] = {{1, 1920, 1080, true}, {0, 1280, 720, false}, {2, 1280, 720, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE("fullHd " + std::to_string(c.fullHd));
        WriteSettings(3, c.fullHd);

        ASSERT_TRUE(CProgram::Start());

        SDL_Surface* screen = SDL_GetVideoSurface();
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->w, c.w);
        EXPECT_EQ(screen->h, c.h);
        EXPECT_EQ((screen->flags & SDL_FULLSCREEN) != 0, c.fullscreen);
        EXPECT_EQ(
            ReadBytes("Settings.zorvat"),
            (std::vector<unsigned char>{3, 0, 0, 0, static_cast<unsigned char>(c.fullHd), 0, 0, 0}))
            << "start-up only reads the file";
        delete current::GetInstance()->state;
        current::GetInstance()->state = nullptr;
    }
}

TEST_F(ProgramTest, StartFallsBackToTheWindowWhenFullHdIsRefused) {
    WriteSettings(2, 1);
    CProgram::setVideoMode = RefusingSetVideoMode;

    ASSERT_TRUE(CProgram::Start());

    SDL_Surface* screen = SDL_GetVideoSurface();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->w, 1280);
    EXPECT_EQ(screen->h, 720);
    EXPECT_NE(current::GetInstance()->state, nullptr);
}

TEST_F(ProgramTest, StartFailsCleanlyWhenNoModeOpens) {
    for (int fullHd = 0; fullHd < 2; ++fullHd) {
        SCOPED_TRACE("fullHd " + std::to_string(fullHd));
        WriteSettings(2, fullHd);
        CProgram::setVideoMode = RefusingSetVideoMode;
        refuseEveryMode = true;

        EXPECT_FALSE(CProgram::Start());

        EXPECT_EQ(current::GetInstance()->state, nullptr);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "SDL is shut down again";
    }
}

TEST_F(ProgramTest, MainShutsSdlDownHoweverTheRunEnds) {
    PushQuit();
    EXPECT_EQ(CProgram::Main(), 0) << "a window close on the menu";
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);

    delete current::GetInstance()->state;
    current::GetInstance()->state = nullptr;
    failingFlip = flips + 1;
    EXPECT_EQ(CProgram::Main(), 1) << "a failed flip";
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

} // namespace
