#include "Scoreboard.h"

#include "../gfx/Image.h"

CScoreboard::CScoreboard() {}
CScoreboard::~CScoreboard() {
    delete result;
}
void CScoreboard::Draw(SDL_Surface*, int, int) {}
