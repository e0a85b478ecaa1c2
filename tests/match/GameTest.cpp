#include "TestSupport.h"

#include "match/Ball.h"
#include "match/Game.h"
#include "match/Paddle.h"
#include "match/Scoreboard.h"

namespace {

const Uint32 Field = 0x145014;

class GameTest : public ZorvatTest {
protected:
    void Frame(CGame* game, Uint32 ms = 16) {
        TestClock::Advance(ms);
        game->HandleEvents();
        game->Update();
    }
};

// Counts the pixels of a score text drawn at (x, y) on black that are not where they belong:
// ink where the text is solid, none where it is clear.
int Misplaced(SDL_Surface* screen, SDL_Surface* text, int x, int y) {
    int wrong = text ? 0 : -1;
    for (int i = 0; text && i < text->w * text->h; ++i) {
        const int tx = i % text->w, ty = i / text->w;
        Uint8 r, g, b, a;
        SDL_GetRGBA(static_cast<Uint32*>(text->pixels)[ty * text->pitch / 4 + tx], text->format, &r,
                    &g, &b, &a);
        wrong += (a == 0 || a > 127) && (PixelAt(screen, x + tx, y + ty) != 0) != (a > 0);
    }
    return wrong;
}

TEST_F(GameTest, TheSpeedFloorRisesWithTheTotalScore) {
    CGame* game = Install<CGame>(StateMultiPlayer, "Multi");
    // Points scored, speed before the frame, speed after it.
    const int floors[][3] = {{2, 400, 400}, {3, 400, 450}, {5, 470, 470}, {6, 460, 500},
                             {9, 400, 550}, {9, 520, 550}, {9, 600, 600}};
    for (const auto& f : floors) {
        game->leftScore = f[0], game->rightScore = 0, game->ball->speed = f[1];
        game->ball->x = 900;
        Frame(game, 0);
        EXPECT_EQ(game->ball->speed, f[2]) << "total " << f[0] << " speed " << f[1];
    }
}

// Each kind of match in each display mode: drawn in place, over at 10 with the picture of its
// kind and winner, on again after RETURN, left by ESC or the window's close.
TEST_F(GameTest, AMatchDrawsInPlaceEndsAtTenWithItsPictureAndPlaysOnAfterReturn) {
    WriteBytes("Data/DejaVuSansMono.ttf", ReadBytes(ZORVAT_FONT));
    const struct {
        int fullHd;
        StateId id;
        bool leftWins;
        const char* picture;
        SDLKey leftDown, leave;
        int next;
    } cases[] = {{1, StateSinglePlayer, true, "Won", SDLK_DOWN, SDLK_ESCAPE, StateMainMenu},
                 {0, StateSinglePlayer, false, "Lost", SDLK_DOWN, WindowClose, StateExit},
                 {0, StateMultiPlayer, true, "Won1", SDLK_s, SDLK_ESCAPE, StateMainMenu},
                 {1, StateMultiPlayer, false, "Won2", SDLK_s, WindowClose, StateExit}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        const std::string tree = c.fullHd ? "Data/Original/Game/" : "Data/Skaliert/Game/";
        const float scale = c.fullHd ? 1 : 0.667f;
        WriteBitmap(tree + "Background.bmp", 64, 64, Field);
        WriteBitmap(tree + "Paddel1.bmp", int(150 * scale), int(190 * scale), 0x00FF00);
        WriteBitmap(tree + "Paddel2.bmp", int(150 * scale), int(190 * scale), 0x0000FF);
        WriteBitmap(tree + "Ball.bmp", 10, 10, 0xFFFF00);
        WriteBitmap(tree + c.picture + ".bmp", 400, 133,
                    [](int x, int) { return x < 10 ? 0xFF00FF : 0xFFFFFF; }); // clear at the left
        WriteSettings(2, c.fullHd);
        SDL_Surface* screen = OpenScreen(c.fullHd);
        CGame* game = Install<CGame>(c.id, c.id == StateMultiPlayer ? "Multi" : "Single");
        EXPECT_EQ(game->rightPaddle->singlePlayer, c.id == StateSinglePlayer);
        int& winner = c.leftWins ? game->leftScore : game->rightScore;
        (c.leftWins ? game->rightScore : game->leftScore) = 7;
        winner = 9;
        game->Render(screen);
        // The paddles' and the served ball's top-left corners, the scores and their font.
        const int at[][3] = {{30, 500, 0x00FF00}, {1840, 500, 0x0000FF}, {953, 533, 0xFFFF00}};
        for (const auto& a : at) {
            const int x = int(a[0] * scale), y = int(a[1] * scale);
            EXPECT_EQ(PixelAt(screen, x, y), Uint32(a[2])) << x << ", " << y;
            EXPECT_EQ(PixelAt(screen, x - 1, y) + PixelAt(screen, x, y - 1), 0u) << x << ", " << y;
        }
        CScoreboard* scores = game->scoreboard;
        EXPECT_EQ(Misplaced(screen, scores->leftText, c.fullHd ? 450 : 300, int(20 * scale)), 0);
        EXPECT_EQ(Misplaced(screen, scores->rightText, c.fullHd ? 1412 : 941, int(20 * scale)), 0);
        TTF_Font* font = TTF_OpenFont("Data/DejaVuSansMono.ttf", c.fullHd ? 60 : 40);
        EXPECT_EQ(TTF_FontHeight(scores->font), TTF_FontHeight(font));
        TTF_CloseFont(font);

        game->ball->x = c.leftWins ? 1904 : 1, game->ball->vx = c.leftWins ? 400 : -400;
        PressKey(SDLK_RETURN); // during play it does nothing
        Frame(game);
        EXPECT_EQ(winner, 10);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 15, 5), 0xFFFFFFu);
        EXPECT_EQ(PixelAt(screen, 5, 5), Field);

        // Over: the ball stands and the score stays, but the paddles still answer.
        HoldKey(c.leftDown);
        const float ballX = game->ball->x, paddleY = game->leftPaddle->y, vx = game->ball->vx;
        Frame(game);
        ReleaseAllKeys();
        EXPECT_EQ(game->ball->x, ballX);
        EXPECT_EQ(game->leftScore + game->rightScore, 17);
        EXPECT_GT(game->leftPaddle->y, paddleY);

        // RETURN plays on from 0 : 0 with the same ball, on from where it stood.
        PressKey(SDLK_RETURN);
        Frame(game);
        EXPECT_EQ(game->leftScore + game->rightScore, 0);
        Frame(game);
        EXPECT_NEAR(game->ball->x, ballX + 0.016 * vx, 0.01);
        game->Render(screen);
        EXPECT_EQ(PixelAt(screen, 15, 5), Field);

        PressKeys({c.leave});
        game->HandleEvents();
        EXPECT_EQ(current::GetInstance()->nextState, c.next);
        ResetStates(); // the match gives the font engine back
        EXPECT_EQ(TTF_WasInit(), 0);
    }
}

} // namespace
