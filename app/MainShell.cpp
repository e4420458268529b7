// The main window's shell: its menu and the six commands, the start of the first series
// (at the first activation, or shortly after the window is shown), placing the window, and
// closing it.

#include "app/Main.h"

#include "app/BCImageList.h"
#include "app/HelpSystem.h"
#include "assets/pictures/GameImages.h"
#include "dialogs/Options.h"
#include "dialogs/Statics.h"
#include "platform/WindowSystem.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace {

constexpr int MenuBarHeight = 25;

// How long a window that was shown waits for its first activation before it starts the
// first series anyway. Focus-stealing prevention, a click elsewhere during start-up, or a
// compositor without an input seat can leave a new window inactive for good.
constexpr int FirstSeriesWaitMs = 500;

QFont MenuFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSize(9);
    return font;
}

// The relative luminance of a colour, 0 for black to 1 for white (sRGB, WCAG).
double Luminance(const QColor& Colour)
{
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(Colour.redF()) + 0.7152 * linear(Colour.greenF()) +
           0.0722 * linear(Colour.blueF());
}

// The style's own selection colour, which it draws to stand out from its menus, made
// lighter where black text on it would not read (a contrast below 4.5 to 1).
QColor MenuHighlight(const QPalette& Palette)
{
    QColor colour = Palette.color(QPalette::Highlight);
    while ((Luminance(colour) + 0.05) / 0.05 < 4.5)
        colour = QColor::fromRgbF(colour.redF() + (1 - colour.redF()) * 0.1f,
                                  colour.greenF() + (1 - colour.greenF()) * 0.1f,
                                  colour.blueF() + (1 - colour.blueF()) * 0.1f);
    return colour;
}

// Black text, a highlight the player can see with black text on it, and grey for what is
// disabled.
void SetMenuColours(QWidget& Widget)
{
    QPalette palette = Widget.palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Highlight, MenuHighlight(palette));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    const QColor disabled(109, 109, 109);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
    Widget.setPalette(palette);
    Widget.setFont(MenuFont());
}

// Centres the window's outer frame on the available area of its screen. Before the window
// manager has framed the window its frame is not known yet, and the client area stands in.
void CentreOnScreen(QWidget& Window)
{
    // Where the compositor places every window (Wayland), a position asked for is ignored.
    if (!CanPlaceWindows())
        return;
    const QScreen* screen = Window.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize outer = Window.frameGeometry().size();
    Window.move(area.left() + (area.width() - outer.width()) / 2,
                area.top() + (area.height() - outer.height()) / 2);
}

} // namespace

void TMainForm::CreateMenu()
{
    ActionMainMenuBar1 = new QMenuBar(this);
    ActionMainMenuBar1->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    ActionMainMenuBar1->setNativeMenuBar(false); // part of the window, like the table
    ActionMainMenuBar1->setFixedHeight(MenuBarHeight);
    SetMenuColours(*ActionMainMenuBar1);
    setMenuBar(ActionMainMenuBar1);

    MenuImageList = new TBCImageList(16, 16, this);
    for (int i = 0; i < MenuImageCount; ++i)
        MenuImageList->Add(MenuImage(i));

    // Every command is an action of the window: its shortcut works whenever the window has
    // the focus, also while a card is on its way (the move waits in an event loop).
    auto makeAction = [this](const char* Name, const QString& Caption, QKeySequence Shortcut,
                             void (TMainForm::*Handler)(), int Image) {
        auto* action = new QAction(Caption, this);
        action->setObjectName(QString::fromLatin1(Name));
        action->setShortcut(Shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        if (Image >= 0)
            action->setIcon(MenuImageList->Icon(Image));
        connect(action, &QAction::triggered, this, [this, Handler] { (this->*Handler)(); });
        addAction(action);
        return action;
    };
    FileNewGameAction =
        makeAction("FileNewGameAction", QStringLiteral("&New Game"), QKeySequence(Qt::Key_F2),
                   &TMainForm::FileNewGameActionExecute, -1);
    FileOptionsAction =
        makeAction("FileOptionsAction", QStringLiteral("&Options..."), QKeySequence(Qt::Key_F7),
                   &TMainForm::FileOptionsActionExecute, -1);
    FileScoreAction = makeAction("FileScoreAction", QStringLiteral("&Score..."),
                                 QKeySequence(Qt::Key_F9), &TMainForm::FileScoreActionExecute, -1);
    FileExitAction = makeAction("FileExitAction", QStringLiteral("&Exit"), QKeySequence(),
                                &TMainForm::FileExitActionExecute, 0);
    HelpIndexAction = makeAction("HelpIndexAction", QStringLiteral("&Index"),
                                 QKeySequence(Qt::Key_F1), &TMainForm::HelpIndexActionExecute, -1);
    HelpAboutAction = makeAction("HelpAboutAction", QStringLiteral("&About..."), QKeySequence(),
                                 &TMainForm::HelpAboutActionExecute, 1);

    QMenu* game = ActionMainMenuBar1->addMenu(QStringLiteral("&Game"));
    game->setObjectName(QStringLiteral("GameMenu"));
    SetMenuColours(*game);
    game->addAction(FileNewGameAction);
    game->addSeparator();
    game->addAction(FileOptionsAction);
    game->addAction(FileScoreAction);
    game->addSeparator();
    game->addAction(FileExitAction);

    QMenu* help = ActionMainMenuBar1->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    SetMenuColours(*help);
    help->addAction(HelpIndexAction);
    help->addSeparator();
    help->addAction(HelpAboutAction);
}

void TMainForm::FileNewGameActionExecute()
{
    RequestNewSeries();
}

void TMainForm::FileOptionsActionExecute()
{
    if (OptionsDialog->exec() == QDialog::Accepted)
        FileNewGameAction->trigger();
}

void TMainForm::FileScoreActionExecute()
{
    StaticsDialog->ShowScore();
}

void TMainForm::FileExitActionExecute()
{
    RequestClose();
}

void TMainForm::HelpIndexActionExecute()
{
    HelpSystem->Open();
}

void TMainForm::HelpAboutActionExecute()
{
    ShowAboutScreen();
}

bool TMainForm::event(QEvent* e)
{
    const bool handled = QMainWindow::event(e);
    // The first series starts once, whichever comes first: the first activation or the
    // wait after the window was shown. Coming back from a dialog, a message box, the help
    // viewer or another program is no new start.
    const auto startFirstSeries = [this] {
        if (FActivated)
            return;
        FActivated = true;
        // By now the window manager has framed the window: centre its outer frame.
        if (frameGeometry().size() != size())
            CentreOnScreen(*this);
        // Deal once the event at hand has been handled in full: the deal waits for its
        // card moves in an event loop, which must not run inside the activation.
        QMetaObject::invokeMethod(
            this, [this] { FormActivate(); }, Qt::QueuedConnection);
    };
    switch (e->type()) {
    case QEvent::Show:
        if (!FActivated) {
            CentreOnScreen(*this);
            // Hidden again meanwhile: the next showing waits afresh.
            QTimer::singleShot(FirstSeriesWaitMs, this, [this, startFirstSeries] {
                if (isVisible())
                    startFirstSeries();
            });
        }
        break;
    case QEvent::WindowActivate:
        startFirstSeries();
        break;
    default:
        break;
    }
    return handled;
}

void TMainForm::FormActivate()
{
    // Closed (or hidden) before the start came through: nothing to start.
    if (FClosing || !isVisible())
        return;
    // Show the empty table before the first card leaves the pack.
    repaint();
    RequestNewSeries();
}

void TMainForm::closeEvent(QCloseEvent* e)
{
    // In the middle of a move sequence the window stays: the sequence winds up first and
    // then closes it (FClosing set).
    if (SequenceRunning() && !FClosing) {
        e->ignore();
        RequestClose();
        return;
    }
    FormClose();
    e->accept();
}

void TMainForm::FormClose()
{
    // Closes any help window that is still open.
    if (HelpSystem)
        HelpSystem->SetActive(false);
}
