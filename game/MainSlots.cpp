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

TMatch TMainForm::EngineView() const
{
    std::vector<TCardAt> cards;
    for (int slot = slotComputerGoal; slot <= slotPlayerGoal; ++slot) {
        if (const TPlayingCard* card = FHotSpotRects[slot].Card)
            cards.push_back({slot, card->Value, card->Beaten, card->Kind});
    }
    const int top = FPackOfCards.bTopCardsIndex;
    const bool hasTop = top >= 1 && top <= CardCount;
    const TPlayingCard* topCard = hasTop ? &FPackOfCards.Card(top) : nullptr;
    TMatch view;
    view.SetUpPosition(cards, topCard ? topCard->Value : cvTwo,
                       topCard ? topCard->Kind : uint8_t(kindFaceUp), hasTop ? top : CardCount + 1,
                       FTurn);
    view.SetDATurn(FDATurn);
    view.SetLevel(FSkillLevel);
    view.SetPeriodNo(FPeriodno);
    view.SetRemainingHalfMinutes(RemainingHalfMinutes());
    view.SetLastShotValues(FLastShotCardValue, FPlayerLastShotCardValue);
    view.SetGoals(GoalsOf(tuComputer), GoalsOf(tuPlayer));
    for (int slot = 1; slot <= SlotCount; ++slot)
        view.SetCanplay(slot, FHotSpotRects[slot].Canplay);
    return view;
}
