#include "ComputerPlayer.h"

#include <cmath>

#include "Ball.h"

namespace {
// x of the ball's left edge where the right paddle's hit band begins.
const float HitBand = 1825;
const float LowerWall = 1065;
} // namespace

float CComputerPlayer::Decide(const CBall& ball) {
    ballX = ball.x;
    ballY = ball.y;
    ballVx = ball.vx;
    ballVy = ball.vy;
    // The higher the level, the earlier on its way the computer reads the ball.
    if (level <= 1) {
        return -1;
    }
    if (level == 2 && ballX < 1300) {
        return -1;
    }
    if (level >= 3 && ballX < 1000) {
        return -1;
    }
    if (ballVx < 0) {
        return -1;
    }
    return PredictY(ballX, ballY, ballVx, ballVy);
}

float CComputerPlayer::PredictY(float x, float y, float vx, float vy) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(vx) || !std::isfinite(vy)) {
        return -1;
    }
    if (x >= HitBand) {
        return y;
    }
    // A ball that does not come towards the paddle never reaches it.
    if (!(vx > 0)) {
        return -1;
    }
    // Follows the ball in steps of 1/60 s, turning it whenever it stands outside the field.
    while (x < HitBand) {
        float next = x + vx / 60;
        if (next == x) {
            // Too slow for a step to move it at all in single precision.
            return -1;
        }
        x = next;
        y += vy / 60;
        if (y <= 0 || y >= LowerWall) {
            vy = -vy;
        }
    }
    return y;
}
