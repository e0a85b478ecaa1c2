#include "TestSupport.h"

#include <climits>
#include <cstdio>
#include <sys/inotify.h>
#include <unistd.h>

#include "app/Program.h"
#include "gfx/Image.h"
#include "menus/MainMenu.h"
#include "menus/Options.h"

namespace {

// Every video mode the game asks for ("width x height x depth flags"), with the settings file
// as it was at that moment.
struct ModeRequest {
    std::string mode;
    Bytes fileThen;
};
std::vector<ModeRequest> modeRequests;
bool refuseFullHd = false;
const char* const FullHdMode = "1920x1080x32 c0000001";
const char* const WindowMode = "1280x720x32 40000001";

SDL_Surface* RecordingSetVideoMode(int w, int h, int bpp, Uint32 flags) {
    char mode[64];
    std::snprintf(mode, sizeof(mode), "%dx%dx%d %08x", w, h, bpp, flags);
    modeRequests.push_back({mode, ReadBytes("Settings.zorvat")});
    if (refuseFullHd && w == 1920) {
        // A display that cannot give the mode: SDL has already let go of the old screen.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    return SDL_SetVideoMode(w, h, bpp, flags);
}

// Watches the working folder for files closed after writing (a save); opens are watched too,
// since inotify merges identical events that follow each other.
int WatchSaves() {
    const int fd = inotify_init1(IN_NONBLOCK);
    inotify_add_watch(fd, ".", IN_OPEN | IN_CLOSE_WRITE);
    return fd;
}

// The saves seen by a watch, which it ends.
int Saves(int fd) {
    int saves = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t length; (length = read(fd, buffer, sizeof(buffer))) > 0;) {
        for (char* p = buffer; p < buffer + length; p += sizeof(inotify_event)) {
            const inotify_event* event = reinterpret_cast<inotify_event*>(p);
            saves += (event->mask & IN_CLOSE_WRITE) != 0;
            p += event->len;
        }
    }
    close(fd);
    return saves;
}

const SDLKey L = SDLK_LEFT, R = SDLK_RIGHT, U = SDLK_UP, D = SDLK_DOWN, Ret = SDLK_RETURN;

// A file the game has not written: longer than 8 bytes, with marked padding.
Bytes Untouched(int level, int fullHd) {
    Bytes bytes = SettingsBytes(level, fullHd);
    bytes[5] = bytes[6] = bytes[7] = 0xAB;
    bytes.push_back(0xCD);
    return bytes;
}

class OptionsTest : public ZorvatTest {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        modeRequests.clear();
        refuseFullHd = false;
        CProgram::setVideoMode = RecordingSetVideoMode;
        // Main-menu art that tells the two trees apart by colour.
        WriteBitmap("Data/Original/Menu/Menu.bmp", 1920, 1080, 0xC80000);
        WriteBitmap("Data/Skaliert/Menu/Menu.bmp", 1280, 720, 0x0000C8);
        WriteBytes("Settings.zorvat", Untouched(2, 0));
        OpenScreen(0);
    }
    void TearDown() override {
        CProgram::setVideoMode = SDL_SetVideoMode;
        ZorvatTest::TearDown();
    }

    // One pass of the frame loop with the options screen in place.
    void PassWith(const std::vector<SDLKey>& keys) {
        Install<COptions>(StateOptions);
        PressKeys(keys);
        EXPECT_EQ(CProgram::Pass(), -1);
    }

    // The one video mode asked for, and the file as it was then.
    void ExpectOneReopen(const std::string& mode, const Bytes& fileThen) {
        ASSERT_EQ(modeRequests.size(), 1u);
        EXPECT_EQ(modeRequests[0].mode, mode);
        EXPECT_EQ(modeRequests[0].fileThen, fileThen);
        modeRequests.clear();
    }

    // The state in place is a main menu built and drawn in a display mode.
    void ExpectMenuIn(int fullHd) {
        CMainMenu* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->menuSelect->rect.x, fullHd ? 700 : 466);
        EXPECT_EQ(menu->menuSelect->rect.y, fullHd ? 300 : 200);
        SDL_Surface* screen = SDL_GetVideoSurface();
        EXPECT_EQ(screen->w, fullHd ? 1920 : 1280);
        EXPECT_EQ(PixelAt(screen, screen->w - 1, screen->h - 1), fullHd ? 0xC80000u : 0x0000C8u);
    }
};

TEST_F(OptionsTest, RowsWrapAndValuesStopAtTheirEnds) {
    // A hand-edited level (7, -4, the ends of int) comes back into range by the keys only.
    const struct {
        int fileLevel, fullHd;
        std::vector<SDLKey> keys;
        int row, level, displayMode;
    } cases[] = {{2, 1, {U, R}, 2, 2, 2},    {2, 1, {D, D, R}, 1, 3, 1}, {3, 0, {R}, 1, 3, 2},
                 {1, 0, {L, L}, 1, 1, 2},    {2, 0, {D, R}, 2, 2, 2},    {2, 1, {D, L}, 2, 2, 1},
                 {7, 0, {R}, 1, 3, 2},       {7, 0, {L}, 1, 6, 2},       {-4, 0, {L}, 1, 1, 2},
                 {INT_MAX, 0, {R}, 1, 3, 2}, {INT_MIN, 0, {L}, 1, 1, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "level " << c.fileLevel << ", fullHd " << c.fullHd
                                          << ", keys " << ::testing::PrintToString(c.keys));
        WriteSettings(c.fileLevel, c.fullHd);
        COptions options;
        PressKeys(c.keys);
        options.HandleEvents();
        EXPECT_EQ(options.row, c.row);
        EXPECT_EQ(options.level, c.level);
        EXPECT_EQ(options.displayMode, c.displayMode);
        EXPECT_EQ(current::GetInstance()->nextState, StateNone);
    }
}

TEST_F(OptionsTest, ReturnSavesEachChangedValueOnceAndEscapeNothing) {
    const struct {
        int level, fullHd;
        std::vector<SDLKey> keys;
        int saves;
        Bytes after; // empty: the file as it was
        size_t modeRequests;
        int request;
    } cases[] = {{2, 0, {Ret}, 0, {}, 0, StateMainMenu},
                 {2, 0, {R, L, Ret}, 0, {}, 0, StateMainMenu},
                 {7, 0, {Ret}, 0, {}, 0, StateMainMenu},
                 {2, 1, {L, Ret}, 1, SettingsBytes(1, 1), 0, StateMainMenu},
                 {3, 1, {D, R, Ret}, 1, SettingsBytes(3, 0), 1, StateMainMenu},
                 {2, 0, {R, D, L, Ret}, 2, SettingsBytes(3, 1), 1, StateMainMenu},
                 // A display byte only a hand edit gives counts as the window, and is saved as 0.
                 {2, 2, {Ret}, 1, SettingsBytes(2, 0), 1, StateMainMenu},
                 {2, 0, {R, D, L, SDLK_ESCAPE}, 0, {}, 0, StateMainMenu},
                 {2, 0, {R, D, L, WindowClose, Ret}, 2, SettingsBytes(3, 1), 1, StateExit}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "level " << c.level << ", fullHd " << c.fullHd
                                          << ", keys " << ::testing::PrintToString(c.keys));
        WriteBytes("Settings.zorvat", Untouched(c.level, c.fullHd));
        modeRequests.clear();
        COptions* options = Install<COptions>(StateOptions);
        const int watch = WatchSaves();
        PressKeys(c.keys);
        options->HandleEvents();
        EXPECT_EQ(Saves(watch), c.saves);
        EXPECT_EQ(ReadBytes("Settings.zorvat"),
                  c.after.empty() ? Untouched(c.level, c.fullHd) : c.after);
        EXPECT_EQ(modeRequests.size(), c.modeRequests);
        EXPECT_EQ(current::GetInstance()->nextState, c.request);
    }
}

TEST_F(OptionsTest, ModeChangeReopensTheScreenBeforeSavingAndTheNextMenuUsesTheNewArt) {
    PassWith({R, D, L, Ret});
    ExpectOneReopen(FullHdMode, Untouched(2, 0));
    EXPECT_EQ(ReadBytes("Settings.zorvat"), SettingsBytes(3, 1));
    ExpectMenuIn(1);

    PassWith({D, R, Ret});
    ExpectOneReopen(WindowMode, SettingsBytes(3, 1));
    EXPECT_EQ(ReadBytes("Settings.zorvat"), SettingsBytes(3, 0));
    ExpectMenuIn(0);
}

TEST_F(OptionsTest, RefusedModeGivesTheOldScreenBackAndIsNotSaved) {
    refuseFullHd = true;
    PassWith({L, D, L, Ret});
    ASSERT_EQ(modeRequests.size(), 2u);
    EXPECT_EQ(modeRequests[0].mode, FullHdMode);
    modeRequests.erase(modeRequests.begin());
    ExpectOneReopen(WindowMode, Untouched(2, 0));
    // The level is still saved; the display mode stays the one that works.
    EXPECT_EQ(ReadBytes("Settings.zorvat"), SettingsBytes(1, 0));
    ExpectMenuIn(0);
    EXPECT_EQ(CProgram::Pass(), -1);
}

TEST_F(OptionsTest, KeysHeldDuringAReopenAreForgotten) {
    // Events queued while SDL re-opens the mode are lost: a key released then would stay held.
    HoldKey(SDLK_RETURN);
    SDL_SetModState(KMOD_LSHIFT);
    PassWith({D, L, Ret});
    ASSERT_EQ(modeRequests.size(), 1u);
    EXPECT_EQ(SDL_GetKeyState(nullptr)[SDLK_RETURN], 0);
    EXPECT_EQ(SDL_GetModState(), KMOD_NONE);
}

TEST_F(OptionsTest, DrawsTheNearestValueAndTheMarkerOfTheRowKeyedOverTheBackground) {
    // Scaled art: one colour per value frame, each picture with a magenta stripe on its left.
    const auto art = [](const std::string& name, int w, int h, Uint32 base, int frameWidth) {
        WriteBitmap("Data/Skaliert/Menu/" + name + ".bmp", w, h, [=](int x, int) {
            return x % frameWidth < 3 ? 0xFF00FFu : base * (x / frameWidth + 1);
        });
    };
    WriteBitmap("Data/Skaliert/Menu/OptionsBack.bmp", 1280, 720, 0x282828);
    art("Options_Selections1", 3 * 147, 40, 0x11, 147);
    art("Options_Selections2", 2 * 66, 30, 0x1100, 66);
    art("Options_Select1", 20, 33, 0x110000, 20);
    art("Options_Select2", 20, 26, 0x220000, 20);
    SDL_Surface* screen = SDL_GetVideoSurface();
    const int levels[][2] = {{1, 0x11}, {3, 0x33}, {7, 0x33}, {0, 0x11}, {INT_MIN, 0x11}};
    const int corners[][2] = {{720, 300}, {766, 410}, {699, 303}}; // three of the pictures
    for (const auto& l : levels) {
        SCOPED_TRACE(l[0]);
        WriteSettings(l[0], 0);
        COptions options;
        options.Render(screen);
        EXPECT_EQ(PixelAt(screen, 720 + 146, 300 + 39), Uint32(l[1]));
        EXPECT_EQ(PixelAt(screen, 766 + 65, 410 + 29), 0x2200u);
        EXPECT_EQ(PixelAt(screen, 699 + 3, 303), 0x110000u);
        EXPECT_EQ(PixelAt(screen, 753 + 19, 414 + 25), 0x2200u) << "no marker on row 2";
        for (const auto& corner : corners) {
            EXPECT_EQ(PixelAt(screen, corner[0] + 2, corner[1] + 5), 0x282828u)
                << "magenta is transparent at " << corner[0];
        }
    }

    COptions options;
    PressKeys({D, L});
    options.HandleEvents();
    options.Render(screen);
    EXPECT_EQ(PixelAt(screen, 766 + 60, 410 + 20), 0x1100u);
    EXPECT_EQ(PixelAt(screen, 753 + 19, 414 + 25), 0x220000u) << "the marker lies over its value";
    EXPECT_EQ(PixelAt(screen, 753 + 2, 414), 0x282828u);
    EXPECT_EQ(PixelAt(screen, 699 + 3, 303), 0x282828u);
}

} // namespace
