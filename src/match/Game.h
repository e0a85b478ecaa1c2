#ifndef ZORVAT_MATCH_GAME_H
#define ZORVAT_MATCH_GAME_H

#include <string>

#include "../app/Gamestate.h"

class CBall;
class CImage;
class CPaddle;
class CScoreboard;

// The match: two paddles, the ball, the score to 10 and the result picture.
class CGame : public CGamestate {
public:
    // "Multi" makes a two-player match, any other mode one player against the computer.
    explicit CGame(std::string mode);
    ~CGame() override;

    void HandleEvents() override;
    void Update() override;
    void Render(SDL_Surface* screen) override;

    CPaddle* leftPaddle = nullptr;
    CPaddle* rightPaddle = nullptr;
    CImage* background = nullptr;
    CBall* ball = nullptr;
    CScoreboard* scoreboard = nullptr;
    int leftScore = 0;
    int rightScore = 0;
    bool matchOver = false;
};

#endif
