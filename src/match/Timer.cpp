#include "Timer.h"

#include "../app/Clock.h"

CTimer::CTimer() : now(static_cast<float>(CClock::Ticks())), previous(0) {}

void CTimer::Tick() {
    previous = now;
    now = static_cast<float>(CClock::Ticks());
}
