// The options as the match reads them: chosen in the options dialog and confirmed with OK
// through the menu, they shape the series that OK starts, and the next start of the
// program reads them back from the settings file. Each game names the player as the
// options name them when it starts.
#include "ShellFixture.h"
#include "tests/dialogs/OptionsProbe.h"

#include <QLabel>

#include <ostream>

using Probe = TOptionsDialogProbe;

struct TSeriesOptionsCase
{
    const char* Name;
    int SpeedButton, LevelButton, DealerButton; // the radio buttons picked, top to bottom
    uint8_t Step;                               // pixels a card moves a tick
    TSkillLevel Level;
    TDealer Dealer; // deals the first game, so is named second on the scoreboard
};

void PrintTo(const TSeriesOptionsCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class SeriesOptionsTest : public ShellTest, public ::testing::WithParamInterface<TSeriesOptionsCase>
{
protected:
    void ExpectSeriesAsChosen()
    {
        const TSeriesOptionsCase& c = GetParam();
        EXPECT_EQ(F().*A::FStep, c.Step);
        EXPECT_EQ(M().Level(), c.Level);
        const bool playerFirst = (F().*A::FPlayerLabel)->x() < (F().*A::FComputerLabel)->x();
        EXPECT_EQ(playerFirst, c.Dealer == alComputer);
        EXPECT_EQ(M().GameNo(), 1);
    }
};

TEST_P(SeriesOptionsTest, OkStartsASeriesAsChosenAndTheNextStartKeepsIt)
{
    const TSeriesOptionsCase& c = GetParam();
    F().RequestNewSeries(); // the file's options: fast cards, Rookie, the player deals
    ASSERT_EQ(Shuffles, 1);

    ModalAnswerer answer([&c](QWidget* Modal) {
        auto* dialog = qobject_cast<TOptionsDialog*>(Modal);
        ASSERT_NE(dialog, nullptr) << Modal->metaObject()->className();
        Probe::AnimSpeed(*dialog)->SetItemIndex(c.SpeedButton);
        Probe::SkillLevel(*dialog)->SetItemIndex(c.LevelButton);
        Probe::Dealer(*dialog)->SetItemIndex(c.DealerButton);
        Probe::Ok(*dialog)->click();
    });
    F().FileOptionsAction->trigger();
    ASSERT_EQ(answer.Count(), 1);
    EXPECT_EQ(Shuffles, 2) << "OK deals one new series";
    ExpectSeriesAsChosen();

    StartAgain();
    F().RequestNewSeries();
    EXPECT_EQ(Shuffles, 3);
    ExpectSeriesAsChosen();
}

INSTANTIATE_TEST_SUITE_P(Options, SeriesOptionsTest,
                         ::testing::Values(TSeriesOptionsCase{"FastRookieComputerDeals", 0, 0, 0,
                                                              30, slRookie, alComputer},
                                           TSeriesOptionsCase{"MediumProPlayerDeals", 1, 1, 1, 20,
                                                              slPro, alPlayer},
                                           TSeriesOptionsCase{"SlowAllStarComputerDeals", 2, 2, 0,
                                                              10, slAllStar, alComputer}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(ShellTest, EachGameNamesThePlayerAsTheOptionsDoWhenItStarts)
{
    F().RequestNewSeries();
    EXPECT_EQ((F().*A::FPlayerLabel)->text(), QStringLiteral("Ann"));
    // The dialog's controls are the options' only store while the program runs.
    Probe::Name(*OptionsDialog)->setText(QStringLiteral("Bea"));
    (F().*A::InitGame)();
    EXPECT_EQ((F().*A::FPlayerLabel)->text(), QStringLiteral("Bea"));
    EXPECT_EQ(M().GameNo(), 2);
}
