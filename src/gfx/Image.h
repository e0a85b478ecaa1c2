#ifndef ZORVAT_GFX_IMAGE_H
#define ZORVAT_GFX_IMAGE_H

#include <SDL.h>
#include <string>

// From field units to pixels of the scaled 1280x720 mode.
const double ScaleFactor = 0.667;

// One bitmap from the art tree of the display mode, drawn whole or a sprite-sheet frame at a time.
class CImage {
public:
    // Learns the display mode from the settings file; holds no bitmap yet.
    CImage();
    ~CImage();

    // Loads the bitmap of the image's display mode and places the image at (0, 0).
    void Load(const std::string& fullHdPath, const std::string& scaledPath);

    // Loads a sprite sheet whose frames are given in field units and sets up its frame grid.
    void LoadSheet(const std::string& fullHdPath, const std::string& scaledPath, int frameCount,
                   int frameWidth, int frameHeight);

    // Places the image at a position in field units.
    void SetPosition(float x, float y);

    // Draws the whole bitmap at rect; nothing when no bitmap is loaded.
    void Draw(SDL_Surface* screen);

    // Draws one frame of the sheet at rect; nothing when no bitmap or grid is there.
    void DrawFrame(SDL_Surface* screen, float frame);

    // Makes magenta (255, 0, 255) transparent; nothing when no bitmap is loaded.
    void SetMagentaKey();

    SDL_Surface* surface = nullptr;
    SDL_Rect rect = {0, 0, 0, 0};
    SDL_Rect clip = {0, 0, 0, 0};
    int frameCount = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    int columns = 0;
    Uint8 fullHd = 0;

private:
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;
};

#endif
