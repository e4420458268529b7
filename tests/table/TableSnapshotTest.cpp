// The table as the player sees it after a deal: rendered off screen and checked at a few
// telling pixels. The picture is kept (BT_SNAPSHOT names the file; the temporary folder
// otherwise) for a look by eye.
#include "TableFixture.h"

#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QPixmap>

#include <cstdlib>

namespace {

bool IsGreen(QRgb c)
{
    return qRed(c) == 0 && qGreen(c) == 128 && qBlue(c) == 0;
}

// Colours equal within the rounding of a nearly opaque picture blended over the table.
bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
           std::abs(qBlue(a) - qBlue(b)) <= 2;
}

// How many pixels of a rectangle have exactly the colour.
int CountColour(const QImage& image, const QRect& area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
    return n;
}

} // namespace

TEST_F(TableFixture, DealtTableLooksAsItShould)
{
    M().SetGameDealer(alComputer);
    (F().*A::BuildScoreboard)(QStringLiteral("Player"));

    // The deal of a period in which the computer moves first.
    ShuffleCards(Pack());
    (F().*A::GatherCardLayers)();
    (F().*A::ShowCard)(1, kindComputerBack, false, false);
    (F().*A::ShowCard)(12, kindPlayerBack, false, false);
    (F().*A::ShowAllCards)();
    (F().*A::PlaceTopCard)(slotPack);
    for (int slot = 2; slot <= 13; ++slot)
        MoveTopCardTo(slot);
    ASSERT_EQ(Pack().bTopCardsIndex, 13);

    F().layout()->activate();
    F().CardTablePanel->layout()->activate();
    const QImage shot = F().grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString file = qEnvironmentVariableIsSet("BT_SNAPSHOT")
                             ? qEnvironmentVariable("BT_SNAPSHOT")
                             : QDir::temp().filePath(QStringLiteral("brindletop-table.png"));
    EXPECT_TRUE(shot.save(file)) << file.toStdString();

    // Table coordinates in the shot: the panel's border is one pixel wide.
    const QPoint table = Table().mapTo(Form.get(), QPoint(0, 0));
    const auto at = [&](int x, int y) { return shot.pixel(table.x() + x, table.y() + y); };

    EXPECT_TRUE(IsGreen(at(30, 20)));                                         // bare table
    EXPECT_TRUE(IsGreen(at(300, 500)));                                       // bare table
    EXPECT_EQ(qRgb(0, 0, 0), shot.pixel(0, shot.height() - 1) | 0xff000000u); // border/line
    // Every slot 2..13 holds a card: not green in its middle; the goals show backs (red
    // pattern for the computer's goal, blue for the player's).
    for (int slot = 2; slot <= 13; ++slot) {
        const TFloatRect r = Slot(slot).HotSpotLocation;
        EXPECT_FALSE(IsGreen(at(int(r.Left) + 26, int(r.Top) + 41))) << "slot " << slot;
    }
    const QImage& redBack = F().GameBitmap32List->Bitmap(1).Image();
    const QImage& blueBack = F().GameBitmap32List->Bitmap(0).Image();
    for (const QPoint p : {QPoint(26, 41), QPoint(10, 20), QPoint(40, 70)}) {
        EXPECT_TRUE(Near(at(140 + p.x(), 8 + p.y()), redBack.pixel(p)));
        EXPECT_TRUE(Near(at(140 + p.x(), 448 + p.y()), blueBack.pixel(p)));
    }
    // The discard pile is empty: its mark shows.
    EXPECT_FALSE(IsGreen(at(272 + 26, 232 + 41)));

    // The strip: white, with red and blue lettering for the names.
    const QWidget* strip = F().*A::FStaticsPanel;
    const QPoint s = strip->mapTo(Form.get(), QPoint(0, 0));
    EXPECT_EQ(shot.pixel(s.x() + 200, s.y() + 1) & 0xffffff, 0xffffffu);
    const QRect computerName((F().*A::FComputerLabel)->geometry().translated(s));
    const QRect playerName((F().*A::FPlayerLabel)->geometry().translated(s));
    EXPECT_GT(CountColour(shot, computerName, qRgb(255, 0, 0)), 10);
    EXPECT_GT(CountColour(shot, playerName, qRgb(0, 0, 255)), 10);
    const QRect clock((F().*A::FPeriodTimeLabel)->geometry().translated(s));
    EXPECT_GT(CountColour(shot, clock, qRgb(0, 0, 0)), 10);
}
