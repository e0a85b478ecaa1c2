#ifndef ZORVAT_TESTS_TESTSUPPORT_H
#define ZORVAT_TESTS_TESTSUPPORT_H

#include <SDL.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Every test runs in a fresh temporary working directory with SDL video up (dummy driver),
// a controllable clock and a clean state manager.
class ZorvatTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string dir;
    std::string previousDir;
};

// The test clock: time stands still until a test sets it, except that a caller that keeps
// reading it (a wait for the next millisecond) sees it advance by 1 ms every 64 reads.
class TestClock {
public:
    static void Set(Uint32 ms);
    static void Advance(Uint32 ms);
    static Uint32 Read();
    static unsigned reads;

private:
    static Uint32 now;
    static unsigned sinceSet;
};

// Queues a key press (and optionally its release) as SDL events.
void PressKey(SDLKey key);
void ReleaseKey(SDLKey key);
// Queues a window close.
void PushQuit();
// Marks a key as held (or not) in the array that SDL_GetKeyState returns.
void HoldKey(SDLKey key, bool held = true);
// Releases every key in SDL's keyboard state.
void ReleaseAllKeys();

// Writes the settings file from the level and display-mode byte, padded with zeros.
void WriteSettings(int level, int fullHd);
// Writes raw bytes to a file (creating its folders).
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
// The whole content of a file; empty when it cannot be read.
std::vector<unsigned char> ReadBytes(const std::string& path);
bool FileExists(const std::string& path);
// Makes every folder on the way to path.
void MakeParents(const std::string& path);

// Writes a bitmap of one colour (32 bits per pixel surface, saved by SDL).
void WriteBitmap(const std::string& path, int w, int h, Uint8 r, Uint8 g, Uint8 b);
// Writes a bitmap whose pixel colours come from a function of (x, y) as 0xRRGGBB.
void WriteBitmap(const std::string& path, int w, int h, Uint32 (*colour)(int x, int y));
// Writes every picture of both art trees at its true size, in plain colours.
void WriteAllArt();

// Opens the screen of a display mode (1 = 1920x1080, else 1280x720) with the dummy driver.
SDL_Surface* OpenScreen(int fullHd);
// The pixel at (x, y) of a 32-bit surface as 0xRRGGBB.
Uint32 PixelAt(SDL_Surface* surface, int x, int y);

#endif
