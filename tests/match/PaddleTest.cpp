#include "TestSupport.h"

#include <limits>

#include "match/Ball.h"
#include "match/ComputerPlayer.h"
#include "match/Paddle.h"

namespace {

using PaddleTest = ZorvatTest;

// Moves the paddle from y through one frame of 16 ms (a step of 4) and expects its y and frame.
void ExpectFrame(CPaddle& paddle, const CBall& ball, float y, float step, int frame) {
    paddle.y = y;
    TestClock::Advance(16);
    paddle.Move(ball);
    EXPECT_NEAR(paddle.y, y + step, 0.001);
    EXPECT_EQ(paddle.frame, frame);
}

TEST_F(PaddleTest, KeysMoveEachSideItsWayUpToItsLimits) {
    const struct {
        const char* mode;
        int player;
        SDLKey key;
        float y, step;
        int frame;
    } cases[] = {
        // clang-format off
        {"Multi", 1, SDLK_s, 500, 4, 2},       {"Multi", 1, SDLK_w, 500, -4, 0},
        {"Multi", 1, SDLK_DOWN, 500, 0, 1},    {"Multi", 2, SDLK_DOWN, 500, 4, 0},
        {"Multi", 2, SDLK_UP, 500, -4, 2},     {"Multi", 2, SDLK_s, 500, 0, 1},
        {"Single", 1, SDLK_DOWN, 500, 4, 2},   {"Single", 1, SDLK_UP, 500, -4, 0},
        {"Single", 1, SDLK_s, 500, 0, 1},      {"Single", 1, SDLK_w, 500, 0, 1},
        {"Multi", 1, SDLK_s, 929.9f, 4, 2},    {"Multi", 1, SDLK_s, 930, 0, 1},
        {"Multi", 2, SDLK_UP, -34.9f, -4, 2},  {"Multi", 2, SDLK_UP, -35, 0, 1},
        // clang-format on
    };
    CBall ball;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.mode << " " << c.player << " key " << c.key);
        ReleaseAllKeys();
        HoldKey(c.key);
        CPaddle paddle(c.player, c.mode);
        ExpectFrame(paddle, ball, c.y, c.step, c.frame);
    }
}

TEST_F(PaddleTest, ComputerPredictsThroughTheWallsOnlyBallsThatArrive) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // x, y, vx, vy; the y at which the ball reaches the hit band, -1 for never. At y 0.5 a
    // ball is still inside the field.
    const float cases[][5] = {
        // clang-format off
        {1700, 1050, 600, 600, 960},  {1700, 1070, 600, -300, 1065},  {1000, 500, 400, -300, 120},
        {1625, 10.5f, 600, -60, 8.5f}, {1830, 77, -400, 5, 77},       {1000, 500, 0, 100, -1},
        {1000, 500, -400, 100, -1},   {1000, 500, nan, 100, -1},      {1000, 500, inf, 100, -1},
        {1000, 500, 400, nan, -1},    {nan, 500, 400, 100, -1},       {1000, 500, 1e-6f, 100, -1},
        // clang-format on
    };
    CComputerPlayer computer;
    for (const auto& c : cases) {
        EXPECT_NEAR(computer.PredictY(c[0], c[1], c[2], c[3]), c[4], 0.01) << c[0] << " " << c[1];
    }
}

TEST_F(PaddleTest, ComputerReadsTheBallByLevelAndStopsInItsDeadZonesAndAtItsLimits) {
    // Following the ball it keeps it 52 to 62 below its top edge; aiming at a prediction, 93
    // to 98. It predicts a ball coming towards it from x 1300 at level 2, 1000 at level 3.
    const float cases[][7] = {
        // level, ball x, vx, y; paddle y, step, frame
        // clang-format off
        {1, 1830, 400, 552, 500, 0, 1},     {1, 1830, 400, 562, 500, 0, 1},
        {1, 1830, 400, 562.5f, 500, 4, 0},  {1, 1830, 400, 551.5f, 500, -4, 2},
        {3, 1830, 400, 593, 500, 0, 1},     {3, 1830, 400, 598, 500, 0, 1},
        {3, 1830, 400, 598.5f, 500, 4, 0},  {3, 1830, 400, 592.5f, 500, -4, 2},
        {1, 1830, 400, 1060, 929.9f, 4, 0}, {1, 1830, 400, 1060, 930, 0, 1},
        {1, 1830, 400, 0, -34.9f, -4, 2},   {1, 1830, 400, 0, -35, 0, 1},
        {2, 1299.9f, 400, 560, 500, 0, 1},  {2, 1300, 400, 560, 500, -4, 2},
        {3, 999.9f, 400, 560, 500, 0, 1},   {3, 1000, 400, 560, 500, -4, 2},
        {3, 1500, -400, 560, 500, 0, 1},
        // clang-format on
    };
    CBall ball;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "level " << c[0] << " ball " << c[1] << ", " << c[3]);
        WriteSettings(static_cast<int>(c[0]), 0);
        CPaddle paddle(2, "Single");
        ball.x = c[1], ball.vx = c[2], ball.y = c[3], ball.vy = 0;
        ExpectFrame(paddle, ball, c[4], c[5], static_cast<int>(c[6]));
    }
}

} // namespace
