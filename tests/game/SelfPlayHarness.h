#pragma once
// What the self-play soaks share: the real main window with the real dialogs, played
// through the mouse with seeded choices, and the checks they make of the table after every
// card move, between clicks and at every showing of the score sheet.

#include "EngineFixture.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>

#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <vector>

inline int EnvInt(const char* Name, int Default)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(Name, &ok);
    return ok ? value : Default;
}

class SelfPlayHarness : public ::testing::Test
{
protected:
    // `SeedVariable` names the environment variable that replays a run; without it the
    // clock seeds the player's choices and the shuffles. The seed is printed under `Tag`.
    void SetUpHarness(const char* SeedVariable, const char* Tag, const QString& PlayerName)
    {
        ASSERT_TRUE(FDir.isValid());
        FSeed = quint32(EnvInt(
            SeedVariable,
            int(std::chrono::steady_clock::now().time_since_epoch().count() & 0x7fffffff)));
        std::printf("[ %-8s ] seed %u (%s)\n", Tag, FSeed, SeedVariable);
        FRandom.seed(FSeed);
        SetShuffleSeedSource([this] {
            OnShuffle();
            return quint32(FRandom());
        });

        FSheet = new TStaticsDialog;
        StaticsDialog = FSheet;
        FOptions = new TOptionsDialog(nullptr, FDir.filePath(QStringLiteral("Brindletop.ini")));
        OptionsDialog = FOptions;
        TOptionsDialogProbe::Name(*FOptions)->setText(PlayerName);
        FForm = new TMainForm;
        MakeTimersFast(*FForm);

        TThreadedTimer* timer = FForm->MoveCardThreadedTimer;
        timer->SetOnTimer([this, timer, tick = timer->OnTimer()](QObject* Sender) {
            Tick(*timer, tick, Sender);
        });
    }

    void TearDown() override
    {
        SetShuffleSeedSource({});
        delete FForm;
        delete FOptions;
        delete FSheet;
    }

    // One tick of a card's flight; the tick that stops the timer lands the card.
    virtual void Tick(TThreadedTimer& Timer, const TNotifyEvent& Original, QObject* Sender)
    {
        Original(Sender);
        if (!Timer.Enabled())
            CardLanded();
    }
    virtual void CardLanded()
    {
        ++FCardMoves;
        CheckCardPlaces();
    }
    virtual void OnShuffle() {}
    // The player said yes to another series.
    virtual void OnPlayAgain() {}

    TMainForm& F() { return *FForm; }

    TMatch& M() { return F().*A::FMatch; }
    THotSpotRect* Slots() { return F().*A::FHotSpotRects; }
    TPackOfCards& Pack() { return F().*A::FPackOfCards; }
    TBitmapLayer* LayerOf(const TPlayingCard& card) { return A::CardLayer(F(), card); }

    // Options for the next series: the levels take turns; the rest is drawn.
    void ChooseOptions()
    {
        FLevel = FSeries % SkillLevelCount;
        ++FSeries;
        TOptionsDialogProbe::SkillLevel(*FOptions)->SetItemIndex(FLevel);
        TOptionsDialogProbe::Dealer(*FOptions)->SetItemIndex(int(FRandom() % 2));
        TOptionsDialogProbe::GamesBestOf(*FOptions)->SetItemIndex(int(FRandom() % 4));
        // Mostly fast moves: the slow ones only take more ticks.
        TOptionsDialogProbe::AnimSpeed(*FOptions)->SetItemIndex(FRandom() % 8 == 0 ? 2 : 0);
    }

    // Each card in exactly one place: the pack (numbers from the top card on), one slot
    // of 2 to 13, or the discard pile.
    void CheckCardPlaces()
    {
        const int top = Pack().bTopCardsIndex;
        ASSERT_GE(top, 1);
        ASSERT_LE(top, CardCount + 1);
        std::set<const TPlayingCard*> inSlots;
        for (int slot = 2; slot <= 13; ++slot) {
            const TPlayingCard* card = Slots()[slot].Card;
            if (!card)
                continue;
            ASSERT_TRUE(inSlots.insert(card).second) << "card " << int(card->CardNo) << " twice";
            ASSERT_LT(card->CardNo, top) << "slot " << slot << " holds a card of the pack";
        }
        if (top <= CardCount) {
            ASSERT_EQ(Slots()[slotPack].Card, &Pack().Card(top));
        }
    }

    // Between clicks: the player to move, nothing in flight, the clock matching the cards
    // taken since the deal, the rest of the pack stacked on its slot.
    void CheckSettledTable()
    {
        ASSERT_FALSE(F().SequenceRunning());
        ASSERT_TRUE(F().*A::FCanMoveCard);
        ASSERT_EQ(M().Turn(), tuPlayer);
        ASSERT_FALSE(M().OvertimeWin());
        ASSERT_TRUE((F().*A::FLocationArray).empty());
        CheckCardPlaces();
        const int taken = Pack().bTopCardsIndex - 13;
        ASSERT_EQ((F().*A::RemainingHalfMinutes)(), 40 - taken);
        if (M().PeriodNo() <= 4) {
            ASSERT_EQ(M().ElapsedHalfMinutes(), taken);
        }
        const TFloatRect packRect = Slots()[slotPack].HotSpotLocation;
        for (int n = Pack().bTopCardsIndex; n <= CardCount; ++n)
            ASSERT_EQ(LayerOf(Pack().Card(n))->Location(), packRect) << "card " << n;
    }

    // At a showing of the sheet at an intermission: its totals are the scoreboard's, and
    // the goals logged period by period add up to them. True when the sheet ends a game.
    bool TallySheet(TStaticsDialog& Sheet)
    {
        FTallyComputer += M().PeriodGoalsOf(tuComputer);
        FTallyPlayer += M().PeriodGoalsOf(tuPlayer);
        const int computer = (F().*A::GoalsOf)(tuComputer);
        const int player = (F().*A::GoalsOf)(tuPlayer);
        EXPECT_EQ(TStaticsDialogProbe::AIGoals(Sheet), computer) << "seed " << FSeed;
        EXPECT_EQ(TStaticsDialogProbe::PlayerGoals(Sheet), player) << "seed " << FSeed;
        EXPECT_EQ(FTallyComputer, computer) << "seed " << FSeed;
        EXPECT_EQ(FTallyPlayer, player) << "seed " << FSeed;
        const QString title = Sheet.windowTitle();
        if (!title.startsWith(QStringLiteral("End of")) &&
            !title.startsWith(QStringLiteral("Play-off winner")))
            return false;
        ++FGames;
        EXPECT_NE(computer, player) << "seed " << FSeed;
        FTallyComputer = FTallyPlayer = 0;
        return true;
    }

    // The question at the end of a series: another one, with fresh options, until enough
    // games are played. False for any other window.
    bool AnswerPlayAgain(QWidget* Modal)
    {
        auto* box = qobject_cast<QMessageBox*>(Modal);
        if (!box)
            return false;
        EXPECT_EQ(box->text(), "Do you want to play again?");
        if (FGames >= FWanted) {
            box->button(QMessageBox::No)->click();
        } else {
            ChooseOptions();
            OnPlayAgain();
            box->button(QMessageBox::Yes)->click();
        }
        return true;
    }

    // One of the slots the player may click now, drawn.
    int DrawPlayableSlot()
    {
        std::vector<int> playable;
        for (int slot = 1; slot <= SlotCount; ++slot) {
            if (M().Canplay(slot))
                playable.push_back(slot);
        }
        EXPECT_FALSE(playable.empty()) << "seed " << FSeed;
        return playable.empty() ? slotPack : playable[FRandom() % playable.size()];
    }

    void SendMouse(QEvent::Type Type, QPoint At, Qt::MouseButton Button)
    {
        QMouseEvent event(Type, At, F().mapToGlobal(At), Button, Button, Qt::NoModifier);
        QCoreApplication::sendEvent(F().*A::FGameTableImage, &event);
    }

    QTemporaryDir FDir;
    TStaticsDialog* FSheet = nullptr;
    TOptionsDialog* FOptions = nullptr;
    TMainForm* FForm = nullptr;
    quint32 FSeed = 0;
    std::mt19937 FRandom;
    int FWanted = 0; // games to play
    int FGames = 0;  // games finished
    int FSeries = 0; // series chosen
    int FLevel = 0;  // the computer's level in the series being played
    long FCardMoves = 0;
    int FTallyComputer = 0;
    int FTallyPlayer = 0;
};
