#include "TestSupport.h"

#include "gfx/Image.h"
#include "match/Ball.h"
#include "match/Game.h"
#include "match/Paddle.h"
#include "match/Timer.h"

namespace {

class GameTest : public ZorvatTest {
protected:
    // A match of the state the state manager would have in place.
    CGame* Start(StateId id) {
        return Install<CGame>(id, id == StateMultiPlayer ? "Multi" : "Single");
    }

    // Puts the ball where the next frame starts from.
    void Place(CGame* game, float x, float y, float vx, float vy) {
        game->ball->x = x;
        game->ball->y = y;
        game->ball->vx = vx;
        game->ball->vy = vy;
        game->ball->timer->Tick();
    }

    void Frame(CGame* game, Uint32 ms = 16) {
        TestClock::Advance(ms);
        game->HandleEvents();
        game->Update();
    }
};

TEST_F(GameTest, ModeOtherThanMultiIsAgainstTheComputer) {
    for (const char* mode : {"Multi", "multi", "Single", ""}) {
        CGame game(mode);
        EXPECT_EQ(game.rightPaddle->singlePlayer, std::string(mode) != "Multi") << mode;
    }
}

TEST_F(GameTest, PointsAreCountedAndRaiseTheSpeedFloor) {
    CGame* game = Start(StateMultiPlayer);
    Place(game, 1904, 100, 400, 0);
    Frame(game);
    EXPECT_EQ(game->leftScore, 1);
    Place(game, 1, 100, -400, 0);
    Frame(game);
    EXPECT_EQ(game->rightScore, 1);

    // Points scored, speed before the frame, speed after it.
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

TEST_F(GameTest, EndsAtTenWithTheResultOfModeAndWinnerAndReturnPlaysAgain) {
    const Uint32 field = 0x145014;
    WriteBitmap("Data/Skaliert/Game/Background.bmp", 1280, 720, field);
    const struct {
        StateId id;
        bool leftWins;
        const char* picture;
        Uint32 colour;
        SDLKey leftDown;
    } cases[] = {{StateSinglePlayer, true, "Won", 0x00C800, SDLK_DOWN},
                 {StateSinglePlayer, false, "Lost", 0xC80000, SDLK_DOWN},
                 {StateMultiPlayer, true, "Won1", 0x009600, SDLK_s},
                 {StateMultiPlayer, false, "Won2", 0x006400, SDLK_s}};
    for (const auto& c : cases) {
        WriteBitmap(std::string("Data/Skaliert/Game/") + c.picture + ".bmp", 400, 133, c.colour);
    }
    SDL_Surface* screen = OpenScreen(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        CGame* game = Start(c.id);
        int& winner = c.leftWins ? game->leftScore : game->rightScore;
        winner = 9;
        (c.leftWins ? game->rightScore : game->leftScore) = 7;
        Place(game, c.leftWins ? 1904 : 1, 100, c.leftWins ? 400 : -400, 0);
        PressKey(SDLK_RETURN); // during play it does nothing
        Frame(game);
        EXPECT_EQ(winner, 10);
        EXPECT_FALSE(game->ball->active);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 5, 5), c.colour);

        // Over: the ball stands and the score stays, but the paddles still answer.
        HoldKey(c.leftDown);
        float ballX = game->ball->x, paddleY = game->leftPaddle->y;
        Frame(game);
        ReleaseAllKeys();
        EXPECT_EQ(game->ball->x, ballX);
        EXPECT_EQ(game->leftScore + game->rightScore, 17);
        EXPECT_GT(game->leftPaddle->y, paddleY); // the serve's wait may lengthen the step

        // The picture is read afresh every frame it shows.
        WriteBitmap(std::string("Data/Skaliert/Game/") + c.picture + ".bmp", 400, 133, 0xFFFFFF);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 5, 5), 0xFFFFFFu);

        // RETURN plays again from 0 : 0 in the same frame, with the same ball and no new serve;
        // the ball goes on from where it stood.
        float vx = game->ball->vx;
        PressKey(SDLK_RETURN);
        Frame(game);
        EXPECT_EQ(game->leftScore + game->rightScore, 0);
        EXPECT_TRUE(game->ball->active);
        EXPECT_EQ(game->ball->vx, vx);
        Frame(game);
        EXPECT_NEAR(game->ball->x, ballX + 0.016 * vx, 0.01);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 5, 5), field);
    }
}

TEST_F(GameTest, EscapeLeavesForTheMenuAndWindowCloseEnds) {
    const struct {
        std::vector<SDLKey> keys;
        int expected;
    } cases[] = {{{SDLK_ESCAPE}, StateMainMenu}, {{SDLK_ESCAPE, WindowClose}, StateExit}};
    for (const auto& c : cases) {
        CGame* game = Start(StateSinglePlayer);
        PressKeys(c.keys);
        game->HandleEvents();
        EXPECT_EQ(current::GetInstance()->nextState, c.expected);
    }
}

} // namespace
