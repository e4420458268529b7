#pragma once
// Tests reach the main window's private members through these member pointers:
// `form.*A::FPackOfCards`, `(form.*A::NextMove)(tuPlayer)`. Only what some test reads or
// calls is listed; the game's state itself is the match's (`form.*A::FMatch`).

#include "app/Main.h"

class TMainFormTestAccess
{
public:
    using TSequence = TMainForm::TSequence;
    using TPendingCommand = TMainForm::TPendingCommand;
    static constexpr auto FormActivate = &TMainForm::FormActivate;
    static constexpr auto ShowCard = &TMainForm::ShowCard;
    static constexpr auto PlaceTopCard = &TMainForm::PlaceTopCard;
    static constexpr auto ShowAllCards = &TMainForm::ShowAllCards;
    static constexpr auto MoveCard = &TMainForm::MoveCard;
    static constexpr auto BuildScoreboard = &TMainForm::BuildScoreboard;
    static constexpr auto ShowAboutScreen = &TMainForm::ShowAboutScreen;
    static constexpr auto AboutThreadedTimerTimer = &TMainForm::AboutThreadedTimerTimer;
    static constexpr auto LogoClick = &TMainForm::LogoClick;
    static constexpr auto ComputeCardPath = &TMainForm::ComputeCardPath;
    static constexpr auto SetLayerOpacity = &TMainForm::SetLayerOpacity;
    static constexpr auto StartSeries = &TMainForm::StartSeries;
    static constexpr auto StartGame = &TMainForm::StartGame;
    static constexpr auto InitGame = &TMainForm::InitGame;
    static constexpr auto InitPeriod = &TMainForm::InitPeriod;
    static constexpr auto DealCards = &TMainForm::DealCards;
    static constexpr auto NextMove = &TMainForm::NextMove;
    static constexpr auto SwitchTurn = &TMainForm::SwitchTurn;
    static constexpr auto HotSpotMouseDown = &TMainForm::HotSpotMouseDown;
    static constexpr auto CarryOutMove = &TMainForm::CarryOutMove;
    static constexpr auto LandCard = &TMainForm::LandCard;
    static constexpr auto RestoreMatch = &TMainForm::RestoreMatch;
    static constexpr auto ShowPosition = &TMainForm::ShowPosition;
    static constexpr auto TakeShuffledPack = &TMainForm::TakeShuffledPack;
    static constexpr auto GatherCardLayers = &TMainForm::GatherCardLayers;
    // The layer that shows a card, by its number or by the card.
    static TBitmapLayer* CardLayer(const TMainForm& Form, int CardNo)
    {
        return Form.CardLayer(CardNo);
    }
    static TBitmapLayer* CardLayer(const TMainForm& Form, const TPlayingCard& Card)
    {
        return Form.CardLayer(Card);
    }
    static constexpr auto ChooseRookieSlot = &TMainForm::ChooseRookieSlot;
    static constexpr auto ChooseProSlot = &TMainForm::ChooseProSlot;
    static constexpr auto ChooseAllStarSlot = &TMainForm::ChooseAllStarSlot;
    static constexpr auto ChooseAttackSlot = &TMainForm::ChooseAttackSlot;
    static constexpr auto ChooseProFillSlot = &TMainForm::ChooseProFillSlot;
    static constexpr auto ChooseAllStarFillSlot = &TMainForm::ChooseAllStarFillSlot;
    static constexpr auto RemainingHalfMinutes = &TMainForm::RemainingHalfMinutes;
    static constexpr auto OwnGoalCovered = &TMainForm::OwnGoalCovered;
    static constexpr auto TopCard = &TMainForm::TopCard;
    static constexpr auto GoalsOf = &TMainForm::GoalsOf;
    static constexpr auto FAboutImage = &TMainForm::FAboutImage;
    static constexpr auto FGameTableImage = &TMainForm::FGameTableImage;
    static constexpr auto FVelocityArray = &TMainForm::FVelocityArray;
    static constexpr auto FTurnArrowComputerImage = &TMainForm::FTurnArrowComputerImage;
    static constexpr auto FTurnArrowPlayerImage = &TMainForm::FTurnArrowPlayerImage;
    static constexpr auto FComputerLabel = &TMainForm::FComputerLabel;
    static constexpr auto FPlayerLabel = &TMainForm::FPlayerLabel;
    static constexpr auto FComputerGoalsLabel = &TMainForm::FComputerGoalsLabel;
    static constexpr auto FPlayerGoalsLabel = &TMainForm::FPlayerGoalsLabel;
    static constexpr auto FPeriodTimeLabel = &TMainForm::FPeriodTimeLabel;
    static constexpr auto FPeriodLabel = &TMainForm::FPeriodLabel;
    static constexpr auto FShape1 = &TMainForm::FShape1;
    static constexpr auto FShape2 = &TMainForm::FShape2;
    static constexpr auto FStaticsPanel = &TMainForm::FStaticsPanel;
    static constexpr auto FMatch = &TMainForm::FMatch;
    static constexpr auto FPackOfCards = &TMainForm::FPackOfCards;
    static constexpr auto FStep = &TMainForm::FStep;
    static constexpr auto FHotSpotRects = &TMainForm::FHotSpotRects;
    static constexpr auto FLocationArray = &TMainForm::FLocationArray;
    static constexpr auto FMovingCard = &TMainForm::FMovingCard;
    static constexpr auto FCanMoveCard = &TMainForm::FCanMoveCard;
    static constexpr auto FMovingSourceRect = &TMainForm::FMovingSourceRect;
    static constexpr auto FMovingDestRect = &TMainForm::FMovingDestRect;
    static constexpr auto FActivated = &TMainForm::FActivated;
    static constexpr auto FFirstSeriesWait = &TMainForm::FFirstSeriesWait;
    static constexpr auto FSequenceDepth = &TMainForm::FSequenceDepth;
    static constexpr auto FClosing = &TMainForm::FClosing;
    static constexpr auto SetFocusSlot = &TMainForm::SetFocusSlot;
    static constexpr auto FFocusSlot = &TMainForm::FFocusSlot;
    static constexpr auto FFocusLayer = &TMainForm::FFocusLayer;
    static constexpr auto FAnnouncer = &TMainForm::FAnnouncer;
};

using A = TMainFormTestAccess;
