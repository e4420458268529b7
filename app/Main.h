#pragma once
// The main window. Its members are spread over the folders of their subsystems:
// the engine (match flow, turns, computer opponent) in game/, the presentation (table
// scene, card moves, scoreboard, about screen) in table/, the shell (start-up, menu,
// help) in app/. This header is the one place that declares them all.

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include "dialogs/Settings.h"
#include "game/Lib.h"
#include "game/Match.h"
#include "platform/Image32.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenuBar;
class QTimer;
class QVariantAnimation;
class TThreadedTimer;
class TBCImageList;
class THelpSystem;
class TStaticsDialog;
class TStatisticsStore;

class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // --- Shell-facing commands (safe at any moment) -------------------------------------
    // New Game, Options confirmed and Exit may arrive while a move sequence runs (the deal,
    // a card's flight, the computer's turn): they are then remembered and carried out once
    // the running sequence has unwound, never nested inside it, and never lost.
    enum class TPendingCommand : uint8_t
    {
        None,
        NewSeries,
        Close
    };
    void RequestNewSeries();
    void RequestClose();
    // Where the series in progress is kept between runs, saved after every move that has
    // landed; empty (the default) keeps nothing.
    void SetSaveFile(const QString& Path) { FSaveFile = Path; }
    QString SaveFile() const { return FSaveFile; }
    bool SequenceRunning() const { return FSequenceDepth > 0; }
    TPendingCommand PendingCommand() const { return FPending; }

    // Designed components.
    QFrame* CardTablePanel = nullptr;
    TBitmap32List* CardsBitmap32List = nullptr;
    TBitmap32List* LogoBitmap32List = nullptr;
    TBitmap32List* GameBitmap32List = nullptr;
    QMenuBar* ActionMainMenuBar1 = nullptr;
    QAction* FileNewGameAction = nullptr;
    QAction* FileOptionsAction = nullptr;
    QAction* FileScoreAction = nullptr;
    QAction* FileStatisticsAction = nullptr;
    QAction* FileExitAction = nullptr;
    QAction* HelpIndexAction = nullptr;
    QAction* HelpAboutAction = nullptr;
    TThreadedTimer* AboutThreadedTimer = nullptr;
    TThreadedTimer* MoveCardThreadedTimer = nullptr;
    TBCImageList* MenuImageList = nullptr;
    THelpSystem* HelpSystem = nullptr;

protected:
    // --- Shell (app/) -----------------------------------------------------------------
    void FormCreate();
    void FormActivate();
    void FormClose();
    bool event(QEvent* e) override; // first activation -> FormActivate
    // The pointer leaving the table darkens the hover frame.
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override; // deferred while a sequence runs
    void CreateMenu();
    void FileNewGameActionExecute();
    void FileOptionsActionExecute();
    void FileScoreActionExecute();
    void FileStatisticsActionExecute();
    // Has the score sheet report every finished series to the statistics, at the level
    // the series was played at.
    void RecordSeriesOnTheirEnd();
    // The program's score sheet, keeping and showing this match's record.
    TStaticsDialog& ScoreSheet();
    void FileExitActionExecute();
    void HelpIndexActionExecute();
    void HelpAboutActionExecute();

    // --- Presentation (table/) ----------------------------------------------------------
    void BuildTableScene();
    void ShowCard(uint8_t CardNo, uint8_t Kind, bool Visible, bool BringToFront);
    void PlaceTopCard(uint8_t HotSpotNo);
    void ShowAllCards();
    void GameTableMouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y,
                            TBitmapLayer* Layer);
    void MoveCard(THotSpotRect Source, THotSpotRect Dest);
    void MoveCardThreadedTimerTimer(QObject* Sender);
    void BuildScoreboard(const QString& PlayerName);
    void ShowAboutScreen();
    void AboutThreadedTimerTimer(QObject* Sender);
    void LogoClick(QObject* Sender);
    // Fills FLocationArray with the straight path from the card's place to Dest.
    void ComputeCardPath(const TFloatRect& From, const TFloatRect& Dest);
    void SetLayerOpacity(TBitmapLayer* Layer, uint8_t Alpha);
    // Gives the card pictures the engine's freshly shuffled order, all hidden at the pack.
    void TakeShuffledPack();
    // One layer per card number, above everything the table has so far; made once.
    void CreateCardLayers();
    // The layer that shows card CardNo (1..52), or none.
    TBitmapLayer* CardLayer(int CardNo) const;
    TBitmapLayer* CardLayer(const TPlayingCard& Card) const { return CardLayer(Card.CardNo); }
    // Every card's layer shows the card's face, hidden and at the pack, stacked in pack
    // order with card 1 on top.
    void GatherCardLayers();
    // Lays every card where the engine has it, at once: slots, pack, discard pile, with
    // their faces and the beaten ones dimmed; the captions and the turn arrows follow.
    void ShowPosition();
    // Darkens every lit frame whose slot the player may not play to now: after the marks
    // change, and (with NoneStays) when the pointer leaves the table.
    void DarkenStaleFrames(bool NoneStays = false);
    // The slot whose card rectangle holds (X, Y), edges included, or -1.
    int SlotAt(int X, int Y) const;
    // Whether a press on Slot may start the player's move now.
    bool PlayerMayPlay(int Slot) const;

    // --- Engine (game/) ---------------------------------------------------------------
    void StartSeries();
    void ReadOptions();
    void ReadAnimSpeed(); // the flying cards' step, from the options
    void StartGame();
    void InitGame();
    void StartPeriod();
    void InitPeriod();
    // Plays the engine's deal: the goal cards' backs, the pack, then the twelve flights.
    void DealCards(const TSteps& Deal);
    // The clock caption, from the engine's clock.
    void AdvanceClock();
    // Scorer's goal caption, from the engine's count.
    void LogGoal(TTurn Scorer);
    // The end of a period: goal cards face up, the score sheet, and what it decides next.
    void EndPeriod();
    // A score of the running game as the sheet writes it: the side that moves first in
    // the game first.
    QString RowScore(int Computer, int Player) const;
    // The sheet's line for the period under way ("Game 1, period 2 under way: 1-2 so
    // far"), empty before the first deal.
    QString InPlayLine() const;
    void NextMove(TTurn Turn);
    void SwitchTurn(TTurn Turn);
    void HotSpotMouseDown(TBitmapLayer* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                          int X, int Y);
    // The player's move to Slot, from a click or a key: nothing while another sequence runs
    // or when the player may not play there. Lit: the slot's frame was lit when pressed
    // (a click counts only then). True when the move was made.
    bool PlaySlot(int Slot, bool Lit = true);
    void ComputerMove();
    // Carries out side's move to Slot in the engine and shows it; returns true when the
    // move passes the turn.
    bool CarryOutMove(TTurn Side, int Slot);
    // Shows a move's steps in order; the flights block until each card has landed. Stops
    // after the flight in progress once a waiting command winds the sequence up.
    void ShowSteps(const TSteps& Steps);
    // A shot's steps as a shot reads with Announce Goals and Saves: the card flies at the
    // goal first, and the score and "Goal!" or "Saved!" show as it gets there.
    void ShowShot(TTurn Side, const TSteps& Steps);
    bool FPassingBy = false; // the moving card lands nowhere: it flies on
    void LandCard(const THotSpotRect& Source, const THotSpotRect& Dest);

    int ChooseRookieSlot();
    int ChooseProSlot();
    int ChooseAllStarSlot();
    int ChooseAttackSlot();
    int ChooseProFillSlot();
    int ChooseAllStarFillSlot();
    int CountOwnVacancies();
    int RemainingHalfMinutes() const { return FMatch.RemainingHalfMinutes(); }
    bool OwnGoalCovered();
    bool AnyFieldSlotPlayable();
    int SlotValueSum(int SlotA, int SlotB);

    // The computer's choice by Choose (one of the engine's levels), drawn from the match's
    // generator, with what the level remembers of it noted in the match.
    int ChooseWith(int (*Choose)(const TMatch&, TMatchRandom&));

    // Helpers shared by the engine and the presentation.
    TPlayingCard* TopCard(); // the card the table shows on the pack
    bool SlotLive(int Slot) const { return FMatch.SlotLive(Slot); }
    bool SlotDown(int Slot) const { return !SlotLive(Slot); }
    int GoalsOf(TTurn Side) const { return FMatch.Goals(Side); }

    // Sequence control: every entry point that can run card moves (a click, the first
    // activation, a menu command) holds a TSequence while it runs. When the last one
    // ends, a pending command is carried out.
    class TSequence
    {
    public:
        explicit TSequence(TMainForm& form);
        ~TSequence();
        TSequence(const TSequence&) = delete;
        TSequence& operator=(const TSequence&) = delete;

    private:
        TMainForm& FForm;
    };
    // True once a pending command asks the running sequence to wind up: the engine then
    // finishes the card in flight and returns without starting further moves.
    bool SequenceAborted() const { return FPending != TPendingCommand::None; }
    void RunPendingCommand();

    // --- Presentation fields --------------------------------------------------------------
    TImage32* FAboutImage = nullptr;
    TImage32* FGameTableImage = nullptr;
    TArrayOfFloatPoint FVelocityArray;
    TImage32* FTurnArrowComputerImage = nullptr;
    TImage32* FTurnArrowPlayerImage = nullptr;
    QLabel* FComputerLabel = nullptr;
    QLabel* FPlayerLabel = nullptr;
    QLabel* FComputerGoalsLabel = nullptr;
    QLabel* FPlayerGoalsLabel = nullptr;
    QLabel* FPeriodTimeLabel = nullptr;
    QLabel* FPeriodLabel = nullptr;
    QFrame* FShape1 = nullptr;
    QFrame* FShape2 = nullptr;
    QFrame* FStaticsPanel = nullptr;
    int FLastHotSpot = 1; // the slot under the pointer at the previous mouse move, -1 for none

    // --- Resume (game/MainResume.cpp) ---------------------------------------------------
    void SaveMatch();   // quietly keeps the last save when this one cannot be written
    void DiscardSave(); // a series that ended or was given up
    // Brings back the series of the save file, shown as it was: true when there was a
    // whole one. A save that cannot be read is set aside as "<file>.bad" and the player
    // is told once.
    bool RestoreMatch();
    QString FSaveFile;

    // --- The match: the one game state; the table shows it -----------------------------
    TMatch FMatch;
    uint8_t FStep = 0; // pixels a flying card covers per tick

    // --- What the table shows: the card pictures and the slots they lie in ---------------
    TPackOfCards FPackOfCards;
    // The card pictures by card number 1..52 (element 0 unused), owned by the table image.
    TBitmapLayer* FCardLayers[CardCount + 1] = {};
    THotSpotRect FHotSpotRects[SlotCount + 1]; // numbered 1..14; element 0 is unused

    // --- Card move ----------------------------------------------------------------------
    std::vector<TFloatRect> FLocationArray;
    bool FMovingCard = false;
    bool FCanMoveCard = false;
    THotSpotRect FMovingSourceRect;
    THotSpotRect FMovingDestRect;

    // --- Shell state --------------------------------------------------------------------
    bool FActivated = false; // FormActivate has run
    // The wait after the window is shown: the first series starts when it runs out, should
    // no activation come first (focus-stealing prevention, a compositor without a seat).
    QTimer* FFirstSeriesWait = nullptr;
    int FSequenceDepth = 0;  // nesting of running move sequences
    TPendingCommand FPending = TPendingCommand::None;
    bool FClosing = false; // the window is really closing now
    // The player's statistics across series, read at start-up, saved after each series.
    std::shared_ptr<TStatisticsStore> FStatistics;

    // --- View (app/, table/): the table scaled with the window --------------------------
public:
    QAction* ViewZoomInAction = nullptr;
    QAction* ViewZoomOutAction = nullptr;
    QAction* ViewActualSizeAction = nullptr;
    QAction* ViewShowPlayableAction = nullptr;  // checkable
    QAction* ViewAnnounceShotsAction = nullptr; // checkable
    QAction* ViewFullScreenAction = nullptr;    // checkable, F11
    bool ShowsPlayable() const { return FShowPlayable; }
    bool AnnouncesShots() const { return FAnnounceShots; }
    // Widget pixels per pixel of the designed table: the table, its strip and the about
    // screen are drawn this much larger, fitted and centred in the window.
    qreal Zoom() const { return FZoom; }
    void ApplyZoom(qreal Zoom);
    // Sizes the window for the table at Zoom, or at the largest step below it whose window
    // fits the free area of its screen, and keeps the grown window on that screen.
    void ZoomWindow(qreal Zoom);
    bool ZoomFitsScreen(qreal Zoom) const;

protected:
    void CreateView();
    void ViewZoomInActionExecute();
    void ViewZoomOutActionExecute();
    void ViewActualSizeActionExecute();
    // The two checkable View choices: taken over and written to the settings file at once.
    void ViewShowPlayableActionExecute();
    void ViewAnnounceShotsActionExecute();
    void ViewFullScreenActionExecute();
    void SetFullScreen(bool On);
    void SaveViewChoice(const QString& Key, bool Value);
    void ScaleScoreboard(); // fonts, sizes and places of the strip at FZoom
    void LoadView();        // the zoom of the last run, from the settings file
    void SaveView();
    qreal FZoom = 1;
    bool FShowPlayable = Settings::DefaultShowPlayable;
    bool FAnnounceShots = Settings::DefaultAnnounceShots;
    int FLoadedZoomPercent = 0;
    QString FPlayerShownName;        // the strip's name before any cut to fit
    QWidget* FTableMargin = nullptr; // the green round the panel, the window's centre

    // --- What the table shows beyond the bare game (table/TableHints.cpp) ------------------
public:
    // The slots that carry a playable marker now, ascending.
    std::vector<int> MarkedSlots() const;
    // Shows a marker on every slot the player may play to while the window waits for the
    // player's move, and hides them otherwise (a sequence runs, the computer is to move, the
    // choice is off). Called whenever one of those changes.
    void RefreshPlayableMarkers();
    // Game > Hint (H): marks for a while the slot the All-Star level (the Legend, in a series
    // against it) would play with the player's top card. Nothing while a sequence runs or the computer is to move.
    QAction* GameHintAction = nullptr;
    void ShowHint();
    int HintedSlot() const; // the slot the hint marks now, -1 for none
    // The slot the strongest level would play the player's top card to, -1 for none: what
    // the hint marks and where Home puts the focus frame.
    int HintChoice() const;
    static constexpr int HintMs = 2000;
    // The outcome of a shot, "Goal!" or "Saved!", over the middle of the table, fading out
    // within ShotOutcomeMs without holding anything up. Nothing with Announce Goals and
    // Saves off.
    void ShowShotOutcome(bool Goal);
    bool ShotOutcomeShown() const; // still on the table, fading
    // The caption, a refusal's tip, the hint and the markers end with the match that
    // showed them.
    void ClearMatchLeftovers();
    static constexpr int ShotOutcomeMs = 1000;

protected:
    void HideHint();
    void EndShotOutcome();
    // A press at (X, Y) of the table on Slot, which the player may not play to: the rule
    // that refuses it, in a tooltip there. Nothing for a slot the player may play to, or
    // off the slots.
    void ExplainRefusal(int Slot, int X, int Y);
    // A press on a card is a press on its slot, so a refused one can say why; the reason
    // shows once the button is released, which would otherwise take the tooltip away.
    void PassCardPressesToSlots();
    void PassPressesToSlot(TBitmapLayer* Layer); // a press on Layer is one on the slot below
    QString FRefusalTip; // waiting for the release of the press it explains
    QPoint FRefusalTipAt;
    // The refusal's tip on the table: its slot (-1 for none), whether a press or a key
    // asked for it, and its text. It goes when the pointer or the focus frame leaves the
    // slot, or with the next move.
    struct TRefusalShown
    {
        int Slot = -1;
        bool ByPointer = false;
        QString Text;
    };
    TRefusalShown FRefusal;
    void HideRefusal();
    TBitmapLayer* FShotLayer = nullptr; // made when first shown
    QVariantAnimation* FShotFade = nullptr;
    // The window waits for the player's click: no sequence runs and the turn is marked.
    bool PlayerToMove() const;
    // A layer over the table of Picture, hidden, that passes presses on to the slot below.
    TBitmapLayer* AddOverlayLayer(const TBitmap32& Picture);
    TBitmapLayer* FMarkerLayers[SlotCount + 1] = {}; // made when first shown
    TBitmapLayer* FHintLayer = nullptr;              // made when first shown
    int FHintedSlot = -1;
    QTimer* FHintTimer = nullptr;
    // --- Keyboard play and screen reader (table/TableKeyboard.cpp, TableAccessible.cpp,
    // TableRefusal.cpp) --------------------------------------------------------------------
    void BuildTableKeyboard(); // the focus frame, and the table's accessible slots
    void BuildTableAccessible();
    // The table's keys and focus changes; true when the event was used.
    bool TableKeyboardEvent(QEvent* e);
    void SetFocusSlot(int Slot);
    void ShowFocusFrame(); // on FFocusSlot while the table has the keyboard focus
    // Space or Enter: plays the focused slot as a click would, or says why it may not.
    void PlayFocusedSlot();
    void ShowRefusal(int Slot);
    QRect SlotWidgetRect(int Slot) const; // the slot's card rectangle in the table's pixels
    void Announce(const std::string& Text);
    void AnnounceMove(TTurn Side, int Slot, const TSteps& Steps);
    void AnnounceTurn();
    void AnnouncePeriodEnd();
    void TableChanged();    // the slots' names and states may have changed
    void TableFocusMoved(); // the focus frame moved
    int FFocusSlot = slotPack;
    TBitmapLayer* FFocusLayer = nullptr;
    QLineEdit* FAnnouncer = nullptr;
    int FAnnouncedTurn = -1; // the side whose turn was last announced, -1 for none

    friend class TMainFormTestAccess; // tests reach the private engine and presentation
};

// The program-wide main window, created once at start-up.
extern TMainForm* MainForm;
