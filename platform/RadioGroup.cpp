#include "platform/RadioGroup.h"

#include <QButtonGroup>
#include <QEvent>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

// Qt hands the tab stop of a group to whichever button takes the focus, also when the
// window gives it back to a button left unticked: the group puts it back on the ticked one.
class TGroupButton : public QRadioButton
{
public:
    TGroupButton(const QString& Text, QWidget* Parent, std::function<void()> FocusTaken)
        : QRadioButton(Text, Parent), FFocusTaken(std::move(FocusTaken))
    {
    }

protected:
    void focusInEvent(QFocusEvent* Event) override
    {
        QRadioButton::focusInEvent(Event);
        FFocusTaken();
    }

private:
    std::function<void()> FFocusTaken;
};

} // namespace

TRadioGroup::TRadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent)
    : QGroupBox(Caption, Parent), FGroup(new QButtonGroup(this))
{
    for (int i = 0; i < Items.size(); ++i) {
        auto* button = new TGroupButton(Items[i], this, [this] { KeepTabStopOnTicked(); });
        FGroup->addButton(button, i);
    }
    connect(FGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        KeepTabStopOnTicked();
        if (checked)
            Q_EMIT ItemIndexChanged(id);
    });
    KeepTabStopOnTicked();
    ArrangeButtons();
}

int TRadioGroup::Count() const
{
    return int(FGroup->buttons().size());
}

QRadioButton* TRadioGroup::Button(int Index) const
{
    return qobject_cast<QRadioButton*>(FGroup->button(Index));
}

int TRadioGroup::ItemIndex() const
{
    return FGroup->checkedId();
}

void TRadioGroup::SetItemIndex(int Index)
{
    if (Count() == 0)
        return;
    if (Index >= Count())
        Index = Count() - 1;
    if (Index < 0) {
        QAbstractButton* checked = FGroup->checkedButton();
        if (!checked)
            return;
        // An exclusive group refuses to uncheck its last checked button.
        FGroup->setExclusive(false);
        checked->setChecked(false);
        FGroup->setExclusive(true);
        Q_EMIT ItemIndexChanged(-1);
        return;
    }
    FGroup->button(Index)->setChecked(true);
}

// Tab enters the group at its ticked button (at the first while none is), as a player
// expects of a group of choices; the arrows move between the buttons and tick them.
void TRadioGroup::KeepTabStopOnTicked()
{
    // Asked of the buttons: while one is ticked the group may not yet have let go of the
    // one before.
    const QList<QAbstractButton*> buttons = FGroup->buttons();
    const auto ticked = std::ranges::find_if(buttons, &QAbstractButton::isChecked);
    QAbstractButton* stop = ticked != buttons.end() ? *ticked
                            : buttons.isEmpty()     ? nullptr
                                                    : buttons.front();
    for (QAbstractButton* button : buttons)
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

void TRadioGroup::resizeEvent(QResizeEvent* Event)
{
    QGroupBox::resizeEvent(Event);
    ArrangeButtons();
}

void TRadioGroup::changeEvent(QEvent* Event)
{
    QGroupBox::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        ArrangeButtons();
}

// The items share the height inside the frame evenly, each centred in its share, so a
// group keeps its look whatever height the dialog gives it and whatever the style draws.
void TRadioGroup::ArrangeButtons()
{
    const int count = Count();
    if (count == 0)
        return;
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect inside =
        style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, this);
    const int itemHeight = qMax(inside.height() / count, 1);
    const int top = inside.top() + qMax(inside.height() - itemHeight * count, 0) / 2;
    const int left = inside.left() + 6;
    const int itemWidth = qMax(inside.right() - 2 - left, 1);
    for (int i = 0; i < count; ++i)
        FGroup->button(i)->setGeometry(left, top + i * itemHeight, itemWidth, itemHeight);
}
