// What the table offers the player on top of the game: the playable markers over a table
// of positions, compared with the rules engine's own answer for the same position.

#include "TableFixture.h"
#include "assets/pictures/GameImages.h"
#include "table/TableLook.h"
#include "tests/game/Positions.h"

#include <QAction>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QTest>
#include <QToolTip>

#include <cmath>
#include <cstdio>
#include <functional>

#include <vector>

namespace {

// A window whose table holds a position laid out card by card, the player to move.
class HintsFixture : public TableFixture
{
protected:
    void SetUp() override
    {
        TableFixture::SetUp();
        (F().*A::BuildScoreboard)(QStringLiteral("Player"));
        ShufflePack();
    }

    static constexpr int TopIndex = 30;

    // The position laid out in the match (the player to move, no beaten cards to fade
    // first) and shown on the table.
    void LayOut(const std::vector<TCardAt>& Cards, TCardValue Top, uint8_t TopKind = kindFaceUp)
    {
        M().SetUpPosition(Cards, Top, TopKind, TopIndex, tuPlayer);
        (F().*A::ShowPosition)();
    }

    // The player's turn begins as the window starts it: inside a sequence of its own.
    void PlayersTurn()
    {
        A::TSequence sequence(F());
        (F().*A::NextMove)(tuPlayer);
    }
};

struct TMarkerCase
{
    const char* Name;
    std::vector<TCardAt> Cards;
    TCardValue Top;
    uint8_t TopKind;
    std::vector<int> Expected;
    friend void PrintTo(const TMarkerCase& Case, std::ostream* Out) { *Out << Case.Name; }
};

class MarkerPositions : public HintsFixture, public ::testing::WithParamInterface<TMarkerCase>
{
};

TEST_P(MarkerPositions, TheMarkersAreTheEnginesPlayableSlots)
{
    const TMarkerCase& c = GetParam();
    TMatch engine;
    engine.SetUpPosition(c.Cards, c.Top, c.TopKind, TopIndex, tuPlayer);
    ASSERT_EQ(engine.Playable(tuPlayer), c.Expected);

    LayOut(c.Cards, c.Top, c.TopKind);
    PlayersTurn();
    EXPECT_EQ(F().MarkedSlots(), c.Expected);
    // Each marker lies on its slot's card place, above every card.
    for (int slot : F().MarkedSlots()) {
        const TBitmapLayer* marker = Table().Layers().HitTest(Slot(slot).HotSpotLocation.Left + 1,
                                                              Slot(slot).HotSpotLocation.Top + 1);
        ASSERT_NE(marker, nullptr);
        EXPECT_EQ(marker->Location(), Slot(slot).HotSpotLocation) << "slot " << slot;
        EXPECT_TRUE(marker->Bitmap().Shows()) << "slot " << slot;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Positions, MarkerPositions,
    ::testing::Values(
        TMarkerCase{"OnlyTheDiscardPile", Full(cvKing, cvFive), cvSeven, kindFaceUp, {14}},
        TMarkerCase{"TheForwardsItBeats", Full(cvFive, cvKing), cvSeven, kindFaceUp, {5, 6, 7}},
        TMarkerCase{"EqualRankBeatsToo", Full(cvSeven, cvKing), cvSeven, kindFaceUp, {5, 6, 7}},
        TMarkerCase{
            "OwnVacancies", Without(Full(cvKing, cvFive), {8, 11}), cvSeven, kindFaceUp, {8, 11}},
        TMarkerCase{"FaceDownGoesToTheGoalOrIsTurned",
                    Without(Full(cvKing, cvFive), {13}),
                    cvSeven,
                    kindPlayerBack,
                    {1, 13}},
        TMarkerCase{"AnUncoveredDefender",
                    Without(Full(cvFive, cvKing), {5, 6}),
                    cvSix,
                    kindFaceUp,
                    {3, 4, 7}},
        TMarkerCase{
            "TheOpenGoal", Without(Full(cvKing, cvFive), {3, 5}), cvSeven, kindFaceUp, {2}}),
    [](const auto& info) { return std::string(info.param.Name); });

// The markers go while cards move and the computer plays, and come back for the next
// move of the player.
TEST_F(HintsFixture, TheMarkersHideWhileASequenceRunsOrTheComputerIsToMove)
{
    LayOut(Full(cvFive, cvKing), cvSeven);
    PlayersTurn();
    ASSERT_EQ(F().MarkedSlots(), (std::vector<int>{5, 6, 7}));
    {
        A::TSequence sequence(F());
        EXPECT_EQ(F().MarkedSlots(), std::vector<int>{});
        LayerOf(*Slot(6).Card)->BringToFront(); // a card moved meanwhile
    }
    EXPECT_EQ(F().MarkedSlots(), (std::vector<int>{5, 6, 7}));
    const TFloatRect& place = Slot(6).HotSpotLocation;
    const TBitmapLayer* top = Table().Layers().HitTest(place.Left + 1, place.Top + 1);
    EXPECT_NE(top, LayerOf(*Slot(6).Card)) << "the marker lies under the card";

    M().SetTurn(tuComputer);
    F().RefreshPlayableMarkers();
    EXPECT_EQ(F().MarkedSlots(), std::vector<int>{});
}

// With the choice off nothing is drawn at all: the table keeps the layers it had.
TEST_F(HintsFixture, WithTheChoiceOffNoMarkerIsDrawn)
{
    const int layers = Table().Layers().Count();
    F().ViewShowPlayableAction->trigger();
    ASSERT_FALSE(F().ShowsPlayable());
    LayOut(Full(cvFive, cvKing), cvSeven);
    PlayersTurn();
    EXPECT_EQ(F().MarkedSlots(), std::vector<int>{});
    EXPECT_EQ(Table().Layers().Count(), layers);

    // Switched on while the player is to move: the markers come at once; off, they go.
    F().ViewShowPlayableAction->trigger();
    EXPECT_EQ(F().MarkedSlots(), (std::vector<int>{5, 6, 7}));
    F().ViewShowPlayableAction->trigger();
    EXPECT_EQ(F().MarkedSlots(), std::vector<int>{});
}

// Hint: the slot All-Star would play in the player's place, marked for two seconds, above
// the cards; the wings case of the engine's own hint table.
TEST_F(HintsFixture, HintMarksAllStarsSlotForTwoSeconds)
{
    std::vector<TCardAt> cards = Full(cvTwo, cvKing);
    for (TCardAt change :
         std::vector<TCardAt>{{3, cvKing}, {4, cvQueen}, {5, cvTwo}, {6, cvSix}, {7, cvFour}})
        std::ranges::replace_if(
            cards, [&](const TCardAt& at) { return at.Slot == change.Slot; }, change);
    LayOut(cards, cvSeven);
    PlayersTurn();
    EXPECT_EQ(F().GameHintAction->shortcut(), QKeySequence(Qt::Key_H));

    QElapsedTimer clock;
    clock.start();
    F().GameHintAction->trigger();
    ASSERT_EQ(F().HintedSlot(), 7);
    const TFloatRect& place = Slot(7).HotSpotLocation;
    const TBitmapLayer* hint = Table().Layers().HitTest(place.Left + 1, place.Top + 1);
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->Location(), place);
    EXPECT_TRUE(hint->Bitmap().Shows());
    // Distinct from the marker on the same slot.
    EXPECT_NE(hint->Bitmap().Image(), Table().Layers().Items(hint->Index() - 1)->Bitmap().Image());

    ASSERT_TRUE(QTest::qWaitFor([this] { return F().HintedSlot() == -1; }, 5000));
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_LE(clock.elapsed(), 4000);
    EXPECT_FALSE(hint->Bitmap().Shows());
    EXPECT_EQ(F().MarkedSlots(), (std::vector<int>{5, 6, 7}));
}

TEST_F(HintsFixture, NoHintWhileASequenceRunsOrTheComputerIsToMove)
{
    LayOut(Full(cvFive, cvKing), cvSeven);
    PlayersTurn();
    {
        A::TSequence sequence(F());
        F().GameHintAction->trigger();
        EXPECT_EQ(F().HintedSlot(), -1);
    }
    M().SetTurn(tuComputer);
    F().GameHintAction->trigger();
    EXPECT_EQ(F().HintedSlot(), -1);

    // A hint shown goes as soon as a sequence starts.
    M().SetTurn(tuPlayer);
    F().GameHintAction->trigger();
    ASSERT_NE(F().HintedSlot(), -1);
    A::TSequence sequence(F());
    EXPECT_EQ(F().HintedSlot(), -1);
}

// A refused press says why, whether it lands on a card or on an empty place; a press
// while a sequence runs says nothing.
struct TRefusedPress
{
    int Slot;
    const char* Text;
};

// The window on the screen, where tooltips show.
class ShownTable : public HintsFixture
{
protected:
    void PressOn(int slot)
    {
        const TFloatRect& r = Slot(slot).HotSpotLocation;
        PressAt(int(r.Left + r.Right) / 2, int(r.Top + r.Bottom) / 2);
    }
    // The tooltip label appears from the event loop.
    static QString ShownTip()
    {
        (void)QTest::qWaitFor([] { return QToolTip::isVisible(); }, 1000);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }
    void SetUp() override
    {
        HintsFixture::SetUp();
        // A tooltip shows only over a window on the screen; no series starts by itself.
        F().*A::FActivated = true;
        F().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&F()));
    }
    static bool TipGone()
    {
        return QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000);
    }
};

class RefusedPress : public ShownTable, public ::testing::WithParamInterface<TRefusedPress>
{
};

TEST_P(RefusedPress, ShowsTheRuleAtThePointer)
{
    // The computer's forwards are Nines, a Four on top; its slot 5 left empty.
    std::vector<TCardAt> cards = Without(Full(cvNine, cvKing), {5});
    LayOut(cards, cvFour);
    PlayersTurn();
    QToolTip::hideText();
    const uint8_t top = Pack().bTopCardsIndex;
    PressOn(GetParam().Slot);
    EXPECT_EQ(ShownTip().toStdString(), GetParam().Text);
    EXPECT_EQ(Pack().bTopCardsIndex, top); // nothing moved
    EXPECT_TRUE(F().*A::FCanMoveCard);
}

INSTANTIATE_TEST_SUITE_P(
    Slots, RefusedPress,
    ::testing::Values(
        TRefusedPress{6,
                      "A Four cannot beat the Nine: a forward falls to an equal or higher card."},
        TRefusedPress{5, "There is no card here to beat."},
        TRefusedPress{4,
                      "A Four cannot beat the Nine: a defender falls to an equal or higher card."},
        TRefusedPress{2, "The goal is not open yet."},
        TRefusedPress{9, "Your King already holds this place."},
        TRefusedPress{1, "Only a face-down card of your colour is turned over."},
        TRefusedPress{14, ""}), // playable: the press simply waits for the lit frame
    [](const auto& info) { return "Slot" + std::to_string(info.param.Slot); });

// A refusal's tip belongs to its slot: it goes as soon as the pointer (for a press) or the
// focus frame (for a key) leaves it, or a move is made, not some ten seconds later.
TEST_F(ShownTable, ARefusalsTipGoesWithItsSlot)
{
    const auto key = [this](int Key) {
        QKeyEvent press(QEvent::KeyPress, Key, Qt::NoModifier);
        QCoreApplication::sendEvent(&Table(), &press);
    };
    const auto centre = [this](int slot) {
        const TFloatRect& r = Slot(slot).HotSpotLocation;
        return QPoint(int(r.Left + r.Right) / 2, int(r.Top + r.Bottom) / 2);
    };
    struct Case
    {
        const char* Name;
        bool ByKey; // the tip of Space on slot 6, else of a press there
        std::function<void()> Then;
    };
    const Case cases[] = {
        {"the pointer moves to another slot", false,
         [&] { HoverAt(centre(9).x(), centre(9).y()); }},
        {"the pointer moves off the slots", false, [&] { HoverAt(2, 2); }},
        {"the pointer leaves the table", false,
         [&] {
             QEvent leave(QEvent::Leave);
             QCoreApplication::sendEvent(&Table(), &leave);
         }},
        {"the focus frame moves on", true, [&] { key(Qt::Key_Right); }},
        {"the player moves", true,
         [&] {
             A::TSequence sequence(F());
             (F().*A::CarryOutMove)(tuPlayer, slotDiscard);
             (F().*A::NextMove)(M().Turn());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        LayOut(Without(Full(cvNine, cvKing), {5}), cvFour);
        PlayersTurn();
        QToolTip::hideText();
        ASSERT_TRUE(TipGone());
        if (c.ByKey) {
            (F().*A::SetFocusSlot)(6);
            key(Qt::Key_Space);
        } else {
            PressOn(6);
        }
        ASSERT_FALSE(ShownTip().isEmpty());
        c.Then();
        EXPECT_TRUE(TipGone()) << QToolTip::text().toStdString();
    }
}

TEST_F(HintsFixture, APressWhileASequenceRunsSaysNothing)
{
    LayOut(Full(cvNine, cvKing), cvFour);
    PlayersTurn();
    QToolTip::hideText();
    A::TSequence sequence(F());
    const TFloatRect& r = Slot(6).HotSpotLocation;
    PressAt(int(r.Left) + 20, int(r.Top) + 20);
    EXPECT_FALSE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 500))
        << QToolTip::text().toStdString();
}

// Without the markers no layer lies over the cards but their own: a press on a card still
// reaches its slot.
TEST_P(RefusedPress, AlsoWithTheMarkersOff)
{
    F().ViewShowPlayableAction->trigger();
    ASSERT_FALSE(F().ShowsPlayable());
    LayOut(Without(Full(cvNine, cvKing), {5}), cvFour);
    PlayersTurn();
    QToolTip::hideText();
    PressOn(GetParam().Slot);
    EXPECT_EQ(ShownTip().toStdString(), GetParam().Text);
}

} // namespace

// The marker shows on whatever lies under it: across each arm of its corner ticks, a band
// of its pixels at least two pixels wide contrasts 3:1 or more (WCAG) with what it covers,
// on a card face, on either back, on the pack's mark and on the bare green.
TEST(MarkerLook, EveryArmHasABandThatContrastsWithWhatItLiesOn)
{
    TBitmap32List cards, game, logo;
    LoadGameImages(cards, game, logo);
    const auto luminance = [](QRgb c) {
        const auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
    };
    const auto contrast = [&luminance](QRgb a, QRgb b) {
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };
    struct TBackground
    {
        const char* Name;
        std::function<QImage(qreal)> Picture;
    };
    const auto green = [](qreal Ratio) {
        QImage image(int(std::ceil(CardWidth * Ratio)), int(std::ceil(CardHeight * Ratio)),
                     QImage::Format_ARGB32);
        image.fill(TableGreen());
        return image;
    };
    const TBackground backgrounds[] = {
        {"ten of hearts", [&](qreal r) { return cards.Bitmap(13 + 8).RenderedImage(r); }},
        {"ace of spades", [&](qreal r) { return cards.Bitmap(38).RenderedImage(r); }},
        {"blue back", [&](qreal r) { return game.Bitmap(0).RenderedImage(r); }},
        {"red back", [&](qreal r) { return game.Bitmap(1).RenderedImage(r); }},
        {"pack's mark", [&](qreal r) { return game.Bitmap(2).RenderedImage(r); }},
        {"green", green},
    };
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage marker = MarkerPicture(ratio);
        for (const TBackground& b : backgrounds) {
            const QImage under = b.Picture(ratio).convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(under.size(), marker.size()) << b.Name;
            QImage drawn = under;
            {
                QPainter p(&drawn);
                p.drawImage(0, 0, marker);
            }
            // The longest run of fully drawn marker pixels contrasting 3:1 with what they
            // cover, and the weakest contrast in it, along Count pixels from (X, Y).
            const auto band = [&](int X, int Y, int Dx, int Dy, int Count) {
                int longest = 0, run = 0;
                double weakest = 21, runWeakest = 21;
                for (int i = 0; i < Count; ++i) {
                    const int x = X + i * Dx, y = Y + i * Dy;
                    const double c = contrast(drawn.pixel(x, y), under.pixel(x, y));
                    if (qAlpha(marker.pixel(x, y)) == 255 && c >= 3) {
                        runWeakest = run == 0 ? c : std::min(runWeakest, c);
                        ++run;
                    } else {
                        run = 0;
                    }
                    if (run > longest) {
                        longest = run;
                        weakest = runWeakest;
                    }
                }
                return std::pair{longest, weakest};
            };
            // Across the arms, a third of the way along from each corner.
            const int w = marker.width(), h = marker.height(), along = int(8 * ratio);
            const int reach = int(10 * ratio);
            const std::pair<int, double> arms[] = {
                band(0, along, 1, 0, reach),         band(w - 1, along, -1, 0, reach),
                band(0, h - 1 - along, 1, 0, reach), band(w - 1, h - 1 - along, -1, 0, reach),
                band(along, 0, 0, 1, reach),         band(w - 1 - along, 0, 0, 1, reach),
                band(along, h - 1, 0, -1, reach),    band(w - 1 - along, h - 1, 0, -1, reach),
            };
            int narrowest = 1000;
            double weakest = 21;
            for (const auto& [width, c] : arms) {
                narrowest = std::min(narrowest, width);
                weakest = std::min(weakest, c);
            }
            EXPECT_GE(narrowest, int(2 * ratio)) << b.Name << " at " << ratio;
            std::printf(
                "marker on the %s at %.0fx: band at least %d px, contrast at least %.2f:1\n",
                b.Name, ratio, narrowest, weakest);
        }
    }
}
