// The turn engine's window side: the match decides which slots the side to move may play
// to, what a move does and whose turn follows; the window hands it the player's click and
// the computer's choice, and shows what it decided.

#include "app/Main.h"

#include <algorithm>
#include <vector>

void TMainForm::NextMove(TTurn Turn)
{
    if (SequenceAborted())
        return;
    // Every move, the deal and the end of the pack come through here once landed.
    SaveMatch();
    if (!FMatch.MarkPlayable(Turn)) {
        DarkenStaleFrames();
        EndPeriod();
        return;
    }
    DarkenStaleFrames();
    SwitchTurn(Turn);
}

void TMainForm::SwitchTurn(TTurn Turn)
{
    if (SequenceAborted())
        return;
    // The cards beaten in the last turn, as they lie before the match clears them.
    std::vector<TBitmapLayer*> beaten;
    for (int slot = slotComputerGoal; slot <= slotPlayerGoal; ++slot) {
        const int card = FMatch.CardIn(slot);
        if (card != 0 && FMatch.Beaten(card))
            beaten.push_back(CardLayer(card));
    }
    for (const TStep& step : FMatch.BeginTurn(Turn)) {
        if (step.Kind != TStepKind::FadeBeaten)
            continue;
        for (int alpha = 100; alpha >= 0; --alpha) {
            for (TBitmapLayer* layer : beaten)
                layer->Bitmap().SetMasterAlpha(uint8_t(alpha));
            repaint();
        }
        for (int slot = slotComputerGoal; slot <= slotPlayerGoal; ++slot) {
            if (FHotSpotRects[slot].Card && FHotSpotRects[slot].Card->Beaten)
                FHotSpotRects[slot].Card = nullptr;
        }
    }

    const bool computer = Turn == tuComputer;
    FTurnArrowComputerImage->Bitmap().SetMasterAlpha(computer ? 255 : 100);
    FTurnArrowPlayerImage->Bitmap().SetMasterAlpha(computer ? 100 : 255);
    FTurnArrowComputerImage->Repaint();
    FTurnArrowPlayerImage->Repaint();
    AnnounceTurn(); // for a screen reader
    // A refusal explained the position before this move.
    HideRefusal();
    // On the player's turn the engine now waits for a click.
    if (computer)
        ComputerMove();
}

void TMainForm::HotSpotMouseDown(TBitmapLayer* /*Sender*/, Qt::MouseButton /*Button*/,
                                 Qt::KeyboardModifiers /*Shift*/, int X, int Y)
{
    // The marks decide; the lit frame only shows that the pointer came there. A frame lit
    // during the last flight may belong to a slot the new top card cannot play to.
    if (!FCanMoveCard || SequenceRunning())
        return;
    const int found = SlotAt(X, Y);
    if (!PlaySlot(found, found >= 1 && FHotSpotRects[found].HSLayer->Bitmap().MasterAlpha() == 255))
        ExplainRefusal(found, X, Y);
}

bool TMainForm::PlaySlot(int Slot, bool Lit)
{
    // No move starts while cards are dealt or another sequence is under way.
    if (!FCanMoveCard || SequenceRunning() || !PlayerMayPlay(Slot) || !Lit)
        return false;
    TSequence sequence(*this);
    FCanMoveCard = false;
    // Declared after the sequence, so clicks are accepted again before a command that
    // waited for this sequence runs.
    struct TAcceptClicks
    {
        bool& Flag;
        ~TAcceptClicks() { Flag = true; }
    } acceptClicks{FCanMoveCard};

    CarryOutMove(tuPlayer, Slot);
    NextMove(FMatch.Turn());
    return true;
}

void TMainForm::ComputerMove()
{
    if (SequenceAborted())
        return;
    int slot = slotDiscard;
    switch (FMatch.Level()) {
    case slRookie:
        slot = ChooseRookieSlot();
        break;
    case slPro:
        slot = ChooseProSlot();
        break;
    case slAllStar:
        slot = ChooseAllStarSlot();
        break;
    case slLegend:
        slot = ChooseWith(::ChooseSlot); // the engine's choice at the match's level
        break;
    }
    CarryOutMove(tuComputer, slot);
    NextMove(FMatch.Turn());
}

bool TMainForm::CarryOutMove(TTurn Side, int Slot)
{
    TSteps steps;
    const bool passes = FMatch.Play(Side, Slot, steps);
    if (Slot == OpposingGoal(Side) && AnnouncesShots())
        ShowShot(Side, steps);
    else
        ShowSteps(steps);
    AnnounceMove(Side, Slot, steps); // for a screen reader
    // The frame of the slot just played to goes dark (a shot's or a discard's has already).
    if (Side == tuPlayer && !passes)
        SetLayerOpacity(FHotSpotRects[Slot].HSLayer, 0);
    return passes;
}

void TMainForm::ShowShot(TTurn Side, const TSteps& Steps)
{
    // Every shot flies at the goal first: past the goal card that saves it, over the one
    // it beats, or into the empty goal; the score changes as it gets there.
    const int goal = OpposingGoal(Side);
    const bool scored = std::ranges::any_of(
        Steps, [](const TStep& Step) { return Step.Kind == TStepKind::Goals; });
    bool atGoal = false;
    const auto reachGoal = [&] {
        atGoal = true;
        if (scored)
            LogGoal(Side);
        ShowShotOutcome(scored);
    };
    for (const TStep& step : Steps) {
        if (step.Kind == TStepKind::Goals)
            continue;
        if (step.Kind == TStepKind::Fly && !atGoal) {
            if (SequenceAborted())
                return;
            if (step.To == goal) {
                ShowSteps({step});
                reachGoal();
                continue;
            }
            // The card stops at the goal, touching nothing, and goes on from there.
            FHotSpotRects[slotPack].Card = &FPackOfCards.Card(step.Card);
            FPassingBy = true;
            MoveCard(FHotSpotRects[slotPack], FHotSpotRects[goal]);
            FPassingBy = false;
            reachGoal();
        }
        ShowSteps({step});
    }
}

void TMainForm::ShowSteps(const TSteps& Steps)
{
    for (const TStep& step : Steps) {
        switch (step.Kind) {
        case TStepKind::Fly:
            // Once a waiting command winds the sequence up, the card in flight is the last.
            if (SequenceAborted())
                return;
            FHotSpotRects[slotPack].Card = &FPackOfCards.Card(step.Card);
            MoveCard(FHotSpotRects[slotPack], FHotSpotRects[step.To]);
            break;
        case TStepKind::TurnUp:
            ShowCard(step.Card, kindFaceUp, true, true);
            break;
        case TStepKind::ShowNext:
            ShowCard(step.Card, step.Face, true, false);
            break;
        case TStepKind::Beat:
            break; // shown as the card lands on it
        case TStepKind::FadeBeaten:
            break; // shown where a turn begins
        case TStepKind::Goals:
            LogGoal(step.Side);
            break;
        case TStepKind::Clock:
            AdvanceClock();
            break;
        case TStepKind::PeriodOver:
            break;
        }
    }
}
