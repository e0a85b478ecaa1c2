#ifndef ZORVAT_TESTS_ARTGEN_SURFACEPIXEL_H
#define ZORVAT_TESTS_ARTGEN_SURFACEPIXEL_H

#include <SDL.h>

// The pixel at (x, y) of an 8-bit or 32-bit surface as 0xRRGGBB.
inline Uint32 SurfacePixel(SDL_Surface* surface, int x, int y) {
    const Uint8* at = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch +
                      x * surface->format->BytesPerPixel;
    const Uint32 raw =
        surface->format->BytesPerPixel == 1 ? *at : *reinterpret_cast<const Uint32*>(at);
    Uint8 r, g, b;
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return (r << 16) | (g << 8) | b;
}

#endif
