// Draws the game's desktop icon, a dark field with two paddles and a ball, as a square RGBA
// PNG: zorvat-icon SIZE FILE
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Png.h"

namespace {

struct Rgba {
    double r, g, b, a;
};

const Rgba Clear = {0, 0, 0, 0};
const Rgba Field = {0x14, 0x2E, 0x45, 255};
const Rgba Line = {0x3A, 0x5A, 0x78, 255};
const Rgba LeftPaddle = {0x5C, 0xD6, 0xF2, 255};
const Rgba RightPaddle = {0xFF, 0x8C, 0x3A, 255};
const Rgba Ball = {0xFF, 0xF2, 0xD6, 255};

bool InRoundRect(double x, double y, double left, double top, double right, double bottom,
                 double radius) {
    if (x < left || x >= right || y < top || y >= bottom) {
        return false;
    }
    double cx = std::fmax(left + radius, std::fmin(x, right - radius));
    double cy = std::fmax(top + radius, std::fmin(y, bottom - radius));
    return std::hypot(x - cx, y - cy) <= radius;
}

// The picture at one point of the unit square, (0, 0) top left; the topmost shape wins.
Rgba Sample(double x, double y) {
    if (std::hypot(x - 0.57, y - 0.40) <= 0.075) {
        return Ball;
    }
    if (InRoundRect(x, y, 0.12, 0.20, 0.20, 0.56, 0.035)) {
        return LeftPaddle;
    }
    if (InRoundRect(x, y, 0.80, 0.44, 0.88, 0.80, 0.035)) {
        return RightPaddle;
    }
    if (InRoundRect(x, y, 0.49, 0.08, 0.51, 0.92, 0) && std::fmod(y - 0.08, 0.12) < 0.07) {
        return Line;
    }
    if (InRoundRect(x, y, 0.03, 0.03, 0.97, 0.97, 0.14)) {
        return Field;
    }
    return Clear;
}

// Averages 4x4 samples a pixel, so that edges come out smooth at every size.
std::vector<std::uint8_t> Draw(int size) {
    const int n = 4;
    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(size) * size * 4);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < n; ++sy) {
                for (int sx = 0; sx < n; ++sx) {
                    Rgba s = Sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size);
                    r += s.r * s.a;
                    g += s.g * s.a;
                    b += s.b * s.a;
                    a += s.a;
                }
            }
            // Colours were weighted by coverage; PNG wants them unweighted.
            double cover = a > 0 ? a : 1;
            rgba.push_back(static_cast<std::uint8_t>(std::lround(r / cover)));
            rgba.push_back(static_cast<std::uint8_t>(std::lround(g / cover)));
            rgba.push_back(static_cast<std::uint8_t>(std::lround(b / cover)));
            rgba.push_back(static_cast<std::uint8_t>(std::lround(a / (n * n))));
        }
    }
    return rgba;
}

// Writes beside the target and renames, so that a failed run leaves no half icon behind.
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::string partial = path + ".part";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && std::fclose(file) != 0) {
        written = false;
    }
    if (!written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zorvat-icon SIZE FILE\n");
        return 2;
    }
    char* end = nullptr;
    long size = std::strtol(argv[1], &end, 10);
    if (*argv[1] == '\0' || *end != '\0' || size < 16 || size > 1024) {
        std::fprintf(stderr, "zorvat-icon: SIZE must be a whole number from 16 to 1024\n");
        return 2;
    }
    if (!WriteFile(argv[2], EncodePng(size, size, Draw(size)))) {
        std::perror((std::string("zorvat-icon: cannot write ") + argv[2]).c_str());
        return 1;
    }
    return 0;
}
