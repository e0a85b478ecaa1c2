#ifndef ZORVAT_MATCH_SCOREBOARD_H
#define ZORVAT_MATCH_SCOREBOARD_H

#include <SDL.h>
#include <SDL_ttf.h>

class CImage;

// The two score texts of a match and, at its end, the result picture.
class CScoreboard {
public:
    // Opens the score font in the size of the display mode.
    CScoreboard();
    ~CScoreboard();

    // Draws both scores and, when one of them is 10, the result picture over everything.
    void Draw(SDL_Surface* screen, int leftScore, int rightScore);

    TTF_Font* font = nullptr;
    SDL_Color color = {13, 16, 121, 0};
    SDL_Surface* leftText = nullptr;
    SDL_Surface* rightText = nullptr;
    SDL_Rect leftPosition = {0, 0, 0, 0};
    SDL_Rect rightPosition = {0, 0, 0, 0};
    CImage* result = nullptr;
    Uint8 fullHd = 0;
    bool ttfStarted = false; // this scoreboard holds a reference on the font engine

private:
    // Loads a result picture from Data/<tree>/Game/ and draws it over everything.
    void ShowResult(SDL_Surface* screen, const char* name);

    CScoreboard(const CScoreboard&) = delete;
    CScoreboard& operator=(const CScoreboard&) = delete;
};

#endif
