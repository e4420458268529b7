#pragma once
// The statistics across series: a table with a column for each level and a row for each
// figure, a Reset that asks first and clears every level, and Close.

#include <QDialog>
#include <QString>

class QPushButton;
class QTableWidget;
class TStatisticsStore;

class TStatisticsDialog : public QDialog
{
    Q_OBJECT
public:
    // The question Reset asks; the player answers Yes or No, No being the default.
    static const QString ResetQuestion;

    explicit TStatisticsDialog(TStatisticsStore& Store, QWidget* Parent = nullptr);

private Q_SLOTS:
    void BtnResetClick();

private:
    // Fills the table from the store's record.
    void ShowFigures();

    friend class TStatisticsDialogProbe; // lets the tests read the cells

    TStatisticsStore& FStore;
    QTableWidget* Table;
    QPushButton* BtnReset;
    QPushButton* BtnClose;
};
