#ifndef ZORVAT_MENUS_CREDITS_H
#define ZORVAT_MENUS_CREDITS_H

#include "../app/Gamestate.h"

class CImage;

// The credits screen: one picture, left with ESCAPE.
class CCredits : public CGamestate {
public:
    // Loads the credits picture of the display mode.
    CCredits();
    ~CCredits() override;

    void HandleEvents() override;
    void Update() override;
    void Render(SDL_Surface* screen) override;

    CImage* credits = nullptr;
};

#endif
