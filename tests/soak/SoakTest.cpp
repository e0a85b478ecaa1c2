// Random input through the real state manager and frame loop, on the build's artwork: meant for
// the sanitizer build, where any memory or undefined-behaviour fault ends the run; a shorter run
// under valgrind (the test leak_session) shows that nothing leaks. ZORVAT_SOAK_FRAMES asks for
// another length. The serve takes its angle from the wall clock, so no two runs are alike.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <random>
#include <unistd.h>

#include "TestSupport.h"
#include "app/Program.h"
#include "match/Game.h"
#include "menus/MainMenu.h"
#include "menus/Options.h"
#include "settings/Settings.h"

// The keys of the menus first, then those of a match (the first eight are also held for
// stretches), then some the game ignores.
const SDLKey Keys[] = {SDLK_DOWN,   SDLK_LEFT, SDLK_RIGHT, SDLK_UP,    SDLK_RETURN,
                       SDLK_ESCAPE, SDLK_w,    SDLK_s,     SDLK_SPACE, SDLK_F1};

using SoakTest = ZorvatTest;

TEST_F(SoakTest, RandomInputPassesThroughEveryStateWithoutFault) {
    const char* length = std::getenv("ZORVAT_SOAK_FRAMES");
    const unsigned frames = length ? std::stoul(length) : ZORVAT_SOAK_FRAMES;
    std::mt19937 random(20240611);
    const auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    ASSERT_EQ(symlink(ZORVAT_SOAK_DATA, "Data"), 0);
    ASSERT_TRUE(CProgram::Start());
    // First the options switch to full HD and back twice, each change drawn and flipped, so
    // that a run of any length makes them.
    for (const SDLKey way : {SDLK_LEFT, SDLK_RIGHT, SDLK_LEFT, SDLK_RIGHT}) {
        PressKeys({SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
        ASSERT_EQ(CProgram::Pass(), -1);
        PressKeys({SDLK_DOWN, way, SDLK_RETURN});
        ASSERT_EQ(CProgram::Pass(), -1);
        ASSERT_EQ(SDL_GetVideoSurface()->w, way == SDLK_LEFT ? 1920 : 1280);
    }

    current* manager = current::GetInstance();
    unsigned visits[StateExit] = {}, modeChanges = 0, matchEnds = 0;
    int previous = StateNone, width = 1280, stay = 0; // frames in the state so far
    bool wasOver = false;
    for (unsigned frame = 0; frame < frames; ++frame) {
        Uint8& held = SDL_GetKeyState(nullptr)[Keys[below(8)]];
        held ^= below(6) == 0; // now and then a key of the menus or a match is held or let go
        // The main menu enters every entry but the exit in turn (the options twice), most keys
        // in the options take them to the other display mode and RETURN, a match gets keys
        // seldom enough that points are played out, and a state that lasts long is left.
        CGame* game = dynamic_cast<CGame*>(manager->state);
        if (game && !game->matchOver && (stay == 0 || wasOver)) {
            game->leftScore = game->rightScore = 9; // every match starts at match point
        }
        matchEnds += game && game->matchOver && !wasOver;
        wasOver = game && game->matchOver;
        if (below(game && !game->matchOver ? 20 : 2) == 0 || stay > 200) {
            SDLKey key = stay > 200 ? SDLK_ESCAPE : Keys[below(std::size(Keys))];
            if (auto* menu = dynamic_cast<CMainMenu*>(manager->state)) {
                const int aim = "23143"[visits[StateMainMenu] % 5] - '0';
                key = menu->selection == aim ? SDLK_RETURN : below(4) ? SDLK_DOWN : Keys[below(4)];
            } else if (auto* options = dynamic_cast<COptions*>(manager->state)) {
                const SDLKey toward[] = {SDLK_DOWN, width == 1920 ? SDLK_RIGHT : SDLK_LEFT,
                                         SDLK_RETURN};
                const bool switching = options->displayMode != (width == 1920 ? 1 : 2);
                key = below(4) ? toward[switching ? 2 : options->row - 1]
                               : Keys[below(8) ? below(4) : 4 + below(2)];
            }
            PressKey(key);
            PressKey(key, false);
        }
        TestClock::Advance(1 + below(48));
        ASSERT_EQ(CProgram::Pass(), -1) << "frame " << frame;

        const int state = manager->stateID;
        SDL_Surface* screen = SDL_GetVideoSurface();
        ASSERT_TRUE(state >= StateMainMenu && state < StateExit && manager->state && screen);
        if (previous == StateOptions && state != StateOptions) { // the screen the file says
            ASSERT_EQ(screen->w, CSettings().fullHd == 1 ? 1920 : 1280) << "frame " << frame;
        }
        modeChanges += screen->w != width;
        width = screen->w;
        visits[state] += state != previous;
        stay = state == previous ? stay + 1 : 0;
        previous = state;
    }
    // Floors well below what the input gives, so that every path is sure to have been taken:
    // even a short run enters every state and switches to full HD and back.
    for (int state = StateMainMenu; state < StateExit; ++state) {
        EXPECT_GE(visits[state], std::max(1u, frames / 1000)) << "visits of state " << state;
    }
    EXPECT_GE(matchEnds, frames / 1000);
    EXPECT_GE(modeChanges, std::max(2u, frames / 1000));
}
