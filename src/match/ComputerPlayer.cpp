#include "ComputerPlayer.h"

float CComputerPlayer::Decide(const CBall&) {
    return -1;
}
float CComputerPlayer::PredictY(float, float, float, float) {
    return -1;
}
