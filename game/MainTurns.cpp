// The turn engine: which slots the side to move may play to, the change of turn, the
// player's click, the computer's turn and the carrying out of a move of either side.

#include "app/Main.h"

#include "game/MainCaptions.h"

#include <QLabel>

#include <vector>

using engine::SetCaption;

void TMainForm::NextMove(TTurn Turn)
{
    if (SequenceAborted())
        return;
    for (int slot = 1; slot <= SlotCount; ++slot)
        FHotSpotRects[slot].Canplay = false;
    if (FPackOfCards.bTopCardsIndex > CardCount || FOvertimeWin) {
        EndPeriod();
        return;
    }

    // The rules engine marks; the table shows its marks.
    TMatch view = EngineView();
    view.MarkPlayable(Turn);
    for (int slot = 1; slot <= SlotCount; ++slot)
        FHotSpotRects[slot].Canplay = view.Canplay(slot);
    DarkenStaleFrames();

    SwitchTurn(Turn);
}

void TMainForm::SwitchTurn(TTurn Turn)
{
    if (SequenceAborted())
        return;
    if (Turn == FDATurn) {
        // A new turn begins: the cards beaten in the last one fade out and leave the table.
        std::vector<TPlayingCard*> beaten;
        for (int slot = slotComputerGoal; slot <= slotPlayerGoal; ++slot) {
            TPlayingCard* card = FHotSpotRects[slot].Card;
            if (card && card->Beaten)
                beaten.push_back(card);
        }
        for (int alpha = 100; alpha >= 0; --alpha) {
            for (TPlayingCard* card : beaten)
                card->Layer->Bitmap().SetMasterAlpha(uint8_t(alpha));
            repaint();
        }
        for (int slot = slotComputerGoal; slot <= slotPlayerGoal; ++slot) {
            if (FHotSpotRects[slot].Card && FHotSpotRects[slot].Card->Beaten)
                FHotSpotRects[slot].Card = nullptr;
        }
        FDATurn = OtherSide(FDATurn);
    }

    const bool computer = Turn == tuComputer;
    FTurnArrowComputerImage->Bitmap().SetMasterAlpha(computer ? 255 : 100);
    FTurnArrowPlayerImage->Bitmap().SetMasterAlpha(computer ? 100 : 255);
    FTurnArrowComputerImage->Repaint();
    FTurnArrowPlayerImage->Repaint();
    // On the player's turn the engine now waits for a click.
    if (computer)
        ComputerMove();
}

void TMainForm::HotSpotMouseDown(TBitmapLayer* /*Sender*/, Qt::MouseButton /*Button*/,
                                 Qt::KeyboardModifiers /*Shift*/, int X, int Y)
{
    // No move starts while cards are dealt or another sequence is under way.
    if (!FCanMoveCard || SequenceRunning())
        return;
    TSequence sequence(*this);
    FCanMoveCard = false;
    // Declared after the sequence, so clicks are accepted again before a command that
    // waited for this sequence runs.
    struct TAcceptClicks
    {
        bool& Flag;
        ~TAcceptClicks() { Flag = true; }
    } acceptClicks{FCanMoveCard};

    // The marks decide; the lit frame only shows that the pointer came there. A frame lit
    // during the last flight may belong to a slot the new top card cannot play to.
    const int found = SlotAt(X, Y);
    if (!PlayerMayPlay(found) || FHotSpotRects[found].HSLayer->Bitmap().MasterAlpha() != 255) {
        ExplainRefusal(found, X, Y);
        return;
    }

    if (CarryOutMove(tuPlayer, found))
        FTurn = tuComputer;
    NextMove(FTurn);
}

void TMainForm::ComputerMove()
{
    if (SequenceAborted())
        return;
    int slot = slotDiscard;
    switch (FSkillLevel) {
    case slRookie:
        slot = ChooseRookieSlot();
        break;
    case slPro:
        slot = ChooseProSlot();
        break;
    case slAllStar:
        slot = ChooseAllStarSlot();
        break;
    }
    if (CarryOutMove(tuComputer, slot))
        FTurn = tuPlayer;
    NextMove(FTurn);
}

bool TMainForm::CarryOutMove(TTurn Side, int Slot)
{
    // A move of the top card; false once a waiting command asks the sequence to wind up.
    auto moveTopCardTo = [this](int Dest) {
        MoveCard(FHotSpotRects[slotPack], FHotSpotRects[Dest]);
        return !SequenceAborted();
    };
    auto hideFrame = [this, Side](int OfSlot) {
        if (Side == tuPlayer)
            FHotSpotRects[OfSlot].HSLayer->Bitmap().SetMasterAlpha(0);
    };
    TPlayingCard* top = TopCard();

    if (Slot != slotPack)
        AdvanceClock();

    if (Slot == OpposingGoal(Side)) {
        TPlayingCard* goalCard = FHotSpotRects[Slot].Card;
        if (goalCard && goalCard->Value > top->Value) {
            // Saved: the goal card stays face down, but the shooter knows it is higher.
            if (Side == tuPlayer)
                FPlayerLastShotCardValue = top->Value;
            moveTopCardTo(slotDiscard);
            return true;
        }
        if (Side == tuComputer)
            FLastShotCardValue = cvTwo;
        QLabel* caption = Side == tuComputer ? FComputerGoalsLabel : FPlayerGoalsLabel;
        SetCaption(caption, QString::number(GoalsOf(Side) + 1));
        LogGoal(Side);
        if (FPeriodno > 3)
            FOvertimeWin = true;
        // The card after the shot comes up face down for the side that conceded.
        if (FPackOfCards.bTopCardsIndex < CardCount)
            ShowCard(FPackOfCards.bTopCardsIndex + 1, BackOf(OtherSide(Side)), true, false);
        if (goalCard && !moveTopCardTo(Slot))
            return true;
        moveTopCardTo(slotDiscard);
        return true;
    }

    if (Slot == slotPack) {
        ShowCard(top->CardNo, kindFaceUp, true, true);
        hideFrame(slotPack);
        return false;
    }

    if (Slot == slotDiscard) {
        // Only the computer's discard hands the player a card for an empty goal.
        if (Side == tuComputer && !FHotSpotRects[slotPlayerGoal].Card &&
            FPackOfCards.bTopCardsIndex < CardCount)
            ShowCard(FPackOfCards.bTopCardsIndex + 1, kindPlayerBack, true, false);
        moveTopCardTo(slotDiscard);
        return true;
    }

    if (FHotSpotRects[Slot].Card) {
        // The top card beats the card in the slot and goes on to the discard pile.
        if (moveTopCardTo(Slot))
            moveTopCardTo(slotDiscard);
    } else {
        moveTopCardTo(Slot);
    }
    hideFrame(Slot);
    return false;
}
