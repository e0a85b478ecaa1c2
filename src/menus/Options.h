#ifndef ZORVAT_MENUS_OPTIONS_H
#define ZORVAT_MENUS_OPTIONS_H

#include "../app/Gamestate.h"

class CImage;
class CSettings;

// The options screen: computer level and display mode, applied and saved on RETURN.
class COptions : public CGamestate {
public:
    // Loads the pictures and takes both values from the settings file; row 1 is current.
    COptions();
    ~COptions() override;

    void HandleEvents() override;
    void Update() override;
    void Render(SDL_Surface* screen) override;

    CImage* optionsBack = nullptr;
    CImage* selections1 = nullptr;
    CImage* selections2 = nullptr;
    CImage* select1 = nullptr;
    CImage* select2 = nullptr;
    CSettings* settings = nullptr;
    int row = 1;
    int level = 2;
    int displayMode = 2;

private:
    // Re-opens the video mode if the display mode changed, then saves each changed value.
    void Apply();
};

#endif
