#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "app/Clock.h"
#include "app/Current.h"

Uint32 TestClock::now = 0;
unsigned TestClock::sinceSet = 0;
unsigned TestClock::reads = 0;

void TestClock::Set(Uint32 ms) {
    now = ms;
    sinceSet = 0;
}

void TestClock::Advance(Uint32 ms) {
    Set(now + ms);
}

Uint32 TestClock::Read() {
    ++reads;
    if (++sinceSet > 64) {
        ++now;
        sinceSet = 0;
    }
    return now;
}

void ZorvatTest::SetUp() {
    char cwd[4096];
    previousDir = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    char pattern[] = "/tmp/zorvat-test-XXXXXX";
    char* made = mkdtemp(pattern);
    ASSERT_NE(made, nullptr);
    dir = made;
    ASSERT_EQ(chdir(dir.c_str()), 0);

    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    TestClock::Set(1000);
    TestClock::reads = 0;
    CClock::SetSource(TestClock::Read);

    current* manager = current::GetInstance();
    manager->stateID = StateNone;
    manager->nextState = StateNone;
    manager->state = nullptr;
}

void ZorvatTest::TearDown() {
    current* manager = current::GetInstance();
    delete manager->state;
    manager->state = nullptr;
    manager->stateID = StateNone;
    manager->nextState = StateNone;
    CClock::SetSource(nullptr);
    SDL_Quit();
    if (chdir(previousDir.c_str()) != 0) {
        ADD_FAILURE() << "cannot return to " << previousDir;
    }
    if (!dir.empty()) {
        std::string command = "chmod -R u+rwx '" + dir + "' 2>/dev/null; rm -rf '" + dir + "'";
        if (std::system(command.c_str()) != 0) {
            ADD_FAILURE() << "cannot remove " << dir;
        }
    }
}

namespace {
void PushKey(Uint8 type, SDLKey key) {
    SDL_Event event;
    std::memset(&event, 0, sizeof(event));
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}
} // namespace

void PressKey(SDLKey key) {
    PushKey(SDL_KEYDOWN, key);
}

void ReleaseKey(SDLKey key) {
    PushKey(SDL_KEYUP, key);
}

void PushQuit() {
    SDL_Event event;
    std::memset(&event, 0, sizeof(event));
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

void HoldKey(SDLKey key, bool held) {
    SDL_GetKeyState(nullptr)[key] = held ? 1 : 0;
}

void ReleaseAllKeys() {
    int count = 0;
    Uint8* keys = SDL_GetKeyState(&count);
    std::memset(keys, 0, count);
}

void WriteSettings(int level, int fullHd) {
    uint32_t value = static_cast<uint32_t>(level);
    WriteBytes("Settings.zorvat",
               {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24),
                static_cast<unsigned char>(fullHd), 0, 0, 0});
}

void MakeParents(const std::string& path) {
    for (size_t i = path.find('/', 1); i != std::string::npos; i = path.find('/', i + 1)) {
        mkdir(path.substr(0, i).c_str(), 0755);
    }
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    MakeParents(path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

namespace {
Uint8 fillR, fillG, fillB;
Uint32 Plain(int, int) {
    return (fillR << 16) | (fillG << 8) | fillB;
}
} // namespace

void WriteBitmap(const std::string& path, int w, int h, Uint8 r, Uint8 g, Uint8 b) {
    fillR = r;
    fillG = g;
    fillB = b;
    WriteBitmap(path, w, h, Plain);
}

void WriteBitmap(const std::string& path, int w, int h, Uint32 (*colour)(int x, int y)) {
    MakeParents(path);
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    for (int y = 0; y < h; ++y) {
        Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < w; ++x) {
            row[x] = colour(x, y);
        }
    }
    SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
}

void WriteAllArt() {
    static const struct {
        const char* name;
        int w, h; // full HD size
        Uint8 r, g, b;
    } pictures[] = {
        {"Game/Ball.bmp", 15, 15, 250, 250, 250},
        {"Game/Paddel1.bmp", 150, 190, 200, 60, 60},
        {"Game/Paddel2.bmp", 150, 190, 60, 60, 200},
        {"Game/Background.bmp", 1920, 1080, 20, 80, 20},
        {"Game/Won.bmp", 600, 200, 0, 200, 0},
        {"Game/Won1.bmp", 600, 200, 0, 150, 0},
        {"Game/Won2.bmp", 600, 200, 0, 100, 0},
        {"Game/Lost.bmp", 600, 200, 200, 0, 0},
        {"Menu/Menu.bmp", 1920, 1080, 30, 30, 90},
        {"Menu/Menu_Select.bmp", 2600, 500, 255, 255, 0},
        {"Menu/OptionsBack.bmp", 1920, 1080, 40, 40, 40},
        {"Menu/Options_Selections1.bmp", 663, 61, 0, 255, 255},
        {"Menu/Options_Selections2.bmp", 200, 45, 0, 255, 128},
        {"Menu/Options_Select1.bmp", 30, 50, 255, 128, 0},
        {"Menu/Options_Select2.bmp", 30, 40, 255, 128, 64},
        {"Menu/Credits.bmp", 1920, 1080, 90, 30, 30},
    };
    for (const auto& p : pictures) {
        WriteBitmap(std::string("Data/Original/") + p.name, p.w, p.h, p.r, p.g, p.b);
        // The scaled tree holds the same pictures at 0.667 of the size; sheets keep whole
        // frames of the truncated scaled frame size.
        int w = static_cast<int>(p.w * 0.667);
        int h = static_cast<int>(p.h * 0.667);
        std::string name = p.name;
        if (name == "Game/Paddel1.bmp" || name == "Game/Paddel2.bmp") {
            w = 3 * 33;
            h = 126;
        } else if (name == "Menu/Menu_Select.bmp") {
            w = 5 * 346;
            h = 333;
        } else if (name == "Menu/Options_Selections1.bmp") {
            w = 3 * 147;
            h = 40;
        } else if (name == "Menu/Options_Selections2.bmp") {
            w = 2 * 66;
            h = 30;
        } else if (p.w == 1920) {
            w = 1280;
            h = 720;
        }
        WriteBitmap(std::string("Data/Skaliert/") + p.name, w, h, p.r, p.g, p.b);
    }
}

SDL_Surface* OpenScreen(int fullHd) {
    SDL_Surface* screen =
        fullHd == 1
            ? SDL_SetVideoMode(1920, 1080, 32, SDL_FULLSCREEN | SDL_DOUBLEBUF | SDL_HWSURFACE)
            : SDL_SetVideoMode(1280, 720, 32, SDL_DOUBLEBUF | SDL_HWSURFACE);
    // Tests read untouched pixels as black: the compatibility layer over SDL 2 may hand back
    // a screen that still shows an earlier mode's pixels.
    if (screen) {
        SDL_FillRect(screen, nullptr, 0);
    }
    return screen;
}

Uint32 PixelAt(SDL_Surface* surface, int x, int y) {
    SDL_LockSurface(surface);
    Uint32 pixel = *reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) +
                                              y * surface->pitch + x * 4);
    SDL_UnlockSurface(surface);
    Uint8 r, g, b;
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    return (r << 16) | (g << 8) | b;
}
