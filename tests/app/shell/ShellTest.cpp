// The shell: the first activation, the menu's shortcuts, the commands given in the middle
// of a move sequence, closing, the window's frame, and the report of unhandled failures.

#include "ShellFixture.h"

#include "app/Application.h"
#include "platform/ErrorMessage.h"

#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QWindow>

#include <cmath>
#include <stdexcept>

namespace {

bool WaitFor(const std::function<bool()>& Condition, int TimeoutMs = 20000)
{
    return QTest::qWaitFor(Condition, TimeoutMs);
}

} // namespace

TEST_F(ShellTest, OnlyTheFirstActivationStartsASeries)
{
    F().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F()));
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));
    EXPECT_EQ(M().GameNo(), 1);

    // A modal dialog over the window, closed again: the window becomes active once more.
    {
        ModalAnswerer answer(ModalAnswerer::Reject());
        F().FileOptionsAction->trigger();
        EXPECT_EQ(answer.Count(), 1);
    }
    {
        ModalAnswerer answer(ModalAnswerer::Accept());
        F().FileScoreAction->trigger();
        EXPECT_EQ(answer.Count(), 1);
    }
    // Another window takes the focus, then the main window gets it back.
    QWidget other;
    other.setWindowTitle(QStringLiteral("Another program"));
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    F().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F()));
    // A start the activation queued would run now.
    QCoreApplication::sendPostedEvents();

    EXPECT_EQ(Shuffles, 1);
    EXPECT_EQ(M().GameNo(), 1);
    EXPECT_TRUE(F().*A::FActivated);
}

// The first series without user action: at the first activation, or shortly after the
// window is shown when no activation comes (focus-stealing prevention, a compositor without
// an input seat). Either way it starts once, and never for a window closed before.
struct TFirstSeriesCase
{
    const char* Name;
    bool Activation;     // the window system activates the window when it is shown
    bool LateActivation; // the activation comes after the series has started
    bool CloseAtOnce;    // the window is closed before anything started
    int Deals;
};

class FirstSeriesTest : public ShellTest, public ::testing::WithParamInterface<TFirstSeriesCase>
{
};

namespace {

// Swallows the window's activation events, as if the window system never activated it.
class TNoActivation : public QObject
{
protected:
    bool eventFilter(QObject*, QEvent* Event) override
    {
        return Event->type() == QEvent::WindowActivate;
    }
};

} // namespace

TEST_P(FirstSeriesTest, StartsOnceWithOrWithoutActivation)
{
    const TFirstSeriesCase& c = GetParam();
    TNoActivation noActivation;
    if (!c.Activation)
        F().installEventFilter(&noActivation);

    F().show();
    if (c.CloseAtOnce)
        F().close();
    if (c.Deals > 0) {
        ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));
    }
    // Once the wait for an activation has run out, and whatever it queued has run,
    // nothing else starts.
    ASSERT_TRUE(WaitFor([this] {
        const QTimer* wait = F().*A::FFirstSeriesWait;
        return wait && !wait->isActive();
    }));
    QCoreApplication::sendPostedEvents();
    if (c.LateActivation) {
        F().removeEventFilter(&noActivation);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&F(), &activate);
        QCoreApplication::sendPostedEvents();
    }

    EXPECT_EQ(Shuffles, c.Deals);
    EXPECT_EQ(M().GameNo(), c.Deals);
}

INSTANTIATE_TEST_SUITE_P(Start, FirstSeriesTest,
                         ::testing::Values(TFirstSeriesCase{"Activated", true, false, false, 1},
                                           TFirstSeriesCase{"NeverActivated", false, false, false,
                                                            1},
                                           TFirstSeriesCase{"ActivatedLate", false, true, false, 1},
                                           TFirstSeriesCase{"ClosedAtOnce", false, false, true, 0}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// Every dialog and message box is a transient child of the main window (compositors that
// place windows themselves centre it over its parent) and offers no minimise or maximise
// box, which could do nothing for it. Its close box answers it.
struct TDialogCase
{
    const char* Name;
    std::function<void(TMainForm&)> Open;
};

class DialogFrameTest : public ShellTest, public ::testing::WithParamInterface<TDialogCase>
{
};

TEST_P(DialogFrameTest, ChildOfTheMainWindowWithTitleAndCloseBoxOnly)
{
    F().*A::FActivated = true; // no series: the dialogs alone
    F().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F()));

    const QWindow* transientParent = nullptr;
    Qt::WindowFlags flags;
    ModalAnswerer answer([&](QWidget* Modal) {
        transientParent = Modal->windowHandle()->transientParent();
        flags = Modal->windowFlags();
        Modal->close();
    });
    GetParam().Open(F());
    ASSERT_EQ(answer.Count(), 1);

    EXPECT_EQ(transientParent, F().windowHandle());
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogFrameTest,
    ::testing::Values(
        TDialogCase{"Options", [](TMainForm& F) { F.FileOptionsAction->trigger(); }},
        TDialogCase{"Score", [](TMainForm& F) { F.FileScoreAction->trigger(); }},
        TDialogCase{"HelpUnavailable", [](TMainForm& F) { F.HelpIndexAction->trigger(); }},
        TDialogCase{"Error",
                    [](TMainForm& F) { ShowErrorMessage(&F, QStringLiteral("Disk full")); }},
        TDialogCase{"PlayAgain",
                    [](TMainForm& F) {
                        // Closed, the question is answered No.
                        EXPECT_EQ(
                            QuestionAt(QStringLiteral("Do you want to play again?"), -1, -1, &F),
                            mrNo);
                    }}),
    [](const auto& Info) { return std::string(Info.param.Name); });

struct TShortcutCase
{
    const char* Name;
    Qt::Key Key;
    QAction* TMainForm::*Action;
    int Modals; // modal windows the command shows
    int Deals;  // shuffles it causes
};

class ShortcutTest : public ShellTest, public ::testing::WithParamInterface<TShortcutCase>
{
};

TEST_P(ShortcutTest, KeyReachesItsAction)
{
    const TShortcutCase& c = GetParam();
    F().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F()));
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));

    QSignalSpy triggered(F().*c.Action, &QAction::triggered);
    ModalAnswerer answer(ModalAnswerer::Reject());
    QTest::keyClick(&F(), c.Key);
    ASSERT_TRUE(WaitFor([&] { return Idle(); }));

    EXPECT_EQ(triggered.count(), 1);
    EXPECT_EQ(answer.Count(), c.Modals) << answer.Titles().join(u", ").toStdString();
    EXPECT_EQ(Shuffles, 1 + c.Deals);
}

INSTANTIATE_TEST_SUITE_P(
    Menu, ShortcutTest,
    ::testing::Values(TShortcutCase{"NewGame", Qt::Key_F2, &TMainForm::FileNewGameAction, 0, 1},
                      TShortcutCase{"Options", Qt::Key_F7, &TMainForm::FileOptionsAction, 1, 0},
                      TShortcutCase{"Score", Qt::Key_F9, &TMainForm::FileScoreAction, 1, 0}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// F1 asks the help component to open the help. The viewer is not loaded in this test, so
// the component tells the player that help is not available.
TEST_F(ShellTest, F1OpensTheHelp)
{
    F().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F()));
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));

    QSignalSpy triggered(F().HelpIndexAction, &QAction::triggered);
    ModalAnswerer answer(ModalAnswerer::Accept());
    QTest::keyClick(&F(), Qt::Key_F1);
    EXPECT_EQ(triggered.count(), 1);
    ASSERT_EQ(answer.Count(), 1);
    EXPECT_TRUE(answer.Texts().first().contains(QStringLiteral("help"), Qt::CaseInsensitive))
        << answer.Texts().first().toStdString();
    EXPECT_EQ(Shuffles, 1);
}

// New Game, or Options confirmed with OK, while the computer's turn is under way: the turn
// winds up, and then exactly one new series is dealt.
struct TMidTurnCase
{
    const char* Name;
    QAction* TMainForm::*Action;
    ModalAnswerer::Answer (*Answer)();
    int Modals;
    int Deals;
};

class MidTurnCommandTest : public ShellTest, public ::testing::WithParamInterface<TMidTurnCase>
{
};

TEST_P(MidTurnCommandTest, DealsOnceAfterTheTurnUnwinds)
{
    const TMidTurnCase& c = GetParam();
    ModalAnswerer answer(c.Answer());
    bool fired = false;
    auto pending = TMainForm::TPendingCommand::None;
    int shufflesBefore = 0;
    OnceWhen([this] { return ComputerCardInFlight(); },
             [&] {
                 fired = true;
                 shufflesBefore = Shuffles;
                 (F().*c.Action)->trigger();
                 pending = F().PendingCommand();
             });

    F().RequestNewSeries();

    ASSERT_TRUE(fired);
    EXPECT_EQ(shufflesBefore, 1);
    EXPECT_EQ(pending,
              c.Deals ? TMainForm::TPendingCommand::NewSeries : TMainForm::TPendingCommand::None);
    EXPECT_EQ(answer.Count(), c.Modals);
    EXPECT_EQ(Shuffles, 1 + c.Deals);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(F().PendingCommand(), TMainForm::TPendingCommand::None);
    EXPECT_EQ(M().GameNo(), 1);
    // The last deal ran to its end and no card was left half-way: both goals hold their
    // cards, and every card in a slot lies exactly on it.
    EXPECT_NE(Slots()[slotComputerGoal].Card, nullptr);
    EXPECT_NE(Slots()[slotPlayerGoal].Card, nullptr);
    EXPECT_GE((F().*A::FPackOfCards).bTopCardsIndex, 13);
    for (int slot = 1; slot <= 13; ++slot)
        if (const TPlayingCard* card = Slots()[slot].Card) {
            EXPECT_EQ(LayerOf(*card)->Location(), Slots()[slot].HotSpotLocation) << "slot " << slot;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Menu, MidTurnCommandTest,
    ::testing::Values(
        TMidTurnCase{"NewGame", &TMainForm::FileNewGameAction, &ModalAnswerer::Accept, 0, 1},
        TMidTurnCase{"OptionsOk", &TMainForm::FileOptionsAction, &ModalAnswerer::Accept, 1, 1},
        TMidTurnCase{"OptionsCancel", &TMainForm::FileOptionsAction, &ModalAnswerer::Reject, 1, 0},
        TMidTurnCase{"Score", &TMainForm::FileScoreAction, &ModalAnswerer::Accept, 1, 0}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// Exit and the close box in the middle of the computer's turn: the window stays until the
// turn has wound up, then closes and lets the help go.
struct TCloseCase
{
    const char* Name;
    std::function<void(TMainForm&)> Close;
};

class CloseTest : public ShellTest, public ::testing::WithParamInterface<TCloseCase>
{
};

TEST_P(CloseTest, MidTurnCloseWaitsForTheTurn)
{
    F().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F()));
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));
    ASSERT_TRUE(F().HelpSystem->Active());

    bool visibleAfterClose = false;
    OnceWhen([this] { return ComputerCardInFlight(); },
             [&] {
                 GetParam().Close(F());
                 visibleAfterClose = F().isVisible();
             });
    F().RequestNewSeries();

    EXPECT_TRUE(visibleAfterClose);
    EXPECT_FALSE(F().isVisible());
    EXPECT_TRUE(F().*A::FClosing);
    EXPECT_FALSE(F().HelpSystem->Active());
    EXPECT_EQ(Shuffles, 2);
}

TEST_P(CloseTest, IdleCloseClosesAtOnce)
{
    F().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&F()));
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));

    GetParam().Close(F());

    EXPECT_FALSE(F().isVisible());
    EXPECT_FALSE(F().HelpSystem->Active());
    EXPECT_EQ(Shuffles, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Window, CloseTest,
    ::testing::Values(TCloseCase{"Exit", [](TMainForm& F) { F.FileExitAction->trigger(); }},
                      TCloseCase{"CloseBox", [](TMainForm& F) { F.close(); }}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// The window starts at its designed size, showing everything it holds; it can grow (the
// table then scales) and be maximised, but not shrink below that size.
TEST_F(ShellTest, FrameHoldsMenuTableAndStripAtItsDesignedSize)
{
    F().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F()));

    EXPECT_EQ(F().size(), QSize(346, 583));
    EXPECT_EQ(F().minimumSize(), F().size());
    EXPECT_GT(F().maximumSize().width(), 346);
    const Qt::WindowFlags flags = F().windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(F().windowTitle(), QStringLiteral("Brindletop"));

    EXPECT_EQ(F().ActionMainMenuBar1->geometry(), QRect(0, 0, F().width(), 25));
    const QRect panel(F().CardTablePanel->mapTo(&F(), QPoint(0, 0)), F().CardTablePanel->size());
    EXPECT_EQ(panel.top(), 25);
    EXPECT_EQ(panel.bottom(), F().height() - 1);
    // Table, strip and line, inside the panel's border, all of them whole.
    const QRect inside = F().CardTablePanel->contentsRect();
    const QRect table = (F().*A::FGameTableImage)->geometry();
    EXPECT_EQ(table.top(), inside.top());
    EXPECT_EQ(table.height(), 538);
    EXPECT_GE(table.width(), 328); // the discard pile's frame reaches x = 328
    const QRect strip = (F().*A::FStaticsPanel)->geometry();
    EXPECT_EQ(strip.height(), 17);
    EXPECT_GE(strip.top(), table.bottom() + 1);
    EXPECT_LE(strip.bottom(), inside.bottom());
}

// The contrast of two colours as WCAG counts it: 1 (the same) to 21 (black on white).
double Contrast(QRgb A, QRgb B)
{
    const auto luminance = [](QRgb c) {
        const auto linear = [](int v) {
            const double x = v / 255.0;
            return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
    };
    const double a = luminance(A), b = luminance(B);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The item under the pointer stands out from the menu as it is drawn, and its black text
// reads on it.
TEST_F(ShellTest, TheMenuHighlightIsSeenWithBlackTextOnIt)
{
    F().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F()));
    const struct
    {
        const char* Menu;
        QAction* Highlighted;
        QAction* Other;
    } cases[] = {{"GameMenu", F().FileOptionsAction, F().FileScoreAction},
                 {"HelpMenu", F().HelpAboutAction, F().HelpIndexAction}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Menu);
        auto* menu = F().findChild<QMenu*>(QString::fromLatin1(c.Menu));
        ASSERT_NE(menu, nullptr);
        menu->popup(F().mapToGlobal(QPoint(0, 25)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        menu->setActiveAction(c.Highlighted);
        const QImage shot = menu->grab().toImage();
        menu->hide();
        // Right of the text, where only the item's background is drawn.
        const QRect lit = menu->actionGeometry(c.Highlighted);
        const QRect plain = menu->actionGeometry(c.Other);
        const QRgb highlight = shot.pixel(lit.right() - 4, lit.center().y());
        const QRgb background = shot.pixel(plain.right() - 4, plain.center().y());
        EXPECT_GE(Contrast(highlight, background), 3.0)
            << std::hex << highlight << " on " << background;
        EXPECT_EQ(menu->palette().color(QPalette::HighlightedText), QColor(Qt::black));
        EXPECT_GE(Contrast(highlight, qRgb(0, 0, 0)), 4.5) << std::hex << highlight;
    }
    const QPalette bar = F().ActionMainMenuBar1->palette();
    EXPECT_EQ(bar.color(QPalette::HighlightedText), QColor(Qt::black));
    EXPECT_GE(Contrast(bar.color(QPalette::Highlight).rgb(), qRgb(0, 0, 0)), 4.5);
    EXPECT_GE(Contrast(bar.color(QPalette::Highlight).rgb(), bar.color(QPalette::Window).rgb()),
              3.0);
}

TEST_F(ShellTest, ExitAndAboutCarryTheirPictures)
{
    struct
    {
        QAction* Action;
        bool Picture;
    } cases[] = {{F().FileNewGameAction, false}, {F().FileOptionsAction, false},
                 {F().FileScoreAction, false},   {F().FileExitAction, true},
                 {F().HelpIndexAction, false},   {F().HelpAboutAction, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Action->objectName().toStdString());
        EXPECT_EQ(!c.Action->icon().isNull(), c.Picture);
        if (c.Picture) {
            EXPECT_FALSE(c.Action->icon().pixmap(16, 16).isNull());
        }
    }
}

// An exception that no handler catches is shown, captioned with the program's name, and
// the program goes on.
TEST(ApplicationTest, UnhandledFailureIsShownAndTheProgramGoesOn)
{
    struct
    {
        const char* Name;
        std::function<bool()> Deliver;
        bool Result;
        QString Text; // empty: no message box
    } cases[] = {
        {"handled", [] { return true; }, true, {}},
        {"not handled", [] { return false; }, false, {}},
        {"std exception", []() -> bool { throw std::runtime_error("Cannot write to /tmp/x.ini"); },
         false, QStringLiteral("Cannot write to /tmp/x.ini")},
        {"other exception", []() -> bool { throw 42; }, false,
         QStringLiteral("An unexpected error occurred.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        ModalAnswerer answer([&icon](QWidget* Modal) {
            auto* box = qobject_cast<QMessageBox*>(Modal);
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(DeliverReportingErrors(c.Deliver), c.Result);
        if (c.Text.isEmpty()) {
            EXPECT_EQ(answer.Count(), 0);
            continue;
        }
        ASSERT_EQ(answer.Count(), 1);
        EXPECT_EQ(answer.Titles().first(), QStringLiteral("Brindletop"));
        EXPECT_EQ(answer.Texts().first(), c.Text);
        EXPECT_EQ(icon, QMessageBox::Critical);
    }
}
