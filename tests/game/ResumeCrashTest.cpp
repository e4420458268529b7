// A program killed at any moment of a series leaves a save the next start brings back
// whole: this test starts itself again as a player of endless series that saves after
// every move, kills it with SIGKILL at random moments, and restores what it left.

#include "EngineFixture.h"

#include "tests/support/ModalAnswerer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QRegularExpression>

#include <cstdio>
#include <random>

#include "UnderThreadSanitizer.h"

namespace {

const char* const ChildDir = "BT_RESUME_CRASH_DIR";

// The goals of a sheet cell "a-b" ("a-b OT"), first-named side first.
std::pair<int, int> CellScore(const QString& Cell)
{
    static const QRegularExpression score(QStringLiteral("^(\\d+)-(\\d+)"));
    const QRegularExpressionMatch m = score.match(Cell);
    return m.hasMatch() ? std::pair{m.captured(1).toInt(), m.captured(2).toInt()}
                        : std::pair{0, 0};
}

} // namespace

class ResumeCrash : public EngineTest
{
protected:
    QString SaveIn(const QString& Dir) { return Dir + QStringLiteral("/series.save"); }
};

// The killed program: series after series with random clicks, saving as it goes. Runs only
// when started by the test below.
TEST_F(ResumeCrash, Child)
{
    const QString dir = qEnvironmentVariable(ChildDir);
    if (dir.isEmpty())
        GTEST_SKIP() << "started only by ResumeCrash.KilledAtRandomMomentsRestoresAConsistentSeries";
    F().SetSaveFile(SaveIn(dir));
    ModalAnswerer again(ModalAnswerer::Click(QMessageBox::Yes));
    std::mt19937 random(uint32_t(QCoreApplication::applicationPid()));
    SetBestOf(boThree);
    (F().*A::StartSeries)();
    (F().*A::StartGame)();
    // The deal has landed and been saved: the killing may begin.
    std::printf("dealt\n");
    std::fflush(stdout);
    // Ends by itself should the test that kills it be gone.
    QElapsedTimer playing;
    playing.start();
    while (playing.elapsed() < 60000) {
        const std::vector<int> playable = M().Playable(tuPlayer);
        ASSERT_FALSE(playable.empty());
        A::TSequence click(F());
        (F().*A::CarryOutMove)(tuPlayer, playable[random() % playable.size()]);
        (F().*A::NextMove)(M().Turn());
    }
}

TEST_F(ResumeCrash, KilledAtRandomMomentsRestoresAConsistentSeries)
{
    if (UnderThreadSanitizer)
        GTEST_SKIP() << "a fork after threads have started is beyond the race checker";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::mt19937 random(20261211);
    int restored = 0;
    for (int kill = 0; kill < 50; ++kill) {
        SCOPED_TRACE(kill);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(ChildDir), dir.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=ResumeCrash.Child")});
        ASSERT_TRUE(child.waitForStarted());
        // However slowly the program starts (under a sanitizer), the kill falls somewhere
        // between its first save and deep into a series.
        QByteArray said;
        while (!said.contains("dealt\n")) {
            ASSERT_TRUE(child.waitForReadyRead(60000)) << "the child never dealt: " << said.data();
            said += child.readAllStandardOutput();
        }
        QThread::msleep(random() % 1500);
        child.kill();
        ASSERT_TRUE(child.waitForFinished());
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardError().data();

        // Between a series' end, which discards the save, and the next deal there is none.
        if (!QFileInfo::exists(SaveIn(dir.path())))
            continue;
        auto next = std::make_unique<TMainForm>();
        next->SetSaveFile(SaveIn(dir.path()));
        ModalAnswerer noMessage(ModalAnswerer::Accept());
        ASSERT_TRUE((next.get()->*A::RestoreMatch)());
        ASSERT_EQ(noMessage.Count(), 0);
        ++restored;

        // Each card in one place, and the score the goals add up to: the periods the
        // sheet has recorded for this game, and the current period's log.
        const TMatch& m = next.get()->*A::FMatch;
        std::string why;
        EXPECT_TRUE(m.Consistent(&why)) << why;
        const int game = m.Record().Game();
        const bool playerFirst = m.GameDealer() == alPlayer;
        int computer = m.PeriodGoalsOf(tuComputer);
        int player = m.PeriodGoalsOf(tuPlayer);
        for (int period = 1; period <= 3 && period < m.PeriodNo(); ++period) {
            const auto [first, second] =
                CellScore(QString::fromStdString(m.Record().Cell(game, 2 * period - 1)));
            computer += playerFirst ? second : first;
            player += playerFirst ? first : second;
        }
        EXPECT_EQ(computer, m.Goals(tuComputer));
        EXPECT_EQ(player, m.Goals(tuPlayer));
        EXPECT_EQ(game, m.GameNo());
        EXPECT_EQ(m.Record().Period() + 1, m.PeriodNo());
    }
    EXPECT_GE(restored, 40);
}
