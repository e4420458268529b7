// The about screen: the logo with its pulsing caption over the table, six empty card
// places and the 52 faces drifting about half-transparently. It lies on top of the table
// without touching it, so the game and its card moves carry on underneath.

#include "table/About.h"

#include "app/Main.h"
#include "game/Lib.h"
#include "table/TableLook.h"
#include "timer/ThreadedTimer.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QPalette>
#include <QPointer>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Where the six outlines lie: both goals and all four defenders of the table.
constexpr QPoint OutlinePlaces[AboutOutlineCount] = {{140, 8},   {110, 96},  {169, 96},
                                                     {110, 360}, {169, 360}, {140, 448}};

TBitmapLayer* AddLayer(TImage32& Image, const TBitmap32& Picture, uint8_t Alpha, int Left, int Top)
{
    TBitmapLayer* layer = Image.Layers().Add();
    layer->Bitmap() = Picture;
    layer->Bitmap().SetDrawMode(dmBlend);
    layer->Bitmap().SetMasterAlpha(Alpha);
    layer->SetLocation(TFloatRect{float(Left), float(Top), float(Left + Picture.Width()),
                                  float(Top + Picture.Height())});
    return layer;
}

// The screen covers the panel from its inner top-left corner: as wide as the inside and
// as high as the whole panel. Only the inside is painted, so the panel's border stays in
// view; the screen's bottom line lies at the bottom of what is seen, where the table's own
// line is, as thick as the zoom makes a pixel.
void FitAboutScreen(QFrame& Panel, TImage32& Screen, QWidget* Line)
{
    const QRect inside = Panel.contentsRect();
    Screen.setGeometry(inside.left(), inside.top(), inside.width(), Panel.height());
    Screen.setMask(QRegion(0, 0, inside.width(), inside.height()));
    const int thickness = std::max(1, int(std::floor(Screen.Zoom())));
    if (Line)
        Line->setGeometry(0, inside.height() - thickness, Screen.width(), thickness);
}

// Keeps the screen fitted to the panel if the window's size changes while it is shown
// (the window settles its final size once the window manager has framed it).
class TAboutScreenFit : public QObject
{
public:
    TAboutScreenFit(QFrame& Panel, TImage32& Screen)
        : QObject(&Screen), FPanel(Panel), FScreen(Screen)
    {
        Panel.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Watched == &FPanel && Event->type() == QEvent::Resize)
            FitAboutScreen(FPanel, FScreen, FScreen.findChild<QFrame*>());
        return false;
    }

private:
    QFrame& FPanel;
    TImage32& FScreen;
};

// Escape, Space and Enter leave the screen as a click does. The screen takes the keyboard
// while it is shown, and gives it back to whatever had it before once it is gone.
class TAboutScreenKeys : public QObject
{
public:
    TAboutScreenKeys(TImage32& Screen, std::function<void()> Leave)
        : QObject(&Screen), FLeave(std::move(Leave)), FBefore(QApplication::focusWidget())
    {
        Screen.installEventFilter(this);
        Screen.setFocusPolicy(Qt::StrongFocus);
    }

protected:
    bool eventFilter(QObject* /*Watched*/, QEvent* Event) override
    {
        switch (Event->type()) {
        case QEvent::KeyPress:
            switch (static_cast<QKeyEvent*>(Event)->key()) {
            case Qt::Key_Escape:
            case Qt::Key_Space:
            case Qt::Key_Return:
            case Qt::Key_Enter:
                FLeave();
                return true;
            default:
                return false;
            }
        case QEvent::Hide:
            if (FBefore && FBefore->isVisible())
                FBefore->setFocus(Qt::OtherFocusReason);
            return false;
        default:
            return false;
        }
    }

private:
    std::function<void()> FLeave;
    QPointer<QWidget> FBefore;
};

// Clears the timer's busy mark however the tick handler is left.
class TTickBusy
{
public:
    explicit TTickBusy(TThreadedTimer& Timer) : FTimer(Timer) { FTimer.SetTag(1); }
    ~TTickBusy() { FTimer.SetTag(0); }
    TTickBusy(const TTickBusy&) = delete;
    TTickBusy& operator=(const TTickBusy&) = delete;

private:
    TThreadedTimer& FTimer;
};

} // namespace

TFloatPoint AboutBounce(const TFloatRect& R, TFloatPoint V, float Width, float Height)
{
    if (R.Left < 0 && V.X < 0)
        V.X = 1;
    if (R.Top < 0 && V.Y < 0)
        V.Y = 1;
    if (R.Right > Width && V.X > 0)
        V.X = -1;
    if (R.Bottom > Height && V.Y > 0)
        V.Y = -1;
    return V;
}

void AboutPulse(uint8_t& Alpha, int& Tag)
{
    if (Tag == 1) {
        if (Alpha >= 10 && Alpha <= 20)
            Tag = 0;
        else
            Alpha = uint8_t(Alpha - 5);
    } else {
        if (Alpha + 10 >= 255)
            Tag = 1;
        else
            Alpha = uint8_t(Alpha + 5);
    }
}

void TMainForm::ShowAboutScreen()
{
    // One screen at a time: About while it is up leaves the running screen as it is.
    if (FAboutImage)
        return;

    auto* screen = new TImage32(CardTablePanel);
    FAboutImage = screen;
    screen->SetColor(TableGreen());
    screen->SetZoom(FZoom);
    FitAboutScreen(*CardTablePanel, *screen, nullptr);
    screen->OnClick = [this](QObject* Sender) { LogoClick(Sender); };

    screen->BeginUpdate();
    for (const QPoint& place : OutlinePlaces)
        AddLayer(*screen, GameBitmap32List->Bitmap(4), 255, place.x(), place.y());

    // The draws per card come in a fixed order: alpha, left, top, then the velocity.
    FVelocityArray.clear();
    FVelocityArray.reserve(CardCount);
    for (int i = 0; i < CardCount; ++i) {
        const TBitmap32& face = CardsBitmap32List->Bitmap(i);
        const auto alpha = uint8_t(RandomInt(155) + 10);
        const int left = RandomInt(screen->LogicalWidth());
        const int top = RandomInt(screen->LogicalHeight());
        AddLayer(*screen, face, alpha, left, top);
        TFloatPoint velocity;
        velocity.X = float(RandomReal() - 0.5);
        velocity.Y = float(RandomReal() - 0.5);
        FVelocityArray.push_back(velocity);
    }

    // The logo is centred on the whole panel, border included; the caption on the screen.
    // Both in the table's own pixels, whatever its zoom.
    const TBitmap32& logo = LogoBitmap32List->Bitmap(0);
    const int panelWidth = int(std::lround(CardTablePanel->width() / FZoom));
    const int panelHeight = int(std::lround(CardTablePanel->height() / FZoom));
    AddLayer(*screen, logo, 255, HalfTiesToEven(panelWidth - logo.Width()) - 2,
             HalfTiesToEven(panelHeight - logo.Height()) - 2);
    const TBitmap32& caption = LogoBitmap32List->Bitmap(1);
    TBitmapLayer* captionLayer =
        AddLayer(*screen, caption, 255, HalfTiesToEven(screen->LogicalWidth() - caption.Width()),
                 HalfTiesToEven(screen->LogicalHeight() - caption.Height()) + 23);
    captionLayer->Tag = 1; // fading out first
    screen->EndUpdate();
    screen->Changed();

    auto* line = new QFrame(screen);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette linePalette = line->palette();
    linePalette.setColor(QPalette::Window, Qt::black);
    line->setPalette(linePalette);
    FShape2 = line;
    FitAboutScreen(*CardTablePanel, *screen, line);
    new TAboutScreenFit(*CardTablePanel, *screen);
    new TAboutScreenKeys(*screen, [this] { LogoClick(nullptr); });
    screen->setAccessibleName(QStringLiteral("About Brindletop"));
    screen->setAccessibleDescription(
        QStringLiteral("Click, or press Escape, Space or Enter, to return to the game."));

    screen->show();
    screen->raise();
    screen->setFocus(Qt::OtherFocusReason);
    AboutThreadedTimer->SetEnabled(true);
}

void TMainForm::AboutThreadedTimerTimer(QObject* /*Sender*/)
{
    if (!FAboutImage || AboutThreadedTimer->Tag() == 1)
        return;
    TTickBusy busy(*AboutThreadedTimer);

    TImage32& screen = *FAboutImage;
    const auto width = float(screen.LogicalWidth());
    const auto height = float(screen.LogicalHeight());
    screen.BeginUpdate();
    for (int i = 0; i < CardCount && i < int(FVelocityArray.size()); ++i) {
        TBitmapLayer* layer = screen.Layers().Items(AboutFirstCardLayer + i);
        TFloatPoint& v = FVelocityArray[size_t(i)];
        TFloatRect r = layer->Location();
        r.Left += v.X;
        r.Right += v.X;
        r.Top += v.Y;
        r.Bottom += v.Y;
        // A random walk without damping: the cards grow livelier until they bounce.
        v.X = float(v.X + RandomReal() - 0.5);
        v.Y = float(v.Y + RandomReal() - 0.5);
        v = AboutBounce(r, v, width, height);
        layer->SetLocation(r);
    }

    TBitmapLayer* captionLayer = screen.Layers().Items(AboutCaptionLayer);
    uint8_t alpha = captionLayer->Bitmap().MasterAlpha();
    AboutPulse(alpha, captionLayer->Tag);
    captionLayer->Bitmap().SetMasterAlpha(alpha);

    screen.EndUpdate();
    screen.Invalidate();
}

void TMainForm::LogoClick(QObject* /*Sender*/)
{
    AboutThreadedTimer->SetEnabled(false);
    if (!FAboutImage)
        return;
    // We are inside the screen's own click: forget it and hide it now, so that no tick
    // and no second click reaches it, and let the event loop destroy it (its layers and
    // its line with it) once the click has been handled.
    TImage32* screen = FAboutImage;
    FAboutImage = nullptr;
    FShape2 = nullptr;
    FVelocityArray.clear();
    screen->OnClick = nullptr;
    screen->hide();
    screen->deleteLater();
}
