// The rules of play: which slots the side to move may play to, shots, discards, turning
// the top card over, the removal of beaten cards and the player's click.

#include "EngineFixture.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>

using TurnRulesTest = EngineTest;

namespace {

struct MarkCase
{
    const char* Name;
    TCardValue Top;
    uint8_t TopKind;
    std::vector<TCardAt> Changes; // replace the card of a slot of the full table
    std::vector<int> Empty;       // slots left empty
    std::set<int> Expected;
};

std::vector<TCardAt> Apply(std::vector<TCardAt> Table, const MarkCase& Case)
{
    for (const TCardAt& change : Case.Changes) {
        for (TCardAt& at : Table) {
            if (at.Slot == change.Slot)
                at = change;
        }
    }
    std::erase_if(Table, [&](const TCardAt& at) {
        return std::find(Case.Empty.begin(), Case.Empty.end(), at.Slot) != Case.Empty.end();
    });
    return Table;
}

} // namespace

// The player to move; the computer's cards are Kings, the player's Fives, unless changed.
TEST_F(TurnRulesTest, PlayableSlotsForThePlayer)
{
    const bool beaten = true;
    const MarkCase cases[] = {
        {"a full line-up covers both defenders and closes the goal",
         cvAce,
         kindFaceUp,
         {},
         {},
         {5, 6, 7}},
        {"equal rank beats a forward", cvSeven, kindFaceUp, {{5, cvSeven}, {7, cvSix}}, {}, {5, 7}},
        {"left defender covered while its partner is down but the far wing lives",
         cvAce,
         kindFaceUp,
         {},
         {4},
         {5, 6, 7}},
        {"left defender open once partner and far wing are down",
         cvAce,
         kindFaceUp,
         {},
         {4, 7},
         {2, 3, 5, 6}},
        {"left defender open once its near wing is down",
         cvAce,
         kindFaceUp,
         {{5, cvKing, beaten}},
         {},
         {3, 6, 7}},
        {"both defenders open once the centre is down", cvAce, kindFaceUp, {}, {6}, {3, 4, 5, 7}},
        {"an open defender of equal rank", cvJack, kindFaceUp, {{3, cvJack}}, {5}, {3}},
        {"an open defender above the top card", cvJack, kindFaceUp, {{3, cvQueen}}, {5}, {14}},
        {"goal open: slots 3 and 5 down", cvTwo, kindFaceUp, {{3, cvKing, beaten}}, {5}, {2}},
        {"goal open: slots 3 and 6 down", cvTwo, kindFaceUp, {}, {3, 6}, {2}},
        {"goal open: slots 4 and 6 down", cvTwo, kindFaceUp, {{6, cvKing, beaten}}, {4}, {2}},
        {"goal open: slots 4 and 7 down", cvTwo, kindFaceUp, {}, {4, 7}, {2}},
        {"goal closed with only slots 3 and 7 down", cvTwo, kindFaceUp, {}, {3, 7}, {14}},
        {"an open goal without a card", cvTwo, kindFaceUp, {}, {2, 3, 5}, {2}},
        {"own vacancies, empty or beaten", cvTwo, kindFaceUp, {{11, cvFive, beaten}}, {9}, {9, 11}},
        {"a face-down card of the mover: only the pack and the own goal",
         cvAce,
         kindPlayerBack,
         {},
         {9, 13},
         {1, 13}},
        {"nothing playable: discard", cvTwo, kindFaceUp, {}, {}, {14}},
    };
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Lay(Apply(FullTable(), c), c.Top, c.TopKind);
        F().*A::FDATurn = tuComputer; // within the player's turn: nothing is removed
        (F().*A::NextMove)(tuPlayer);
        EXPECT_EQ(Playable(), c.Expected);
    }
}

TEST_F(TurnRulesTest, ShotsScoreUnlessTheGoalCardIsHigher)
{
    struct Case
    {
        const char* Name;
        TTurn Shooter;
        bool GoalCard;
        TCardValue GoalValue;
        TCardValue Shot;
        bool Scores;
    };
    const Case cases[] = {
        {"player at an empty goal", tuPlayer, false, cvTwo, cvTwo, true},
        {"player, equal rank", tuPlayer, true, cvNine, cvNine, true},
        {"player, lower goal card", tuPlayer, true, cvEight, cvNine, true},
        {"player, higher goal card", tuPlayer, true, cvTen, cvNine, false},
        {"computer at an empty goal", tuComputer, false, cvTwo, cvTwo, true},
        {"computer, equal rank", tuComputer, true, cvJack, cvJack, true},
        {"computer, higher goal card", tuComputer, true, cvQueen, cvJack, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const bool player = c.Shooter == tuPlayer;
        const int goal = player ? slotComputerGoal : slotPlayerGoal;
        const uint8_t goalBack = player ? kindComputerBack : kindPlayerBack;
        std::vector<TCardAt> cards;
        if (c.GoalCard)
            cards.push_back({goal, c.GoalValue, false, goalBack});
        Lay(cards, c.Shot, kindFaceUp, 20);
        SetClock(QStringLiteral("20:00"));
        SetGoals(0, 0);
        Stats().periodgoals.clear();
        F().*A::FTurn = c.Shooter;
        F().*A::FLastShotCardValue = cvTen;
        F().*A::FPlayerLastShotCardValue = cvFour;
        TPlayingCard& shot = Pack().Card(20);

        EXPECT_TRUE((F().*A::CarryOutMove)(c.Shooter, goal)); // a shot always passes the turn

        EXPECT_EQ(GoalsCaption(c.Shooter), c.Scores ? "1" : "0");
        EXPECT_EQ(Stats().periodgoals.count(QStringLiteral("\n\r")), c.Scores ? 1 : 0);
        EXPECT_EQ(Clock(), "19:30");
        EXPECT_EQ(Pack().bTopCardsIndex, 21);
        // The shooting card lies on the discard pile, face down in the shooter's colour.
        EXPECT_EQ(shot.Kind, player ? kindPlayerBack : kindComputerBack);
        EXPECT_EQ(shot.Layer->Location(), Slots()[slotDiscard].HotSpotLocation);
        // After a goal the next card comes up face down for the side that conceded.
        EXPECT_EQ(Pack().Card(21).Kind, c.Scores ? goalBack : uint8_t(kindFaceUp));
        if (c.GoalCard) {
            const TPlayingCard& goalCard = *Slots()[goal].Card;
            EXPECT_EQ(goalCard.Beaten, c.Scores);
            EXPECT_EQ(goalCard.Kind, c.Scores ? uint8_t(kindFaceUp) : goalBack);
            EXPECT_EQ(goalCard.Layer->Bitmap().MasterAlpha(), c.Scores ? 100 : 255);
        }
        // What each side learns about the other's goal card.
        EXPECT_EQ(F().*A::FPlayerLastShotCardValue, player && !c.Scores ? c.Shot : cvFour);
        EXPECT_EQ(F().*A::FLastShotCardValue, !player && c.Scores ? cvTwo : cvTen);
    }
}

TEST_F(TurnRulesTest, GoalWithTheLastCardTurnsNoCardAndEndsThePeriod)
{
    (F().*A::StartSeries)();
    (F().*A::InitGame)();
    (F().*A::InitPeriod)();
    Lay({{3, cvKing}, {4, cvKing}, {6, cvKing}, {7, cvKing}}, cvFive, kindFaceUp, 52);
    F().*A::FTurn = tuPlayer;
    std::vector<uint8_t> kinds;
    for (int n = 1; n <= CardCount; ++n)
        kinds.push_back(Pack().Card(n).Kind);

    EXPECT_TRUE((F().*A::CarryOutMove)(tuPlayer, slotComputerGoal));
    EXPECT_EQ(GoalsCaption(tuPlayer), "1");
    EXPECT_EQ(Pack().bTopCardsIndex, 53);
    kinds[51] = kindPlayerBack; // only the shot changed: it lies on the discard pile
    for (int n = 1; n <= CardCount; ++n)
        EXPECT_EQ(Pack().Card(n).Kind, kinds[n - 1]) << "card " << n;

    (F().*A::NextMove)(tuComputer);
    EXPECT_EQ(Sheet().Showings, 1);
    EXPECT_EQ(TStaticsDialogProbe::PlayerGoals(Sheet()), 1);
}

TEST_F(TurnRulesTest, DiscardsHandAFaceDownCardOnlyToThePlayersEmptyGoal)
{
    struct Case
    {
        const char* Name;
        TTurn Side;
        bool OpposingGoalEmpty;
        int TopIndex;
        uint8_t NextKind;
    };
    const Case cases[] = {
        {"computer, player's goal empty", tuComputer, true, 20, kindPlayerBack},
        {"computer, player's goal guarded", tuComputer, false, 20, kindFaceUp},
        {"computer, player's goal empty, last card", tuComputer, true, 52, kindFaceUp},
        {"player, computer's goal empty", tuPlayer, true, 20, kindFaceUp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const int opposingGoal = c.Side == tuPlayer ? slotComputerGoal : slotPlayerGoal;
        std::vector<TCardAt> cards = FullTable();
        if (c.OpposingGoalEmpty)
            std::erase_if(cards, [&](const TCardAt& at) { return at.Slot == opposingGoal; });
        Lay(cards, cvTwo, kindFaceUp, c.TopIndex);
        SetClock(QStringLiteral("20:00"));
        F().*A::FTurn = c.Side;
        TPlayingCard& discarded = Pack().Card(c.TopIndex);

        EXPECT_TRUE((F().*A::CarryOutMove)(c.Side, slotDiscard));

        EXPECT_EQ(Pack().bTopCardsIndex, c.TopIndex + 1);
        EXPECT_EQ(discarded.Kind, c.Side == tuPlayer ? kindPlayerBack : kindComputerBack);
        EXPECT_EQ(Clock(), "19:30");
        if (c.TopIndex < CardCount) {
            EXPECT_EQ(Pack().Card(c.TopIndex + 1).Kind, c.NextKind);
        }
    }
}

TEST_F(TurnRulesTest, TurningTheTopCardOverKeepsTheTurnAndTheClock)
{
    std::vector<TCardAt> cards = FullTable();
    std::erase_if(cards, [](const TCardAt& at) { return at.Slot == slotPlayerGoal; });
    Lay(cards, cvAce, kindPlayerBack);
    F().*A::FTurn = tuPlayer;
    F().*A::FDATurn = tuComputer;
    Slots()[slotPack].HSLayer->Bitmap().SetMasterAlpha(255);

    EXPECT_FALSE((F().*A::CarryOutMove)(tuPlayer, slotPack));
    EXPECT_EQ(Clock(), "20:00");
    EXPECT_EQ(Pack().bTopCardsIndex, 30);
    EXPECT_EQ(Pack().Card(30).Kind, kindFaceUp);
    EXPECT_EQ(Slots()[slotPack].HSLayer->Bitmap().MasterAlpha(), 0);

    // Marked afresh with the card face up: the Ace beats every forward.
    (F().*A::NextMove)(tuPlayer);
    EXPECT_EQ(Playable(), (std::set<int>{5, 6, 7}));
}

TEST_F(TurnRulesTest, FaceDownCardIntoTheOwnGoalStaysFaceDown)
{
    std::vector<TCardAt> cards = FullTable();
    std::erase_if(cards, [](const TCardAt& at) { return at.Slot == slotPlayerGoal; });
    Lay(cards, cvSeven, kindPlayerBack);
    F().*A::FTurn = tuPlayer;

    EXPECT_FALSE((F().*A::CarryOutMove)(tuPlayer, slotPlayerGoal));
    ASSERT_NE(Slots()[slotPlayerGoal].Card, nullptr);
    EXPECT_EQ(Slots()[slotPlayerGoal].Card->CardNo, 30);
    EXPECT_EQ(Slots()[slotPlayerGoal].Card->Kind, kindPlayerBack);
    EXPECT_EQ(Pack().bTopCardsIndex, 31);
    EXPECT_EQ(Clock(), "19:30");
}

TEST_F(TurnRulesTest, BeatingACardSendsTheTopCardOnToTheDiscardPile)
{
    Lay(FullTable(), cvKing);
    F().*A::FTurn = tuPlayer;
    TPlayingCard& target = *Slots()[6].Card;

    EXPECT_FALSE((F().*A::CarryOutMove)(tuPlayer, 6));
    EXPECT_TRUE(target.Beaten);
    EXPECT_EQ(target.Layer->Bitmap().MasterAlpha(), 100);
    EXPECT_EQ(Slots()[6].Card, &target); // stays until the turn changes
    EXPECT_EQ(Pack().bTopCardsIndex, 31);
    EXPECT_EQ(Pack().Card(30).Layer->Location(), Slots()[slotDiscard].HotSpotLocation);
    EXPECT_EQ(Landings, 2);
}

TEST_F(TurnRulesTest, ChangeOfTurnFadesOutTheBeatenCards)
{
    // The computer has scored against the player's face-down goal card and beaten a forward.
    Lay({{13, cvFour, true, kindFaceUp}, {9, cvSix, true}, {8, cvSix}}, cvAce, kindPlayerBack);
    for (int slot : {8, 9, 13})
        Slots()[slot].Card->Layer->Bitmap().SetMasterAlpha(slot == 8 ? 255 : 100);
    TPlayingCard* goalCard = Slots()[13].Card;
    TPlayingCard* forward = Slots()[9].Card;
    F().*A::FDATurn = tuPlayer;

    (F().*A::SwitchTurn)(tuPlayer);

    EXPECT_EQ(Slots()[13].Card, nullptr);
    EXPECT_EQ(Slots()[9].Card, nullptr);
    ASSERT_NE(Slots()[8].Card, nullptr);
    EXPECT_EQ(goalCard->Layer->Bitmap().MasterAlpha(), 0);
    EXPECT_EQ(forward->Layer->Bitmap().MasterAlpha(), 0);
    EXPECT_EQ(Slots()[8].Card->Layer->Bitmap().MasterAlpha(), 255);
    EXPECT_EQ(F().*A::FDATurn, tuComputer);
    EXPECT_EQ((F().*A::FTurnArrowPlayerImage)->Bitmap().MasterAlpha(), 255);
    EXPECT_EQ((F().*A::FTurnArrowComputerImage)->Bitmap().MasterAlpha(), 100);
}

// The player's click through the real mouse path: the hover lights the frame, the press on
// it reaches the engine.
class ClickTest : public EngineTest
{
protected:
    void Hover(QPoint At)
    {
        QMouseEvent move(QEvent::MouseMove, At, F().mapToGlobal(At), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(F().*A::FGameTableImage, &move);
    }
    void Press(QPoint At)
    {
        QMouseEvent press(QEvent::MouseButtonPress, At, F().mapToGlobal(At), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(F().*A::FGameTableImage, &press);
    }
    void Click(int Slot)
    {
        Hover(SlotCentre(Slots()[Slot]));
        Press(SlotCentre(Slots()[Slot]));
    }

    void SetUp() override
    {
        EngineTest::SetUp();
        // The player is to move and may fill slot 9.
        std::vector<TCardAt> cards = FullTable();
        std::erase_if(cards, [](const TCardAt& at) { return at.Slot == 9; });
        Lay(cards, cvTwo);
        F().*A::FTurn = tuPlayer;
        F().*A::FDATurn = tuComputer;
        (F().*A::NextMove)(tuPlayer);
        ASSERT_EQ(Playable(), (std::set<int>{9}));
    }
};

TEST_F(ClickTest, PressOnALitSlotCarriesOutTheMove)
{
    Click(9);
    ASSERT_NE(Slots()[9].Card, nullptr);
    EXPECT_EQ(Slots()[9].Card->CardNo, 30);
    EXPECT_EQ(Clock(), "19:30");
    EXPECT_TRUE(F().*A::FCanMoveCard);
    EXPECT_EQ(F().*A::FSequenceDepth, 0);
    EXPECT_EQ(F().*A::FTurn, tuPlayer); // a fill keeps the turn
}

TEST_F(ClickTest, PressesThatMustNotMove)
{
    // On an unlit slot; on the frame's outer border, which lies outside the slot.
    Press(SlotCentre(Slots()[9]));
    Hover(SlotCentre(Slots()[9]));
    const TFloatRect r = Slots()[9].HotSpotLocation;
    Press(QPoint(int(r.Left) - 2, int(r.Top) + 10));
    EXPECT_EQ(Slots()[9].Card, nullptr);
    EXPECT_EQ(Clock(), "20:00");
    EXPECT_EQ(Landings, 0);
}

TEST_F(ClickTest, SecondPressWhileACardMovesDoesNothing)
{
    bool triedDuringMove = false;
    QTimer::singleShot(0, &F(), [&] {
        triedDuringMove = F().MoveCardThreadedTimer->Enabled();
        // Light another slot and press on it, as a quick second click would.
        Slots()[12].Canplay = true;
        Slots()[12].HSLayer->Bitmap().SetMasterAlpha(255);
        (F().*A::HotSpotMouseDown)(Slots()[12].HSLayer, Qt::LeftButton, Qt::NoModifier,
                                   SlotCentre(Slots()[12]).x(), SlotCentre(Slots()[12]).y());
    });
    Click(9);
    EXPECT_TRUE(triedDuringMove);
    EXPECT_EQ(Landings, 1);
    EXPECT_EQ(Clock(), "19:30");
    EXPECT_FALSE(Slots()[12].Card->Beaten);
}
