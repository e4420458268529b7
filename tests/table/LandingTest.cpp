// The landing as the table shows it: the moving card goes onto the discard pile (as the
// match turned it), into an empty slot, or beats the card it lands on.
#include "TableFixture.h"

class LandingTest : public TableFixture
{
protected:
    void SetUp() override
    {
        TableFixture::SetUp();
        ShufflePack();
    }
    void Land(int dest) { (F().*A::LandCard)(Slot(slotPack), Slot(dest)); }
};

TEST_F(LandingTest, OnTheDiscardPileTheCardLiesFaceDownInTheMoversColour)
{
    const std::pair<TTurn, uint8_t> cases[] = {{tuPlayer, kindPlayerBack},
                                               {tuComputer, kindComputerBack}};
    for (const auto& [turn, kind] : cases) {
        M().SetUpPosition({}, cvFive, kindFaceUp, 20, turn);
        (F().*A::ShowPosition)();
        const uint8_t before = Pack().bTopCardsIndex;
        TPlayingCard* moving = Slot(slotPack).Card;
        TSteps steps;
        M().Play(turn, slotDiscard, steps);
        Land(slotDiscard);
        EXPECT_EQ(moving->Kind, kind);
        EXPECT_EQ(LayerOf(*moving)->Bitmap().MasterAlpha(), 255);
        EXPECT_EQ(Pack().bTopCardsIndex, before + 1);
        EXPECT_EQ(Slot(slotPack).Card, &Card(before + 1));
        EXPECT_EQ(Slot(slotDiscard).Card, nullptr);
        // The next top card lies over the discard, the discard over the rest.
        const int top = Table().Layers().Count() - 1;
        EXPECT_EQ(LayerOf(Card(before + 1))->Index(), top);
        EXPECT_EQ(LayerOf(*moving)->Index(), top - 1);
    }
}

TEST_F(LandingTest, InAnEmptySlotTheCardTakesTheSlotAndThePackGoesOn)
{
    TPlayingCard* moving = Slot(slotPack).Card;
    Land(9);
    EXPECT_EQ(Slot(9).Card, moving);
    EXPECT_FALSE(moving->Beaten);
    EXPECT_EQ(Pack().bTopCardsIndex, 2);
    EXPECT_EQ(Slot(slotPack).Card, &Card(2));
}

TEST_F(LandingTest, OnACardTheCardBeatsItAndStaysTheTopCard)
{
    // A face-up forward and a face-down goal card: both end up face up, dimmed, beaten.
    const std::pair<int, uint8_t> cases[] = {{6, kindFaceUp}, {2, kindComputerBack}};
    for (const auto& [slot, kind] : cases) {
        SCOPED_TRACE(slot);
        TPlayingCard& lying = Card(40 + slot);
        (F().*A::ShowCard)(lying.CardNo, kind, true, false);
        Slot(slot).Card = &lying;
        TPlayingCard* moving = Slot(slotPack).Card;
        const uint8_t before = Pack().bTopCardsIndex;

        Land(slot);

        EXPECT_TRUE(lying.Beaten);
        EXPECT_EQ(lying.Kind, kindFaceUp);
        EXPECT_TRUE(LayerOf(lying)->Bitmap().Image() ==
                    F().CardsBitmap32List->Bitmap(lying.Suit * 13 + lying.Value).Image());
        EXPECT_EQ(LayerOf(lying)->Bitmap().MasterAlpha(), 100);
        EXPECT_EQ(Slot(slot).Card, &lying);
        EXPECT_EQ(Pack().bTopCardsIndex, before);
        EXPECT_EQ(Slot(slotPack).Card, moving);
        EXPECT_FALSE(moving->Beaten);
    }
}

TEST_F(LandingTest, TheLastCardEmptiesThePack)
{
    M().SetUpPosition({}, cvFive, kindFaceUp, 52, tuComputer);
    (F().*A::ShowPosition)();
    TSteps steps;
    M().Play(tuComputer, slotDiscard, steps);
    Land(slotDiscard);
    EXPECT_EQ(Pack().bTopCardsIndex, 53);
    EXPECT_EQ((F().*A::TopCard)(), nullptr);
    EXPECT_EQ(Card(52).Kind, kindComputerBack);
}
