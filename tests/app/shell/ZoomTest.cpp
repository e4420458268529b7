// The table zoomed: the View commands, fitting the window, the size kept in the settings
// file, and the game going on in the table's own pixels at every zoom. The screen is a
// large one of its own, so that every zoom fits on it, with a small one beside it.

#include "ShellFixture.h"

#include "dialogs/Settings.h"
#include "table/About.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QMouseEvent>
#include <QSaveFile>

#include <cmath>

namespace {

// Every test of this program runs in a process of its own, and CTest runs them side by
// side: the screen file is replaced whole, so a process starting never reads one half written.
const bool LargeScreen = [] {
    const QString config = QDir::temp().filePath(QStringLiteral("bt-zoom-screen.json"));
    QSaveFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(R"({"screens": [{"name": "Large", "x": 0, "y": 0, "width": 2400, "height": 2000,
                   "logicalDpi": 96, "logicalBpi": 96, "dpr": 1},
                  {"name": "Small", "x": 2400, "y": 0, "width": 1024, "height": 768,
                   "logicalDpi": 96, "logicalBpi": 96, "dpr": 1}]})");
    if (!file.commit())
        return false;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    return true;
}();

constexpr int MenuBar = 25;

// The window's client size for the table at `zoom`: the panel under the menu bar, its
// table (344 x 538) and strip (17 high) rounded to whole pixels, its border and the line
// under the strip a whole number of pixels thick.
QSize WindowAt(qreal zoom)
{
    const int line = std::max(1, int(std::floor(zoom)));
    return QSize(int(std::lround(344 * zoom)) + 2 * line,
                 int(std::lround(538 * zoom)) + int(std::lround(17 * zoom)) + 3 * line + MenuBar);
}

class ZoomTest : public ShellTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LargeScreen);
        ShellTest::SetUp();
    }
    void Show()
    {
        F().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&F()));
    }
    static bool WaitFor(const std::function<bool()>& Condition)
    {
        return QTest::qWaitFor(Condition, 20000);
    }
    bool WaitForZoom(qreal zoom)
    {
        return QTest::qWaitFor([&] { return std::abs(F().Zoom() - zoom) < 1e-9; }, 2000);
    }
    void WriteSettings(const QByteArray& text)
    {
        QFile ini(OptionsDialog->SettingsPath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(text);
    }
    QByteArray ReadSettings()
    {
        QFile ini(OptionsDialog->SettingsPath());
        return ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray();
    }
    TImage32& Table() { return *(F().*A::FGameTableImage); }

    // Where the table's parts and the strip's items lie, to compare two layouts. Where the
    // window itself lies is not part of it: a window grown near the screen's edge moves.
    std::vector<QRect> Layout()
    {
        std::vector<QRect> rects{QRect(QPoint(), F().size()), F().CardTablePanel->geometry(),
                                 Table().geometry(), (F().*A::FStaticsPanel)->geometry()};
        for (QLabel* label : (F().*A::FStaticsPanel)->findChildren<QLabel*>())
            rects.push_back(QRect(label->pos(), QSize(0, label->height())));
        return rects;
    }
};

// 100, 125, 150, 200, 250, 300 and back; each step sizes the window for its zoom, and
// Actual Size gives the layout of the first start again.
TEST_F(ZoomTest, ViewStepsThroughTheZoomsAndActualSizeGivesTheDesignedLayout)
{
    Show();
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));
    EXPECT_EQ(F().Zoom(), 1);
    EXPECT_EQ(F().size(), QSize(346, 583));
    EXPECT_EQ(F().CardTablePanel->geometry(), QRect(0, 25, 346, 558).translated(0, -25));
    EXPECT_EQ(Table().geometry(), QRect(1, 1, 344, 538));
    EXPECT_FALSE(F().ViewZoomOutAction->isEnabled());
    const std::vector<QRect> designed = Layout();

    const QList<QAction*> menu = F().ActionMainMenuBar1->actions();
    ASSERT_EQ(menu.size(), 3);
    EXPECT_EQ(menu[1]->text(), QStringLiteral("&View")); // between Game and Help
    EXPECT_EQ(F().ViewZoomInAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Plus));
    EXPECT_EQ(F().ViewZoomOutAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    EXPECT_EQ(F().ViewActualSizeAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));

    const qreal up[] = {1.25, 1.5, 2, 2.5, 3};
    for (qreal zoom : up) {
        F().ViewZoomInAction->trigger();
        ASSERT_TRUE(WaitForZoom(zoom)) << "zoom " << zoom << ", at " << F().Zoom();
        EXPECT_EQ(F().size(), WindowAt(zoom)) << zoom;
        EXPECT_EQ(Table().height(), std::lround(538 * zoom)) << zoom;
        // The table's own pixels stay what they were.
        EXPECT_EQ(Table().LogicalWidth(), 344) << zoom;
        EXPECT_EQ(Table().LogicalHeight(), 538) << zoom;
    }
    EXPECT_FALSE(F().ViewZoomInAction->isEnabled());
    for (qreal zoom : {2.5, 2.0, 1.5, 1.25}) {
        F().ViewZoomOutAction->trigger();
        ASSERT_TRUE(WaitForZoom(zoom)) << "zoom " << zoom << ", at " << F().Zoom();
    }
    F().ViewActualSizeAction->trigger();
    ASSERT_TRUE(WaitForZoom(1));
    ASSERT_TRUE(WaitFor([this] { return F().size() == QSize(346, 583); }));
    EXPECT_EQ(Layout(), designed);
}

struct FitCase
{
    QSize client;
    qreal zoom;
};

// Any window size: the largest whole percent at which the panel fits, centred, green round
// it.
TEST_F(ZoomTest, TheTableFitsTheWindowCentredInGreen)
{
    Show();
    const FitCase cases[] = {
        {{346, 583}, 1},   {{1000, 625}, 1.07}, {{2000, 1825}, 3.22}, {{600, 1400}, 1.73},
        {{518, 862}, 1.5}, {{517, 862}, 1.49},  {{518, 861}, 1.5},    {{518, 860}, 1.49},
    };
    for (const FitCase& c : cases) {
        F().resize(c.client);
        ASSERT_TRUE(WaitForZoom(c.zoom))
            << c.client.width() << " x " << c.client.height() << ": zoom " << F().Zoom();
        const QSize panel = WindowAt(c.zoom) - QSize(0, MenuBar);
        const QRect placed = F().CardTablePanel->geometry();
        EXPECT_EQ(placed.size(), panel);
        EXPECT_EQ(placed.topLeft(), QPoint((c.client.width() - panel.width()) / 2,
                                           (c.client.height() - MenuBar - panel.height()) / 2));
        if (placed.left() > 0) {
            const QImage shot = F().grab().toImage();
            EXPECT_EQ(shot.pixelColor(placed.left() / 2, MenuBar + 10), QColor(0, 128, 0));
        }
    }
}

// Hovering the middle of each slot lights the same frames at 150% and 300% as at 100%,
// and a press there reaches the same slot.
TEST_F(ZoomTest, HoverLightsTheSameSlotsAtEveryZoom)
{
    Show();
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));
    ASSERT_EQ(M().Turn(), tuPlayer);
    // Logical points: each slot's middle, a corner inside one, and the green between them.
    std::vector<QPoint> points;
    for (int slot = 1; slot <= SlotCount; ++slot) {
        const TFloatRect& r = Slots()[slot].HotSpotLocation;
        points.push_back(QPoint(int(r.Left + 26), int(r.Top + 41)));
    }
    points.push_back(QPoint(80, 184)); // slot 5's top-left corner
    points.push_back(QPoint(30, 30));  // green
    points.push_back(QPoint(100, 120));
    auto lit = [this](QPoint at, qreal zoom) {
        const QPointF pos((at.x() + 0.5) * zoom, (at.y() + 0.5) * zoom);
        QMouseEvent move(QEvent::MouseMove, pos, Table().mapToGlobal(pos), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Table(), &move);
        int frame = 0;
        for (int slot = 1; slot <= SlotCount; ++slot) {
            if (Slots()[slot].HSLayer->Bitmap().MasterAlpha() == 255)
                frame = frame ? -1 : slot;
        }
        return frame;
    };
    std::vector<int> at100;
    for (QPoint p : points)
        at100.push_back(lit(p, 1));
    // Some slot is playable, and its frame does light.
    EXPECT_NE(std::count_if(at100.begin(), at100.end(), [](int f) { return f > 0; }), 0);
    for (qreal zoom : {1.5, 3.0}) {
        F().resize(WindowAt(zoom));
        ASSERT_TRUE(WaitForZoom(zoom));
        for (size_t i = 0; i < points.size(); ++i)
            EXPECT_EQ(lit(points[i], zoom), at100[i])
                << "(" << points[i].x() << ", " << points[i].y() << ") at zoom " << zoom;
    }
}

// A card's flight is worked out in the table's pixels: the same points and as many ticks
// at 200% as at 100%.
TEST_F(ZoomTest, ACardsPathIsTheSameAtEveryZoom)
{
    Show();
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));
    const TFloatRect from = Slots()[slotPack].HotSpotLocation;
    const TFloatRect to = Slots()[slotComputerGoal].HotSpotLocation;
    (F().*A::ComputeCardPath)(from, to);
    const std::vector<TFloatRect> at100 = F().*A::FLocationArray;
    ASSERT_GT(at100.size(), 2u);
    F().resize(WindowAt(2));
    ASSERT_TRUE(WaitForZoom(2));
    (F().*A::ComputeCardPath)(from, to);
    EXPECT_EQ(F().*A::FLocationArray, at100);
}

// The strip's lettering is set in fonts scaled with the table, its arrows drawn at the
// zoom, the clock still at the strip's right end.
TEST_F(ZoomTest, TheStripScalesItsFontsAndArrows)
{
    Show();
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));
    QLabel* name = F().*A::FComputerLabel;
    QLabel* clock = F().*A::FPeriodTimeLabel;
    TImage32* arrow = F().*A::FTurnArrowPlayerImage;
    const QSize nameAt100 = name->size();
    const qreal clockPoints = clock->font().pointSizeF();
    for (qreal zoom : {1.5, 3.0}) {
        F().resize(WindowAt(zoom));
        ASSERT_TRUE(WaitForZoom(zoom));
        const QWidget* strip = F().*A::FStaticsPanel;
        EXPECT_EQ(strip->height(), std::lround(17 * zoom));
        // Hinting keeps widths from scaling exactly; a name in the 100% font would be a third
        // or two thirds narrower.
        EXPECT_NEAR(name->width(), nameAt100.width() * zoom, 0.1 * nameAt100.width() * zoom)
            << zoom;
        EXPECT_NEAR(name->height(), nameAt100.height() * zoom, 2 * zoom) << zoom;
        EXPECT_LE(name->height(), strip->height()) << zoom;
        EXPECT_EQ(clock->font().pointSizeF(), clockPoints * zoom);
        EXPECT_EQ(clock->geometry().right(), strip->width() - 1) << zoom;
        EXPECT_EQ(arrow->size(), QSize(std::lround(17 * zoom), std::lround(17 * zoom)));
        EXPECT_EQ(arrow->Zoom(), zoom);
    }
}

// The about screen covers the zoomed panel, and its logo, caption and drifting cards keep
// their places in the table's own pixels.
TEST_F(ZoomTest, TheAboutScreenScalesWithTheTable)
{
    Show();
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));
    F().resize(WindowAt(2));
    ASSERT_TRUE(WaitForZoom(2));
    F().HelpAboutAction->trigger();
    TImage32* screen = F().*A::FAboutImage;
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->Zoom(), 2);
    EXPECT_EQ(screen->geometry(), QRect(F().CardTablePanel->contentsRect().topLeft(),
                                        QSize(688, F().CardTablePanel->height())));
    EXPECT_EQ(screen->LogicalWidth(), 344);
    EXPECT_EQ(screen->LogicalHeight(), 558);
    // As at 100%: the logo centred on the 346 x 558 panel, the caption on the screen.
    EXPECT_EQ(screen->Layers().Items(AboutLogoLayer)->Location(), (TFloatRect{10, 142, 332, 412}));
    EXPECT_EQ(screen->Layers().Items(AboutCaptionLayer)->Location(),
              (TFloatRect{122, 292, 222, 312}));
    for (int tick = 0; tick < 200; ++tick) {
        (F().*A::AboutThreadedTimerTimer)(nullptr);
        for (int i = 0; i < CardCount; ++i) {
            const TFloatRect r = screen->Layers().Items(AboutFirstCardLayer + i)->Location();
            // Bounced back near the screen's edge, never drifting over twice its size.
            ASSERT_LT(r.Left, 344 + 50) << "card " << i << " at tick " << tick;
            ASSERT_LT(r.Top, 558 + 50) << "card " << i << " at tick " << tick;
        }
    }
}

// The zoom is kept in [View]; [Options] stays exactly as it was.
TEST_F(ZoomTest, TheSizeIsKeptInViewAndTheOptionsAreLeftAlone)
{
    const QByteArray options = ReadSettings();
    ASSERT_TRUE(options.startsWith("[Options]"));
    Show();
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));
    F().ViewZoomInAction->trigger();
    F().ViewZoomInAction->trigger();
    ASSERT_TRUE(WaitForZoom(1.5));
    F().close();
    // The file is written with CR LF line ends; the lines themselves are those there were.
    const QByteArray saved = ReadSettings().replace('\r', "");
    EXPECT_TRUE(saved.startsWith(options)) << saved.constData();
    EXPECT_TRUE(saved.contains("[View]")) << saved.constData();
    EXPECT_TRUE(saved.contains("Zoom=150")) << saved.constData();
}

TEST_F(ZoomTest, AWindowLeftAtItsSizeLeavesTheFileAlone)
{
    const QByteArray before = ReadSettings();
    Show();
    ASSERT_TRUE(WaitFor([this] { return Shuffles == 1 && Idle(); }));
    F().close();
    EXPECT_EQ(ReadSettings(), before);
}

// On a screen of 1024 x 768 the window grows only to the largest step that fits it (125%),
// and Zoom In greys there; a window grown near the screen's corner is moved back onto it;
// a kept size too large for the screen starts at that step as well.
TEST_F(ZoomTest, OnASmallScreenTheZoomStopsAtTheLargestStepThatFits)
{
    QScreen* small = nullptr;
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == QStringLiteral("Small"))
            small = screen;
    ASSERT_NE(small, nullptr);
    const QRect area = small->availableGeometry();
    WriteSettings("[Options]\nPlayerName=Ann\nDealer=1\nSkillLevel=0\nBestOf=0\nAnimSpeed=0\n"
                  "[View]\nZoom=300\n");
    F().setScreen(small);
    F().move(area.topLeft());
    Show();
    ASSERT_TRUE(WaitForZoom(1.25)) << F().Zoom();
    EXPECT_EQ(F().size(), WindowAt(1.25));
    EXPECT_FALSE(F().ViewZoomInAction->isEnabled());

    F().ViewActualSizeAction->trigger();
    ASSERT_TRUE(WaitForZoom(1));
    EXPECT_TRUE(F().ViewZoomInAction->isEnabled());
    F().move(area.bottomRight() - QPoint(400, 600));
    F().ViewZoomInAction->trigger();
    ASSERT_TRUE(WaitForZoom(1.25)) << F().Zoom();
    EXPECT_EQ(F().size(), WindowAt(1.25));
    EXPECT_TRUE(area.contains(F().frameGeometry())) << F().frameGeometry().x() << ", "
                                                    << F().frameGeometry().y();
    EXPECT_FALSE(F().ViewZoomInAction->isEnabled());
}

struct StoredCase
{
    const char* value;
    qreal zoom;
};

class StoredZoom : public ZoomTest, public ::testing::WithParamInterface<StoredCase>
{
};

TEST_P(StoredZoom, StartsAtTheKeptSizeOrTheDesignedOne)
{
    WriteSettings("[Options]\nPlayerName=Ann\nDealer=1\nSkillLevel=0\nBestOf=0\nAnimSpeed=0\n"
                  "[View]\nZoom=" +
                  QByteArray(GetParam().value) + "\n");
    Show();
    ASSERT_TRUE(WaitForZoom(GetParam().zoom)) << GetParam().value << ": " << F().Zoom();
    EXPECT_EQ(F().size(), WindowAt(GetParam().zoom));
}

INSTANTIATE_TEST_SUITE_P(Values, StoredZoom,
                         ::testing::Values(StoredCase{"150", 1.5}, StoredCase{"300", 3},
                                           StoredCase{"137", 1.37}, StoredCase{"100", 1},
                                           StoredCase{"99", 1}, StoredCase{"0", 1},
                                           StoredCase{"-200", 1}, StoredCase{"99999", 1},
                                           StoredCase{"big", 1}),
                         [](const auto& info) {
                             std::string name = info.param.value;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return "Zoom_" + name;
                         });

} // namespace
