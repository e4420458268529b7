// The card table: slot outlines and marks, one highlight frame per slot, the cards'
// pictures, and the hover that lights a slot the player may play to.
#include "app/Main.h"
#include "table/TableLook.h"
#include "table/Captions.h"

#include <QEvent>
#include <QFrame>
#include <QPalette>
#include <QVBoxLayout>

using table::SetCaption;

namespace {

constexpr int FrameMargin = 3;
constexpr int TableWidth = 344;
constexpr int TableHeight = 538;
constexpr int StripHeight = 17;

// Pictures of GameBitmap32List used by the scene.
enum : int
{
    picPlayerBack = 0,
    picComputerBack = 1,
    picPackMark = 2,
    picDiscardMark = 3,
    picSlotOutline = 4,
    picBlackFrame = 6,
    picRedFrame = 7,
    picBlueFrame = 8
};

// A new layer on top of `image`, showing a copy of `picture` blended at `alpha`, its
// top-left corner at (left, top).
TBitmapLayer* AddPictureLayer(TImage32& image, const TBitmap32& picture, uint8_t alpha, float left,
                              float top)
{
    TBitmapLayer* layer = image.Layers().Add();
    TBitmap32& bitmap = layer->Bitmap();
    bitmap.Assign(picture);
    bitmap.SetDrawMode(dmBlend);
    bitmap.SetMasterAlpha(alpha);
    layer->SetLocation({left, top, left + float(picture.Width()), top + float(picture.Height())});
    return layer;
}

// The face picture of Card in Faces, which holds the 52 faces suit by suit.
const TBitmap32& FacePicture(const TBitmap32List& Faces, const TPlayingCard& Card)
{
    return Faces.Bitmap(Card.Suit * 13 + Card.Value);
}

} // namespace

void TMainForm::BuildTableScene()
{
    FGameTableImage = new TImage32(CardTablePanel);
    FGameTableImage->SetColor(TableGreen());
    FGameTableImage->setFixedHeight(TableHeight);
    FGameTableImage->resize(TableWidth, TableHeight);
    FGameTableImage->OnMouseMove = [this](QObject* Sender, Qt::KeyboardModifiers Shift, int X,
                                          int Y, TBitmapLayer* Layer) {
        GameTableMouseMove(Sender, Shift, X, Y, Layer);
    };
    FGameTableImage->installEventFilter(this);

    FGameTableImage->BeginUpdate();

    const auto addSlot = [this](int slot, int markPicture, int framePicture) {
        const TFloatRect rect = SlotRect(slot);
        AddPictureLayer(*FGameTableImage, GameBitmap32List->Bitmap(markPicture), 255, rect.Left,
                        rect.Top);
        THotSpotRect& hotSpot = FHotSpotRects[slot];
        hotSpot.HotSpotLocation = rect;
        hotSpot.bhotspot = uint8_t(slot);
        hotSpot.HSLayer = AddPictureLayer(*FGameTableImage, GameBitmap32List->Bitmap(framePicture),
                                          0, rect.Left - FrameMargin, rect.Top - FrameMargin);
        hotSpot.HSLayer->OnMouseDown = [this](TBitmapLayer* Sender, Qt::MouseButton Button,
                                              Qt::KeyboardModifiers Shift, int X, int Y) {
            HotSpotMouseDown(Sender, Button, Shift, X, Y);
        };
    };
    for (int slot = 2; slot <= 13; ++slot)
        addSlot(slot, picSlotOutline, slot <= 7 ? picRedFrame : picBlueFrame);
    addSlot(slotPack, picPackMark, picBlackFrame);
    addSlot(slotDiscard, picDiscardMark, picBlackFrame);

    BuildTableKeyboard();

    FGameTableImage->EndUpdate();
    FGameTableImage->Changed();

    // At the bottom of the panel: the strip, and below it a one-pixel black line.
    FShape1 = new QFrame(CardTablePanel);
    FShape1->setFixedHeight(1);
    FShape1->setAutoFillBackground(true);
    QPalette linePalette = FShape1->palette();
    linePalette.setColor(QPalette::Window, Qt::black);
    FShape1->setPalette(linePalette);

    FStaticsPanel = new QFrame(CardTablePanel);
    FStaticsPanel->setFrameShape(QFrame::NoFrame);
    FStaticsPanel->setFixedSize(TableWidth, StripHeight);
    FStaticsPanel->setAutoFillBackground(true);
    QPalette stripPalette = FStaticsPanel->palette();
    stripPalette.setColor(QPalette::Window, Qt::white);
    FStaticsPanel->setPalette(stripPalette);

    auto* column = new QVBoxLayout(CardTablePanel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(FGameTableImage);
    column->addStretch(1);
    column->addWidget(FStaticsPanel);
    column->addWidget(FShape1);
}

void TMainForm::SetLayerOpacity(TBitmapLayer* Layer, uint8_t Alpha)
{
    if (Layer == nullptr)
        return;
    Layer->Bitmap().SetDrawMode(dmBlend);
    Layer->Bitmap().SetMasterAlpha(Alpha);
}

void TMainForm::CreateCardLayers()
{
    for (int n = 1; n <= CardCount; ++n)
        FCardLayers[n] = FGameTableImage->Layers().Add();
}

TBitmapLayer* TMainForm::CardLayer(int CardNo) const
{
    return CardNo >= 1 && CardNo <= CardCount ? FCardLayers[CardNo] : nullptr;
}

void TMainForm::ShowCard(uint8_t CardNo, uint8_t Kind, bool Visible, bool BringToFront)
{
    TBitmapLayer* layer = CardLayer(CardNo);
    if (layer == nullptr)
        return;
    TPlayingCard& card = FPackOfCards.Card(CardNo);
    if (BringToFront)
        layer->BringToFront();
    card.Kind = Kind;
    TBitmap32& bitmap = layer->Bitmap();
    switch (Kind) {
    case kindFaceUp:
        bitmap.Assign(FacePicture(*CardsBitmap32List, card));
        break;
    case kindComputerBack:
        bitmap.Assign(GameBitmap32List->Bitmap(picComputerBack));
        break;
    case kindPlayerBack:
        bitmap.Assign(GameBitmap32List->Bitmap(picPlayerBack));
        break;
    default:
        break; // an unknown kind keeps the picture
    }
    SetLayerOpacity(layer, Visible ? 255 : 0);
    // The caller goes on only once the change is on the screen.
    repaint();
}

void TMainForm::PlaceTopCard(uint8_t HotSpotNo)
{
    TPlayingCard* top = TopCard();
    if (top == nullptr || HotSpotNo < 1 || HotSpotNo > SlotCount)
        return;
    if (TBitmapLayer* layer = CardLayer(*top))
        layer->BringToFront();
    FHotSpotRects[HotSpotNo].Card = top;
}

void TMainForm::GatherCardLayers()
{
    const TFloatRect packRect = SlotRect(slotPack);
    for (int n = 1; n <= CardCount; ++n) {
        const TPlayingCard& card = FPackOfCards.Card(n);
        TBitmap32& bitmap = FCardLayers[n]->Bitmap();
        bitmap.Assign(FacePicture(*CardsBitmap32List, card));
        bitmap.SetDrawMode(dmBlend);
        // After the picture: assigning it takes over the list image's master alpha.
        bitmap.SetMasterAlpha(0);
        FCardLayers[n]->SetLocation(packRect);
    }
    // Stacked in pack order, card 1 on top.
    for (int n = CardCount; n >= 1; --n)
        FCardLayers[n]->BringToFront();
}

void TMainForm::TakeShuffledPack()
{
    LayPack(FPackOfCards, FMatch.PackOrder());
    GatherCardLayers();
}

void TMainForm::ShowPosition()
{
    // Bottom to top: the discard pile in the order it grew, the cards in the slots, the
    // pack with its top card uppermost.
    const TFloatRect discard = SlotRect(slotDiscard);
    const int top = FMatch.HasTopCard() ? FMatch.TopIndex() : CardCount + 1;
    for (int slot = 1; slot <= SlotCount; ++slot)
        FHotSpotRects[slot].Card = nullptr;
    for (int n = 1; n <= CardCount; ++n) {
        TPlayingCard& card = FPackOfCards.Card(n);
        card.Suit = FMatch.Face(n).Suit;
        card.Value = FMatch.Face(n).Value;
        card.Beaten = false;
        ShowCard(uint8_t(n), FMatch.Kind(n), false, false);
        FCardLayers[n]->SetLocation(SlotRect(slotPack));
    }
    for (int n = 1; n < top; ++n) {
        // Beaten cards that left the table are gone; the others lie on the discard pile.
        if (!FMatch.Beaten(n)) {
            FCardLayers[n]->SetLocation(discard);
            FCardLayers[n]->BringToFront();
            SetLayerOpacity(FCardLayers[n], 255);
        }
    }
    for (int slot = slotComputerGoal; slot <= slotPlayerGoal; ++slot) {
        const int n = FMatch.CardIn(slot);
        if (n == 0)
            continue;
        TPlayingCard& card = FPackOfCards.Card(n);
        card.Beaten = FMatch.Beaten(n);
        FCardLayers[n]->SetLocation(SlotRect(slot));
        FCardLayers[n]->BringToFront();
        SetLayerOpacity(FCardLayers[n], card.Beaten ? 100 : 255);
        FHotSpotRects[slot].Card = &card;
    }
    // The rest of the pack lies face up under its top card, as after the deal.
    for (int n = CardCount; n >= top; --n) {
        FCardLayers[n]->BringToFront();
        SetLayerOpacity(FCardLayers[n], 255);
    }
    FPackOfCards.bTopCardsIndex = uint8_t(top);
    FHotSpotRects[slotPack].Card = TopCard();
    for (int slot = 1; slot <= SlotCount; ++slot)
        SetLayerOpacity(FHotSpotRects[slot].HSLayer, 0);

    FGameTableImage->Repaint();
    // The strip exists once the first game has built it.
    if (FPeriodLabel == nullptr)
        return;
    SetCaption(FPeriodLabel, QStringLiteral("Period %1").arg(FMatch.PeriodNo()));
    AdvanceClock();
    for (TTurn side : {tuComputer, tuPlayer}) {
        if (FMatch.Goals(side) > 0)
            LogGoal(side);
        else
            SetCaption(side == tuComputer ? FComputerGoalsLabel : FPlayerGoalsLabel,
                       table::NoGoalsCaption);
    }
    const bool computer = FMatch.Turn() == tuComputer;
    FTurnArrowComputerImage->Bitmap().SetMasterAlpha(computer ? 255 : 100);
    FTurnArrowPlayerImage->Bitmap().SetMasterAlpha(computer ? 100 : 255);
    FTurnArrowComputerImage->Invalidate();
    FTurnArrowPlayerImage->Invalidate();
}

void TMainForm::ShowAllCards()
{
    for (int i = 1; i <= CardCount; ++i)
        SetLayerOpacity(FCardLayers[i], 255);
}

int TMainForm::SlotAt(int X, int Y) const
{
    for (int slot = 1; slot <= SlotCount; ++slot) {
        const TFloatRect& r = FHotSpotRects[slot].HotSpotLocation;
        if (r.Left <= X && X <= r.Right && r.Top <= Y && Y <= r.Bottom)
            return slot;
    }
    return -1;
}

bool TMainForm::PlayerMayPlay(int Slot) const
{
    return Slot >= 1 && Slot <= SlotCount && FMatch.Turn() == tuPlayer && FMatch.Canplay(Slot);
}

void TMainForm::GameTableMouseMove(QObject* /*Sender*/, Qt::KeyboardModifiers /*Shift*/, int X,
                                   int Y, TBitmapLayer* /*Layer*/)
{
    const int found = SlotAt(X, Y);
    // A tip given for a press goes once the pointer leaves the slot it explains.
    if (FRefusal.ByPointer && found != FRefusal.Slot)
        HideRefusal();

    if (FLastHotSpot != found && FLastHotSpot != -1)
        SetLayerOpacity(FHotSpotRects[FLastHotSpot].HSLayer, 0);

    if (PlayerMayPlay(found)) {
        TBitmapLayer* frame = FHotSpotRects[found].HSLayer;
        if (frame != nullptr) {
            frame->BringToFront();
            SetLayerOpacity(frame, 255);
        }
    }

    FLastHotSpot = found;
}

void TMainForm::DarkenStaleFrames(bool NoneStays)
{
    for (int slot = 1; slot <= SlotCount; ++slot) {
        TBitmapLayer* frame = FHotSpotRects[slot].HSLayer;
        if (frame != nullptr && frame->Bitmap().MasterAlpha() != 0 &&
            (NoneStays || !PlayerMayPlay(slot)))
            SetLayerOpacity(frame, 0);
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* e)
{
    // A lit frame tells the player where the pointer may play; off the table it would
    // point at a slot the pointer is no longer over.
    if (watched == FGameTableImage && TableKeyboardEvent(e))
        return true;
    if (watched == FGameTableImage && e->type() == QEvent::Leave) {
        DarkenStaleFrames(true);
        FLastHotSpot = -1;
        if (FRefusal.ByPointer)
            HideRefusal();
    }
    return QMainWindow::eventFilter(watched, e);
}
