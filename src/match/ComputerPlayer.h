#ifndef ZORVAT_MATCH_COMPUTERPLAYER_H
#define ZORVAT_MATCH_COMPUTERPLAYER_H

class CBall;

// The computer's judgement for the right paddle of a one-player match.
class CComputerPlayer {
public:
    // Returns the y the paddle should aim at, or -1 when it makes no prediction.
    float Decide(const CBall& ball);

    // Returns the y at which a ball reaches x = 1825, or -1 when it never will.
    float PredictY(float x, float y, float vx, float vy);

    int level = 2;
    float ballX = 0;
    float ballY = 0;
    float ballVx = 0;
    float ballVy = 0;
};

#endif
