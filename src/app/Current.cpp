#include "Current.h"

#include "../match/Game.h"
#include "../menus/Credits.h"
#include "../menus/MainMenu.h"
#include "../menus/Options.h"

void SetNextState(StateId id) {
    current* manager = current::GetInstance();
    if (manager->nextState != StateExit) {
        manager->nextState = id;
    }
}

void ChangeState() {
    current* manager = current::GetInstance();
    if (manager->nextState == StateNone) {
        return;
    }
    if (manager->nextState != StateExit && manager->state) {
        delete manager->state;
        manager->state = nullptr;
    }
    // The old object is gone before the new one is built, so two never exist at once.
    switch (manager->nextState) {
    case StateMainMenu:
        manager->state = new CMainMenu();
        break;
    case StateOptions:
        manager->state = new COptions();
        break;
    case StateCredits:
        manager->state = new CCredits();
        break;
    case StateSinglePlayer:
        manager->state = new CGame("Single");
        break;
    case StateMultiPlayer:
        manager->state = new CGame("Multi");
        break;
    default:
        break;
    }
    manager->stateID = manager->nextState;
    manager->nextState = StateNone;
}
