// Draws the game's artwork: both art trees below the given Data folder.
#include "Artwork.h"

#include <SDL_ttf.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DATA_FOLDER\n", argv[0]);
        return 2;
    }
    if (TTF_Init() != 0 || !CCanvas::HasFonts()) {
        std::fprintf(stderr, "zorvat-artgen: cannot open the DejaVu Sans fonts: %s\n",
                     TTF_GetError());
        return 1;
    }
    const std::string data = argv[1];
    const bool ok = CArtwork(1.0).WriteTree(data + "/Original") &&
                    CArtwork(0.667).WriteTree(data + "/Skaliert");
    TTF_Quit();
    if (!ok) {
        std::fprintf(stderr, "zorvat-artgen: cannot write the pictures below %s\n", argv[1]);
        return 1;
    }
    return 0;
}
