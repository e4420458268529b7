// The menu image list: the grey of disabled images, drawn through the two raster
// operations onto a canvas, the cache of disabled copies, and the icons for actions.
#include "app/BCImageList.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

constexpr QRgb Background = 0xFF0AC81E; // a green no picture here uses
constexpr QRgb Magenta = 0xFFFF00FF;

// A picture of Width x Height in one colour, with its right column transparent.
QImage Picture(int Width, int Height, QRgb Colour)
{
    QImage image(Width, Height, QImage::Format_ARGB32);
    image.fill(Colour);
    for (int y = 0; y < Height; ++y)
        image.setPixel(Width - 1, y, qRgba(12, 34, 56, 0));
    return image;
}

QImage Canvas(int Width, int Height)
{
    QImage canvas(Width, Height, QImage::Format_RGB32);
    canvas.fill(Background);
    return canvas;
}

struct TGreyCase
{
    const char* Name;
    QRgb Colour;
    int Grey;
};

class DisabledGrey : public ::testing::TestWithParam<TGreyCase>
{
};

TEST_P(DisabledGrey, DrawnOntoTheCanvas)
{
    const TGreyCase& c = GetParam();
    TBCImageList list(3, 2);
    ASSERT_EQ(list.Add(Picture(3, 2, c.Colour)), 0);
    QImage canvas = Canvas(5, 4);
    {
        QPainter painter(&canvas);
        list.Draw(painter, 1, 1, 0, false);
    }
    const QRgb grey = qRgb(c.Grey, c.Grey, c.Grey);
    EXPECT_EQ(canvas.pixel(1, 1), grey);
    EXPECT_EQ(canvas.pixel(2, 2), grey);
    // The transparent column and everything around the image keep the background.
    EXPECT_EQ(canvas.pixel(3, 1), Background);
    EXPECT_EQ(canvas.pixel(3, 2), Background);
    EXPECT_EQ(canvas.pixel(0, 0), Background);
    EXPECT_EQ(canvas.pixel(4, 3), Background);
    EXPECT_EQ(canvas.pixel(1, 3), Background);
}

INSTANTIATE_TEST_SUITE_P(Colours, DisabledGrey,
                         ::testing::Values(TGreyCase{"Black", qRgb(0, 0, 0), 38},
                                           TGreyCase{"White", qRgb(255, 255, 255), 255},
                                           TGreyCase{"PureRed", qRgb(255, 0, 0), 123},
                                           TGreyCase{"Average217", qRgb(217, 217, 217), 255},
                                           TGreyCase{"Average216", qRgb(216, 216, 217), 254},
                                           TGreyCase{"RoundsDown", qRgb(0, 0, 2), 38},
                                           TGreyCase{"Blue", qRgb(0, 0, 255), 123},
                                           TGreyCase{"Mixed", qRgb(100, 101, 103), 139}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(BCImageList, ExplicitMaskDecidesTransparency)
{
    // An opaque picture whose mask leaves only its top-left pixel opaque.
    TBCImageList list(2, 2);
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 0));
    QImage mask(2, 2, QImage::Format_RGB32);
    mask.fill(Qt::white);
    mask.setPixel(0, 0, qRgb(0, 0, 0));
    ASSERT_EQ(list.Add(picture, mask), 0);

    QImage image, gotMask;
    ASSERT_TRUE(list.GetImages(0, image, gotMask));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), qRgb(255, 255, 255)); // transparent: white
    EXPECT_EQ(gotMask.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(gotMask.pixel(1, 0), qRgb(255, 255, 255));

    for (const bool enabled : {true, false}) {
        QImage canvas = Canvas(2, 2);
        {
            QPainter painter(&canvas);
            list.Draw(painter, 0, 0, 0, enabled);
        }
        EXPECT_EQ(canvas.pixel(0, 0), enabled ? qRgb(0, 0, 0) : qRgb(38, 38, 38));
        EXPECT_EQ(canvas.pixel(1, 0), Background);
        EXPECT_EQ(canvas.pixel(1, 1), Background);
    }
}

class BCImageListCache : public ::testing::Test
{
protected:
    void DrawDisabled(int Index)
    {
        QImage canvas = Canvas(4, 3);
        QPainter painter(&canvas);
        FList.Draw(painter, 0, 0, Index, false);
        painter.end();
        FLastGrey = canvas.pixel(0, 0);
    }
    bool Cached(int Index) const
    {
        const QImage& cache = FList.DisabledBitmap();
        return Index < cache.height() && cache.pixel(0, Index) == Magenta;
    }

    TBCImageList FList{4, 3};
    QRgb FLastGrey = 0;
};

TEST_F(BCImageListCache, StartsEmptyAndFillsImageByImage)
{
    FList.Add(Picture(4, 3, qRgb(0, 0, 0)));
    FList.Add(Picture(4, 3, qRgb(255, 0, 0)));
    EXPECT_TRUE(FList.DisabledBitmap().isNull());

    DrawDisabled(1);
    EXPECT_EQ(FList.DisabledBitmap().size(), QSize(5, 6));
    EXPECT_FALSE(Cached(0));
    EXPECT_TRUE(Cached(1));
    // The grey copy of image 1 sits at column 1, rows 3 to 5.
    EXPECT_EQ(FList.DisabledBitmap().pixel(1, 3), qRgb(123, 123, 123));
    EXPECT_EQ(FList.DisabledBitmap().pixel(3, 5), qRgb(123, 123, 123));
    // Its transparent column stays white in the cache.
    EXPECT_EQ(FList.DisabledBitmap().pixel(4, 3), qRgb(255, 255, 255));
}

TEST_F(BCImageListCache, GreysOnceThenDrawsFromTheCache)
{
    FList.Add(Picture(4, 3, qRgb(0, 0, 0)));
    DrawDisabled(0);
    EXPECT_EQ(FLastGrey, qRgb(38, 38, 38));

    // A picture replaced after its disabled copy was made keeps showing the old copy:
    // the second drawing did not grey again.
    FList.Replace(0, Picture(4, 3, qRgb(255, 255, 255)));
    DrawDisabled(0);
    EXPECT_EQ(FLastGrey, qRgb(38, 38, 38));
    // Enabled drawing shows the new picture.
    QImage canvas = Canvas(4, 3);
    {
        QPainter painter(&canvas);
        FList.Draw(painter, 0, 0, 0, true);
    }
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(BCImageListCache, GrowingTheListKeepsEarlierEntries)
{
    FList.Add(Picture(4, 3, qRgb(0, 0, 0)));
    DrawDisabled(0);
    ASSERT_EQ(FList.DisabledBitmap().size(), QSize(5, 3));

    FList.Add(Picture(4, 3, qRgb(255, 0, 0)));
    FList.Add(Picture(4, 3, qRgb(255, 255, 255)));
    DrawDisabled(2);
    EXPECT_EQ(FList.DisabledBitmap().size(), QSize(5, 9));
    EXPECT_TRUE(Cached(0));
    EXPECT_FALSE(Cached(1));
    EXPECT_TRUE(Cached(2));
    EXPECT_EQ(FList.DisabledBitmap().pixel(1, 0), qRgb(38, 38, 38));
    // The new rows start without markers, and no stray magenta.
    EXPECT_NE(FList.DisabledBitmap().pixel(0, 3), Magenta);

    FList.Replace(0, Picture(4, 3, qRgb(255, 255, 255)));
    DrawDisabled(0);
    EXPECT_EQ(FLastGrey, qRgb(38, 38, 38));
}

TEST(BCImageList, IndexOutsideTheListDrawsNothing)
{
    TBCImageList list(2, 2);
    list.Add(Picture(2, 2, qRgb(0, 0, 0)));
    QImage canvas = Canvas(2, 2);
    {
        QPainter painter(&canvas);
        list.Draw(painter, 0, 0, 1, false);
        list.Draw(painter, 0, 0, -1, true);
    }
    EXPECT_EQ(canvas.pixel(0, 0), Background);
    EXPECT_TRUE(list.DisabledBitmap().isNull());
    EXPECT_TRUE(list.Icon(5).isNull());
}

TEST(BCImageList, IconCarriesBothForms)
{
    TBCImageList list(16, 16);
    list.Add(Picture(16, 16, qRgb(255, 0, 0)));
    const QIcon icon = list.Icon(0);
    ASSERT_FALSE(icon.isNull());
    const QImage normal = icon.pixmap(QSize(16, 16), 1.0, QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage();
    ASSERT_EQ(normal.size(), QSize(16, 16));
    ASSERT_EQ(disabled.size(), QSize(16, 16));
    EXPECT_EQ(normal.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(disabled.pixel(0, 0), qRgb(123, 123, 123));
    EXPECT_EQ(qAlpha(normal.pixel(15, 0)), 0);
    EXPECT_EQ(qAlpha(disabled.pixel(15, 0)), 0);
}

} // namespace
