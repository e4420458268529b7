// The scoreboard strip under the table: for each side a turn arrow, its name and its goals,
// and at the right end the period and the period clock.
#include "app/Main.h"
#include "dialogs/Settings.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPalette>

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

// The names are set by their cell height (ascent + descent, leading included), 15 pixels:
// the largest pixel size whose cell is no taller.
QFont NameFont()
{
    QFont font = ScoreboardFont();
    for (int pixels = NameCellHeight; pixels > 1; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= NameCellHeight)
            break;
    }
    return font;
}

QFont FigureFont()
{
    QFont font = ScoreboardFont();
    font.setPointSize(10);
    return font;
}

void PrepareLabel(QLabel*& label, QWidget* strip, const QString& caption, const QColor& colour,
                  const QFont& font)
{
    if (label == nullptr)
        label = new QLabel(strip);
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(false); // the strip's white shows through
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setText(caption);
    label->adjustSize();
    label->move(label->x(), LabelTop);
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
    arrow->setGeometry(arrow->x(), 0, ArrowSize, ArrowSize);
    arrow->show();
}

} // namespace

void TMainForm::BuildScoreboard(const QString& PlayerName)
{
    QWidget* strip = FStaticsPanel;

    const QFont nameFont = NameFont();
    const QFont figureFont = FigureFont();
    const TBitmap32& arrowPicture = GameBitmap32List->Bitmap(ArrowPicture);
    const QString noGoals = QStringLiteral("0  ");

    PrepareArrow(FTurnArrowComputerImage, strip, arrowPicture, 100);
    PrepareLabel(FComputerLabel, strip, QStringLiteral("Computer"), ComputerRed, nameFont);
    PrepareLabel(FComputerGoalsLabel, strip, noGoals, Qt::black, figureFont);
    PrepareArrow(FTurnArrowPlayerImage, strip, arrowPicture, 255);
    // The name is a new label at every game. A blank name shows as the designed one.
    delete FPlayerLabel;
    FPlayerLabel = nullptr;
    const QString name = PlayerName.trimmed().isEmpty() ? Settings::DefaultPlayerName : PlayerName;
    PrepareLabel(FPlayerLabel, strip, name, PlayerBlue, nameFont);
    PrepareLabel(FPlayerGoalsLabel, strip, noGoals, Qt::black, figureFont);

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
    const auto place = [](const TGroup& group, int arrowLeft) {
        group.Arrow->move(arrowLeft, 0);
        group.Name->move(arrowLeft + group.Arrow->width() + 3, LabelTop);
        group.Goals->move(group.Name->x() + group.Name->width() + 4, LabelTop);
        return group.Goals->x() + group.Goals->width();
    };
    const auto placeGroups = [&] { return place(second, place(first, 0) + 10); };

    PrepareLabel(FPeriodTimeLabel, strip, QStringLiteral("20:00"), Qt::black, figureFont);
    FPeriodTimeLabel->move(strip->width() - FPeriodTimeLabel->width(), LabelTop);
    PrepareLabel(FPeriodLabel, strip, QStringLiteral("Period 1"), Qt::black, figureFont);
    FPeriodLabel->move(strip->width() - FPeriodTimeLabel->width() - FPeriodLabel->width() - 10,
                       LabelTop);

    // The groups end as far from the period as the period from the clock. A name that
    // would run past that is cut short with "…", and its whole text is its tooltip.
    int overflow = placeGroups() + 10 - FPeriodLabel->x();
    if (overflow <= 0)
        return;
    FPlayerLabel->setToolTip(
        QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(name.toHtmlEscaped()));
    // The label may be a pixel wider than its text: narrow until it fits.
    for (int room = FPlayerLabel->width() - overflow; overflow > 0 && room >= 0; --room) {
        FPlayerLabel->setText(QFontMetrics(nameFont).elidedText(name, Qt::ElideRight, room));
        FPlayerLabel->adjustSize();
        overflow = placeGroups() + 10 - FPeriodLabel->x();
    }
}
