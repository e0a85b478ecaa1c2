#include "Artwork.h"

#include "BitmapWriter.h"

#include <vector>

namespace {

// One palette for every screen.
const Colour NightTop = 0x0A1128;
const Colour NightBottom = 0x182C55;
const Colour Plate = 0x1D3160;
const Colour Slot = 0x111E3D;
const Colour Decor = 0x22386A;
const Colour Ink = 0xEEF2FA;
const Colour Muted = 0x9AADD2;
const Colour Dark = 0x131B33;
const Colour Amber = 0xFFB93B;
const Colour Cyan = 0x4FD2E8;
const Colour Orange = 0xFF8A3D;
const Colour Steel = 0x8FA3C7;
const Colour Field = 0x0F3148;
const Colour FieldLine = 0x2A5B78;
const Colour ScorePanel = 0xE4EAF5;
const Colour BallRim = 0xE0A63A;
const Colour BallCore = 0xFFF3D2;

const double FullWidth = 1920;
const double FullHeight = 1080;

// The paddle's body as the ball sees it. The ball bounces off the left paddle (drawn from x 30)
// with its left edge at 65..80 and its top 33..147 below the paddle's top: the body fills the
// 15 columns next to the field and the rows 40..155 that the ball's centre spans then.
const double PaddleWidth = 50;
const double PaddleHeight = 190;
const double BodyWidth = 15;
const double BodyTop = 40;
const double BodyHeight = 115;

// The block of the five menu entries, 100 units each.
const double EntriesX = 700;
const double EntriesY = 300;
const double EntryHeight = 100;
const char* const Entries[] = {"1 Player", "2 Players", "Options", "Credits", "Exit"};

// Options: where the game draws the values and the markers of the two rows.
const double LevelX = 1080, LevelY = 450, LevelW = 221, LevelH = 61;
const double ModeX = 1149, ModeY = 616, ModeW = 100, ModeH = 45;
const double Marker1X = 1049, Marker1Y = 455;
const double Marker2X = 1130, Marker2Y = 622;

// The banner of the result pictures and the reach of its shadow.
const double BannerX = 460, BannerY = 390, BannerW = 1000, BannerH = 300, BannerShadow = 28;

// Writes picture as a 32-bit bitmap; clears ok when that fails.
void Write32(bool& ok, const std::string& path, const CCanvas& picture) {
    ok = CBitmapWriter::Save(
             path, CBitmapWriter::Encode32(picture.Width(), picture.Height(), picture.Pixels())) &&
         ok;
}

// Sprite sheets hold their frames side by side in one row.
CCanvas Sheet(const std::vector<CCanvas>& frames) {
    const CCanvas& first = frames.front();
    CCanvas sheet(first.Width() * static_cast<int>(frames.size()), first.Height(), first.Scale(),
                  Magenta);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        sheet.Paste(frames[i], first.Width() * static_cast<int>(i), 0);
    }
    return sheet;
}

} // namespace

CArtwork::CArtwork(double scale) : scale(scale) {}

bool CArtwork::WriteTree(const std::string& folder) const {
    bool ok = true;
    const std::string game = folder + "/Game/";
    const std::string menu = folder + "/Menu/";
    Write32(ok, game + "Ball.bmp", Ball());
    Write32(ok, game + "Paddel1.bmp", Paddle(1));
    Write32(ok, game + "Paddel2.bmp", Paddle(2));
    Write32(ok, game + "Background.bmp", Background());
    // The game reads a result picture from its file in every frame: 8 bits make that cheap.
    const struct {
        const char* file;
        const char* title;
        Colour accent;
    } results[] = {{"Won.bmp", "You win!", Amber},
                   {"Lost.bmp", "You lose!", Steel},
                   {"Won1.bmp", "Player 1 wins!", Cyan},
                   {"Won2.bmp", "Player 2 wins!", Orange}};
    for (const auto& result : results) {
        const CCanvas picture = Result(result.title, result.accent);
        ok = CBitmapWriter::Save(
                 game + result.file,
                 CBitmapWriter::Encode8(picture.Width(), picture.Height(), picture.Pixels())) &&
             ok;
    }
    Write32(ok, menu + "Menu.bmp", Menu());
    Write32(ok, menu + "Menu_Select.bmp", MenuSelect());
    Write32(ok, menu + "OptionsBack.bmp", OptionsBack());
    Write32(ok, menu + "Options_Selections1.bmp", Levels());
    Write32(ok, menu + "Options_Selections2.bmp", DisplayModes());
    Write32(ok, menu + "Options_Select1.bmp", Marker(1));
    Write32(ok, menu + "Options_Select2.bmp", Marker(2));
    Write32(ok, menu + "Credits.bmp", Credits());
    return ok;
}

CCanvas CArtwork::Ball() const {
    // Sprites that move are smoothed into the field colour that they cross most of the time.
    CCanvas ball(Pixels(15), Pixels(15), scale, Field);
    ball.Disc(7.5, 7.5, 7.5, BallRim);
    ball.Disc(7.5, 7.5, 5.5, BallCore);
    ball.Disc(5.8, 5.8, 2, 0xFFFFFF);
    const CCanvas field(ball.Width(), ball.Height(), scale, Field);
    ball.KeyOut(field);
    return ball;
}

CCanvas CArtwork::Paddle(int player) const {
    // The left paddle faces the field with its right-most columns, the right one with its left.
    const double bodyX = player == 1 ? PaddleWidth - BodyWidth : 0;
    const Colour colour = player == 1 ? Cyan : Orange;
    const CCanvas field(Pixels(PaddleWidth), Pixels(PaddleHeight), scale, Field);
    std::vector<CCanvas> frames;
    for (int frame = 0; frame < 3; ++frame) {
        CCanvas paddle = field;
        // Left paddle: frame 0 moves up, 2 down; the right paddle the other way round.
        const bool up = (frame == 0) == (player == 1);
        if (frame != 1) {
            // A fading trail behind the moving body, its dashes shrinking away from it.
            for (int i = 0; i < 3; ++i) {
                const double y = up ? BodyTop + BodyHeight + 3 + 11 * i : BodyTop - 9 - 11 * i;
                const double inset = 2 + 1.5 * i;
                paddle.RoundRect(bodyX + inset, y, BodyWidth - 2 * inset, 6, 3,
                                 Mix(Field, colour, 0.8 - 0.22 * i));
            }
        }
        paddle.RoundRect(bodyX, BodyTop, BodyWidth, BodyHeight, 6, colour);
        paddle.RoundRect(bodyX + 4, BodyTop + 8, 4, BodyHeight - 16, 2, Mix(colour, Ink, 0.6));
        paddle.KeyOut(field);
        frames.push_back(paddle);
    }
    return Sheet(frames);
}

CCanvas CArtwork::Background() const {
    CCanvas field(Pixels(FullWidth), Pixels(FullHeight), scale, Field);
    for (double y = 10; y < FullHeight; y += 50) {
        field.FillRect(957, y, 6, 30, FieldLine);
    }
    field.Disc(960, 540, 115, FieldLine);
    field.Disc(960, 540, 109, Field);
    field.Disc(960, 540, 9, FieldLine);
    // Light panels behind the scores, which the game writes in dark blue from (450, 20) and
    // (1412, 20); a stripe in each player's colour below.
    const double panelX[] = {428, 1390};
    const Colour stripe[] = {Cyan, Orange};
    for (int i = 0; i < 2; ++i) {
        field.RoundRect(panelX[i], 12, 120, 86, 16, ScorePanel);
        field.RoundRect(panelX[i] + 24, 90, 72, 5, 2.5, stripe[i]);
    }
    return field;
}

CCanvas CArtwork::Result(const std::string& title, Colour accent) const {
    const CCanvas field = Background();
    // The picture is drawn from (0, 0): it reaches just as far as the banner's shadow.
    const double right = BannerX + BannerW + BannerShadow;
    const double bottom = BannerY + BannerH + BannerShadow;
    CCanvas result = Overlay(field, 0, 0, Pixels(right) + 1, Pixels(bottom) + 1, [&](CCanvas& c) {
        c.Shadow(BannerX, BannerY, BannerW, BannerH, 30, BannerShadow, 0.6);
        c.RoundRect(BannerX, BannerY, BannerW, BannerH, 30, accent);
        c.RoundRect(BannerX + 6, BannerY + 6, BannerW - 12, BannerH - 12, 25, Plate);
        c.Text(title, 960, BannerY + 115, 84, true, Ink, Align::Centre);
        c.Text("RETURN: play again   ESC: menu", 960, BannerY + 225, 30, false, Muted,
               Align::Centre);
    });
    // Room for magenta in a palette of 256 colours.
    result.LimitColours(255);
    return result;
}

CCanvas CArtwork::Backdrop() const {
    CCanvas screen(Pixels(FullWidth), Pixels(FullHeight), scale, NightTop);
    screen.GradientRect(0, 0, FullWidth, FullHeight, NightTop, NightBottom);
    // A quiet rally at the edges, clear of every screen's text: two paddles and a ball on its
    // way from the left one to the right one.
    screen.RoundRect(120, 640, 34, 230, 17, Decor);
    screen.RoundRect(1766, 170, 34, 230, 17, Decor);
    for (int i = 4; i >= 1; --i) {
        screen.Disc(1660 - 45 * i, 470 + 30 * i, 17 - 2.4 * i,
                    Mix(NightBottom, Decor, 1 - 0.15 * i));
    }
    screen.Disc(1660, 470, 24, Decor);
    return screen;
}

void CArtwork::Title(CCanvas& canvas, const std::string& text, double points) const {
    canvas.Text(text, 960, 165, points, true, Ink, Align::Centre);
    canvas.RoundRect(900, 245, 120, 8, 4, Amber);
}

CCanvas CArtwork::Overlay(const CCanvas& under, double x, double y, int w, int h,
                          const std::function<void(CCanvas&)>& draw) const {
    CCanvas picture = under;
    draw(picture);
    CCanvas part = picture.Crop(Pixels(x), Pixels(y), w, h);
    part.KeyOut(under.Crop(Pixels(x), Pixels(y), w, h));
    return part;
}

CCanvas CArtwork::Menu() const {
    CCanvas menu = Backdrop();
    Title(menu, "Zorvat", 130);
    for (int i = 0; i < 5; ++i) {
        const double y = EntriesY + EntryHeight * i;
        menu.RoundRect(EntriesX + 20, y + 10, 480, 80, 22, Plate);
        menu.Text(Entries[i], 960, y + 50, 40, true, Ink, Align::Centre);
    }
    menu.Text("UP / DOWN: choose     RETURN: select", 960, 1010, 28, false, Muted, Align::Centre);
    return menu;
}

CCanvas CArtwork::MenuSelect() const {
    const CCanvas menu = Menu();
    std::vector<CCanvas> frames;
    for (int i = 0; i < 5; ++i) {
        const double y = EntriesY + EntryHeight * i;
        frames.push_back(
            Overlay(menu, EntriesX, EntriesY, Pixels(520), Pixels(500), [&](CCanvas& c) {
                c.RoundRect(EntriesX + 14, y + 5, 492, 90, 26, Amber);
                c.Text(Entries[i], 960, y + 50, 40, true, Dark, Align::Centre);
                c.Disc(EntriesX + 62, y + 50, 10, Dark);
                c.Disc(EntriesX + 458, y + 50, 10, Dark);
            }));
    }
    return Sheet(frames);
}

CCanvas CArtwork::OptionsBack() const {
    CCanvas options = Backdrop();
    Title(options, "Options", 110);
    const char* labels[] = {"Computer level", "Display mode"};
    const double centres[] = {LevelY + LevelH / 2, ModeY + ModeH / 2};
    for (int i = 0; i < 2; ++i) {
        options.RoundRect(520, centres[i] - 56, 880, 112, 26, Plate);
        options.Text(labels[i], 580, centres[i], 40, true, Ink, Align::Left);
    }
    options.RoundRect(LevelX, LevelY, LevelW, LevelH, 14, Slot);
    options.RoundRect(ModeX, ModeY, ModeW, ModeH, 12, Slot);
    options.Text("UP / DOWN: choose a row     LEFT / RIGHT: change     RETURN: save     ESC: back",
                 960, 1010, 28, false, Muted, Align::Centre);
    return options;
}

CCanvas CArtwork::Levels() const {
    const CCanvas options = OptionsBack();
    std::vector<CCanvas> frames;
    for (const char* level : {"Easy", "Normal", "Hard"}) {
        frames.push_back(
            Overlay(options, LevelX, LevelY, Pixels(LevelW), Pixels(LevelH), [&](CCanvas& c) {
                c.Text(level, LevelX + LevelW / 2, LevelY + LevelH / 2, 32, true, Amber,
                       Align::Centre);
            }));
    }
    return Sheet(frames);
}

CCanvas CArtwork::DisplayModes() const {
    const CCanvas options = OptionsBack();
    std::vector<CCanvas> frames;
    for (const char* mode : {"1080p", "720p"}) {
        frames.push_back(
            Overlay(options, ModeX, ModeY, Pixels(ModeW), Pixels(ModeH), [&](CCanvas& c) {
                c.Text(mode, ModeX + ModeW / 2, ModeY + ModeH / 2, 26, true, Amber, Align::Centre);
            }));
    }
    return Sheet(frames);
}

CCanvas CArtwork::Marker(int row) const {
    // An arrow level with its row's value, its tip just short of the value's slot.
    const double x = row == 1 ? Marker1X : Marker2X;
    const double y = row == 1 ? Marker1Y : Marker2Y;
    const double tip = row == 1 ? LevelX - 6 : ModeX - 4;
    const double middle = row == 1 ? LevelY + LevelH / 2 : ModeY + ModeH / 2;
    const double w = tip - x + 1;
    const double h = middle + 15 - y;
    return Overlay(OptionsBack(), x, y, Pixels(w) + 1, Pixels(h) + 1, [&](CCanvas& c) {
        c.Triangle(tip - 15, middle - 14, tip - 15, middle + 14, tip, middle, Amber);
    });
}

CCanvas CArtwork::Credits() const {
    CCanvas credits = Backdrop();
    Title(credits, "Zorvat", 130);
    credits.Text("Made by the Zorvat developers", 960, 330, 40, false, Ink, Align::Centre);
    credits.RoundRect(490, 410, 940, 430, 28, Plate);
    credits.Text("Fonts", 960, 470, 26, true, Muted, Align::Centre);
    credits.Text("DejaVu Sans Mono, DejaVu Sans", 960, 525, 38, false, Ink, Align::Centre);
    credits.Text("DejaVu Fonts License", 960, 580, 28, false, Muted, Align::Centre);
    credits.Text("Libraries", 960, 680, 26, true, Muted, Align::Centre);
    credits.Text("SDL 1.2, SDL_ttf 2.0", 960, 735, 38, false, Ink, Align::Centre);
    credits.Text("ESC: back", 960, 1010, 28, false, Muted, Align::Centre);
    return credits;
}
