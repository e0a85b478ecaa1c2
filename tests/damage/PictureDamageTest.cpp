// Damaged pictures given to CImage the way the game uses them, and damaged result pictures at
// the end of a match, which the real binary reaches only after a whole match.
#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/Current.h"
#include "gfx/Image.h"
#include "match/Game.h"

namespace fs = std::filesystem;

namespace {

// Every damaged bitmap: the hand-made ones written by bitmaps.py and the kept fuzz finds.
std::vector<fs::path> DamagedBitmaps() {
    std::vector<fs::path> files;
    for (const char* dir : {ZORVAT_DAMAGE_BITMAPS, ZORVAT_DAMAGE_CASES}) {
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.path().extension() == ".bmp") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A sound 32-bit bitmap written byte by byte, so that single header fields can be spoilt.
std::vector<unsigned char> Bitmap(int width, int height, int bitsPerPixel = 32) {
    const int row = (width * bitsPerPixel + 31) / 32 * 4;
    const int palette = bitsPerPixel <= 8 ? 4 << bitsPerPixel : 0;
    const int offset = 54 + palette;
    std::vector<unsigned char> bytes(offset + row * std::abs(height), 0);
    auto put = [&bytes](int at, long long value, int count) {
        for (int i = 0; i < count; ++i) {
            bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
        }
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, static_cast<long long>(bytes.size()), 4);
    put(10, offset, 4);
    put(14, 40, 4);
    put(18, width, 4);
    put(22, height, 4);
    put(26, 1, 2);
    put(28, bitsPerPixel, 2);
    for (int i = 0; i < palette / 4; ++i) {
        put(54 + 4 * i, 0x010101 * (i * 255 / std::max(1, palette / 4 - 1)), 4);
    }
    return bytes;
}

class PictureDamageTest : public ZorvatTest {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        screen = OpenScreen(1);
        ASSERT_NE(screen, nullptr);
        ASSERT_EQ(screen->format->BitsPerPixel, 32);
    }

    // Loads a file as the game's owners do, keys it and draws it at and past every edge.
    bool LoadAndDraw(const std::string& path, int fullHd, int frames, int frameWidth,
                     int frameHeight) {
        WriteSettings(2, fullHd);
        CImage image;
        if (frames == 0) {
            image.Load(path, path);
        } else {
            image.LoadSheet(path, path, frames, frameWidth, frameHeight);
        }
        image.SetMagentaKey();
        const float places[][2] = {{0, 0}, {-60, -60}, {1900, 1060}, {-4000, 4000}};
        for (const auto& place : places) {
            image.SetPosition(place[0], place[1]);
            image.Draw(screen);
            for (int frame = 0; frame <= frames; ++frame) {
                image.SetPosition(place[0], place[1]);
                image.DrawFrame(screen, static_cast<float>(frame));
            }
        }
        return image.surface != nullptr;
    }

    SDL_Surface* screen = nullptr;
};

TEST_F(PictureDamageTest, DamagedBitmapsAreDrawnOrRefusedInEveryUseAndMode) {
    const std::vector<fs::path> files = DamagedBitmaps();
    ASSERT_GT(files.size(), 30u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        for (int fullHd : {0, 1}) {
            LoadAndDraw(file, fullHd, 0, 0, 0);
            LoadAndDraw(file, fullHd, 5, 520, 500);
            LoadAndDraw(file, fullHd, 3, 50, 190);
            LoadAndDraw(file, fullHd, 3, 2, 2);
        }
    }
}

TEST_F(PictureDamageTest, HeadersThatMisleadTheLoaderAreRefusedBeforeItReads) {
    // Found by fuzzing: rows times height overflows SDL's int, and the sanitizer build aborted.
    EXPECT_FALSE(LoadAndDraw(ZORVAT_DAMAGE_CASES "/fuzz-buffer-size-overflow.fuzz", 0, 0, 0, 0));
    // Found by fuzzing: a 33-byte file whose pixels start at 0; SDL read the rest of its
    // 40-byte header from past the end (valgrind: uninitialised values steer the loader).
    EXPECT_FALSE(LoadAndDraw(ZORVAT_DAMAGE_CASES "/fuzz-header-past-end.fuzz", 0, 0, 0, 0));

    // A header that claims far more rows than the file holds is refused before SDL allocates.
    std::vector<unsigned char> tall = Bitmap(16, 4);
    tall[22] = 0x01;
    tall[25] = 0x40; // 0x40000001 rows
    WriteBytes("tall.bmp", tall);
    EXPECT_FALSE(LoadAndDraw("tall.bmp", 0, 0, 0, 0));

    std::vector<unsigned char> wide = Bitmap(16384, 1);
    WriteBytes("wide.bmp", wide);
    EXPECT_FALSE(LoadAndDraw("wide.bmp", 1, 0, 0, 0));
}

TEST_F(PictureDamageTest, SoundBitmapsOfEveryLayoutStillLoad) {
    // The checks must not cost the game a picture that SDL can draw.
    for (int depth : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(depth);
        WriteBytes("depth.bmp", Bitmap(9, 5, depth));
        EXPECT_TRUE(LoadAndDraw("depth.bmp", 0, 0, 0, 0));
    }
    WriteBytes("top-down.bmp", Bitmap(7, -3));
    EXPECT_TRUE(LoadAndDraw("top-down.bmp", 1, 0, 0, 0));
    WriteBytes("widest.bmp", Bitmap(16383, 1));
    EXPECT_TRUE(LoadAndDraw("widest.bmp", 1, 0, 0, 0));

    int pictures = 0;
    for (const auto& entry : fs::recursive_directory_iterator(ZORVAT_DATA_DIR)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() == ".bmp" && (path.find("/Original/") != std::string::npos ||
                                                   path.find("/Skaliert/") != std::string::npos)) {
            SCOPED_TRACE(path);
            EXPECT_TRUE(LoadAndDraw(path, 0, 0, 0, 0));
            ++pictures;
        }
    }
    EXPECT_EQ(pictures, 32);
}

// The result pictures of a match at 10 points, each in turn damaged in every way, in both
// modes of both kinds of match: the match goes on drawing and RETURN still starts again.
class ResultPictureDamageTest : public ZorvatTest {
protected:
    void SetUp() override {
        ZorvatTest::SetUp();
        // Links to the built art, so that one picture at a time can be replaced.
        for (const auto& entry : fs::recursive_directory_iterator(ZORVAT_DATA_DIR)) {
            fs::path target = fs::path("Data") / fs::relative(entry.path(), ZORVAT_DATA_DIR);
            if (entry.is_directory()) {
                fs::create_directories(target);
            } else {
                fs::create_directories(target.parent_path());
                fs::create_symlink(entry.path(), target);
            }
        }
    }

    // Ends a match of each mode with the given side at 10 points; while the result shows, the
    // scoreboard reads its picture again every frame, so each damage in turn is written
    // between frames. The match then starts again on RETURN.
    void DamageInTurn(const char* name, StateId id, bool leftWins) {
        std::vector<std::pair<std::string, std::vector<unsigned char>>> damages = {
            {"missing", {}}, {"empty", {}}, {"1x1", Bitmap(1, 1)}, {"narrow", Bitmap(3, 2000, 8)}};
        for (const fs::path& file : DamagedBitmaps()) {
            damages.push_back({file.filename().string(), ReadBytes(file.string())});
        }
        for (int fullHd : {0, 1}) {
            const std::string path =
                std::string("Data/") + (fullHd ? "Original" : "Skaliert") + "/Game/" + name;
            const std::vector<unsigned char> original = ReadBytes(path);
            damages.push_back(
                {"half", std::vector<unsigned char>(original.begin(),
                                                    original.begin() + original.size() / 2)});

            WriteSettings(2, fullHd);
            SDL_Surface* screen = OpenScreen(fullHd);
            ASSERT_NE(screen, nullptr);
            current* manager = current::GetInstance();
            delete manager->state;
            manager->stateID = id;
            CGame* game = new CGame(id == StateMultiPlayer ? "Multi" : "Single");
            manager->state = game;
            (leftWins ? game->leftScore : game->rightScore) = 10;
            for (const auto& damage : damages) {
                SCOPED_TRACE(path + " " + damage.first);
                fs::remove(path);
                if (damage.first != "missing") {
                    WriteBytes(path, damage.second);
                }
                for (int frame = 0; frame < 2; ++frame) {
                    game->Update();
                    game->Render(screen);
                }
                EXPECT_TRUE(game->matchOver);
            }
            PressKey(SDLK_RETURN);
            game->HandleEvents();
            game->Update();
            game->Render(screen);
            EXPECT_FALSE(game->matchOver);
            EXPECT_EQ(game->leftScore + game->rightScore, 0);
            damages.pop_back();
        }
    }
};

TEST_F(ResultPictureDamageTest, DamagedWonPictureOfASinglePlayerMatch) {
    DamageInTurn("Won.bmp", StateSinglePlayer, true);
}

TEST_F(ResultPictureDamageTest, DamagedLostPictureOfASinglePlayerMatch) {
    DamageInTurn("Lost.bmp", StateSinglePlayer, false);
}

TEST_F(ResultPictureDamageTest, DamagedWon1PictureOfATwoPlayerMatch) {
    DamageInTurn("Won1.bmp", StateMultiPlayer, true);
}

TEST_F(ResultPictureDamageTest, DamagedWon2PictureOfATwoPlayerMatch) {
    DamageInTurn("Won2.bmp", StateMultiPlayer, false);
}

} // namespace
