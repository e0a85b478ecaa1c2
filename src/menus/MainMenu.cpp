#include "MainMenu.h"

#include "../app/Current.h"
#include "../gfx/Image.h"

CMainMenu::CMainMenu() {
    menu = new CImage();
    menu->Load("Data/Original/Menu/Menu.bmp", "Data/Skaliert/Menu/Menu.bmp");
    menuSelect = new CImage();
    menuSelect->LoadSheet("Data/Original/Menu/Menu_Select.bmp",
                          "Data/Skaliert/Menu/Menu_Select.bmp", 5, 520, 500);
    menuSelect->SetMagentaKey();
    // Every frame of the highlight covers the whole block of entries, centred in full HD.
    if (menuSelect->fullHd != 0) {
        menuSelect->rect.x = 700;
        menuSelect->rect.y = 300;
    } else {
        menuSelect->rect.x = 466;
        menuSelect->rect.y = 200;
    }
    selection = 1;
}

CMainMenu::~CMainMenu() {
    delete menu;
    menu = nullptr;
    delete menuSelect;
    menuSelect = nullptr;
}

void CMainMenu::HandleEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            SetNextState(StateExit);
        } else if (event.type == SDL_KEYDOWN) {
            switch (event.key.keysym.sym) {
            case SDLK_RETURN:
                switch (selection) {
                case 1:
                    SetNextState(StateSinglePlayer);
                    break;
                case 2:
                    SetNextState(StateMultiPlayer);
                    break;
                case 3:
                    SetNextState(StateOptions);
                    break;
                case 4:
                    SetNextState(StateCredits);
                    break;
                case 5:
                    SetNextState(StateExit);
                    break;
                default:
                    break;
                }
                break;
            case SDLK_UP:
                if (--selection == 0) {
                    selection = 5;
                }
                break;
            case SDLK_DOWN:
                if (++selection == 6) {
                    selection = 1;
                }
                break;
            default:
                break;
            }
        }
    }
}

void CMainMenu::Update() {}

void CMainMenu::Render(SDL_Surface* screen) {
    menu->Draw(screen);
    menuSelect->DrawFrame(screen, static_cast<float>(selection - 1));
}
