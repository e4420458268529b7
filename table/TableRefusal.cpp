// Why the focused slot may not be played, shown beside it and spoken.
#include "app/Main.h"
#include "game/Refusals.h"

#include <QToolTip>

void TMainForm::ShowRefusal(int Slot)
{
    const std::string text = RefusalText(FMatch, Slot);
    if (text.empty())
        return;
    const QRect shown = SlotWidgetRect(Slot);
    QToolTip::showText(FGameTableImage->mapToGlobal(shown.center()), QString::fromStdString(text),
                       FGameTableImage, shown);
    Announce(text);
}
