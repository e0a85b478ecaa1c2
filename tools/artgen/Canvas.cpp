#include "Canvas.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace {

int Channel(Colour colour, int shift) {
    return (colour >> shift) & 0xFF;
}

Colour Rgb(int r, int g, int b) {
    return (r << 16) | (g << 8) | b;
}

// Distance of (px, py) from the edge of a rounded box, negative inside.
double BoxDistance(double px, double py, double x, double y, double w, double h, double radius) {
    const double qx = std::fabs(px - (x + w / 2)) - (w / 2 - radius);
    const double qy = std::fabs(py - (y + h / 2)) - (h / 2 - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// Opens a DejaVu Sans face at size points, or null.
TTF_Font* OpenFont(double points, bool bold) {
    const std::string file = bold ? "/DejaVuSans-Bold.ttf" : "/DejaVuSans.ttf";
    return TTF_OpenFont((std::string(ARTGEN_FONT_DIR) + file).c_str(),
                        static_cast<int>(std::lround(points)));
}

} // namespace

Colour Mix(Colour a, Colour b, double t) {
    int mixed[3];
    for (int i = 0; i < 3; ++i) {
        const int shift = 16 - 8 * i;
        mixed[i] = static_cast<int>(
            std::lround(Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * t));
    }
    return Rgb(mixed[0], mixed[1], mixed[2]);
}

CCanvas::CCanvas(int width, int height, double scale, Colour colour)
    : width(width), height(height), scale(scale), pixels(width * height, colour) {}

void CCanvas::FillRect(double x, double y, double w, double h, Colour colour) {
    GradientRect(x, y, w, h, colour, colour);
}

void CCanvas::GradientRect(double x, double y, double w, double h, Colour top, Colour bottom) {
    const int x0 = std::max(Pixel(x), 0);
    const int x1 = std::min(Pixel(x + w), width);
    const int y0 = std::max(Pixel(y), 0);
    const int y1 = std::min(Pixel(y + h), height);
    for (int py = y0; py < y1; ++py) {
        const Colour colour = Mix(top, bottom, y1 - y0 > 1 ? double(py - y0) / (y1 - y0 - 1) : 0);
        std::fill(pixels.begin() + py * width + x0, pixels.begin() + py * width + x1, colour);
    }
}

void CCanvas::RoundRect(double x, double y, double w, double h, double radius, Colour colour) {
    const double s = scale;
    FillShape(
        x * s, y * s, (x + w) * s, (y + h) * s,
        [=](double px, double py) {
            return BoxDistance(px, py, x * s, y * s, w * s, h * s, radius * s) < 0;
        },
        colour);
}

void CCanvas::Disc(double cx, double cy, double radius, Colour colour) {
    const double s = scale;
    FillShape(
        (cx - radius) * s, (cy - radius) * s, (cx + radius) * s, (cy + radius) * s,
        [=](double px, double py) { return std::hypot(px - cx * s, py - cy * s) < radius * s; },
        colour);
}

void CCanvas::Triangle(double x1, double y1, double x2, double y2, double x3, double y3,
                       Colour colour) {
    const double s = scale;
    // Which side of the edge from (ax, ay) to (bx, by) the point lies on.
    auto side = [](double ax, double ay, double bx, double by, double px, double py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    FillShape(
        std::min({x1, x2, x3}) * s, std::min({y1, y2, y3}) * s, std::max({x1, x2, x3}) * s,
        std::max({y1, y2, y3}) * s,
        [=](double px, double py) {
            const double a = side(x1 * s, y1 * s, x2 * s, y2 * s, px, py);
            const double b = side(x2 * s, y2 * s, x3 * s, y3 * s, px, py);
            const double c = side(x3 * s, y3 * s, x1 * s, y1 * s, px, py);
            return (a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0);
        },
        colour);
}

void CCanvas::Shadow(double x, double y, double w, double h, double radius, double reach,
                     double strength) {
    const double s = scale;
    const int x0 = std::max(Pixel(x - reach), 0);
    const int x1 = std::min(Pixel(x + w + reach) + 1, width);
    const int y0 = std::max(Pixel(y - reach), 0);
    const int y1 = std::min(Pixel(y + h + reach) + 1, height);
    for (int py = y0; py < y1; ++py) {
        for (int px = x0; px < x1; ++px) {
            const double d =
                BoxDistance(px + 0.5, py + 0.5, x * s, y * s, w * s, h * s, radius * s) /
                (reach * s);
            const double fade = 1 - std::clamp(d, 0.0, 1.0);
            Blend(px, py, 0x000000, strength * fade * fade);
        }
    }
}

void CCanvas::Text(const std::string& text, double x, double y, double points, bool bold,
                   Colour colour, Align align) {
    TTF_Font* font = OpenFont(points * scale, bold);
    if (font == nullptr) {
        return;
    }
    int minX, maxX, minY, capHeight, advance;
    TTF_GlyphMetrics(font, 'H', &minX, &maxX, &minY, &capHeight, &advance);
    const SDL_Color white = {255, 255, 255, 0};
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(font, text.c_str(), white);
    const int top =
        static_cast<int>(std::lround(y * scale + capHeight / 2.0)) - TTF_FontAscent(font);
    TTF_CloseFont(font);
    if (rendered == nullptr) {
        return;
    }
    int left = static_cast<int>(std::lround(x * scale));
    if (align == Align::Centre) {
        left -= rendered->w / 2;
    } else if (align == Align::Right) {
        left -= rendered->w;
    }
    SDL_LockSurface(rendered);
    const SDL_PixelFormat* format = rendered->format;
    for (int py = 0; py < rendered->h; ++py) {
        const Uint32* row = reinterpret_cast<const Uint32*>(static_cast<Uint8*>(rendered->pixels) +
                                                            py * rendered->pitch);
        for (int px = 0; px < rendered->w; ++px) {
            const Uint32 alpha = (row[px] & format->Amask) >> format->Ashift;
            Blend(left + px, top + py, colour, alpha / 255.0);
        }
    }
    SDL_UnlockSurface(rendered);
    SDL_FreeSurface(rendered);
}

double CCanvas::TextWidth(const std::string& text, double points, bool bold) const {
    TTF_Font* font = OpenFont(points * scale, bold);
    int w = 0;
    int h = 0;
    if (font != nullptr) {
        TTF_SizeUTF8(font, text.c_str(), &w, &h);
        TTF_CloseFont(font);
    }
    return w / scale;
}

bool CCanvas::HasFonts() {
    for (bool bold : {false, true}) {
        TTF_Font* font = OpenFont(12, bold);
        if (font == nullptr) {
            return false;
        }
        TTF_CloseFont(font);
    }
    return true;
}

CCanvas CCanvas::Crop(int x, int y, int w, int h) const {
    CCanvas part(w, h, scale, Magenta);
    for (int py = 0; py < h; ++py) {
        for (int px = 0; px < w; ++px) {
            if (x + px < width && y + py < height) {
                part.pixels[py * w + px] = At(x + px, y + py);
            }
        }
    }
    return part;
}

void CCanvas::Paste(const CCanvas& picture, int x, int y) {
    for (int py = 0; py < picture.height; ++py) {
        for (int px = 0; px < picture.width; ++px) {
            if (x + px < width && y + py < height) {
                pixels[(y + py) * width + x + px] = picture.At(px, py);
            }
        }
    }
}

void CCanvas::KeyOut(const CCanvas& under) {
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] == under.pixels[i]) {
            pixels[i] = Magenta;
        }
    }
}

void CCanvas::LimitColours(std::size_t count) {
    for (int dropped = 0; dropped < 8; ++dropped) {
        // Colours that agree in their upper bits share one bucket; its colour is their mean.
        const Colour bucketMask = Rgb(0xFF, 0xFF, 0xFF) & ~(Rgb(1, 1, 1) * ((1 << dropped) - 1));
        std::map<Colour, std::array<double, 4>> buckets;
        for (Colour colour : pixels) {
            if (colour != Magenta) {
                std::array<double, 4>& sum = buckets[colour & bucketMask];
                sum[0] += Channel(colour, 16);
                sum[1] += Channel(colour, 8);
                sum[2] += Channel(colour, 0);
                sum[3] += 1;
            }
        }
        if (buckets.size() > count) {
            continue;
        }
        for (Colour& colour : pixels) {
            if (colour != Magenta) {
                const std::array<double, 4>& sum = buckets[colour & bucketMask];
                colour = Rgb(static_cast<int>(std::lround(sum[0] / sum[3])),
                             static_cast<int>(std::lround(sum[1] / sum[3])),
                             static_cast<int>(std::lround(sum[2] / sum[3])));
            }
        }
        return;
    }
}

void CCanvas::Blend(int x, int y, Colour colour, double coverage) {
    if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0) {
        return;
    }
    Colour& pixel = pixels[y * width + x];
    pixel = Mix(pixel, colour, std::min(coverage, 1.0));
}

void CCanvas::FillShape(double x0, double y0, double x1, double y1,
                        const std::function<bool(double, double)>& inside, Colour colour) {
    const int samples = 4;
    const int left = std::max(static_cast<int>(std::floor(x0)), 0);
    const int right = std::min(static_cast<int>(std::ceil(x1)), width);
    const int top = std::max(static_cast<int>(std::floor(y0)), 0);
    const int bottom = std::min(static_cast<int>(std::ceil(y1)), height);
    for (int py = top; py < bottom; ++py) {
        for (int px = left; px < right; ++px) {
            int hits = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    hits += inside(px + (sx + 0.5) / samples, py + (sy + 0.5) / samples);
                }
            }
            Blend(px, py, colour, double(hits) / (samples * samples));
        }
    }
}
