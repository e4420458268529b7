// Unit Lib: the pack's cards and layers, the shuffle, the ordinal words and the centred
// Yes/No question.
#include "game/Lib.h"
#include "game/Match.h"

#include "ModalAnswerer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

// 52 faces that tell each other apart: face i is filled with colour 0xfe0000ii.
TBitmap32List DistinctFaces()
{
    TBitmap32List faces;
    for (int i = 0; i < CardCount; ++i) {
        QImage image(53, 83, QImage::Format_ARGB32);
        image.fill(0xfe000000u | uint32_t(i));
        faces.Add(TBitmap32(image));
    }
    return faces;
}

int FaceOf(const TPlayingCard& card)
{
    return int(card.Layer->Bitmap().Pixel(10, 10) & 0xff);
}

// A table image with the pack's 52 layers on top of a few others.
struct TPackOnTable
{
    TImage32 Table;
    TPackOfCards Pack;
    TPackOnTable()
    {
        for (int i = 0; i < 5; ++i)
            Table.Layers().Add(); // stands for the slots under the cards
        CreateCardLayers(Table.Layers(), Pack);
    }
};

// Restores the clock as the shuffle's seed source after each test.
class SeededShuffle : public ::testing::Test
{
protected:
    void TearDown() override { SetShuffleSeedSource({}); }
    TBitmap32List Faces = DistinctFaces();
};

} // namespace

// ---------------------------------------------------------------------------------------
// CreateCardLayers

struct CreatedCard
{
    int CardNo;
    uint8_t Suit;
    TCardValue Value;
};

class CreateCardLayersTest : public ::testing::TestWithParam<CreatedCard>
{
};

TEST_P(CreateCardLayersTest, NumbersSuitAndRankFollowThePackOrder)
{
    const CreatedCard c = GetParam();
    TPackOnTable t;
    const TPlayingCard& card = t.Pack.Card(c.CardNo);
    EXPECT_EQ(card.CardNo, c.CardNo);
    EXPECT_EQ(card.Suit, c.Suit);
    EXPECT_EQ(card.Value, c.Value);
    EXPECT_EQ(card.Suit * 13 + card.Value, c.CardNo - 1); // face picture of card i is i - 1
    ASSERT_NE(card.Layer, nullptr);
    EXPECT_EQ(card.Layer->Index(), 5 + c.CardNo - 1); // appended above what was there
    EXPECT_EQ(card.Kind, kindFaceUp);
    EXPECT_FALSE(card.Beaten);
}

INSTANTIATE_TEST_SUITE_P(Cards, CreateCardLayersTest,
                         ::testing::Values(CreatedCard{1, 0, cvTwo}, CreatedCard{13, 0, cvAce},
                                           CreatedCard{14, 1, cvTwo}, CreatedCard{37, 2, cvQueen},
                                           CreatedCard{52, 3, cvAce}));

TEST(CreateCardLayers, GivesEveryCardALayerOfItsOwn)
{
    TPackOnTable t;
    EXPECT_EQ(t.Table.Layers().Count(), 5 + CardCount);
    for (int i = 1; i <= CardCount; ++i)
        EXPECT_EQ(t.Table.Layers().Items(5 + i - 1), t.Pack.Card(i).Layer) << "card " << i;
}

// ---------------------------------------------------------------------------------------
// SwapCards

TEST(SwapCards, ExchangesThePhysicalCardAndClearsBeatenOfTheSecondPlaceOnly)
{
    TPackOnTable t;
    TPlayingCard& a = t.Pack.Card(3);
    TPlayingCard& b = t.Pack.Card(40);
    a.Kind = kindComputerBack;
    a.Beaten = true;
    b.Kind = kindPlayerBack;
    b.Beaten = true;
    TBitmapLayer* layerA = a.Layer;
    TBitmapLayer* layerB = b.Layer;

    SwapCards(t.Pack, 3, 40);

    EXPECT_EQ(a.CardNo, 3);
    EXPECT_EQ(b.CardNo, 40);
    EXPECT_EQ(a.Kind, kindComputerBack);
    EXPECT_EQ(b.Kind, kindPlayerBack);
    EXPECT_EQ(a.Layer, layerB);
    EXPECT_EQ(b.Layer, layerA);
    EXPECT_EQ(a.Suit, 3); // card 40 was the two of clubs
    EXPECT_EQ(a.Value, cvTwo);
    EXPECT_EQ(b.Suit, 0); // card 3 was the four of diamonds
    EXPECT_EQ(b.Value, cvFour);
    EXPECT_TRUE(a.Beaten);
    EXPECT_FALSE(b.Beaten);
}

TEST(SwapCards, WithItselfChangesNothingButBeaten)
{
    TPackOnTable t;
    TPlayingCard& c = t.Pack.Card(7);
    TBitmapLayer* layer = c.Layer;
    c.Beaten = true;
    SwapCards(t.Pack, 7, 7);
    EXPECT_EQ(c.Layer, layer);
    EXPECT_EQ(c.Value, cvEight);
    EXPECT_FALSE(c.Beaten);
}

// ---------------------------------------------------------------------------------------
// ShuffleCards

TEST_F(SeededShuffle, GathersEveryCardFaceUpAndInvisibleAtThePack)
{
    TPackOnTable t;
    for (int i = 1; i <= CardCount; ++i) {
        t.Pack.Card(i).Kind = uint8_t(i % 3);
        t.Pack.Card(i).Beaten = i % 2 == 0;
        t.Pack.Card(i).Layer->Bitmap().SetMasterAlpha(255);
        t.Pack.Card(i).Layer->SetLocation({200, 200, 253, 283});
    }
    t.Pack.bTopCardsIndex = 37;

    ShuffleCards(t.Pack, Faces);

    EXPECT_EQ(t.Pack.bTopCardsIndex, 1);
    const TFloatRect pack{8, 232, 61, 315};
    for (int i = 1; i <= CardCount; ++i) {
        const TPlayingCard& card = t.Pack.Card(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(card.CardNo, i);
        EXPECT_EQ(card.Kind, kindFaceUp);
        EXPECT_FALSE(card.Beaten);
        EXPECT_EQ(card.Layer->Bitmap().MasterAlpha(), 0);
        EXPECT_EQ(card.Layer->Bitmap().DrawMode(), dmBlend);
        EXPECT_EQ(card.Layer->Location(), pack);
        EXPECT_EQ(FaceOf(card), card.Suit * 13 + card.Value);
    }
}

TEST_F(SeededShuffle, StacksTheLayersInPackOrderWithCardOneOnTop)
{
    TPackOnTable t;
    ShuffleCards(t.Pack, Faces);
    const int top = t.Table.Layers().Count() - 1;
    for (int i = 1; i <= CardCount; ++i)
        EXPECT_EQ(t.Pack.Card(i).Layer->Index(), top - (i - 1)) << "card " << i;
}

TEST_F(SeededShuffle, KeepsAllFiftyTwoCardsOnce)
{
    TPackOnTable t;
    ShuffleCards(t.Pack, Faces);
    std::array<int, CardCount> seen{};
    for (int i = 1; i <= CardCount; ++i)
        ++seen[size_t(t.Pack.Card(i).Suit * 13 + t.Pack.Card(i).Value)];
    for (int face = 0; face < CardCount; ++face)
        EXPECT_EQ(seen[size_t(face)], 1) << "face " << face;
}

// The table shows the engine's order: the same seed gives the faces ShufflePackOrder puts
// at each place, starting from the order the pack had.
TEST_F(SeededShuffle, DealsTheEnginesOrderForTheSeed)
{
    for (const quint32 seed : {1u, 77u, 123456789u}) {
        SetShuffleSeedSource([seed] { return seed; });
        TPackOnTable t;
        ShuffleCards(t.Pack, Faces);
        TPackOrder expected = FreshPackOrder();
        TMatchRandom random(seed);
        ShufflePackOrder(expected, random);
        for (int i = 1; i <= CardCount; ++i)
            EXPECT_EQ(FaceOf(t.Pack.Card(i)), expected[i].Suit * 13 + expected[i].Value)
                << "seed " << seed << " card " << i;

        // A second shuffle starts from the first one's order.
        ShuffleCards(t.Pack, Faces);
        random.Seed(seed);
        ShufflePackOrder(expected, random);
        for (int i = 1; i <= CardCount; ++i)
            EXPECT_EQ(FaceOf(t.Pack.Card(i)), expected[i].Suit * 13 + expected[i].Value)
                << "seed " << seed << " again, card " << i;
    }
}

TEST_F(SeededShuffle, ReseedsAtEveryShuffleSoASeedRepeatsTheDeal)
{
    SetShuffleSeedSource([] { return 2024u; });
    TPackOnTable first;
    TPackOnTable second;
    ShuffleCards(first.Pack, Faces);
    (void)MatchRandom().Below(1000); // the opponent draws in between
    (void)RandomReal();
    ShuffleCards(second.Pack, Faces);
    for (int i = 1; i <= CardCount; ++i)
        EXPECT_EQ(FaceOf(first.Pack.Card(i)), FaceOf(second.Pack.Card(i))) << "card " << i;

    SetShuffleSeedSource([] { return 2025u; });
    TPackOnTable third;
    ShuffleCards(third.Pack, Faces);
    int same = 0;
    for (int i = 1; i <= CardCount; ++i)
        same += FaceOf(first.Pack.Card(i)) == FaceOf(third.Pack.Card(i));
    EXPECT_LT(same, CardCount);
}

TEST_F(SeededShuffle, FromTheClockTwoShufflesInARowDealDifferently)
{
    TPackOnTable first;
    TPackOnTable second;
    ShuffleCards(first.Pack, Faces);
    ShuffleCards(second.Pack, Faces);
    int same = 0;
    for (int i = 1; i <= CardCount; ++i)
        same += FaceOf(first.Pack.Card(i)) == FaceOf(second.Pack.Card(i));
    EXPECT_LT(same, CardCount);
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
