// The outcome of a shot over the table: shown at once, gone within about a second without
// anything left running, and not drawn at all with the announcements off.

#include "TableFixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTest>
#include <QVariantAnimation>

namespace {

class ShotOutcomeTest : public TableFixture, public ::testing::WithParamInterface<bool>
{
protected:
    // The topmost layer over the middle of the table.
    const TBitmapLayer* Middle()
    {
        return Table().Layers().HitTest(Table().LogicalWidth() / 2, Table().LogicalHeight() / 2);
    }
    QVariantAnimation* Fade() { return F().findChild<QVariantAnimation*>(); }
};

TEST_P(ShotOutcomeTest, ShowsThenFadesOutWithinASecond)
{
    const bool goal = GetParam();
    QElapsedTimer clock;
    clock.start();
    F().ShowShotOutcome(goal);
    ASSERT_TRUE(F().ShotOutcomeShown());
    const TBitmapLayer* caption = Middle();
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->Bitmap().MasterAlpha(), 255);
    EXPECT_TRUE(caption->Bitmap().Shows());
    // Centred on the table.
    const TFloatRect r = caption->Location();
    EXPECT_FLOAT_EQ(r.Left + r.Right, float(Table().LogicalWidth()));
    EXPECT_FLOAT_EQ(r.Top + r.Bottom, float(Table().LogicalHeight()));

    // On its way out it is still there, fainter.
    ASSERT_TRUE(QTest::qWaitFor([&] { return caption->Bitmap().MasterAlpha() < 255; }, 2000));
    EXPECT_TRUE(F().ShotOutcomeShown());

    ASSERT_TRUE(QTest::qWaitFor([this] { return !F().ShotOutcomeShown(); }, 3000));
    EXPECT_GE(clock.elapsed(), TMainForm::ShotOutcomeMs - 50);
    EXPECT_LE(clock.elapsed(), 2 * TMainForm::ShotOutcomeMs + 500); // a busy machine
    EXPECT_FALSE(caption->Bitmap().Shows());
    // Nothing keeps running once it is gone.
    ASSERT_NE(Fade(), nullptr);
    EXPECT_EQ(Fade()->state(), QAbstractAnimation::Stopped);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ShotOutcomeTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Goal" : "Saved"; });

TEST_F(ShotOutcomeTest, GoalAndSavedReadDifferentlyAndReuseOneLayer)
{
    F().ShowShotOutcome(true);
    const QImage goal = Middle()->Bitmap().Image();
    const int layers = Table().Layers().Count();
    F().ShowShotOutcome(false);
    EXPECT_EQ(Table().Layers().Count(), layers);
    EXPECT_NE(Middle()->Bitmap().Image(), goal);
    EXPECT_EQ(Middle()->Bitmap().MasterAlpha(), 255); // a new shot starts the fade again
}

// Over the cards that moved since.
TEST_F(ShotOutcomeTest, StaysAboveACardThatFliesOn)
{
    ShufflePack();
    F().ShowShotOutcome(true);
    LayerOf(Card(1))->SetLocation({150, 240, 203, 323});
    LayerOf(Card(1))->BringToFront();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Middle()->Bitmap().MasterAlpha() < 255; }, 2000));
    EXPECT_NE(Middle(), LayerOf(Card(1)));
}

TEST_F(ShotOutcomeTest, NothingIsDrawnWithTheAnnouncementsOff)
{
    const int layers = Table().Layers().Count();
    F().ViewAnnounceShotsAction->trigger();
    ASSERT_FALSE(F().AnnouncesShots());
    F().ShowShotOutcome(true);
    F().ShowShotOutcome(false);
    EXPECT_FALSE(F().ShotOutcomeShown());
    EXPECT_EQ(Table().Layers().Count(), layers);
    EXPECT_EQ(Fade(), nullptr);
}

} // namespace
