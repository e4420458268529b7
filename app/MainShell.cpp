// The main window's shell: its menu and the commands, the start of the first series (at
// the first activation, or shortly after the window is shown), placing the window, the
// table's zoom, and closing it.

#include "app/Main.h"

#include "app/BCImageList.h"
#include "app/HelpSystem.h"
#include "assets/pictures/GameImages.h"
#include "dialogs/Options.h"
#include "dialogs/Settings.h"
#include "dialogs/Statics.h"
#include "dialogs/StatisticsDialog.h"
#include "dialogs/StatisticsStore.h"
#include "ini/IniDocument.h"
#include "platform/ErrorMessage.h"
#include "platform/WindowSystem.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>

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

// The zooms View steps through, in percent of the designed size.
constexpr int ZoomSteps[] = {100, 125, 150, 200, 250, 300};

// The panel at the designed size, as the table scene lays it out: the table, the strip
// and the line under it, inside the panel's border.
struct TPanelDesign
{
    int Border = 1;
    int Width = 0; // of the table and the strip
    int TableHeight = 0;
    int StripHeight = 0;
    int LineHeight = 0;
};

// The panel's parts at a zoom, in whole pixels: the table and the strip rounded, so that
// the table keeps its size in its own pixels; the border and the line never thinner than
// one pixel.
struct TPanelParts
{
    int Border, Width, TableHeight, StripHeight, LineHeight;
    QSize Panel() const
    {
        return QSize(Width + 2 * Border, TableHeight + StripHeight + LineHeight + 2 * Border);
    }
};

TPanelParts PartsAt(const TPanelDesign& Design, qreal Zoom)
{
    const auto scaled = [Zoom](int Pixels) { return int(std::lround(Pixels * Zoom)); };
    const auto line = [Zoom](int Pixels) { return std::max(1, int(std::floor(Pixels * Zoom))); };
    return {line(Design.Border), scaled(Design.Width), scaled(Design.TableHeight),
            scaled(Design.StripHeight), line(Design.LineHeight)};
}

QSize PanelAt(const TPanelDesign& Design, qreal Zoom)
{
    return PartsAt(Design, Zoom).Panel();
}

// The green round the panel, which takes whatever room the window gives it.
class TTableMargin : public QWidget
{
public:
    explicit TTableMargin(QWidget* Parent) : QWidget(Parent) {}
    TPanelDesign Design;
    std::function<void()> OnResize;

protected:
    void resizeEvent(QResizeEvent* Event) override
    {
        QWidget::resizeEvent(Event);
        if (OnResize)
            OnResize();
    }
};

// The largest whole percent at which the panel fits into `Room`, and at least the designed
// size.
qreal FittingZoom(const TPanelDesign& Design, QSize Room)
{
    const QSize panel = PanelAt(Design, 1);
    const qreal exact =
        std::min(qreal(Room.width()) / panel.width(), qreal(Room.height()) / panel.height());
    // Rounding lets a zoom a little above the exact ratio fit as well: start there.
    int percent = std::max(Settings::MinZoom, int(std::ceil(exact * 100)) + 1);
    for (; percent > Settings::MinZoom; --percent) {
        const QSize need = PanelAt(Design, percent / 100.0);
        if (need.width() <= Room.width() && need.height() <= Room.height())
            break;
    }
    return percent / 100.0;
}

int Percent(qreal Zoom)
{
    return int(std::lround(Zoom * 100));
}

// The first step above Zoom, or the end of the steps.
const int* NextZoomStep(qreal Zoom)
{
    return std::upper_bound(std::begin(ZoomSteps), std::end(ZoomSteps), Percent(Zoom));
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

    // The record behind the statistics command: read once now, saved after every change.
    FStatistics = std::make_shared<TStatisticsStore>();

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
    // "S" is the score sheet's already.
    FileStatisticsAction = makeAction("FileStatisticsAction", QStringLiteral("S&tatistics..."),
                                      QKeySequence(), &TMainForm::FileStatisticsActionExecute, -1);
    // Ctrl+Q quits, as every program of the desktop does.
    FileExitAction =
        makeAction("FileExitAction", QStringLiteral("&Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                   &TMainForm::FileExitActionExecute, 0);
    HelpIndexAction = makeAction("HelpIndexAction", QStringLiteral("&Index"),
                                 QKeySequence(Qt::Key_F1), &TMainForm::HelpIndexActionExecute, -1);
    HelpAboutAction = makeAction("HelpAboutAction", QStringLiteral("&About..."), QKeySequence(),
                                 &TMainForm::HelpAboutActionExecute, 1);

    GameHintAction = makeAction("GameHintAction", QStringLiteral("&Hint"), QKeySequence(Qt::Key_H),
                                &TMainForm::ShowHint, -1);

    QMenu* game = ActionMainMenuBar1->addMenu(QStringLiteral("&Game"));
    game->setObjectName(QStringLiteral("GameMenu"));
    SetMenuColours(*game);
    game->addAction(FileNewGameAction);
    game->addAction(GameHintAction);
    game->addSeparator();
    game->addAction(FileOptionsAction);
    game->addAction(FileScoreAction);
    game->addAction(FileStatisticsAction);
    game->addSeparator();
    game->addAction(FileExitAction);

    ViewZoomInAction =
        makeAction("ViewZoomInAction", QStringLiteral("Zoom &In"),
                   QKeySequence(Qt::CTRL | Qt::Key_Plus), &TMainForm::ViewZoomInActionExecute, -1);
    // Where "+" needs Shift, Ctrl and the key under it ("=") zoom in as well.
    ViewZoomInAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ViewZoomOutAction = makeAction("ViewZoomOutAction", QStringLiteral("Zoom &Out"),
                                   QKeySequence(Qt::CTRL | Qt::Key_Minus),
                                   &TMainForm::ViewZoomOutActionExecute, -1);
    ViewActualSizeAction =
        makeAction("ViewActualSizeAction", QStringLiteral("&Actual Size"),
                   QKeySequence(Qt::CTRL | Qt::Key_0), &TMainForm::ViewActualSizeActionExecute, -1);

    QMenu* view = ActionMainMenuBar1->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    SetMenuColours(*view);
    view->addAction(ViewZoomInAction);
    view->addAction(ViewZoomOutAction);
    view->addAction(ViewActualSizeAction);
    view->addSeparator();
    ViewShowPlayableAction =
        makeAction("ViewShowPlayableAction", QStringLiteral("Show &Playable Slots"), QKeySequence(),
                   &TMainForm::ViewShowPlayableActionExecute, -1);
    ViewShowPlayableAction->setCheckable(true);
    ViewShowPlayableAction->setChecked(FShowPlayable);
    ViewAnnounceShotsAction =
        makeAction("ViewAnnounceShotsAction", QStringLiteral("Announce &Goals and Saves"),
                   QKeySequence(), &TMainForm::ViewAnnounceShotsActionExecute, -1);
    ViewAnnounceShotsAction->setCheckable(true);
    ViewAnnounceShotsAction->setChecked(FAnnounceShots);
    view->addAction(ViewShowPlayableAction);
    view->addAction(ViewAnnounceShotsAction);
    view->addSeparator();
    ViewFullScreenAction =
        makeAction("ViewFullScreenAction", QStringLiteral("&Full Screen"),
                   QKeySequence(Qt::Key_F11), &TMainForm::ViewFullScreenActionExecute, -1);
    ViewFullScreenAction->setCheckable(true);
    view->addAction(ViewFullScreenAction);

    QMenu* help = ActionMainMenuBar1->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    SetMenuColours(*help);
    help->addAction(HelpIndexAction);
    help->addSeparator();
    help->addAction(HelpAboutAction);
}

void TMainForm::CreateView()
{
    // The panel moves into a green margin that fills the window; the designed measures are
    // taken from the scene as it was built.
    auto* margin = new TTableMargin(this);
    margin->setObjectName(QStringLiteral("TableMargin"));
    margin->setAutoFillBackground(true);
    margin->setPalette(CardTablePanel->palette()); // the table's green
    TPanelDesign& design = margin->Design;
    design.Border = CardTablePanel->lineWidth();
    design.Width = FStaticsPanel->width();
    design.TableHeight = FGameTableImage->height();
    design.StripHeight = FStaticsPanel->height();
    design.LineHeight = FShape1->height();
    takeCentralWidget();
    CardTablePanel->setParent(margin);
    setCentralWidget(margin);
    FTableMargin = margin;
    margin->setMinimumSize(PanelAt(design, 1));
    // The strip takes the panel's inside width at every zoom.
    FStaticsPanel->setMinimumWidth(0);
    FStaticsPanel->setMaximumWidth(QWIDGETSIZE_MAX);
    margin->OnResize = [this, margin] { ApplyZoom(FittingZoom(margin->Design, margin->size())); };
    resize(PanelAt(design, 1) + QSize(0, MenuBarHeight));
    ApplyZoom(1);
}

void TMainForm::ApplyZoom(qreal Zoom)
{
    auto* margin = static_cast<TTableMargin*>(FTableMargin);
    const TPanelDesign& design = margin->Design;
    FZoom = Zoom;
    // Before the panel's new size refits the about screen to it.
    if (FAboutImage)
        FAboutImage->SetZoom(Zoom);
    const TPanelParts parts = PartsAt(design, Zoom);
    const QSize panel = parts.Panel();
    CardTablePanel->setLineWidth(parts.Border);
    CardTablePanel->setFixedSize(panel);
    FGameTableImage->SetZoom(Zoom);
    FGameTableImage->setFixedHeight(parts.TableHeight);
    FStaticsPanel->setFixedHeight(parts.StripHeight);
    FShape1->setFixedHeight(parts.LineHeight);
    CardTablePanel->move((margin->width() - panel.width()) / 2,
                         (margin->height() - panel.height()) / 2);
    // Laid out now, so the strip's right end is known for its figures.
    CardTablePanel->layout()->activate();
    ScaleScoreboard();
    if (ViewZoomInAction) {
        const int* next = NextZoomStep(Zoom);
        ViewZoomInAction->setEnabled(next != std::end(ZoomSteps) && ZoomFitsScreen(*next / 100.0));
        ViewZoomOutAction->setEnabled(Percent(Zoom) > ZoomSteps[0]);
    }
}

bool TMainForm::ZoomFitsScreen(qreal Zoom) const
{
    const QScreen* screen = this->screen();
    if (!screen)
        return true;
    const auto* margin = static_cast<const TTableMargin*>(FTableMargin);
    const QSize client = PanelAt(margin->Design, Zoom) + QSize(0, MenuBarHeight);
    const QSize frame = frameGeometry().size() - size();
    const QSize room = screen->availableGeometry().size() - frame;
    return client.width() <= room.width() && client.height() <= room.height();
}

void TMainForm::ZoomWindow(qreal Zoom)
{
    if (isMaximized() || isFullScreen())
        showNormal();
    // A window taller than the screen would hide the strip, and its table would be fitted
    // to a size between the steps.
    if (!ZoomFitsScreen(Zoom)) {
        qreal fitting = 1;
        for (int step : ZoomSteps)
            if (step / 100.0 < Zoom && ZoomFitsScreen(step / 100.0))
                fitting = step / 100.0;
        Zoom = fitting;
    }
    const auto* margin = static_cast<TTableMargin*>(FTableMargin);
    resize((PanelAt(margin->Design, Zoom) + QSize(0, MenuBarHeight)).expandedTo(minimumSizeHint()));
    // Grown to the right and down, the window may reach past the screen's edges.
    const QScreen* screen = this->screen();
    if (!screen || !CanPlaceWindows())
        return;
    const QRect area = screen->availableGeometry();
    const QRect outer = frameGeometry();
    const int right = std::max(area.left(), area.right() + 1 - outer.width());
    const int bottom = std::max(area.top(), area.bottom() + 1 - outer.height());
    const QPoint inside(std::clamp(outer.left(), area.left(), right),
                        std::clamp(outer.top(), area.top(), bottom));
    if (inside != outer.topLeft())
        move(inside);
}

void TMainForm::ViewZoomInActionExecute()
{
    const int* next = NextZoomStep(FZoom);
    if (next != std::end(ZoomSteps))
        ZoomWindow(*next / 100.0);
}

void TMainForm::ViewZoomOutActionExecute()
{
    const int now = Percent(FZoom);
    const int* next = std::lower_bound(std::begin(ZoomSteps), std::end(ZoomSteps), now);
    if (next != std::begin(ZoomSteps))
        ZoomWindow(*(next - 1) / 100.0);
}

void TMainForm::ViewActualSizeActionExecute()
{
    ZoomWindow(Settings::DefaultZoom / 100.0);
}

void TMainForm::LoadView()
{
    // Without the options dialog there is no settings file of ours to read.
    if (!OptionsDialog)
        return;
    int percent = Settings::DefaultZoom;
    try {
        TIniDocument ini(OptionsDialog->SettingsPath());
        percent = ini.ReadInteger(Settings::ViewSection, Settings::KeyZoom, Settings::DefaultZoom);
        FShowPlayable = ini.ReadBool(Settings::ViewSection, Settings::KeyShowPlayable,
                                     Settings::DefaultShowPlayable);
        FAnnounceShots = ini.ReadBool(Settings::ViewSection, Settings::KeyAnnounceShots,
                                      Settings::DefaultAnnounceShots);
        ViewShowPlayableAction->setChecked(FShowPlayable);
        ViewAnnounceShotsAction->setChecked(FAnnounceShots);
        SetFullScreen(ini.ReadBool(Settings::ViewSection, Settings::KeyFullScreen,
                                   Settings::DefaultFullScreen));
        RefreshPlayableMarkers();
    } catch (const std::exception&) {
        // The options dialog reports an unreadable file; the table keeps its designed size.
        return;
    }
    if (percent < Settings::MinZoom || percent > Settings::MaxZoom)
        percent = Settings::DefaultZoom;
    FLoadedZoomPercent = percent;
    if (percent != Settings::DefaultZoom)
        ZoomWindow(percent / 100.0);
}

void TMainForm::SaveView()
{
    // Written only when the size changed: a run that leaves it alone leaves the file alone.
    const int percent = Percent(FZoom);
    if (!OptionsDialog ||
        percent == (FLoadedZoomPercent ? FLoadedZoomPercent : Settings::DefaultZoom))
        return;
    try {
        TIniDocument ini(OptionsDialog->SettingsPath());
        ini.WriteInteger(Settings::ViewSection, Settings::KeyZoom, percent);
        ini.UpdateFile();
    } catch (const std::exception&) {
        // The window is closing: the next run simply starts at the size it last knew.
    }
}

void TMainForm::ViewShowPlayableActionExecute()
{
    FShowPlayable = ViewShowPlayableAction->isChecked();
    SaveViewChoice(Settings::KeyShowPlayable, FShowPlayable);
    RefreshPlayableMarkers();
}

void TMainForm::ViewAnnounceShotsActionExecute()
{
    FAnnounceShots = ViewAnnounceShotsAction->isChecked();
    SaveViewChoice(Settings::KeyAnnounceShots, FAnnounceShots);
}

void TMainForm::ViewFullScreenActionExecute()
{
    SetFullScreen(ViewFullScreenAction->isChecked());
    SaveViewChoice(Settings::KeyFullScreen, isFullScreen());
}

void TMainForm::SetFullScreen(bool On)
{
    // The state is set before the window is first shown too: it then opens full screen.
    setWindowState(On ? windowState() | Qt::WindowFullScreen
                      : windowState() & ~Qt::WindowFullScreen);
    ViewFullScreenAction->setChecked(On);
}

void TMainForm::SaveViewChoice(const QString& Key, bool Value)
{
    if (!OptionsDialog)
        return;
    try {
        TIniDocument ini(OptionsDialog->SettingsPath());
        ini.WriteBool(Settings::ViewSection, Key, Value);
        ini.UpdateFile();
    } catch (const std::exception&) {
        // An unwritable file keeps the choice for this run; the next starts from the default.
    }
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
    ScoreSheet().ShowScore(InPlayLine());
}

void TMainForm::FileStatisticsActionExecute()
{
    TStatisticsDialog dialog(*FStatistics, this);
    dialog.exec();
}

TStaticsDialog& TMainForm::ScoreSheet()
{
    StaticsDialog->UseRecord(&FMatch.Record());
    return *StaticsDialog;
}

void TMainForm::RecordSeriesOnTheirEnd()
{
    if (!StaticsDialog)
        return;
    StaticsDialog->SetOnSeriesEnd([form = QPointer<TMainForm>(this)](TSeriesSummary Series) {
        if (!form)
            return;
        Series.Level = form->FMatch.Level();
        if (!form->FStatistics->RecordFinishedSeries(Series))
            ShowErrorMessage(form, form->FStatistics->ErrorText());
    });
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
            if (!FLoadedZoomPercent)
                LoadView();
            CentreOnScreen(*this);
            // Hidden again meanwhile: the next showing waits afresh.
            if (!FFirstSeriesWait) {
                FFirstSeriesWait = new QTimer(this);
                FFirstSeriesWait->setSingleShot(true);
                FFirstSeriesWait->setInterval(FirstSeriesWaitMs);
                connect(FFirstSeriesWait, &QTimer::timeout, this, [this, startFirstSeries] {
                    if (isVisible())
                        startFirstSeries();
                });
            }
            FFirstSeriesWait->start();
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
    RecordSeriesOnTheirEnd();
    // A series left unfinished goes on where it was; else a new one is dealt.
    if (RestoreMatch()) {
        TSequence sequence(*this);
        NextMove(FMatch.Turn());
        return;
    }
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
    SaveView();
    // Closes any help window that is still open.
    if (HelpSystem)
        HelpSystem->SetActive(false);
}
