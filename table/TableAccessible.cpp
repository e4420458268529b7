// The table's accessible interfaces, and the window's side of them: the slot texts from the
// match, the focus, and the live line that announces what happens.
#include "table/TableAccessible.h"

#include "app/Main.h"
#include "game/Narration.h"
#include "table/TableKeyboard.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QWidget>
#include <QWindow>

#include <array>

namespace {

// Carries the table's TTableAccess as a child object of the table widget.
class TTableAccessHolder : public QObject
{
public:
    TTableAccessHolder(QWidget* Table, TTableAccess Access)
        : QObject(Table), Access(std::move(Access))
    {
    }
    TTableAccess Access;
};

TTableAccessHolder* HolderOf(QObject* Object)
{
    if (Object == nullptr || !Object->isWidgetType())
        return nullptr;
    // No meta-object of its own, so found by its C++ type: findChild would take any child.
    for (QObject* child : Object->children()) {
        if (auto* holder = dynamic_cast<TTableAccessHolder*>(child))
            return holder;
    }
    return nullptr;
}

class TSlotAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    TSlotAccessible(QWidget* Table, int Slot) : FTable(Table), FSlot(Slot) {}

    bool isValid() const override { return !FTable.isNull() && HolderOf(FTable) != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return FTable ? FTable->window()->windowHandle() : nullptr; }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation) const override
    {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(FTable.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text Kind) const override
    {
        const TTableAccess* access = Access();
        if (access == nullptr)
            return {};
        switch (Kind) {
        case QAccessible::Name:
            return access->Name(FSlot);
        case QAccessible::Description: {
            QStringList words;
            if (access->Playable(FSlot))
                words << QStringLiteral("playable");
            if (access->Beaten(FSlot))
                words << QStringLiteral("beaten");
            return words.join(QStringLiteral(", "));
        }
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const TTableAccess* access = Access();
        if (access == nullptr)
            return {};
        const QRect r = access->Rect(FSlot);
        return QRect(FTable->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        const TTableAccess* access = Access();
        if (access == nullptr) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.focused = FTable->hasFocus() && access->FocusSlot() == FSlot;
        s.disabled = !access->Playable(FSlot);
        s.invisible = !FTable->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType Type) override
    {
        return Type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override
    {
        const TTableAccess* access = Access();
        return access && access->Playable(FSlot) ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString& Name) override
    {
        const TTableAccess* access = Access();
        if (access && Name == pressAction())
            access->Press(FSlot);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    const TTableAccess* Access() const
    {
        TTableAccessHolder* holder = HolderOf(FTable);
        return holder ? &holder->Access : nullptr;
    }
    QPointer<QWidget> FTable;
    int FSlot;
};

class TTableAccessible : public QAccessibleWidget
{
public:
    explicit TTableAccessible(QWidget* Table) : QAccessibleWidget(Table, QAccessible::Grouping)
    {
        for (int i = 0; i < SlotCount; ++i) {
            auto* slot = new TSlotAccessible(Table, table::ReadingOrder()[i]);
            FSlotIds[i] = QAccessible::registerAccessibleInterface(slot);
        }
    }
    ~TTableAccessible() override
    {
        for (QAccessible::Id id : FSlotIds)
            QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text Kind) const override
    {
        if (Kind == QAccessible::Name)
            return QStringLiteral("Card table");
        return QAccessibleWidget::text(Kind);
    }
    int childCount() const override { return SlotCount; }
    QAccessibleInterface* child(int Index) const override
    {
        if (Index < 0 || Index >= SlotCount)
            return nullptr;
        return QAccessible::accessibleInterface(FSlotIds[Index]);
    }
    int indexOfChild(const QAccessibleInterface* Child) const override
    {
        for (int i = 0; i < SlotCount; ++i) {
            if (QAccessible::accessibleInterface(FSlotIds[i]) == Child)
                return i;
        }
        return -1;
    }
    QAccessibleInterface* focusChild() const override
    {
        TTableAccessHolder* holder = HolderOf(widget());
        if (holder == nullptr || !widget()->hasFocus())
            return nullptr;
        return child(table::ReadingIndex(holder->Access.FocusSlot()));
    }
    QAccessibleInterface* childAt(int X, int Y) const override
    {
        TTableAccessHolder* holder = HolderOf(widget());
        if (holder == nullptr)
            return nullptr;
        const QPoint at = widget()->mapFromGlobal(QPoint(X, Y));
        for (int i = 0; i < SlotCount; ++i) {
            if (holder->Access.Rect(table::ReadingOrder()[i]).contains(at))
                return child(i);
        }
        return nullptr;
    }

private:
    std::array<QAccessible::Id, SlotCount> FSlotIds{};
};

QAccessibleInterface* TableFactory(const QString&, QObject* Object)
{
    if (HolderOf(Object) != nullptr)
        return new TTableAccessible(static_cast<QWidget*>(Object));
    return nullptr;
}

} // namespace

namespace table {

void InstallTableAccess(QWidget* Table, TTableAccess Access)
{
    static const bool installed = [] {
        QAccessible::installFactory(TableFactory);
        return true;
    }();
    (void)installed;
    new TTableAccessHolder(Table, std::move(Access));
}

QAccessibleInterface* SlotInterface(QWidget* Table, int Slot)
{
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(Table);
    const int index = ReadingIndex(Slot);
    return table && index >= 0 ? table->child(index) : nullptr;
}

void NotifySlotsChanged(QWidget* Table)
{
    if (!QAccessible::isActive())
        return;
    for (int slot = 1; slot <= SlotCount; ++slot) {
        QAccessibleInterface* iface = SlotInterface(Table, slot);
        if (iface == nullptr)
            return;
        QAccessibleEvent named(iface, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
        QAccessible::State changed;
        changed.disabled = true;
        QAccessibleStateChangeEvent state(iface, changed);
        QAccessible::updateAccessibility(&state);
    }
}

void NotifySlotFocus(QWidget* Table, int Slot)
{
    if (!QAccessible::isActive() || !Table->hasFocus())
        return;
    if (QAccessibleInterface* iface = SlotInterface(Table, Slot)) {
        QAccessibleEvent focus(iface, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

} // namespace table

void TMainForm::BuildTableAccessible()
{
    TTableAccess access;
    access.Name = [this](int Slot) { return QString::fromStdString(SlotName(FMatch, Slot)); };
    access.Playable = [this](int Slot) { return PlayerMayPlay(Slot); };
    access.Beaten = [this](int Slot) {
        const int card = FMatch.CardIn(Slot);
        return Slot != slotPack && card != 0 && FMatch.Beaten(card);
    };
    access.FocusSlot = [this] { return FFocusSlot; };
    access.Rect = [this](int Slot) { return SlotWidgetRect(Slot); };
    access.Press = [this](int Slot) {
        FFocusSlot = Slot;
        PlayFocusedSlot();
    };
    table::InstallTableAccess(FGameTableImage, std::move(access));

    // The live line: a hidden read-only line whose text (and name) is each announcement in
    // turn. Hidden, it stays out of the texts a reader finds on the window (the
    // scoreboard) and out of the Tab order; a new text still reaches assistive technology
    // as text inserted, with the words in the event, so a reader that gets round to it
    // late misses nothing.
    FAnnouncer = new QLineEdit(CardTablePanel);
    FAnnouncer->setObjectName(QStringLiteral("announcer"));
    FAnnouncer->setReadOnly(true);
    FAnnouncer->setFocusPolicy(Qt::NoFocus);
    FAnnouncer->setAccessibleDescription(QStringLiteral("What happens at the table"));
    FAnnouncer->hide();
}

void TMainForm::Announce(const std::string& Text)
{
    if (FAnnouncer == nullptr || Text.empty())
        return;
    const QString text = QString::fromStdString(Text);
    FAnnouncer->setAccessibleName(text);
    FAnnouncer->setText(text);
}

void TMainForm::TableFocusMoved()
{
    table::NotifySlotFocus(FGameTableImage, FFocusSlot);
}

void TMainForm::TableChanged()
{
    table::NotifySlotsChanged(FGameTableImage);
    ShowFocusFrame();
}

void TMainForm::AnnounceMove(TTurn Side, int Slot, const TSteps& Steps)
{
    Announce(MoveSentence(FMatch, Side, Slot, Steps));
    TableChanged();
}

void TMainForm::AnnounceTurn()
{
    // The player hears each next card; the computer's turn is said once, as it begins.
    if (FMatch.Turn() == tuPlayer || FAnnouncedTurn != tuComputer)
        Announce(TurnSentence(FMatch));
    FAnnouncedTurn = FMatch.Turn();
    TableChanged();
}

void TMainForm::AnnouncePeriodEnd()
{
    FAnnouncedTurn = -1;
    Announce(PeriodEndSentence(FMatch));
    TableChanged();
}
