#include "Paddle.h"

#include "../gfx/Image.h"
#include "ComputerPlayer.h"
#include "Timer.h"

CPaddle::CPaddle(int, std::string) {}
CPaddle::~CPaddle() {
    delete picture;
    delete timer;
    delete computer;
}
void CPaddle::Move(const CBall&) {}
void CPaddle::Draw(SDL_Surface*) {}
