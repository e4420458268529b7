// The series in progress through a restart: the next start brings back the match, the
// score sheet's record and the table as they were after the last landed move; a save that
// cannot be read is set aside with one message and a new series begins.

#include "EngineFixture.h"

#include "tests/support/ModalAnswerer.h"
#include "tests/support/NoFileOverride.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <memory>
#include <tuple>

namespace {

// What the table shows of one card that can be seen.
using TShownCard = std::tuple<TFloatRect, uint8_t, uint8_t>; // place, kind, alpha

std::map<int, TShownCard> ShownCards(TMainForm& Form)
{
    std::map<int, TShownCard> shown;
    TPackOfCards& pack = Form.*A::FPackOfCards;
    for (int n = 1; n <= CardCount; ++n) {
        const TPlayingCard& card = pack.Card(n);
        const TBitmapLayer* layer = A::CardLayer(Form, card);
        const uint8_t alpha = layer->Bitmap().MasterAlpha();
        if (alpha != 0)
            shown[n] = {layer->Location(), card.Kind, alpha};
    }
    return shown;
}

// The uppermost shown card lying at Slot's place, 0 for none.
int UppermostAt(TMainForm& Form, int Slot)
{
    const TFloatRect place = (Form.*A::FHotSpotRects)[Slot].HotSpotLocation;
    int best = 0;
    for (int n = 1; n <= CardCount; ++n) {
        const TBitmapLayer* layer = A::CardLayer(Form, n);
        if (layer->Bitmap().MasterAlpha() != 0 && layer->Location() == place &&
            (best == 0 || layer->Index() > A::CardLayer(Form, best)->Index()))
            best = n;
    }
    return best;
}

std::vector<QString> Captions(TMainForm& Form)
{
    return {(Form.*A::FComputerGoalsLabel)->text(), (Form.*A::FPlayerGoalsLabel)->text(),
            (Form.*A::FPeriodTimeLabel)->text(), (Form.*A::FPeriodLabel)->text(),
            (Form.*A::FPlayerLabel)->text()};
}

} // namespace

class ResumeTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_TRUE(FData.isValid());
        F().SetSaveFile(SavePath());
    }

    QString SavePath() const { return FData.filePath(QStringLiteral("data/series.save")); }

    // The player's first playable slot, then the computer's turns up to the player's.
    void PlayerMoves(int Count)
    {
        for (int i = 0; i < Count && M().HasTopCard(); ++i) {
            ASSERT_EQ(M().Turn(), tuPlayer);
            A::TSequence click(F());
            (F().*A::CarryOutMove)(tuPlayer, M().Playable(tuPlayer).front());
            (F().*A::NextMove)(M().Turn());
        }
    }

    // A window over the same save file, as the next start of the program makes it.
    std::unique_ptr<TMainForm> NextStart()
    {
        auto form = std::make_unique<TMainForm>();
        MakeTimersFast(*form);
        form->SetSaveFile(SavePath());
        return form;
    }

    void WriteSave(const QByteArray& Bytes)
    {
        QDir().mkpath(QFileInfo(SavePath()).absolutePath());
        QFile file(SavePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Bytes);
    }

    QByteArray ReadSave()
    {
        QFile file(SavePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir FData;
};

TEST_F(ResumeTest, TheNextStartShowsTheSeriesAsItWasAndPlaysOnIdentically)
{
    struct Case
    {
        const char* Name;
        int PlayerMoves;
    };
    const Case cases[] = {{"after the deal", 0}, {"mid-period", 8}, {"late in the period", 25}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetDealer(alComputer); // the player moves first
        (F().*A::StartSeries)();
        (F().*A::StartGame)();
        PlayerMoves(c.PlayerMoves);

        const TMatch match = M();
        auto next = NextStart();
        ASSERT_TRUE((next.get()->*A::RestoreMatch)());
        {
            // As the start goes on: the side to move is marked, and the player waits.
            A::TSequence start(*next);
            (next.get()->*A::NextMove)((next.get()->*A::FMatch).Turn());
        }
        EXPECT_TRUE(next.get()->*A::FMatch == match);
        EXPECT_EQ((next.get()->*A::FMatch).Record().Saved(), match.Record().Saved());
        EXPECT_EQ(Captions(*next), Captions(F()));
        EXPECT_EQ(ShownCards(*next), ShownCards(F()));
        for (int slot : {int(slotPack), int(slotDiscard)})
            EXPECT_EQ(UppermostAt(*next, slot), UppermostAt(F(), slot)) << "slot " << slot;
        for (TImage32* TMainForm::*arrow : {A::FTurnArrowComputerImage, A::FTurnArrowPlayerImage})
            EXPECT_EQ((next.get()->*arrow)->Bitmap().MasterAlpha(),
                      (F().*arrow)->Bitmap().MasterAlpha());

        // Both play on with the same clicks: the computer answers alike.
        for (TMainForm* form : {&F(), next.get()}) {
            A::TSequence click(*form);
            TMatch& m = form->*A::FMatch;
            (form->*A::CarryOutMove)(tuPlayer, m.Playable(tuPlayer).back());
            (form->*A::NextMove)(m.Turn());
        }
        EXPECT_TRUE(next.get()->*A::FMatch == M());
    }
}

TEST_F(ResumeTest, AnIntermissionIsSavedBeforeTheSheetRecordsThePeriod)
{
    SetDealer(alComputer);
    (F().*A::StartSeries)();
    (F().*A::StartGame)();
    QByteArray atIntermission;
    Sheet().OnShow = [&] {
        if (atIntermission.isEmpty())
            atIntermission = ReadSave();
    };
    while (M().PeriodNo() == 1)
        PlayerMoves(1);
    ASSERT_FALSE(atIntermission.isEmpty());
    const QString firstPeriod = TStaticsDialogProbe::Cell(Sheet(), 1, 1);

    // Back at the end of the first period: the sheet records it again, once.
    WriteSave(atIntermission);
    Sheet().OnShow = nullptr;
    auto next = NextStart();
    ASSERT_TRUE((next.get()->*A::RestoreMatch)());
    EXPECT_FALSE((next.get()->*A::FMatch).HasTopCard());
    const int showings = Sheet().Showings;
    {
        A::TSequence sequence(*next);
        (next.get()->*A::NextMove)((next.get()->*A::FMatch).Turn());
    }
    EXPECT_EQ(Sheet().Showings, showings + 1);
    EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 1), firstPeriod);
    EXPECT_EQ(TStaticsDialogProbe::Cell(Sheet(), 1, 3), "x-x"); // the second: not played yet
    EXPECT_EQ((next.get()->*A::FMatch).PeriodNo(), 2);
}

TEST_F(ResumeTest, ASaveThatCannotBeReadIsSetAsideAndANewSeriesBegins)
{
    SetDealer(alComputer);
    (F().*A::StartSeries)();
    (F().*A::StartGame)();
    PlayerMoves(5);
    const QByteArray good = ReadSave();
    ASSERT_FALSE(good.isEmpty());
    QByteArray changedByte = good;
    changedByte[good.size() / 2] = changedByte[good.size() / 2] == '1' ? '2' : '1';
    QByteArray newer = good;
    newer.replace("brindletop-save 1", "brindletop-save 2");

    struct Case
    {
        const char* Name;
        QByteArray Bytes; // empty: a directory in the file's place
    };
    const Case cases[] = {
        {"cut in half", good.left(good.size() / 2)},
        {"the last line cut", good.left(good.size() - 10)},
        {"one byte changed", changedByte},
        {"a newer version", newer},
        {"random bytes", QByteArray("\x7f\x45\x4c\x46\x02\x01\x01\x00 \xff\xfe garbage\n")},
        {"an empty file", QByteArray("")},
        {"a directory", QByteArray()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        QFile::remove(SavePath());
        QDir(SavePath() + QStringLiteral(".bad")).removeRecursively();
        if (c.Bytes.isNull())
            ASSERT_TRUE(QDir().mkpath(SavePath()));
        else
            WriteSave(c.Bytes);

        auto next = NextStart();
        ModalAnswerer answer(ModalAnswerer::Accept());
        next->show();
        next.get()->*A::FActivated = true;
        (next.get()->*A::FormActivate)();

        ASSERT_EQ(answer.Texts().size(), 1);
        EXPECT_TRUE(answer.Texts()[0].startsWith(QStringLiteral("The saved series could not be read")));
        const QFileInfo aside(SavePath() + QStringLiteral(".bad"));
        EXPECT_TRUE(aside.exists());
        if (!c.Bytes.isNull()) {
            QFile kept(aside.filePath());
            ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
            EXPECT_EQ(kept.readAll(), c.Bytes);
        }
        // A new series was dealt, and it is what the save now holds.
        EXPECT_EQ((next.get()->*A::FMatch).GameNo(), 1);
        EXPECT_EQ((next.get()->*A::FMatch).PeriodNo(), 1);
        EXPECT_TRUE(QFileInfo(SavePath()).isFile());
    }
}

TEST_F(ResumeTest, NewGameAndTheEndOfASeriesDiscardTheSave)
{
    SetBestOf(boOne);
    SetDealer(alComputer);
    (F().*A::StartSeries)();
    (F().*A::StartGame)();
    PlayerMoves(6);
    ASSERT_TRUE(QFileInfo::exists(SavePath()));

    // New Game: the save is the new series' deal.
    ShowWindow();
    F().RequestNewSeries();
    auto next = NextStart();
    ASSERT_TRUE((next.get()->*A::RestoreMatch)());
    EXPECT_EQ((next.get()->*A::FMatch).TopIndex(), 13);
    EXPECT_EQ((next.get()->*A::FMatch).PeriodNo(), 1);

    // The last move of the series: once it is over nothing is left to bring back.
    SheetHasSeenLevelPeriods(2);
    M().SetPeriodNo(2);
    M().StartPeriod(1);
    (F().*A::InitPeriod)();
    Lay({}, cvTwo, kindFaceUp, 53);
    SetGoals(0, 1);
    ModalAnswerer answer(ModalAnswerer::Click(QMessageBox::No));
    {
        A::TSequence click(F());
        (F().*A::NextMove)(tuPlayer);
    }
    ASSERT_EQ(answer.Texts(), QStringList{QStringLiteral("Do you want to play again?")});
    EXPECT_FALSE(QFileInfo::exists(SavePath()));
}

TEST_F(ResumeTest, AFolderThatTakesNoFileLosesOnlyTheSave)
{
    TNoFileOverrideHere noOverride;
    ASSERT_TRUE(noOverride.Ready());
    const QString folder = QFileInfo(SavePath()).absolutePath();
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    ModalAnswerer answer(ModalAnswerer::Accept());
    SetDealer(alComputer);
    (F().*A::StartSeries)();
    (F().*A::StartGame)();
    PlayerMoves(4);
    EXPECT_EQ(answer.Count(), 0);
    EXPECT_FALSE(QFileInfo::exists(SavePath()));
    EXPECT_EQ(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner);
}
