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

// Shuts video down and brings it up again, with the events queued so far queued again.
void RestartVideo() {
    SDL_Event queued[128]; // as many as SDL 1.2's queue holds
    const int count = SDL_PeepEvents(queued, 128, SDL_GETEVENT, SDL_ALLEVENTS);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    for (int i = 0; i < count; ++i) {
        SDL_PushEvent(&queued[i]);
    }
}

} // namespace

SDL_Surface* CProgram::OpenVideoMode(int fullHd) {
    // A screen already open is let go with the whole of video first, so that every mode opens
    // as the first one does: SDL 1.2's layer over SDL 3 keeps showing a screen through the
    // buffer of the first mode it opened, and writes past its end when the new mode is larger.
    if (SDL_GetVideoSurface()) {
        RestartVideo();
    }
    SDL_Surface* screen =
        fullHd == 1 ? setVideoMode(1920, 1080, 32, SDL_FULLSCREEN | SDL_DOUBLEBUF | SDL_HWSURFACE)
                    : setVideoMode(1280, 720, 32, SDL_DOUBLEBUF | SDL_HWSURFACE);
    // A window opened afresh is named again.
    if (screen) {
        SDL_WM_SetCaption("Zorvat", "Zorvat");
    }
    return screen;
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
