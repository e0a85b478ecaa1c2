#include "Clock.h"

CClock::Source CClock::source = nullptr;

Uint32 CClock::Ticks() {
    return source ? source() : SDL_GetTicks();
}

void CClock::SetSource(Source newSource) {
    source = newSource;
}
