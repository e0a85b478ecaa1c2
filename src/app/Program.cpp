#include "Program.h"

#include <cstring>

#include "../menus/MainMenu.h"
#include "../settings/Settings.h"
#include "Current.h"

int (*CProgram::flip)(SDL_Surface* screen) = SDL_Flip;
SDL_Surface* (*CProgram::setVideoMode)(int width, int height, int bpp,
                                       Uint32 flags) = SDL_SetVideoMode;

namespace {

// True when SDL fell back on a driver that shows no window: a text terminal, or the
// off-screen buffer that SDL 2 takes under the SDL 1.2 compatibility layer. Either way there
// is no display to play on.
bool NoDisplayDriver() {
    char name[32] = "";
    if (!SDL_VideoDriverName(name, sizeof(name))) {
        return true;
    }
    return std::strcmp(name, "caca") == 0 || std::strcmp(name, "aalib") == 0 ||
           std::strcmp(name, "offscreen") == 0;
}

// Records the window as the display mode in force, the level untouched, so that every picture,
// the scoreboard and the options show the window's art and values, not full HD's.
void KeepWindowMode() {
    CSettings* settings = new CSettings();
    settings->Load();
    settings->fullHd = 0;
    settings->Save();
    delete settings;
}

} // namespace

SDL_Surface* CProgram::OpenVideoMode(int fullHd) {
    if (fullHd == 1) {
        return setVideoMode(1920, 1080, 32, SDL_FULLSCREEN | SDL_DOUBLEBUF | SDL_HWSURFACE);
    }
    return setVideoMode(1280, 720, 32, SDL_DOUBLEBUF | SDL_HWSURFACE);
}

bool CProgram::Start() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    // Leaving by SDL_Quit gives a terminal that a text-mode driver took over back to the user.
    if (!SDL_getenv("SDL_VIDEODRIVER") && NoDisplayDriver()) {
        SDL_Quit();
        return false;
    }

    CSettings* settings = new CSettings();
    settings->Load();
    int fullHd = settings->fullHd;
    delete settings;

    // A display that cannot give full HD still gets the window.
    SDL_Surface* screen = OpenVideoMode(fullHd);
    if (!screen && fullHd == 1) {
        screen = OpenVideoMode(0);
        if (screen) {
            KeepWindowMode();
        }
    }
    if (!screen) {
        SDL_Quit();
        return false;
    }
    SDL_WM_SetCaption("Zorvat", "Zorvat");

    current::GetInstance()->stateID = StateMainMenu;
    current::GetInstance()->nextState = StateNone;
    current::GetInstance()->state = new CMainMenu();
    return true;
}

int CProgram::Pass() {
    if (current::GetInstance()->stateID == StateExit) {
        return 0;
    }
    if (current::GetInstance()->state) {
        current::GetInstance()->state->HandleEvents();
    }
    if (current::GetInstance()->state) {
        current::GetInstance()->state->Update();
    }
    ChangeState();

    // The options screen may have re-opened the video mode: always draw on the surface in force.
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen) {
        return 1;
    }
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
    if (current::GetInstance()->state) {
        current::GetInstance()->state->Render(screen);
    }
    if (flip(screen) == -1) {
        return 1;
    }
    return -1;
}

int CProgram::Run() {
    int status = -1;
    while (status < 0) {
        status = Pass();
    }
    return status;
}

int CProgram::Main() {
    if (!Start()) {
        return 1;
    }
    int status = Run();
    // Full HD switched the display to 1920x1080; only SDL_Quit gives the desktop its own
    // resolution back.
    SDL_Quit();
    return status;
}
