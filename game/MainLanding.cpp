// The landing rule as the table shows it: where the moving card comes to rest, and what
// becomes of the card it lands on. The match has already decided all of it.
#include "app/Main.h"

void TMainForm::LandCard(const THotSpotRect& Source, const THotSpotRect& Dest)
{
    TPlayingCard* moving = Source.Card;
    // A shot on its way to the discard pile only touches the goal it flies at.
    if (moving == nullptr || FPassingBy)
        return;

    // The next card of the pack comes up once the moving one has left it for good.
    const auto advancePack = [this, moving] {
        FPackOfCards.bTopCardsIndex = uint8_t(moving->CardNo + 1);
        if (FPackOfCards.bTopCardsIndex <= CardCount)
            PlaceTopCard(slotPack);
        else
            FHotSpotRects[slotPack].Card = nullptr;
    };

    if (Dest.bhotspot == slotDiscard) {
        ShowCard(moving->CardNo, FMatch.Kind(moving->CardNo), true, true);
        advancePack();
        return;
    }

    TPlayingCard* landedOn = Dest.Card;
    if (landedOn == nullptr || landedOn == moving) {
        PlaceTopCard(Dest.bhotspot);
        advancePack();
        return;
    }

    // The card stays the top card, lying over the beaten one, until it goes on to the
    // discard pile.
    landedOn->Beaten = true;
    if (landedOn->Kind == kindComputerBack || landedOn->Kind == kindPlayerBack)
        ShowCard(landedOn->CardNo, kindFaceUp, true, false);
    SetLayerOpacity(CardLayer(*landedOn), 100);
    repaint();
}
