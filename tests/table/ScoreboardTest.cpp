// The scoreboard strip: the order of the sides, positions that follow the texts' widths,
// the captions every build resets, and the fonts.
#include "TableFixture.h"

#include <QAccessible>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>

namespace {

int RightOf(const QWidget* w)
{
    return w->x() + w->width();
}

} // namespace

class ScoreboardTest : public TableFixture
{
protected:
    // Every position checked here follows the texts' widths in the scoreboard's face.
    void SetUp() override
    {
        const QString face = QFontInfo(QFont(QStringLiteral("Arial"))).family();
        ASSERT_TRUE(face == "Arial" || face == "Liberation Sans" || face == "Arimo")
            << "Arial resolves to \"" << face.toStdString()
            << "\": the scoreboard's font is missing (Debian: fonts-liberation)";
        TableFixture::SetUp();
    }
    void Build(TDealer dealer, const QString& name)
    {
        M().SetGameDealer(dealer);
        (F().*A::BuildScoreboard)(name);
    }
    QLabel* Label(QLabel* TMainForm::*field) { return F().*field; }
    QWidget* Arrow(TImage32* TMainForm::*field) { return F().*field; }
    int StripWidth() { return (F().*A::FStaticsPanel)->width(); }
};

class ScoreboardOrderTest : public ScoreboardTest, public ::testing::WithParamInterface<TDealer>
{
};

TEST_P(ScoreboardOrderTest, TheGameDealersSideComesFirstEachGroupFollowingItsTexts)
{
    const TDealer dealer = GetParam();
    Build(dealer, QStringLiteral("Player"));

    struct TGroup
    {
        QWidget* Arrow;
        QLabel* Name;
        QLabel* Goals;
    };
    const TGroup computer{Arrow(A::FTurnArrowComputerImage), Label(A::FComputerLabel),
                          Label(A::FComputerGoalsLabel)};
    const TGroup player{Arrow(A::FTurnArrowPlayerImage), Label(A::FPlayerLabel),
                        Label(A::FPlayerGoalsLabel)};
    const TGroup& first = dealer == alComputer ? computer : player;
    const TGroup& second = dealer == alComputer ? player : computer;

    EXPECT_EQ(first.Arrow->geometry(), QRect(0, 0, 17, 17));
    int arrowLeft = 0;
    for (const TGroup* group : {&first, &second}) {
        EXPECT_EQ(group->Arrow->geometry(), QRect(arrowLeft, 0, 17, 17));
        EXPECT_EQ(group->Name->pos(), QPoint(arrowLeft + 17 + 3, 1));
        EXPECT_EQ(group->Goals->pos(), QPoint(RightOf(group->Name) + 4, 1));
        // Each label is just as wide as its text.
        EXPECT_EQ(group->Name->size(), group->Name->sizeHint());
        EXPECT_NEAR(group->Name->width(),
                    QFontMetrics(group->Name->font()).horizontalAdvance(group->Name->text()), 1);
        arrowLeft = RightOf(group->Goals) + 10;
    }

    QLabel* clock = Label(A::FPeriodTimeLabel);
    QLabel* period = Label(A::FPeriodLabel);
    EXPECT_EQ(RightOf(clock), StripWidth());
    EXPECT_EQ(clock->y(), 1);
    EXPECT_EQ(RightOf(period), clock->x() - 10);
    EXPECT_EQ(period->y(), 1);
}

INSTANTIATE_TEST_SUITE_P(Dealers, ScoreboardOrderTest, ::testing::Values(alComputer, alPlayer));

TEST_F(ScoreboardTest, EveryBuildResetsCaptionsAndArrows)
{
    Build(alPlayer, QStringLiteral("Player"));
    Label(A::FComputerGoalsLabel)->setText(QStringLiteral("7"));
    Label(A::FPlayerGoalsLabel)->setText(QStringLiteral("12"));
    Label(A::FPeriodTimeLabel)->setText(QStringLiteral("3:30"));
    Label(A::FPeriodLabel)->setText(QStringLiteral("Period 5"));
    (F().*A::FTurnArrowComputerImage)->Bitmap().SetMasterAlpha(255);
    (F().*A::FTurnArrowPlayerImage)->Bitmap().SetMasterAlpha(100);

    Build(alComputer, QStringLiteral("Player"));

    EXPECT_EQ(Label(A::FComputerLabel)->text().toStdString(), "Computer");
    EXPECT_EQ(Label(A::FPlayerLabel)->text().toStdString(), "Player");
    EXPECT_EQ(Label(A::FComputerGoalsLabel)->text().toStdString(), "0  ");
    EXPECT_EQ(Label(A::FPlayerGoalsLabel)->text().toStdString(), "0  ");
    EXPECT_EQ((F().*A::GoalsOf)(tuComputer), 0);
    EXPECT_EQ((F().*A::GoalsOf)(tuPlayer), 0);
    EXPECT_EQ(Label(A::FPeriodTimeLabel)->text().toStdString(), "20:00");
    EXPECT_EQ(Label(A::FPeriodLabel)->text().toStdString(), "Period 1");
    EXPECT_EQ((F().*A::FTurnArrowComputerImage)->Bitmap().MasterAlpha(), 100);
    EXPECT_EQ((F().*A::FTurnArrowPlayerImage)->Bitmap().MasterAlpha(), 255);
    EXPECT_EQ((F().*A::FTurnArrowPlayerImage)->Bitmap().DrawMode(), dmBlend);
    EXPECT_EQ(Label(A::FComputerGoalsLabel)->parentWidget(), F().*A::FStaticsPanel);
    // Only one name label of the player's, however many builds.
    EXPECT_EQ((F().*A::FStaticsPanel)->findChildren<QLabel*>().size(), 6);
}

TEST_F(ScoreboardTest, ALongerNamePushesWhatFollowsItToTheRight)
{
    for (const TDealer dealer : {alPlayer, alComputer}) {
        SCOPED_TRACE(int(dealer));
        Build(dealer, QStringLiteral("Al"));
        const int shortGoals = Label(A::FPlayerGoalsLabel)->x();
        const int shortComputerArrow = Arrow(A::FTurnArrowComputerImage)->x();
        const int shortClock = Label(A::FPeriodTimeLabel)->x();
        const int shortPeriod = Label(A::FPeriodLabel)->x();
        const int shortWidth = Label(A::FPlayerLabel)->width();

        Build(dealer, QStringLiteral("Alexander Hamilton"));
        const int grown = Label(A::FPlayerLabel)->width() - shortWidth;
        ASSERT_GT(grown, 0);
        EXPECT_EQ(Label(A::FPlayerGoalsLabel)->x(), shortGoals + grown);
        EXPECT_EQ(Arrow(A::FTurnArrowComputerImage)->x(),
                  shortComputerArrow + (dealer == alPlayer ? grown : 0));
        EXPECT_EQ(Label(A::FPeriodTimeLabel)->x(), shortClock);
        EXPECT_EQ(Label(A::FPeriodLabel)->x(), shortPeriod);
    }
}

TEST_F(ScoreboardTest, NamesAreRedAndBlueInBoldArialWithACellOfFifteenPixels)
{
    Build(alComputer, QStringLiteral("Player"));
    const QLabel* computer = Label(A::FComputerLabel);
    const QLabel* player = Label(A::FPlayerLabel);
    EXPECT_EQ(computer->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(player->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    for (const QLabel* label : {computer, player}) {
        EXPECT_EQ(QFontMetrics(label->font()).height(), 15)
            << "no 15-pixel cell in " << QFontInfo(label->font()).family().toStdString();
        EXPECT_TRUE(label->font().bold());
        const std::string family = QFontInfo(label->font()).family().toStdString();
        EXPECT_TRUE(family == "Arial" || family == "Liberation Sans" || family == "Arimo")
            << family;
    }
    for (const QLabel* label : {Label(A::FComputerGoalsLabel), Label(A::FPlayerGoalsLabel),
                                Label(A::FPeriodTimeLabel), Label(A::FPeriodLabel)}) {
        EXPECT_EQ(label->font().pointSize(), 10);
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
        EXPECT_FALSE(label->autoFillBackground());
    }
}

struct NameCase
{
    const char* Name;
    QString PlayerName;
    QString Shown; // empty: cut short with "…"
};

void PrintTo(const NameCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class ScoreboardNameTest : public ScoreboardTest, public ::testing::WithParamInterface<NameCase>
{
};

// No text of the strip runs into another: a name too wide for its room is cut short and
// keeps its whole text in a tooltip; a blank name shows as the designed one.
TEST_P(ScoreboardNameTest, NoTextOverlapsAnother)
{
    const NameCase& c = GetParam();
    for (const TDealer dealer : {alComputer, alPlayer}) {
        SCOPED_TRACE(int(dealer));
        Build(dealer, c.PlayerName);
        QLabel* name = Label(A::FPlayerLabel);
        if (c.Shown.isEmpty()) {
            EXPECT_TRUE(name->text().endsWith(QChar(0x2026))) << name->text().toStdString();
            EXPECT_TRUE(c.PlayerName.startsWith(name->text().chopped(1)));
            EXPECT_EQ(name->toolTip(),
                      "<p style=\"white-space:pre\">" + c.PlayerName.toHtmlEscaped() + "</p>");
        } else {
            EXPECT_EQ(name->text(), c.Shown);
            EXPECT_EQ(name->toolTip(), QString());
        }
        // A screen reader reads the whole name, with no markup.
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(name);
        ASSERT_NE(read, nullptr);
        const QString whole = c.Shown.isEmpty() ? c.PlayerName : c.Shown;
        EXPECT_EQ(read->text(QAccessible::Name), whole);
        const QString description = read->text(QAccessible::Description);
        EXPECT_TRUE(description.isEmpty() || description == whole) << description.toStdString();
        EXPECT_EQ(name->size(), name->sizeHint());

        const QWidget* parts[] = {Arrow(A::FTurnArrowComputerImage),
                                  Label(A::FComputerLabel),
                                  Label(A::FComputerGoalsLabel),
                                  Arrow(A::FTurnArrowPlayerImage),
                                  name,
                                  Label(A::FPlayerGoalsLabel),
                                  Label(A::FPeriodLabel),
                                  Label(A::FPeriodTimeLabel)};
        for (const QWidget* a : parts) {
            for (const QWidget* b : parts) {
                if (a == b)
                    continue;
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << a->metaObject()->className() << " at " << a->x() << " meets "
                    << b->metaObject()->className() << " at " << b->x();
            }
        }
        const int groupsEnd =
            std::max(RightOf(Label(A::FComputerGoalsLabel)), RightOf(Label(A::FPlayerGoalsLabel)));
        EXPECT_LE(groupsEnd + 10, Label(A::FPeriodLabel)->x());
    }
}

INSTANTIATE_TEST_SUITE_P(Names, ScoreboardNameTest,
                         ::testing::Values(NameCase{"Fits", "Player", "Player"},
                                           NameCase{"TenWideLetters", "MMMMMMMMMM", ""},
                                           NameCase{"LongStoredName", "Maximilianus the Great", ""},
                                           NameCase{"MarkupIsText", "<b>WWWWWWWWWWWW</b>", ""},
                                           NameCase{"Empty", "", "Player"},
                                           NameCase{"OnlyBlanks", "   ", "Player"}),
                         [](const auto& info) { return std::string(info.param.Name); });
