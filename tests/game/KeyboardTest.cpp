// Playing from the keyboard: the focus frame's moves, Space and Enter through the same
// path as a click, refusals, and the table as a screen reader reads it.

#include "EngineFixture.h"

#include "game/Refusals.h"

#include "game/Narration.h"
#include "table/TableKeyboard.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>

#include <string>

namespace {

TEST(TableKeyboardMap, ReadingOrderRunsTopToBottomThenLeftToRight)
{
    const std::array<int, SlotCount> expected{2, 3, 4, 5, 6, 7, 1, 14, 8, 9, 10, 11, 12, 13};
    EXPECT_EQ(table::ReadingOrder(), expected);
    EXPECT_EQ(table::ReadingIndex(14), 7);
    EXPECT_EQ(table::ReadingIndex(0), -1);
}

TEST(TableKeyboardMap, ArrowsGoToTheNearestSlotThatWay)
{
    struct Case
    {
        int From;
        int Dx, Dy;
        int Expected;
    };
    const Case cases[] = {
        {9, 0, -1, 6},   {9, -1, 0, 8},   {9, 1, 0, 10},  {9, 0, 1, 12},   {6, 0, 1, 9},
        {2, 0, 1, 4},    {2, 0, -1, 2},   {13, 0, 1, 13}, {13, 0, -1, 12}, {1, 1, 0, 8},
        {1, -1, 0, 1},   {14, -1, 0, 10}, {10, 1, 0, 14}, {5, -1, 0, 1},   {11, 1, 0, 12},
        {12, -1, 0, 11}, {3, 1, 0, 4},    {7, 1, 0, 14},  {8, 0, -1, 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(table::SlotInDirection(c.From, c.Dx, c.Dy), c.Expected)
            << "from " << c.From << " by (" << c.Dx << ", " << c.Dy << ")";
    }
}

class KeyboardTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        LayVacancyAtCentre();
    }
    void LayVacancyAtCentre()
    {
        // The player is to move with a Two: slot 9 is the one vacancy; the rest of the
        // line-ups are full, so a Two beats nothing.
        std::vector<TCardAt> cards = FullTable();
        std::erase_if(cards, [](const TCardAt& at) { return at.Slot == 9; });
        Lay(cards, cvTwo);
        M().SetTurn(tuPlayer);
        M().SetDATurn(tuComputer);
        SetClock(QStringLiteral("20:00"));
        (F().*A::NextMove)(tuPlayer);
        ASSERT_EQ(Playable(), (std::set<int>{9}));
    }

    TImage32& Table() { return *(F().*A::FGameTableImage); }
    int Focus() { return F().*A::FFocusSlot; }
    void FocusOn(int Slot) { (F().*A::SetFocusSlot)(Slot); }
    void Key(int KeyCode, Qt::KeyboardModifiers Mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, KeyCode, Mods);
        QCoreApplication::sendEvent(&Table(), &press);
    }
    QString Announced() { return (F().*A::FAnnouncer)->accessibleName(); }
};

TEST_F(KeyboardTest, KeySequencesMoveTheFocusFrame)
{
    struct Case
    {
        const char* Name;
        int Start;
        std::vector<int> Keys;
        int Expected;
    };
    const Case cases[] = {
        {"up, up from the centre", 9, {Qt::Key_Up, Qt::Key_Up}, 4},
        {"down to the goal", 9, {Qt::Key_Down, Qt::Key_Down}, 13},
        {"round the forwards", 8, {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}, 14},
        {"left to the pack", 5, {Qt::Key_Left}, 1},
        {"tab in reading order", 7, {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab}, 8},
        {"shift+tab back", 8, {Qt::Key_Backtab, Qt::Key_Backtab}, 1},
        {"home to the playable slot", 2, {Qt::Key_Home}, 9},
        {"arrows after home", 13, {Qt::Key_Home, Qt::Key_Left}, 8},
    };
    for (const Case& c : cases) {
        FocusOn(c.Start);
        for (int key : c.Keys)
            Key(key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(Focus(), c.Expected) << c.Name;
    }
    // Moving the frame plays nothing.
    EXPECT_EQ(Landings, 0);
    EXPECT_EQ(Clock(), "20:00");
}

// Home goes where the hint would play, so Home then Enter is a sound way through a game:
// after a goal against the player, the next card comes face down and belongs in the open
// goal, though the pack (turn it over) comes first among the playable slots.
TEST_F(KeyboardTest, HomeThenEnterPlaysWhereTheHintWould)
{
    struct Case
    {
        const char* Name;
        int EmptySlot;
        uint8_t TopKind;
        std::set<int> Playable;
        int Home;
    };
    const Case cases[] = {
        {"own goal open, card face down", 13, kindPlayerBack, {1, 13}, 13},
        {"a vacancy at the centre", 9, kindFaceUp, {9}, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TCardAt> cards = FullTable();
        std::erase_if(cards, [&](const TCardAt& at) { return at.Slot == c.EmptySlot; });
        Lay(cards, cvTwo, c.TopKind);
        M().SetTurn(tuPlayer);
        M().SetDATurn(tuComputer);
        (F().*A::NextMove)(tuPlayer);
        ASSERT_EQ(Playable(), c.Playable);
        FocusOn(2);
        Key(Qt::Key_Home);
        EXPECT_EQ(Focus(), c.Home);
        EXPECT_EQ(F().HintChoice(), c.Home);
        Key(Qt::Key_Return);
        EXPECT_EQ(M().CardIn(c.Home), 30);
    }
}

TEST_F(KeyboardTest, SpaceAndEnterPlayTheFocusedSlotAsAClickWould)
{
    for (int key : {int(Qt::Key_Space), int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        SCOPED_TRACE(key);
        LayVacancyAtCentre();
        Landings = 0;
        FocusOn(9);
        Key(key);
        ASSERT_NE(Slots()[9].Card, nullptr);
        EXPECT_EQ(Slots()[9].Card->CardNo, 30);
        EXPECT_EQ(M().CardIn(9), 30);
        EXPECT_EQ(Clock(), "19:30");
        EXPECT_EQ(Landings, 1);
        EXPECT_EQ(F().*A::FSequenceDepth, 0);
    }
}

TEST_F(KeyboardTest, ARefusedSlotSaysWhyAndNothingMoves)
{
    struct Case
    {
        int Slot;
        TRefusal Why;
    };
    const Case cases[] = {{12, TRefusal::SlotTaken},
                          {13, TRefusal::OwnGoalOnlyFaceDown},
                          {5, TRefusal::CardTooLow},
                          {1, TRefusal::NothingToTurnOver},
                          {14, TRefusal::DiscardNotNeeded}};
    for (const Case& c : cases) {
        ASSERT_EQ(M().Refusal(tuPlayer, c.Slot), c.Why) << c.Slot;
        FocusOn(c.Slot);
        Key(Qt::Key_Space);
        EXPECT_EQ(Announced().toStdString(), RefusalText(M(), c.Slot)) << c.Slot;
        EXPECT_EQ(QToolTip::text().toStdString(), RefusalText(M(), c.Slot)) << c.Slot;
    }
    EXPECT_EQ(Landings, 0);
    EXPECT_EQ(Clock(), "20:00");
    EXPECT_EQ(M().CardIn(9), 0);
    EXPECT_EQ(M().TopIndex(), 30);
}

TEST_F(KeyboardTest, KeysDuringASequenceAreIgnored)
{
    bool triedDuringMove = false;
    QString announcedDuringMove;
    QTimer::singleShot(0, &F(), [&] {
        triedDuringMove = F().MoveCardThreadedTimer->Enabled();
        // A refused slot and a playable one: neither may answer while the card flies.
        FocusOn(12);
        Key(Qt::Key_Space);
        announcedDuringMove = Announced();
        M().SetCanplay(12, true);
        Key(Qt::Key_Return);
    });
    FocusOn(9);
    Key(Qt::Key_Space);
    EXPECT_TRUE(triedDuringMove);
    EXPECT_NE(announcedDuringMove.toStdString(), RefusalText(M(), 12));
    EXPECT_EQ(Landings, 1);
    EXPECT_EQ(Clock(), "19:30");
    EXPECT_FALSE(Slots()[12].Card->Beaten);
}

TEST_F(KeyboardTest, FocusFrameShowsOnlyWhileTheTableHasTheFocus)
{
    ShowWindow();
    QApplication::setActiveWindow(&F());
    TBitmapLayer* frame = F().*A::FFocusLayer;
    ASSERT_NE(frame, nullptr);
    Table().clearFocus();
    Table().setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(Table().hasFocus());
    // Tab into the table starts at its first slot in reading order.
    EXPECT_EQ(Focus(), 2);
    EXPECT_EQ(frame->Bitmap().MasterAlpha(), 255);
    FocusOn(11);
    const TFloatRect slot = SlotRect(11);
    EXPECT_TRUE(frame->Location().Left < slot.Left && frame->Location().Right > slot.Right &&
                frame->Location().Top < slot.Top && frame->Location().Bottom > slot.Bottom);
    // On top of the cards.
    EXPECT_EQ(frame->Index(), Table().Layers().Count() - 1);
    Table().clearFocus();
    EXPECT_EQ(frame->Bitmap().MasterAlpha(), 0);
}

TEST_F(KeyboardTest, TheTableReadsAsFourteenNamedSlots)
{
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&Table());
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->childCount(), SlotCount);
    for (int i = 0; i < SlotCount; ++i) {
        const int slot = table::ReadingOrder()[i];
        QAccessibleInterface* child = table->child(i);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->text(QAccessible::Name).toStdString(), SlotName(M(), slot)) << slot;
        EXPECT_EQ(child->role(), QAccessible::Button);
        EXPECT_EQ(child->parent(), table);
        EXPECT_EQ(table->indexOfChild(child), i);
        // Only the playable slot is enabled, and says so.
        EXPECT_EQ(child->state().disabled, slot != 9) << slot;
        EXPECT_EQ(child->text(QAccessible::Description), slot == 9 ? "playable" : "") << slot;
    }
    // Other widgets with child objects of their own stay what they are.
    for (QWidget* other : std::vector<QWidget*>{F().CardTablePanel, &F()}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(other);
        ASSERT_NE(iface, nullptr);
        EXPECT_NE(iface->text(QAccessible::Name), "Card table");
        EXPECT_NE(iface->childCount(), SlotCount);
    }
    EXPECT_EQ(table->child(table::ReadingIndex(11))->text(QAccessible::Name),
              "Your left defender: Five of Diamonds");

    // A beaten card: named and described so.
    Lay({{8, cvSix, true}}, cvSeven);
    (F().*A::NextMove)(tuPlayer);
    QAccessibleInterface* wing = table->child(table::ReadingIndex(8));
    EXPECT_EQ(wing->text(QAccessible::Name), "Your left wing: Six of Diamonds, beaten");
    EXPECT_EQ(wing->text(QAccessible::Description), "playable, beaten");
    EXPECT_FALSE(wing->state().disabled);
}

TEST_F(KeyboardTest, ThePressActionPlaysLikeAClick)
{
    QAccessibleInterface* centre =
        QAccessible::queryAccessibleInterface(&Table())->child(table::ReadingIndex(9));
    QAccessibleActionInterface* action = centre->actionInterface();
    ASSERT_NE(action, nullptr);
    ASSERT_EQ(action->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    action->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(M().CardIn(9), 30);
    EXPECT_EQ(Landings, 1);
}

TEST_F(KeyboardTest, MovesAreAnnouncedThenWhoseTurnItIs)
{
    (F().*A::CarryOutMove)(tuPlayer, 9);
    EXPECT_EQ(Announced(), "You fill your centre with the Two");

    // The computer beats the player's Five on the right wing with a Six.
    Lay({{10, cvFive}}, cvSix);
    M().SetTurn(tuComputer);
    (F().*A::CarryOutMove)(tuComputer, 10);
    EXPECT_EQ(Announced(), "Computer beats your Five with the Six");

    // Through the whole path: the fill keeps the turn, so the last word is the player's
    // next card.
    LayVacancyAtCentre();
    FocusOn(9);
    Key(Qt::Key_Space);
    EXPECT_EQ(Announced().toStdString(), TurnSentence(M()));
    EXPECT_EQ(Announced().left(11), "Your turn: ");
}

} // namespace
