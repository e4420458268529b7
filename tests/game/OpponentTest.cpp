// The computer's choice of move at the three skill levels, each case a position laid out
// on the table with the marks NextMove would have made.

#include "EngineFixture.h"

#include <optional>

using OpponentTest = EngineTest;

namespace {

using TChoose = int (TMainForm::*)();

// The computer's line-up, slots 2 to 7, without the given slots.
std::vector<TCardAt> ComputerLine(std::set<int> Empty = {})
{
    std::vector<TCardAt> cards;
    const TCardValue values[] = {cvTen, cvEight, cvNine, cvFive, cvJack, cvSix};
    for (int slot = 2; slot <= 7; ++slot) {
        if (!Empty.contains(slot))
            cards.push_back({slot, values[slot - 2]});
    }
    return cards;
}

std::vector<TCardAt> Join(std::vector<TCardAt> A, const std::vector<TCardAt>& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

struct ChoiceCase
{
    const char* Name;
    TSkillLevel Level;
    TChoose Choose;
    std::vector<TCardAt> Cards;
    TCardValue Top;
    std::set<int> Playable;
    std::set<int> Expected;
    uint8_t TopKind = kindFaceUp;
    int TopIndex = 30;
    const char* Clock = "10:00";
    int Period = 1;
    TCardValue LastShot = cvTwo;
    TCardValue PlayerLastShot = cvTwo;
    std::optional<TCardValue> LastShotAfter = {};
    std::optional<TCardValue> PlayerLastShotAfter = {};
    bool EveryCandidate = false; // a random choice: each expected slot must turn up
};

} // namespace

TEST_F(OpponentTest, ChoicesOfTheThreeLevels)
{
    const auto Rookie = A::ChooseRookieSlot;
    const auto Pro = A::ChooseProSlot;
    const auto AllStar = A::ChooseAllStarSlot;
    const auto Attack = A::ChooseAttackSlot;
    const auto ProFill = A::ChooseProFillSlot;
    const auto AllStarFill = A::ChooseAllStarFillSlot;
    // The player's forward 9 can be beaten: a field move besides the shot.
    const std::vector<TCardAt> playerCentre = {{9, cvFive}};

    const ChoiceCase cases[] = {
        // Rookie.
        {.Name = "rookie puts a face-down card into its goal",
         .Level = slRookie,
         .Choose = Rookie,
         .Cards = ComputerLine({2}),
         .Top = cvAce,
         .Playable = {1, 2},
         .Expected = {2},
         .TopKind = kindComputerBack},
        {.Name = "rookie discards when nothing else is playable",
         .Level = slRookie,
         .Choose = Rookie,
         .Cards = ComputerLine(),
         .Top = cvTwo,
         .Playable = {14},
         .Expected = {14}},
        {.Name = "rookie picks any playable slot but the pack",
         .Level = slRookie,
         .Choose = Rookie,
         .Cards = ComputerLine({5}),
         .Top = cvAce,
         .Playable = {1, 5, 9, 13},
         .Expected = {5, 9, 13},
         .EveryCandidate = true},
        // A face-down card: into the goal while vacancies are fewer than the half-minutes.
        {.Name = "pro turns a face-down card over at 0:30",
         .Level = slPro,
         .Choose = Pro,
         .Cards = ComputerLine({2, 5}),
         .Top = cvAce,
         .Playable = {1, 2},
         .Expected = {1},
         .TopKind = kindComputerBack,
         .Clock = "0:30"},
        {.Name = "pro keeps a face-down card in its goal at 19:30",
         .Level = slPro,
         .Choose = Pro,
         .Cards = ComputerLine({2, 5}),
         .Top = cvAce,
         .Playable = {1, 2},
         .Expected = {2},
         .TopKind = kindComputerBack,
         .Clock = "19:30"},
        {.Name = "all-star forgets the old goal card with a face-down card",
         .Level = slAllStar,
         .Choose = AllStar,
         .Cards = ComputerLine({2, 5}),
         .Top = cvAce,
         .Playable = {1, 2},
         .Expected = {2},
         .TopKind = kindComputerBack,
         .Clock = "19:30",
         .PlayerLastShot = cvKing,
         .PlayerLastShotAfter = cvTwo},
        {.Name = "pro discards first",
         .Level = slPro,
         .Choose = Pro,
         .Cards = ComputerLine(),
         .Top = cvTwo,
         .Playable = {14},
         .Expected = {14}},
        // Pro: shoot with a card above its last saved shot, else play in the field.
        {.Name = "pro after a saved Ten holds a Ten back",
         .Level = slPro,
         .Choose = Pro,
         .Cards = Join(ComputerLine(), playerCentre),
         .Top = cvTen,
         .Playable = {9, 13},
         .Expected = {9},
         .LastShot = cvTen,
         .LastShotAfter = cvTen},
        {.Name = "pro after a saved Ten shoots a Jack",
         .Level = slPro,
         .Choose = Pro,
         .Cards = Join(ComputerLine(), playerCentre),
         .Top = cvJack,
         .Playable = {9, 13},
         .Expected = {13},
         .LastShot = cvTen,
         .LastShotAfter = cvJack},
        {.Name = "pro after scoring shoots a Three",
         .Level = slPro,
         .Choose = Pro,
         .Cards = Join(ComputerLine(), playerCentre),
         .Top = cvThree,
         .Playable = {9, 13},
         .Expected = {13},
         .LastShot = cvTwo,
         .LastShotAfter = cvThree},
        {.Name = "pro without a field move shoots any card",
         .Level = slPro,
         .Choose = Pro,
         .Cards = ComputerLine(),
         .Top = cvTwo,
         .Playable = {13},
         .Expected = {13},
         .LastShot = cvAce,
         .LastShotAfter = cvTwo},
        {.Name = "pro repairs an uncovered line before shooting",
         .Level = slPro,
         .Choose = Pro,
         .Cards = ComputerLine({3, 5}),
         .Top = cvAce,
         .Playable = {3, 5, 13},
         .Expected = {5},
         .LastShotAfter = cvTwo},
        {.Name = "pro in overtime still repairs its line",
         .Level = slPro,
         .Choose = Pro,
         .Cards = ComputerLine({3, 5}),
         .Top = cvSeven,
         .Playable = {3, 5, 13},
         .Expected = {5},
         .Period = 4},
        // All-Star: sharper shooting.
        {.Name = "all-star holds a Six back while a field move exists",
         .Level = slAllStar,
         .Choose = AllStar,
         .Cards = Join(ComputerLine(), playerCentre),
         .Top = cvSix,
         .Playable = {9, 13},
         .Expected = {9},
         .LastShotAfter = cvTwo},
        {.Name = "all-star shoots a Six that is the last card",
         .Level = slAllStar,
         .Choose = AllStar,
         .Cards = Join(ComputerLine(), playerCentre),
         .Top = cvSix,
         .Playable = {9, 13},
         .Expected = {13},
         .TopIndex = 52,
         .LastShotAfter = cvSix},
        {.Name = "all-star shoots a Seven",
         .Level = slAllStar,
         .Choose = AllStar,
         .Cards = Join(ComputerLine(), playerCentre),
         .Top = cvSeven,
         .Playable = {9, 13},
         .Expected = {13},
         .LastShotAfter = cvSeven},
        {.Name = "all-star holds back a card not above its saved shot",
         .Level = slAllStar,
         .Choose = AllStar,
         .Cards = Join(ComputerLine(), playerCentre),
         .Top = cvNine,
         .Playable = {9, 13},
         .Expected = {9},
         .LastShot = cvNine},
        {.Name = "all-star in overtime counts its goal as covered",
         .Level = slAllStar,
         .Choose = AllStar,
         .Cards = ComputerLine({3, 5}),
         .Top = cvSeven,
         .Playable = {3, 5, 13},
         .Expected = {13},
         .Period = 4,
         .LastShotAfter = cvSeven},
        {.Name = "all-star trusts a goal card that stopped a King",
         .Level = slAllStar,
         .Choose = AllStar,
         .Cards = ComputerLine({3, 5}),
         .Top = cvEight,
         .Playable = {3, 5, 13},
         .Expected = {13},
         .PlayerLastShot = cvKing},
        {.Name = "all-star with the last card of the pack shoots",
         .Level = slAllStar,
         .Choose = AllStar,
         .Cards = ComputerLine({3, 5}),
         .Top = cvThree,
         .Playable = {3, 5, 13},
         .Expected = {13},
         .TopIndex = 52,
         .LastShotAfter = cvThree},
        {.Name = "all-star repairs an uncovered line: a high card to the defence",
         .Level = slAllStar,
         .Choose = AllStar,
         .Cards = ComputerLine({3, 5}),
         .Top = cvNine,
         .Playable = {3, 5, 13},
         .Expected = {3},
         .PlayerLastShot = cvQueen},
        // Attack: the highest card it can beat, defenders first.
        {.Name = "equal defenders: the left one",
         .Level = slPro,
         .Choose = Attack,
         .Cards = {{11, cvNine}, {12, cvNine}},
         .Top = cvTen,
         .Playable = {11, 12},
         .Expected = {11}},
        {.Name = "the higher defender",
         .Level = slPro,
         .Choose = Attack,
         .Cards = {{11, cvNine}, {12, cvTen}},
         .Top = cvTen,
         .Playable = {11, 12},
         .Expected = {12}},
        {.Name = "a defender before a higher forward",
         .Level = slPro,
         .Choose = Attack,
         .Cards = {{9, cvJack}, {12, cvFour}},
         .Top = cvJack,
         .Playable = {9, 12},
         .Expected = {12}},
        {.Name = "the highest forward, the lowest slot on a tie",
         .Level = slPro,
         .Choose = Attack,
         .Cards = {{8, cvFive}, {9, cvSeven}, {10, cvSeven}},
         .Top = cvJack,
         .Playable = {8, 9, 10},
         .Expected = {9}},
        {.Name = "nothing to attack",
         .Level = slPro,
         .Choose = Attack,
         .Cards = ComputerLine({5}),
         .Top = cvJack,
         .Playable = {5},
         .Expected = {-1}},
        // Both wings playable, the centre live: the All-Star level looks behind them.
        {.Name = "pro ignores the defenders behind the wings",
         .Level = slPro,
         .Choose = Attack,
         .Cards = {{8, cvSix}, {9, cvFive}, {10, cvFive}, {11, cvQueen}, {12, cvFour}},
         .Top = cvJack,
         .Playable = {8, 10},
         .Expected = {8}},
        {.Name = "all-star attacks the wing before the weaker defender",
         .Level = slAllStar,
         .Choose = Attack,
         .Cards = {{8, cvSix}, {9, cvFive}, {10, cvFive}, {11, cvQueen}, {12, cvFour}},
         .Top = cvJack,
         .Playable = {8, 10},
         .Expected = {10}},
        {.Name = "all-star attacks the wing before a missing defender",
         .Level = slAllStar,
         .Choose = Attack,
         .Cards = {{8, cvFive}, {9, cvFive}, {10, cvSix}, {12, cvFour}},
         .Top = cvJack,
         .Playable = {8, 10},
         .Expected = {8}},
        {.Name = "all-star without defenders: the left wing",
         .Level = slAllStar,
         .Choose = Attack,
         .Cards = {{8, cvFive}, {9, cvAce}, {10, cvSix}},
         .Top = cvJack,
         .Playable = {8, 10},
         .Expected = {8}},
        {.Name = "all-star with equal defenders keeps the highest wing",
         .Level = slAllStar,
         .Choose = Attack,
         .Cards = {{8, cvFive}, {9, cvFive}, {10, cvSix}, {11, cvNine}, {12, cvNine}},
         .Top = cvJack,
         .Playable = {8, 10},
         .Expected = {10}},
        // Filling vacancies.
        {.Name = "pro fills a forward slot before a defender",
         .Level = slPro,
         .Choose = ProFill,
         .Cards = ComputerLine({3, 5, 7}),
         .Top = cvAce,
         .Playable = {3, 5, 7},
         .Expected = {5, 7},
         .EveryCandidate = true},
        {.Name = "pro fills either defender",
         .Level = slPro,
         .Choose = ProFill,
         .Cards = ComputerLine({3, 4}),
         .Top = cvAce,
         .Playable = {3, 4},
         .Expected = {3, 4},
         .EveryCandidate = true},
        {.Name = "pro with nothing to fill",
         .Level = slPro,
         .Choose = ProFill,
         .Cards = ComputerLine(),
         .Top = cvAce,
         .Playable = {9},
         .Expected = {-1}},
        {.Name = "all-star: a Nine goes to the defence",
         .Level = slAllStar,
         .Choose = AllStarFill,
         .Cards = ComputerLine({4, 6}),
         .Top = cvNine,
         .Playable = {4, 6},
         .Expected = {4}},
        {.Name = "all-star: a Seven goes to the forwards",
         .Level = slAllStar,
         .Choose = AllStarFill,
         .Cards = ComputerLine({4, 6}),
         .Top = cvSeven,
         .Playable = {4, 6},
         .Expected = {6}},
        {.Name = "all-star: a high card to the forwards when the defence is full",
         .Level = slAllStar,
         .Choose = AllStarFill,
         .Cards = ComputerLine({6}),
         .Top = cvAce,
         .Playable = {6},
         .Expected = {6}},
        {.Name = "all-star: both wings free, the wing before the weaker defender (left)",
         .Level = slAllStar,
         .Choose = AllStarFill,
         .Cards = {{3, cvTwo}, {4, cvKing}, {6, cvTen}},
         .Top = cvFive,
         .Playable = {5, 7},
         .Expected = {5}},
        {.Name = "all-star: both wings free, the wing before the weaker defender (right)",
         .Level = slAllStar,
         .Choose = AllStarFill,
         .Cards = {{3, cvKing}, {4, cvTwo}, {6, cvTen}},
         .Top = cvFive,
         .Playable = {5, 7},
         .Expected = {7}},
        {.Name = "all-star: the defender behind the weaker pair of forwards",
         .Level = slAllStar,
         .Choose = AllStarFill,
         .Cards = {{5, cvKing}, {6, cvThree}},
         .Top = cvTen,
         .Playable = {3, 4, 7},
         .Expected = {4}},
        {.Name = "all-star: the left defender when the left pair is not stronger",
         .Level = slAllStar,
         .Choose = AllStarFill,
         .Cards = {{6, cvThree}, {7, cvKing}},
         .Top = cvTen,
         .Playable = {3, 4, 5},
         .Expected = {3}},
    };

    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::set<int> seen;
        const int draws = c.EveryCandidate ? 200 : 20;
        for (int i = 0; i < draws; ++i) {
            Lay(c.Cards, c.Top, c.TopKind, c.TopIndex);
            MarkPlayable(std::initializer_list<int>{});
            for (int slot : c.Playable)
                M().SetCanplay(slot, true);
            M().SetLevel(c.Level);
            M().SetPeriodNo(uint8_t(c.Period));
            M().SetLastShotValues(c.LastShot, c.PlayerLastShot);
            SetClock(QString::fromLatin1(c.Clock));

            const int choice = (F().*c.Choose)();
            seen.insert(choice);
            ASSERT_TRUE(c.Expected.contains(choice)) << "chose " << choice;
            if (choice != -1) {
                EXPECT_TRUE(M().Canplay(choice)) << "chose " << choice;
            }
            if (c.LastShotAfter) {
                EXPECT_EQ(M().LastShotValue(), *c.LastShotAfter);
            }
            if (c.PlayerLastShotAfter) {
                EXPECT_EQ(M().PlayerLastShotValue(), *c.PlayerLastShotAfter);
            }
        }
        if (c.EveryCandidate) {
            EXPECT_EQ(seen, c.Expected);
        }
    }
}

TEST_F(OpponentTest, OwnGoalCoveredByTheLineUp)
{
    // Line-ups of live cards in slots 3 to 7, and whether the Pro level sees its goal covered.
    const std::pair<std::set<int>, bool> cases[] = {
        {{3, 4}, true},     {{3, 6, 7}, true},  {{4, 5, 6}, true}, {{5, 6, 7}, true},
        {{3, 5, 7}, false}, {{4, 5, 7}, false}, {{3, 6}, false},   {{}, false},
    };
    for (const auto& [line, covered] : cases) {
        std::vector<TCardAt> cards = {{2, cvTen}};
        for (int slot : line)
            cards.push_back({slot, cvFive});
        Lay(cards, cvTwo);
        M().SetPeriodNo(1);
        M().SetLastShotValues(M().LastShotValue(), cvTwo);
        for (TSkillLevel level : {slRookie, slPro, slAllStar}) {
            M().SetLevel(level);
            EXPECT_EQ((F().*A::OwnGoalCovered)(), level != slRookie && covered)
                << "level " << int(level) << ", " << line.size() << " cards";
        }
    }
}
