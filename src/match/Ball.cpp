#include "Ball.h"

#include "../gfx/Image.h"
#include "Timer.h"

CBall::CBall() {}
CBall::~CBall() {
    delete picture;
    delete timer;
}
void CBall::Serve() {}
BallResult CBall::Move(float, float, int, int) {
    return NoPoint;
}
void CBall::ApplySpin(float) {}
void CBall::Draw(SDL_Surface*) {}
