// Small questions about the slots that the engine and the presentation both ask.
#include "app/Main.h"

#include <QLabel>

TPlayingCard* TMainForm::TopCard()
{
    const int top = FPackOfCards.bTopCardsIndex;
    if (top < 1 || top > CardCount)
        return nullptr;
    return &FPackOfCards.Card(top);
}

bool TMainForm::SlotLive(int Slot) const
{
    if (Slot < 1 || Slot > SlotCount)
        return false;
    const TPlayingCard* card = FHotSpotRects[Slot].Card;
    return card != nullptr && !card->Beaten;
}

int TMainForm::GoalsOf(TTurn Side) const
{
    // The goal totals live only in the captions ("0  " at game start).
    const QLabel* label = Side == tuComputer ? FComputerGoalsLabel : FPlayerGoalsLabel;
    if (label == nullptr)
        return 0;
    QString text = label->text();
    text.remove(QLatin1Char(' '));
    return text.toInt();
}
