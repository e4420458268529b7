// The landing rule: what happens when the moving card reaches its destination.
#include "app/Main.h"

void TMainForm::LandCard(const THotSpotRect& Source, const THotSpotRect& Dest)
{
    TPlayingCard* moving = Source.Card != nullptr ? Source.Card : TopCard();
    if (moving == nullptr)
        return;

    const auto advancePack = [this] {
        if (FPackOfCards.bTopCardsIndex <= CardCount)
            ++FPackOfCards.bTopCardsIndex;
        if (FPackOfCards.bTopCardsIndex <= CardCount)
            PlaceTopCard(slotPack);
    };

    if (Dest.bhotspot == slotDiscard) {
        // A discard lies face down in the colour of the side that played it.
        ShowCard(moving->CardNo, FTurn == tuPlayer ? kindPlayerBack : kindComputerBack, true, true);
        advancePack();
        return;
    }

    TPlayingCard* landedOn = Dest.Card;
    if (landedOn == nullptr) {
        PlaceTopCard(Dest.bhotspot);
        advancePack();
        return;
    }

    // The card stays the top card, lying over the beaten one, until the engine sends it
    // on to the discard pile.
    SetLayerOpacity(landedOn->Layer, 100);
    repaint();
    landedOn->Beaten = true;
    if (landedOn->Kind == kindComputerBack || landedOn->Kind == kindPlayerBack) {
        ShowCard(landedOn->CardNo, kindFaceUp, true, false);
        SetLayerOpacity(landedOn->Layer, 100);
    }
}
