#include "TestSupport.h"

#include <SDL_ttf.h>
#include <algorithm>
#include <cstdlib>

#include "app/Current.h"
#include "gfx/Image.h"
#include "match/Ball.h"
#include "match/Game.h"
#include "match/Paddle.h"
#include "match/Scoreboard.h"
#include "match/Timer.h"

namespace {

const char* const FontSource = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
const Uint32 FieldColour = 0x145014; // the plain background of WriteAllArt

class GameTest : public ZorvatTest {
protected:
    // A match of the state the state manager would have in place; the manager owns it.
    CGame* Start(StateId id) {
        current* manager = current::GetInstance();
        delete manager->state;
        manager->stateID = id;
        manager->nextState = StateNone;
        CGame* game = new CGame(id == StateMultiPlayer ? "Multi" : "Single");
        manager->state = game;
        return game;
    }

    // Puts the ball where the next frame, ms long, starts from.
    void Place(CGame* game, float x, float y, float vx, float vy) {
        game->ball->x = x;
        game->ball->y = y;
        game->ball->vx = vx;
        game->ball->vy = vy;
        TestClock::Advance(0);
        game->ball->timer->Tick();
    }

    void Frame(CGame* game, Uint32 ms = 16) {
        TestClock::Advance(ms);
        game->HandleEvents();
        game->Update();
    }
};

TEST_F(GameTest, ModeOtherThanMultiIsAgainstTheComputer) {
    const struct {
        const char* mode;
        bool single;
    } cases[] = {{"Multi", false}, {"multi", true}, {"Single", true}, {"", true}};
    for (const auto& c : cases) {
        CGame game(c.mode);
        EXPECT_EQ(game.leftPaddle->singlePlayer, c.single) << c.mode;
        EXPECT_EQ(game.rightPaddle->singlePlayer, c.single) << c.mode;
        EXPECT_EQ(game.rightPaddle->player, 2);
        EXPECT_TRUE(game.ball->active);
        EXPECT_EQ(game.leftScore + game.rightScore, 0);
    }
}

TEST_F(GameTest, PointsAreCountedAndRaiseTheSpeedFloor) {
    CGame* game = Start(StateMultiPlayer);
    Place(game, 1904, 100, 400, 0);
    Frame(game);
    EXPECT_EQ(game->leftScore, 1);
    EXPECT_EQ(game->ball->x, 953);
    EXPECT_EQ(game->ball->y, 533);
    Place(game, 1, 100, -400, 0);
    Frame(game);
    EXPECT_EQ(game->rightScore, 1);

    const int floors[][3] = {{2, 400, 400}, {3, 400, 450}, {5, 470, 470}, {6, 460, 500},
                             {9, 400, 550}, {9, 520, 550}, {9, 600, 600}};
    for (const auto& f : floors) {
        game->leftScore = f[0];
        game->rightScore = 0;
        game->ball->speed = f[1];
        Place(game, 900, 500, 300, 0);
        Frame(game, 0);
        EXPECT_EQ(game->ball->speed, f[2]) << "total " << f[0] << " speed " << f[1];
    }
}

TEST_F(GameTest, EndsAtTenWithTheResultOfModeAndWinner) {
    WriteAllArt();
    SDL_Surface* screen = OpenScreen(0);
    const struct {
        StateId id;
        bool leftWins;
        const char* picture;
        Uint32 colour;
        SDLKey leftDown;
    } cases[] = {{StateSinglePlayer, true, "Won.bmp", 0x00C800, SDLK_DOWN},
                 {StateSinglePlayer, false, "Lost.bmp", 0xC80000, SDLK_DOWN},
                 {StateMultiPlayer, true, "Won1.bmp", 0x009600, SDLK_s},
                 {StateMultiPlayer, false, "Won2.bmp", 0x006400, SDLK_s}};
    for (const auto& c : cases) {
        CGame* game = Start(c.id);
        (c.leftWins ? game->leftScore : game->rightScore) = 9;
        (c.leftWins ? game->rightScore : game->leftScore) = 7;
        Place(game, c.leftWins ? 1904 : 1, 100, c.leftWins ? 400 : -400, 0);
        PressKey(SDLK_RETURN); // during play it does nothing
        Frame(game);
        EXPECT_EQ(c.leftWins ? game->leftScore : game->rightScore, 10);
        EXPECT_TRUE(game->matchOver);
        EXPECT_FALSE(game->ball->active);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 5, 5), c.colour) << c.picture;

        // Over: the ball stands and the score stays, but the paddles still answer.
        HoldKey(c.leftDown);
        float ballX = game->ball->x, paddleY = game->leftPaddle->y;
        Frame(game);
        ReleaseAllKeys();
        EXPECT_EQ(game->ball->x, ballX);
        EXPECT_EQ(game->leftScore + game->rightScore, 17);
        EXPECT_GT(game->leftPaddle->y, paddleY); // the serve's wait may lengthen the step
        EXPECT_EQ(game->leftPaddle->frame, 2);

        // The picture is read afresh every frame it shows.
        WriteBitmap(std::string("Data/Skaliert/Game/") + c.picture, 400, 133, 255, 255, 255);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 5, 5), 0xFFFFFFu) << c.picture;

        // RETURN plays again from 0 : 0 in the same frame, with the same ball and no new serve.
        CBall* ball = game->ball;
        float vx = ball->vx;
        PressKey(SDLK_RETURN);
        Frame(game);
        EXPECT_EQ(game->leftScore + game->rightScore, 0);
        EXPECT_FALSE(game->matchOver);
        EXPECT_TRUE(ball->active);
        EXPECT_EQ(game->ball, ball);
        EXPECT_EQ(ball->vx, vx);
        Frame(game);
        EXPECT_NEAR(ball->x, ballX + 0.016 * vx, 0.01);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 5, 5), FieldColour);
    }
}

TEST_F(GameTest, EscapeLeavesForTheMenuAndWindowCloseEnds) {
    const struct {
        bool escape, quit, escapeAgain;
        int expected;
    } cases[] = {{true, false, false, StateMainMenu},
                 {false, true, false, StateExit},
                 {true, true, false, StateExit},
                 {false, true, true, StateExit}};
    for (const auto& c : cases) {
        CGame* game = Start(StateSinglePlayer);
        if (c.escape) {
            PressKey(SDLK_ESCAPE);
        }
        if (c.quit) {
            PushQuit();
        }
        if (c.escapeAgain) {
            PressKey(SDLK_ESCAPE);
        }
        game->HandleEvents();
        EXPECT_EQ(current::GetInstance()->nextState, c.expected);
    }
}

TEST_F(GameTest, ScoresAreDrawnInTheirColourFromTheirCorners) {
    WriteAllArt();
    if (!FileExists(FontSource)) {
        GTEST_SKIP() << "no DejaVu Sans Mono";
    }
    WriteBytes("Data/DejaVuSansMono.ttf", ReadBytes(FontSource));
    const struct {
        int fullHd, left, right, top, minHeight, maxHeight;
    } modes[] = {{0, 300, 941, 13, 20, 40}, {1, 450, 1412, 20, 35, 60}};
    for (const auto& m : modes) {
        WriteSettings(2, m.fullHd);
        SDL_Surface* screen = OpenScreen(m.fullHd);
        int engine = TTF_WasInit();
        {
            CGame* game = Start(StateSinglePlayer);
            EXPECT_EQ(TTF_WasInit(), engine + 1);
            game->Render(screen);
        }
        // Bounding boxes of the score colour in each half of the top band.
        int minX[2] = {screen->w, screen->w}, maxX[2] = {-1, -1}, minY = screen->h, maxY = -1;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < screen->w; ++x) {
                Uint32 p = PixelAt(screen, x, y);
                if (std::abs(static_cast<int>(p >> 16) - 13) > 2 ||
                    std::abs(static_cast<int>((p >> 8) & 0xFF) - 16) > 2 ||
                    std::abs(static_cast<int>(p & 0xFF) - 121) > 2) {
                    continue;
                }
                int half = x < screen->w / 2 ? 0 : 1;
                minX[half] = std::min(minX[half], x);
                maxX[half] = std::max(maxX[half], x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
        EXPECT_GE(minX[0], m.left);
        EXPECT_LT(minX[0], m.left + 15);
        EXPECT_EQ(minX[1] - minX[0], m.right - m.left); // both read "0"
        EXPECT_GE(minY, m.top);
        EXPECT_GE(maxY - minY, m.minHeight);
        EXPECT_LE(maxY - minY, m.maxHeight);

        // Each match holds the font engine once and gives it back.
        current* manager = current::GetInstance();
        delete manager->state;
        manager->state = nullptr;
        EXPECT_EQ(TTF_WasInit(), engine);
    }
}

TEST_F(GameTest, MissingArtAndFontDrawNothingAndCrashNothing) {
    SDL_Surface* screen = OpenScreen(0);
    SDL_FillRect(screen, nullptr, 0);
    const StateId ids[] = {StateSinglePlayer, StateMultiPlayer};
    for (StateId id : ids) {
        CGame* game = Start(id);
        HoldKey(SDLK_UP);
        game->leftScore = 9;
        Place(game, 1904, 100, 400, 0);
        for (int i = 0; i < 3; ++i) {
            Frame(game);
            game->Render(screen);
        }
        ReleaseAllKeys();
        EXPECT_TRUE(game->matchOver);
        EXPECT_EQ(game->scoreboard->font, nullptr);
        EXPECT_EQ(game->scoreboard->leftText, nullptr);
        EXPECT_EQ(game->scoreboard->result->surface, nullptr);
    }
    for (int y = 0; y < screen->h; y += 7) {
        for (int x = 0; x < screen->w; x += 7) {
            ASSERT_EQ(PixelAt(screen, x, y), 0u) << x << "," << y;
        }
    }
}

} // namespace
