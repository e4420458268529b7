// One running copy owns the data folder: this test starts itself as real copies of the
// program's start-up claim, one after another on one folder, and kills the owner the hard
// way to leave its lock behind.

#include "app/DataFolderOwner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

#include <gtest/gtest.h>

#include "UnderThreadSanitizer.h"

namespace {

const char* const ChildDir = "BT_OWNER_DIR";

void Say(const char* Line)
{
    std::printf("%s\n", Line);
    std::fflush(stdout);
}

// A copy started on the folder: says "owner" or "other"; an owner then says "forward"
// each time a later copy knocks, and runs until it is killed (or a minute has passed).
TEST(DataFolderOwnerChild, Run)
{
    const QString dir = qEnvironmentVariable(ChildDir);
    if (dir.isEmpty())
        GTEST_SKIP() << "started only by DataFolderOwner.OneCopyOwnsTheFolderAtATime";
    TDataFolderOwner owner(dir);
    if (owner.Claim() == TDataFolderOwner::TClaim::OtherRunning) {
        Say("other");
        return;
    }
    QObject::connect(&owner, &TDataFolderOwner::ComeForward, [] { Say("forward"); });
    Say("owner");
    (void)QTest::qWaitFor([] { return false; }, 60000);
}

class Copy
{
public:
    explicit Copy(const QString& Dir)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(ChildDir), Dir);
        FProcess.setProcessEnvironment(env);
        FProcess.start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--gtest_filter=DataFolderOwnerChild.Run")});
    }
    ~Copy()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.kill();
            FProcess.waitForFinished();
        }
    }
    // The next line the copy says, empty when none comes within a while.
    QByteArray NextLine()
    {
        while (!FSaid.contains('\n')) {
            if (!FProcess.waitForReadyRead(30000))
                return {};
            FSaid += FProcess.readAllStandardOutput();
        }
        const qsizetype end = FSaid.indexOf('\n');
        QByteArray line = FSaid.left(end);
        FSaid.remove(0, end + 1);
        // gtest's own lines ("Note: Google Test filter", "[ RUN ]") are not the copy's.
        if (line.startsWith("Note:") || line.startsWith("[") || line.isEmpty())
            return NextLine();
        return line;
    }
    bool EndsByItself() { return FProcess.waitForFinished(30000); }
    QProcess& Process() { return FProcess; }

private:
    QProcess FProcess;
    QByteArray FSaid;
};

TEST(DataFolderOwner, OneCopyOwnsTheFolderAtATime)
{
    if (UnderThreadSanitizer)
        GTEST_SKIP() << "a fork after threads have started is beyond the race checker";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString lock = dir.filePath(TDataFolderOwner::LockFileName());

    auto first = std::make_unique<Copy>(dir.path());
    ASSERT_EQ(first->NextLine(), "owner");
    EXPECT_TRUE(QFileInfo::exists(lock));

    // Each later copy leaves at once, and the owner hears each knock.
    for (int later = 0; later < 2; ++later) {
        SCOPED_TRACE(later);
        Copy second(dir.path());
        EXPECT_EQ(second.NextLine(), "other");
        ASSERT_TRUE(second.EndsByItself());
        EXPECT_EQ(second.Process().exitCode(), 0);
        EXPECT_EQ(first->NextLine(), "forward");
    }

    // Killed, the owner leaves its lock; the next copy takes it over as the new owner.
    first->Process().kill();
    ASSERT_TRUE(first->Process().waitForFinished());
    ASSERT_EQ(first->Process().exitStatus(), QProcess::CrashExit);
    first.reset();
    ASSERT_TRUE(QFileInfo::exists(lock));
    Copy third(dir.path());
    EXPECT_EQ(third.NextLine(), "owner");
    Copy fourth(dir.path());
    EXPECT_EQ(fourth.NextLine(), "other");
    EXPECT_EQ(third.NextLine(), "forward");
}

} // namespace
