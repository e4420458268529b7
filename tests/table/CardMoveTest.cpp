// The card's flight: the path, the blocking move with the timer's worker thread, and the
// guard that keeps two moves apart.
#include "TableFixture.h"

#include <QTimer>

#include <vector>

namespace {

TFloatRect CardAt(float left, float top)
{
    return {left, top, left + 53, top + 83};
}

} // namespace

// ---------------------------------------------------------------------------------------
// The path

struct PathCase
{
    const char* Name;
    int From; // slot the card starts at
    int To;
    int Step;
    size_t Points;
};

class CardPathTest : public TableFixture, public ::testing::WithParamInterface<PathCase>
{
protected:
    const std::vector<TFloatRect>& PathFor(const PathCase& c)
    {
        F().*A::FStep = uint8_t(c.Step);
        (F().*A::ComputeCardPath)(Slot(c.From).HotSpotLocation, Slot(c.To).HotSpotLocation);
        return F().*A::FLocationArray;
    }
};

TEST_P(CardPathTest, StepsAlongTheLineAndEndsExactlyOnTheSlot)
{
    const PathCase c = GetParam();
    const std::vector<TFloatRect>& path = PathFor(c);
    ASSERT_EQ(path.size(), c.Points);
    EXPECT_EQ(path.back(), Slot(c.To).HotSpotLocation);
    const TFloatRect from = Slot(c.From).HotSpotLocation;
    const TFloatRect to = Slot(c.To).HotSpotLocation;
    float previous = from.Left;
    for (size_t i = 0; i < path.size(); ++i) {
        SCOPED_TRACE(i);
        const TFloatRect& p = path[i];
        EXPECT_GT(p.Left, previous);
        previous = p.Left;
        EXPECT_EQ(p.Right, p.Left + 53);
        EXPECT_EQ(p.Bottom, p.Top + 83);
        if (from.Top == to.Top) {
            EXPECT_EQ(p.Top, from.Top);
        }
    }
    // Every point but the last lies short of the slot.
    for (size_t i = 0; i + 1 < path.size(); ++i)
        EXPECT_LT(path[i].Left, to.Left) << i;
}

INSTANTIATE_TEST_SUITE_P(Moves, CardPathTest,
                         ::testing::Values(PathCase{"PackToComputerGoalFast", 1, 2, 30, 9},
                                           PathCase{"PackToComputerGoalMedium", 1, 2, 20, 13},
                                           PathCase{"PackToComputerGoalSlow", 1, 2, 10, 26},
                                           PathCase{"PackToDiscardFast", 1, 14, 30, 9},
                                           PathCase{"PackToDiscardMedium", 1, 14, 20, 14},
                                           PathCase{"PackToDiscardSlow", 1, 14, 10, 27},
                                           PathCase{"PackToComputerLeftWing", 1, 5, 30, 3},
                                           PathCase{"PackToPlayerLeftWing", 1, 8, 30, 3},
                                           PathCase{"ComputerRightWingToDiscard", 7, 14, 30, 3},
                                           PathCase{"PlayerRightWingToDiscard", 10, 14, 30, 3}),
                         [](const ::testing::TestParamInfo<PathCase>& info) {
                             return std::string(info.param.Name);
                         });

TEST_F(TableFixture, PathToTheComputersGoalAtStepThirtyHasTheKnownPoints)
{
    F().*A::FStep = 30;
    (F().*A::ComputeCardPath)(Slot(1).HotSpotLocation, Slot(2).HotSpotLocation);
    const std::vector<TFloatRect>& path = F().*A::FLocationArray;
    ASSERT_EQ(path.size(), 9u);
    const TFloatRect first{23.230770f, 206.153839f, 76.230774f, 289.153839f};
    const TFloatRect eighth{129.846161f, 25.230770f, 182.846161f, 108.230774f};
    EXPECT_EQ(path[0], first);
    EXPECT_EQ(path[7], eighth);
    EXPECT_EQ(path[8], (TFloatRect{140, 8, 193, 91}));
}

TEST_F(TableFixture, PathAtStepTwentyLandsOnTheGoalWithItsThirteenthPoint)
{
    F().*A::FStep = 20;
    (F().*A::ComputeCardPath)(Slot(1).HotSpotLocation, Slot(2).HotSpotLocation);
    const std::vector<TFloatRect>& path = F().*A::FLocationArray;
    ASSERT_EQ(path.size(), 13u);
    EXPECT_EQ(path[12], (TFloatRect{140, 8, 193, 91}));
    EXPECT_LT(path[11].Left, 140.0f);
}

TEST_F(TableFixture, NoPathWhenTheDestinationIsNotToTheRightOrTheStepIsZero)
{
    const struct
    {
        TFloatRect From;
        TFloatRect To;
        uint8_t Step;
    } cases[] = {
        {CardAt(272, 232), CardAt(80, 184), 30},  // back to the left
        {CardAt(140, 184), CardAt(140, 272), 30}, // straight down
        {CardAt(8, 232), CardAt(140, 8), 0},
    };
    for (const auto& c : cases) {
        F().*A::FStep = c.Step;
        (F().*A::ComputeCardPath)(c.From, c.To);
        EXPECT_TRUE((F().*A::FLocationArray).empty()) << c.From.Left << " -> " << c.To.Left;
    }
}

// ---------------------------------------------------------------------------------------
// MoveCard

TEST_F(TableFixture, MoveCardReturnsWithTheCardLandedAndTheTimerOff)
{
    ShufflePack();
    TPlayingCard* moving = Slot(slotPack).Card;
    ASSERT_EQ(moving, &Card(1));
    (F().*A::SetLayerOpacity)(Slot(11).HSLayer, 255); // a lit frame goes dark with the move

    MoveTopCardTo(9);

    EXPECT_FALSE(MoveTimer().Enabled());
    EXPECT_TRUE((F().*A::FLocationArray).empty());
    EXPECT_FALSE(F().*A::FMovingCard);
    EXPECT_EQ(MoveTimer().Tag(), 5); // one tick per point: d = 137.9, step 30
    EXPECT_EQ(LayerOf(*moving)->Location(), Slot(9).HotSpotLocation);
    EXPECT_EQ(Slot(9).Card, moving);
    EXPECT_EQ(Pack().bTopCardsIndex, 2);
    EXPECT_EQ(Slot(slotPack).Card, &Card(2));
    for (int slot = 1; slot <= SlotCount; ++slot)
        EXPECT_EQ(FrameAlpha(slot), 0) << "slot " << slot;
}

TEST_F(TableFixture, MoveCardDealsTwelveCardsOneAfterAnother)
{
    ShufflePack();
    for (int slot = 13; slot >= 2; --slot)
        MoveTopCardTo(slot);
    for (int slot = 2; slot <= 13; ++slot) {
        const int cardNo = 13 - slot + 1;
        EXPECT_EQ(Slot(slot).Card, &Card(cardNo)) << "slot " << slot;
        EXPECT_EQ(LayerOf(Card(cardNo))->Location(), Slot(slot).HotSpotLocation) << "slot " << slot;
    }
    EXPECT_EQ(Pack().bTopCardsIndex, 13);
}

TEST_F(TableFixture, MoveCardWithoutAWayToTheRightPutsTheCardInPlaceWithoutTheTimer)
{
    ShufflePack();
    TPlayingCard* moving = Slot(slotPack).Card;
    LayerOf(*moving)->SetLocation(Slot(slotDiscard).HotSpotLocation);
    MoveTimer().SetTag(77);

    MoveTopCardTo(5);

    EXPECT_FALSE(MoveTimer().Enabled());
    EXPECT_EQ(MoveTimer().Tag(), 77); // not a single tick
    EXPECT_TRUE((F().*A::FLocationArray).empty());
    EXPECT_EQ(LayerOf(*moving)->Location(), Slot(5).HotSpotLocation);
    EXPECT_EQ(Slot(5).Card, moving);
    EXPECT_EQ(Pack().bTopCardsIndex, 2);
}

TEST_F(TableFixture, MoveCardWithAZeroStepDoesNotHang)
{
    ShufflePack();
    F().*A::FStep = 0;
    MoveTopCardTo(14);
    EXPECT_FALSE(MoveTimer().Enabled());
    EXPECT_EQ(LayerOf(Card(1))->Location(), Slot(14).HotSpotLocation);
    EXPECT_EQ(Pack().bTopCardsIndex, 2);
}

// A second move asked for while one is in flight (here from a zero-interval Qt timer that
// fires inside the first move's wait) is refused: it neither shares the path, the timer
// and the slot copies nor lands a card.
TEST_F(TableFixture, MoveCardAskedForDuringAMoveIsRefused)
{
    ShufflePack();
    TPlayingCard* first = Slot(slotPack).Card;
    TPlayingCard* second = &Card(2);
    const TFloatRect secondAt = LayerOf(*second)->Location();

    bool nestedRan = false;
    size_t pathDuringNested = 0;
    int destDuringNested = 0;
    bool timerOnAfterNested = false;
    QTimer::singleShot(0, Form.get(), [&] {
        nestedRan = true;
        const size_t before = (F().*A::FLocationArray).size();
        THotSpotRect source = Slot(slotPack);
        source.Card = second;
        (F().*A::MoveCard)(source, Slot(slotDiscard));
        pathDuringNested = (F().*A::FLocationArray).size();
        EXPECT_EQ(pathDuringNested, before);
        destDuringNested = (F().*A::FMovingDestRect).bhotspot;
        timerOnAfterNested = MoveTimer().Enabled();
    });

    MoveTopCardTo(9);

    ASSERT_TRUE(nestedRan);
    EXPECT_EQ(pathDuringNested, 5u);
    EXPECT_EQ(destDuringNested, 9);
    EXPECT_TRUE(timerOnAfterNested);
    EXPECT_FALSE(MoveTimer().Enabled());
    EXPECT_EQ(LayerOf(*first)->Location(), Slot(9).HotSpotLocation);
    EXPECT_EQ(Slot(9).Card, first);
    EXPECT_EQ(LayerOf(*second)->Location(), secondAt);
    EXPECT_EQ(Pack().bTopCardsIndex, 2); // landed once
    EXPECT_EQ(second->Kind, kindFaceUp); // never laid on the discard pile
}

TEST_F(TableFixture, MoveCardAtTheRealIntervalTakesOneTickPerPoint)
{
    ShufflePack();
    MoveTimer().SetAllowZero(false);
    MoveTimer().SetInterval(20);
    F().*A::FStep = 30;
    MoveTopCardTo(5); // three points
    EXPECT_EQ(MoveTimer().Tag(), 3);
    EXPECT_EQ(Slot(5).Card, &Card(1));
}
