// What the table offers the player beyond the bare game: a marker on every slot the top
// card may go to, the hint of the strongest level's move, and the reason a press was
// refused. Markers and hint are layers of the table, so they scale with it; they change
// only when the turn, the choice or the hint does, and cost nothing while the game waits.

#include "app/Main.h"
#include "game/Refusals.h"
#include "table/TableLook.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolTip>

#include <cmath>

namespace {

// Pale yellow on a dark edge: it reads on the green cloth, on white card faces and on both
// card backs, and needs no telling red from green.
const QColor MarkerLight(255, 240, 150);
const QColor MarkerEdge(25, 25, 25);

// A card-sized picture drawn by Draw in the table's own pixels, at Ratio device pixels
// per pixel.
template <typename TDraw> QImage CardOverlay(qreal Ratio, TDraw Draw)
{
    QImage image(int(std::ceil(CardWidth * Ratio)), int(std::ceil(CardHeight * Ratio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(Ratio, Ratio);
    Draw(painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

// Four corner ticks just inside the card, apart from the hover frame, which runs all round
// outside it, and no wider than the margin before the card's index. Each tick is a dark
// band two pixels wide along the card's edge, lined inside with a pale band as wide: on
// white faces and card edges the dark band stands out, on the backs and the green the
// pale one does.
QImage MarkerPicture(qreal Ratio)
{
    return CardOverlay(Ratio, [](QPainter& P) {
        constexpr qreal Band = 2;
        constexpr qreal Arm = 10;
        // The ticks with their lines Inset from the card's edges, Reach long from the corner.
        const auto ticks = [](qreal Inset, qreal Reach) {
            QPainterPath path;
            const qreal right = CardWidth - Inset;
            const qreal bottom = CardHeight - Inset;
            const auto tick = [&path, Reach](QPointF Corner, qreal Dx, qreal Dy) {
                path.moveTo(Corner.x() + Dx * Reach, Corner.y());
                path.lineTo(Corner);
                path.lineTo(Corner.x(), Corner.y() + Dy * Reach);
            };
            tick({Inset, Inset}, 1, 1);
            tick({right, Inset}, -1, 1);
            tick({Inset, bottom}, 1, -1);
            tick({right, bottom}, -1, -1);
            return path;
        };
        P.setBrush(Qt::NoBrush);
        // Dark under the whole tick, so it also closes the pale band's end.
        P.setPen(QPen(MarkerEdge, 2 * Band, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        P.drawPath(ticks(Band, Arm));
        P.setPen(QPen(MarkerLight, Band, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        P.drawPath(ticks(1.5 * Band, Arm - Band / 2));
    });
}

namespace {

// The hint: the whole card washed light and framed in white on a dark edge, bolder than
// the markers' corners and inside the card where the hover frame runs outside it.
QImage HintPicture(qreal Ratio)
{
    return CardOverlay(Ratio, [](QPainter& P) {
        const QRectF card(0, 0, CardWidth, CardHeight);
        P.fillRect(card, QColor(255, 255, 255, 70));
        P.setBrush(Qt::NoBrush);
        const QRectF edge = card.adjusted(2.5, 2.5, -2.5, -2.5);
        P.setPen(QPen(MarkerEdge, 5));
        P.drawRect(edge);
        P.setPen(QPen(Qt::white, 3));
        P.drawRect(edge);
    });
}

TBitmap32 ScaledPicture(QImage (*Draw)(qreal))
{
    TBitmap32 picture(Draw(1));
    picture.SetRenderer(Draw);
    picture.SetDrawMode(dmBlend);
    picture.SetMasterAlpha(0);
    return picture;
}

} // namespace

TBitmapLayer* TMainForm::AddOverlayLayer(const TBitmap32& Picture)
{
    TBitmapLayer* layer = FGameTableImage->Layers().Add();
    layer->Bitmap().Assign(Picture);
    layer->Bitmap().SetDrawMode(dmBlend);
    layer->Bitmap().SetMasterAlpha(0);
    PassPressesToSlot(layer);
    return layer;
}

void TMainForm::PassPressesToSlot(TBitmapLayer* Layer)
{
    // The topmost layer hears a press: the slot underneath decides what it means.
    Layer->OnMouseDown = [this](TBitmapLayer* Sender, Qt::MouseButton Button,
                                Qt::KeyboardModifiers Shift, int X,
                                int Y) { HotSpotMouseDown(Sender, Button, Shift, X, Y); };
}

bool TMainForm::PlayerToMove() const
{
    if (SequenceRunning() || !FCanMoveCard || FMatch.Turn() != tuPlayer)
        return false;
    // Marked for the player's turn: the turn has been handed over and the period goes on.
    for (int slot = 1; slot <= SlotCount; ++slot)
        if (FMatch.Canplay(slot))
            return true;
    return false;
}

void TMainForm::RefreshPlayableMarkers()
{
    if (FGameTableImage == nullptr)
        return;
    // A hint is for the move the player was about to make.
    if (!PlayerToMove())
        HideHint();
    std::vector<int> playable;
    if (FShowPlayable && PlayerToMove())
        playable = FMatch.Playable(tuPlayer);
    if (playable.empty() && FMarkerLayers[slotPack] == nullptr)
        return; // never shown: nothing to hide
    if (FMarkerLayers[slotPack] == nullptr) {
        const TBitmap32 picture = ScaledPicture(MarkerPicture);
        for (int slot = 1; slot <= SlotCount; ++slot) {
            FMarkerLayers[slot] = AddOverlayLayer(picture);
            FMarkerLayers[slot]->SetLocation(FHotSpotRects[slot].HotSpotLocation);
        }
    }
    for (int slot = 1; slot <= SlotCount; ++slot) {
        TBitmapLayer* marker = FMarkerLayers[slot];
        const bool shown = std::ranges::find(playable, slot) != playable.end();
        // Above the cards that moved since the markers were last shown.
        if (shown)
            marker->BringToFront();
        marker->Bitmap().SetMasterAlpha(shown ? 255 : 0);
    }
}

std::vector<int> TMainForm::MarkedSlots() const
{
    std::vector<int> slots;
    for (int slot = 1; slot <= SlotCount; ++slot)
        if (FMarkerLayers[slot] != nullptr && FMarkerLayers[slot]->Bitmap().Shows())
            slots.push_back(slot);
    return slots;
}

void TMainForm::ShowHint()
{
    if (FGameTableImage == nullptr || !PlayerToMove())
        return;
    const int slot = HintChoice();
    if (slot < 1)
        return;
    if (FHintLayer == nullptr) {
        FHintLayer = AddOverlayLayer(ScaledPicture(HintPicture));
        FHintTimer = new QTimer(this);
        FHintTimer->setSingleShot(true);
        connect(FHintTimer, &QTimer::timeout, this, [this] { HideHint(); });
    }
    FHintedSlot = slot;
    FHintLayer->SetLocation(FHotSpotRects[slot].HotSpotLocation);
    FHintLayer->BringToFront();
    FHintLayer->Bitmap().SetMasterAlpha(255);
    FHintTimer->start(HintMs); // asked again, the two seconds start again
}

int TMainForm::HintChoice() const
{
    // Against the Legend the hint looks ahead as it does; otherwise it is All-Star's plan.
    const TSkillLevel level = FMatch.Level() == slLegend ? slLegend : slAllStar;
    const int slot = FMatch.LevelChoiceFor(tuPlayer, level);
    return slot >= 1 && slot <= SlotCount ? slot : -1;
}

void TMainForm::ClearMatchLeftovers()
{
    EndShotOutcome();
    HideRefusal();
    HideHint();
    RefreshPlayableMarkers();
}

void TMainForm::HideHint()
{
    if (FHintLayer == nullptr || FHintedSlot == -1)
        return;
    FHintTimer->stop();
    FHintLayer->Bitmap().SetMasterAlpha(0);
    FHintedSlot = -1;
}

int TMainForm::HintedSlot() const
{
    return FHintedSlot;
}

void TMainForm::ExplainRefusal(int Slot, int X, int Y)
{
    if (Slot < 1 || Slot > SlotCount)
        return;
    const std::string text = RefusalText(FMatch, Slot);
    if (text.empty())
        return;
    const QPoint at = FGameTableImage->WidgetRect(QRect(X, Y, 1, 1)).topLeft();
    FRefusalTip = QString::fromStdString(text);
    FRefusalTipAt = FGameTableImage->mapToGlobal(at);
    FRefusal = {Slot, true, FRefusalTip};
}

namespace {

// Shows the reason of a refused press when its button comes up: a tooltip shown during
// the press would be hidden by the release.
class TRefusalTipOnRelease : public QObject
{
public:
    TRefusalTipOnRelease(QWidget& Table, QString& Tip, const QPoint& At)
        : QObject(&Table), FTable(Table), FTip(Tip), FAt(At)
    {
        Table.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*Watched*/, QEvent* Event) override
    {
        if (Event->type() == QEvent::MouseButtonRelease && !FTip.isEmpty()) {
            QToolTip::showText(FAt, FTip, &FTable);
            FTip.clear();
        }
        return false;
    }

private:
    QWidget& FTable;
    QString& FTip;
    const QPoint& FAt;
};

} // namespace

void TMainForm::PassCardPressesToSlots()
{
    new TRefusalTipOnRelease(*FGameTableImage, FRefusalTip, FRefusalTipAt);
    for (int i = 1; i <= CardCount; ++i) {
        if (TBitmapLayer* layer = CardLayer(i))
            PassPressesToSlot(layer);
    }
}
