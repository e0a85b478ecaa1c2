#include "TestSupport.h"

#include <cmath>
#include <limits>

#include "match/Ball.h"
#include "match/ComputerPlayer.h"
#include "match/Game.h"
#include "match/Paddle.h"
#include "match/Scoreboard.h"
#include "match/Timer.h"

namespace {

using MatchTest = ZorvatTest;

TEST_F(MatchTest, TheBallServesFromTheCentreAtFourHundredWithinSixtyDegreesEveryWay) {
    CBall ball;
    int rightwards = 0, downwards = 0, serves = 0;
    for (Uint32 t = 0; t < 3000; t += 7, ++serves) {
        TestClock::Set(t);
        ball.speed = 900;
        ball.Serve();
        EXPECT_TRUE(ball.x == 953 && ball.y == 533 && ball.speed == 400 && ball.lastSpeedUp == t);
        EXPECT_NEAR(std::hypot(ball.vx, ball.vy), 400, 0.001);
        EXPECT_LE(std::abs(static_cast<int>(ball.vy)), 1.73 * std::abs(static_cast<int>(ball.vx)));
        rightwards += ball.vx > 0;
        downwards += ball.vy > 0;
    }
    EXPECT_GT(std::min(rightwards, downwards), serves / 4);
    EXPECT_LT(std::max(rightwards, downwards), serves * 3 / 4);
}

TEST_F(MatchTest, TheBallTurnsAtWallsAndPaddlesTakesSpinAndScores) {
    // x, y, vx, vy, both paddles' frame; vx and vy after, or the point (1 left's, 2 right's).
    // Both paddles at y 400 return the ball from y 433 to 547. The right paddle's frame 0
    // moves it down, the left's frame 2; a paddle moving with the ball steepens its path by
    // 100, against it flattens it (a ball falling at 0.5 turns over), keeping the speed of
    // 400 where it can: not for a ball steep already, nor when vy leaves no room for vx.
    // clang-format off
    const float cases[][8] = {
        // the walls
        {500, 1065, 300, 50, 1, 300, -50},         {500, 1064, 300, 50, 1, 300, 50},
        {500, 1070, 300, -50, 1, 300, -50},        {500, 0, 300, -50, 1, 300, 50},
        {500, 1, 300, -50, 1, 300, -50},           {500, -5, 300, 50, 1, 300, 50},
        // the paddles' bands, and the out lines
        {1825, 433, 300, 0, 1, -300, 0},           {1840, 547, 300, 0, 1, -300, 0},
        {1841, 433, 300, 0, 1, 300, 0},            {1824, 433, 300, 0, 1, 300, 0},
        {1830, 432, 300, 0, 1, 300, 0},            {1830, 548, 300, 0, 1, 300, 0},
        {65, 433, -300, 0, 1, 300, 0},             {80, 547, -300, 0, 1, 300, 0},
        {81, 433, -300, 0, 1, -300, 0},            {64, 433, -300, 0, 1, -300, 0},
        {70, 548, -300, 0, 1, -300, 0},            {1905, 433, -300, 0, 1, -300, 0},
        {0, 433, 300, 0, 1, 300, 0},               {1905, 433, 300, 0, 1, 0, 0, 1},
        {0, 433, -300, 0, 1, 0, 0, 2},
        // spin
        {1830, 500, 300, 150, 1, -300, 150},       {1830, 500, 300, 150, 0, -312.25f, 250},
        {1830, 500, 300, -150, 0, -396.86f, -50},  {1830, 500, 300, -150, 2, -312.25f, -250},
        {1830, 500, 300, 30, 2, -393.83f, -70},    {1830, 500, 300, 0.5f, 2, -387.43f, -99.5f},
        {70, 500, -300, 150, 2, 312.25f, 250},     {70, 500, -300, 150, 0, 396.86f, 50},
        {1830, 500, 100, 250, 0, -100, 250},       {1830, 500, 100, 249, 0, -195.45f, 349},
        {1830, 500, 160, 380, 0, -160, 480},       {1830, 500, 0.01f, 0.05f, 0, -387.29f, 100.05f},
        {1830, 500, 130, 300, 0, -130, 400},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c[0] << ", " << c[1] << " at " << c[2] << ", " << c[3]
                                          << " frame " << c[4]);
        TestClock::Set(100000);
        CBall ball;
        TestClock::Set(100000); // the serve may have waited for the clock; no time passes
        ball.active = true;
        ball.x = c[0], ball.y = c[1], ball.vx = c[2], ball.vy = c[3];
        ball.timer->Tick();
        const int result = ball.Move(400, 400, int(c[4]), int(c[4]));
        EXPECT_EQ(result, int(c[7]));
        EXPECT_NEAR(result ? ball.x : ball.vx, result ? 953 : c[5], 0.01);
        EXPECT_NEAR(result ? ball.y : ball.vy, result ? 533 : c[6], 0.01);
    }
}

TEST_F(MatchTest, TheBallMovesByItsVelocityAndSpeedsUpEveryFifteenSeconds) {
    TestClock::Set(1000);
    CBall ball;
    ball.active = true;
    ball.x = 500, ball.y = 500, ball.vx = 240, ball.vy = -320;
    for (const Uint32 t : {15999, 16000, 30999, 31000}) {
        TestClock::Set(t - 16);
        ball.timer->Tick();
        TestClock::Set(t);
        const float x = ball.x, y = ball.y, speed = t < 16000 ? 400 : t < 31000 ? 500 : 600;
        ball.Move(0, 0, 1, 1);
        EXPECT_EQ(ball.speed, speed) << t;
        EXPECT_NEAR(std::hypot(ball.vx, ball.vy), speed, 0.01) << t;
        EXPECT_NEAR(ball.vx * 4 / 3 + ball.vy, 0, 0.01) << t; // the same direction
        EXPECT_NEAR(ball.vx * 0.016f, ball.x - x, 0.01) << t; // moved at the new speed
        EXPECT_NEAR(ball.vy * 0.016f, ball.y - y, 0.01) << t;
    }
}

TEST_F(MatchTest, PaddlesMoveByKeysOrByTheComputerUpToTheirLimits) {
    // Held keys move the paddles 4 a frame, each with its moving frames, up to the limits. The
    // computer, by level: following the ball it keeps it 52 to 62 below its top edge, aiming
    // at a prediction 93 to 98; it predicts a ball coming towards it from x 1300 at level 2,
    // 1000 at level 3, never at level 1.
    // clang-format off
    const float cases[][9] = {
        // for two?, player, held key or computer level, ball x, vx, y; paddle y; step, frame
        {1, 1, SDLK_s, 0, 0, 0, 500, 4, 2},          {1, 1, SDLK_w, 0, 0, 0, 500, -4, 0},
        {1, 1, SDLK_DOWN, 0, 0, 0, 500, 0, 1},       {1, 2, SDLK_DOWN, 0, 0, 0, 500, 4, 0},
        {1, 2, SDLK_UP, 0, 0, 0, 500, -4, 2},        {1, 2, SDLK_s, 0, 0, 0, 500, 0, 1},
        {0, 1, SDLK_DOWN, 0, 0, 0, 500, 4, 2},       {0, 1, SDLK_UP, 0, 0, 0, 500, -4, 0},
        {0, 1, SDLK_s, 0, 0, 0, 500, 0, 1},          {0, 1, SDLK_w, 0, 0, 0, 500, 0, 1},
        {1, 1, SDLK_s, 0, 0, 0, 929.9f, 4, 2},       {1, 1, SDLK_s, 0, 0, 0, 930, 0, 1},
        {1, 2, SDLK_UP, 0, 0, 0, -34.9f, -4, 2},     {1, 2, SDLK_UP, 0, 0, 0, -35, 0, 1},
        {0, 2, 1, 1830, 400, 552, 500, 0, 1},        {0, 2, 1, 1830, 400, 562, 500, 0, 1},
        {0, 2, 1, 1830, 400, 562.5f, 500, 4, 0},     {0, 2, 1, 1830, 400, 551.5f, 500, -4, 2},
        {0, 2, 3, 1830, 400, 593, 500, 0, 1},        {0, 2, 3, 1830, 400, 598, 500, 0, 1},
        {0, 2, 3, 1830, 400, 598.5f, 500, 4, 0},     {0, 2, 3, 1830, 400, 592.5f, 500, -4, 2},
        {0, 2, 1, 1830, 400, 1060, 929.9f, 4, 0},    {0, 2, 1, 1830, 400, 1060, 930, 0, 1},
        {0, 2, 1, 1830, 400, 0, -34.9f, -4, 2},      {0, 2, 1, 1830, 400, 0, -35, 0, 1},
        {0, 2, 2, 1299.9f, 400, 560, 500, 0, 1},     {0, 2, 2, 1300, 400, 560, 500, -4, 2},
        {0, 2, 3, 999.9f, 400, 560, 500, 0, 1},      {0, 2, 3, 1000, 400, 560, 500, -4, 2},
        {0, 2, 3, 1500, -400, 560, 500, 0, 1},
    };
    // clang-format on
    CBall ball;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c[0] << " " << c[1] << ": " << c[2] << ", ball "
                                          << c[3] << " " << c[5] << ", paddle " << c[6]);
        const bool computer = !c[0] && c[1] == 2;
        WriteSettings(computer ? int(c[2]) : 2, 0);
        ReleaseAllKeys();
        if (!computer) {
            HoldKey(static_cast<SDLKey>(c[2]));
        }
        CPaddle paddle(int(c[1]), c[0] ? "Multi" : "Single");
        ball.x = c[3], ball.vx = c[4], ball.y = c[5], ball.vy = 0;
        paddle.y = c[6];
        TestClock::Advance(16);
        paddle.Move(ball);
        EXPECT_NEAR(paddle.y, c[6] + c[7], 0.001);
        EXPECT_EQ(paddle.frame, c[8]);
    }
}

TEST_F(MatchTest, TheComputerPredictsThroughTheWallsOnlyBallsThatArrive) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // x, y, vx, vy; the y at which the ball reaches the hit band, -1 for never. At y 0.5 a
    // ball is still inside the field.
    // clang-format off
    const float cases[][5] = {
        {1700, 1050, 600, 600, 960},   {1700, 1070, 600, -300, 1065}, {1000, 500, 400, -300, 120},
        {1625, 10.5f, 600, -60, 8.5f}, {1830, 77, -400, 5, 77},       {1000, 500, 0, 100, -1},
        {1000, 500, -400, 100, -1},    {1000, 500, nan, 100, -1},     {1000, 500, inf, 100, -1},
        {1000, 500, 400, nan, -1},     {nan, 500, 400, 100, -1},      {1000, 500, 1e-6f, 100, -1},
    };
    // clang-format on
    CComputerPlayer computer;
    for (const auto& c : cases) {
        EXPECT_NEAR(computer.PredictY(c[0], c[1], c[2], c[3]), c[4], 0.01) << c[0] << " " << c[1];
    }
}

void Frame(CGame* game, Uint32 ms = 16) {
    TestClock::Advance(ms);
    game->HandleEvents();
    game->Update();
}

TEST_F(MatchTest, TheSpeedFloorRisesWithTheTotalScore) {
    CGame* game = Install<CGame>(StateMultiPlayer, "Multi");
    // Points scored, speed before the frame, speed after it.
    const int floors[][3] = {{2, 400, 400}, {3, 400, 450}, {5, 470, 470}, {6, 460, 500},
                             {9, 400, 550}, {9, 520, 550}, {9, 600, 600}};
    for (const auto& f : floors) {
        game->leftScore = f[0], game->rightScore = 0, game->ball->speed = f[1];
        game->ball->x = 900;
        Frame(game, 0);
        EXPECT_EQ(game->ball->speed, f[2]) << "total " << f[0] << " speed " << f[1];
    }
}

// Counts the pixels of a score text drawn at (x, y) on black that are not where they belong:
// ink where the text is solid, none where it is clear.
int Misplaced(SDL_Surface* screen, SDL_Surface* text, int x, int y) {
    int wrong = text ? 0 : -1;
    for (int i = 0; text && i < text->w * text->h; ++i) {
        const Uint8 a =
            static_cast<Uint32*>(text->pixels)[i / text->w * text->pitch / 4 + i % text->w] >>
            text->format->Ashift;
        wrong += (a == 0 || a > 127) &&
                 (PixelAt(screen, x + i % text->w, y + i / text->w) != 0) != (a > 0);
    }
    return wrong;
}

// Each kind of match in each display mode: drawn in place, over at 10 with the picture of its
// kind and winner, on again after RETURN, left by ESC or the window's close.
TEST_F(MatchTest, AMatchDrawsInPlaceEndsAtTenWithItsPictureAndPlaysOnAfterReturn) {
    WriteBytes("Data/DejaVuSansMono.ttf", ReadBytes(ZORVAT_FONT));
    const struct {
        int fullHd;
        StateId id;
        bool leftWins;
        const char* picture;
        SDLKey leftDown, leave;
        int next;
    } cases[] = {{1, StateSinglePlayer, true, "Won", SDLK_DOWN, SDLK_ESCAPE, StateMainMenu},
                 {0, StateSinglePlayer, false, "Lost", SDLK_DOWN, WindowClose, StateExit},
                 {0, StateMultiPlayer, true, "Won1", SDLK_s, SDLK_ESCAPE, StateMainMenu},
                 {1, StateMultiPlayer, false, "Won2", SDLK_s, WindowClose, StateExit}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        const std::string tree = c.fullHd ? "Data/Original/Game/" : "Data/Skaliert/Game/";
        const float scale = c.fullHd ? 1 : 0.667f;
        WriteBitmap(tree + "Background.bmp", 64, 64, 0x145014);
        WriteBitmap(tree + "Paddel1.bmp", int(150 * scale), int(190 * scale), 0x00FF00);
        WriteBitmap(tree + "Paddel2.bmp", int(150 * scale), int(190 * scale), 0x0000FF);
        WriteBitmap(tree + "Ball.bmp", 10, 10, 0xFFFF00);
        WriteBitmap(tree + c.picture + ".bmp", 400, 133,
                    [](int x, int) { return x < 10 ? 0xFF00FF : 0xFFFFFF; }); // clear at the left
        WriteSettings(2, c.fullHd);
        SDL_Surface* screen = OpenScreen(c.fullHd);
        CGame* game = Install<CGame>(c.id, c.id == StateMultiPlayer ? "Multi" : "Single");
        EXPECT_EQ(game->rightPaddle->singlePlayer, c.id == StateSinglePlayer);
        int& winner = c.leftWins ? game->leftScore : game->rightScore;
        (c.leftWins ? game->rightScore : game->leftScore) = 7;
        winner = 9;
        game->Render(screen);
        // The paddles' and the served ball's top-left corners, the scores and their font.
        const int at[][3] = {{30, 500, 0x00FF00}, {1840, 500, 0x0000FF}, {953, 533, 0xFFFF00}};
        for (const auto& a : at) {
            const int x = int(a[0] * scale), y = int(a[1] * scale);
            EXPECT_EQ(PixelAt(screen, x, y), Uint32(a[2])) << x << ", " << y;
            EXPECT_EQ(PixelAt(screen, x - 1, y) + PixelAt(screen, x, y - 1), 0u) << x << ", " << y;
        }
        CScoreboard* scores = game->scoreboard;
        EXPECT_EQ(Misplaced(screen, scores->leftText, c.fullHd ? 450 : 300, int(20 * scale)), 0);
        EXPECT_EQ(Misplaced(screen, scores->rightText, c.fullHd ? 1412 : 941, int(20 * scale)), 0);
        TTF_Font* font = TTF_OpenFont("Data/DejaVuSansMono.ttf", c.fullHd ? 60 : 40);
        EXPECT_EQ(TTF_FontHeight(scores->font), TTF_FontHeight(font));
        TTF_CloseFont(font);

        game->ball->x = c.leftWins ? 1904 : 1, game->ball->vx = c.leftWins ? 400 : -400;
        PressKey(SDLK_RETURN); // during play it does nothing
        Frame(game);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 15, 5) + PixelAt(screen, 5, 5), 0xFFFFFFu + 0x145014u);
        // Over: the ball stands and the score stays, but the paddles still answer.
        HoldKey(c.leftDown);
        const float ballX = game->ball->x, paddleY = game->leftPaddle->y, vx = game->ball->vx;
        Frame(game);
        ReleaseAllKeys();
        EXPECT_TRUE(game->ball->x == ballX && winner == 10 && game->leftPaddle->y > paddleY);
        EXPECT_EQ(game->leftScore + game->rightScore, 17);
        // RETURN plays on from 0 : 0 with the same ball, on from where it stood.
        PressKey(SDLK_RETURN);
        Frame(game);
        EXPECT_EQ(game->leftScore + game->rightScore, 0);
        Frame(game);
        EXPECT_NEAR(game->ball->x, ballX + 0.016 * vx, 0.01);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 15, 5), 0x145014u);
        PressKeys({c.leave});
        game->HandleEvents();
        EXPECT_EQ(current::GetInstance()->nextState, c.next);
        ResetStates(); // the match gives the font engine back
        EXPECT_EQ(TTF_WasInit(), 0);
    }
}

} // namespace
