#ifndef ZORVAT_ARTGEN_ARTWORK_H
#define ZORVAT_ARTGEN_ARTWORK_H

#include "Canvas.h"

#include <functional>
#include <string>

// The game's pictures, drawn for one display mode: scale 1 gives the full-HD art, 0.667 the
// art of the scaled mode, each at its own size.
class CArtwork {
public:
    explicit CArtwork(double scale);

    // Draws every picture of one art tree and writes it below folder (Game/ and Menu/); false
    // when a file cannot be written.
    bool WriteTree(const std::string& folder) const;

private:
    CCanvas Ball() const;
    CCanvas Paddle(int player) const;
    CCanvas Background() const;
    CCanvas Result(const std::string& title, Colour accent) const;
    CCanvas Menu() const;
    CCanvas MenuSelect() const;
    CCanvas OptionsBack() const;
    CCanvas Levels() const;
    CCanvas DisplayModes() const;
    CCanvas Marker(int row) const;
    CCanvas Credits() const;

    // An empty screen of the menus: the night gradient with its decoration.
    CCanvas Backdrop() const;

    // The large centred title of a menu screen with its accent bar below.
    void Title(CCanvas& canvas, const std::string& text, double points) const;

    // A foreground picture placed at (x, y) over under, w x h pixels: draw paints on a copy of
    // under, and what it leaves unchanged becomes magenta.
    CCanvas Overlay(const CCanvas& under, double x, double y, int w, int h,
                    const std::function<void(CCanvas&)>& draw) const;

    // Pixels of a length in field units, cut toward zero as the game cuts frame sizes.
    int Pixels(double units) const { return static_cast<int>(units * scale); }

    double scale;
};

#endif
