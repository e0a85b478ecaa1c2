#ifndef ZORVAT_APP_CLOCK_H
#define ZORVAT_APP_CLOCK_H

#include <SDL.h>

// The game's millisecond clock: SDL_GetTicks unless a test puts its own source in.
class CClock {
public:
    typedef Uint32 (*Source)();

    // Milliseconds since start, from the current source.
    static Uint32 Ticks();

    // Replaces the source of Ticks; a null source restores SDL_GetTicks.
    static void SetSource(Source newSource);

private:
    static Source source;
};

#endif
