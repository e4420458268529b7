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

// Reads the record the sheet shows.
class TStaticsDialogProbe
{
public:
    static QString Cell(const TStaticsDialog& D, int Row, int Column)
    {
        return QString::fromStdString(D.Record().Cell(Row, Column));
    }
    static int Game(const TStaticsDialog& D) { return D.Record().Game(); }
    static int Period(const TStaticsDialog& D) { return D.Record().Period(); }
    static int AIGoals(const TStaticsDialog& D) { return D.Record().AIGoals(); }
    static int PlayerGoals(const TStaticsDialog& D) { return D.Record().PlayerGoals(); }
    static int AIWins(const TStaticsDialog& D) { return D.Record().AIWins(); }
    static int PlayerWins(const TStaticsDialog& D) { return D.Record().PlayerWins(); }
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
        (F().*A::TakeShuffledPack)();
        M().SetPeriodNo(1);
        SetClock(QStringLiteral("20:00"));
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

    TMatch& M() { return F().*A::FMatch; }
    TQuietSheet& Sheet() { return *FSheet; }
    TOptionsDialog& Options() { return *FOptions; }
    THotSpotRect* Slots() { return F().*A::FHotSpotRects; }
    TPackOfCards& Pack() { return F().*A::FPackOfCards; }
    TBitmapLayer* LayerOf(const TPlayingCard& card) { return A::CardLayer(F(), card); }
    QString Clock() { return (F().*A::FPeriodTimeLabel)->text(); }
    // Sets the match's clock to Text ("m:ss", on a half minute) and shows it.
    void SetClock(const QString& Text)
    {
        const QStringList parts = Text.split(QLatin1Char(':'));
        M().SetRemainingHalfMinutes(parts[0].toInt() * 2 + (parts[1] == QLatin1String("30")));
        (F().*A::FPeriodTimeLabel)->setText(Text);
    }
    QString GoalsCaption(TTurn Side)
    {
        return (F().*(Side == tuComputer ? A::FComputerGoalsLabel : A::FPlayerGoalsLabel))->text();
    }
    void SetGoals(int Computer, int Player)
    {
        M().SetGoals(Computer, Player);
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

    // Lays out a position in the match (see TMatch::SetUpPosition; the side to move stays)
    // and shows it on the table.
    void Lay(const std::vector<TCardAt>& Cards, TCardValue Top, uint8_t TopKind = kindFaceUp,
             int TopIndex = 30)
    {
        M().SetUpPosition(Cards, Top, TopKind, TopIndex, M().Turn());
        (F().*A::ShowPosition)();
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
            M().SetCanplay(slot, false);
        for (int slot : Playable)
            M().SetCanplay(slot, true);
    }

    std::set<int> Playable()
    {
        std::set<int> result;
        for (int slot = 1; slot <= SlotCount; ++slot) {
            if (M().Canplay(slot))
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
