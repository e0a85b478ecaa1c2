#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "match/Ball.h"
#include "match/ComputerPlayer.h"
#include "match/Game.h"
#include "match/Paddle.h"
#include "match/Scoreboard.h"
#include "match/Timer.h"

namespace {

using MatchTest = ZorvatTest;
// Pictures are loaded and keyed by other code on SDL 1.2's compatibility layer.
using MatchCompat = ZorvatTest;

// The serve's draws, in turn from drawn; 0 once they are used up.
std::vector<int> draws;
size_t drawn = 0;
int Scripted() {
    return drawn < draws.size() ? draws[drawn++] : 0;
}

// A serve starts from the centre at 400 within about 60 degrees of the horizontal, going right
// (and down) 9 times in 20; the ball moves by its velocity, speeds up by 100 every fifteen
// seconds, turns at the walls and the paddles, takes spin from a moving paddle and scores past a
// paddle.
TEST_F(MatchTest, TheBallServesMovesSpeedsUpTurnsTakesSpinAndScores) {
    CBall ball;
    CBall::random = Scripted;
    // The angle in radians is the draw's remainder of 40, drawn again while too steep; each
    // sign is kept for the remainders 11 to 19 of 20, turned for 0 to 10. Forty angles, each
    // with angle 1 to follow, then angle 1 with each sign drawn over every remainder, the
    // vertical draw 7 ahead of the horizontal one so that the two cannot stand in for each other.
    int angles = 0;
    for (int draw = 0; draw < 60; ++draw) {
        TestClock::Set(draw);
        ball.speed = 900;
        draws = draw < 40 ? std::vector{draw + 40, 1, 11, 11} : std::vector{1, draw, draw + 7};
        drawn = 0;
        ball.Serve();
        angles += draw < 40 && drawn == 3;
        EXPECT_TRUE(draw < 40 ||
                    ((ball.vx > 0) == (draw % 20 > 10) && (ball.vy > 0) == ((draw + 7) % 20 > 10)))
            << draw;
        EXPECT_TRUE(ball.x == 953 && ball.y == 533 && ball.lastSpeedUp == draw);
        EXPECT_NEAR(std::hypot(ball.vx, ball.vy), 400, 0.001);
        EXPECT_LE(std::abs(static_cast<int>(ball.vy)), 1.73 * std::abs(static_cast<int>(ball.vx)));
    }
    EXPECT_EQ(angles, 27);
    TestClock::Set(1000);
    ball.Serve();
    ball.active = true;
    ball.vx = 240, ball.vy = -320;
    for (const Uint32 t : {15999, 16000, 30999, 31000}) {
        TestClock::Set(t - 16);
        ball.timer->Tick();
        TestClock::Set(t);
        const float x = ball.x, y = ball.y, speed = t < 16000 ? 400 : t < 31000 ? 500 : 600;
        ball.Move(0, 0, 1, 1);
        EXPECT_EQ(ball.speed, speed) << t; // moved the same way at the new speed
        EXPECT_NEAR(ball.x - x, speed * 0.6f * 0.016f, 0.01) << t;
        EXPECT_NEAR(ball.y - y, speed * -0.8f * 0.016f, 0.01) << t;
    }
    // It turns at walls and paddles, takes spin and scores: x, y, vx, vy, both paddles' frame; vx
    // and vy after, or the point (1 left's, 2 right's). Both paddles at y 400 return the ball from
    // y 433 to 547. The right paddle's frame 0 moves it down, the left's frame 2; a paddle moving
    // with the ball steepens its path by 100, against it flattens it (a ball falling at 0.5 turns
    // over), keeping the speed of 400 where it can: not for a ball steep already, nor when vy
    // leaves no room for vx.
    // clang-format off
    const float cases[][8] = {
        // the walls, where the ball turns, and just short of them
        {500, 1065, 300, 50, 1, 300, -50},         {500, 1064.9f, 300, 50, 1, 300, 50},
        {500, 1070, 300, -50, 1, 300, -50},        {500, 0, 300, -50, 1, 300, 50},
        {500, 0.1f, 300, -50, 1, 300, -50},        {500, -5, 300, 50, 1, 300, 50},
        // each paddle's band, its first and last column and the reach at top and bottom, and
        // a hair beyond; then the out lines
        {1825, 490, 300, 0, 1, -300, 0},           {1824.9f, 490, 300, 0, 1, 300, 0},
        {1840, 490, 300, 0, 1, -300, 0},           {1840.1f, 490, 300, 0, 1, 300, 0},
        {1830, 433, 300, 0, 1, -300, 0},           {1830, 432.9f, 300, 0, 1, 300, 0},
        {1830, 547, 300, 0, 1, -300, 0},           {1830, 547.1f, 300, 0, 1, 300, 0},
        {80, 490, -300, 0, 1, 300, 0},             {80.1f, 490, -300, 0, 1, -300, 0},
        {65, 490, -300, 0, 1, 300, 0},             {64.9f, 490, -300, 0, 1, -300, 0},
        {70, 433, -300, 0, 1, 300, 0},             {70, 432.9f, -300, 0, 1, -300, 0},
        {70, 547, -300, 0, 1, 300, 0},             {70, 547.1f, -300, 0, 1, -300, 0},
        {1905, 433, -300, 0, 1, -300, 0},          {0, 433, 300, 0, 1, 300, 0},
        {1904.9f, 433, 300, 0, 1, 300, 0},         {0.1f, 433, -300, 0, 1, -300, 0},
        {1905, 433, 300, 0, 1, 0, 0, 1},           {0, 433, -300, 0, 1, 0, 0, 2},
        // spin
        {1830, 500, 300, 150, 1, -300, 150},       {1830, 500, 300, 150, 0, -312.25f, 250},
        {1830, 500, 300, -150, 0, -396.86f, -50},  {1830, 500, 300, -150, 2, -312.25f, -250},
        {1830, 500, 300, 0.5f, 2, -387.43f, -99.5f}, {1830, 500, 130, 300, 0, -130, 400},
        {70, 500, -300, 150, 2, 312.25f, 250},     {70, 500, -300, 150, 0, 396.86f, 50},
        {1830, 500, 100, 250, 0, -100, 250},       {1830, 500, 100, 249, 0, -195.45f, 349},
        {1830, 500, 160, 380, 0, -160, 480},       {1830, 500, 0.01f, 0.05f, 0, -387.29f, 100.05f},
    };
    // clang-format on
    TestClock::Set(100000);
    ball.Serve();
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::vector<float>(c, c + 5)));
        TestClock::Set(100000); // a serve may have waited for the clock; no time passes
        ball.x = c[0], ball.y = c[1], ball.vx = c[2], ball.vy = c[3];
        ball.timer->Tick();
        const int result = ball.Move(400, 400, int(c[4]), int(c[4]));
        EXPECT_EQ(result, int(c[7]));
        EXPECT_NEAR(result ? ball.x : ball.vx, result ? 953 : c[5], 0.01);
        EXPECT_NEAR(result ? ball.y : ball.vy, result ? 533 : c[6], 0.01);
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
        {1, 2, SDLK_UP, 0, 0, 0, -34.9f, -4, 2},     {1, 2, SDLK_UP, 0, 0, 0, -35, 0, 1},
        {1, 1, SDLK_s, 0, 0, 0, 929.9f, 4, 2},       {1, 1, SDLK_s, 0, 0, 0, 930, 0, 1},
        {0, 2, 1, 1830, 400, 0, -34.9f, -4, 2},      {0, 2, 1, 1830, 400, 0, -35, 0, 1},
        {0, 1, SDLK_s, 0, 0, 0, 500, 0, 1},          {0, 2, 3, 1500, -400, 560, 500, 0, 1},
        {0, 2, 1, 1830, 400, 552, 500, 0, 1},        {0, 2, 1, 1830, 400, 562, 500, 0, 1},
        {0, 2, 1, 1830, 400, 562.5f, 500, 4, 0},     {0, 2, 1, 1830, 400, 551.5f, 500, -4, 2},
        {0, 2, 3, 1830, 400, 593, 500, 0, 1},        {0, 2, 3, 1830, 400, 598, 500, 0, 1},
        {0, 2, 1, 1830, 400, 1060, 929.9f, 4, 0},    {0, 2, 1, 1830, 400, 1060, 930, 0, 1},
        {0, 2, 2, 1299.9f, 400, 560, 500, 0, 1},     {0, 2, 2, 1300, 400, 560, 500, -4, 2},
        {0, 2, 3, 999.9f, 400, 560, 500, 0, 1},      {0, 2, 3, 1000, 400, 560, 500, -4, 2},
    };
    // clang-format on
    CBall ball;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::vector<float>(c, c + 7)));
        WriteSettings(int(c[2]), 0); // a paddle that the keys move reads neither
        ReleaseAllKeys();
        HoldKey(static_cast<SDLKey>(c[2]));
        CPaddle paddle(int(c[1]), c[0] ? "Multi" : "Single");
        ball.x = c[3], ball.vx = c[4], ball.y = c[5], ball.vy = 0;
        paddle.y = c[6];
        TestClock::Advance(16);
        paddle.Move(ball);
        EXPECT_NEAR(paddle.y, c[6] + c[7], 0.001);
        EXPECT_EQ(paddle.frame, c[8]);
    }
    // Its prediction: x, y, vx, vy; the y at which the ball reaches the hit band, -1 for never.
    // At y 0.5 a ball is still inside the field.
    // clang-format off
    const float predictions[][5] = {
        {1700, 1050, 600, 600, 960},   {1700, 1070, 600, -300, 1065}, {1000, 500, 400, -300, 120},
        {1625, 10.5f, 600, -60, 8.5f}, {1830, 77, -400, 5, 77},       {1000, 500, INFINITY, 1, -1},
        {1000, 500, 400, NAN, -1},     {NAN, 500, 400, 100, -1},      {1000, 500, 1e-6f, 100, -1},
    };
    // clang-format on
    CComputerPlayer computer;
    for (const auto& p : predictions) {
        EXPECT_NEAR(computer.PredictY(p[0], p[1], p[2], p[3]), p[4], 0.01) << p[0] << " " << p[1];
    }
}

void Frame(CGame* game, Uint32 ms = 16) {
    TestClock::Advance(ms);
    game->HandleEvents();
    game->Update();
}

// Counts the pixels of the score drawn at (x, y) on black, in the font size of the display
// mode, that are not where they belong: ink where its digits are solid, none where clear.
int Misplaced(SDL_Surface* screen, int fullHd, int score, int x, int y) {
    TTF_Font* font = TTF_OpenFont("Data/DejaVuSansMono.ttf", fullHd ? 60 : 40);
    SDL_Surface* text = TTF_RenderText_Blended(font, std::to_string(score).c_str(), SDL_Color());
    int wrong = 0;
    for (int i = 0; i < text->w * text->h; ++i) {
        const Uint8 a =
            static_cast<Uint32*>(text->pixels)[i / text->w * text->pitch / 4 + i % text->w] >>
            text->format->Ashift;
        wrong += (a == 0 || a > 127) &&
                 (PixelAt(screen, x + i % text->w, y + i / text->w) != 0) != (a > 0);
    }
    SDL_FreeSurface(text);
    TTF_CloseFont(font);
    return wrong;
}

// The ball's speed floor rises with the total score. Each kind of match in each display mode:
// drawn in place, over at 10 with the picture of its kind and winner, on again after RETURN;
// a match the left player wins is left by ESC, the other by the window's close.
TEST_F(MatchCompat, AMatchSpeedsUpDrawsInPlaceEndsAtTenWithItsPictureAndPlaysOnAfterReturn) {
    CGame* floorGame = Install<CGame>(StateMultiPlayer, "Multi");
    // Points scored by both sides, speed before the frame, speed after it.
    const int floors[][3] = {{2, 400, 400}, {3, 400, 450}, {5, 470, 470}, {6, 460, 500},
                             {9, 400, 550}, {9, 520, 550}, {9, 600, 600}};
    for (const auto& f : floors) {
        floorGame->leftScore = f[0] - 1, floorGame->rightScore = 1, floorGame->ball->speed = f[1];
        floorGame->Update();
        EXPECT_EQ(floorGame->ball->speed, f[2]) << "total " << f[0] << " speed " << f[1];
    }
    WriteBytes("Data/DejaVuSansMono.ttf", ReadBytes(ZORVAT_FONT));
    // clang-format off
    const struct {
        int fullHd;
        StateId id;
        bool leftWins;
        const char* picture;
    } cases[] = {{1, StateSinglePlayer, true, "Won"}, {0, StateSinglePlayer, false, "Lost"},
                 {0, StateMultiPlayer, true, "Won1"}, {1, StateMultiPlayer, false, "Won2"}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        const std::string tree = c.fullHd ? "Data/Original/Game/" : "Data/Skaliert/Game/";
        const float scale = c.fullHd ? 1 : 0.667f;
        // A small background: the paddles and the ball stand on black.
        const int w = int(50 * scale), h = int(190 * scale);
        WriteBitmap(tree + "Background.bmp", 64, 64, 0x145014);
        WriteSheet(tree + "Paddel1.bmp", 3, w, h, 0x00FF00);
        WriteSheet(tree + "Paddel2.bmp", 3, w, h, 0x0000FF);
        WriteSheet(tree + "Ball.bmp", 1, 10, 10, 0xFFFF00);
        // The result picture has 8 bits, as the game's own: white, clear (magenta) at the left.
        Bytes result = With(With(Bmp(400, 133, 8, 2), 54, 0xFFFFFF), 58, 0xFF00FF);
        for (int row = 1; row <= 133; ++row) {
            std::fill_n(result.end() - 400 * row, 10, 1);
        }
        WriteBytes(tree + c.picture + ".bmp", result);
        WriteSettings(2, c.fullHd);
        SDL_Surface* screen = OpenScreen(c.fullHd);
        CGame* game = Install<CGame>(c.id, c.id == StateMultiPlayer ? "Multi" : "Single");
        int& winner = c.leftWins ? game->leftScore : game->rightScore;
        const int scoreY = int(20 * scale), leftX = c.fullHd ? 450 : 300,
                  rightX = c.fullHd ? 1412 : 941;
        for (const bool played : {false, true}) { // a new match shows 0 : 0; then one at 7 : 9
            SDL_FillRect(screen, nullptr, 0);
            game->Render(screen);
            EXPECT_EQ(Misplaced(screen, c.fullHd, played * game->leftScore, leftX, scoreY), 0);
            EXPECT_EQ(Misplaced(screen, c.fullHd, played * game->rightScore, rightX, scoreY), 0);
            game->leftScore = game->rightScore = 7;
            winner = 9;
        }
        // The paddles, standing still in their middle frame, and the served ball.
        ExpectPicture(screen, int(30 * scale), int(500 * scale), w, h, 0x00FF00 * 2, 0);
        ExpectPicture(screen, int(1840 * scale), int(500 * scale), w, h, 0x0000FF * 2, 0);
        ExpectPicture(screen, int(953 * scale), int(533 * scale), 10, 10, 0xFFFF00, 0);

        game->ball->x = c.leftWins ? 1904 : 1, game->ball->vx = c.leftWins ? 400 : -400;
        PressKey(SDLK_RETURN); // during play it does nothing
        Frame(game);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 15, 5) + PixelAt(screen, 5, 5), 0xFFFFFFu + 0x145014u);
        // Over: the ball stands and the score stays, but the paddles still answer.
        HoldKey(c.id == StateMultiPlayer ? SDLK_s : SDLK_DOWN);
        const float ballX = game->ball->x, paddleY = game->leftPaddle->y, vx = game->ball->vx;
        Frame(game);
        ReleaseAllKeys();
        EXPECT_TRUE(game->ball->x == ballX && winner == 10 && game->leftPaddle->y > paddleY);
        EXPECT_EQ(game->leftScore + game->rightScore, 17);
        // RETURN plays on from 0 : 0 with the same ball, on from where it stood; in the match
        // played on it does nothing again.
        PressKey(SDLK_RETURN);
        Frame(game);
        EXPECT_EQ(game->leftScore + game->rightScore, 0);
        winner = 4;
        PressKey(SDLK_RETURN);
        Frame(game);
        EXPECT_NEAR(game->ball->x, ballX + 0.016 * vx, 0.01);
        EXPECT_EQ(winner, 4);
        PressKey(c.leftWins ? SDLK_ESCAPE : WindowClose);
        game->HandleEvents();
        EXPECT_EQ(current::GetInstance()->nextState, c.leftWins ? StateMainMenu : StateExit);
        ResetStates(); // the match gives the font engine back
        EXPECT_EQ(TTF_WasInit(), 0);
    }
}

} // namespace
