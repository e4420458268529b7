// Small questions about the slots that the engine and the presentation both ask.
#include "app/Main.h"

TPlayingCard* TMainForm::TopCard()
{
    const int top = FPackOfCards.bTopCardsIndex;
    if (top < 1 || top > CardCount)
        return nullptr;
    return &FPackOfCards.Card(top);
}
