#include "Credits.h"

#include "../app/Current.h"
#include "../gfx/Image.h"

CCredits::CCredits() {
    credits = new CImage();
    credits->Load("Data/Original/Menu/Credits.bmp", "Data/Skaliert/Menu/Credits.bmp");
}

CCredits::~CCredits() {
    delete credits;
    credits = nullptr;
}

void CCredits::HandleEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            SetNextState(StateExit);
        } else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
            SetNextState(StateMainMenu);
        }
    }
}

void CCredits::Update() {}

void CCredits::Render(SDL_Surface* screen) {
    credits->Draw(screen);
}
