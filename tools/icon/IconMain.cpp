// Turns the program icon that the art generator draws (a Windows bitmap) into the PNG that
// desktops look for, scaled to one size: zorvat-icon ICON.bmp SIZE ICON.png
#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Png.h"

namespace {

// The surface's pixels as RGBA bytes, rows top to bottom; every pixel opaque.
std::vector<double> ReadRgba(SDL_Surface* surface) {
    std::vector<double> rgba;
    rgba.reserve(static_cast<std::size_t>(surface->w) * surface->h * 4);
    SDL_LockSurface(surface);
    const int bpp = surface->format->BytesPerPixel;
    for (int y = 0; y < surface->h; ++y) {
        const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
        for (int x = 0; x < surface->w; ++x) {
            Uint32 pixel = 0;
            for (int i = 0; i < bpp; ++i) {
                // SDL surfaces hold pixels in the machine's byte order.
                int shift = SDL_BYTEORDER == SDL_LIL_ENDIAN ? 8 * i : 8 * (bpp - 1 - i);
                pixel |= static_cast<Uint32>(row[x * bpp + i]) << shift;
            }
            Uint8 r, g, b;
            SDL_GetRGB(pixel, surface->format, &r, &g, &b);
            rgba.insert(rgba.end(), {double(r), double(g), double(b), 255.0});
        }
    }
    SDL_UnlockSurface(surface);
    return rgba;
}

struct Share {
    int from;
    double weight;
};

// For each of `to` new pixels along a line of `from` old ones, the old pixels that it covers
// and how much of each.
std::vector<std::vector<Share>> Shares(int from, int to) {
    std::vector<std::vector<Share>> shares(to);
    double step = double(from) / to;
    for (int t = 0; t < to; ++t) {
        double lo = t * step, hi = (t + 1) * step;
        for (int f = int(lo); f < from && f < hi; ++f) {
            shares[t].push_back({f, (std::fmin(hi, f + 1.0) - std::fmax(lo, double(f))) / step});
        }
    }
    return shares;
}

// Area-averages a w x h RGBA picture to size x size: each new pixel is the mean of the part
// of the old picture that it covers, so thin lines fade instead of vanishing.
std::vector<std::uint8_t> Resample(const std::vector<double>& rgba, int w, int h, int size) {
    auto across = Shares(w, size);
    auto down = Shares(h, size);
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(size) * size * 4);
    for (int ty = 0; ty < size; ++ty) {
        for (int tx = 0; tx < size; ++tx) {
            double sum[4] = {0, 0, 0, 0};
            for (const Share& row : down[ty]) {
                for (const Share& column : across[tx]) {
                    const double* pixel =
                        &rgba[(static_cast<std::size_t>(row.from) * w + column.from) * 4];
                    for (int c = 0; c < 4; ++c) {
                        sum[c] += row.weight * column.weight * pixel[c];
                    }
                }
            }
            for (double v : sum) {
                out.push_back(static_cast<std::uint8_t>(std::lround(std::fmin(255.0, v))));
            }
        }
    }
    return out;
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
    if (argc != 4) {
        std::fprintf(stderr, "usage: zorvat-icon ICON.bmp SIZE ICON.png\n");
        return 2;
    }
    char* end = nullptr;
    long size = std::strtol(argv[2], &end, 10);
    if (*argv[2] == '\0' || *end != '\0' || size < 16 || size > 1024) {
        std::fprintf(stderr, "zorvat-icon: SIZE must be a whole number from 16 to 1024\n");
        return 2;
    }
    SDL_Surface* bitmap = SDL_LoadBMP(argv[1]);
    if (!bitmap) {
        std::fprintf(stderr, "zorvat-icon: cannot read %s: %s\n", argv[1], SDL_GetError());
        return 1;
    }
    std::vector<std::uint8_t> pixels = Resample(ReadRgba(bitmap), bitmap->w, bitmap->h, size);
    SDL_FreeSurface(bitmap);
    if (!WriteFile(argv[3], EncodePng(size, size, pixels))) {
        std::perror((std::string("zorvat-icon: cannot write ") + argv[3]).c_str());
        return 1;
    }
    return 0;
}
