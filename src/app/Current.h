#ifndef ZORVAT_APP_CURRENT_H
#define ZORVAT_APP_CURRENT_H

#include "Gamestate.h"
#include "Singleton.h"

// Ids of the game states; 1 is never used.
enum StateId {
    StateNone = 0,
    StateMainMenu = 2,
    StateOptions = 3,
    StateCredits = 4,
    StateSinglePlayer = 5,
    StateMultiPlayer = 6,
    StateExit = 7
};

// The state manager: the id and object of the state in place and the one pending request.
class current : public TSingleton<current> {
public:
    int stateID = StateNone;
    int nextState = StateNone;
    CGamestate* state = nullptr;
};

// Records a request for the next state; a pending StateExit is never replaced.
void SetNextState(StateId id);

// Applies the pending request: destroys the old state object, then builds the new one.
void ChangeState();

#endif
