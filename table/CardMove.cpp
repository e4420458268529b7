// A card's flight across the table: the straight path is worked out in full first, then
// each tick of MoveCardThreadedTimer shows the next point, and the last one lands the card.
#include "app/Main.h"
#include "table/TableLook.h"

#include "timer/ThreadedTimer.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <cmath>

void TMainForm::ComputeCardPath(const TFloatRect& From, const TFloatRect& Dest)
{
    FLocationArray.clear();
    // A zero step would never get anywhere: such a move has no path, like one that does
    // not go to the right.
    if (FStep == 0)
        return;

    const long double x0 = From.Left;
    const long double y0 = From.Top;
    const long double x1 = Dest.Left;
    const long double y1 = Dest.Top;
    const double d = double(std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0)));

    int s = 0;
    float left = From.Left;
    while (left < Dest.Left) {
        s += FStep;
        const long double along = s;
        TFloatRect point;
        point.Left = float(((d - along) * x0 + along * x1) / d);
        point.Top = float(((d - along) * y0 + along * y1) / d);
        point.Right = point.Left + float(CardWidth);
        point.Bottom = point.Top + float(CardHeight);
        if (point.Left >= Dest.Left)
            point = Dest; // the last point is exactly the slot
        FLocationArray.push_back(point);
        left = point.Left;
    }
}

void TMainForm::MoveCard(THotSpotRect Source, THotSpotRect Dest)
{
    // Two moves must never share the path, the timer and the slot copies. The engine never
    // asks for a move while one runs; should it happen anyway (from inside the wait below
    // or from a tick), the new move is refused and the running one goes on undisturbed.
    if (!FLocationArray.empty() || FMovingCard || MoveCardThreadedTimer->Enabled())
        return;
    TBitmapLayer* layer = Source.Card ? CardLayer(*Source.Card) : nullptr;
    if (layer == nullptr)
        return;

    for (int slot = 1; slot <= SlotCount; ++slot)
        SetLayerOpacity(FHotSpotRects[slot].HSLayer, 0);

    ComputeCardPath(layer->Location(), Dest.HotSpotLocation);

    FMovingCard = false;
    FMovingSourceRect = Source;
    FMovingDestRect = Dest;

    if (FLocationArray.empty()) {
        // No way to fly there: the card goes straight to its place and lands, so that the
        // engine finds the table as after any other move.
        FGameTableImage->BeginUpdate();
        layer->SetLocation(Dest.HotSpotLocation);
        FGameTableImage->EndUpdate();
        FGameTableImage->Repaint();
        LandCard(FMovingSourceRect, FMovingDestRect);
        return;
    }

    MoveCardThreadedTimer->SetTag(0);
    MoveCardThreadedTimer->SetEnabled(true);
    // Blocks until the next event each time round; the last tick disables the timer.
    while (MoveCardThreadedTimer->Enabled())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TMainForm::MoveCardThreadedTimerTimer(QObject* /*Sender*/)
{
    MoveCardThreadedTimer->SetTag(MoveCardThreadedTimer->Tag() + 1);
    if (FMovingCard)
        return;
    if (FLocationArray.empty()) {
        // A tick with no move under way has nothing to show or land.
        MoveCardThreadedTimer->SetEnabled(false);
        return;
    }

    FMovingCard = true;
    // Cleared however the tick ends: the timer swallows a failing handler, and a flag left
    // set would freeze every later move.
    struct TClearFlag
    {
        bool& Flag;
        ~TClearFlag() { Flag = false; }
    } clearFlag{FMovingCard};

    const int shown = MoveCardThreadedTimer->Tag();
    const int count = int(FLocationArray.size());
    TBitmapLayer* layer = CardLayer(*FMovingSourceRect.Card);
    FGameTableImage->BeginUpdate();
    layer->SetLocation(FLocationArray[size_t(std::min(shown, count) - 1)]);
    FGameTableImage->EndUpdate();
    FGameTableImage->Repaint();

    if (shown >= count) {
        MoveCardThreadedTimer->SetEnabled(false);
        FLocationArray.clear();
        LandCard(FMovingSourceRect, FMovingDestRect);
    }
}
