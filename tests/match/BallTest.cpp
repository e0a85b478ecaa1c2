#include "TestSupport.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
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

TEST_F(BallTest, ServeStartsFromTheCentreWithinSixtyDegreesOfTheHorizontal) {
    CBall ball;
    int rightwards = 0, downwards = 0, serves = 0;
    for (Uint32 t = 0; t < 3000; t += 7, ++serves) {
        TestClock::Set(t);
        ball.speed = 900;
        ball.Serve();
        EXPECT_EQ(ball.x, 953);
        EXPECT_EQ(ball.y, 533);
        EXPECT_EQ(ball.speed, 400);
        EXPECT_EQ(ball.lastSpeedUp, t);
        EXPECT_NEAR(std::sqrt(ball.vx * ball.vx + ball.vy * ball.vy), 400, 0.001);
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
}

TEST_F(BallTest, ServeIsSeededFromTheClockAndWaitsOutARejectedAngle) {
    CBall ball;
    int waited = 0;
    for (Uint32 t = 5000; t < 5100; ++t) {
        std::time_t second = std::time(nullptr);
        TestClock::Set(t);
        ball.Serve();
        waited += TestClock::Read() > t;
        float vx = ball.vx, vy = ball.vy;
        std::srand(12345); // whatever else used the generator in between
        TestClock::Set(t);
        ball.Serve();
        if (std::time(nullptr) == second) {
            EXPECT_EQ(ball.vx, vx);
            EXPECT_EQ(ball.vy, vy);
        }
    }
    // About a third of the seeds draw a rejected angle first and must wait for the next ms.
    EXPECT_GT(waited, 10);
    EXPECT_LT(waited, 70);
}

TEST_F(BallTest, WallsTurnOnlyABallStillHeadingOut) {
    const struct {
        float y, vy, expected;
    } cases[] = {{1065, 50, -50}, {1070, -50, -50}, {1064, 50, 50},
                 {0, -50, 50},    {-5, 50, 50},     {1, -50, -50}};
    for (const auto& c : cases) {
        auto ball = Running(500, c.y, 300, c.vy);
        ball->Move(0, 0, 1, 1);
        EXPECT_EQ(ball->vy, c.expected) << "y " << c.y << " vy " << c.vy;
    }
}

TEST_F(BallTest, PaddleBandsAreInclusiveAndPointsServeAgain) {
    const float paddleY = 400; // the paddle returns y from 433 to 547
    const struct {
        float x, y, vx;
        bool hit;
        BallResult result;
    } cases[] = {
        {1825, 433, 300, true, NoPoint},       {1840, 547, 300, true, NoPoint},
        {1841, 433, 300, false, NoPoint},      {1824, 433, 300, false, NoPoint},
        {1830, 432, 300, false, NoPoint},      {1830, 548, 300, false, NoPoint},
        {1905, 433, 300, false, PointForLeft}, {65, 433, -300, true, NoPoint},
        {80, 547, -300, true, NoPoint},        {81, 433, -300, false, NoPoint},
        {64, 433, -300, false, NoPoint},       {70, 548, -300, false, NoPoint},
        {0, 433, -300, false, PointForRight},  {1905, 433, -300, false, NoPoint},
        {0, 433, 300, false, NoPoint},
    };
    for (const auto& c : cases) {
        auto ball = Running(c.x, c.y, c.vx, 0);
        EXPECT_EQ(ball->Move(paddleY, paddleY, 1, 1), c.result) << "x " << c.x << " y " << c.y;
        if (c.result != NoPoint) {
            EXPECT_EQ(ball->x, 953);
            EXPECT_EQ(ball->y, 533);
        } else {
            EXPECT_EQ(ball->vx, c.hit ? -c.vx : c.vx) << "x " << c.x << " y " << c.y;
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
            auto ball = Running(1830, 500, 300, arriving[v]);
            ball->Move(0, 400, 1, frame);
            EXPECT_EQ(ball->vy, right[frame][v]) << "right frame " << frame << " vy " << v;
            EXPECT_LT(ball->vx, 0);
            ball = Running(70, 500, -300, arriving[v]);
            ball->Move(400, 0, frame, 1);
            EXPECT_EQ(ball->vy, left[frame][v]) << "left frame " << frame << " vy " << v;
            EXPECT_GT(ball->vx, 0);
        }
    }
}

TEST_F(BallTest, SpinKeepsTheSpeedUnlessItCannot) {
    const struct {
        float vx, vy, direction, expectedVx, expectedVy;
    } cases[] = {
        {-300, 30, -10, -393.8f, -70}, // flattening turns a small vy over
        {160, 380, 10, 160, 480},      // |vy| beyond the speed: vx is kept
        {100, 250, 10, 100, 250},      // too steep already: refused
        {100, -250, 10, 100, -250},
        {100, 249, 10, 195.45f, 349},         // just under 2.5 times vx
        {130, 300, 10, 130, 400},             // all speed in vy leaves no usable vx
        {0.01f, 0.05f, 10, 387.29f, 100.05f}, // a flat ball always steepens
        {-300, 30, 0, -300, 30},
    };
    for (const auto& c : cases) {
        CBall ball;
        ball.vx = c.vx;
        ball.vy = c.vy;
        ball.ApplySpin(c.direction);
        EXPECT_NEAR(ball.vx, c.expectedVx, 0.05) << c.vx << "/" << c.vy << " by " << c.direction;
        EXPECT_NEAR(ball.vy, c.expectedVy, 0.001) << c.vx << "/" << c.vy << " by " << c.direction;
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
    float x = ball.x, vx = ball.vx, now = ball.timer->now, previous = ball.timer->previous;
    TestClock::Set(60000);
    EXPECT_EQ(ball.Move(0, 0, 1, 1), NoPoint);
    EXPECT_EQ(ball.x, x);
    EXPECT_EQ(ball.vx, vx);
    EXPECT_EQ(ball.speed, 600);
    EXPECT_EQ(ball.timer->now, now);
    EXPECT_EQ(ball.timer->previous, previous);

    // Started again, its first step is one frame long and brings the speed-up that fell due.
    ball.active = true;
    ball.timer->Tick();
    TestClock::Advance(10);
    ball.Move(0, 0, 1, 1);
    EXPECT_EQ(ball.speed, 700);
    EXPECT_NEAR(ball.x, x + 0.01 * 240 * 7 / 4, 0.01);
}

TEST_F(BallTest, DrawsAtItsPositionScaledInTheSmallerMode) {
    WriteAllArt();
    for (int fullHd = 0; fullHd < 2; ++fullHd) {
        WriteSettings(2, fullHd);
        SDL_Surface* screen = OpenScreen(fullHd);
        CBall ball;
        ball.x = 953.9f;
        ball.y = 533;
        ball.Draw(screen);
        int x = fullHd ? 953 : 635, y = fullHd ? 533 : 355;
        EXPECT_EQ(ball.picture->rect.x, x);
        EXPECT_EQ(ball.picture->rect.y, y);
        EXPECT_EQ(PixelAt(screen, x, y), 0xFAFAFAu);
        EXPECT_EQ(PixelAt(screen, x - 1, y), 0u);
    }
}

} // namespace
