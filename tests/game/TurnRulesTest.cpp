// What the table shows of a move: shots, discards, turning the top card over, beating,
// the removal of beaten cards, and the player's click through the real mouse path.

#include "EngineFixture.h"
#include "Positions.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <algorithm>

using TurnRulesTest = EngineTest;

TEST_F(TurnRulesTest, ShotsScoreUnlessTheGoalCardIsHigher)
{
    for (const TShotCase& c : ShotCases()) {
        SCOPED_TRACE(c.Name);
        const bool player = c.Shooter == tuPlayer;
        const int goal = c.Goal();
        const uint8_t goalBack = c.GoalBack();
        const std::vector<TCardAt> cards = c.Cards();
        Lay(cards, c.Shot, kindFaceUp, 20);
        SetClock(QStringLiteral("20:00"));
        SetGoals(0, 0);
        M().SetTurn(c.Shooter);
        const size_t goalsLogged = M().PeriodGoals().size();
        M().SetLastShotValues(cvTen, cvFour);
        TPlayingCard& shot = Pack().Card(20);

        EXPECT_TRUE((F().*A::CarryOutMove)(c.Shooter, goal)); // a shot always passes the turn

        EXPECT_EQ(GoalsCaption(c.Shooter), c.Scores ? "1" : "0");
        EXPECT_EQ(M().PeriodGoals().size() - goalsLogged, c.Scores ? 1u : 0u);
        EXPECT_EQ(Clock(), "19:30");
        EXPECT_EQ(Pack().bTopCardsIndex, 21);
        // The shooting card lies on the discard pile, face down in the shooter's colour.
        EXPECT_EQ(shot.Kind, player ? kindPlayerBack : kindComputerBack);
        EXPECT_EQ(LayerOf(shot)->Location(), Slots()[slotDiscard].HotSpotLocation);
        // After a goal the next card comes up face down for the side that conceded.
        EXPECT_EQ(Pack().Card(21).Kind, c.Scores ? goalBack : uint8_t(kindFaceUp));
        if (c.GoalCard) {
            const TPlayingCard& goalCard = *Slots()[goal].Card;
            EXPECT_EQ(goalCard.Beaten, c.Scores);
            EXPECT_EQ(goalCard.Kind, c.Scores ? uint8_t(kindFaceUp) : goalBack);
            EXPECT_EQ(LayerOf(goalCard)->Bitmap().MasterAlpha(), c.Scores ? 100 : 255);
        }
        // What each side learns about the other's goal card.
        EXPECT_EQ(M().PlayerLastShotValue(), player && !c.Scores ? c.Shot : cvFour);
        EXPECT_EQ(M().LastShotValue(), !player && c.Scores ? cvTwo : cvTen);
    }
}

// A shot as the table shows it: with Announce Goals and Saves the card flies at the goal
// first and the score changes as it gets there; without it, as the game always had it.
TEST_F(TurnRulesTest, AShotReachesTheGoalBeforeTheScoreChanges)
{
    struct Case
    {
        const char* Name;
        bool Announce;
        bool GoalCard;
        TCardValue GoalValue;
        std::vector<int> LandsAt;       // the slots the shot card stops at, in order
        std::vector<QString> Captions;  // the shooter's goals caption at each stop
        bool OutcomeShown;
    };
    const Case cases[] = {
        {"saved", true, true, cvKing, {2, 14}, {"0", "0"}, true},
        {"into the empty goal", true, false, cvTwo, {2, 14}, {"0", "1"}, true},
        {"over the goal card", true, true, cvFour, {2, 14}, {"0", "1"}, true},
        {"saved, not announced", false, true, cvKing, {14}, {"0"}, false},
        {"into the empty goal, not announced", false, false, cvTwo, {14}, {"1"}, false},
        {"over the goal card, not announced", false, true, cvFour, {2, 14}, {"1", "1"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (F().AnnouncesShots() != c.Announce)
            F().ViewAnnounceShotsAction->trigger();
        ASSERT_EQ(F().AnnouncesShots(), c.Announce);
        std::vector<TCardAt> cards;
        if (c.GoalCard)
            cards.push_back({slotComputerGoal, c.GoalValue, false, kindComputerBack});
        M().SetTurn(tuPlayer);
        Lay(cards, cvTen, kindFaceUp, 20);
        SetGoals(0, 0);
        const TPlayingCard& shot = Pack().Card(20);
        std::vector<int> landsAt;
        std::vector<QString> captions;
        AfterLanding = [&] {
            for (int slot : {int(slotComputerGoal), int(slotDiscard)})
                if (LayerOf(shot)->Location() == Slots()[slot].HotSpotLocation)
                    landsAt.push_back(slot);
            captions.push_back(GoalsCaption(tuPlayer));
        };

        EXPECT_TRUE((F().*A::CarryOutMove)(tuPlayer, slotComputerGoal));
        AfterLanding = nullptr;

        EXPECT_EQ(landsAt, c.LandsAt);
        EXPECT_EQ(captions, c.Captions);
        EXPECT_EQ(F().ShotOutcomeShown(), c.OutcomeShown);
        // The caption fades out within about a second.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !F().ShotOutcomeShown(); }, 1500));
        // However it flew, the card ends on the discard pile and a saving card stays.
        EXPECT_EQ(LayerOf(shot)->Location(), Slots()[slotDiscard].HotSpotLocation);
        if (c.GoalCard) {
            EXPECT_EQ(Slots()[slotComputerGoal].Card->Beaten, c.GoalValue <= cvTen);
        }
    }
}

TEST_F(TurnRulesTest, GoalWithTheLastCardTurnsNoCardAndEndsThePeriod)
{
    (F().*A::StartSeries)();
    (F().*A::InitGame)();
    M().StartPeriod(1);
    (F().*A::InitPeriod)();
    Lay({{3, cvKing}, {4, cvKing}, {6, cvKing}, {7, cvKing}}, cvFive, kindFaceUp, 52);
    M().SetTurn(tuPlayer);
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
        M().SetTurn(c.Side);
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
    M().SetTurn(tuPlayer);
    M().SetDATurn(tuComputer);
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
    M().SetTurn(tuPlayer);

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
    M().SetTurn(tuPlayer);
    TPlayingCard& target = *Slots()[6].Card;

    EXPECT_FALSE((F().*A::CarryOutMove)(tuPlayer, 6));
    EXPECT_TRUE(target.Beaten);
    EXPECT_EQ(LayerOf(target)->Bitmap().MasterAlpha(), 100);
    EXPECT_EQ(Slots()[6].Card, &target); // stays until the turn changes
    EXPECT_EQ(Pack().bTopCardsIndex, 31);
    EXPECT_EQ(LayerOf(Pack().Card(30))->Location(), Slots()[slotDiscard].HotSpotLocation);
    EXPECT_EQ(Landings, 2);
}

TEST_F(TurnRulesTest, ChangeOfTurnFadesOutTheBeatenCards)
{
    // The computer has scored against the player's face-down goal card and beaten a forward.
    Lay({{13, cvFour, true, kindFaceUp}, {9, cvSix, true}, {8, cvSix}}, cvAce, kindPlayerBack);
    for (int slot : {8, 9, 13})
        LayerOf(*Slots()[slot].Card)->Bitmap().SetMasterAlpha(slot == 8 ? 255 : 100);
    TPlayingCard* goalCard = Slots()[13].Card;
    TPlayingCard* forward = Slots()[9].Card;
    M().SetDATurn(tuPlayer);

    (F().*A::SwitchTurn)(tuPlayer);

    EXPECT_EQ(Slots()[13].Card, nullptr);
    EXPECT_EQ(Slots()[9].Card, nullptr);
    ASSERT_NE(Slots()[8].Card, nullptr);
    EXPECT_EQ(LayerOf(*goalCard)->Bitmap().MasterAlpha(), 0);
    EXPECT_EQ(LayerOf(*forward)->Bitmap().MasterAlpha(), 0);
    EXPECT_EQ(LayerOf(*Slots()[8].Card)->Bitmap().MasterAlpha(), 255);
    EXPECT_EQ(M().DATurn(), tuComputer);
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
        M().SetTurn(tuPlayer);
        M().SetDATurn(tuComputer);
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
    EXPECT_EQ(M().Turn(), tuPlayer); // a fill keeps the turn
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
        M().SetCanplay(12, true);
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
