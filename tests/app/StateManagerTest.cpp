#include <string>
#include <unistd.h>

#include "TestSupport.h"
#include "app/Current.h"
#include "gfx/Image.h"
#include "match/Game.h"
#include "menus/Credits.h"
#include "menus/MainMenu.h"
#include "menus/Options.h"

namespace {

// A state that notes its destruction and what the manager held at that moment.
class CProbe : public CGamestate {
public:
    explicit CProbe(bool* destroyed) : destroyed(destroyed) {}
    ~CProbe() override {
        *destroyed = true;
        idWhileDestroyed = current::GetInstance()->stateID;
        if (switchToFullHdWhenDestroyed) {
            WriteSettings(2, 1);
        }
    }
    void HandleEvents() override {}
    void Update() override {}
    void Render(SDL_Surface*) override {}

    bool* destroyed;
    bool switchToFullHdWhenDestroyed = false;
    static int idWhileDestroyed;
};
int CProbe::idWhileDestroyed = -1;

class StateManagerTest : public ZorvatTest {
protected:
    // Puts a probe in place under the given id, with no request pending.
    CProbe* InstallProbe(StateId id) {
        destroyed = false;
        CProbe* probe = new CProbe(&destroyed);
        current* manager = current::GetInstance();
        manager->stateID = id;
        manager->nextState = StateNone;
        manager->state = probe;
        return probe;
    }

    bool destroyed = false;
};

TEST_F(StateManagerTest, LaterRequestReplacesAnEarlierOne) {
    SetNextState(StateOptions);
    SetNextState(StateCredits);
    EXPECT_EQ(current::GetInstance()->nextState, StateCredits);
    SetNextState(StateMainMenu);
    EXPECT_EQ(current::GetInstance()->nextState, StateMainMenu);
}

TEST_F(StateManagerTest, PendingExitIsNeverReplaced) {
    SetNextState(StateExit);
    SetNextState(StateMainMenu);
    SetNextState(StateSinglePlayer);
    SetNextState(StateNone);
    EXPECT_EQ(current::GetInstance()->nextState, StateExit);

    current::GetInstance()->nextState = StateNone;
    SetNextState(StateOptions);
    SetNextState(StateExit);
    EXPECT_EQ(current::GetInstance()->nextState, StateExit) << "a request followed by exit";
}

TEST_F(StateManagerTest, ChangeStateWithoutRequestKeepsEverything) {
    CProbe* probe = InstallProbe(StateCredits);
    ChangeState();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(current::GetInstance()->state, probe);
    EXPECT_EQ(current::GetInstance()->stateID, StateCredits);
    EXPECT_EQ(current::GetInstance()->nextState, StateNone);
}

TEST_F(StateManagerTest, ApplyingExitKeepsTheOldStateInPlace) {
    CProbe* probe = InstallProbe(StateOptions);
    SetNextState(StateExit);
    SetNextState(StateMainMenu);
    ChangeState();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(current::GetInstance()->state, probe);
    EXPECT_EQ(current::GetInstance()->stateID, StateExit);
    EXPECT_EQ(current::GetInstance()->nextState, StateNone);
}

TEST_F(StateManagerTest, EachIdBuildsAFreshObjectOfItsKind) {
    WriteAllArt();
    const char* font = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    if (FileExists(font)) {
        ASSERT_EQ(symlink(font, "Data/DejaVuSansMono.ttf"), 0);
    }
    current* manager = current::GetInstance();
    const StateId ids[] = {StateMainMenu,     StateOptions,     StateCredits,
                           StateSinglePlayer, StateMultiPlayer, StateMainMenu};
    InstallProbe(StateMainMenu);
    for (StateId id : ids) {
        SCOPED_TRACE("id " + std::to_string(id));
        CGamestate* before = manager->state;
        SetNextState(id);
        ChangeState();
        EXPECT_NE(manager->state, before);
        EXPECT_EQ(manager->stateID, id);
        EXPECT_EQ(manager->nextState, StateNone);
        switch (id) {
        case StateMainMenu:
            EXPECT_NE(dynamic_cast<CMainMenu*>(manager->state), nullptr);
            break;
        case StateOptions:
            EXPECT_NE(dynamic_cast<COptions*>(manager->state), nullptr);
            break;
        case StateCredits:
            EXPECT_NE(dynamic_cast<CCredits*>(manager->state), nullptr);
            break;
        default:
            EXPECT_NE(dynamic_cast<CGame*>(manager->state), nullptr);
            break;
        }
    }
    EXPECT_TRUE(destroyed);
}

TEST_F(StateManagerTest, OldStateIsGoneBeforeTheNewOneIsBuilt) {
    // The probe switches the saved display mode as it dies: a menu built after that
    // loads the full-HD art, one built before it would still hold the scaled mode.
    CProbe* probe = InstallProbe(StateCredits);
    probe->switchToFullHdWhenDestroyed = true;
    WriteSettings(2, 0);

    SetNextState(StateMainMenu);
    ChangeState();

    EXPECT_TRUE(destroyed);
    EXPECT_EQ(CProbe::idWhileDestroyed, StateCredits);
    CMainMenu* menu = dynamic_cast<CMainMenu*>(current::GetInstance()->state);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(menu->menu, nullptr);
    EXPECT_EQ(menu->menu->fullHd, 1);
}

} // namespace
