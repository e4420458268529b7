// The scoreboard strip under the table: for each side a turn arrow, its name and its goals,
// and at the right end the period and the period clock.
#include "app/Main.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPalette>

#include <cmath>

namespace {

constexpr int ArrowSize = 17;
constexpr int ArrowPicture = 5; // GameBitmap32List: the turn arrow
constexpr int LabelTop = 1;
constexpr int NameCellHeight = 15;

const QColor ComputerRed(255, 0, 0);
const QColor PlayerBlue(0, 0, 255);

// Arial where it is installed, otherwise a face with the same metrics.
QFont ScoreboardFont()
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    font.setBold(true);
    return font;
}

// The strip's measures grow with the table's zoom.
int Scaled(int Pixels, qreal Zoom)
{
    return int(std::lround(Pixels * Zoom));
}

// The names are set by their cell height (ascent + descent, leading included), 15 pixels:
// the largest pixel size whose cell is no taller.
QFont NameFont(qreal Zoom)
{
    QFont font = ScoreboardFont();
    const int cell = Scaled(NameCellHeight, Zoom);
    for (int pixels = cell; pixels > 1; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= cell)
            break;
    }
    return font;
}

QFont FigureFont(qreal Zoom)
{
    QFont font = ScoreboardFont();
    font.setPointSizeF(10 * Zoom);
    return font;
}

// Caption and colour; font, size and place come with ScaleScoreboard.
void PrepareLabel(QLabel*& label, QWidget* strip, const QString& caption, const QColor& colour)
{
    if (label == nullptr)
        label = new QLabel(strip);
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(false); // the strip's white shows through
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setText(caption);
    label->show();
}

void PrepareArrow(TImage32*& arrow, QWidget* strip, const TBitmap32& picture, uint8_t alpha)
{
    if (arrow == nullptr)
        arrow = new TImage32(strip);
    arrow->SetColor(Qt::white);
    TBitmap32& bitmap = arrow->Bitmap();
    bitmap.Assign(picture);
    bitmap.SetDrawMode(dmBlend);
    bitmap.SetMasterAlpha(alpha);
    arrow->show();
}

} // namespace

void TMainForm::BuildScoreboard(const QString& PlayerName)
{
    QWidget* strip = FStaticsPanel;

    const TBitmap32& arrowPicture = GameBitmap32List->Bitmap(ArrowPicture);
    const QString noGoals = QStringLiteral("0  ");

    PrepareArrow(FTurnArrowComputerImage, strip, arrowPicture, 100);
    PrepareLabel(FComputerLabel, strip, QStringLiteral("Computer"), ComputerRed);
    PrepareLabel(FComputerGoalsLabel, strip, noGoals, Qt::black);
    PrepareArrow(FTurnArrowPlayerImage, strip, arrowPicture, 255);
    // The name is a new label at every game.
    delete FPlayerLabel;
    FPlayerLabel = nullptr;
    PrepareLabel(FPlayerLabel, strip, PlayerName, PlayerBlue);
    PrepareLabel(FPlayerGoalsLabel, strip, noGoals, Qt::black);
    PrepareLabel(FPeriodTimeLabel, strip, QStringLiteral("20:00"), Qt::black);
    PrepareLabel(FPeriodLabel, strip, QStringLiteral("Period 1"), Qt::black);
    ScaleScoreboard();
}

void TMainForm::ScaleScoreboard()
{
    // Nothing to scale before the first game has built the strip.
    if (FPeriodLabel == nullptr)
        return;
    QWidget* strip = FStaticsPanel;
    const qreal zoom = FZoom;
    const QFont nameFont = NameFont(zoom);
    const QFont figureFont = FigureFont(zoom);
    const int labelTop = Scaled(LabelTop, zoom);
    for (QLabel* label : {FComputerLabel, FPlayerLabel})
        label->setFont(nameFont);
    for (QLabel* label : {FComputerGoalsLabel, FPlayerGoalsLabel, FPeriodTimeLabel, FPeriodLabel})
        label->setFont(figureFont);
    for (QLabel* label : {FComputerLabel, FPlayerLabel, FComputerGoalsLabel, FPlayerGoalsLabel,
                          FPeriodTimeLabel, FPeriodLabel})
        label->adjustSize();
    for (TImage32* arrow : {FTurnArrowComputerImage, FTurnArrowPlayerImage}) {
        arrow->SetZoom(zoom);
        arrow->resize(Scaled(ArrowSize, zoom), Scaled(ArrowSize, zoom));
    }

    struct TGroup
    {
        TImage32* Arrow;
        QLabel* Name;
        QLabel* Goals;
    };
    const TGroup computer{FTurnArrowComputerImage, FComputerLabel, FComputerGoalsLabel};
    const TGroup player{FTurnArrowPlayerImage, FPlayerLabel, FPlayerGoalsLabel};
    const TGroup& first = FGameDealer == alComputer ? computer : player;
    const TGroup& second = FGameDealer == alComputer ? player : computer;
    const auto place = [zoom, labelTop](const TGroup& group, int arrowLeft) {
        group.Arrow->move(arrowLeft, 0);
        group.Name->move(arrowLeft + group.Arrow->width() + Scaled(3, zoom), labelTop);
        group.Goals->move(group.Name->x() + group.Name->width() + Scaled(4, zoom), labelTop);
        return group.Goals->x() + group.Goals->width();
    };
    place(second, place(first, 0) + Scaled(10, zoom));

    FPeriodTimeLabel->move(strip->width() - FPeriodTimeLabel->width(), labelTop);
    FPeriodLabel->move(strip->width() - FPeriodTimeLabel->width() - FPeriodLabel->width() -
                           Scaled(10, zoom),
                       labelTop);
}
