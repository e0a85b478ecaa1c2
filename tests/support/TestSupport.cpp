#include "TestSupport.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/Clock.h"

namespace fs = std::filesystem;

Uint32 TestClock::Read() {
    if (++sinceSet > 64) {
        ++now;
        sinceSet = 0;
    }
    return now;
}

void ResetStates() {
    current* manager = current::GetInstance();
    delete manager->state;
    *manager = current();
}

static fs::path previousDir;

void ZorvatTest::SetUp() {
    previousDir = fs::current_path();
    char pattern[] = "/tmp/zorvat-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    fs::current_path(dir);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    TestClock::Set(1000);
    CClock::SetSource(TestClock::Read);
    ResetStates();
}

void ZorvatTest::TearDown() {
    ResetStates();
    CClock::SetSource(nullptr);
    SDL_Quit();
    fs::current_path(previousDir);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

void PressKey(SDLKey key, bool down) {
    SDL_Event event;
    std::memset(&event, 0, sizeof(event));
    event.type = key == WindowClose ? SDL_QUIT : down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

void PressKeys(const std::vector<SDLKey>& keys) {
    for (SDLKey key : keys) {
        PressKey(key);
    }
}

void HoldKey(SDLKey key) {
    SDL_GetKeyState(nullptr)[key] = 1;
}

void ReleaseAllKeys() {
    int count = 0;
    Uint8* keys = SDL_GetKeyState(&count);
    std::memset(keys, 0, count);
}

Bytes SettingsBytes(int level, int fullHd) {
    const Uint32 v = level;
    return {Uint8(v), Uint8(v >> 8), Uint8(v >> 16), Uint8(v >> 24), Uint8(fullHd), 0, 0, 0};
}

void WriteSettings(int level, int fullHd) {
    WriteBytes("Settings.zorvat", SettingsBytes(level, fullHd));
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty()) {
        fs::create_directories(folder);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBitmap(const std::string& path, int w, int h, std::function<Uint32(int, int)> colour) {
    WriteBytes(path, {}); // makes the folders
    std::vector<Uint32> pixels(w * h);
    for (int i = 0; i < w * h; ++i) {
        pixels[i] = colour(i % w, i / w);
    }
    SDL_Surface* s =
        SDL_CreateRGBSurfaceFrom(pixels.data(), w, h, 32, w * 4, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
}

SDL_Surface* OpenScreen(int fullHd) {
    const bool big = fullHd == 1;
    SDL_Surface* screen =
        SDL_SetVideoMode(big ? 1920 : 1280, big ? 1080 : 720, 32,
                         (big ? SDL_FULLSCREEN : 0) | SDL_DOUBLEBUF | SDL_HWSURFACE);
    // Tests read untouched pixels as black: the compatibility layer over SDL 2 may hand back
    // a screen that still shows an earlier mode's pixels.
    if (screen) {
        SDL_FillRect(screen, nullptr, 0);
    }
    return screen;
}

Uint32 PixelAt(SDL_Surface* surface, int x, int y) {
    SDL_LockSurface(surface);
    const Uint8* at = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch +
                      x * surface->format->BytesPerPixel;
    Uint32 raw = surface->format->BytesPerPixel == 1 ? *at : *reinterpret_cast<const Uint32*>(at);
    SDL_UnlockSurface(surface);
    Uint8 r, g, b;
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return (r << 16) | (g << 8) | b;
}
