#include "TestSupport.h"

#include <cmath>

#include "match/Ball.h"
#include "match/Timer.h"

namespace {

using BallTest = ZorvatTest;

TEST_F(BallTest, ServesFromTheCentreAtFourHundredWithinSixtyDegreesEveryWay) {
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

TEST_F(BallTest, WallsPaddleBandsSpinAndPoints) {
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
        TestClock::Set(100000);
        CBall ball;
        TestClock::Set(100000); // the serve may have waited for the clock; no time passes
        ball.active = true;
        ball.x = c[0], ball.y = c[1], ball.vx = c[2], ball.vy = c[3];
        ball.timer->Tick();
        SCOPED_TRACE(::testing::Message() << c[0] << ", " << c[1] << " at " << c[2] << ", " << c[3]
                                          << " frame " << c[4]);
        const int result = ball.Move(400, 400, int(c[4]), int(c[4]));
        EXPECT_EQ(result, int(c[7]));
        EXPECT_NEAR(result ? ball.x : ball.vx, result ? 953 : c[5], 0.01);
        EXPECT_NEAR(result ? ball.y : ball.vy, result ? 533 : c[6], 0.01);
    }
}

TEST_F(BallTest, MovesByItsVelocityAndSpeedsUpEveryFifteenSecondsWhileActive) {
    TestClock::Set(1000);
    CBall ball;
    ball.active = true;
    ball.x = 500, ball.y = 500, ball.vx = 240, ball.vy = -320;
    for (const Uint32 t : {15999, 16000, 30999, 31000, 60000}) {
        TestClock::Set(t - 16);
        ball.timer->Tick();
        TestClock::Set(t);
        ball.active = t < 60000; // a stopped ball stands, however long
        const float x = ball.x, y = ball.y, speed = t < 16000 ? 400 : t < 31000 ? 500 : 600;
        EXPECT_EQ(ball.Move(0, 0, 1, 1), NoPoint);
        EXPECT_EQ(ball.speed, speed) << t;
        EXPECT_NEAR(ball.vx, 240 * speed / 400, 0.01) << t;
        EXPECT_NEAR(ball.vy, -320 * speed / 400, 0.01) << t;
        EXPECT_NEAR(ball.x, x + (t < 60000) * 0.016 * ball.vx, 0.01) << t;
        EXPECT_NEAR(ball.y, y + (t < 60000) * 0.016 * ball.vy, 0.01) << t;
    }
}

} // namespace
