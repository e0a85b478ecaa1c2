// Random input through the real state manager and frame loop, on the build's artwork: meant for
// the sanitizer build, where any memory or undefined-behaviour fault ends the run; a shorter run
// under valgrind (the test leak_session) shows that nothing leaks. ZORVAT_SOAK_FRAMES asks for
// another length, ZORVAT_SOAK_SEED for another input sequence.
#include <cstdlib>
#include <map>
#include <random>
#include <unistd.h>

#include "TestSupport.h"
#include "app/Program.h"
#include "match/Game.h"
#include "menus/MainMenu.h"
#include "settings/Settings.h"

namespace {

// The keys of the menus first, then those of a match (the first eight are also held for
// stretches), then some the game ignores.
const SDLKey Keys[] = {SDLK_DOWN,     SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_RETURN,
                       SDLK_ESCAPE,   SDLK_w,    SDLK_s,     SDLK_a,  SDLK_SPACE,
                       SDLK_KP_ENTER, SDLK_TAB,  SDLK_F1};

unsigned FromEnvironment(const char* name, unsigned fallback) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : fallback;
}

using SoakTest = ZorvatTest;

TEST_F(SoakTest, RandomInputPassesThroughEveryStateWithoutFault) {
    const unsigned frames = FromEnvironment("ZORVAT_SOAK_FRAMES", 10000);
    const unsigned seed = FromEnvironment("ZORVAT_SOAK_SEED", 20240611);
    SCOPED_TRACE(::testing::Message() << "soak: " << frames << " frames, seed " << seed);
    std::mt19937 random(seed);
    const auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    ASSERT_EQ(symlink(ZORVAT_SOAK_DATA, "Data"), 0);
    ASSERT_TRUE(CProgram::Start());

    current* manager = current::GetInstance();
    std::map<int, unsigned> visits;
    unsigned modeChanges = 0, matchEnds = 0;
    int previous = manager->stateID, width = SDL_GetVideoSurface()->w;
    bool wasOver = false;
    int aim = 3;
    for (unsigned frame = 0; frame < frames; ++frame) {
        if (below(6) == 0) {
            Uint8& held = SDL_GetKeyState(nullptr)[Keys[below(8)]];
            held = !held;
        }
        // The main menu aims at an entry other than the exit (the options twice as often), the
        // options change values before they are left, and a match gets every key, seldom
        // enough that points are played out.
        CGame* game = dynamic_cast<CGame*>(manager->state);
        CMainMenu* menu = dynamic_cast<CMainMenu*>(manager->state);
        if (below(game && !game->matchOver ? 20 : 2) == 0) {
            SDLKey key = Keys[below(sizeof(Keys) / sizeof(Keys[0]))];
            if (menu) {
                key = menu->selection == aim ? SDLK_RETURN : below(4) ? SDLK_DOWN : Keys[below(4)];
            } else if (manager->stateID == StateOptions) {
                key = Keys[below(8) ? below(4) : 4 + below(2)];
            }
            PressKey(key);
            if (below(2)) {
                PressKey(key, false);
            }
        }
        TestClock::Advance(1 + below(16));
        ASSERT_EQ(CProgram::Pass(), -1) << "frame " << frame;

        const int state = manager->stateID;
        ASSERT_TRUE(state >= StateMainMenu && state <= StateMultiPlayer && manager->state);
        SDL_Surface* screen = SDL_GetVideoSurface();
        ASSERT_NE(screen, nullptr);
        if (previous == StateOptions && state != StateOptions) {
            CSettings settings; // what the options left on screen is what the file says
            ASSERT_EQ(screen->w, settings.fullHd == 1 ? 1920 : 1280) << "frame " << frame;
        }
        modeChanges += screen->w != width;
        width = screen->w;
        visits[state] += state != previous;
        if (state != previous && state == StateMainMenu) {
            aim = "12334"[below(5)] - '0';
        }
        game = dynamic_cast<CGame*>(manager->state);
        if (game) {
            if (state != previous) { // a fresh match starts at match point
                (below(2) ? game->leftScore : game->rightScore) = 9;
            }
            matchEnds += game->matchOver && !wasOver && state == previous;
            wasOver = game->matchOver;
        }
        previous = state;
    }
    // The window closes: the pass of the close is still drawn, the next one ends the loop.
    ReleaseAllKeys();
    PressKey(WindowClose);
    EXPECT_EQ(CProgram::Pass(), -1);
    EXPECT_EQ(CProgram::Pass(), 0);

    // Floors well below what the input gives, so that every path is sure to have been taken.
    for (int state = StateMainMenu; state <= StateMultiPlayer; ++state) {
        EXPECT_GE(visits[state], frames / 2000) << "visits of state " << state;
    }
    EXPECT_GE(matchEnds, frames / 5000);
    EXPECT_GE(modeChanges, frames / 2500);
}

} // namespace
