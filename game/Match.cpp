#include "game/Match.h"

#include "game/LookAhead.h"

#include <algorithm>
#include <cstdio>

namespace {

// The line-ups seen from one side. The computer's slots mirror the player's: computer slot
// = 15 - player slot.
struct TLineUp
{
    int OwnSlots[5];    // the own field slots, in marking order
    int Forwards[3];    // the opposing forwards
    int Defender[2][5]; // opposing defender, partner, near wing, centre, far wing
    int Goal[6];        // opposing goal, defender A, defender B, wing A, centre, wing B
};

constexpr TLineUp PlayerLineUp{
    {11, 12, 8, 9, 10}, {5, 6, 7}, {{3, 4, 5, 6, 7}, {4, 3, 7, 6, 5}}, {2, 3, 4, 5, 6, 7}};
constexpr TLineUp ComputerLineUp{
    {4, 3, 7, 6, 5}, {10, 9, 8}, {{12, 11, 10, 9, 8}, {11, 12, 8, 9, 10}}, {13, 12, 11, 10, 9, 8}};

constexpr const TLineUp& LineUpOf(TTurn Side)
{
    return Side == tuPlayer ? PlayerLineUp : ComputerLineUp;
}

} // namespace

TPackOrder FreshPackOrder()
{
    TPackOrder order{};
    for (int i = 1; i <= CardCount; ++i)
        order[i] = {uint8_t((i - 1) / 13), TCardValue((i - 1) % 13)};
    return order;
}

void ShufflePlaces(TCardFace* Places, int Count, TMatchRandom& Random)
{
    // The last place only changes hands when the pass itself reaches it.
    for (int pass = 0; pass < 3; ++pass)
        for (int i = 0; i < Count; ++i)
            std::swap(Places[i], Places[Random.Below(Count - 1)]);
}

void ShufflePackOrder(TPackOrder& Order, TMatchRandom& Random)
{
    ShufflePlaces(&Order[1], CardCount, Random);
}

bool GameOverAfterPeriod(int PeriodNo, int ComputerGoals, int PlayerGoals, bool GoalsInPeriod)
{
    return (PeriodNo == 3 && ComputerGoals != PlayerGoals) || (PeriodNo > 3 && GoalsInPeriod);
}

int GamesToPlay(int ComputerWins, int PlayerWins, TGamesBestOf BestOf)
{
    constexpr int MostGames = 7;
    const int leader = std::max(ComputerWins, PlayerWins);
    return std::min(ComputerWins + PlayerWins + int(BestOf) + 1 - leader, MostGames);
}

std::string ClockText(int RemainingHalfMinutes)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d:%s", RemainingHalfMinutes / 2,
                  RemainingHalfMinutes % 2 ? "30" : "00");
    return text;
}

std::string ElapsedText(int ElapsedHalfMinutes)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%s", ElapsedHalfMinutes / 2,
                  ElapsedHalfMinutes % 2 ? "30" : "00");
    return text;
}

// ---------------------------------------------------------------------------------------
// Setting up

TMatch::TMatch() : FOrder(FreshPackOrder())
{
    for (int i = 1; i <= CardCount; ++i)
        FCards[i].Face = FOrder[i];
}

void TMatch::StartSeries(TDealer FirstDealer, TSkillLevel Level)
{
    FGameNo = 0;
    FGameDealer = FirstDealer;
    FLevel = Level;
}

void TMatch::StartGame()
{
    // The dealer of the game's first period does not move first.
    FPeriodDealer = FGameDealer;
    FGameDealer = OtherDealer(FGameDealer);
    FPeriodNo = 0;
    FGameNo += 1;
    FGoals = {0, 0};
    FOvertimeWin = false;
}

void TMatch::ClearTable()
{
    for (TSlot& slot : FSlots)
        slot = {};
}

TSteps TMatch::StartPeriod(uint32_t Seed)
{
    FRandom.Seed(Seed);
    ShufflePackOrder(FOrder, FRandom);
    for (int i = 1; i <= CardCount; ++i)
        FCards[i] = {FOrder[i], kindFaceUp, false};
    FTop = 1;

    FTurn = FPeriodDealer == alComputer ? tuPlayer : tuComputer;
    FPeriodDealer = OtherDealer(FPeriodDealer);
    FDATurn = OtherSide(FTurn);
    FPeriodNo += 1;
    FRemaining = PeriodHalfMinutes;
    // From the second overtime period on, the elapsed time keeps counting.
    if (FPeriodNo < 5)
        FElapsed = 0;
    FPeriodGoals.clear();
    ClearTable();

    // Each goal card shows the back of the side whose goal it will guard; the deal starts
    // at the goal of the side that moves first.
    const bool computerFirst = FTurn == tuComputer;
    FCards[1].Kind = computerFirst ? kindComputerBack : kindPlayerBack;
    FCards[12].Kind = computerFirst ? kindPlayerBack : kindComputerBack;
    TSteps steps;
    for (int i = 0; i < 12; ++i)
        Fly(computerFirst ? slotComputerGoal + i : slotPlayerGoal - i, steps);
    return steps;
}

void TMatch::SetUpPosition(std::initializer_list<TCardAt> Cards, TCardValue Top, uint8_t TopKind,
                           int TopIndex, TTurn Turn)
{
    LayOut(Cards.begin(), Cards.end(), Top, TopKind, TopIndex, Turn);
}

void TMatch::SetUpPosition(const std::vector<TCardAt>& Cards, TCardValue Top, uint8_t TopKind,
                           int TopIndex, TTurn Turn)
{
    LayOut(Cards.data(), Cards.data() + Cards.size(), Top, TopKind, TopIndex, Turn);
}

void TMatch::LayOut(const TCardAt* First, const TCardAt* Last, TCardValue Top, uint8_t TopKind,
                    int TopIndex, TTurn Turn)
{
    ClearTable();
    for (int i = 1; i <= CardCount; ++i)
        FCards[i] = {FOrder[i], kindFaceUp, false};
    int n = 1;
    for (const TCardAt* at = First; at != Last; ++at, ++n) {
        if (n == TopIndex)
            ++n;
        if (n > CardCount)
            break;
        FCards[n].Face.Value = at->Value;
        FCards[n].Beaten = at->Beaten;
        FCards[n].Kind = at->Kind;
        FSlots[at->Slot].Card = uint8_t(n);
    }
    FTop = std::clamp(TopIndex, 1, CardCount + 1);
    if (HasTopCard()) {
        FCards[FTop].Face.Value = Top;
        FCards[FTop].Kind = TopKind;
        FSlots[slotPack].Card = uint8_t(FTop);
    }
    FTurn = Turn;
    FDATurn = OtherSide(Turn);
}

// ---------------------------------------------------------------------------------------
// Marks

bool TMatch::SlotLive(int Slot) const
{
    if (Slot < 1 || Slot > SlotCount)
        return false;
    const int card = FSlots[Slot].Card;
    return card != 0 && !FCards[card].Beaten;
}

TRefusal TMatch::Rule(TTurn Side, int Slot) const
{
    if (FCards[FTop].Kind == BackOf(Side)) {
        // A face-down card of the mover's colour: into the own goal unseen, or turn it over.
        return Slot == slotPack || Slot == OwnGoal(Side) ? TRefusal::None : TRefusal::FaceDownCard;
    }
    if (Slot == slotPack)
        return TRefusal::NothingToTurnOver;
    if (Slot == OwnGoal(Side))
        return TRefusal::OwnGoalOnlyFaceDown;

    const TLineUp& lineUp = LineUpOf(Side);
    const TCardValue top = FCards[FTop].Face.Value;
    // A forward or a defender is beaten by a card of its rank or higher.
    const auto beatable = [&](int s) {
        if (!SlotLive(s))
            return TRefusal::NothingToBeat;
        return ValueIn(s) <= top ? TRefusal::None : TRefusal::CardTooLow;
    };

    if (std::ranges::find(lineUp.OwnSlots, Slot) != std::end(lineUp.OwnSlots))
        return SlotDown(Slot) ? TRefusal::None : TRefusal::SlotTaken;
    if (std::ranges::find(lineUp.Forwards, Slot) != std::end(lineUp.Forwards))
        return beatable(Slot);
    for (const auto& d : lineUp.Defender) {
        if (Slot != d[0])
            continue;
        const TRefusal refusal = beatable(Slot);
        if (refusal != TRefusal::None)
            return refusal;
        const bool covered = SlotLive(d[2]) && SlotLive(d[3]) && (SlotLive(d[1]) || SlotLive(d[4]));
        return covered ? TRefusal::DefenderCovered : TRefusal::None;
    }
    if (Slot == OpposingGoal(Side)) {
        // The goal card plays no part: whether a shot scores is settled when it is taken.
        const int* g = lineUp.Goal;
        const bool open = (SlotDown(g[1]) && (SlotDown(g[3]) || SlotDown(g[4]))) ||
                          (SlotDown(g[2]) && (SlotDown(g[4]) || SlotDown(g[5])));
        return open ? TRefusal::None : TRefusal::GoalCovered;
    }
    return TRefusal::DiscardNotNeeded; // the discard pile: decided by the other slots
}

TRefusal TMatch::Refusal(TTurn Side, int Slot) const
{
    if (Slot < 1 || Slot > SlotCount)
        return TRefusal::NoSuchSlot;
    if (Side != FTurn)
        return TRefusal::NotYourTurn;
    if (!HasTopCard() || FOvertimeWin)
        return TRefusal::NoCard;
    if (Slot != slotDiscard)
        return Rule(Side, Slot);
    // The discard pile takes the card only when no other slot does.
    return Playable(Side).front() == slotDiscard ? TRefusal::None : TRefusal::DiscardNotNeeded;
}

template <typename TTake>
bool TMatch::ForEachPlayable(TTurn Side, TTake Take) const
{
    if (!HasTopCard() || FOvertimeWin)
        return false;
    bool any = false;
    for (int s = 1; s < slotDiscard; ++s) {
        if (Rule(Side, s) == TRefusal::None) {
            Take(s);
            any = true;
        }
    }
    if (!any)
        Take(slotDiscard);
    return true;
}

std::vector<int> TMatch::Playable(TTurn Side) const
{
    std::vector<int> slots;
    ForEachPlayable(Side, [&slots](int s) { slots.push_back(s); });
    return slots;
}

bool TMatch::MarkPlayable(TTurn Side)
{
    for (TSlot& slot : FSlots)
        slot.Canplay = false;
    // No list built: a search marks positions by the thousand.
    return ForEachPlayable(Side, [this](int s) { FSlots[s].Canplay = true; });
}

// ---------------------------------------------------------------------------------------
// Moves

TSteps TMatch::BeginTurn(TTurn Side)
{
    TSteps steps;
    if (Side != FDATurn)
        return steps;
    bool any = false;
    for (int s = slotComputerGoal; s <= slotPlayerGoal; ++s) {
        TSlot& slot = FSlots[s];
        if (slot.Card != 0 && FCards[slot.Card].Beaten) {
            slot.Card = 0;
            any = true;
        }
    }
    if (any)
        steps.push_back({TStepKind::FadeBeaten});
    FDATurn = OtherSide(FDATurn);
    return steps;
}

void TMatch::AdvanceClock()
{
    if (FRemaining > 0)
        --FRemaining;
    ++FElapsed;
}

bool TMatch::SeriesUnderWay() const
{
    const bool moved = FGameNo > 1 || FPeriodNo > 1 || FElapsed > 0;
    return moved && !FRecord.Decided();
}

int TMatch::PeriodGoalsOf(TTurn Side) const
{
    return int(std::ranges::count(FPeriodGoals, Side, &TGoalEntry::Scorer));
}

void TMatch::LogGoal(TTurn Scorer)
{
    FPeriodGoals.push_back({FElapsed, FGoals[tuComputer], FGoals[tuPlayer], Scorer});
}

void TMatch::Fly(int Dest, TSteps& Steps)
{
    const int moving = FTop;
    TSlot& dest = FSlots[Dest];
    if (Dest == slotDiscard) {
        // A discard lies face down in the colour of the side that played it.
        FCards[moving].Kind = BackOf(FTurn);
        Steps.push_back(
            {TStepKind::Fly, uint8_t(moving), slotPack, uint8_t(Dest), FCards[moving].Kind, FTurn});
        ++FTop;
    } else if (dest.Card == 0) {
        dest.Card = uint8_t(moving);
        Steps.push_back(
            {TStepKind::Fly, uint8_t(moving), slotPack, uint8_t(Dest), FCards[moving].Kind, FTurn});
        ++FTop;
    } else {
        // The card stays the top card, lying over the beaten one, until it goes on to the
        // discard pile.
        Steps.push_back(
            {TStepKind::Fly, uint8_t(moving), slotPack, uint8_t(Dest), FCards[moving].Kind, FTurn});
        TCard& beaten = FCards[dest.Card];
        beaten.Beaten = true;
        beaten.Kind = kindFaceUp;
        Steps.push_back(
            {TStepKind::Beat, dest.Card, uint8_t(Dest), uint8_t(Dest), kindFaceUp, FTurn});
    }
    FSlots[slotPack].Card = HasTopCard() ? uint8_t(FTop) : 0;
}

bool TMatch::Play(TTurn Side, int Slot, TSteps& Steps)
{
    const TCardValue top = FCards[FTop].Face.Value;
    const auto passTurn = [&] {
        FTurn = OtherSide(Side);
        return true;
    };
    FTurn = Side;

    if (Slot != slotPack) {
        AdvanceClock();
        Steps.push_back({TStepKind::Clock});
    }

    if (Slot == OpposingGoal(Side)) {
        const int goalCard = FSlots[Slot].Card;
        if (goalCard != 0 && FCards[goalCard].Face.Value > top) {
            // Saved: the goal card stays face down, but the shooter knows it is higher.
            if (Side == tuPlayer)
                FPlayerLastShot = top;
            Fly(slotDiscard, Steps);
            return passTurn();
        }
        if (Side == tuComputer)
            FLastShot = cvTwo;
        FGoals[Side] += 1;
        Steps.push_back({TStepKind::Goals, 0, 0, 0, kindFaceUp, Side});
        LogGoal(Side);
        if (FPeriodNo > 3)
            FOvertimeWin = true;
        // The card after the shot comes up face down for the side that conceded.
        if (FTop < CardCount) {
            FCards[FTop + 1].Kind = BackOf(OtherSide(Side));
            Steps.push_back(
                {TStepKind::ShowNext, uint8_t(FTop + 1), 0, 0, FCards[FTop + 1].Kind, Side});
        }
        if (goalCard != 0)
            Fly(Slot, Steps);
        Fly(slotDiscard, Steps);
        return passTurn();
    }

    if (Slot == slotPack) {
        FCards[FTop].Kind = kindFaceUp;
        Steps.push_back({TStepKind::TurnUp, uint8_t(FTop), slotPack, slotPack, kindFaceUp, Side});
        return false;
    }

    if (Slot == slotDiscard) {
        // Only the computer's discard hands the player a card for an empty goal.
        if (Side == tuComputer && FSlots[slotPlayerGoal].Card == 0 && FTop < CardCount) {
            FCards[FTop + 1].Kind = kindPlayerBack;
            Steps.push_back({TStepKind::ShowNext, uint8_t(FTop + 1), 0, 0, kindPlayerBack, Side});
        }
        Fly(slotDiscard, Steps);
        return passTurn();
    }

    if (FSlots[Slot].Card != 0) {
        Fly(Slot, Steps);
        Fly(slotDiscard, Steps);
    } else {
        Fly(Slot, Steps);
    }
    return false;
}

int TMatch::ComputerChoice()
{
    const int slot = ChooseSlot(*this, FRandom);
    NoteComputerChoice(slot);
    return slot;
}

void TMatch::NoteComputerChoice(int Slot)
{
    if (FLevel != slRookie && Slot == slotPlayerGoal)
        FLastShot = TopValue();
    if (FLevel >= slAllStar && TopKind() == kindComputerBack)
        FPlayerLastShot = cvTwo;
}

int TMatch::LevelChoice(TSkillLevel Level) const
{
    TMatch probe = *this;
    probe.FLevel = Level;
    probe.FTurn = tuComputer;
    probe.MarkPlayable(tuComputer);
    return ChooseSlot(probe, probe.FRandom);
}

TSteps TMatch::EndPeriod()
{
    TSteps steps;
    for (int slot : {int(slotComputerGoal), int(slotPlayerGoal)}) {
        const int card = FSlots[slot].Card;
        if (card != 0 && !FCards[card].Beaten) {
            FCards[card].Kind = kindFaceUp;
            steps.push_back({TStepKind::TurnUp, uint8_t(card), uint8_t(slot), uint8_t(slot)});
        }
    }
    for (TSlot& slot : FSlots)
        slot.Canplay = false;
    steps.push_back({TStepKind::PeriodOver});
    return steps;
}

// ---------------------------------------------------------------------------------------
// The computer's levels

namespace {

// Draws s uniformly from Low..High until Playable(s); -1 when none of the range is.
template <typename TPlayable>
int DrawPlayable(int Low, int High, TPlayable Playable, TMatchRandom& Random)
{
    bool any = false;
    for (int s = Low; s <= High; ++s)
        any = any || Playable(s);
    if (!any)
        return -1;
    int s = Low + Random.Below(High - Low + 1);
    while (!Playable(s))
        s = Low + Random.Below(High - Low + 1);
    return s;
}

} // namespace

int CountOwnVacancies(const TMatch& M)
{
    int count = 0;
    for (int s = slotComputerGoal; s <= 7; ++s)
        count += M.SlotDown(s) ? 1 : 0;
    return count;
}

bool OwnGoalCovered(const TMatch& M)
{
    if (M.Level() == slRookie)
        return false;
    auto live = [&M](int s) { return M.SlotLive(s); };
    // Exactly the line-ups that keep the computer's goal closed.
    if ((live(3) && live(4)) || (live(3) && live(6) && live(7)) ||
        (live(4) && live(5) && live(6)) || (live(5) && live(6) && live(7)))
        return true;
    if (M.Level() == slAllStar) {
        // The goal card has stopped a King; in overtime or with the last card of the pack
        // there is nothing left to defend.
        if (M.CardIn(slotComputerGoal) && M.PlayerLastShotValue() > cvQueen)
            return true;
        if (M.PeriodNo() > 3 || M.TopIndex() == CardCount)
            return true;
    }
    return false;
}

bool AnyFieldSlotPlayable(const TMatch& M)
{
    for (int s = 3; s <= 12; ++s) {
        if (M.Canplay(s))
            return true;
    }
    return false;
}

int SlotValueSum(const TMatch& M, int SlotA, int SlotB)
{
    auto value = [&M](int s) { return M.CardIn(s) ? int(M.ValueIn(s)) : 0; };
    return value(SlotA) + value(SlotB);
}

int ChooseAttackSlot(const TMatch& M)
{
    auto playable = [&M](int s) { return M.Canplay(s); };
    auto value = [&M](int s) { return M.ValueIn(s); };

    int defender = -1;
    if (playable(11))
        defender = 11;
    if (playable(12) && (defender == -1 || value(12) > value(defender)))
        defender = 12;

    int forward = -1;
    for (int s : {8, 9, 10}) {
        if (playable(s) && (forward == -1 || value(s) > value(forward)))
            forward = s;
    }

    if (M.Level() == slAllStar && playable(8) && playable(10)) {
        // Attack the wing in front of the weaker or missing defender.
        const bool left = M.CardIn(11) != 0;
        const bool right = M.CardIn(12) != 0;
        if (!right || (left && value(12) < value(11)))
            forward = 10;
        if (!left || (right && value(12) > value(11)))
            forward = 8;
    }
    return defender != -1 ? defender : forward;
}

int ChooseProFillSlot(const TMatch& M, TMatchRandom& Random)
{
    auto playable = [&M](int s) { return M.Canplay(s); };
    const int forward = DrawPlayable(5, 7, playable, Random);
    if (forward != -1)
        return forward;
    return DrawPlayable(3, 4, playable, Random);
}

int ChooseAllStarFillSlot(const TMatch& M, TMatchRandom& Random)
{
    auto playable = [&M](int s) { return M.Canplay(s); };
    const bool forwardFree = playable(5) || playable(6) || playable(7);
    const bool defenceFree = playable(3) || playable(4);
    // Low cards go to the forwards, Eights and up to a free defender slot.
    const bool toForwards = forwardFree && (M.TopValue() <= cvSeven || !defenceFree);
    if (toForwards) {
        const int drawn = DrawPlayable(5, 7, playable, Random);
        if (playable(5) && playable(7))
            return SlotValueSum(M, 6, 4) < SlotValueSum(M, 6, 3) ? 7 : 5;
        return drawn;
    }
    // The defender behind the weaker pair of forwards, or the only free one.
    if (SlotValueSum(M, 7, 6) < SlotValueSum(M, 6, 5))
        return playable(4) ? 4 : 3;
    return playable(3) ? 3 : 4;
}

int ChooseRookieSlot(const TMatch& M, TMatchRandom& Random)
{
    // Any playable slot but the pack: the rookie never turns a face-down card over.
    const int s = DrawPlayable(
        2, SlotCount, [&M](int s) { return M.Canplay(s); }, Random);
    return s < 0 ? slotPack : s;
}

namespace {

// Pro and All-Star follow one plan; they differ in how they fill their own line and in
// when an open goal is worth the shot.
template <typename TFill, typename TShoots>
int ChoosePlannedSlot(const TMatch& M, TMatchRandom& Random, TFill Fill, TShoots Shoots)
{
    if (M.Canplay(slotDiscard))
        return slotDiscard;
    if (M.TopKind() == kindComputerBack)
        return CountOwnVacancies(M) < M.RemainingHalfMinutes() ? slotComputerGoal : slotPack;
    if (M.Canplay(slotPlayerGoal)) {
        // Repair the own line before shooting.
        if (!OwnGoalCovered(M))
            return Fill(M, Random);
        if (Shoots(M))
            return slotPlayerGoal;
    }
    const int attack = ChooseAttackSlot(M);
    return attack == -1 ? Fill(M, Random) : attack;
}

} // namespace

int ChooseProSlot(const TMatch& M, TMatchRandom& Random)
{
    return ChoosePlannedSlot(M, Random, ChooseProFillSlot, [](const TMatch& M) {
        return !AnyFieldSlotPlayable(M) || M.TopValue() > M.LastShotValue();
    });
}

int ChooseAllStarSlot(const TMatch& M, TMatchRandom& Random)
{
    return ChoosePlannedSlot(M, Random, ChooseAllStarFillSlot, [](const TMatch& M) {
        const bool fieldMove = AnyFieldSlotPlayable(M);
        const bool lastCard = M.TopIndex() == CardCount;
        const bool lowCard = M.TopValue() <= cvSix && !lastCard;
        const bool notAboveLastShot = M.TopValue() <= M.LastShotValue();
        return !(fieldMove && (lowCard || notAboveLastShot));
    });
}

int ChooseSlot(const TMatch& M, TMatchRandom& Random)
{
    switch (M.Level()) {
    case slPro:
        return ChooseProSlot(M, Random);
    case slAllStar:
        return ChooseAllStarSlot(M, Random);
    case slLegend:
        return ChooseLegendSlot(M, Random);
    case slRookie:
    default:
        return ChooseRookieSlot(M, Random);
    }
}
