#include "TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/Clock.h"
#include "app/Program.h"
#include "match/Ball.h"

namespace fs = std::filesystem;

void ResetStates() {
    delete current::GetInstance()->state;
    *current::GetInstance() = current();
}

void ZorvatTest::SetUp() {
    char pattern[] = "/tmp/zorvat-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    fs::current_path(dir);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    TestClock::Set(1000);
    CClock::SetSource(TestClock::Read);
}

void ZorvatTest::TearDown() {
    // The seams are put back here, which runs even after an ASSERT has ended a test early.
    CBall::random = std::rand;
    CProgram::setVideoMode = SDL_SetVideoMode;
    CProgram::flip = SDL_Flip;
    refusedWidth = 0;
    ResetStates();
    SDL_Quit();
    fs::remove_all(dir); // the working directory goes too: the next test makes its own
}

void PressKey(SDLKey key, bool down) {
    SDL_Event event = {};
    event.type = key == WindowClose ? SDL_QUIT : down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

void PressKeys(const std::vector<SDLKey>& keys) {
    std::for_each(keys.begin(), keys.end(), [](SDLKey key) { PressKey(key); });
}

void HoldKey(SDLKey key) {
    SDL_GetKeyState(nullptr)[key] = 1;
}

void ReleaseAllKeys() {
    std::memset(SDL_GetKeyState(nullptr), 0, SDLK_LAST);
}

Bytes SettingsBytes(int level, int fullHd) {
    const Uint32 v = level;
    return {Uint8(v), Uint8(v >> 8), Uint8(v >> 16), Uint8(v >> 24), Uint8(fullHd), 0, 0, 0};
}

void WriteSettings(int level, int fullHd) {
    WriteBytes("Settings.zorvat", SettingsBytes(level, fullHd));
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::error_code none; // a file in the working directory needs no folder
    fs::create_directories(fs::path(path).parent_path(), none);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes With(Bytes b, size_t at, long long value, int count) {
    for (int i = 0; i < count; ++i) {
        b.at(at + i) = static_cast<Uint8>(value >> (8 * i));
    }
    return b;
}

Bytes Bmp(int w, int h, int bpp, int colours, bool core, int gap) {
    const int side = core ? 2 : 4, offset = 14 + (core ? 12 : 40) + gap + colours * (core ? 3 : 4);
    Bytes b(offset + (w * bpp + 31) / 32 * 4 * h);
    b = With(With(With(b, 0, 'B' | 'M' << 8, 2), 10, offset), 14, core ? 12 : 40);
    b = With(With(With(b, 18, w, side), 18 + side, h, side), 18 + 2 * side, 1, 2);
    return With(core ? b : With(b, 46, colours), 20 + 2 * side, bpp, 2);
}

void WriteBitmap(const std::string& path, int w, int h, std::function<Uint32(int, int)> colour) {
    // 32 bits with an unused fourth byte, as the artwork has, but of 255, as painting programs
    // may leave it: SDL_SaveBMP would write 24 bits, and a library that loads the fourth byte
    // as alpha, or keeps it beside the colours, would go untested. Rows go bottom-up.
    Bytes bytes = Bmp(w, h, 32);
    for (int i = 0; i < w * h; ++i) {
        bytes = With(std::move(bytes), 54 + 4 * i, colour(i % w, h - 1 - i / w) | 0xFF000000u);
    }
    WriteBytes(path, bytes);
}

void WriteSheet(const std::string& path, int frames, int w, int h, Uint32 colour) {
    WriteBitmap(path, frames * w, frames > 1 ? h + 1 : h, [=](int x, int y) {
        return y == h ? 0xFFFFFFu : x % w == 0 && y == 0 ? 0xFF00FFu : colour * (x / w + 1);
    });
}

void ExpectPicture(SDL_Surface* screen, int x, int y, int w, int h, Uint32 inside, Uint32 around) {
    EXPECT_EQ(PixelAt(screen, x + 1, y), inside) << x << "," << y;
    EXPECT_EQ(PixelAt(screen, x + w - 1, y + h - 1), inside) << x << "," << y;
    for (auto [bx, by] :
         {std::pair{x, y}, {x + 1, y - 1}, {x - 1, y + 1}, {x + w, y + 1}, {x + 1, y + h}}) {
        EXPECT_EQ(PixelAt(screen, bx, by), around) << bx << "," << by;
    }
}

int refusedWidth = 0;
std::string modesAsked;

SDL_Surface* FakeSetVideoMode(int w, int h, int bpp, Uint32 flags) {
    EXPECT_EQ(flags & ~SDL_FULLSCREEN, Uint32(SDL_DOUBLEBUF | SDL_HWSURFACE));
    modesAsked += std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(bpp) +
                  (flags & SDL_FULLSCREEN ? "full " : "window ");
    if (w == refusedWidth || refusedWidth < 0) {
        // A display that cannot give the mode: SDL has already let go of the old screen.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    return SDL_SetVideoMode(w, h, bpp, flags);
}

SDL_Surface* OpenScreen(int fullHd) {
    // As the game does, with no screen open: the layer over SDL 3 cannot change a mode in place.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    const bool big = fullHd == 1;
    SDL_Surface* screen =
        SDL_SetVideoMode(big ? 1920 : 1280, big ? 1080 : 720, 32,
                         (big ? SDL_FULLSCREEN : 0) | SDL_DOUBLEBUF | SDL_HWSURFACE);
    // Tests read untouched pixels as black: the compatibility layer over SDL 2 may hand back
    // a screen that still shows an earlier mode's pixels.
    SDL_FillRect(screen, nullptr, 0);
    return screen;
}

Uint32 PixelAt(SDL_Surface* s, int x, int y) {
    SDL_LockSurface(s);
    const Uint8* at = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    const Uint32 raw = s->format->BytesPerPixel == 1 ? *at : *reinterpret_cast<const Uint32*>(at);
    SDL_UnlockSurface(s);
    Uint8 r, g, b;
    SDL_GetRGB(raw, s->format, &r, &g, &b);
    return (r << 16) | (g << 8) | b;
}
