#include "Game.h"

#include "../gfx/Image.h"
#include "Ball.h"
#include "Paddle.h"
#include "Scoreboard.h"

CGame::CGame(std::string) {}
CGame::~CGame() {
    delete leftPaddle;
    delete rightPaddle;
    delete ball;
    delete background;
    delete scoreboard;
}
void CGame::HandleEvents() {}
void CGame::Update() {}
void CGame::Render(SDL_Surface*) {}
