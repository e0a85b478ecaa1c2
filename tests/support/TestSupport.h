#ifndef ZORVAT_TESTS_TESTSUPPORT_H
#define ZORVAT_TESTS_TESTSUPPORT_H

#include <SDL.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/Current.h"

// Every test runs in a fresh temporary working directory with SDL video up (dummy driver),
// the test clock and an empty state manager, and leaves the game's seams as it found them.
class ZorvatTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string dir;
};

// The test clock: time stands still until a test sets it, except that a caller that keeps
// reading it (a wait for the next millisecond) sees it move on by 1 ms after every 64 reads.
class TestClock {
public:
    static void Set(Uint32 ms) {
        now = ms;
        reads = 0;
    }
    static void Advance(Uint32 ms) { Set(now + ms); }
    static Uint32 Read() { return ++reads % 65 ? now : ++now; }

private:
    static inline Uint32 now = 0, reads = 0;
};

// Destroys the state in place and empties the state manager.
void ResetStates();

// Replaces the state in place by a new T(args...) under id, with no request pending.
template <typename T, typename... Args> T* Install(int id, Args... args) {
    ResetStates();
    current::GetInstance()->stateID = id;
    return static_cast<T*>(current::GetInstance()->state = new T(args...));
}

// Queues a key press or release; WindowClose queues a window close instead.
const SDLKey WindowClose = SDLK_UNKNOWN;
void PressKey(SDLKey key, bool down = true);
// Queues a press of each key in turn.
void PressKeys(const std::vector<SDLKey>& keys);
// Marks a key as held in the array that SDL_GetKeyState returns, or releases them all.
void HoldKey(SDLKey key);
void ReleaseAllKeys();

typedef std::vector<unsigned char> Bytes;
// The settings file as the game writes it: level little-endian, display byte, three zeros.
Bytes SettingsBytes(int level, int fullHd);
void WriteSettings(int level, int fullHd);
// Writes raw bytes to a file, creating its folders.
void WriteBytes(const std::string& path, const Bytes& bytes);
// The whole content of a file; empty when it cannot be read.
Bytes ReadBytes(const std::string& path);

// The bytes with value written little-endian over count bytes at at.
Bytes With(Bytes bytes, size_t at, long long value, int count = 4);
// A sound bitmap of pixel value 0: a 40-byte header (12 with core), gap bytes, a palette of
// colours entries.
Bytes Bmp(int w, int h, int bpp, int colours = 0, bool core = false, int gap = 0);
// Writes a 32-bit bitmap whose pixel (x, y) is colour(x, y) as 0xRRGGBB, or of one colour.
void WriteBitmap(const std::string& path, int w, int h, std::function<Uint32(int, int)> colour);
inline void WriteBitmap(const std::string& path, int w, int h, Uint32 rgb) {
    WriteBitmap(path, w, h, [rgb](int, int) { return rgb; });
}
// Writes a picture of frames of w x h, frame n in colour * (n + 1) with a magenta top-left
// pixel; a sheet of several frames has a white row below them that must never show.
void WriteSheet(const std::string& path, int frames, int w, int h, Uint32 colour);
// Expects a picture of w x h drawn at (x, y) that shows inside, its magenta pixel keyed out and
// around it all around.
void ExpectPicture(SDL_Surface* screen, int x, int y, int w, int h, Uint32 inside, Uint32 around);

// A display for CProgram::setVideoMode that refuses every mode refusedWidth wide (-1: every
// mode), letting go of the old screen as SDL does; it adds each mode asked for to modesAsked as
// "WIDTHxHEIGHTxBPP" and "window " or "full ", and expects no other flags than the game's.
extern int refusedWidth;
extern std::string modesAsked;
SDL_Surface* FakeSetVideoMode(int w, int h, int bpp, Uint32 flags);

// Opens the black screen of a display mode (1 = 1920x1080, else 1280x720) as the only one.
SDL_Surface* OpenScreen(int fullHd);
// The pixel at (x, y) of an 8-bit or 32-bit surface as 0xRRGGBB.
Uint32 PixelAt(SDL_Surface* surface, int x, int y);

#endif
