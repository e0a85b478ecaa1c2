// A scripted headless session for the leak check: from the main menu into the options (a value
// changed and saved, every few rounds the display mode too), the credits, a one-player match
// and a two-player match, each played to its end and back to the menu, many times; then the
// window closes. Exits with the game's status, or 2 when the session went off its script.
//   zorvat-leak-session [rounds]     (run under valgrind by the test leak_session)
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "app/Current.h"
#include "app/Program.h"
#include "match/Game.h"

namespace {

std::string workDir;

void RemoveWorkDir() {
    unlink((workDir + "/Settings.zorvat").c_str());
    unlink((workDir + "/Data").c_str());
    rmdir(workDir.c_str());
}

bool Frames(int count) {
    for (int i = 0; i < count; ++i) {
        if (CProgram::Pass() != -1) {
            return false;
        }
    }
    return true;
}

// Presses and releases a key, then runs the pass that handles it.
bool Key(SDLKey key) {
    SDL_Event event;
    std::memset(&event, 0, sizeof(event));
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
    event.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    SDL_PushEvent(&event);
    return Frames(1);
}

bool In(StateId id) {
    return current::GetInstance()->stateID == id;
}

void Hold(SDLKey key, bool held) {
    SDL_GetKeyState(nullptr)[key] = held ? 1 : 0;
}

// Plays a match with two held keys for a while, brings one side to 10 points, shows the
// result, plays again and leaves with ESCAPE.
bool PlayMatch(SDLKey first, SDLKey second, bool leftWins) {
    Hold(first, true);
    Hold(second, true);
    bool played = Frames(10);
    Hold(first, false);
    Hold(second, false);
    CGame* game = dynamic_cast<CGame*>(current::GetInstance()->state);
    if (!played || !game) {
        return false;
    }
    (leftWins ? game->leftScore : game->rightScore) = 10;
    if (!Frames(3) || !game->matchOver) {
        return false;
    }
    if (!Key(SDLK_RETURN) || game->matchOver || !Frames(3)) {
        return false;
    }
    return Key(SDLK_ESCAPE) && In(StateMainMenu);
}

// One round through every screen, from the main menu with its first entry highlighted back to
// it; `displayKey` (LEFT: full HD, RIGHT: the window) changes the display mode when not 0.
bool Round(SDLKey levelKey, SDLKey displayKey) {
    if (!Key(SDLK_DOWN) || !Key(SDLK_DOWN) || !Key(SDLK_RETURN) || !In(StateOptions)) {
        return false;
    }
    if (!Key(levelKey)) {
        return false;
    }
    if (displayKey != SDLK_UNKNOWN && (!Key(SDLK_DOWN) || !Key(displayKey))) {
        return false;
    }
    if (!Key(SDLK_RETURN) || !In(StateMainMenu) || !Frames(2)) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if (!Key(SDLK_DOWN)) {
            return false;
        }
    }
    if (!Key(SDLK_RETURN) || !In(StateCredits) || !Frames(3) || !Key(SDLK_ESCAPE) ||
        !In(StateMainMenu)) {
        return false;
    }
    if (!Key(SDLK_RETURN) || !In(StateSinglePlayer) || !PlayMatch(SDLK_UP, SDLK_UNKNOWN, true)) {
        return false;
    }
    return Key(SDLK_DOWN) && Key(SDLK_RETURN) && In(StateMultiPlayer) &&
           PlayMatch(SDLK_w, SDLK_DOWN, false);
}

} // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    int rounds = argc > 1 ? std::atoi(argv[1]) : 6;

    char pattern[] = "/tmp/zorvat-leaks-XXXXXX";
    if (!mkdtemp(pattern)) {
        return 2;
    }
    workDir = pattern;
    std::atexit(RemoveWorkDir);
    if (symlink(ZORVAT_SOAK_DATA, (workDir + "/Data").c_str()) != 0 ||
        chdir(workDir.c_str()) != 0) {
        std::fprintf(stderr, "zorvat-leak-session: cannot prepare %s\n", workDir.c_str());
        return 2;
    }
    if (!CProgram::Start()) {
        std::fprintf(stderr, "zorvat-leak-session: the game did not start\n");
        return 2;
    }
    for (int round = 0; round < rounds; ++round) {
        // The level goes up and down; the display mode goes to full HD and back once.
        SDLKey levelKey = round % 2 == 0 ? SDLK_RIGHT : SDLK_LEFT;
        SDLKey displayKey = round == 1 ? SDLK_LEFT : round == 2 ? SDLK_RIGHT : SDLK_UNKNOWN;
        if (!Round(levelKey, displayKey)) {
            std::fprintf(stderr, "zorvat-leak-session: round %d went off its script in state %d\n",
                         round, current::GetInstance()->stateID);
            return 2;
        }
    }

    SDL_Event quit;
    std::memset(&quit, 0, sizeof(quit));
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    return CProgram::Run();
}
