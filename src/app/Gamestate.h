#ifndef ZORVAT_APP_GAMESTATE_H
#define ZORVAT_APP_GAMESTATE_H

#include <SDL.h>

// One screen of the game: it handles its events, updates itself and draws itself once a frame.
class CGamestate {
public:
    // Takes every pending SDL event and acts on it.
    virtual void HandleEvents() = 0;
    // Advances the state by one frame.
    virtual void Update() = 0;
    // Draws the state onto the screen surface.
    virtual void Render(SDL_Surface* screen) = 0;
    virtual ~CGamestate() {}
};

#endif
