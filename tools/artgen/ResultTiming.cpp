// Measures what a result picture costs the game per frame: after a match it reads the picture
// from its file, keys out magenta and blits it onto the 32-bit screen in every frame.
// Compares the generated picture (8 bits, cropped to its banner) with the same picture in the
// other formats: 32 bits, and padded to the full screen.
// Run by hand: SDL_VIDEODRIVER=dummy ./zorvat-result-timing DATA_FOLDER
#include "BitmapWriter.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The pixels of picture as 0xRRGGBB, padded with magenta to width x height.
std::vector<std::uint32_t> Pixels(SDL_Surface* picture, int width, int height) {
    std::vector<std::uint32_t> pixels(width * height, 0xFF00FF);
    SDL_Surface* rgb =
        SDL_CreateRGBSurface(SDL_SWSURFACE, picture->w, picture->h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_BlitSurface(picture, nullptr, rgb, nullptr);
    for (int y = 0; y < picture->h; ++y) {
        const Uint32* row =
            reinterpret_cast<const Uint32*>(static_cast<Uint8*>(rgb->pixels) + y * rgb->pitch);
        for (int x = 0; x < picture->w; ++x) {
            pixels[y * width + x] = row[x] & 0xFFFFFF;
        }
    }
    SDL_FreeSurface(rgb);
    return pixels;
}

// Prints the average cost of reading path and of keying and blitting it, over many frames.
void Measure(const char* name, const std::string& path, SDL_Surface* screen) {
    const int frames = 300;
    Clock::duration reading{};
    Clock::duration blitting{};
    for (int i = 0; i < frames; ++i) {
        const Clock::time_point start = Clock::now();
        SDL_Surface* picture = SDL_LoadBMP_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
        const Clock::time_point loaded = Clock::now();
        SDL_SetColorKey(picture, SDL_SRCCOLORKEY, SDL_MapRGB(picture->format, 255, 0, 255));
        SDL_Rect where = {0, 0, 0, 0};
        SDL_UpperBlit(picture, nullptr, screen, &where);
        blitting += Clock::now() - loaded;
        reading += loaded - start;
        SDL_FreeSurface(picture);
    }
    std::printf("%-34s read %5.2f ms   key and blit %5.2f ms   together %5.2f ms\n", name,
                Milliseconds(reading) / frames, Milliseconds(blitting) / frames,
                Milliseconds(reading + blitting) / frames);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DATA_FOLDER\n", argv[0]);
        return 2;
    }
    SDL_Init(SDL_INIT_VIDEO);
    SDL_Surface* screen = SDL_SetVideoMode(1920, 1080, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    const std::string won = std::string(argv[1]) + "/Original/Game/Won.bmp";
    SDL_Surface* picture = SDL_LoadBMP(won.c_str());
    if (screen == nullptr || picture == nullptr) {
        std::fprintf(stderr, "zorvat-result-timing: %s\n", SDL_GetError());
        return 1;
    }
    const int w = picture->w;
    const int h = picture->h;
    const std::vector<std::uint32_t> cropped = Pixels(picture, w, h);
    const std::vector<std::uint32_t> full = Pixels(picture, 1920, 1080);
    SDL_FreeSurface(picture);

    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    const struct {
        std::string name;
        std::vector<std::uint8_t> bytes;
    } variants[] = {
        {"32 bits, 1920x1080", CBitmapWriter::Encode32(1920, 1080, full)},
        {"8 bits, 1920x1080", CBitmapWriter::Encode8(1920, 1080, full)},
        {"32 bits, " + size + " (cropped)", CBitmapWriter::Encode32(w, h, cropped)},
        {"8 bits, " + size + " (cropped)", CBitmapWriter::Encode8(w, h, cropped)},
    };
    const std::string path = "/tmp/zorvat-result-timing.bmp";
    for (const auto& variant : variants) {
        CBitmapWriter::Save(path, variant.bytes);
        Measure(variant.name.c_str(), path, screen);
    }
    std::remove(path.c_str());
    SDL_Quit();
    return 0;
}
