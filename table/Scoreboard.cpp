// The scoreboard strip under the table: for each side a turn arrow, its name and its goals,
// and at the right end the period and the period clock.
#include "app/Main.h"
#include "table/Captions.h"
#include "dialogs/Settings.h"

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

    PrepareArrow(FTurnArrowComputerImage, strip, arrowPicture, 100);
    PrepareLabel(FComputerLabel, strip, QStringLiteral("Computer"), ComputerRed);
    PrepareLabel(FComputerGoalsLabel, strip, table::NoGoalsCaption, Qt::black);
    PrepareArrow(FTurnArrowPlayerImage, strip, arrowPicture, 255);
    // The name is a new label at every game. A blank name shows as the designed one.
    delete FPlayerLabel;
    FPlayerLabel = nullptr;
    FPlayerShownName =
        PlayerName.trimmed().isEmpty() ? Settings::DefaultPlayerName : PlayerName;
    PrepareLabel(FPlayerLabel, strip, FPlayerShownName, PlayerBlue);
    PrepareLabel(FPlayerGoalsLabel, strip, table::NoGoalsCaption, Qt::black);
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
    // A name cut short at one zoom may fit whole at another.
    FPlayerLabel->setText(FPlayerShownName);
    FPlayerLabel->setToolTip(QString());
    FPlayerLabel->setAccessibleName(QString());
    FPlayerLabel->setAccessibleDescription(QString());
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
    const TGroup& first = FMatch.GameDealer() == alComputer ? computer : player;
    const TGroup& second = FMatch.GameDealer() == alComputer ? player : computer;
    const auto place = [zoom, labelTop](const TGroup& group, int arrowLeft) {
        group.Arrow->move(arrowLeft, 0);
        group.Name->move(arrowLeft + group.Arrow->width() + Scaled(3, zoom), labelTop);
        group.Goals->move(group.Name->x() + group.Name->width() + Scaled(4, zoom), labelTop);
        return group.Goals->x() + group.Goals->width();
    };
    const int gap = Scaled(10, zoom);
    const auto placeGroups = [&] { return place(second, place(first, 0) + gap); };

    FPeriodTimeLabel->move(strip->width() - FPeriodTimeLabel->width(), labelTop);
    FPeriodLabel->move(strip->width() - FPeriodTimeLabel->width() - FPeriodLabel->width() - gap,
                       labelTop);

    // The groups end as far from the period as the period from the clock. A name that
    // would run past that is cut short with "…", and its whole text is its tooltip.
    int overflow = placeGroups() + gap - FPeriodLabel->x();
    if (overflow <= 0)
        return;
    const QString& name = FPlayerShownName;
    FPlayerLabel->setToolTip(
        QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(name.toHtmlEscaped()));
    // A screen reader reads the whole name, not the cut one or the tooltip's markup.
    FPlayerLabel->setAccessibleName(name);
    FPlayerLabel->setAccessibleDescription(name);
    // The label may be a pixel wider than its text: narrow until it fits.
    for (int room = FPlayerLabel->width() - overflow; overflow > 0 && room >= 0; --room) {
        FPlayerLabel->setText(QFontMetrics(nameFont).elidedText(name, Qt::ElideRight, room));
        FPlayerLabel->adjustSize();
        overflow = placeGroups() + gap - FPeriodLabel->x();
    }
}
