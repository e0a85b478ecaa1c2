#ifndef ZORVAT_MENUS_MAINMENU_H
#define ZORVAT_MENUS_MAINMENU_H

#include "../app/Gamestate.h"

class CImage;

// The main menu: five entries, a highlight moved by UP and DOWN, RETURN enters.
class CMainMenu : public CGamestate {
public:
    // Loads the menu picture and the highlight sheet; entry 1 is highlighted.
    CMainMenu();
    ~CMainMenu() override;

    void HandleEvents() override;
    void Update() override;
    void Render(SDL_Surface* screen) override;

    CImage* menu = nullptr;
    CImage* menuSelect = nullptr;
    int selection = 1;
};

#endif
