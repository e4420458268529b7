// Keyboard play on the table: a focus frame on one slot, moved by the arrow keys, Tab and
// Home; Space or Enter plays the slot as a click would.
#include "table/TableKeyboard.h"

#include "app/Main.h"
#include "game/Narration.h"
#include "table/TableAccessible.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace table {

namespace {

QPointF Centre(int Slot)
{
    const TFloatRect r = SlotRect(Slot);
    return {(r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0};
}

// The frame stands this far outside the card, round the hover frame.
constexpr int FocusMargin = 6;
constexpr int FocusLine = 3;

// A yellow and black dashed outline: readable on the green table whatever colours the
// player tells apart, and unlike the solid red, blue or black hover frames.
QImage FocusFramePicture(qreal Ratio)
{
    const QSize size(CardWidth + 2 * FocusMargin, CardHeight + 2 * FocusMargin);
    QImage image(size * Ratio, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(Ratio, Ratio);
    const QRectF outline =
        QRectF(QPointF(0, 0), QSizeF(size))
            .adjusted(FocusLine / 2.0, FocusLine / 2.0, -FocusLine / 2.0, -FocusLine / 2.0);
    painter.setPen(
        QPen(QColor(255, 215, 0), FocusLine, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(outline);
    QPen dashes(Qt::black, FocusLine, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    dashes.setDashPattern({2, 2});
    painter.setPen(dashes);
    painter.drawRect(outline);
    painter.end();
    return image;
}

} // namespace

const std::array<int, SlotCount>& ReadingOrder()
{
    static const std::array<int, SlotCount> order = [] {
        std::array<int, SlotCount> slots{};
        for (int i = 0; i < SlotCount; ++i)
            slots[i] = i + 1;
        std::ranges::sort(slots, [](int a, int b) {
            const TFloatRect ra = SlotRect(a);
            const TFloatRect rb = SlotRect(b);
            return ra.Top != rb.Top ? ra.Top < rb.Top : ra.Left < rb.Left;
        });
        return slots;
    }();
    return order;
}

int ReadingIndex(int Slot)
{
    const auto& order = ReadingOrder();
    const auto at = std::ranges::find(order, Slot);
    return at == order.end() ? -1 : int(at - order.begin());
}

int SlotInDirection(int From, int Dx, int Dy)
{
    const QPointF from = Centre(From);
    int best = From;
    double bestScore = 0;
    for (int slot = 1; slot <= SlotCount; ++slot) {
        const QPointF d = Centre(slot) - from;
        const double along = d.x() * Dx + d.y() * Dy;
        if (slot == From || along <= 0)
            continue;
        const double across = std::abs(d.x() * Dy) + std::abs(d.y() * Dx);
        const double score = along + 2 * across;
        if (best == From || score < bestScore) {
            best = slot;
            bestScore = score;
        }
    }
    return best;
}

} // namespace table

void TMainForm::BuildTableKeyboard()
{
    FGameTableImage->setFocusPolicy(Qt::StrongFocus);
    BuildTableAccessible();
}

QRect TMainForm::SlotWidgetRect(int Slot) const
{
    const TFloatRect r = SlotRect(Slot);
    return FGameTableImage->WidgetRect(
        QRect(int(r.Left), int(r.Top), int(r.Right - r.Left), int(r.Bottom - r.Top)));
}

void TMainForm::ShowFocusFrame()
{
    const bool shown = FGameTableImage->hasFocus();
    if (FFocusLayer == nullptr) {
        if (!shown)
            return;
        // Made the first time the table takes the focus, above the slots and the cards.
        FFocusLayer = FGameTableImage->Layers().Add();
        TBitmap32& bitmap = FFocusLayer->Bitmap();
        bitmap.SetImage(table::FocusFramePicture(1));
        for (qreal ratio : {1.5, 2.0, 3.0})
            bitmap.AddVariant([ratio] { return table::FocusFramePicture(ratio); }, ratio);
        bitmap.SetDrawMode(dmBlend);
        PassPressesToSlot(FFocusLayer);
    }
    const TFloatRect r = SlotRect(FFocusSlot);
    FFocusLayer->SetLocation({r.Left - table::FocusMargin, r.Top - table::FocusMargin,
                              r.Right + table::FocusMargin, r.Bottom + table::FocusMargin});
    // Cards brought forward by their flights would cover it.
    if (shown)
        FFocusLayer->BringToFront();
    SetLayerOpacity(FFocusLayer, shown ? 255 : 0);
    FGameTableImage->Invalidate();
}

void TMainForm::SetFocusSlot(int Slot)
{
    if (Slot < 1 || Slot > SlotCount)
        return;
    // A tip given for the framed slot goes with the frame.
    if (!FRefusal.ByPointer && Slot != FRefusal.Slot)
        HideRefusal();
    FFocusSlot = Slot;
    ShowFocusFrame();
    TableFocusMoved();
}

bool TMainForm::TableKeyboardEvent(QEvent* e)
{
    switch (e->type()) {
    case QEvent::FocusIn: {
        // Tab enters at the first slot, Shift+Tab at the last; otherwise the frame comes
        // back where it was.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason == Qt::TabFocusReason)
            FFocusSlot = table::ReadingOrder().front();
        else if (reason == Qt::BacktabFocusReason)
            FFocusSlot = table::ReadingOrder().back();
        SetFocusSlot(FFocusSlot);
        return false;
    }
    case QEvent::FocusOut:
        ShowFocusFrame();
        return false;
    case QEvent::KeyPress:
        break;
    default:
        return false;
    }

    const auto* key = static_cast<QKeyEvent*>(e);
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                                           Qt::AltModifier | Qt::MetaModifier);
    const bool plain = mods == Qt::NoModifier || mods == Qt::ShiftModifier;
    if (!plain)
        return false;
    switch (key->key()) {
    case Qt::Key_Left:
        SetFocusSlot(table::SlotInDirection(FFocusSlot, -1, 0));
        return true;
    case Qt::Key_Right:
        SetFocusSlot(table::SlotInDirection(FFocusSlot, 1, 0));
        return true;
    case Qt::Key_Up:
        SetFocusSlot(table::SlotInDirection(FFocusSlot, 0, -1));
        return true;
    case Qt::Key_Down:
        SetFocusSlot(table::SlotInDirection(FFocusSlot, 0, 1));
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        const bool forward = key->key() == Qt::Key_Tab && mods == Qt::NoModifier;
        const int index = table::ReadingIndex(FFocusSlot) + (forward ? 1 : -1);
        if (index >= 0 && index < SlotCount) {
            SetFocusSlot(table::ReadingOrder()[index]);
            return true;
        }
        // Past the last slot the focus goes on round the window; with nothing else to
        // take it, it comes round to the table's other end.
        focusNextPrevChild(forward);
        if (FGameTableImage->hasFocus())
            SetFocusSlot(forward ? table::ReadingOrder().front() : table::ReadingOrder().back());
        return true;
    }
    case Qt::Key_Home: {
        // The hint's slot: the first playable one may be a move that gives a goal away,
        // the pack with the own goal open, and Home then Enter is a way to play.
        int slot = HintChoice();
        if (slot < 1) {
            const std::vector<int> playable = FMatch.Playable(tuPlayer);
            slot = playable.empty() ? -1 : playable.front();
        }
        if (slot >= 1)
            SetFocusSlot(slot);
        return true;
    }
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!key->isAutoRepeat())
            PlayFocusedSlot();
        return true;
    default:
        return false;
    }
}

void TMainForm::PlayFocusedSlot()
{
    // Keys pressed while cards fly are dropped, as clicks are.
    if (SequenceRunning())
        return;
    if (!PlayerMayPlay(FFocusSlot)) {
        ShowRefusal(FFocusSlot);
        return;
    }
    PlaySlot(FFocusSlot);
}
