#include "dialogs/Statics.h"

#include <QApplication>
#include <QColor>
#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QWindow>

#include <algorithm>

#include "dialogs/DialogFont.h"
#include "platform/WindowSystem.h"
#include "game/Match.h"

TStaticsDialog* StaticsDialog = nullptr;

namespace {

const QString Placeholder = QStringLiteral("x-x");

int RightEdge(const QWidget* Widget)
{
    return Widget->x() + Widget->width();
}

// How wide a window must be for its whole title to show: the title in the style's title
// bar font, plus what the style's title bar keeps beside its label for its buttons. Many
// window frames draw a system menu and the minimise and maximise buttons whatever a
// dialog asks for, and centre the title on the whole bar, so room for all the buttons is
// kept on both sides of it.
int TitleWidth(const QWidget& Window)
{
    // Frames often set their titles in bold.
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const int text = QFontMetrics(titleFont).horizontalAdvance(Window.windowTitle());
    QStyleOptionTitleBar bar;
    bar.initFrom(&Window);
    bar.titleBarFlags =
        Window.windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint;
    bar.text = Window.windowTitle();
    const int height = Window.style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &Window);
    // A bar wide enough that the buttons and margins take their full room.
    bar.rect = QRect(0, 0, text + 20 * std::max(height, 1), height);
    const QRect label = Window.style()->subControlRect(QStyle::CC_TitleBar, &bar,
                                                       QStyle::SC_TitleBarLabel, &Window);
    return text + 2 * (bar.rect.width() - label.width());
}

// The goal list's lines, without the empty ones.
QStringList GoalLines(const QString& Goals)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n]+"));
    return Goals.split(lineBreaks, Qt::SkipEmptyParts);
}

// What a screen reader says of a result on the sheet: which game and which part of it,
// and its score; the goals of its tooltip as plain text.
void NameResult(QLabel& Result, int Game, const QString& What, const QString& Goals)
{
    const QString score =
        Result.text() == Placeholder ? QStringLiteral("not played yet") : Result.text();
    Result.setAccessibleName(QStringLiteral("Game %1, %2: %3").arg(Game).arg(What, score));
    Result.setAccessibleDescription(GoalLines(Goals).join(QStringLiteral("; ")));
}

} // namespace

QString GoalListHint(const QString& Goals)
{
    const QStringList lines = GoalLines(Goals);
    if (lines.isEmpty())
        return {};
    // Names are the player's own text: escape them, and keep each goal on one line.
    QStringList escaped;
    for (const QString& line : lines)
        escaped << line.toHtmlEscaped();
    return QStringLiteral("<p style=\"white-space:pre\">") + escaped.join(QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}

TStaticsDialog::TStaticsDialog(QWidget* Parent) : QDialog(Parent, DialogFrameFlags())
{
    setWindowTitle(QString::fromStdString(FRecord->Caption()));
    setFont(DialogFont());
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->resize(75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    BuildSheet();
}

TStaticsDialog::~TStaticsDialog()
{
    if (StaticsDialog == this)
        StaticsDialog = nullptr;
}

void TStaticsDialog::UseRecord(TSeriesRecord* Record)
{
    FRecord = Record ? Record : &FOwnRecord;
}

void TStaticsDialog::NewGame(TDealer Dealer, TGamesBestOf GamesBestOf, const QString& PlayerName)
{
    FRecord->NewSeries(Dealer, GamesBestOf, PlayerName.toStdString());
    setWindowTitle(QString::fromStdString(FRecord->Caption()));
}

void TStaticsDialog::Initialize(int32_t AIGoals, int32_t PlayerGoals)
{
    FRecord->SetGameGoals(AIGoals, PlayerGoals);
}

TSetPeriodResult TStaticsDialog::SetPeriod(const QString& PeriodResult, const QString& Goals)
{
    const TSetPeriodResult result =
        FRecord->EnterPeriod(PeriodResult.toStdString(), Goals.toStdString());
    // Counted as the referee names the winner, before the sheet shows: a player who closes
    // the program over the sheet keeps the series in the statistics. The sheet does not
    // know the level the series was played at: the receiver fills it in.
    if (result == spendofgame && FOnSeriesEnd)
        FOnSeriesEnd(FRecord->Summary(slRookie));
    BuildAndShowSheet();
    return result;
}

void TStaticsDialog::ShowScore(const QString& InPlay)
{
    FInPlay = InPlay;
    BuildAndShowSheet();
    FInPlay.clear();
}

void TStaticsDialog::ClearPeriodResults()
{
    FRecord->ClearPeriodResults();
}

void TStaticsDialog::SetGamesDrawed()
{
    FRecord->SetGamesDrawed();
}

void TStaticsDialog::BuildAndShowSheet()
{
    BuildSheet();
    ShowModalSheet();
}

void TStaticsDialog::ShowModalSheet()
{
    exec();
}

void TStaticsDialog::BuildSheet()
{
    qDeleteAll(findChildren<QLabel*>(Qt::FindDirectChildrenOnly));
    setWindowTitle(QString::fromStdString(FRecord->Caption()));

    const QColor blue(0, 0, 255);
    const QColor red(255, 0, 0);
    const QColor black(0, 0, 0);
    const QString computer = QStringLiteral("Computer");

    int y = 10;
    int widest = 0;
    const QString playerName = PlayerName();
    TDealer side = FRecord->FirstDealer();
    for (int row = 1; row <= FRecord->Rows(); ++row) {
        // The side that does not deal a game is named first; the dealers alternate.
        QLabel* label;
        if (side == alComputer) {
            label = AddSheetLabel(this, playerName, blue, 10, y, {});
            label = AddSheetLabel(this, QStringLiteral("-"), black, RightEdge(label), y, {});
            label = AddSheetLabel(this, computer, red, RightEdge(label), y, {});
            side = alPlayer;
        } else {
            label = AddSheetLabel(this, computer, red, 10, y, {});
            label = AddSheetLabel(this, QStringLiteral("-"), black, RightEdge(label), y, {});
            label = AddSheetLabel(this, playerName, blue, RightEdge(label), y, {});
            side = alComputer;
        }
        label = AddSheetLabel(this, QStringLiteral("("), black, RightEdge(label) + 10, y, {});
        for (int period = 1; period <= 3; ++period) {
            if (period > 1)
                label = AddSheetLabel(this, QStringLiteral(","), black, RightEdge(label), y, {});
            const QString& goals = Cell(row, 2 * period);
            label = AddSheetLabel(this, Cell(row, 2 * period - 1), black, RightEdge(label), y,
                                  goals);
            NameResult(*label, row, OrdinalWord(unsigned(period)) + QStringLiteral(" period"),
                       goals);
        }
        label = AddSheetLabel(this, QStringLiteral(")"), black, RightEdge(label), y, {});
        QLabel* total =
            AddSheetLabel(this, Cell(row, 7), black, RightEdge(label) + 10, y, Cell(row, 8));
        NameResult(*total, row, QStringLiteral("final score"), Cell(row, 8));
        widest = std::max(widest, RightEdge(total));
        y += total->height();
    }
    if (!FInPlay.isEmpty()) {
        // Apart from the rows, in plain type: what is still being played.
        QLabel* inPlay = AddSheetLabel(this, FInPlay, black, 10, y + 6, {});
        inPlay->setObjectName(QStringLiteral("InPlay"));
        QFont plain = inPlay->font();
        plain.setBold(false);
        inPlay->setFont(plain);
        inPlay->resize(inPlay->sizeHint());
        widest = std::max(widest, RightEdge(inPlay));
        y += 6 + inPlay->height();
    }

    // The sizes below are the window's outer sizes, frame included. The title may name
    // the winner: the sheet is never too narrow to show it whole.
    const int outerWidth = std::max(widest + 20, TitleWidth(*this));
    const int buttonTop = y + 20;
    const int buttonLeft = HalfTiesToEven(outerWidth) - HalfTiesToEven(OKButton->width());
    const int outerHeight = buttonTop + OKButton->height() + 40;
    OKButton->move(buttonLeft, buttonTop);

    // The window manager tells a window's frame only once it is on screen: use the
    // sheet's own frame from an earlier showing, else the main window's, which is shown.
    // A tall title bar must not squeeze the sheet: keep a margin beside the widest row
    // and below the button.
    QMargins frame;
    if (windowHandle())
        frame = windowHandle()->frameMargins();
    if (frame.isNull() && parentWidget() && parentWidget()->window()->windowHandle())
        frame = parentWidget()->window()->windowHandle()->frameMargins();
    const int minimumMargin = 10;
    setFixedSize(std::max(outerWidth - frame.left() - frame.right(), widest + minimumMargin),
                 std::max(outerHeight - frame.top() - frame.bottom(),
                          buttonTop + OKButton->height() + minimumMargin));
}

QLabel* TStaticsDialog::AddSheetLabel(QWidget* Owner, const QString& Text, const QColor& Color,
                                      int Left, int Top, const QString& Hint)
{
    auto* label = new QLabel(Owner);
    // The player's name is the player's text, never markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(Text);
    QFont bold = Owner->font();
    bold.setBold(true);
    label->setFont(bold);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Color);
    label->setPalette(palette);
    if (!Hint.isEmpty())
        label->setToolTip(GoalListHint(Hint));
    label->move(Left, Top);
    label->resize(label->sizeHint());
    label->show();
    return label;
}

QString TStaticsDialog::Cell(int Row, int Column) const
{
    return QString::fromStdString(FRecord->Cell(Row, Column));
}
