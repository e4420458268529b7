// The statistics dialog: the figures it shows, cell by cell, with what a screen reader
// says of each, and Reset, which asks first.
#include <QAbstractButton>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <ostream>

#include "ModalAnswerer.h"
#include "dialogs/StatisticsDialog.h"
#include "dialogs/StatisticsStore.h"

// Failures show texts as text.
static void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

class TStatisticsDialogProbe
{
public:
    static QTableWidget& Table(TStatisticsDialog& D) { return *D.Table; }
    static QPushButton& Reset(TStatisticsDialog& D) { return *D.BtnReset; }
    static QPushButton& Close(TStatisticsDialog& D) { return *D.BtnClose; }
};

namespace {

using Probe = TStatisticsDialogProbe;

class StatisticsDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        FStore =
            std::make_unique<TStatisticsStore>(FDir.filePath(QStringLiteral("statistics.ini")));
        // Pro: two series won, one lost; All-Star: one lost in overtime.
        ASSERT_TRUE(FStore->RecordFinishedSeries({slPro, {{1, 3, false, false}}, true}));
        ASSERT_TRUE(FStore->RecordFinishedSeries(
            {slPro, {{2, 1, false, false}, {0, 4, false, false}, {1, 2, false, true}}, true}));
        ASSERT_TRUE(FStore->RecordFinishedSeries({slPro, {{5, 0, false, false}}, false}));
        ASSERT_TRUE(FStore->RecordFinishedSeries({slAllStar, {{3, 2, false, true}}, false}));
        FRecorded = FStore->Record();
    }

    // The cell of a level and a figure, by the table's own headers.
    static QTableWidgetItem* Cell(QTableWidget& Table, const QString& Level, const QString& Figure)
    {
        int column = -1, row = -1;
        for (int c = 0; c < Table.columnCount(); ++c)
            if (Table.horizontalHeaderItem(c)->text() == Level)
                column = c;
        for (int r = 0; r < Table.rowCount(); ++r)
            if (Table.verticalHeaderItem(r)->text() == Figure)
                row = r;
        return column < 0 || row < 0 ? nullptr : Table.item(row, column);
    }

    QTemporaryDir FDir;
    std::unique_ptr<TStatisticsStore> FStore;
    TStatisticsRecord FRecorded;
};

// Every cell as it reads, against the figures recorded, found by the row's header: each
// figure but the drawn games (no game can end level), then the win percentage.
void ExpectCellsShow(QTableWidget& Table, const TStatisticsRecord& Record, const char* When)
{
    ASSERT_EQ(SkillLevelCount, Table.columnCount()) << When;
    ASSERT_EQ(int(std::size(Figures)), Table.rowCount()) << When;
    for (int row = 0; row < Table.rowCount(); ++row) {
        const QString label = Table.verticalHeaderItem(row)->text();
        const TFigure* figure = nullptr;
        for (const TFigure& f : Figures)
            if (label == QLatin1String(f.Label))
                figure = &f;
        EXPECT_NE(label, QStringLiteral("Games drawn")) << When;
        EXPECT_TRUE(figure != nullptr || row == Table.rowCount() - 1) << label.toStdString();
        for (int level = 0; level < SkillLevelCount; ++level) {
            const QTableWidgetItem* item = Table.item(row, level);
            ASSERT_NE(nullptr, item) << When;
            const TLevelRecord& figures = Record.Levels[level];
            const QString value =
                figure ? QString::number(figures.*figure->Member)
                       : (figures.SeriesPlayed == 0
                              ? QStringLiteral("\u2013")
                              : QStringLiteral("%1%").arg(
                                    std::lround(100.0 * figures.SeriesWon / figures.SeriesPlayed)));
            EXPECT_EQ(value, item->text())
                << When << ": " << SkillLevelNames[level] << ", " << label.toStdString();
            EXPECT_EQ(QStringLiteral("%1, %2: %3")
                          .arg(QLatin1String(SkillLevelNames[level]), label.toLower(), value),
                      item->data(Qt::AccessibleTextRole).toString())
                << When;
        }
    }
}

TEST_F(StatisticsDialogTest, ShowsTheFiguresOfEachLevel)
{
    TStatisticsDialog dialog(*FStore);
    QTableWidget& table = Probe::Table(dialog);
    ExpectCellsShow(table, FRecorded, "opened");

    // Read as a player would, by the headers.
    struct Seen
    {
        const char* Level;
        const char* Figure;
        const char* Text;
        const char* Spoken;
    };
    const Seen seen[] = {
        {"Pro", "Series played", "3", "Pro, series played: 3"},
        {"Pro", "Series won", "2", "Pro, series won: 2"},
        {"Pro", "Games lost", "2", "Pro, games lost: 2"},
        {"Pro", "Overtime wins", "1", "Pro, overtime wins: 1"},
        {"Pro", "Goals for", "10", "Pro, goals for: 10"},
        {"Pro", "Goals against", "9", "Pro, goals against: 9"},
        {"Pro", "Current winning streak", "0", "Pro, current winning streak: 0"},
        {"Pro", "Longest winning streak", "2", "Pro, longest winning streak: 2"},
        {"All-Star", "Series lost", "1", "All-Star, series lost: 1"},
        {"All-Star", "Overtime wins", "0", "All-Star, overtime wins: 0"},
        {"Rookie", "Series played", "0", "Rookie, series played: 0"},
        {"Pro", "Win percentage", "67%", "Pro, win percentage: 67%"},
        {"All-Star", "Win percentage", "0%", "All-Star, win percentage: 0%"},
        {"Rookie", "Win percentage", "\u2013", "Rookie, win percentage: \u2013"},
    };
    for (const Seen& s : seen) {
        const QTableWidgetItem* item = Cell(table, s.Level, s.Figure);
        ASSERT_NE(nullptr, item) << s.Spoken;
        EXPECT_EQ(QString::fromUtf8(s.Text), item->text());
        EXPECT_EQ(QString::fromUtf8(s.Spoken), item->data(Qt::AccessibleTextRole).toString());
    }
    // Nothing is cut off or hidden behind a scroll bar.
    dialog.show();
    EXPECT_FALSE(table.horizontalScrollBar()->isVisible());
    EXPECT_FALSE(table.verticalScrollBar()->isVisible());
    for (int row = 0; row < table.rowCount(); ++row)
        for (int column = 0; column < table.columnCount(); ++column)
            EXPECT_TRUE(
                table.viewport()->rect().contains(table.visualItemRect(table.item(row, column))))
                << row << ", " << column;
}

// How the player answers Reset's question, and what is left afterwards.
TEST_F(StatisticsDialogTest, ResetAsksFirst)
{
    struct Case
    {
        const char* Name;
        ModalAnswerer::Answer Answer;
        bool Cleared;
    };
    const Case cases[] = {
        {"No", ModalAnswerer::Click(QMessageBox::No), false},
        // Enter takes the default answer, which is No.
        {"Enter", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }, false},
        {"Escape", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); }, false},
        {"Yes", ModalAnswerer::Click(QMessageBox::Yes), true},
    };
    for (const Case& c : cases) {
        SetUp();
        TStatisticsDialog dialog(*FStore);
        dialog.show();
        {
            ModalAnswerer answer(c.Answer);
            Probe::Reset(dialog).click();
            EXPECT_EQ(1, answer.Count()) << c.Name;
            EXPECT_EQ(QStringList{TStatisticsDialog::ResetQuestion}, answer.Texts()) << c.Name;
        }
        const TStatisticsRecord expected = c.Cleared ? TStatisticsRecord{} : FRecorded;
        ExpectCellsShow(Probe::Table(dialog), expected, c.Name);
        EXPECT_EQ(expected, FStore->Record()) << c.Name;
        EXPECT_EQ(expected, ReadStatistics(FStore->Path())) << c.Name;
        EXPECT_TRUE(dialog.isVisible()) << c.Name;
    }
}

// A reset that cannot be written is cleared on screen and says so.
TEST_F(StatisticsDialogTest, ResetThatCannotBeSavedSaysSo)
{
    const QString path = FDir.filePath(QStringLiteral("taken"));
    ASSERT_TRUE(QDir().mkpath(path)); // a folder where the file belongs
    TStatisticsStore store(path);
    store.RecordFinishedSeries({slRookie, {{0, 1, false, false}}, true});
    TStatisticsDialog dialog(store);
    dialog.show();
    int boxes = 0;
    ModalAnswerer answer([&boxes](QWidget* box) {
        ++boxes;
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(nullptr, message);
        (boxes == 1 ? message->button(QMessageBox::Yes) : message->button(QMessageBox::Ok))
            ->click();
    });
    Probe::Reset(dialog).click();
    ASSERT_EQ(2, answer.Count());
    EXPECT_TRUE(answer.Texts()[1].startsWith(
        QStringLiteral("Brindletop could not save your statistics to ")))
        << answer.Texts()[1].toStdString();
    ExpectCellsShow(Probe::Table(dialog), {}, "after the failed save");
}

TEST_F(StatisticsDialogTest, KeyboardReachesCellsAndButtons)
{
    TStatisticsDialog dialog(*FStore);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTableWidget& table = Probe::Table(dialog);
    EXPECT_EQ(&table, QApplication::focusWidget());
    // The arrows step through the cells.
    QTest::keyClick(&table, Qt::Key_Right);
    QTest::keyClick(&table, Qt::Key_Down);
    EXPECT_EQ(1, table.currentRow());
    EXPECT_EQ(1, table.currentColumn());
    // Enter closes the dialog through Close, the default button.
    EXPECT_TRUE(Probe::Close(dialog).isDefault());
    EXPECT_FALSE(Probe::Reset(dialog).isDefault());
    EXPECT_FALSE(Probe::Reset(dialog).autoDefault());
    QTest::keyClick(&table, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QDialog::Accepted, dialog.result());
}

} // namespace
