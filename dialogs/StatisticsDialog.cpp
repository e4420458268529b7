#include "dialogs/StatisticsDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <iterator>

#include "dialogs/DialogFont.h"
#include "dialogs/StatisticsStore.h"
#include "game/Lib.h"
#include "platform/ErrorMessage.h"
#include "platform/WindowSystem.h"

const QString TStatisticsDialog::ResetQuestion =
    QStringLiteral("Clear the statistics of every level? This cannot be undone.");

namespace {

constexpr int FigureCount = int(std::size(Figures));

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

    Table = new QTableWidget(FigureCount, SkillLevelCount, this);
    Table->setObjectName(QStringLiteral("StatisticsTable"));
    Table->setAccessibleName(QStringLiteral("Statistics"));
    Table->setHorizontalHeaderLabels(SkillLevelTexts());
    QStringList figures;
    for (const TFigure& figure : Figures)
        figures << QString::fromLatin1(figure.Label);
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
    for (int level = 0; level < SkillLevelCount; ++level) {
        for (int row = 0; row < FigureCount; ++row) {
            const TFigure& figure = Figures[row];
            const QString value = QString::number(record.Levels[level].*figure.Member);
            QTableWidgetItem* item = Table->item(row, level);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                Table->setItem(row, level, item);
            }
            item->setText(value);
            // Read out as "Pro, series won: 3".
            item->setData(Qt::AccessibleTextRole,
                          QStringLiteral("%1, %2: %3")
                              .arg(QString::fromLatin1(SkillLevelNames[level]),
                                   QString::fromLatin1(figure.Label).toLower(), value));
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
