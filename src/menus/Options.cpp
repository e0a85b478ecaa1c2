#include "Options.h"

#include <cstring>

#include "../app/Current.h"
#include "../app/Program.h"
#include "../gfx/Image.h"
#include "../settings/Settings.h"

namespace {

// Loads a foreground picture (or sheet, when frameCount is not 0), keys out magenta and
// places it at the constants of its display mode.
CImage* LoadForeground(const char* fullHdPath, const char* scaledPath, int frameCount,
                       int frameWidth, int frameHeight, Sint16 fullHdX, Sint16 fullHdY,
                       Sint16 scaledX, Sint16 scaledY) {
    CImage* image = new CImage();
    if (frameCount != 0) {
        image->LoadSheet(fullHdPath, scaledPath, frameCount, frameWidth, frameHeight);
    } else {
        image->Load(fullHdPath, scaledPath);
    }
    image->SetMagentaKey();
    if (image->fullHd != 0) {
        image->rect.x = fullHdX;
        image->rect.y = fullHdY;
    } else {
        image->rect.x = scaledX;
        image->rect.y = scaledY;
    }
    return image;
}

// Forgets every key SDL believes held: events queued while the video mode was re-opened are
// lost, and a key released then would stay down and swallow its next press.
void ForgetHeldKeys() {
    int count = 0;
    Uint8* keys = SDL_GetKeyState(&count);
    if (keys && count > 0) {
        std::memset(keys, 0, static_cast<size_t>(count));
    }
    SDL_SetModState(KMOD_NONE);
}

// The display mode of the screen in place (1 full HD, 0 the window), or fallback without one.
int ScreenDisplayMode(int fallback) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen) {
        return fallback;
    }
    return screen->w == 1920 && screen->h == 1080 ? 1 : 0;
}

// The frame of a sheet that shows value (counting from 1), kept within its count frames.
float FrameOf(int value, int count) {
    if (value < 1) {
        return 0.0f;
    }
    if (value > count) {
        return static_cast<float>(count - 1);
    }
    return static_cast<float>(value - 1);
}

} // namespace

COptions::COptions() {
    optionsBack = new CImage();
    optionsBack->Load("Data/Original/Menu/OptionsBack.bmp", "Data/Skaliert/Menu/OptionsBack.bmp");
    selections1 = LoadForeground("Data/Original/Menu/Options_Selections1.bmp",
                                 "Data/Skaliert/Menu/Options_Selections1.bmp", 3, 221, 61, 1080,
                                 450, 720, 300);
    selections2 = LoadForeground("Data/Original/Menu/Options_Selections2.bmp",
                                 "Data/Skaliert/Menu/Options_Selections2.bmp", 2, 100, 45, 1149,
                                 616, 766, 410);
    select1 =
        LoadForeground("Data/Original/Menu/Options_Select1.bmp",
                       "Data/Skaliert/Menu/Options_Select1.bmp", 0, 0, 0, 1049, 455, 699, 303);
    select2 =
        LoadForeground("Data/Original/Menu/Options_Select2.bmp",
                       "Data/Skaliert/Menu/Options_Select2.bmp", 0, 0, 0, 1130, 622, 753, 414);

    row = 1;
    settings = new CSettings();
    settings->Load();
    level = settings->level;
    settings->Load();
    displayMode = settings->fullHd == 1 ? 1 : 2;
}

COptions::~COptions() {
    delete optionsBack;
    optionsBack = nullptr;
    delete selections1;
    selections1 = nullptr;
    delete selections2;
    selections2 = nullptr;
    delete select1;
    select1 = nullptr;
    delete select2;
    select2 = nullptr;
    delete settings;
    settings = nullptr;
}

void COptions::HandleEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            SetNextState(StateExit);
        } else if (event.type == SDL_KEYDOWN) {
            switch (event.key.keysym.sym) {
            case SDLK_UP:
                if (--row == 0) {
                    row = 2;
                }
                break;
            case SDLK_DOWN:
                if (++row == 3) {
                    row = 1;
                }
                break;
            case SDLK_RIGHT:
                // Values stop at their ends; a hand-edited level above 3 comes back to 3, and
                // is never stepped past the range of an int.
                if (row == 1) {
                    level = level >= 3 ? 3 : level + 1;
                } else if (row == 2) {
                    displayMode = displayMode >= 2 ? 2 : displayMode + 1;
                }
                break;
            case SDLK_LEFT:
                if (row == 1) {
                    level = level <= 1 ? 1 : level - 1;
                } else if (row == 2) {
                    displayMode = displayMode <= 1 ? 1 : displayMode - 1;
                }
                break;
            case SDLK_RETURN:
                Apply();
                SetNextState(StateMainMenu);
                break;
            case SDLK_ESCAPE:
                SetNextState(StateMainMenu);
                break;
            default:
                break;
            }
        }
    }
}

void COptions::Apply() {
    Uint8 wanted = displayMode == 1 ? 1 : 0;

    // The screen changes first, so that nothing is saved for a mode the display refused.
    bool modeOpened = true;
    settings->Load();
    if (settings->fullHd != wanted) {
        int previous = ScreenDisplayMode(settings->fullHd);
        if (!CProgram::OpenVideoMode(wanted)) {
            modeOpened = false;
            CProgram::OpenVideoMode(previous);
        }
        ForgetHeldKeys();
    }

    // Each comparison is made against the file as it is now: one save per changed value.
    settings->Load();
    if (settings->level != level) {
        settings->level = level;
        settings->Save();
    }
    settings->Load();
    if (modeOpened && settings->fullHd != wanted) {
        settings->fullHd = wanted;
        settings->Save();
    }
}

void COptions::Update() {}

void COptions::Render(SDL_Surface* screen) {
    optionsBack->Draw(screen);
    // A hand-edited level outside the sheet shows its nearest value.
    selections1->DrawFrame(screen, FrameOf(level, 3));
    selections2->DrawFrame(screen, FrameOf(displayMode, 2));
    if (row == 1) {
        select1->Draw(screen);
    } else {
        select2->Draw(screen);
    }
}
