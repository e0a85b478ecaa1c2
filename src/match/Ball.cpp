#include "Ball.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "../app/Clock.h"
#include "../gfx/Image.h"
#include "Timer.h"

namespace {
// The field edges the ball's top-left corner meets.
const float LowerWall = 1065;
const float RightOut = 1905;
// Hit bands: x of the ball while it touches a paddle's face, and the part of the paddle
// (from its top edge) that returns it.
const float RightBandStart = 1825;
const float RightBandEnd = 1840;
const float LeftBandStart = 65;
const float LeftBandEnd = 80;
const float PaddleReachTop = 33;
const float PaddleReachBottom = 147;

const int ServeSpeed = 400;
const int SpeedUpStep = 100;
const float SpeedUpSeconds = 15;

// Spin for a ball that a paddle moving in this frame returns: the paddle moving with the
// ball steepens its path, against it flattens it. downFrame and upFrame are the paddle's
// motion frames for moving down and up.
float SpinFor(float vy, int frame, int downFrame, int upFrame) {
    if (vy == 0 || (frame != downFrame && frame != upFrame)) {
        return 0;
    }
    bool paddleDown = frame == downFrame;
    bool ballDown = vy > 0;
    return paddleDown == ballDown ? 10 : -10;
}
} // namespace

int (*CBall::random)() = std::rand;

CBall::CBall() {
    picture = new CImage();
    picture->Load("Data/Original/Game/Ball.bmp", "Data/Skaliert/Game/Ball.bmp");
    picture->SetMagentaKey();
    speed = ServeSpeed;
    timer = new CTimer();
    Serve();
}

CBall::~CBall() {
    delete picture;
    delete timer;
}

void CBall::Serve() {
    speed = ServeSpeed;
    lastSpeedUp = static_cast<float>(CClock::Ticks());
    x = 953;
    y = 533;
    // Every attempt seeds afresh from the clock, so a rejected angle repeats until the next
    // millisecond: the loop is an active wait for the clock to move on.
    for (;;) {
        Uint32 seconds = static_cast<Uint32>(std::time(nullptr));
        std::srand(seconds + CClock::Ticks());
        float angle = static_cast<float>(random() % 40);
        vx = std::cos(angle) * static_cast<float>(speed);
        vy = std::sin(angle) * static_cast<float>(speed);
        int ix = static_cast<int>(vx);
        int iy = static_cast<int>(vy);
        // Within about 60 degrees of the horizontal.
        if (std::abs(iy) <= 1.73 * std::abs(ix)) {
            break;
        }
    }
    if (random() % 20 - 10 <= 0) {
        vx = -vx;
    }
    if (random() % 20 - 10 <= 0) {
        vy = -vy;
    }
}

BallResult CBall::Move(float leftY, float rightY, int leftFrame, int rightFrame) {
    if (!active) {
        return NoPoint;
    }
    timer->Tick();

    float t = static_cast<float>(CClock::Ticks());
    if ((t - lastSpeedUp) / 1000 >= SpeedUpSeconds) {
        speed += SpeedUpStep;
        lastSpeedUp = t;
        float f = SpeedUpStep / std::sqrt(vx * vx + vy * vy);
        vx = vx + f * vx;
        vy = vy + f * vy;
    }

    float d = (timer->now - timer->previous) / 1000;
    x += d * vx;
    y += d * vy;

    // The position is not pulled back: a ball already turned is left alone.
    if (y >= LowerWall && vy > 0) {
        vy = -vy;
    }
    if (y <= 0 && vy < 0) {
        vy = -vy;
    }

    BallResult result = NoPoint;
    if (vx > 0) {
        if (x >= RightBandStart && x <= RightBandEnd && y >= rightY + PaddleReachTop &&
            y <= rightY + PaddleReachBottom) {
            vx = -vx;
            // The right paddle's frame 0 moves it down, frame 2 up.
            ApplySpin(SpinFor(vy, rightFrame, 0, 2));
        } else if (x >= RightOut) {
            Serve();
            result = PointForLeft;
        }
    }
    if (vx < 0) {
        if (x >= LeftBandStart && x <= LeftBandEnd && y >= leftY + PaddleReachTop &&
            y <= leftY + PaddleReachBottom) {
            vx = -vx;
            // The left paddle's frame 2 moves it down, frame 0 up.
            ApplySpin(SpinFor(vy, leftFrame, 2, 0));
        } else if (x <= 0) {
            Serve();
            result = PointForRight;
        }
    }
    return result;
}

void CBall::ApplySpin(float direction) {
    if (direction > 0) {
        bool nearlyFlat = vy > -0.1f && vy < 0.1f;
        if (!(std::fabs(vy) < 2.5f * std::fabs(vx)) && !nearlyFlat) {
            return;
        }
        vy = vy >= 0 ? vy + 100 : vy - 100;
    } else if (direction < 0) {
        vy = vy > 0 ? vy - 100 : vy + 100;
    } else {
        return;
    }

    // The horizontal part takes up what the speed leaves; with |vy| beyond the speed there is
    // nothing left, and vx stays as it is.
    double ratio = std::fabs(vy) / speed;
    if (!(ratio <= 1)) {
        return;
    }
    double c = std::cos(std::asin(ratio));
    double n = (vx > 0 ? c : -c) * speed;
    if (n >= 0.1 || n <= -0.1) {
        vx = static_cast<float>(n);
    }
}

void CBall::Draw(SDL_Surface* screen) {
    picture->SetPosition(x, y);
    picture->Draw(screen);
}
