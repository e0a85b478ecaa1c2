#ifndef ZORVAT_MATCH_PADDLE_H
#define ZORVAT_MATCH_PADDLE_H

#include <SDL.h>
#include <string>

class CBall;
class CComputerPlayer;
class CImage;
class CTimer;

// One paddle of a match, moved by its keys or, on the right in "Single", by the computer.
class CPaddle {
public:
    // player 1 is the left paddle, 2 the right; mode is the match's mode name.
    CPaddle(int player, std::string mode);
    ~CPaddle();

    // Moves the paddle by one frame; the ball is read only by the computer player.
    void Move(const CBall& ball);

    // Draws the paddle's motion frame at its position.
    void Draw(SDL_Surface* screen);

    float x = 0;
    float y = 500;
    int frame = 1;
    int player = 1;
    CImage* picture = nullptr;
    CTimer* timer = nullptr;
    bool singlePlayer = false;
    CComputerPlayer* computer = nullptr;

private:
    CPaddle(const CPaddle&) = delete;
    CPaddle& operator=(const CPaddle&) = delete;
};

#endif
