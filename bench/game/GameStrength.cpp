// How strong is each skill level? Plays series of one game against two simple players
// through the real game (mouse path, card moves with a zero interval, window hidden) and
// counts the computer's wins.
//
//   game_strength [games per level and player, default 1000] [seed]

#include "tests/support/MainFormTestAccess.h"

#include "bench/game/SimplePlayers.h"

#include "dialogs/Options.h"
#include "dialogs/Statics.h"
#include "tests/dialogs/OptionsProbe.h"
#include "timer/ThreadedTimer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using A = TMainFormTestAccess;

namespace {

// The score sheet without its modal showing; it tells who won each series.
class TRefereeOnly : public TStaticsDialog
{
public:
    int ComputerWins = 0;
    int Games = 0;

protected:
    void ShowModalSheet() override
    {
        const QString title = windowTitle();
        if (!title.startsWith(QStringLiteral("Play-off winner is ")))
            return;
        ++Games;
        if (title == QStringLiteral("Play-off winner is Computer!"))
            ++ComputerWins;
    }
};

// Answers "Do you want to play again?" once the box is shown, without polling for it.
class TAnswerQuestion : public QObject
{
public:
    explicit TAnswerQuestion(const bool& Stop) : FStop(Stop) {}

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(Watched)) {
                const auto which = FStop ? QMessageBox::No : QMessageBox::Yes;
                QTimer::singleShot(0, box, [box, which] { box->button(which)->click(); });
            }
        }
        return false;
    }

private:
    const bool& FStop;
};

class TWindowMatch
{
public:
    TWindowMatch(TMainForm& Form, std::mt19937& Random) : FForm(Form), FRandom(Random) {}

    int Choose(TPlayer Player)
    {
        return PlayerChoice(FForm.*A::FMatch, Player, FRandom);
    }

    void Click(int Slot)
    {
        const TFloatRect& r = (FForm.*A::FHotSpotRects)[Slot].HotSpotLocation;
        const QPoint at(int(r.Left + r.Right) / 2, int(r.Top + r.Bottom) / 2);
        QWidget* table = FForm.*A::FGameTableImage;
        QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table, &move);
        QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(table, &press);
    }

private:
    TMainForm& FForm;
    std::mt19937& FRandom;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int games = argc > 1 ? std::atoi(argv[1]) : 1000;
    const unsigned seed = argc > 2 ? unsigned(std::strtoul(argv[2], nullptr, 10)) : 20261210u;
    std::mt19937 random(seed);
    SetShuffleSeedSource([&random] { return quint32(random()); });

    QTemporaryDir dir;
    auto* sheet = new TRefereeOnly;
    StaticsDialog = sheet;
    auto* options = new TOptionsDialog(nullptr, dir.filePath(QStringLiteral("Brindletop.ini")));
    OptionsDialog = options;
    TOptionsDialogProbe::Name(*options)->setText(QStringLiteral("Tester"));
    TOptionsDialogProbe::GamesBestOf(*options)->SetItemIndex(boOne);
    auto* form = new TMainForm;
    for (TThreadedTimer* timer : {form->MoveCardThreadedTimer, form->AboutThreadedTimer}) {
        timer->SetAllowZero(true);
        timer->SetInterval(0);
    }

    // Yes to playing again, until the run is over: answered as soon as the box shows.
    bool stop = false;
    TAnswerQuestion answerer(stop);
    app.installEventFilter(&answerer);

    std::printf("%-9s %-7s %6s %8s %9s %8s\n", "level", "player", "games", "computer", "win rate",
                "games/s");
    const char* levelNames[] = {"Rookie", "Pro", "All-Star"};
    TWindowMatch match(*form, random);
    for (int level = slRookie; level <= slAllStar; ++level) {
        for (TPlayer opponent : {TPlayer::Random, TPlayer::Greedy}) {
            TOptionsDialogProbe::SkillLevel(*options)->SetItemIndex(level);
            TOptionsDialogProbe::Dealer(*options)->SetItemIndex(0);
            sheet->Games = 0;
            sheet->ComputerWins = 0;
            QElapsedTimer clock;
            clock.start();
            form->RequestNewSeries();
            while (sheet->Games < games) {
                stop = sheet->Games + 1 >= games;
                match.Click(match.Choose(opponent));
                if (form->*A::FClosing)
                    break;
            }
            const double seconds = clock.elapsed() / 1000.0;
            std::printf("%-9s %-7s %6d %8d %8.1f%% %8.1f\n", levelNames[level],
                        opponent == TPlayer::Random ? "random" : "greedy", sheet->Games,
                        sheet->ComputerWins, 100.0 * sheet->ComputerWins / sheet->Games,
                        sheet->Games / seconds);
            std::fflush(stdout);
            // The last answer was No: open the window for the next run.
            form->*A::FClosing = false;
        }
    }
    app.removeEventFilter(&answerer);
    SetShuffleSeedSource({});
    delete form;
    delete options;
    delete sheet;
    return 0;
}
