#include "dialogs/StatisticsDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <vector>

#include "dialogs/DialogFont.h"
#include "dialogs/StatisticsStore.h"
#include "game/Lib.h"
#include "platform/ErrorMessage.h"
#include "platform/WindowSystem.h"

const QString TStatisticsDialog::ResetQuestion =
    QStringLiteral("Clear the statistics of every level? This cannot be undone.");

namespace {

// The figures a game can reach, in the record's order; the win percentage follows them.
std::vector<const TFigure*> ShownFigures()
{
    std::vector<const TFigure*> shown;
    for (const TFigure& figure : Figures)
        if (GamesCanBeDrawn || figure.Member != &TLevelRecord::GamesDrawn)
            shown.push_back(&figure);
    return shown;
}

const char* const WinPercentLabel = "Win percentage";

// "67%", or a dash before the level's first series.
QString WinPercentText(const TLevelRecord& Level)
{
    const int percent = WinPercent(Level);
    return percent < 0 ? QStringLiteral("\u2013") : QStringLiteral("%1%").arg(percent);
}

// The table exactly as large as its cells and headers: no scroll bars, nothing cut.
void FitToContents(QTableWidget& Table)
{
    Table.resizeColumnsToContents();
    Table.resizeRowsToContents();
    const int frame = 2 * Table.frameWidth();
    // The headers' own sizes are known only once shown: ask for the sizes they want.
    Table.setFixedSize(
        Table.verticalHeader()->sizeHint().width() + Table.horizontalHeader()->length() + frame,
        Table.horizontalHeader()->sizeHint().height() + Table.verticalHeader()->length() + frame);
}

} // namespace

TStatisticsDialog::TStatisticsDialog(TStatisticsStore& Store, QWidget* Parent)
    : QDialog(Parent, DialogFrameFlags()), FStore(Store)
{
    setWindowTitle(QStringLiteral("Statistics"));
    setFont(DialogFont());

    Table = new QTableWidget(int(ShownFigures().size()) + 1, SkillLevelCount, this);
    Table->setObjectName(QStringLiteral("StatisticsTable"));
    Table->setAccessibleName(QStringLiteral("Statistics"));
    Table->setHorizontalHeaderLabels(SkillLevelTexts());
    QStringList figures;
    for (const TFigure* figure : ShownFigures())
        figures << QString::fromLatin1(figure->Label);
    figures << QString::fromLatin1(WinPercentLabel);
    Table->setVerticalHeaderLabels(figures);
    // Read only; the arrow keys step from cell to cell and a screen reader names each.
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setTabKeyNavigation(false); // Tab goes on to the buttons
    Table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Table->horizontalHeader()->setMinimumSectionSize(60);

    BtnReset = new QPushButton(QStringLiteral("&Reset"), this);
    BtnReset->setObjectName(QStringLiteral("BtnReset"));
    BtnReset->setAutoDefault(false);
    BtnClose = new QPushButton(QStringLiteral("Close"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setDefault(true);
    connect(BtnReset, &QPushButton::clicked, this, &TStatisticsDialog::BtnResetClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnReset);
    buttons->addStretch();
    buttons->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Table);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ShowFigures();
    // The first cell is current: the arrows start from it.
    Table->setCurrentCell(0, 0);
}

void TStatisticsDialog::ShowFigures()
{
    const TStatisticsRecord& record = FStore.Record();
    const std::vector<const TFigure*> shown = ShownFigures();
    for (int level = 0; level < SkillLevelCount; ++level) {
        for (int row = 0; row < Table->rowCount(); ++row) {
            const TLevelRecord& figures = record.Levels[level];
            const bool percent = row == int(shown.size());
            const QString label =
                QString::fromLatin1(percent ? WinPercentLabel : shown[row]->Label);
            const QString value =
                percent ? WinPercentText(figures) : QString::number(figures.*shown[row]->Member);
            QTableWidgetItem* item = Table->item(row, level);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                Table->setItem(row, level, item);
            }
            item->setText(value);
            // Read out as "Pro, series won: 3".
            item->setData(
                Qt::AccessibleTextRole,
                QStringLiteral("%1, %2: %3")
                    .arg(QString::fromLatin1(SkillLevelNames[level]), label.toLower(), value));
        }
    }
    FitToContents(*Table);
}

void TStatisticsDialog::BtnResetClick()
{
    const QRect frame = frameGeometry();
    const int x = frame.left() + HalfTiesToEven(frame.width());
    const int y = frame.top() + HalfTiesToEven(frame.height());
    if (QuestionAt(ResetQuestion, x, y, this, QMessageBox::No) != mrYes)
        return;
    const bool saved = FStore.Reset();
    ShowFigures();
    if (!saved)
        ShowErrorMessage(this, FStore.ErrorText());
}
