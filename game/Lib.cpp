#include "game/Lib.h"

#include "game/Match.h"
#include "game/SeriesRecord.h"
#include "platform/WindowSystem.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <QShowEvent>

#include <chrono>

QRandomGenerator& GameRandom()
{
    static QRandomGenerator generator(1u);
    return generator;
}

TMatchRandom& MatchRandom()
{
    static TMatchRandom generator;
    return generator;
}

void SeedRandom(quint32 seed)
{
    GameRandom().seed(seed);
}

int RandomInt(int n)
{
    return n <= 0 ? 0 : int(GameRandom().bounded(quint32(n)));
}

double RandomReal()
{
    return GameRandom().generateDouble();
}

namespace {

TSeedSource& ShuffleSeedSource()
{
    static TSeedSource source;
    return source;
}

// Nanoseconds fold into 32 bits, so two shuffles within the same millisecond still
// deal differently.
quint32 ClockSeed()
{
    const auto ns = std::chrono::system_clock::now().time_since_epoch().count();
    const auto bits = static_cast<quint64>(ns);
    return quint32(bits ^ (bits >> 32));
}

// Top-left corners of the card rectangles of slots 1..14.
struct TSlotPlace
{
    int Left;
    int Top;
};
constexpr TSlotPlace SlotPlaces[SlotCount + 1] = {
    {0, 0},    {8, 232},   {140, 8},   {110, 96},  {169, 96},  {80, 184},  {140, 184}, {200, 184},
    {80, 272}, {140, 272}, {200, 272}, {110, 360}, {169, 360}, {140, 448}, {272, 232},
};

} // namespace

TFloatRect SlotRect(int Slot)
{
    const TSlotPlace p = SlotPlaces[Slot];
    return {float(p.Left), float(p.Top), float(p.Left + CardWidth), float(p.Top + CardHeight)};
}

uint32_t NextShuffleSeed()
{
    const TSeedSource& source = ShuffleSeedSource();
    return source ? source() : ClockSeed();
}

void SetShuffleSeedSource(TSeedSource Source)
{
    ShuffleSeedSource() = std::move(Source);
}

TPackOfCards::TPackOfCards()
{
    const TPackOrder fresh = FreshPackOrder();
    for (int i = 1; i <= CardCount; ++i)
        CardArray[i] = {uint8_t(i), fresh[i].Suit, fresh[i].Value};
}

void SwapCards(TPackOfCards& Pack, uint8_t I, uint8_t J)
{
    TPlayingCard& a = Pack.Card(I);
    TPlayingCard& b = Pack.Card(J);
    std::swap(a.Suit, b.Suit);
    std::swap(a.Value, b.Value);
    b.Beaten = false;
}

void ShuffleCards(TPackOfCards& Pack)
{
    MatchRandom().Seed(NextShuffleSeed());
    TPackOrder order;
    for (int i = 1; i <= CardCount; ++i)
        order[i] = {Pack.Card(i).Suit, Pack.Card(i).Value};
    ShufflePackOrder(order, MatchRandom());
    LayPack(Pack, order);
}

void LayPack(TPackOfCards& Pack, const TPackOrder& Order)
{
    for (int i = 1; i <= CardCount; ++i) {
        TPlayingCard& card = Pack.Card(i);
        card.Suit = Order[i].Suit;
        card.Value = Order[i].Value;
        card.Kind = kindFaceUp;
        card.Beaten = false;
    }
    Pack.bTopCardsIndex = 1;
}

QStringList SkillLevelTexts()
{
    QStringList names;
    for (const char* name : SkillLevelNames)
        names << QString::fromLatin1(name);
    return names;
}

QString OrdinalWord(unsigned N)
{
    return QString::fromStdString(OrdinalText(N));
}

namespace {

QString CaptionFor(QMessageBox::Icon kind)
{
    switch (kind) {
    case QMessageBox::Warning:
        return QStringLiteral("Warning");
    case QMessageBox::Critical:
        return QStringLiteral("Error");
    case QMessageBox::Information:
        return QStringLiteral("Information");
    case QMessageBox::Question:
        return QStringLiteral("Confirm");
    default:
        return QGuiApplication::applicationDisplayName();
    }
}

TModalResult ToModalResult(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return mrOk;
    case QMessageBox::Cancel:
        return mrCancel;
    case QMessageBox::Yes:
        return mrYes;
    case QMessageBox::No:
        return mrNo;
    default:
        return mrNone;
    }
}

// A message box that places itself once its size is final: QMessageBox fixes its size in
// its own showEvent, so the position can only be worked out after that.
class TPlacedMessageBox : public QMessageBox
{
public:
    TPlacedMessageBox(QMessageBox::Icon icon, const QString& text,
                      QMessageBox::StandardButtons buttons, QWidget* parent, int x, int y)
        : QMessageBox(icon, CaptionFor(icon), text, buttons, parent, DialogFrameFlags()), FX(x),
          FY(y)
    {
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event); // final size, then the toolkit's default position
        // Where the compositor places every window, it centres the box over its parent.
        if (event->spontaneous() || !CanPlaceWindows())
            return;
        const QSize size = frameGeometry().size();
        QPoint topLeft = frameGeometry().topLeft();
        if (FX < 0 && FY < 0) {
            QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
            if (screen) {
                const QRect area = screen->availableGeometry();
                topLeft = QPoint(area.left() + (area.width() - size.width()) / 2,
                                 area.top() + (area.height() - size.height()) / 2);
            }
        } else {
            if (FX >= 0)
                topLeft.setX(FX - HalfTiesToEven(size.width()));
            if (FY >= 0)
                topLeft.setY(FY - HalfTiesToEven(size.height()));
        }
        move(topLeft);
    }

private:
    int FX;
    int FY;
};

} // namespace

TModalResult MessageDlgAt(const QString& Msg, QMessageBox::Icon DlgType,
                          QMessageBox::StandardButtons Buttons, int32_t HelpCtx, int32_t X,
                          int32_t Y, QWidget* Parent, QMessageBox::StandardButton DefaultButton)
{
    TPlacedMessageBox box(DlgType, Msg, Buttons, Parent, X, Y);
    if (DefaultButton != QMessageBox::NoButton)
        box.setDefaultButton(DefaultButton);
    // The help context travels with the box for the help layer; there is no help file
    // of its own.
    box.setProperty("helpContext", HelpCtx);
    box.setProperty("helpFile", QString());
    return ToModalResult(box.exec());
}

TModalResult QuestionAt(const QString& Msg, int32_t X, int32_t Y, QWidget* Parent,
                        QMessageBox::StandardButton DefaultButton)
{
    return MessageDlgAt(Msg, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, 0, X, Y,
                        Parent, DefaultButton);
}
