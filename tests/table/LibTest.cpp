// Unit Lib: the pack's cards, the shuffle, the ordinal words and the centred
// Yes/No question.
#include "game/Lib.h"
#include "game/Match.h"

#include "ModalAnswerer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

// A card's face as the index of its picture, suit * 13 + value.
int FaceOf(const TPlayingCard& card)
{
    return card.Suit * 13 + card.Value;
}

int FaceOf(const TCardFace& face)
{
    return face.Suit * 13 + face.Value;
}

// Restores the clock as the shuffle's seed source after each test.
class SeededShuffle : public ::testing::Test
{
protected:
    void TearDown() override { SetShuffleSeedSource({}); }
};

} // namespace

// ---------------------------------------------------------------------------------------
// TPackOfCards

struct FreshCard
{
    int CardNo;
    uint8_t Suit;
    TCardValue Value;
};

class FreshPackTest : public ::testing::TestWithParam<FreshCard>
{
};

TEST_P(FreshPackTest, NumbersSuitAndRankFollowThePackOrder)
{
    const FreshCard c = GetParam();
    const TPackOfCards pack;
    const TPlayingCard& card = pack.Card(c.CardNo);
    EXPECT_EQ(card.CardNo, c.CardNo);
    EXPECT_EQ(card.Suit, c.Suit);
    EXPECT_EQ(card.Value, c.Value);
    EXPECT_EQ(FaceOf(card), c.CardNo - 1); // face picture of card i is i - 1
    EXPECT_EQ(card.Kind, kindFaceUp);
    EXPECT_FALSE(card.Beaten);
    EXPECT_EQ(pack.bTopCardsIndex, 0); // nothing dealt yet
}

INSTANTIATE_TEST_SUITE_P(Cards, FreshPackTest,
                         ::testing::Values(FreshCard{1, 0, cvTwo}, FreshCard{13, 0, cvAce},
                                           FreshCard{14, 1, cvTwo}, FreshCard{37, 2, cvQueen},
                                           FreshCard{52, 3, cvAce}));

// ---------------------------------------------------------------------------------------
// SwapCards

TEST(SwapCards, ExchangesTheFacesAndClearsBeatenOfTheSecondPlaceOnly)
{
    TPackOfCards pack;
    TPlayingCard& a = pack.Card(3);
    TPlayingCard& b = pack.Card(40);
    a.Kind = kindComputerBack;
    a.Beaten = true;
    b.Kind = kindPlayerBack;
    b.Beaten = true;

    SwapCards(pack, 3, 40);

    EXPECT_EQ(a.CardNo, 3);
    EXPECT_EQ(b.CardNo, 40);
    EXPECT_EQ(a.Kind, kindComputerBack);
    EXPECT_EQ(b.Kind, kindPlayerBack);
    EXPECT_EQ(a.Suit, 3); // card 40 was the two of clubs
    EXPECT_EQ(a.Value, cvTwo);
    EXPECT_EQ(b.Suit, 0); // card 3 was the four of diamonds
    EXPECT_EQ(b.Value, cvFour);
    EXPECT_TRUE(a.Beaten);
    EXPECT_FALSE(b.Beaten);
}

TEST(SwapCards, WithItselfChangesNothingButBeaten)
{
    TPackOfCards pack;
    TPlayingCard& c = pack.Card(7);
    c.Beaten = true;
    SwapCards(pack, 7, 7);
    EXPECT_EQ(c.CardNo, 7);
    EXPECT_EQ(c.Suit, 0);
    EXPECT_EQ(c.Value, cvEight);
    EXPECT_FALSE(c.Beaten);
}

// ---------------------------------------------------------------------------------------
// ShuffleCards, LayPack

TEST_F(SeededShuffle, TurnsEveryCardFaceUpUnbeatenWithCardOneOnTop)
{
    TPackOfCards pack;
    for (int i = 1; i <= CardCount; ++i) {
        pack.Card(i).Kind = uint8_t(i % 3);
        pack.Card(i).Beaten = i % 2 == 0;
    }
    pack.bTopCardsIndex = 37;

    ShuffleCards(pack);

    EXPECT_EQ(pack.bTopCardsIndex, 1);
    for (int i = 1; i <= CardCount; ++i) {
        const TPlayingCard& card = pack.Card(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(card.CardNo, i);
        EXPECT_EQ(card.Kind, kindFaceUp);
        EXPECT_FALSE(card.Beaten);
    }
}

TEST_F(SeededShuffle, KeepsAllFiftyTwoCardsOnce)
{
    TPackOfCards pack;
    ShuffleCards(pack);
    std::array<int, CardCount> seen{};
    for (int i = 1; i <= CardCount; ++i)
        ++seen[size_t(FaceOf(pack.Card(i)))];
    for (int face = 0; face < CardCount; ++face)
        EXPECT_EQ(seen[size_t(face)], 1) << "face " << face;
}

// The table shows the engine's order: the same seed gives the faces ShufflePackOrder puts
// at each place, starting from the order the pack had.
TEST_F(SeededShuffle, DealsTheEnginesOrderForTheSeed)
{
    for (const quint32 seed : {1u, 77u, 4711u, 123456789u}) {
        SetShuffleSeedSource([seed] { return seed; });
        TPackOfCards pack;
        ShuffleCards(pack);
        TPackOrder expected = FreshPackOrder();
        TMatchRandom random(seed);
        ShufflePackOrder(expected, random);
        for (int i = 1; i <= CardCount; ++i)
            EXPECT_EQ(FaceOf(pack.Card(i)), FaceOf(expected[i]))
                << "seed " << seed << " card " << i;

        // A second shuffle starts from the first one's order.
        ShuffleCards(pack);
        random.Seed(seed);
        ShufflePackOrder(expected, random);
        for (int i = 1; i <= CardCount; ++i)
            EXPECT_EQ(FaceOf(pack.Card(i)), FaceOf(expected[i]))
                << "seed " << seed << " again, card " << i;
    }
}

TEST_F(SeededShuffle, FixedSeedGivesTheFixedDeal)
{
    // The first eight places of a fresh pack shuffled from seed 4711, as the engine pins them.
    SetShuffleSeedSource([] { return 4711u; });
    TPackOfCards pack;
    ShuffleCards(pack);
    std::vector<int> first;
    for (int i = 1; i <= 8; ++i)
        first.push_back(FaceOf(pack.Card(i)));
    EXPECT_EQ(first, (std::vector<int>{5, 24, 12, 28, 1, 18, 25, 30}));
}

TEST_F(SeededShuffle, ReseedsAtEveryShuffleSoASeedRepeatsTheDeal)
{
    SetShuffleSeedSource([] { return 2024u; });
    TPackOfCards first;
    TPackOfCards second;
    ShuffleCards(first);
    (void)MatchRandom().Below(1000); // the opponent draws in between
    (void)RandomReal();
    ShuffleCards(second);
    for (int i = 1; i <= CardCount; ++i)
        EXPECT_EQ(FaceOf(first.Card(i)), FaceOf(second.Card(i))) << "card " << i;

    SetShuffleSeedSource([] { return 2025u; });
    TPackOfCards third;
    ShuffleCards(third);
    int same = 0;
    for (int i = 1; i <= CardCount; ++i)
        same += FaceOf(first.Card(i)) == FaceOf(third.Card(i));
    EXPECT_LT(same, CardCount);
}

TEST_F(SeededShuffle, FromTheClockTwoShufflesInARowDealDifferently)
{
    TPackOfCards first;
    TPackOfCards second;
    ShuffleCards(first);
    ShuffleCards(second);
    int same = 0;
    for (int i = 1; i <= CardCount; ++i)
        same += FaceOf(first.Card(i)) == FaceOf(second.Card(i));
    EXPECT_LT(same, CardCount);
}

TEST(LayPack, GivesEachPlaceTheFaceOfTheOrder)
{
    TPackOrder order = FreshPackOrder();
    std::reverse(order.begin() + 1, order.end());
    TPackOfCards pack;
    LayPack(pack, order);
    for (int i = 1; i <= CardCount; ++i) {
        EXPECT_EQ(pack.Card(i).CardNo, i);
        EXPECT_EQ(FaceOf(pack.Card(i)), CardCount - i) << "card " << i;
    }
    EXPECT_EQ(pack.bTopCardsIndex, 1);
}

// ---------------------------------------------------------------------------------------
// OrdinalWord

TEST(OrdinalWord, NamesTheFirstSixAndNothingElse)
{
    const std::pair<unsigned, const char*> cases[] = {
        {0, "error"}, {1, "first"}, {2, "second"}, {3, "third"},           {4, "fourth"},
        {5, "fifth"}, {6, "sixth"}, {7, "error"},  {4294967295u, "error"},
    };
    for (const auto& [n, word] : cases)
        EXPECT_EQ(OrdinalWord(n).toStdString(), word) << n;
}

// ---------------------------------------------------------------------------------------
// QuestionAt / MessageDlgAt

namespace {

struct TSeenBox
{
    QRect Frame;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    bool HasYes = false;
    bool HasNo = false;
};

ModalAnswerer::Answer Record(TSeenBox& seen, QMessageBox::StandardButton click)
{
    return [&seen, click](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen.Frame = box->frameGeometry();
        seen.Text = box->text();
        seen.Icon = box->icon();
        seen.HasYes = box->button(QMessageBox::Yes) != nullptr;
        seen.HasNo = box->button(QMessageBox::No) != nullptr;
        box->button(click)->click();
    };
}

} // namespace

TEST(QuestionAt, AsksYesOrNoAndReturnsTheAnswer)
{
    const std::pair<QMessageBox::StandardButton, TModalResult> cases[] = {{QMessageBox::Yes, mrYes},
                                                                          {QMessageBox::No, mrNo}};
    for (const auto& [click, result] : cases) {
        TSeenBox seen;
        ModalAnswerer answer(Record(seen, click));
        EXPECT_EQ(QuestionAt(QStringLiteral("Do you want to play again?"), 300, 300), result);
        EXPECT_EQ(answer.Count(), 1);
        EXPECT_EQ(seen.Text.toStdString(), "Do you want to play again?");
        EXPECT_EQ(seen.Icon, QMessageBox::Question);
        EXPECT_TRUE(seen.HasYes);
        EXPECT_TRUE(seen.HasNo);
    }
}

TEST(QuestionAt, CentresTheBoxOnTheGivenPoint)
{
    QWidget window;
    window.setGeometry(100, 60, 344, 613);
    window.show();
    const QPoint windowCentre(window.x() + HalfTiesToEven(window.width()),
                              window.y() + HalfTiesToEven(window.height()));
    // Over the window, as the end of a series asks, and somewhere else entirely.
    for (const QPoint centre : {windowCentre, QPoint(251, 137)}) {
        TSeenBox seen;
        ModalAnswerer answer(Record(seen, QMessageBox::Yes));
        QuestionAt(QStringLiteral("Do you want to play again?"), centre.x(), centre.y(), &window);
        ASSERT_EQ(answer.Count(), 1);
        EXPECT_EQ(seen.Frame.left(), centre.x() - HalfTiesToEven(seen.Frame.width()));
        EXPECT_EQ(seen.Frame.top(), centre.y() - HalfTiesToEven(seen.Frame.height()));
        EXPECT_LE(std::abs(seen.Frame.center().x() - centre.x()), 1);
        EXPECT_LE(std::abs(seen.Frame.center().y() - centre.y()), 1);
    }
}

TEST(QuestionAt, WithBothCoordinatesNegativeCentresOnTheScreen)
{
    QWidget window; // a parent far from the screen's centre must not pull the box over
    window.setGeometry(0, 0, 200, 150);
    window.show();
    TSeenBox seen;
    ModalAnswerer answer(Record(seen, QMessageBox::No));
    QuestionAt(QStringLiteral("Centred?"), -1, -1, &window);
    ASSERT_EQ(answer.Count(), 1);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(seen.Frame.left(), screen.left() + (screen.width() - seen.Frame.width()) / 2);
    EXPECT_EQ(seen.Frame.top(), screen.top() + (screen.height() - seen.Frame.height()) / 2);
}

TEST(MessageDlgAt, WithOneCoordinateNegativeKeepsTheDefaultOnThatAxis)
{
    QWidget window;
    window.setGeometry(40, 30, 500, 400);
    window.show();

    // Where the toolkit puts the same box by itself.
    TSeenBox byDefault;
    {
        ModalAnswerer answer(Record(byDefault, QMessageBox::Ok));
        QMessageBox plain(QMessageBox::Information, QStringLiteral("Information"),
                          QStringLiteral("Where?"), QMessageBox::Ok, &window);
        plain.exec();
    }

    TSeenBox onlyX;
    {
        ModalAnswerer answer(Record(onlyX, QMessageBox::Ok));
        EXPECT_EQ(MessageDlgAt(QStringLiteral("Where?"), QMessageBox::Information, QMessageBox::Ok,
                               0, 123, -1, &window),
                  mrOk);
    }
    EXPECT_EQ(onlyX.Frame.left(), 123 - HalfTiesToEven(onlyX.Frame.width()));
    EXPECT_EQ(onlyX.Frame.top(), byDefault.Frame.top());

    TSeenBox onlyY;
    {
        ModalAnswerer answer(Record(onlyY, QMessageBox::Ok));
        MessageDlgAt(QStringLiteral("Where?"), QMessageBox::Information, QMessageBox::Ok, 0, -5,
                     321, &window);
    }
    EXPECT_EQ(onlyY.Frame.top(), 321 - HalfTiesToEven(onlyY.Frame.height()));
    EXPECT_EQ(onlyY.Frame.left(), byDefault.Frame.left());
}
