#include "TestSupport.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include "gfx/Image.h"
#include "match/Ball.h"
#include "match/Timer.h"

namespace {

class BallTest : public ZorvatTest {
protected:
    // A running ball at 100 s whose next Move takes no time, so it only bounces or scores.
    std::unique_ptr<CBall> Running(float x, float y, float vx, float vy) {
        TestClock::Set(100000);
        std::unique_ptr<CBall> ball(new CBall());
        TestClock::Set(100000); // the serve may have waited for the clock
        ball->active = true;
        ball->x = x;
        ball->y = y;
        ball->vx = vx;
        ball->vy = vy;
        ball->timer->Tick();
        return ball;
    }
};

TEST_F(BallTest, ServeStartsFromTheCentreWithinSixtyDegreesAndWaitsOutARejectedAngle) {
    CBall ball;
    int rightwards = 0, downwards = 0, waited = 0, serves = 0;
    for (Uint32 t = 0; t < 3000; t += 7, ++serves) {
        TestClock::Set(t);
        ball.speed = 900;
        ball.Serve();
        waited += TestClock::Read() > t;
        EXPECT_EQ(ball.x, 953);
        EXPECT_EQ(ball.y, 533);
        EXPECT_EQ(ball.speed, 400);
        EXPECT_EQ(ball.lastSpeedUp, t);
        EXPECT_NEAR(std::hypot(ball.vx, ball.vy), 400, 0.001);
        int ix = static_cast<int>(ball.vx), iy = static_cast<int>(ball.vy);
        EXPECT_LE(std::abs(iy), 1.73 * std::abs(ix)) << "at " << t;
        rightwards += ball.vx > 0;
        downwards += ball.vy > 0;
    }
    // Each sign is drawn +1 with 9/20: both directions come up, neither always.
    EXPECT_GT(rightwards, serves / 4);
    EXPECT_LT(rightwards, serves * 3 / 4);
    EXPECT_GT(downwards, serves / 4);
    EXPECT_LT(downwards, serves * 3 / 4);
    // About a third of the seeds draw a rejected angle first and must wait for the next ms.
    EXPECT_GT(waited, serves / 10);
    EXPECT_LT(waited, serves * 7 / 10);
}

TEST_F(BallTest, WallsAndInclusivePaddleBandsTurnTheBallAndPointsServeAgain) {
    // Both paddles at y 400 return the ball from y 433 to 547.
    const struct {
        float x, y, vx, vy, vxAfter, vyAfter;
        BallResult result;
    } cases[] = {
        {500, 1065, 300, 50, 300, -50, NoPoint}, {500, 1070, 300, -50, 300, -50, NoPoint},
        {500, 1064, 300, 50, 300, 50, NoPoint},  {500, 0, 300, -50, 300, 50, NoPoint},
        {500, -5, 300, 50, 300, 50, NoPoint},    {500, 1, 300, -50, 300, -50, NoPoint},
        {1825, 433, 300, 0, -300, 0, NoPoint},   {1840, 547, 300, 0, -300, 0, NoPoint},
        {1841, 433, 300, 0, 300, 0, NoPoint},    {1824, 433, 300, 0, 300, 0, NoPoint},
        {1830, 432, 300, 0, 300, 0, NoPoint},    {1830, 548, 300, 0, 300, 0, NoPoint},
        {65, 433, -300, 0, 300, 0, NoPoint},     {80, 547, -300, 0, 300, 0, NoPoint},
        {81, 433, -300, 0, -300, 0, NoPoint},    {64, 433, -300, 0, -300, 0, NoPoint},
        {70, 548, -300, 0, -300, 0, NoPoint},    {1905, 433, -300, 0, -300, 0, NoPoint},
        {0, 433, 300, 0, 300, 0, NoPoint},       {1905, 433, 300, 0, 0, 0, PointForLeft},
        {0, 433, -300, 0, 0, 0, PointForRight},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y << " at " << c.vx << ", " << c.vy);
        auto ball = Running(c.x, c.y, c.vx, c.vy);
        EXPECT_EQ(ball->Move(400, 400, 1, 1), c.result);
        if (c.result != NoPoint) {
            EXPECT_EQ(ball->x, 953);
            EXPECT_EQ(ball->y, 533);
        } else {
            EXPECT_EQ(ball->vx, c.vxAfter);
            EXPECT_EQ(ball->vy, c.vyAfter);
        }
    }
}

TEST_F(BallTest, MovingPaddleSteepensWithTheBallAndFlattensAgainstIt) {
    // vy after a hit for a ball arriving with vy -150, 0, +150, by paddle frame.
    const float right[3][3] = {{-50, 0, 250}, {-150, 0, 150}, {-250, 0, 50}};
    const float left[3][3] = {{-250, 0, 50}, {-150, 0, 150}, {-50, 0, 250}};
    const float arriving[3] = {-150, 0, 150};
    for (int frame = 0; frame < 3; ++frame) {
        for (int v = 0; v < 3; ++v) {
            SCOPED_TRACE(::testing::Message() << "frame " << frame << " vy " << arriving[v]);
            auto ball = Running(1830, 500, 300, arriving[v]);
            ball->Move(0, 400, 1, frame);
            EXPECT_EQ(ball->vy, right[frame][v]);
            EXPECT_LT(ball->vx, 0);
            ball = Running(70, 500, -300, arriving[v]);
            ball->Move(400, 0, frame, 1);
            EXPECT_EQ(ball->vy, left[frame][v]);
            EXPECT_GT(ball->vx, 0);
        }
    }
}

TEST_F(BallTest, SpinKeepsTheSpeedUnlessItCannot) {
    const float cases[][5] = {
        // vx, vy, direction, vx and vy after
        {-300, 30, -10, -393.8f, -70},        // flattening turns a small vy over
        {160, 380, 10, 160, 480},             // |vy| beyond the speed: vx is kept
        {100, 250, 10, 100, 250},             // too steep already: refused
        {100, 249, 10, 195.45f, 349},         // just under 2.5 times vx
        {130, 300, 10, 130, 400},             // all speed in vy leaves no usable vx
        {0.01f, 0.05f, 10, 387.29f, 100.05f}, // a flat ball always steepens
        {-300, 30, 0, -300, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c[0] << "/" << c[1] << " by " << c[2]);
        CBall ball;
        ball.vx = c[0];
        ball.vy = c[1];
        ball.ApplySpin(c[2]);
        EXPECT_NEAR(ball.vx, c[3], 0.05);
        EXPECT_NEAR(ball.vy, c[4], 0.001);
    }
}

TEST_F(BallTest, SpeedsUpEveryFifteenSecondsAlsoAfterAStop) {
    TestClock::Set(1000);
    CBall ball;
    ball.active = true;
    ball.vx = 240;
    ball.vy = -320;
    const Uint32 frames[][2] = {{15999, 400}, {16000, 500}, {30999, 500}, {31000, 600}};
    for (const auto& f : frames) {
        TestClock::Set(f[0] - 1);
        ball.timer->Tick();
        TestClock::Set(f[0]);
        ball.Move(0, 0, 1, 1);
        EXPECT_EQ(ball.speed, static_cast<int>(f[1])) << "at " << f[0];
        EXPECT_NEAR(ball.vx, 240.0 * f[1] / 400, 0.01);
        EXPECT_NEAR(ball.vy, -320.0 * f[1] / 400, 0.01);
    }

    // A stopped ball is left entirely alone, however long it stands.
    ball.active = false;
    float x = ball.x, vx = ball.vx, now = ball.timer->now;
    TestClock::Set(60000);
    EXPECT_EQ(ball.Move(0, 0, 1, 1), NoPoint);
    EXPECT_EQ(ball.x, x);
    EXPECT_EQ(ball.vx, vx);
    EXPECT_EQ(ball.speed, 600);
    EXPECT_EQ(ball.timer->now, now);

    // Started again, its first step is one frame long and brings the speed-up that fell due.
    ball.active = true;
    ball.timer->Tick();
    TestClock::Advance(10);
    ball.Move(0, 0, 1, 1);
    EXPECT_EQ(ball.speed, 700);
    EXPECT_NEAR(ball.x, x + 0.01 * 240 * 7 / 4, 0.01);
}

TEST_F(BallTest, DrawsAtItsPositionScaledInTheSmallerMode) {
    WriteBitmap("Data/Original/Game/Ball.bmp", 15, 15, 0xFAFAFA);
    WriteBitmap("Data/Skaliert/Game/Ball.bmp", 10, 10, 0xFAFAFA);
    for (int fullHd = 0; fullHd < 2; ++fullHd) {
        WriteSettings(2, fullHd);
        SDL_Surface* screen = OpenScreen(fullHd);
        CBall ball;
        ball.x = 953.9f;
        ball.y = 533;
        ball.Draw(screen);
        int x = fullHd ? 953 : 635, y = fullHd ? 533 : 355;
        EXPECT_EQ(PixelAt(screen, x, y), 0xFAFAFAu);
        EXPECT_EQ(PixelAt(screen, x - 1, y), 0u);
        EXPECT_EQ(PixelAt(screen, x, y - 1), 0u);
    }
}

} // namespace
