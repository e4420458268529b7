#pragma once
// A main window as the program builds it, with both dialogs over it, card moves and the
// about screen ticking without waiting, a settings file of the test's own, and a count of
// the shuffles: every series, game and period starts with one, so the count tells how
// many deals there were.

#include "MainFormTestAccess.h"
#include "ModalAnswerer.h"

#include "app/HelpSystem.h"
#include "dialogs/Options.h"
#include "dialogs/Statics.h"
#include "timer/ThreadedTimer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        // The player deals the first game, so the computer moves first: its turn runs
        // straight after the deal, inside the same sequence.
        QFile ini(FDir.filePath(QStringLiteral("Brindletop.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Text));
        ini.write("[Options]\nPlayerName=Ann\nDealer=1\nSkillLevel=0\nBestOf=0\nAnimSpeed=0\n");
        ini.close();

        SetShuffleSeedSource([this] { return quint32(9000 + ++Shuffles); });
        Start(ini.fileName());
    }

    // The program's next start: the window and its dialogs built anew over the same
    // settings file.
    void StartAgain()
    {
        const QString settings = OptionsDialog->SettingsPath();
        FForm.reset();
        Start(settings);
    }

    void TearDown() override
    {
        FForm.reset(); // the dialogs go with it
        StaticsDialog = nullptr;
        OptionsDialog = nullptr;
        SetShuffleSeedSource({});
    }

    TMainForm& F() { return *FForm; }

    TMatch& M() { return F().*A::FMatch; }
    THotSpotRect* Slots() { return F().*A::FHotSpotRects; }
    TBitmapLayer* LayerOf(const TPlayingCard& card) { return A::CardLayer(F(), card); }

    // The deal is over and a card of the computer's turn is on its way.
    bool ComputerCardInFlight()
    {
        return M().Turn() == tuComputer && F().MoveCardThreadedTimer->Enabled() &&
               Slots()[slotComputerGoal].Card && Slots()[slotPlayerGoal].Card;
    }

    // Nothing runs: the player is to move.
    bool Idle() { return !F().SequenceRunning() && !F().MoveCardThreadedTimer->Enabled(); }

    // Runs Action once, from inside the event loop, as soon as When holds.
    void OnceWhen(std::function<bool()> When, std::function<void()> Action)
    {
        FProbe.setInterval(0);
        QObject::connect(&FProbe, &QTimer::timeout, [this, When, Action] {
            if (!When())
                return;
            FProbe.stop();
            Action();
        });
        FProbe.start();
    }

    int Shuffles = 0;

private:
    void Start(const QString& Settings)
    {
        FForm = std::make_unique<TMainForm>();
        StaticsDialog = new TStaticsDialog(FForm.get());
        OptionsDialog = new TOptionsDialog(FForm.get(), Settings);
        for (TThreadedTimer* timer : {FForm->MoveCardThreadedTimer, FForm->AboutThreadedTimer}) {
            timer->SetAllowZero(true);
            timer->SetInterval(0);
        }
    }

    QTemporaryDir FDir;
    std::unique_ptr<TMainForm> FForm;
    QTimer FProbe;
};
