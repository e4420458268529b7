#pragma once
// The table as a screen reader sees it: a group of fourteen slots, each a button named for
// whose slot it is and what lies there. The table widget is given a TTableAccess, whose
// functions answer for the slots; the slots are listed in reading order.
//
// States: a slot the player may play to now is enabled and its description says
// "playable"; any other slot is disabled (AT-SPI: not sensitive, not enabled). A beaten
// card's slot says "beaten" in its description and at the end of its name. The slot under
// the focus frame is focused while the table has the keyboard focus. Pressing a slot (the
// press action) plays it as a click would.

#include <QObject>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;
class QAccessibleInterface;

struct TTableAccess
{
    std::function<QString(int Slot)> Name;
    std::function<bool(int Slot)> Playable;
    std::function<bool(int Slot)> Beaten;
    std::function<int()> FocusSlot;      // the slot under the focus frame
    std::function<QRect(int Slot)> Rect; // in the table widget's pixels
    std::function<void(int Slot)> Press;
};

namespace table {

// Makes Table read as the group of slots that Access describes.
void InstallTableAccess(QWidget* Table, TTableAccess Access);
// The slot interface of Slot (1..14) of Table, or null.
QAccessibleInterface* SlotInterface(QWidget* Table, int Slot);
// Tells assistive technology that the names and states of all slots may have changed.
void NotifySlotsChanged(QWidget* Table);
// Tells it that the focus frame now stands on Slot.
void NotifySlotFocus(QWidget* Table, int Slot);

} // namespace table
