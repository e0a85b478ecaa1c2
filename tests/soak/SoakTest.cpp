// Thousands of frames of pseudo-random input through the real state manager and frame loop,
// on the build's artwork: meant for the sanitizer build, where any memory or undefined-behaviour
// fault ends the run. ZORVAT_SOAK_FRAMES asks for a longer run, ZORVAT_SOAK_SEED for another
// input sequence.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <unistd.h>

#include "TestSupport.h"
#include "app/Current.h"
#include "app/Program.h"
#include "match/Ball.h"
#include "match/Game.h"
#include "match/Paddle.h"
#include "menus/MainMenu.h"
#include "menus/Options.h"
#include "settings/Settings.h"

namespace {

const unsigned DefaultFrames = 20000;
const unsigned DefaultSeed = 20240611;

// Every key the game knows, and others it must ignore.
const SDLKey GameKeys[] = {SDLK_UP,     SDLK_DOWN,   SDLK_LEFT, SDLK_RIGHT,
                           SDLK_RETURN, SDLK_ESCAPE, SDLK_w,    SDLK_s};
const SDLKey OtherKeys[] = {SDLK_SPACE,     SDLK_a,  SDLK_d,        SDLK_q,      SDLK_p,
                            SDLK_TAB,       SDLK_F1, SDLK_KP_ENTER, SDLK_LSHIFT, SDLK_RCTRL,
                            SDLK_BACKSPACE, SDLK_1,  SDLK_DELETE,   SDLK_PAUSE,  SDLK_KP8};
// Keys that are held down for stretches of frames, read through SDL_GetKeyState.
const SDLKey HeldKeys[] = {SDLK_UP,   SDLK_DOWN,  SDLK_w,     SDLK_s,
                           SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_LSHIFT};

unsigned FromEnvironment(const char* name, unsigned fallback) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : fallback;
}

template <typename T, size_t N> size_t Count(const T (&)[N]) {
    return N;
}

// The side of the field a paddle may reach: one step beyond its limits, with room for the
// longest frame of the soak.
const float PaddleTop = -35 - 10;
const float PaddleBottom = 930 + 10;

class SoakTest : public ZorvatTest {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        ASSERT_EQ(symlink(ZORVAT_SOAK_DATA, "Data"), 0) << "no artwork at " << ZORVAT_SOAK_DATA;
        ASSERT_TRUE(FileExists("Data/Original/Menu/Menu.bmp"))
            << "build the targets art and font first";
    }

    unsigned Below(unsigned n) { return static_cast<unsigned>(random() % n); }
    bool OneIn(unsigned n) { return Below(n) == 0; }

    SDLKey AnyKey() {
        if (OneIn(2)) {
            return GameKeys[Below(Count(GameKeys))];
        }
        return OtherKeys[Below(Count(OtherKeys))];
    }

    // Any key but ESCAPE, which would leave the screen.
    SDLKey StrayKey() {
        SDLKey key = AnyKey();
        return key == SDLK_ESCAPE ? SDLK_SPACE : key;
    }

    // Picks from keys given with their weights.
    SDLKey Weighted(std::initializer_list<std::pair<SDLKey, unsigned>> choices) {
        unsigned total = 0;
        for (const auto& choice : choices) {
            total += choice.second;
        }
        unsigned pick = Below(total);
        for (const auto& choice : choices) {
            if (pick < choice.second) {
                return choice.first;
            }
            pick -= choice.second;
        }
        return SDLK_UNKNOWN;
    }

    // Events that are neither keys nor a window close.
    void PushOtherEvent() {
        SDL_Event event;
        std::memset(&event, 0, sizeof(event));
        if (OneIn(2)) {
            event.type = SDL_MOUSEMOTION;
            event.motion.x = static_cast<Uint16>(Below(1920));
            event.motion.y = static_cast<Uint16>(Below(1080));
        } else {
            event.type = SDL_MOUSEBUTTONDOWN;
            event.button.button = SDL_BUTTON_LEFT;
        }
        SDL_PushEvent(&event);
    }

    // The input of one frame, shaped by the state in place so that every state is visited
    // often; the exit entry of the main menu is never chosen, only the closing window ends.
    void Input(int state) {
        if (OneIn(6)) {
            SDLKey key = HeldKeys[Below(Count(HeldKeys))];
            Uint8* keys = SDL_GetKeyState(nullptr);
            keys[key] = keys[key] ? 0 : 1;
        }
        if (OneIn(5)) {
            ReleaseKey(AnyKey());
        }
        if (OneIn(40)) {
            PushOtherEvent();
        }
        SDLKey key = SDLK_UNKNOWN;
        switch (state) {
        case StateMainMenu:
            if (OneIn(2)) {
                key = MenuKey();
            }
            break;
        case StateOptions:
            if (OneIn(2)) {
                key = OptionsKey();
            }
            break;
        case StateCredits:
            if (OneIn(2)) {
                key = Weighted({{SDLK_ESCAPE, 1}, {StrayKey(), 5}});
            }
            break;
        default: { // a match: long while it is played, short once it is over
            CGame* game = dynamic_cast<CGame*>(current::GetInstance()->state);
            if (game && game->matchOver) {
                key = Weighted({{SDLK_ESCAPE, 1}, {SDLK_RETURN, 8}, {StrayKey(), 20}});
            } else if (OneIn(4)) {
                key = Weighted({{SDLK_ESCAPE, 1}, {SDLK_RETURN, 10}, {StrayKey(), 89}});
            }
            break;
        }
        }
        if (key != SDLK_UNKNOWN) {
            PressKey(key);
            if (OneIn(2)) {
                ReleaseKey(key);
            }
        }
    }

    // The main menu aims at an entry other than the exit, chosen afresh at each visit, with
    // stray keys on the way.
    SDLKey MenuKey() {
        CMainMenu* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state);
        if (!menu) {
            return SDLK_UNKNOWN;
        }
        if (visits[StateMainMenu] != aimedVisit) {
            aimedVisit = visits[StateMainMenu];
            // Entries 1 to 4: one-player, two-player, options (twice as often), credits.
            static const int entries[] = {1, 2, 3, 3, 4};
            aim = entries[Below(Count(entries))];
        }
        if (OneIn(6)) {
            SDLKey key = AnyKey();
            return key == SDLK_RETURN && menu->selection == 5 ? SDLK_DOWN : key;
        }
        if (menu->selection == aim) {
            return SDLK_RETURN;
        }
        return menu->selection < aim ? SDLK_DOWN : SDLK_UP;
    }

    // A third of the visits to the options set out to change the display mode and save it,
    // the others wander; stray keys come in between.
    SDLKey OptionsKey() {
        COptions* options = dynamic_cast<COptions*>(current::GetInstance()->state);
        if (!options) {
            return SDLK_UNKNOWN;
        }
        if (visits[StateOptions] != plannedVisit) {
            plannedVisit = visits[StateOptions];
            changeDisplay = OneIn(3);
            displayAtEntry = options->displayMode;
        }
        if (!changeDisplay || OneIn(6)) {
            return Weighted({{SDLK_UP, 2},
                             {SDLK_DOWN, 3},
                             {SDLK_LEFT, 3},
                             {SDLK_RIGHT, 3},
                             {SDLK_RETURN, 2},
                             {SDLK_ESCAPE, 1},
                             {AnyKey(), 2}});
        }
        if (options->displayMode != displayAtEntry) {
            return SDLK_RETURN;
        }
        if (options->row != 2) {
            return SDLK_DOWN;
        }
        return options->displayMode == 1 ? SDLK_RIGHT : SDLK_LEFT;
    }

    // A match is brought to match point as it begins, and again now and then after a
    // restart, so that matches end and restart often.
    void NudgeMatch(CGame* game, bool begun) {
        if (!game->matchOver && game->leftScore < 9 && game->rightScore < 9 &&
            (begun || OneIn(150))) {
            (OneIn(2) ? game->leftScore : game->rightScore) = 9;
        }
    }

    std::mt19937 random;
    std::map<int, unsigned> visits;
    unsigned aimedVisit = 0;
    int aim = 1;
    unsigned plannedVisit = 0;
    bool changeDisplay = false;
    int displayAtEntry = 2;
};

TEST_F(SoakTest, RandomInputPassesThroughEveryStateWithoutFault) {
    const unsigned frames = std::max(FromEnvironment("ZORVAT_SOAK_FRAMES", DefaultFrames), 1000u);
    const unsigned seed = FromEnvironment("ZORVAT_SOAK_SEED", DefaultSeed);
    std::printf("soak: %u frames, seed %u (ZORVAT_SOAK_FRAMES, ZORVAT_SOAK_SEED)\n", frames, seed);
    std::fflush(stdout);
    SCOPED_TRACE("soak seed " + std::to_string(seed));
    random.seed(seed);

    ASSERT_TRUE(CProgram::Start());
    current* manager = current::GetInstance();
    visits[manager->stateID] = 1;
    unsigned matchEnds = 0, restarts = 0, modeChanges = 0;
    int previousState = manager->stateID;
    int previousWidth = SDL_GetVideoSurface()->w;
    bool wasOver = false;

    for (unsigned frame = 0; frame < frames; ++frame) {
        Input(manager->stateID);
        TestClock::Advance(1 + Below(16));
        ASSERT_EQ(CProgram::Pass(), -1) << "the loop ended at frame " << frame;

        int state = manager->stateID;
        ASSERT_TRUE(state >= StateMainMenu && state <= StateMultiPlayer && manager->state)
            << "frame " << frame << ": state " << state;
        ASSERT_EQ(manager->nextState, StateNone);
        SDL_Surface* screen = SDL_GetVideoSurface();
        ASSERT_NE(screen, nullptr);
        if (state != previousState) {
            ++visits[state];
            wasOver = false;
        }
        if (previousState == StateOptions && state != StateOptions) {
            // What the options left on screen is what the settings file says.
            CSettings settings;
            settings.Load();
            ASSERT_EQ(screen->w, settings.fullHd == 1 ? 1920 : 1280) << "frame " << frame;
        }
        if (screen->w != previousWidth) {
            ++modeChanges;
        }

        CGame* game = dynamic_cast<CGame*>(manager->state);
        if (game) {
            ASSERT_TRUE(game->leftScore >= 0 && game->leftScore <= 10 && game->rightScore >= 0 &&
                        game->rightScore <= 10)
                << "frame " << frame << ": " << game->leftScore << " : " << game->rightScore;
            ASSERT_EQ(game->matchOver, game->leftScore == 10 || game->rightScore == 10);
            ASSERT_TRUE(std::isfinite(game->ball->x) && std::isfinite(game->ball->y) &&
                        std::isfinite(game->ball->vx) && std::isfinite(game->ball->vy))
                << "frame " << frame;
            for (const CPaddle* paddle : {game->leftPaddle, game->rightPaddle}) {
                ASSERT_TRUE(paddle->y >= PaddleTop && paddle->y <= PaddleBottom)
                    << "frame " << frame << ": paddle at " << paddle->y;
            }
            if (state == previousState && game->matchOver && !wasOver) {
                ++matchEnds;
            }
            if (state == previousState && !game->matchOver && wasOver) {
                ++restarts;
            }
            wasOver = game->matchOver;
            NudgeMatch(game, state != previousState);
        }
        previousState = state;
        previousWidth = screen->w;
    }

    // The window closes: the pass of the close is still drawn, the next one ends the loop.
    ReleaseAllKeys();
    PushQuit();
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(CProgram::Pass(), 0);

    std::printf("soak: visits menu %u, options %u, credits %u, one-player %u, two-player %u; "
                "%u match ends, %u restarts, %u display-mode changes\n",
                visits[StateMainMenu], visits[StateOptions], visits[StateCredits],
                visits[StateSinglePlayer], visits[StateMultiPlayer], matchEnds, restarts,
                modeChanges);
    // Floors well below what the input gives, so that every path is sure to have been taken.
    for (int state :
         {StateMainMenu, StateOptions, StateCredits, StateSinglePlayer, StateMultiPlayer}) {
        EXPECT_GE(visits[state], frames / 2000) << "state " << state << " was seldom reached";
    }
    EXPECT_GE(matchEnds, frames / 10000);
    EXPECT_GE(restarts, frames / 10000);
    EXPECT_GE(modeChanges, frames / 5000);
}

} // namespace
