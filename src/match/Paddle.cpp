#include "Paddle.h"

#include "../gfx/Image.h"
#include "../settings/Settings.h"
#include "Ball.h"
#include "ComputerPlayer.h"
#include "Timer.h"

namespace {
const float Speed = 250; // field units per second, for the keys and the computer alike
const float LowerLimit = 930;
const float UpperLimit = -35;

// The computer's dead zones: the band of the paddle (from its top edge) that it keeps the
// ball's current height in, and the wider-set band it keeps a predicted height in.
const float FollowLow = 52;
const float FollowHigh = 62;
const float PredictLow = 93;
const float PredictHigh = 98;

// A hand-edited settings file may hold any level; the computer plays the nearest real one.
int PlayableLevel(int level) {
    if (level < 1) {
        return 1;
    }
    if (level > 3) {
        return 3;
    }
    return level;
}
} // namespace

CPaddle::CPaddle(int player, std::string mode) : player(player) {
    timer = new CTimer();
    picture = new CImage();
    if (player == 1) {
        picture->LoadSheet("Data/Original/Game/Paddel1.bmp", "Data/Skaliert/Game/Paddel1.bmp", 3,
                           50, 190);
        x = 30;
    } else {
        picture->LoadSheet("Data/Original/Game/Paddel2.bmp", "Data/Skaliert/Game/Paddel2.bmp", 3,
                           50, 190);
        x = 1840;
    }
    y = 500;
    frame = 1;
    picture->SetMagentaKey();
    singlePlayer = mode == "Single";

    computer = new CComputerPlayer();
    CSettings settings;
    settings.Load();
    computer->level = PlayableLevel(settings.level);
}

CPaddle::~CPaddle() {
    delete picture;
    delete timer;
    delete computer;
}

void CPaddle::Move(const CBall& ball) {
    timer->Tick();
    float s = (timer->now - timer->previous) / 1000 * Speed;

    // Frames are per side: the left sheet shows moving down in frame 2, the right in frame 0.
    int downFrame = player == 1 ? 2 : 0;
    int upFrame = player == 1 ? 0 : 2;

    if (singlePlayer && player != 1) {
        float target = computer->Decide(ball);
        float low = PredictLow;
        float high = PredictHigh;
        if (target == -1) {
            target = ball.y;
            low = FollowLow;
            high = FollowHigh;
        }
        if (y + high < target && y < LowerLimit) {
            y += s;
            frame = downFrame;
        } else if (y + low > target && y > UpperLimit) {
            y -= s;
            frame = upFrame;
        } else {
            frame = 1;
        }
        return;
    }

    // One player steers the left paddle with the arrows; two players share W/S and the arrows.
    SDLKey downKey = SDLK_DOWN;
    SDLKey upKey = SDLK_UP;
    if (!singlePlayer && player == 1) {
        downKey = SDLK_s;
        upKey = SDLK_w;
    }
    Uint8* keys = SDL_GetKeyState(nullptr);
    if (keys[downKey] && y < LowerLimit) {
        y += s;
        frame = downFrame;
    } else if (keys[upKey] && y > UpperLimit) {
        y -= s;
        frame = upFrame;
    } else {
        frame = 1;
    }
}

void CPaddle::Draw(SDL_Surface* screen) {
    picture->SetPosition(x, y);
    picture->DrawFrame(screen, static_cast<float>(frame));
}
