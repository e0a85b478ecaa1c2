#ifndef ZORVAT_ARTGEN_CANVAS_H
#define ZORVAT_ARTGEN_CANVAS_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Colours are 0xRRGGBB.
using Colour = std::uint32_t;

// The colour that the game keys out of every foreground picture.
const Colour Magenta = 0xFF00FF;

// Mixes a towards b by t (0 gives a, 1 gives b).
Colour Mix(Colour a, Colour b, double t);

enum class Align { Left, Centre, Right };

// A picture in memory that recipes draw on in field units (the coordinates of the 1920x1080
// field); the canvas scales them to its own pixels.
class CCanvas {
public:
    // A width x height pixel canvas filled with colour, drawing field units at scale.
    CCanvas(int width, int height, double scale, Colour colour);

    int Width() const { return width; }
    int Height() const { return height; }
    double Scale() const { return scale; }
    Colour At(int x, int y) const { return pixels[y * width + x]; }
    const std::vector<Colour>& Pixels() const { return pixels; }

    // Fills the rectangle with top-left (x, y) and size w x h, edges cut to whole pixels.
    void FillRect(double x, double y, double w, double h, Colour colour);

    // Fills the rectangle with a vertical gradient from top to bottom, edges cut like FillRect.
    void GradientRect(double x, double y, double w, double h, Colour top, Colour bottom);

    // Fills a rectangle with corners rounded by radius, its edges smoothed into what lies below.
    void RoundRect(double x, double y, double w, double h, double radius, Colour colour);

    // Fills a disc around (cx, cy), its edge smoothed.
    void Disc(double cx, double cy, double radius, Colour colour);

    // Fills the triangle through three points, its edges smoothed.
    void Triangle(double x1, double y1, double x2, double y2, double x3, double y3, Colour colour);

    // Darkens the canvas around the rounded rectangle as a soft shadow of the given reach.
    void Shadow(double x, double y, double w, double h, double radius, double reach,
                double strength);

    // Draws UTF-8 text in DejaVu Sans (Bold) at points (field units of type size) so that its
    // capital letters are centred on y; x is its left edge, centre or right edge as align says.
    void Text(const std::string& text, double x, double y, double points, bool bold, Colour colour,
              Align align);

    // Width of text in field units as Text would draw it.
    double TextWidth(const std::string& text, double points, bool bold) const;

    // The part of the canvas with top-left pixel (x, y) and size w x h.
    CCanvas Crop(int x, int y, int w, int h) const;

    // Copies all of picture onto the canvas with its top-left corner at pixel (x, y).
    void Paste(const CCanvas& picture, int x, int y);

    // Turns every pixel that still equals the same pixel of under into magenta.
    void KeyOut(const CCanvas& under);

    // Whether the DejaVu Sans faces that Text draws with can be opened.
    static bool HasFonts();

    // Lowers the number of colours other than magenta to at most count by merging close ones.
    void LimitColours(std::size_t count);

private:
    // Pixel units of field units, cut toward zero.
    int Pixel(double units) const { return static_cast<int>(units * scale); }

    // Blends colour into pixel (x, y) by coverage (0 to 1); outside pixels are ignored.
    void Blend(int x, int y, Colour colour, double coverage);

    // Fills the shape whose inside test takes pixel coordinates, within the pixel box
    // [x0, x1) x [y0, y1), sampling each pixel 4 x 4 times for smooth edges.
    void FillShape(double x0, double y0, double x1, double y1,
                   const std::function<bool(double, double)>& inside, Colour colour);

    int width;
    int height;
    double scale;
    std::vector<Colour> pixels;
};

#endif
