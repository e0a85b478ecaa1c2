#include "Game.h"

#include "../app/Current.h"
#include "../gfx/Image.h"
#include "Ball.h"
#include "Paddle.h"
#include "Scoreboard.h"
#include "Timer.h"

namespace {
const int WinningScore = 10;
} // namespace

CGame::CGame(std::string mode) {
    ball = new CBall();
    ball->active = true;
    ball->timer->Tick();

    // The paddles get a literal mode name, whatever the caller spelled.
    const char* paddleMode = mode == "Multi" ? "Multi" : "Single";
    leftPaddle = new CPaddle(1, paddleMode);
    rightPaddle = new CPaddle(2, paddleMode);

    background = new CImage();
    background->Load("Data/Original/Game/Background.bmp", "Data/Skaliert/Game/Background.bmp");
    background->SetPosition(0, 0);

    scoreboard = new CScoreboard();
    leftScore = 0;
    rightScore = 0;
    matchOver = false;
}

CGame::~CGame() {
    delete leftPaddle;
    delete rightPaddle;
    delete ball;
    delete background;
    delete scoreboard;
}

void CGame::HandleEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN) {
            if (event.key.keysym.sym == SDLK_ESCAPE) {
                SetNextState(StateMainMenu);
            } else if (event.key.keysym.sym == SDLK_RETURN && matchOver) {
                // The next match goes on with the same ball and paddles, without a serve.
                leftScore = 0;
                rightScore = 0;
                matchOver = false;
                ball->active = true;
                ball->timer->Tick();
            }
        } else if (event.type == SDL_QUIT) {
            SetNextState(StateExit);
        }
    }
}

void CGame::Update() {
    leftPaddle->Move(*ball);
    rightPaddle->Move(*ball);

    BallResult r = ball->Move(leftPaddle->y, rightPaddle->y, leftPaddle->frame, rightPaddle->frame);
    if (r == PointForLeft) {
        ++leftScore;
    } else if (r == PointForRight) {
        ++rightScore;
    }

    // The ball's speed floor rises as the match goes on.
    int total = leftScore + rightScore;
    if (total >= 3 && ball->speed < 450) {
        ball->speed = 450;
    }
    if (total >= 6 && ball->speed < 500) {
        ball->speed = 500;
    }
    if (total >= 9 && ball->speed < 550) {
        ball->speed = 550;
    }

    if (leftScore == WinningScore || rightScore == WinningScore) {
        ball->active = false;
        matchOver = true;
    }
}

void CGame::Render(SDL_Surface* screen) {
    background->Draw(screen);
    leftPaddle->Draw(screen);
    rightPaddle->Draw(screen);
    ball->Draw(screen);
    scoreboard->Draw(screen, leftScore, rightScore);
}
