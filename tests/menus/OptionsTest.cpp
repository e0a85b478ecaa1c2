#include "TestSupport.h"

#include <climits>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

#include "app/Current.h"
#include "app/Program.h"
#include "gfx/Image.h"
#include "menus/MainMenu.h"
#include "menus/Options.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// Every video mode the game asks for, with the settings file as it was at that moment.
struct ModeRequest {
    int w, h, bpp;
    Uint32 flags;
    Bytes fileThen;
};
std::vector<ModeRequest> modeRequests;
bool refuseFullHd = false;

SDL_Surface* RecordingSetVideoMode(int w, int h, int bpp, Uint32 flags) {
    modeRequests.push_back({w, h, bpp, flags, ReadBytes("Settings.zorvat")});
    if (refuseFullHd && w == 1920) {
        // A display that cannot give the mode: SDL has already let go of the old screen.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    return SDL_SetVideoMode(w, h, bpp, flags);
}

// Counts the times the settings file is closed after writing, from the moment it is built.
class SaveCounter {
public:
    SaveCounter() : fd(inotify_init1(IN_NONBLOCK)) {
        // Opens are watched too: inotify merges identical events that follow each other, and
        // every save opens the file before it closes it.
        inotify_add_watch(fd, ".", IN_OPEN | IN_CLOSE_WRITE | IN_MOVED_TO);
    }
    ~SaveCounter() { close(fd); }
    int Saves() {
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = read(fd, buffer, sizeof(buffer))) > 0) {
            for (char* p = buffer; p < buffer + length;) {
                inotify_event* event = reinterpret_cast<inotify_event*>(p);
                if ((event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) && event->len > 0 &&
                    std::strcmp(event->name, "Settings.zorvat") == 0) {
                    ++saves;
                }
                p += sizeof(inotify_event) + event->len;
            }
        }
        return saves;
    }

private:
    int fd;
    int saves = 0;
};

// A file as only the game writes it: level (0 to 255 here) little-endian, display mode, zeros.
Bytes Saved(int level, int fullHd) {
    return {static_cast<unsigned char>(level),  0, 0, 0,
            static_cast<unsigned char>(fullHd), 0, 0, 0};
}

// A file the game has not written: longer than 8 bytes, with marked padding.
Bytes Untouched(int level, int fullHd) {
    Bytes bytes = Saved(level, fullHd);
    bytes[5] = bytes[6] = bytes[7] = 0xAB;
    bytes.push_back(0xCD);
    bytes.push_back(0xEF);
    return bytes;
}

// Scaled art of the options screen; value sheets carry one colour per frame.
const Uint32 LevelColours[3] = {0x000011, 0x000022, 0x000033};
const Uint32 ModeColours[2] = {0x001100, 0x002200};
Uint32 ScaledLevels(int x, int) {
    return LevelColours[x / 147];
}
Uint32 ScaledModes(int x, int) {
    return ModeColours[x / 66];
}
void WriteScaledOptionsArt() {
    WriteBitmap("Data/Skaliert/Menu/OptionsBack.bmp", 1280, 720, 40, 40, 40);
    WriteBitmap("Data/Skaliert/Menu/Options_Selections1.bmp", 3 * 147, 40, ScaledLevels);
    WriteBitmap("Data/Skaliert/Menu/Options_Selections2.bmp", 2 * 66, 30, ScaledModes);
    WriteBitmap("Data/Skaliert/Menu/Options_Select1.bmp", 20, 33, 255, 0, 0);
    WriteBitmap("Data/Skaliert/Menu/Options_Select2.bmp", 20, 26, 0, 255, 0);
}

// Main-menu art that tells the two trees apart by colour.
void WriteMenuArt() {
    WriteBitmap("Data/Original/Menu/Menu.bmp", 1920, 1080, 200, 0, 0);
    WriteBitmap("Data/Original/Menu/Menu_Select.bmp", 5 * 520, 500, 255, 255, 0);
    WriteBitmap("Data/Skaliert/Menu/Menu.bmp", 1280, 720, 0, 0, 200);
    WriteBitmap("Data/Skaliert/Menu/Menu_Select.bmp", 5 * 346, 333, 255, 255, 0);
}

class OptionsTest : public ZorvatTest {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        modeRequests.clear();
        refuseFullHd = false;
        CProgram::setVideoMode = RecordingSetVideoMode;
    }
    void TearDown() override {
        CProgram::setVideoMode = SDL_SetVideoMode;
        ZorvatTest::TearDown();
    }

    // A fresh options screen in place as the state manager's state.
    COptions* Install() {
        current* manager = current::GetInstance();
        manager->stateID = StateOptions;
        manager->state = new COptions();
        return static_cast<COptions*>(manager->state);
    }

    int Pending() { return current::GetInstance()->nextState; }

    // Plays keys through one pass of the frame loop, as the game does.
    void PassWith(std::initializer_list<SDLKey> keys) {
        for (SDLKey key : keys) {
            PressKey(key);
        }
        EXPECT_EQ(CProgram::Pass(), -1);
    }

    // The one video mode asked for, the file as it was then, and the screen it left.
    void ExpectOneReopen(int w, int h, Uint32 flags, const Bytes& fileThen) {
        ASSERT_EQ(modeRequests.size(), 1u);
        EXPECT_EQ(modeRequests[0].w, w);
        EXPECT_EQ(modeRequests[0].h, h);
        EXPECT_EQ(modeRequests[0].bpp, 32);
        EXPECT_EQ(modeRequests[0].flags, flags);
        EXPECT_EQ(modeRequests[0].fileThen, fileThen);
        ASSERT_NE(SDL_GetVideoSurface(), nullptr);
        EXPECT_EQ(SDL_GetVideoSurface()->w, w);
        EXPECT_EQ(SDL_GetVideoSurface()->h, h);
        modeRequests.clear();
    }

    // The state in place is a main menu built in a display mode and drawn with its art.
    void ExpectMenuIn(int fullHd) {
        CMainMenu* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->menuSelect->fullHd, fullHd);
        EXPECT_EQ(menu->menuSelect->rect.x, fullHd ? 700 : 466);
        EXPECT_EQ(menu->menuSelect->rect.y, fullHd ? 300 : 200);
        EXPECT_EQ(menu->menuSelect->frameWidth, fullHd ? 520 : 346);
        EXPECT_EQ(menu->menuSelect->frameHeight, fullHd ? 500 : 333);
        SDL_Surface* screen = SDL_GetVideoSurface();
        EXPECT_EQ(PixelAt(screen, screen->w - 1, screen->h - 1), fullHd ? 0xC80000u : 0x0000C8u);
    }
};

TEST_F(OptionsTest, StartsOnRowOneWithTheValuesOfTheFile) {
    const struct {
        int level, fullHd, displayMode;
    } cases[] = {{3, 1, 1}, {1, 0, 2}, {7, 2, 2}, {-1, 255, 2}};
    for (const auto& c : cases) {
        WriteSettings(c.level, c.fullHd);
        COptions options;
        EXPECT_EQ(options.row, 1);
        EXPECT_EQ(options.level, c.level);
        EXPECT_EQ(options.displayMode, c.displayMode) << "fullHd " << c.fullHd;
    }
}

TEST_F(OptionsTest, PicturesArePlacedAndKeyedForTheirDisplayMode) {
    for (const char* tree : {"Data/Original/Menu/", "Data/Skaliert/Menu/"}) {
        for (const char* name : {"OptionsBack", "Options_Selections1", "Options_Selections2",
                                 "Options_Select1", "Options_Select2"}) {
            WriteBitmap(std::string(tree) + name + ".bmp", 300, 70, 255, 0, 255);
        }
    }
    const struct {
        int fullHd;
        Sint16 pos[4][2];
        int frames[2][2];
    } modes[] = {
        {1, {{1080, 450}, {1149, 616}, {1049, 455}, {1130, 622}}, {{221, 61}, {100, 45}}},
        {0, {{720, 300}, {766, 410}, {699, 303}, {753, 414}}, {{147, 40}, {66, 30}}},
    };
    for (const auto& m : modes) {
        WriteSettings(2, m.fullHd);
        COptions options;
        CImage* over[4] = {options.selections1, options.selections2, options.select1,
                           options.select2};
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE("fullHd " + std::to_string(m.fullHd) + ", picture " + std::to_string(i));
            ASSERT_NE(over[i]->surface, nullptr);
            EXPECT_EQ(over[i]->fullHd, m.fullHd);
            EXPECT_EQ(over[i]->rect.x, m.pos[i][0]);
            EXPECT_EQ(over[i]->rect.y, m.pos[i][1]);
            EXPECT_TRUE(over[i]->surface->flags & SDL_SRCCOLORKEY);
            EXPECT_EQ(over[i]->surface->format->colorkey,
                      SDL_MapRGB(over[i]->surface->format, 255, 0, 255));
        }
        EXPECT_EQ(options.selections1->frameWidth, m.frames[0][0]);
        EXPECT_EQ(options.selections1->frameHeight, m.frames[0][1]);
        EXPECT_EQ(options.selections2->frameWidth, m.frames[1][0]);
        EXPECT_EQ(options.selections2->frameHeight, m.frames[1][1]);
        ASSERT_NE(options.optionsBack->surface, nullptr);
        EXPECT_EQ(options.optionsBack->rect.x, 0);
        EXPECT_EQ(options.optionsBack->rect.y, 0);
        EXPECT_FALSE(options.optionsBack->surface->flags & SDL_SRCCOLORKEY);
    }
}

TEST_F(OptionsTest, RowsWrapAndEachRowChangesOnlyItsValue) {
    WriteSettings(2, 0);
    COptions* options = Install();
    PressKey(SDLK_UP);
    options->HandleEvents();
    EXPECT_EQ(options->row, 2);
    PressKey(SDLK_DOWN);
    options->HandleEvents();
    EXPECT_EQ(options->row, 1);

    PressKey(SDLK_RIGHT);
    options->HandleEvents();
    EXPECT_EQ(options->level, 3);
    EXPECT_EQ(options->displayMode, 2);

    PressKey(SDLK_DOWN);
    PressKey(SDLK_LEFT);
    options->HandleEvents();
    EXPECT_EQ(options->level, 3);
    EXPECT_EQ(options->displayMode, 1);
    PressKey(SDLK_RIGHT);
    options->HandleEvents();
    EXPECT_EQ(options->displayMode, 2);
    EXPECT_EQ(Pending(), StateNone);
}

TEST_F(OptionsTest, ValuesStopAtTheirEnds) {
    const struct {
        int fileLevel, fullHd;
        std::vector<SDLKey> keys;
        int level, displayMode;
    } cases[] = {
        {3, 0, {SDLK_RIGHT}, 3, 2},
        {1, 0, {SDLK_LEFT, SDLK_LEFT}, 1, 2},
        {2, 0, {SDLK_DOWN, SDLK_RIGHT}, 2, 2},
        {2, 1, {SDLK_DOWN, SDLK_LEFT}, 2, 1},
        // A hand-edited level comes back into range by the keys only.
        {7, 0, {SDLK_RIGHT}, 3, 2},
        {7, 0, {SDLK_LEFT}, 6, 2},
        {-4, 0, {SDLK_LEFT}, 1, 2},
        {INT_MAX, 0, {SDLK_RIGHT}, 3, 2},
        {INT_MIN, 0, {SDLK_LEFT}, 1, 2},
    };
    for (const auto& c : cases) {
        WriteSettings(c.fileLevel, c.fullHd);
        COptions options;
        for (SDLKey key : c.keys) {
            PressKey(key);
        }
        options.HandleEvents();
        EXPECT_EQ(options.level, c.level) << "file level " << c.fileLevel;
        EXPECT_EQ(options.displayMode, c.displayMode) << "file level " << c.fileLevel;
    }
}

TEST_F(OptionsTest, ReturnSavesEachChangedValueOnce) {
    const struct {
        const char* what;
        int level, fullHd;
        std::vector<SDLKey> keys;
        int saves;
        Bytes after;
        size_t modeRequests;
    } cases[] = {
        {"nothing changed", 2, 0, {SDLK_RETURN}, 0, Untouched(2, 0), 0},
        {"changed and back", 2, 0, {SDLK_RIGHT, SDLK_LEFT, SDLK_RETURN}, 0, Untouched(2, 0), 0},
        {"level 7 untouched", 7, 0, {SDLK_RETURN}, 0, Untouched(7, 0), 0},
        {"level only", 2, 1, {SDLK_LEFT, SDLK_RETURN}, 1, Saved(1, 1), 0},
        {"mode only", 3, 1, {SDLK_DOWN, SDLK_RIGHT, SDLK_RETURN}, 1, Saved(3, 0), 1},
        {"both", 2, 0, {SDLK_RIGHT, SDLK_DOWN, SDLK_LEFT, SDLK_RETURN}, 2, Saved(3, 1), 1},
        // A display byte only a hand edit gives counts as the window, and is saved as 0.
        {"hand-edited mode", 2, 2, {SDLK_RETURN}, 1, Saved(2, 0), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes("Settings.zorvat", Untouched(c.level, c.fullHd));
        modeRequests.clear();
        current::GetInstance()->nextState = StateNone;
        COptions options;
        SaveCounter counter;
        for (SDLKey key : c.keys) {
            PressKey(key);
        }
        options.HandleEvents();
        EXPECT_EQ(counter.Saves(), c.saves);
        EXPECT_EQ(ReadBytes("Settings.zorvat"), c.after);
        EXPECT_EQ(modeRequests.size(), c.modeRequests);
        EXPECT_EQ(Pending(), StateMainMenu);
    }
}

TEST_F(OptionsTest, ModeChangeReopensTheScreenFirstAndTheNextMenuUsesTheNewArt) {
    WriteMenuArt();
    WriteBytes("Settings.zorvat", Untouched(2, 0));
    ASSERT_NE(OpenScreen(0), nullptr);
    modeRequests.clear();

    // To full HD, changing the level as well.
    Install();
    PassWith({SDLK_RIGHT, SDLK_DOWN, SDLK_LEFT, SDLK_RETURN});
    ExpectOneReopen(1920, 1080, 0xC0000001u, Untouched(2, 0));
    EXPECT_EQ(ReadBytes("Settings.zorvat"), Saved(3, 1));
    EXPECT_EQ(current::GetInstance()->stateID, StateMainMenu);
    ExpectMenuIn(1);

    // Through the main menu and back to the window.
    PassWith({SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
    ASSERT_EQ(current::GetInstance()->stateID, StateOptions);
    PassWith({SDLK_DOWN, SDLK_RIGHT, SDLK_RETURN});
    ExpectOneReopen(1280, 720, 0x40000001u, Saved(3, 1));
    EXPECT_EQ(ReadBytes("Settings.zorvat"), Saved(3, 0));
    ExpectMenuIn(0);
}

TEST_F(OptionsTest, KeysHeldDuringAReopenAreForgotten) {
    WriteSettings(2, 0);
    ASSERT_NE(OpenScreen(0), nullptr);
    COptions* options = Install();
    HoldKey(SDLK_RETURN);
    SDL_SetModState(KMOD_LSHIFT);
    for (SDLKey key : {SDLK_DOWN, SDLK_LEFT, SDLK_RETURN}) {
        PressKey(key);
    }
    options->HandleEvents();
    ASSERT_EQ(modeRequests.size(), 1u);
    EXPECT_EQ(SDL_GetKeyState(nullptr)[SDLK_RETURN], 0);
    EXPECT_EQ(SDL_GetModState(), KMOD_NONE);
}

TEST_F(OptionsTest, RefusedModeGivesTheOldScreenBackAndIsNotSaved) {
    WriteMenuArt();
    WriteBytes("Settings.zorvat", Untouched(2, 0));
    ASSERT_NE(OpenScreen(0), nullptr);
    refuseFullHd = true;
    modeRequests.clear();
    Install();
    PassWith({SDLK_LEFT, SDLK_DOWN, SDLK_LEFT, SDLK_RETURN});

    ASSERT_EQ(modeRequests.size(), 2u);
    EXPECT_EQ(modeRequests[0].w, 1920);
    modeRequests.erase(modeRequests.begin());
    ExpectOneReopen(1280, 720, 0x40000001u, Untouched(2, 0));
    // The level is still saved; the display mode stays the one that works.
    EXPECT_EQ(ReadBytes("Settings.zorvat"), Saved(1, 0));
    ExpectMenuIn(0);
    EXPECT_EQ(CProgram::Pass(), -1);
}

TEST_F(OptionsTest, EscapeLeavesFileAndScreenAsTheyWere) {
    WriteBytes("Settings.zorvat", Untouched(2, 0));
    ASSERT_NE(OpenScreen(0), nullptr);
    SaveCounter counter;
    Install();
    PassWith({SDLK_RIGHT, SDLK_DOWN, SDLK_LEFT, SDLK_ESCAPE});
    EXPECT_EQ(current::GetInstance()->stateID, StateMainMenu);
    EXPECT_EQ(counter.Saves(), 0);
    EXPECT_EQ(ReadBytes("Settings.zorvat"), Untouched(2, 0));
    EXPECT_TRUE(modeRequests.empty());

    COptions again;
    EXPECT_EQ(again.level, 2);
    EXPECT_EQ(again.displayMode, 2);
}

TEST_F(OptionsTest, ReturnAfterAWindowCloseStillSavesAndTheProgramEnds) {
    WriteSettings(2, 0);
    ASSERT_NE(OpenScreen(0), nullptr);
    COptions* options = Install();
    for (SDLKey key : {SDLK_RIGHT, SDLK_DOWN, SDLK_LEFT}) {
        PressKey(key);
    }
    PushQuit();
    PressKey(SDLK_RETURN);
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(ReadBytes("Settings.zorvat"), Saved(3, 1));
    EXPECT_EQ(modeRequests.size(), 1u);
    EXPECT_EQ(current::GetInstance()->stateID, StateExit);
    EXPECT_EQ(current::GetInstance()->state, options);
    EXPECT_EQ(CProgram::Pass(), 0);
}

TEST_F(OptionsTest, DrawsTheNearestValueAndTheMarkerOfTheRow) {
    WriteScaledOptionsArt();
    SDL_Surface* screen = OpenScreen(0);
    ASSERT_NE(screen, nullptr);
    const struct {
        int level;
        Uint32 colour;
    } cases[] = {{1, LevelColours[0]},
                 {3, LevelColours[2]},
                 {7, LevelColours[2]},
                 {0, LevelColours[0]},
                 {INT_MIN, LevelColours[0]}};
    for (const auto& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level));
        WriteSettings(c.level, 0);
        COptions options;
        options.Render(screen);
        EXPECT_EQ(PixelAt(screen, 720 + 146, 300 + 39), c.colour);
        EXPECT_EQ(PixelAt(screen, 766 + 65, 410 + 29), ModeColours[1]);
        EXPECT_EQ(PixelAt(screen, 699, 303), 0xFF0000u);
        EXPECT_EQ(PixelAt(screen, 753, 414), 0x282828u);
        EXPECT_EQ(options.level, c.level);
    }

    WriteSettings(2, 0);
    COptions options;
    PressKey(SDLK_DOWN);
    PressKey(SDLK_LEFT);
    options.HandleEvents();
    options.Render(screen);
    EXPECT_EQ(PixelAt(screen, 766 + 60, 410 + 20), ModeColours[0]);
    EXPECT_EQ(PixelAt(screen, 753, 414), 0x00FF00u);
    // The marker lies over the value it points at.
    EXPECT_EQ(PixelAt(screen, 770, 420), 0x00FF00u);
    EXPECT_EQ(PixelAt(screen, 699, 303), 0x282828u);
}

} // namespace
