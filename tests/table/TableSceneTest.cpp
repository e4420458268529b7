// The table scene: slots and layers as built, the cards' pictures, the hover that lights a
// playable slot and the clicks that reach the engine.
#include "TableFixture.h"

#include <QFrame>
#include <QLayout>

#include <algorithm>

// ---------------------------------------------------------------------------------------
// The scene as built

struct SlotCase
{
    int Slot;
    float Left;
    float Top;
    int MarkPicture;  // GameBitmap32List
    int FramePicture; // GameBitmap32List
    int MarkLayer;    // position in the table's layers
};

class SlotSceneTest : public TableFixture, public ::testing::WithParamInterface<SlotCase>
{
};

TEST_P(SlotSceneTest, SlotHasItsRectangleOutlineAndHiddenFrame)
{
    const SlotCase c = GetParam();
    const THotSpotRect& slot = Slot(c.Slot);
    const TBitmap32List& game = *F().GameBitmap32List;
    EXPECT_EQ(slot.bhotspot, c.Slot);
    EXPECT_EQ(slot.HotSpotLocation, (TFloatRect{c.Left, c.Top, c.Left + 53, c.Top + 83}));
    EXPECT_EQ(slot.Card, nullptr);

    const TBitmapLayer* mark = Table().Layers().Items(c.MarkLayer);
    EXPECT_EQ(mark->Location(), slot.HotSpotLocation);
    EXPECT_EQ(mark->Bitmap().MasterAlpha(), 255);
    EXPECT_EQ(mark->Bitmap().DrawMode(), dmBlend);
    EXPECT_TRUE(mark->Bitmap().Image() == game.Bitmap(c.MarkPicture).Image());
    EXPECT_FALSE(mark->OnMouseDown);

    const TBitmapLayer* frame = slot.HSLayer;
    ASSERT_EQ(frame, Table().Layers().Items(c.MarkLayer + 1));
    EXPECT_EQ(frame->Location(), (TFloatRect{c.Left - 3, c.Top - 3, c.Left + 56, c.Top + 86}));
    EXPECT_EQ(frame->Bitmap().MasterAlpha(), 0);
    EXPECT_EQ(frame->Bitmap().DrawMode(), dmBlend);
    EXPECT_TRUE(frame->Bitmap().Image() == game.Bitmap(c.FramePicture).Image());
    EXPECT_TRUE(frame->OnMouseDown);
}

INSTANTIATE_TEST_SUITE_P(
    Slots, SlotSceneTest,
    ::testing::Values(SlotCase{1, 8, 232, 2, 6, 24}, SlotCase{2, 140, 8, 4, 7, 0},
                      SlotCase{3, 110, 96, 4, 7, 2}, SlotCase{4, 169, 96, 4, 7, 4},
                      SlotCase{5, 80, 184, 4, 7, 6}, SlotCase{6, 140, 184, 4, 7, 8},
                      SlotCase{7, 200, 184, 4, 7, 10}, SlotCase{8, 80, 272, 4, 8, 12},
                      SlotCase{9, 140, 272, 4, 8, 14}, SlotCase{10, 200, 272, 4, 8, 16},
                      SlotCase{11, 110, 360, 4, 8, 18}, SlotCase{12, 169, 360, 4, 8, 20},
                      SlotCase{13, 140, 448, 4, 8, 22}, SlotCase{14, 272, 232, 3, 6, 26}),
    [](const ::testing::TestParamInfo<SlotCase>& info) {
        return "Slot" + std::to_string(info.param.Slot);
    });

TEST_F(TableFixture, CardLayersLieAboveTheTwentyEightLayersOfTheSlots)
{
    ASSERT_EQ(Table().Layers().Count(), 28 + CardCount);
    for (int i = 1; i <= CardCount; ++i)
        EXPECT_EQ(LayerOf(Card(i)), Table().Layers().Items(27 + i)) << "card " << i;
}

TEST_F(TableFixture, WindowHoldsTheWholeTableStripAndLine)
{
    F().layout()->activate();
    F().CardTablePanel->layout()->activate();
    const QWidget* panel = F().CardTablePanel;
    EXPECT_EQ(panel->size(), QSize(346, 558)); // the table and strip inside a 1-pixel border
    EXPECT_EQ(Table().geometry(), QRect(1, 1, 344, 538));
    EXPECT_EQ((F().*A::FStaticsPanel)->geometry(), QRect(1, 539, 344, 17));
    EXPECT_EQ((F().*A::FShape1)->geometry(), QRect(1, 556, 344, 1));
    EXPECT_EQ(F().width(), 346);
    EXPECT_EQ(F().minimumSize(), QSize(346, 583)); // larger, the table scales to fit
}

// ---------------------------------------------------------------------------------------
// ShowCard, PlaceTopCard, ShowAllCards

struct ShowCase
{
    uint8_t Kind;
    bool Visible;
};

class ShowCardTest : public TableFixture, public ::testing::WithParamInterface<ShowCase>
{
protected:
    // What card 20 (the eight of hearts before any shuffle) shows as each kind.
    const QImage& PictureOfKind(uint8_t kind)
    {
        switch (kind) {
        case kindComputerBack:
            return F().GameBitmap32List->Bitmap(1).Image();
        case kindPlayerBack:
            return F().GameBitmap32List->Bitmap(0).Image();
        default:
            return F().CardsBitmap32List->Bitmap(19).Image();
        }
    }
};

TEST_P(ShowCardTest, ShowsTheKindsPictureShownOrHidden)
{
    const ShowCase c = GetParam();
    TPlayingCard& card = Card(20);
    ASSERT_EQ(card.Suit * 13 + card.Value, 19);
    (F().*A::ShowCard)(20, c.Kind, c.Visible, false);
    EXPECT_EQ(card.Kind, c.Kind);
    EXPECT_TRUE(LayerOf(card)->Bitmap().Image() == PictureOfKind(c.Kind));
    EXPECT_EQ(LayerOf(card)->Bitmap().MasterAlpha(), c.Visible ? 255 : 0);
    EXPECT_EQ(LayerOf(card)->Bitmap().DrawMode(), dmBlend);
    EXPECT_EQ(LayerOf(card)->Index(), 27 + 20); // not brought to the front

    // Face up again, it shows its own face.
    (F().*A::ShowCard)(20, kindFaceUp, true, true);
    EXPECT_TRUE(LayerOf(card)->Bitmap().Image() == PictureOfKind(kindFaceUp));
    EXPECT_EQ(LayerOf(card)->Index(), Table().Layers().Count() - 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ShowCardTest,
                         ::testing::Values(ShowCase{kindFaceUp, true}, ShowCase{kindFaceUp, false},
                                           ShowCase{kindComputerBack, true},
                                           ShowCase{kindComputerBack, false},
                                           ShowCase{kindPlayerBack, true},
                                           ShowCase{kindPlayerBack, false}));

TEST_F(TableFixture, HiddenCardStaysHiddenUntilShowAllCardsKeepingItsPicture)
{
    ShuffleCards(Pack());
    (F().*A::GatherCardLayers)();
    (F().*A::ShowCard)(1, kindPlayerBack, false, false);
    (F().*A::ShowCard)(12, kindComputerBack, false, false);
    EXPECT_EQ(LayerOf(Card(1))->Bitmap().MasterAlpha(), 0);
    EXPECT_EQ(Card(1).Kind, kindPlayerBack);

    (F().*A::ShowAllCards)();

    for (int i = 1; i <= CardCount; ++i)
        EXPECT_EQ(LayerOf(Card(i))->Bitmap().MasterAlpha(), 255) << "card " << i;
    EXPECT_TRUE(LayerOf(Card(1))->Bitmap().Image() == F().GameBitmap32List->Bitmap(0).Image());
    EXPECT_TRUE(LayerOf(Card(12))->Bitmap().Image() == F().GameBitmap32List->Bitmap(1).Image());
}

TEST_F(TableFixture, UnknownKindKeepsThePicture)
{
    (F().*A::ShowCard)(5, kindComputerBack, true, false);
    (F().*A::ShowCard)(5, 3, true, false);
    EXPECT_EQ(Card(5).Kind, 3);
    EXPECT_TRUE(LayerOf(Card(5))->Bitmap().Image() == F().GameBitmap32List->Bitmap(1).Image());
}

TEST_F(TableFixture, PlaceTopCardHandsTheTopCardToTheSlotOnTop)
{
    ShufflePack();
    Pack().bTopCardsIndex = 17;
    (F().*A::PlaceTopCard)(7);
    EXPECT_EQ(Slot(7).Card, &Card(17));
    EXPECT_EQ(LayerOf(Card(17))->Index(), Table().Layers().Count() - 1);
}

// ---------------------------------------------------------------------------------------
// The pack's pictures: one layer per card number, showing that card's face

namespace {

const QImage& FacePicture(TMainForm& form, const TCardFace& face)
{
    return form.CardsBitmap32List->Bitmap(face.Suit * 13 + face.Value).Image();
}

} // namespace

TEST_F(TableFixture, GatheredLayersShowEachCardsFaceHiddenAtThePackCardOneOnTop)
{
    // A reversed pack whose layers lie shown, elsewhere and stacked the wrong way round.
    TPackOrder order = FreshPackOrder();
    std::reverse(order.begin() + 1, order.end());
    LayPack(Pack(), order);
    for (int n = 1; n <= CardCount; ++n) {
        LayerOf(Card(n))->Bitmap().SetMasterAlpha(255);
        LayerOf(Card(n))->SetLocation(Slot(slotDiscard).HotSpotLocation);
        LayerOf(Card(n))->BringToFront();
    }
    const int layers = Table().Layers().Count();

    (F().*A::GatherCardLayers)();

    ASSERT_EQ(Table().Layers().Count(), layers);
    for (int n = 1; n <= CardCount; ++n) {
        SCOPED_TRACE(n);
        const TBitmapLayer* layer = A::CardLayer(F(), n);
        ASSERT_EQ(layer, LayerOf(Card(n)));
        EXPECT_TRUE(layer->Bitmap().Image() == FacePicture(F(), order[n]));
        EXPECT_EQ(layer->Bitmap().MasterAlpha(), 0);
        EXPECT_EQ(layer->Bitmap().DrawMode(), dmBlend);
        EXPECT_EQ(layer->Location(), Slot(slotPack).HotSpotLocation);
        EXPECT_EQ(layer->Index(), layers - n);
    }
}

TEST_F(TableFixture, AfterTheDealEachCardNumbersLayerShowsThatCardsFace)
{
    (F().*A::BuildScoreboard)(QStringLiteral("Player"));
    M().SetPeriodDealer(alPlayer);
    for (const uint32_t seed : {4711u, 90210u}) { // the second deal starts from the first's
        SCOPED_TRACE(seed);
        const TSteps deal = M().StartPeriod(seed);
        (F().*A::InitPeriod)();
        (F().*A::DealCards)(deal);
        ASSERT_EQ(Pack().bTopCardsIndex, 13);

        for (int n = 1; n <= CardCount; ++n) {
            SCOPED_TRACE(n);
            const TPlayingCard& card = Card(n);
            EXPECT_EQ(card.Suit, M().Face(n).Suit);
            EXPECT_EQ(card.Value, M().Face(n).Value);
            const TBitmapLayer* layer = A::CardLayer(F(), n);
            EXPECT_EQ(layer->Bitmap().MasterAlpha(), 255);
            // The goal cards lie face down, showing the back of the side they guard.
            const uint8_t kind = M().Kind(n);
            const QImage& picture =
                kind == kindComputerBack ? F().GameBitmap32List->Bitmap(1).Image()
                : kind == kindPlayerBack ? F().GameBitmap32List->Bitmap(0).Image()
                                         : FacePicture(F(), M().Face(n));
            EXPECT_TRUE(layer->Bitmap().Image() == picture);
        }
    }
}

// ---------------------------------------------------------------------------------------
// Hover

struct HoverCase
{
    int X;
    int Y;
    int LitSlot; // -1: none
};

class HoverTest : public TableFixture, public ::testing::WithParamInterface<HoverCase>
{
};

TEST_P(HoverTest, LightsThePlayableSlotUnderThePointerEdgesIncluded)
{
    const HoverCase c = GetParam();
    for (int slot = 1; slot <= SlotCount; ++slot)
        M().SetCanplay(slot, true);
    M().SetTurn(tuPlayer);
    HoverAt(c.X, c.Y);
    for (int slot = 1; slot <= SlotCount; ++slot)
        EXPECT_EQ(FrameAlpha(slot), slot == c.LitSlot ? 255 : 0) << "slot " << slot;
    if (c.LitSlot > 0) {
        EXPECT_EQ(Slot(c.LitSlot).HSLayer->Index(), Table().Layers().Count() - 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Points, HoverTest,
                         ::testing::Values(HoverCase{8, 232, 1}, HoverCase{61, 315, 1},
                                           HoverCase{62, 232, -1}, HoverCase{7, 232, -1},
                                           HoverCase{34, 270, 1}, HoverCase{193, 91, 2},
                                           HoverCase{300, 260, 14}, HoverCase{100, 100, -1}));

struct SlotFiveToSixCase
{
    TTurn Turn;
    bool SixPlayable;
    bool SixLit;
};

class HoverMoveTest : public TableFixture, public ::testing::WithParamInterface<SlotFiveToSixCase>
{
};

TEST_P(HoverMoveTest, LeavingSlotFiveForSixHidesFiveAndLightsSixOnlyWhenPlayable)
{
    const SlotFiveToSixCase c = GetParam();
    M().SetCanplay(5, true);
    M().SetCanplay(6, c.SixPlayable);
    M().SetTurn(c.Turn);
    HoverAt(100, 220);
    EXPECT_EQ(FrameAlpha(5), c.Turn == tuPlayer ? 255 : 0);
    HoverAt(160, 220);
    EXPECT_EQ(FrameAlpha(5), 0);
    EXPECT_EQ(FrameAlpha(6), c.SixLit ? 255 : 0);
    HoverAt(170, 230); // still over slot 6: stays as it is
    EXPECT_EQ(FrameAlpha(6), c.SixLit ? 255 : 0);
}

INSTANTIATE_TEST_SUITE_P(Turns, HoverMoveTest,
                         ::testing::Values(SlotFiveToSixCase{tuPlayer, true, true},
                                           SlotFiveToSixCase{tuPlayer, false, false},
                                           SlotFiveToSixCase{tuComputer, true, false}));

TEST_F(TableFixture, LitFrameGoesDarkWhenThePointerLeavesTheTableAndLightsAgainOnReturn)
{
    M().SetCanplay(9, true);
    M().SetTurn(tuPlayer);
    HoverAt(150, 300);
    ASSERT_EQ(FrameAlpha(9), 255);
    // Leaving the window leaves the table too: the table hears the same Leave.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&Table(), &leave);
    EXPECT_EQ(FrameAlpha(9), 0);
    HoverAt(150, 300);
    EXPECT_EQ(FrameAlpha(9), 255);
}

// ---------------------------------------------------------------------------------------
// Clicks

// The player's turn just after a deal: the goals hold face-down cards, the rest of the
// line-ups face-up cards (the computer's left forward a Six), the top card is a Seven with
// a Two under it, and the player may fill the empty slot 11.
class ClickTest : public TableFixture
{
protected:
    void SetUp() override
    {
        TableFixture::SetUp();
        (F().*A::BuildScoreboard)(QStringLiteral("Player"));
        ShufflePack();
        std::vector<TCardAt> cards;
        for (int slot = 2; slot <= 13; ++slot) {
            if (slot == 11)
                continue;
            const uint8_t kind = slot == slotComputerGoal ? kindComputerBack
                                 : slot == slotPlayerGoal ? kindPlayerBack
                                                          : kindFaceUp;
            cards.push_back({slot, slot == 5 ? cvSix : slot <= 7 ? cvKing : cvFive, false, kind});
        }
        // In the unshuffled pack card 40 is a Two.
        M().SetUpPosition(cards, cvSeven, kindFaceUp, 39, tuPlayer);
        ASSERT_EQ(M().Face(40).Value, cvTwo);
        (F().*A::ShowPosition)();
        M().SetCanplay(11, true);
    }
};

TEST_F(ClickTest, ClickOnACardInAnUnlitSlotDoesNothing)
{
    const uint8_t top = Pack().bTopCardsIndex;
    HoverAt(100, 220); // slot 5: the computer's card, not playable
    PressAt(100, 220);
    EXPECT_EQ(Pack().bTopCardsIndex, top);
    EXPECT_EQ(Slot(11).Card, nullptr);
    EXPECT_TRUE(F().*A::FCanMoveCard);
}

TEST_F(ClickTest, ClickCountsOnlyWhereTheSlotIsPlayableForThePlayerNow)
{
    const uint8_t top = Pack().bTopCardsIndex;
    // A frame brought to the front and lit, then the marks go: the press is refused
    // whatever the frame shows.
    HoverAt(130, 400);
    ASSERT_EQ(FrameAlpha(11), 255);
    M().SetCanplay(11, false);
    PressAt(130, 400);
    EXPECT_EQ(Pack().bTopCardsIndex, top);
    EXPECT_EQ(Slot(11).Card, nullptr);
    // Marked again, but the computer is to move.
    M().SetCanplay(11, true);
    M().SetTurn(tuComputer);
    PressAt(130, 400);
    EXPECT_EQ(Pack().bTopCardsIndex, top);
    EXPECT_EQ(Slot(11).Card, nullptr);
    EXPECT_TRUE(F().*A::FCanMoveCard);
}

// The player fills slot 11 with a Seven and, during the flight, points at slot 5, a Six
// the Seven could beat. The next card is a Two: the frame must not stay lit, and a press
// there must not let the Two beat the Six.
TEST_F(ClickTest, FrameLitDuringTheFlightGoesDarkAndTakesNoPressWhenTheNextCardCannotBeat)
{
    (F().*A::NextMove)(tuPlayer);
    ASSERT_TRUE(M().Canplay(5));

    TNotifyEvent tick = MoveTimer().OnTimer();
    bool hovered = false;
    uint8_t alphaDuringFlight = 0;
    MoveTimer().SetOnTimer([&](QObject* Sender) {
        if (!hovered) {
            hovered = true;
            HoverAt(100, 220);
            alphaDuringFlight = FrameAlpha(5);
        }
        tick(Sender);
    });
    HoverAt(130, 400);
    PressAt(130, 400);
    ASSERT_TRUE(hovered);
    EXPECT_EQ(alphaDuringFlight, 255); // the old marks lit it
    ASSERT_EQ(Slot(11).Card->Value, cvSeven);
    ASSERT_EQ(Slot(slotPack).Card->Value, cvTwo);
    EXPECT_FALSE(M().Canplay(5));
    EXPECT_EQ(FrameAlpha(5), 0);

    const uint8_t top = Pack().bTopCardsIndex;
    PressAt(100, 220);
    EXPECT_EQ(Pack().bTopCardsIndex, top);
    EXPECT_FALSE(Slot(5).Card->Beaten);
    EXPECT_EQ(Slot(5).Card->Value, cvSix);
}

TEST_F(ClickTest, ClickOnTheLitSlotMovesTheTopCardThere)
{
    TPlayingCard* top = Slot(slotPack).Card;
    HoverAt(130, 400);
    PressAt(130, 400);
    EXPECT_EQ(Slot(11).Card, top);
    EXPECT_EQ(LayerOf(*top)->Location(), Slot(11).HotSpotLocation);
    EXPECT_EQ(FrameAlpha(11), 0);
    EXPECT_TRUE(F().*A::FCanMoveCard);
}
