#include "Scoreboard.h"

#include <cstdio>
#include <filesystem>

#include "../app/Current.h"
#include "../gfx/Image.h"
#include "../settings/Settings.h"

namespace {
const char* const FontPath = "Data/DejaVuSansMono.ttf";

// Renders a score into *text, releasing what it held; the text is null when no font is open
// or rendering fails.
void RenderScore(TTF_Font* font, SDL_Color color, int score, SDL_Surface** text) {
    if (*text) {
        SDL_FreeSurface(*text);
        *text = nullptr;
    }
    if (!font) {
        return;
    }
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%d", score);
    *text = TTF_RenderText_Blended(font, digits, color);
}

void Blit(SDL_Surface* text, SDL_Surface* screen, SDL_Rect position) {
    if (text && screen) {
        SDL_UpperBlit(text, nullptr, screen, &position);
    }
}
} // namespace

CScoreboard::CScoreboard() {
    CSettings settings;
    settings.Load();
    fullHd = settings.fullHd;

    // Every scoreboard holds one reference on the font engine and gives it back when it goes.
    ttfStarted = TTF_Init() == 0;
    if (fullHd != 0) {
        font = TTF_OpenFont(FontPath, 60);
        leftPosition.x = 450;
        leftPosition.y = 20;
        rightPosition.x = 1412;
        rightPosition.y = 20;
    } else {
        font = TTF_OpenFont(FontPath, 40);
        leftPosition.x = 300;
        leftPosition.y = 13;
        rightPosition.x = 941;
        rightPosition.y = 13;
    }
    // Without its font a match shows no score; the player is told once, on standard error,
    // which file it is: in full and with the links followed, since the installed game runs in
    // the player's folder, whose Data is a link to the installed data and its font a link too.
    static bool fontReported = false;
    if (!font && !fontReported) {
        fontReported = true;
        std::error_code error;
        const std::filesystem::path file = std::filesystem::weakly_canonical(
            std::filesystem::current_path(error) / FontPath, error);
        std::fprintf(stderr, "zorvat: cannot open the score font %s (%s); no score is shown\n",
                     error ? FontPath : file.c_str(), TTF_GetError());
    }
    color.r = 13;
    color.g = 16;
    color.b = 121;

    result = new CImage();
    result->SetPosition(0, 0);
}

CScoreboard::~CScoreboard() {
    if (leftText) {
        SDL_FreeSurface(leftText);
    }
    if (rightText) {
        SDL_FreeSurface(rightText);
    }
    delete result;
    // The font belongs to the engine, so it goes first.
    if (font) {
        TTF_CloseFont(font);
    }
    if (ttfStarted) {
        TTF_Quit();
    }
}

void CScoreboard::Draw(SDL_Surface* screen, int leftScore, int rightScore) {
    RenderScore(font, color, leftScore, &leftText);
    RenderScore(font, color, rightScore, &rightText);
    Blit(leftText, screen, leftPosition);
    Blit(rightText, screen, rightPosition);

    // The picture is read from its file in every frame that shows it.
    int stateID = current::GetInstance()->stateID;
    if (leftScore == 10) {
        if (stateID == StateMultiPlayer) {
            ShowResult(screen, "Won1.bmp");
        }
        if (stateID == StateSinglePlayer) {
            ShowResult(screen, "Won.bmp");
        }
    }
    if (rightScore == 10) {
        if (stateID == StateMultiPlayer) {
            ShowResult(screen, "Won2.bmp");
        }
        if (stateID == StateSinglePlayer) {
            ShowResult(screen, "Lost.bmp");
        }
    }
}

void CScoreboard::ShowResult(SDL_Surface* screen, const char* name) {
    result->Load(std::string("Data/Original/Game/") + name,
                 std::string("Data/Skaliert/Game/") + name);
    result->SetMagentaKey();
    result->Draw(screen);
}
