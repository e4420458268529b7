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
    FRefusal = {Slot, false, QString::fromStdString(text)};
    QToolTip::showText(FGameTableImage->mapToGlobal(shown.center()), FRefusal.Text, FGameTableImage,
                       shown);
    Announce(text);
}

void TMainForm::HideRefusal()
{
    FRefusalTip.clear();
    if (FRefusal.Slot == -1)
        return;
    // Only our own tip: it may have timed out, and another one taken its place.
    if (QToolTip::isVisible() && QToolTip::text() == FRefusal.Text)
        QToolTip::hideText();
    FRefusal = {};
}
