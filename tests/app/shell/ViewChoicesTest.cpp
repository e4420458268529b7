// The View choices beyond the zoom: both on by default, kept in [View] of the settings
// file as soon as they change, and read back at the next start; [Options] stays as it was.

#include "ShellFixture.h"

#include "dialogs/Settings.h"

#include <QAction>
#include <QMenu>

namespace {

bool WaitFor(const std::function<bool()>& Condition, int TimeoutMs = 20000)
{
    return QTest::qWaitFor(Condition, TimeoutMs);
}

class ViewChoicesTest : public ShellTest
{
protected:
    void Show()
    {
        F().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&F()));
        ASSERT_TRUE(WaitFor([this] { return Shuffles >= 1 && Idle(); }));
    }
    void WriteSettings(const QByteArray& Text)
    {
        QFile ini(OptionsDialog->SettingsPath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(Text);
    }
    QByteArray ReadSettings()
    {
        QFile ini(OptionsDialog->SettingsPath());
        return ini.open(QIODevice::ReadOnly) ? ini.readAll().replace('\r', "") : QByteArray();
    }
};

const QByteArray Options =
    "[Options]\nPlayerName=Ann\nDealer=1\nSkillLevel=0\nBestOf=0\nAnimSpeed=0\n";

struct TStoredChoices
{
    const char* Name;
    const char* View; // the [View] section as the file holds it
    bool ShowPlayable;
    bool AnnounceShots;
};

class StoredChoices : public ViewChoicesTest, public ::testing::WithParamInterface<TStoredChoices>
{
};

TEST_P(StoredChoices, AreReadAtTheStart)
{
    const TStoredChoices& c = GetParam();
    WriteSettings(Options + c.View);
    Show();
    EXPECT_EQ(F().ShowsPlayable(), c.ShowPlayable);
    EXPECT_EQ(F().ViewShowPlayableAction->isChecked(), c.ShowPlayable);
    EXPECT_EQ(F().AnnouncesShots(), c.AnnounceShots);
    EXPECT_EQ(F().ViewAnnounceShotsAction->isChecked(), c.AnnounceShots);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StoredChoices,
    ::testing::Values(
        TStoredChoices{"NoViewSection", "", true, true},
        TStoredChoices{"ZoomOnly", "[View]\nZoom=100\n", true, true},
        TStoredChoices{"PlayableOff", "[View]\nShowPlayableSlots=0\n", false, true},
        TStoredChoices{"AnnounceOff", "[View]\nAnnounceGoalsAndSaves=0\n", true, false},
        TStoredChoices{"BothOff", "[View]\nShowPlayableSlots=0\nAnnounceGoalsAndSaves=0\n", false,
                       false},
        TStoredChoices{"BothOnExplicitly", "[View]\nShowPlayableSlots=1\nAnnounceGoalsAndSaves=1\n",
                       true, true}),
    [](const auto& info) { return std::string(info.param.Name); });

// A choice is written the moment it changes, under [View], and the next start reads it;
// the options are left exactly as they were.
TEST_F(ViewChoicesTest, AChangedChoiceIsWrittenAtOnceAndReadBackAtTheNextStart)
{
    const QByteArray before = ReadSettings();
    ASSERT_TRUE(before.startsWith("[Options]"));
    Show();
    ASSERT_TRUE(F().ViewShowPlayableAction->isCheckable());
    ASSERT_TRUE(F().ViewAnnounceShotsAction->isCheckable());

    F().ViewShowPlayableAction->trigger();
    EXPECT_FALSE(F().ShowsPlayable());
    QByteArray saved = ReadSettings();
    EXPECT_TRUE(saved.startsWith(before)) << saved.constData();
    EXPECT_TRUE(saved.contains("[View]\nShowPlayableSlots=0")) << saved.constData();

    F().ViewAnnounceShotsAction->trigger();
    EXPECT_FALSE(F().AnnouncesShots());
    saved = ReadSettings();
    EXPECT_TRUE(saved.startsWith(before)) << saved.constData();
    EXPECT_TRUE(saved.contains("AnnounceGoalsAndSaves=0")) << saved.constData();

    StartAgain();
    Show();
    EXPECT_FALSE(F().ShowsPlayable());
    EXPECT_FALSE(F().AnnouncesShots());
    EXPECT_FALSE(F().ViewShowPlayableAction->isChecked());

    F().ViewShowPlayableAction->trigger();
    StartAgain();
    Show();
    EXPECT_TRUE(F().ShowsPlayable());
    EXPECT_FALSE(F().AnnouncesShots());
}

// Both entries sit in the View menu, after the zoom.
TEST_F(ViewChoicesTest, TheChoicesAreInTheViewMenu)
{
    QMenu* view = F().findChild<QMenu*>(QStringLiteral("ViewMenu"));
    ASSERT_NE(view, nullptr);
    QStringList texts;
    for (QAction* action : view->actions())
        if (!action->isSeparator())
            texts << action->text();
    EXPECT_EQ(
        texts,
        (QStringList{QStringLiteral("Zoom &In"), QStringLiteral("Zoom &Out"),
                     QStringLiteral("&Actual Size"), QStringLiteral("Show &Playable Slots"),
                     QStringLiteral("Announce &Goals and Saves"), QStringLiteral("&Full Screen")}));
}

// F11 puts the window over the whole screen and back, kept in [View] for the next start;
// the options stay as they were.
TEST_F(ViewChoicesTest, F11TogglesFullScreenAndTheNextStartKeepsIt)
{
    const QByteArray before = ReadSettings();
    Show();
    EXPECT_EQ(F().ViewFullScreenAction->shortcut(), QKeySequence(Qt::Key_F11));
    ASSERT_FALSE(F().isFullScreen());
    struct
    {
        bool FullScreen;
        const char* Stored;
    } steps[] = {{true, "FullScreen=1"}, {false, "FullScreen=0"}, {true, "FullScreen=1"}};
    for (const auto& step : steps) {
        F().ViewFullScreenAction->trigger();
        EXPECT_EQ(F().isFullScreen(), step.FullScreen);
        EXPECT_EQ(F().ViewFullScreenAction->isChecked(), step.FullScreen);
        const QByteArray saved = ReadSettings();
        EXPECT_TRUE(saved.startsWith(before)) << saved.constData();
        EXPECT_TRUE(saved.contains(step.Stored)) << saved.constData();
    }
    StartAgain();
    Show();
    EXPECT_TRUE(F().isFullScreen());
    EXPECT_TRUE(F().ViewFullScreenAction->isChecked());
}

} // namespace
