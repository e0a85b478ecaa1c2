// Any bytes as a bitmap, used the way the game uses its pictures: loaded whole or as a sprite
// sheet in either display mode, keyed, and drawn at and beyond the edges of a 32-bit full-HD
// screen. The last byte of the input chooses the mode and the sheet layout, so that every
// input is also a bitmap file the real game can be given.
#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

#include "FuzzDir.h"
#include "gfx/Image.h"
#include "settings/Settings.h"

namespace {

SDL_Surface* screen = nullptr;

struct Layout {
    int frameCount, frameWidth, frameHeight; // frameCount 0: a plain picture
};

// The game's own sheets, plus frames of one or a few pixels and frames wider than most inputs.
const Layout Layouts[] = {
    {0, 0, 0}, {3, 50, 190}, {5, 520, 500}, {3, 221, 61}, {2, 100, 45}, {4, 1, 1},
    {4, 2, 2}, {3, 3, 5},    {2, 4096, 8},  {6, 16, 16},  {0, 0, 0},    {2, 7, 3},
    {9, 8, 8}, {1, 1, 4096}, {3, 30, 30},   {0, 0, 0},
};

// Positions in field units: inside, at every edge and off the screen.
const float Positions[][2] = {{0, 0},     {-40, -40},   {1900, 1060},
                              {960, 540}, {-5000, 300}, {2500, 2500}};

// SDL is not instrumented, so the fuzzer cannot see which way its loader went. Each distinct
// outcome (kind of refusal, depth, palette size, shape of the surface) calls a function of its
// own, which the fuzzer counts as new coverage.
volatile int sink = 0;
template <int N> void Hit() {
    sink = N;
}
template <int... N> void (*const* HitTable(std::integer_sequence<int, N...>))() {
    static void (*const table[])() = {&Hit<N>...};
    return table;
}
const int Buckets = 64;
enum Feature { Refusal, Depth, Colours, Width, Height, Padding, Columns, FeatureCount };

void Note(Feature feature, unsigned value) {
    static void (*const* table)() =
        HitTable(std::make_integer_sequence<int, Buckets * FeatureCount>());
    table[feature * Buckets + value % Buckets]();
}

unsigned Log2(unsigned value) {
    unsigned bits = 0;
    while (value > 1) {
        value >>= 1;
        ++bits;
    }
    return bits;
}

// Tells the fuzzer how the loader and the image's checks judged this input.
void NoteOutcome(const CImage& image) {
    if (!image.surface) {
        unsigned hash = 0;
        for (const char* c = SDL_GetError(); *c; ++c) {
            hash = hash * 31 + static_cast<unsigned char>(*c);
        }
        Note(Refusal, hash);
        return;
    }
    const SDL_Surface* s = image.surface;
    Note(Depth, s->format->BitsPerPixel);
    Note(Colours,
         s->format->palette ? Log2(static_cast<unsigned>(s->format->palette->ncolors)) : 63);
    Note(Width, Log2(static_cast<unsigned>(s->w)) * 2 + (s->w & 1));
    Note(Height, Log2(static_cast<unsigned>(s->h)) * 2 + (s->h & 1));
    Note(Padding, static_cast<unsigned>(s->pitch - s->w * s->format->BytesPerPixel));
    Note(Columns, static_cast<unsigned>(image.columns));
}

// Moves a surface's pixels between two inaccessible pages, so that a blit reading outside them
// faults even though SDL itself is not instrumented.
class CGuardedPixels {
public:
    explicit CGuardedPixels(SDL_Surface* surface) : surface(surface) {
        if (!surface) {
            return;
        }
        const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        const size_t bytes = static_cast<size_t>(surface->pitch) * static_cast<size_t>(surface->h);
        const size_t body = (bytes + page - 1) / page * page;
        length = body + 2 * page;
        void* map =
            mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED) {
            std::abort();
        }
        region = static_cast<Uint8*>(map);
        mprotect(region, page, PROT_NONE);
        mprotect(region + page + body, page, PROT_NONE);
        Uint8* pixels = region + page + body - bytes; // flush against the guard after it
        std::memcpy(pixels, surface->pixels, bytes);
        original = surface->pixels;
        surface->pixels = pixels;
        surface->flags |= SDL_PREALLOC;
    }
    ~CGuardedPixels() {
        if (!region) {
            return;
        }
        surface->pixels = original;
        surface->flags &= ~SDL_PREALLOC;
        munmap(region, length);
    }

private:
    SDL_Surface* surface;
    Uint8* region = nullptr;
    size_t length = 0;
    void* original = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    EnterFuzzDir();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::abort();
    }
    screen = SDL_SetVideoMode(1920, 1080, 32, SDL_SWSURFACE);
    if (!screen || screen->format->BitsPerPixel != 32) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFile("picture.bmp", data, size);
    const uint8_t choice = size > 0 ? data[size - 1] : 0;

    CSettings settings;
    settings.fullHd = choice & 1;
    settings.Save();

    const Layout& layout = Layouts[(choice >> 1) % (sizeof(Layouts) / sizeof(Layouts[0]))];
    CImage image;
    SDL_ClearError();
    if (layout.frameCount == 0) {
        image.Load("picture.bmp", "picture.bmp");
    } else {
        image.LoadSheet("picture.bmp", "picture.bmp", layout.frameCount, layout.frameWidth,
                        layout.frameHeight);
    }
    NoteOutcome(image);
    if (choice & 0x20) {
        image.SetMagentaKey();
    }

    CGuardedPixels guard(image.surface);
    for (const auto& p : Positions) {
        image.SetPosition(p[0], p[1]);
        image.Draw(screen);
        for (int frame = 0; frame <= layout.frameCount + 1; ++frame) {
            image.SetPosition(p[0], p[1]);
            image.DrawFrame(screen, static_cast<float>(frame) + 0.5f);
        }
    }
    // Owners also write rect directly, with the menus' constants.
    image.rect.x = 1149;
    image.rect.y = 616;
    image.DrawFrame(screen, 1.0f);
    image.Draw(screen);
    return 0;
}
