#pragma once
// The game's vocabulary: ranks, sides, options, the pack and the table slots, and the
// few free functions the whole program shares.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>
#include <functional>

#include "game/Cards.h"
#include "game/Match.h"
#include "platform/Image32.h"

class QWidget;
class QRandomGenerator;
class TMatchRandom;

// A card as the table shows it; its picture is the table's, kept by card number.
struct TPlayingCard
{
    uint8_t CardNo = 0; // place in the pack, 1..52, never changes
    uint8_t Suit = 0;   // 0 diamonds, 1 hearts, 2 spades, 3 clubs
    TCardValue Value = cvTwo;
    uint8_t Kind = kindFaceUp;
    bool Beaten = false;
};

struct TPackOfCards
{
    // Numbers the cards 1..52 in the unshuffled order, every one face up and unbeaten.
    TPackOfCards();

    uint8_t bTopCardsIndex = 0;
    TPlayingCard CardArray[CardCount + 1]; // numbered 1..52; element 0 is unused

    TPlayingCard& Card(int cardNo) { return CardArray[cardNo]; }
    const TPlayingCard& Card(int cardNo) const { return CardArray[cardNo]; }
};

// Every card picture and slot of the designed table is this size.
inline constexpr int CardWidth = 53;
inline constexpr int CardHeight = 83;
// The card rectangle of slot 1..14 on the designed table.
TFloatRect SlotRect(int Slot);

// A slot as the table shows it. Whether it may be played to is the match's to say.
struct THotSpotRect
{
    uint8_t bhotspot = 0;
    TFloatRect HotSpotLocation{};
    TBitmapLayer* HSLayer = nullptr;
    TPlayingCard* Card = nullptr; // the card picture lying in the slot, or none
};

// The generator of ShuffleCards.
TMatchRandom& MatchRandom();
// The generator of the about screen's animation; tests call SeedRandom to repeat it.
QRandomGenerator& GameRandom();
void SeedRandom(quint32 seed);
// Where the shuffle takes its fresh seed: the clock, unless a test installs a source of
// its own (an empty function restores the clock).
using TSeedSource = std::function<quint32()>;
void SetShuffleSeedSource(TSeedSource Source);
// A fresh shuffle seed from that source.
uint32_t NextShuffleSeed();
int RandomInt(int n); // uniform 0 .. n-1
double RandomReal();  // uniform [0, 1)

// Deals the pack into the engine's shuffled order (TMatch's ShufflePackOrder) from a
// fresh seed, starting from the order it has; every card face up and unbeaten, card 1 on
// top.
void ShuffleCards(TPackOfCards& Pack);
// Gives the pack the faces of Order, every card face up and unbeaten, card 1 on top.
void LayPack(TPackOfCards& Pack, const TPackOrder& Order);
void SwapCards(TPackOfCards& Pack, uint8_t I, uint8_t J);
QString OrdinalWord(unsigned N);
// The skill levels' names in the order of TSkillLevel, as the player reads them.
QStringList SkillLevelTexts();

// Modal results, as the game's callers compare them.
enum TModalResult : int
{
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrYes = 6,
    mrNo = 7
};

// Standard message box centred on (X, Y): when X >= 0 its left edge is X minus half its
// width, when Y >= 0 its top is Y minus half its height (halves rounded, ties to even);
// both negative centre it on the screen; one negative keeps the default on that axis.
// Enter presses DefaultButton; without one the toolkit chooses.
TModalResult MessageDlgAt(const QString& Msg, QMessageBox::Icon DlgType,
                          QMessageBox::StandardButtons Buttons, int32_t HelpCtx, int32_t X,
                          int32_t Y, QWidget* Parent = nullptr,
                          QMessageBox::StandardButton DefaultButton = QMessageBox::NoButton);
// Yes/No question centred on (X, Y).
TModalResult QuestionAt(const QString& Msg, int32_t X, int32_t Y, QWidget* Parent = nullptr,
                        QMessageBox::StandardButton DefaultButton = QMessageBox::NoButton);
