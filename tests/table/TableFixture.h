#pragma once
// A main window with its table built and its pack dealt out of a fixed seed. Card moves
// run with the timer at interval 0, so they take no wall time.

#include "MainFormTestAccess.h"
#include "timer/ThreadedTimer.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <memory>

class TableFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetShuffleSeedSource([] { return 4711u; });
        Form = std::make_unique<TMainForm>();
        Form->MoveCardThreadedTimer->SetAllowZero(true);
        Form->MoveCardThreadedTimer->SetInterval(0);
        F().*A::FStep = 30;
    }
    void TearDown() override
    {
        Form.reset();
        SetShuffleSeedSource({});
    }

    TMainForm& F() { return *Form; }

    TMatch& M() { return F().*A::FMatch; }
    TPackOfCards& Pack() { return F().*A::FPackOfCards; }
    TPlayingCard& Card(int cardNo) { return Pack().Card(cardNo); }
    TBitmapLayer* LayerOf(const TPlayingCard& card) { return A::CardLayer(F(), card); }
    THotSpotRect& Slot(int slot) { return (F().*A::FHotSpotRects)[slot]; }
    TImage32& Table() { return *(F().*A::FGameTableImage); }
    TThreadedTimer& MoveTimer() { return *F().MoveCardThreadedTimer; }
    uint8_t FrameAlpha(int slot) { return Slot(slot).HSLayer->Bitmap().MasterAlpha(); }

    // The pack after a shuffle, shown and lying at slot 1 with card 1 on top, as the deal
    // has it before its first card moves.
    void ShufflePack()
    {
        ShuffleCards(Pack());
        (F().*A::GatherCardLayers)();
        (F().*A::ShowAllCards)();
        (F().*A::PlaceTopCard)(slotPack);
    }

    void MoveTopCardTo(int slot) { (F().*A::MoveCard)(Slot(slotPack), Slot(slot)); }

    // Real mouse events on the table image, in table coordinates.
    void SendMouse(QEvent::Type type, int x, int y, Qt::MouseButton button = Qt::NoButton)
    {
        const QPointF local(x, y);
        const QPointF global = Table().mapToGlobal(local);
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&Table(), &event);
    }
    void HoverAt(int x, int y) { SendMouse(QEvent::MouseMove, x, y); }
    void PressAt(int x, int y)
    {
        SendMouse(QEvent::MouseButtonPress, x, y, Qt::LeftButton);
        SendMouse(QEvent::MouseButtonRelease, x, y, Qt::LeftButton);
    }

    std::unique_ptr<TMainForm> Form;
};
