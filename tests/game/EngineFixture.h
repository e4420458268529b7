#pragma once
// A main window with fast card moves, the two dialogs it talks to, and helpers that lay
// out a position on the table directly, so a rule can be tried without playing up to it.

#include "MainFormTestAccess.h"

#include "dialogs/Options.h"
#include "dialogs/Statics.h"
#include "tests/dialogs/OptionsProbe.h"
#include "timer/ThreadedTimer.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <functional>
#include <set>
#include <vector>

#include <gtest/gtest.h>

// The score sheet as the engine uses it, minus the modal showing: the end of a period
// can then run straight through.
class TQuietSheet : public TStaticsDialog
{
public:
    int Showings = 0;
    std::function<void()> OnShow;

protected:
    void ShowModalSheet() override
    {
        ++Showings;
        if (OnShow)
            OnShow();
    }
};

// Reads the sheet's record.
class TStaticsDialogProbe
{
public:
    static QString Cell(const TStaticsDialog& D, int Row, int Column)
    {
        return D.Cell(Row, Column);
    }
    static int Game(const TStaticsDialog& D) { return D.FGame; }
    static int Period(const TStaticsDialog& D) { return D.FPeriod; }
    static int AIGoals(const TStaticsDialog& D) { return D.FAIGoals; }
    static int PlayerGoals(const TStaticsDialog& D) { return D.FPlayerGoals; }
    static int AIWins(const TStaticsDialog& D) { return D.FAIWins; }
    static int PlayerWins(const TStaticsDialog& D) { return D.FPlayerWins; }
};

// Both threaded timers tick without waiting, so a card's flight takes no wall time.
inline void MakeTimersFast(TMainForm& Form)
{
    for (TThreadedTimer* timer : {Form.MoveCardThreadedTimer, Form.AboutThreadedTimer}) {
        timer->SetAllowZero(true);
        timer->SetInterval(0);
    }
}

inline QPoint SlotCentre(const THotSpotRect& Slot)
{
    const TFloatRect& r = Slot.HotSpotLocation;
    return QPoint(int(r.Left + r.Right) / 2, int(r.Top + r.Bottom) / 2);
}

class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        FSheet = new TQuietSheet;
        StaticsDialog = FSheet;
        FOptions = new TOptionsDialog(nullptr, FDir.filePath(QStringLiteral("Brindletop.ini")));
        OptionsDialog = FOptions;
        SetPlayerName(QStringLiteral("Ann"));
        FForm = new TMainForm;
        MakeTimersFast(*FForm);
        SetShuffleSeedSource([this] { return quint32(4711 + ++Shuffles); });

        // Count the landings: the tick that stops the timer is the one that lands the card.
        TThreadedTimer* timer = FForm->MoveCardThreadedTimer;
        TNotifyEvent tick = timer->OnTimer();
        timer->SetOnTimer([this, timer, tick](QObject* Sender) {
            tick(Sender);
            if (!timer->Enabled()) {
                ++Landings;
                if (AfterLanding)
                    AfterLanding();
            }
        });

        F().*A::FStep = 30;
        (F().*A::BuildScoreboard)(FOptions->PlayerName());
        ShuffleCards(Pack(), *F().CardsBitmap32List);
        F().*A::FPeriodno = 1;
        SetClock(QStringLiteral("20:00"));
        Stats().szstaticstime = QStringLiteral("00:00");
        Shuffles = 0;
    }

    // Shows the window as if its first activation had already started the game, so that
    // the activation does not start a series of its own.
    void ShowWindow()
    {
        F().*A::FActivated = true;
        F().show();
    }

    void TearDown() override
    {
        SetShuffleSeedSource({});
        delete FForm;
        delete FOptions;
        delete FSheet;
    }

    TMainForm& F() { return *FForm; }
    TQuietSheet& Sheet() { return *FSheet; }
    TOptionsDialog& Options() { return *FOptions; }
    THotSpotRect* Slots() { return F().*A::FHotSpotRects; }
    TPackOfCards& Pack() { return F().*A::FPackOfCards; }
    TGameStatics& Stats() { return F().*A::FGameStatics; }
    QString Clock() { return (F().*A::FPeriodTimeLabel)->text(); }
    void SetClock(const QString& Text) { (F().*A::FPeriodTimeLabel)->setText(Text); }
    QString GoalsCaption(TTurn Side)
    {
        return (F().*(Side == tuComputer ? A::FComputerGoalsLabel : A::FPlayerGoalsLabel))->text();
    }
    void SetGoals(int Computer, int Player)
    {
        (F().*A::FComputerGoalsLabel)->setText(QString::number(Computer));
        (F().*A::FPlayerGoalsLabel)->setText(QString::number(Player));
    }

    void SetPlayerName(const QString& Name) { TOptionsDialogProbe::Name(*FOptions)->setText(Name); }
    void SetDealer(TDealer Dealer) { TOptionsDialogProbe::Dealer(*FOptions)->SetItemIndex(Dealer); }
    void SetSkill(TSkillLevel Level)
    {
        TOptionsDialogProbe::SkillLevel(*FOptions)->SetItemIndex(Level);
    }
    void SetBestOf(TGamesBestOf BestOf)
    {
        TOptionsDialogProbe::GamesBestOf(*FOptions)->SetItemIndex(BestOf);
    }

    // Empties the table and lays the given cards into their slots, with card TopIndex of
    // the pack on top (face up unless TopKind says otherwise). The slot cards take the
    // pack's first numbers, so they count as having left the pack.
    void Lay(const std::vector<TCardAt>& Cards, TCardValue Top, uint8_t TopKind = kindFaceUp,
             int TopIndex = 30)
    {
        const TFloatRect packRect = Slots()[slotPack].HotSpotLocation;
        for (int slot = 1; slot <= SlotCount; ++slot) {
            Slots()[slot].Card = nullptr;
            Slots()[slot].Canplay = false;
            Slots()[slot].HSLayer->Bitmap().SetMasterAlpha(0);
        }
        for (int n = 1; n <= CardCount; ++n) {
            TPlayingCard& card = Pack().Card(n);
            card.Kind = kindFaceUp;
            card.Beaten = false;
            card.Layer->SetLocation(packRect);
            card.Layer->Bitmap().SetMasterAlpha(255);
        }
        int n = 1;
        for (const TCardAt& at : Cards) {
            TPlayingCard& card = Pack().Card(n++);
            card.Value = at.Value;
            card.Beaten = at.Beaten;
            card.Kind = at.Kind;
            card.Layer->SetLocation(Slots()[at.Slot].HotSpotLocation);
            Slots()[at.Slot].Card = &card;
        }
        Pack().bTopCardsIndex = uint8_t(TopIndex);
        if (TopIndex <= CardCount) {
            TPlayingCard& top = Pack().Card(TopIndex);
            top.Value = Top;
            top.Kind = TopKind;
            top.Layer->BringToFront();
            Slots()[slotPack].Card = &top;
        }
    }

    // A full line-up on both sides: the computer's cards Kings, the player's Fives.
    static std::vector<TCardAt> FullTable()
    {
        std::vector<TCardAt> cards;
        for (int slot = 2; slot <= 13; ++slot)
            cards.push_back({slot, slot <= 7 ? cvKing : cvFive});
        return cards;
    }

    void MarkPlayable(std::initializer_list<int> Playable)
    {
        for (int slot = 1; slot <= SlotCount; ++slot)
            Slots()[slot].Canplay = false;
        for (int slot : Playable)
            Slots()[slot].Canplay = true;
    }

    std::set<int> Playable()
    {
        std::set<int> result;
        for (int slot = 1; slot <= SlotCount; ++slot) {
            if (Slots()[slot].Canplay)
                result.insert(slot);
        }
        return result;
    }

    // Syncs the sheet with a game whose first periods ended level.
    void SheetHasSeenLevelPeriods(int Count)
    {
        for (int i = 0; i < Count; ++i) {
            FSheet->Initialize(0, 0);
            FSheet->SetPeriod(QStringLiteral("0-0"), QString());
        }
    }

    int Shuffles = 0;
    int Landings = 0;
    std::function<void()> AfterLanding; // runs inside the tick that lands a card

private:
    QTemporaryDir FDir;
    TQuietSheet* FSheet = nullptr;
    TOptionsDialog* FOptions = nullptr;
    TMainForm* FForm = nullptr;
};
