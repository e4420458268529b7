// The about screen: its build, its animation rules, a click that removes it, and the game
// going on underneath.

#include "ShellFixture.h"

#include "table/About.h"

#include <QFrame>
#include <QPointer>

#include <vector>

namespace {

struct TLayerState
{
    TFloatRect Location;
    uint8_t Alpha;
    int Index;
    friend bool operator==(const TLayerState&, const TLayerState&) = default;
};

std::vector<TLayerState> Snapshot(TImage32& Image)
{
    std::vector<TLayerState> layers;
    for (int i = 0; i < Image.Layers().Count(); ++i) {
        TBitmapLayer* layer = Image.Layers().Items(i);
        layers.push_back({layer->Location(), layer->Bitmap().MasterAlpha(), layer->Index()});
    }
    return layers;
}

QPoint Centre(const TFloatRect& R)
{
    return QPoint(int((R.Left + R.Right) / 2), int((R.Top + R.Bottom) / 2));
}

// Lets the event loop destroy what was handed to it for later.
void FlushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class AboutScreenTest : public ShellTest
{
protected:
    TImage32* Screen() { return F().*A::FAboutImage; }
    void Show() { (F().*A::ShowAboutScreen)(); }
    void Tick() { (F().*A::AboutThreadedTimerTimer)(nullptr); }
    uint8_t CaptionAlpha()
    {
        return Screen()->Layers().Items(AboutCaptionLayer)->Bitmap().MasterAlpha();
    }
};

TEST_F(AboutScreenTest, BuildsSixtyLayersOverTheTable)
{
    SeedRandom(77);
    Show();
    ASSERT_NE(Screen(), nullptr);
    EXPECT_EQ(Screen()->Layers().Count(), 60);
    EXPECT_TRUE(F().AboutThreadedTimer->Enabled());
    // It covers the panel from its inner top-left corner, as high as the whole panel, and
    // shows only the inside, its line at the bottom of it.
    const QRect inside = F().CardTablePanel->contentsRect();
    EXPECT_EQ(Screen()->geometry(),
              QRect(inside.left(), inside.top(), inside.width(), F().CardTablePanel->height()));
    ASSERT_NE(F().*A::FShape2, nullptr);
    EXPECT_EQ((F().*A::FShape2)->geometry(), QRect(0, inside.height() - 1, inside.width(), 1));

    // The cards draw their alpha, place and velocity in that order from the one generator.
    SeedRandom(77);
    const auto& velocities = F().*A::FVelocityArray;
    ASSERT_EQ(velocities.size(), 52u);
    for (int i = 0; i < 52; ++i) {
        SCOPED_TRACE(i);
        const int alpha = RandomInt(155) + 10;
        const int left = RandomInt(Screen()->width());
        const int top = RandomInt(Screen()->height());
        const auto vx = float(RandomReal() - 0.5);
        const auto vy = float(RandomReal() - 0.5);
        TBitmapLayer* card = Screen()->Layers().Items(AboutFirstCardLayer + i);
        EXPECT_EQ(card->Bitmap().MasterAlpha(), alpha);
        EXPECT_EQ(card->Location(),
                  (TFloatRect{float(left), float(top), float(left + 53), float(top + 83)}));
        EXPECT_EQ(velocities[size_t(i)], (TFloatPoint{vx, vy}));
    }

    // Logo centred on the panel (2 pixels up and left), caption 23 pixels below centre.
    const TFloatRect logo = Screen()->Layers().Items(AboutLogoLayer)->Location();
    EXPECT_EQ(logo.Right - logo.Left, 322);
    EXPECT_EQ(int(logo.Left), int(std::nearbyint((F().CardTablePanel->width() - 322) / 2.0)) - 2);
    const TFloatRect caption = Screen()->Layers().Items(AboutCaptionLayer)->Location();
    EXPECT_EQ(int(caption.Top), int(std::nearbyint((Screen()->height() - 20) / 2.0)) + 23);
    EXPECT_EQ(Screen()->Layers().Items(AboutCaptionLayer)->Tag, 1);
}

TEST_F(AboutScreenTest, SecondAboutKeepsTheScreenShown)
{
    Show();
    TImage32* first = Screen();
    Show();
    EXPECT_EQ(Screen(), first);
    EXPECT_EQ(Screen()->Layers().Count(), 60);
    EXPECT_EQ((F().*A::FVelocityArray).size(), 52u);
}

TEST_F(AboutScreenTest, CaptionPulsesInANinetyTwoTickCycle)
{
    Show();
    F().AboutThreadedTimer->SetEnabled(false); // the test ticks by hand

    const struct
    {
        int Tick;
        int Alpha;
    } expected[] = {{1, 250},  {2, 245},  {46, 25},   {47, 20},   {48, 20},  {49, 25},
                    {50, 30},  {92, 240}, {93, 245},  {94, 245},  {95, 240}, {139, 20},
                    {140, 20}, {141, 25}, {185, 245}, {186, 245}, {187, 240}};
    int tick = 0;
    for (const auto& e : expected) {
        while (tick < e.Tick) {
            Tick();
            ++tick;
        }
        EXPECT_EQ(CaptionAlpha(), e.Alpha) << "after tick " << e.Tick;
    }
}

TEST(AboutPulseTest, TurnsOnlyAtTheEnds)
{
    const struct
    {
        int Alpha, Tag, NewAlpha, NewTag;
    } cases[] = {{255, 1, 250, 1}, {25, 1, 20, 1},   {21, 1, 16, 1},
                 {20, 1, 20, 0},   {10, 1, 10, 0},   {20, 0, 25, 0},
                 {240, 0, 245, 0}, {245, 0, 245, 1}, {250, 0, 250, 1}};
    for (const auto& c : cases) {
        auto alpha = uint8_t(c.Alpha);
        int tag = c.Tag;
        AboutPulse(alpha, tag);
        EXPECT_EQ(alpha, c.NewAlpha) << "from " << c.Alpha << " tag " << c.Tag;
        EXPECT_EQ(tag, c.NewTag) << "from " << c.Alpha << " tag " << c.Tag;
    }
}

TEST(AboutBounceTest, TurnsOnlyCardsHeadingOutwards)
{
    const float width = 344, height = 558;
    const struct
    {
        const char* Name;
        TFloatRect R;
        TFloatPoint V, Expected;
    } cases[] = {
        {"left, heading out", {-0.3f, 100, 52.7f, 183}, {-0.2f, 0.3f}, {1, 0.3f}},
        {"left, heading back", {-0.3f, 100, 52.7f, 183}, {0.1f, 0.3f}, {0.1f, 0.3f}},
        {"top, heading out", {100, -2, 153, 81}, {0.2f, -0.4f}, {0.2f, 1}},
        {"right, heading out", {292, 100, width + 1, 183}, {0.2f, 0}, {-1, 0}},
        {"right, heading back", {292, 100, width + 1, 183}, {-0.2f, 0}, {-0.2f, 0}},
        {"bottom, heading out", {100, 476, 153, height + 1}, {0, 0.3f}, {0, -1}},
        {"corner, heading out", {-1, -1, 52, 82}, {-0.1f, -0.1f}, {1, 1}},
        {"on the edge", {0, 0, 53, 83}, {-0.1f, -0.1f}, {-0.1f, -0.1f}},
        {"inside", {100, 100, 153, 183}, {-0.7f, 0.9f}, {-0.7f, 0.9f}},
    };
    for (const auto& c : cases) {
        const TFloatPoint v = AboutBounce(c.R, c.V, width, height);
        EXPECT_EQ(v.X, c.Expected.X) << c.Name;
        EXPECT_EQ(v.Y, c.Expected.Y) << c.Name;
    }
}

TEST_F(AboutScreenTest, TicksMoveEveryCardByItsVelocity)
{
    Show();
    F().AboutThreadedTimer->SetEnabled(false);
    const std::vector<TLayerState> before = Snapshot(*Screen());
    const TArrayOfFloatPoint velocities = F().*A::FVelocityArray;
    Tick();
    for (int i = 0; i < 52; ++i) {
        const TFloatRect r = Screen()->Layers().Items(AboutFirstCardLayer + i)->Location();
        const TFloatRect& was = before[size_t(AboutFirstCardLayer + i)].Location;
        EXPECT_EQ(r.Left, was.Left + velocities[size_t(i)].X) << i;
        EXPECT_EQ(r.Bottom, was.Bottom + velocities[size_t(i)].Y) << i;
    }
    // Outlines and logo stay put.
    for (int i : {0, 5, AboutLogoLayer})
        EXPECT_EQ(Screen()->Layers().Items(i)->Location(), before[size_t(i)].Location);
}

// A click anywhere on the screen removes it: on the background, a card or the logo.
// The panel's black border, and the black line under the strip, stay in view on all four
// sides while the screen lies over the table.
TEST_F(AboutScreenTest, ThePanelsBorderAndBottomLineStayBlack)
{
    Show();
    QFrame& panel = *F().CardTablePanel;
    const QImage shot = panel.grab().toImage();
    const QRect outer = panel.rect();
    const QRgb black = qRgb(0, 0, 0);
    int wrong = 0;
    for (int x = 0; x < outer.width(); ++x) {
        for (const int y : {0, outer.height() - 1, outer.height() - 2})
            wrong += shot.pixel(x, y) != black;
    }
    for (int y = 0; y < outer.height(); ++y) {
        for (const int x : {0, outer.width() - 1})
            wrong += shot.pixel(x, y) != black;
    }
    EXPECT_EQ(wrong, 0);
    // Inside, the screen's green shows.
    EXPECT_EQ(shot.pixel(2, outer.height() - 3), qRgb(0, 128, 0));
}

class AboutClickTest : public AboutScreenTest, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(AboutClickTest, ClickRemovesTheScreen)
{
    F().RequestNewSeries(); // a dealt table underneath
    const std::vector<TLayerState> table = Snapshot(*(F().*A::FGameTableImage));
    Show();
    TImage32& screen = *Screen();

    QPoint at;
    const std::string where = GetParam();
    if (where == "logo") {
        at = Centre(screen.Layers().Items(AboutLogoLayer)->Location());
    } else if (where == "card") {
        // A corner of the logo's frame where no card lies would be the background; pick
        // the topmost card instead: the last one drawn that is on the screen.
        for (int i = AboutLogoLayer - 1; i >= AboutFirstCardLayer; --i) {
            const QPoint c = Centre(screen.Layers().Items(i)->Location());
            if (screen.rect().contains(c) &&
                screen.Layers().HitTest(c.x(), c.y()) == screen.Layers().Items(i)) {
                at = c;
                break;
            }
        }
    } else {
        // (0, 0) would read as "no position" to the click: start one pixel in.
        for (int y = 1; y < screen.height() && at.isNull(); y += 3)
            for (int x = 1; x < screen.width(); x += 3)
                if (!screen.Layers().HitTest(x, y)) {
                    at = QPoint(x, y);
                    break;
                }
    }
    ASSERT_FALSE(at.isNull()) << where;

    QPointer<TImage32> gone(&screen);
    QTest::mouseClick(&screen, Qt::LeftButton, {}, at);
    EXPECT_EQ(Screen(), nullptr);
    EXPECT_EQ(F().*A::FShape2, nullptr);
    EXPECT_TRUE((F().*A::FVelocityArray).empty());
    EXPECT_FALSE(F().AboutThreadedTimer->Enabled());
    // A tick that was already on its way does nothing.
    Tick();
    FlushDeferredDeletes();
    EXPECT_TRUE(gone.isNull());
    EXPECT_EQ(Snapshot(*(F().*A::FGameTableImage)), table);
}

INSTANTIATE_TEST_SUITE_P(Where, AboutClickTest, ::testing::Values("background", "card", "logo"));

struct TAboutKeyCase
{
    const char* Name;
    Qt::Key Key;
    bool Leaves;
};

void PrintTo(const TAboutKeyCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class AboutKeyTest : public AboutScreenTest, public ::testing::WithParamInterface<TAboutKeyCase>
{
};

// The screen takes the keyboard when it shows; Escape, Space and Enter leave it as a click
// does, and the keyboard goes back to where it was. Other keys leave it up.
TEST_P(AboutKeyTest, KeysThatLeaveTheScreen)
{
    F().show();
    F().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F()));
    ASSERT_TRUE(QTest::qWaitFor([this] { return Idle(); }, 20000));
    // Two widgets that take the keyboard: when the screen goes, Qt alone would hand the
    // keyboard to the first of them.
    (F().*A::FGameTableImage)->setFocusPolicy(Qt::StrongFocus);
    QWidget* before = F().*A::FStaticsPanel;
    before->setFocusPolicy(Qt::StrongFocus);
    before->setFocus();
    Show();
    ASSERT_NE(Screen(), nullptr);
    EXPECT_TRUE(Screen()->hasFocus());

    QTest::keyClick(Screen(), GetParam().Key);
    EXPECT_EQ(Screen() == nullptr, GetParam().Leaves) << GetParam().Name;
    if (GetParam().Leaves) {
        EXPECT_FALSE(F().AboutThreadedTimer->Enabled());
        EXPECT_EQ(QApplication::focusWidget(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, AboutKeyTest,
    ::testing::Values(TAboutKeyCase{"Escape", Qt::Key_Escape, true},
                      TAboutKeyCase{"Space", Qt::Key_Space, true},
                      TAboutKeyCase{"Return", Qt::Key_Return, true},
                      TAboutKeyCase{"Enter", Qt::Key_Enter, true},
                      TAboutKeyCase{"Letter", Qt::Key_A, false},
                      TAboutKeyCase{"Arrow", Qt::Key_Left, false}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// About while a card is on its way: the card arrives, the deal goes on to its end under
// the screen, and a click brings the table back as the game left it.
TEST_F(AboutScreenTest, AboutDuringACardMove)
{
    bool shownInFlight = false;
    OnceWhen([this] { return F().MoveCardThreadedTimer->Enabled(); },
             [&] {
                 F().HelpAboutAction->trigger();
                 shownInFlight = Screen() && Screen()->isVisibleTo(F().CardTablePanel);
             });
    F().RequestNewSeries();

    EXPECT_TRUE(shownInFlight);
    ASSERT_NE(Screen(), nullptr);
    EXPECT_TRUE(Idle());
    // The deal and the computer's turn finished under the screen: the computer's goal holds
    // its card (the player's may have been scored on and cleared at the change of turn),
    // and every card in a slot lies exactly on it.
    EXPECT_NE(Slots()[slotComputerGoal].Card, nullptr);
    for (int slot = 1; slot <= 13; ++slot)
        if (const TPlayingCard* card = Slots()[slot].Card) {
            EXPECT_EQ(LayerOf(*card)->Location(), Slots()[slot].HotSpotLocation) << slot;
        }
    // The screen animates: the deal did not hold it up. (It may have finished before the
    // screen's first tick on a busy machine, so the tick is waited for.)
    EXPECT_TRUE(QTest::qWaitFor([&] { return CaptionAlpha() != 255; }, 5000));

    const std::vector<TLayerState> table = Snapshot(*(F().*A::FGameTableImage));
    const QImage picture = (F().*A::FGameTableImage)->grab().toImage();
    QTest::mouseClick(Screen(), Qt::LeftButton, {}, QPoint(5, 5));
    FlushDeferredDeletes();
    EXPECT_EQ(Screen(), nullptr);
    EXPECT_EQ(Snapshot(*(F().*A::FGameTableImage)), table);
    EXPECT_EQ((F().*A::FGameTableImage)->grab().toImage(), picture);
}
