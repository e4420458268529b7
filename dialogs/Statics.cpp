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
// The caption of a series in progress, before a period of it has ended.
const QString ScoreCaption = QStringLiteral("Score");

// The goal list ends every line with a line break; the sheet keeps the lines only.
QString WithoutTrailingBlanks(const QString& Text)
{
    qsizetype end = Text.size();
    while (end > 0 && Text.at(end - 1).unicode() <= 32)
        --end;
    return Text.left(end);
}

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
    setWindowTitle(ScoreCaption);
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

void TStaticsDialog::NewGame(TDealer Dealer, TGamesBestOf GamesBestOf, const QString& PlayerName)
{
    FGame = 1;
    FPeriod = 0;
    FAIWins = 0;
    FPlayerWins = 0;
    FPlayerName = PlayerName;
    FDealer = Dealer;
    FDPDealer = Dealer;
    FGamesBestOf = GamesBestOf;
    FSeriesGames.clear();
    // The verdict of the last series is no caption for an empty sheet.
    setWindowTitle(ScoreCaption);
    ClearPeriodResults();
    SetGamesDrawed();
}

QString TStaticsDialog::SavedRecord() const
{
    // Names and goal lists are the player's text: percent-encoded, a value never breaks
    // its line or takes the next key's place.
    const auto text = [](const QString& Value) {
        return QString::fromLatin1(Value.toUtf8().toPercentEncoding());
    };
    QString out;
    out += QStringLiteral("name %1\n").arg(text(FPlayerName));
    out += QStringLiteral("title %1\n").arg(text(windowTitle()));
    out += QStringLiteral("numbers %1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(int(FDealer))
               .arg(int(FDPDealer))
               .arg(int(FGamesBestOf))
               .arg(FAIGoals)
               .arg(FPlayerGoals)
               .arg(FAIWins)
               .arg(FPlayerWins)
               .arg(FGame)
               .arg(FPeriod);
    out += QStringLiteral("ended %1").arg(FSeriesGames.size());
    for (const TGameResult& game : FSeriesGames)
        out += QStringLiteral(" %1 %2 %3 %4")
                   .arg(game.ComputerGoals)
                   .arg(game.PlayerGoals)
                   .arg(int(game.Drawn))
                   .arg(int(game.DecidedInOvertime));
    out += QLatin1Char('\n');
    for (int row = 1; row <= MaxGames; ++row) {
        out += QStringLiteral("game%1").arg(row);
        for (int column = 1; column <= ResultColumns; ++column)
            out += QLatin1Char(' ') + (Cell(row, column).isEmpty() ? QStringLiteral("-")
                                                                   : text(Cell(row, column)));
        out += QLatin1Char('\n');
    }
    return out;
}

bool TStaticsDialog::RestoreRecord(const QString& Text)
{
    const auto value = [](const QString& Encoded) {
        return Encoded == QLatin1String("-")
                   ? QString()
                   : QString::fromUtf8(QByteArray::fromPercentEncoding(Encoded.toLatin1()));
    };
    const QStringList lines = Text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() != 4 + MaxGames)
        return false;
    const auto fields = [&](int Line, const QString& Key, int Count) {
        QStringList parts = lines[Line].split(QLatin1Char(' '));
        if (parts.size() != Count + 1 || parts.takeFirst() != Key)
            return QStringList();
        return parts;
    };
    const QStringList name = fields(0, QStringLiteral("name"), 1);
    const QStringList title = fields(1, QStringLiteral("title"), 1);
    const QStringList numbers = fields(2, QStringLiteral("numbers"), 9);
    if (name.isEmpty() || title.isEmpty() || numbers.isEmpty())
        return false;
    int n[9];
    // Dealers 0-1, best of 0-3, goals, wins, the game and the period within their ranges.
    const int highest[9] = {1, 1, 3, 999, 999, MaxGames, MaxGames, MaxGames + 1, UINT8_MAX};
    for (int i = 0; i < 9; ++i) {
        bool ok = false;
        n[i] = numbers[i].toInt(&ok);
        if (!ok || n[i] < 0 || n[i] > highest[i])
            return false;
    }
    // The games that have ended, four figures each.
    std::vector<TGameResult> ended;
    {
        QStringList parts = lines[3].split(QLatin1Char(' '));
        bool ok = parts.takeFirst() == QLatin1String("ended") && !parts.isEmpty();
        const int count = ok ? parts.takeFirst().toInt(&ok) : 0;
        if (!ok || count < 0 || count > MaxGames || parts.size() != 4 * count)
            return false;
        for (int g = 0; g < count; ++g) {
            int v[4];
            for (int i = 0; i < 4; ++i) {
                v[i] = parts[4 * g + i].toInt(&ok);
                if (!ok || v[i] < 0 || v[i] > (i < 2 ? 999 : 1))
                    return false;
            }
            ended.push_back({v[0], v[1], v[2] != 0, v[3] != 0});
        }
    }
    QString cells[MaxGames][ResultColumns];
    for (int row = 1; row <= MaxGames; ++row) {
        const QStringList parts = fields(3 + row, QStringLiteral("game%1").arg(row), ResultColumns);
        if (parts.isEmpty())
            return false;
        for (int column = 1; column <= ResultColumns; ++column)
            cells[row - 1][column - 1] = value(parts[column - 1]);
    }

    FPlayerName = value(name[0]);
    setWindowTitle(value(title[0]));
    FDealer = TDealer(n[0]);
    FDPDealer = TDealer(n[1]);
    FGamesBestOf = TGamesBestOf(n[2]);
    FAIGoals = n[3];
    FPlayerGoals = n[4];
    FAIWins = n[5];
    FPlayerWins = n[6];
    FGame = uint8_t(n[7]);
    FPeriod = uint8_t(n[8]);
    FSeriesGames = ended;
    for (int row = 1; row <= MaxGames; ++row)
        for (int column = 1; column <= ResultColumns; ++column)
            SetCell(row, column, cells[row - 1][column - 1]);
    SetGamesDrawed();
    return true;
}

void TStaticsDialog::Initialize(int32_t AIGoals, int32_t PlayerGoals)
{
    FAIGoals = AIGoals;
    FPlayerGoals = PlayerGoals;
}

TSetPeriodResult TStaticsDialog::SetPeriod(const QString& PeriodResult, const QString& Goals)
{
    const TSetPeriodResult result = RefereePeriod(PeriodResult, Goals);
    BuildAndShowSheet();
    return result;
}

void TStaticsDialog::ShowScore()
{
    BuildAndShowSheet();
}

void TStaticsDialog::ClearPeriodResults()
{
    for (auto& row : FPeriodResults)
        for (QString& cell : row)
            cell.clear();
}

void TStaticsDialog::SetGamesDrawed()
{
    // The record has room for the longest series; never lay out rows it cannot hold.
    FGamesDrawed = uint8_t(std::min(GamesToPlay(FAIWins, FPlayerWins, FGamesBestOf), MaxGames));
    for (int row = 1; row <= FGamesDrawed; ++row) {
        if (Cell(row, 1).isEmpty()) {
            for (int column : {1, 3, 5, 7})
                SetCell(row, column, Placeholder);
        }
    }
}

TSetPeriodResult TStaticsDialog::RefereePeriod(const QString& PeriodResult, const QString& Goals)
{
    // Stop counting rather than wrap round into the regular periods' columns.
    if (FPeriod < UINT8_MAX)
        ++FPeriod;

    if (FPeriod == 1)
        setWindowTitle(QStringLiteral("First intermission"));
    else if (FPeriod == 2)
        setWindowTitle(QStringLiteral("Second intermission"));
    else
        setWindowTitle(QStringLiteral("Over-time"));

    if (FPeriod <= 3) {
        SetCell(FGame, 2 * FPeriod - 1, PeriodResult);
        SetCell(FGame, 2 * FPeriod, WithoutTrailingBlanks(Goals));
    }

    const bool inOvertime = FPeriod > 3;
    const bool gameOver = GameOverAfterPeriod(FPeriod, FAIGoals, FPlayerGoals, !Goals.isEmpty());
    if (!gameOver)
        return spnewperiod;

    // The side that deals the game is named second, so its goals come last.
    QString finalScore =
        FDealer == alComputer
            ? QString::number(FPlayerGoals) + QLatin1Char('-') + QString::number(FAIGoals)
            : QString::number(FAIGoals) + QLatin1Char('-') + QString::number(FPlayerGoals);
    if (inOvertime) {
        finalScore += QStringLiteral(" OT");
        SetCell(FGame, 8, WithoutTrailingBlanks(Goals));
    }
    SetCell(FGame, 7, finalScore);
    FSeriesGames.push_back({FAIGoals, FPlayerGoals, false, inOvertime});

    QString winner;
    if (FAIGoals > FPlayerGoals) {
        ++FAIWins;
        winner = QStringLiteral("Computer");
    } else {
        ++FPlayerWins;
        winner = FPlayerName;
    }
    SetGamesDrawed();

    TSetPeriodResult result;
    if (FGame == FGamesDrawed) {
        setWindowTitle(QStringLiteral("Play-off winner is ") + winner + QLatin1Char('!'));
        result = spendofgame;
        if (FOnSeriesEnd)
            FOnSeriesEnd({slRookie, FSeriesGames, FPlayerWins > FAIWins});
    } else {
        FDealer = FDealer == alComputer ? alPlayer : alComputer;
        setWindowTitle(QStringLiteral("End of ") + OrdinalWord(FGame) + QStringLiteral(" game."));
        result = spnewgame;
    }
    FPeriod = 0;
    ++FGame;
    return result;
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

    const QColor blue(0, 0, 255);
    const QColor red(255, 0, 0);
    const QColor black(0, 0, 0);
    const QString computer = QStringLiteral("Computer");

    int y = 10;
    int widest = 0;
    TDealer side = FDPDealer;
    for (int row = 1; row <= FGamesDrawed; ++row) {
        // The side that does not deal a game is named first; the dealers alternate.
        QLabel* label;
        if (side == alComputer) {
            label = AddSheetLabel(this, FPlayerName, blue, 10, y, {});
            label = AddSheetLabel(this, QStringLiteral("-"), black, RightEdge(label), y, {});
            label = AddSheetLabel(this, computer, red, RightEdge(label), y, {});
            side = alPlayer;
        } else {
            label = AddSheetLabel(this, computer, red, 10, y, {});
            label = AddSheetLabel(this, QStringLiteral("-"), black, RightEdge(label), y, {});
            label = AddSheetLabel(this, FPlayerName, blue, RightEdge(label), y, {});
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

namespace {
bool InRecord(int Row, int Column)
{
    return Row >= 1 && Row <= TStaticsDialog::MaxGames && Column >= 1 &&
           Column <= TStaticsDialog::ResultColumns;
}
} // namespace

// Rows and columns count from 1; a place outside the record reads empty and takes nothing.
QString TStaticsDialog::Cell(int Row, int Column) const
{
    return InRecord(Row, Column) ? FPeriodResults[Row - 1][Column - 1] : QString();
}

void TStaticsDialog::SetCell(int Row, int Column, const QString& Text)
{
    if (InRecord(Row, Column))
        FPeriodResults[Row - 1][Column - 1] = Text;
}
