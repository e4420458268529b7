// What the program asks of each window system: where it places its own windows, and the
// cursor over the table during a deal.

#include "platform/WindowSystem.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

struct TPlatformCase
{
    const char* Platform;
    bool PlacesWindows;
    Qt::CursorShape DealShape;
};

class WindowSystemTest : public ::testing::TestWithParam<TPlatformCase>
{
};

TEST_P(WindowSystemTest, PlacementAndDealCursor)
{
    const TPlatformCase& c = GetParam();
    const QString platform = QString::fromLatin1(c.Platform);
    EXPECT_EQ(CanPlaceWindows(platform), c.PlacesWindows);

    const QCursor cursor = DealCursor(platform);
    EXPECT_EQ(cursor.shape(), c.DealShape);
    if (c.DealShape != Qt::BitmapCursor)
        return;
    // The still picture: something to see, and the hot spot on it.
    const QImage picture = cursor.pixmap().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.rect().contains(cursor.hotSpot()));
    int opaque = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            opaque += qAlpha(picture.pixel(x, y)) == 255;
    EXPECT_GT(opaque, picture.width() * picture.height() / 8);
}

INSTANTIATE_TEST_SUITE_P(Platforms, WindowSystemTest,
                         ::testing::Values(TPlatformCase{"xcb", true, Qt::WaitCursor},
                                           TPlatformCase{"offscreen", true, Qt::WaitCursor},
                                           TPlatformCase{"wayland", false, Qt::BitmapCursor},
                                           TPlatformCase{"wayland-egl", false, Qt::BitmapCursor}),
                         [](const auto& Info) {
                             QString name = QString::fromLatin1(Info.param.Platform);
                             return name.remove(QLatin1Char('-')).toStdString();
                         });

} // namespace
