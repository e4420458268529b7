// The main window's construction: its designed components, then FormCreate.
#include "app/Main.h"

#include "app/HelpSystem.h"
#include "assets/pictures/GameImages.h"
#include "table/TableLook.h"
#include "dialogs/DialogFont.h"
#include "dialogs/Statics.h"
#include "timer/ThreadedTimer.h"

#include <QFrame>
#include <QPalette>

TMainForm* MainForm = nullptr;

namespace {

constexpr int CardMoveInterval = 20; // milliseconds per step of a card's flight
constexpr int AboutInterval = 20;

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    if (MainForm == nullptr)
        MainForm = this;

    setWindowTitle(QStringLiteral("Brindletop"));
    // The table scales with the window, so it may be resized and maximised.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont()); // the main window and the dialogs share Tahoma 8 pt

    CardTablePanel = new QFrame(this);
    CardTablePanel->setObjectName(QStringLiteral("CardTablePanel"));
    CardTablePanel->setFrameStyle(QFrame::Box | QFrame::Plain);
    CardTablePanel->setLineWidth(1);
    CardTablePanel->setAutoFillBackground(true);
    QPalette panelPalette = CardTablePanel->palette();
    panelPalette.setColor(QPalette::Window, TableGreen());
    panelPalette.setColor(QPalette::WindowText, Qt::black); // the border
    CardTablePanel->setPalette(panelPalette);
    setCentralWidget(CardTablePanel);

    CardsBitmap32List = new TBitmap32List;
    LogoBitmap32List = new TBitmap32List;
    GameBitmap32List = new TBitmap32List;
    LoadGameImages(*CardsBitmap32List, *GameBitmap32List, *LogoBitmap32List);

    AboutThreadedTimer = new TThreadedTimer(this);
    AboutThreadedTimer->SetInterval(AboutInterval);
    AboutThreadedTimer->SetEnabled(false);
    AboutThreadedTimer->SetOnTimer([this](QObject* Sender) { AboutThreadedTimerTimer(Sender); });

    MoveCardThreadedTimer = new TThreadedTimer(this);
    MoveCardThreadedTimer->SetInterval(CardMoveInterval);
    MoveCardThreadedTimer->SetEnabled(false);
    MoveCardThreadedTimer->SetOnTimer(
        [this](QObject* Sender) { MoveCardThreadedTimerTimer(Sender); });

    FormCreate();
}

TMainForm::~TMainForm()
{
    // The timers go first: their handlers touch the table, the cards and the about screen.
    delete MoveCardThreadedTimer;
    MoveCardThreadedTimer = nullptr;
    delete AboutThreadedTimer;
    AboutThreadedTimer = nullptr;

    // The widgets (and with the table image the card layers) go with the window; the
    // layers hold copies of the pictures, so the lists can go now.
    delete CardsBitmap32List;
    CardsBitmap32List = nullptr;
    delete LogoBitmap32List;
    LogoBitmap32List = nullptr;
    delete GameBitmap32List;
    GameBitmap32List = nullptr;

    // The sheet may outlive the window: it keeps no pointer to a record that is gone.
    if (StaticsDialog && &StaticsDialog->Record() == &FMatch.Record())
        StaticsDialog->UseRecord(nullptr);

    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::FormCreate()
{
    FMovingCard = false;
    FCanMoveCard = true;

    // Help access: "HELP/bt.chm" beside the program, active from now until the window closes.
    HelpSystem = new THelpSystem(this);
    HelpSystem->SetHelpfile(HelpFilePath());
    HelpSystem->SetActive(true);

    BuildTableScene();
    CreateCardLayers();
    PassCardPressesToSlots();

    CreateMenu();
    CreateView();
}
