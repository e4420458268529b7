#pragma once
// A captioned box of radio buttons, one column, of which at most one is selected.
// ItemIndex() is the selected item's index, or -1 when none is selected.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit TRadioGroup(const QString& Caption, const QStringList& Items,
                         QWidget* Parent = nullptr);

    int Count() const;
    QRadioButton* Button(int Index) const;

    int ItemIndex() const;
    // -1 (or anything below) clears the selection; an index past the last item selects
    // the last item.
    void SetItemIndex(int Index);

Q_SIGNALS:
    void ItemIndexChanged(int Index);

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    void ArrangeButtons();
    void KeepTabStopOnTicked();

    QButtonGroup* FGroup;
};
