#include "Credits.h"

#include "../gfx/Image.h"

CCredits::CCredits() {}
CCredits::~CCredits() {
    delete credits;
}
void CCredits::HandleEvents() {}
void CCredits::Update() {}
void CCredits::Render(SDL_Surface*) {}
