#ifndef ZORVAT_MATCH_BALL_H
#define ZORVAT_MATCH_BALL_H

#include <SDL.h>

class CImage;
class CTimer;

// What a step of the ball decided.
enum BallResult { NoPoint = 0, PointForLeft = 1, PointForRight = 2 };

// The ball of a match, in field units: serve, step, bounces, spin and speed-up.
class CBall {
public:
    // Loads the ball picture and serves; the match starts it by setting active.
    CBall();
    ~CBall();

    // Puts the ball in the centre at speed 400 with a new random direction.
    void Serve();

    // Advances the ball by one frame against the paddles' positions and motion frames.
    BallResult Move(float leftY, float rightY, int leftFrame, int rightFrame);

    // After a paddle hit: a positive direction steepens the path, a negative one flattens it.
    void ApplySpin(float direction);

    // Draws the ball at its position.
    void Draw(SDL_Surface* screen);

    float x = 0;
    float y = 0;
    float vx = 0;
    float vy = 0;
    int speed = 400;
    CImage* picture = nullptr;
    CTimer* timer = nullptr;
    float lastSpeedUp = 0;
    bool active = false;

    // The serve's random numbers: std::rand, which the serve seeds from the clocks, unless a
    // test puts its own source in.
    static int (*random)();

private:
    CBall(const CBall&) = delete;
    CBall& operator=(const CBall&) = delete;
};

#endif
