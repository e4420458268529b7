// Help access: activation and deactivation of the help component, what Open shows, the
// hook's handling of the application's help requests, the trace and its switch.
#include "app/HelpSystem.h"
#include "app/HelpHook.h"
#include "app/HtmlHelpApi.h"
#include "platform/HelpViewer.h"

#include "ModalAnswerer.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString TinyChm = QStringLiteral(BT_TINY_CHM);

QStringList OpenFiles()
{
    QStringList files;
    for (THelpViewer* viewer : OpenHelpViewers())
        files << viewer->File().FileName();
    return files;
}

class HelpSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadHtmlHelp();
        ASSERT_TRUE(HtmlHelpLoaded());
        ASSERT_TRUE(FDir.isValid());
        FileA = FDir.filePath(QStringLiteral("a.chm"));
        FileB = FDir.filePath(QStringLiteral("b.chm"));
        ASSERT_TRUE(QFile::copy(TinyChm, FileA));
        ASSERT_TRUE(QFile::copy(TinyChm, FileB));
        FHelp = std::make_unique<THelpSystem>();
    }
    void TearDown() override
    {
        FHelp.reset();
        FreeHtmlHelp();
        EXPECT_TRUE(OpenHelpViewers().isEmpty());
        EXPECT_FALSE(ApplicationHelpEvent()) << "a hook was left installed";
    }

    QTemporaryDir FDir;
    QString FileA;
    QString FileB;
    std::unique_ptr<THelpSystem> FHelp;
};

TEST_F(HelpSystemTest, StartsInactiveWithNoFile)
{
    EXPECT_FALSE(FHelp->Active());
    EXPECT_TRUE(FHelp->Helpfile().isEmpty());
    // Published as properties too.
    EXPECT_EQ(FHelp->property("Active").toBool(), false);
    FHelp->setProperty("Helpfile", FileA);
    EXPECT_EQ(FHelp->Helpfile(), FileA);
}

TEST_F(HelpSystemTest, ActiveFollowsTheHookAndRestoresTheOldHandler)
{
    int oldCalls = 0;
    SetApplicationHelpEvent([&](uint16_t, quintptr, bool& CallHelp) {
        ++oldCalls;
        CallHelp = false;
        return true;
    });
    FHelp->SetHelpfile(FileA);
    FHelp->SetActive(true);
    EXPECT_TRUE(FHelp->Active());
    // The hook now answers the application's requests, not the old handler.
    EXPECT_TRUE(ApplicationHelpCommand(HELP_SETPOPUP_POS, 0));
    EXPECT_EQ(oldCalls, 0);
    FHelp->SetActive(true); // the current value: nothing happens
    EXPECT_TRUE(FHelp->Active());

    FHelp->SetActive(false);
    EXPECT_FALSE(FHelp->Active());
    EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTEXT, 1));
    EXPECT_EQ(oldCalls, 1);
    SetApplicationHelpEvent({});
}

TEST_F(HelpSystemTest, OpenShowsTheFileAndDeactivationClosesIt)
{
    FHelp->SetHelpfile(FileA);
    FHelp->SetActive(true);
    FHelp->Open();
    ASSERT_EQ(OpenFiles(), QStringList{FileA});
    THelpViewer* viewer = OpenHelpViewers().first();
    EXPECT_EQ(viewer->parentWidget(), nullptr);
    EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("/first.html"));

    // Asking again while it is open asks the same viewer, back at the default topic.
    viewer->ShowTopic(QStringLiteral("/second.html"));
    FHelp->Open();
    EXPECT_EQ(OpenHelpViewers(), QList<THelpViewer*>{viewer});
    EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("/first.html"));

    FHelp->SetActive(false);
    EXPECT_TRUE(OpenHelpViewers().isEmpty());
}

TEST_F(HelpSystemTest, HelpfileChangeWaitsForReactivation)
{
    FHelp->SetHelpfile(FileA);
    FHelp->SetActive(true);
    FHelp->SetHelpfile(FileB);
    EXPECT_EQ(FHelp->Helpfile(), FileB);
    FHelp->Open();
    EXPECT_EQ(OpenFiles(), QStringList{FileA});

    FHelp->SetActive(false);
    FHelp->SetActive(true);
    FHelp->Open();
    EXPECT_EQ(OpenFiles(), QStringList{FileB});
}

TEST_F(HelpSystemTest, OpenTopicUsesTheCurrentHelpfileAndContextMap)
{
    FHelp->SetHelpfile(FileA);
    FHelp->SetActive(true);
    FHelp->SetHelpfile(FileB);
    FHelp->Open(200);
    ASSERT_EQ(OpenFiles(), QStringList{FileB});
    EXPECT_EQ(OpenHelpViewers().first()->CurrentTopic(), QStringLiteral("/second.html"));
}

TEST_F(HelpSystemTest, DestroyingTheComponentClosesTheViewer)
{
    FHelp->SetHelpfile(FileA);
    FHelp->SetActive(true);
    FHelp->Open();
    ASSERT_EQ(OpenHelpViewers().size(), 1);
    FHelp.reset();
    EXPECT_TRUE(OpenHelpViewers().isEmpty());
}

TEST_F(HelpSystemTest, OpenWithoutHelpTellsTheUser)
{
    FHelp->SetHelpfile(FileA);
    {
        // Inactive.
        ModalAnswerer answer(ModalAnswerer::Click(QMessageBox::Ok));
        FHelp->Open();
        FHelp->Open(100);
        EXPECT_EQ(answer.Texts(), QStringList(2, QStringLiteral("Help is not available.")));
    }
    {
        // Active, but the viewer was not loaded.
        FHelp->SetActive(true);
        FreeHtmlHelp();
        ModalAnswerer answer(ModalAnswerer::Click(QMessageBox::Ok));
        FHelp->Open();
        EXPECT_EQ(answer.Texts(), QStringList{QStringLiteral("Help is not available.")});
        EXPECT_EQ(answer.Titles(), QStringList{QStringLiteral("Brindletop")});
        FHelp->SetActive(false); // closing windows without a viewer does nothing
    }
    EXPECT_TRUE(OpenHelpViewers().isEmpty());
}

TEST_F(HelpSystemTest, MissingHelpFileGivesAMessageNotACrash)
{
    const QString missing = FDir.filePath(QStringLiteral("HELP/bt.chm"));
    FHelp->SetHelpfile(missing);
    FHelp->SetActive(true);
    ModalAnswerer answer(ModalAnswerer::Click(QMessageBox::Ok));
    FHelp->Open();
    ASSERT_EQ(answer.Count(), 1);
    EXPECT_EQ(answer.Texts().first(),
              QStringLiteral("The help file %1 could not be opened: No such file or directory.")
                  .arg(missing));
    EXPECT_TRUE(OpenHelpViewers().isEmpty());
}

// --- The hook's handling of the application's help requests ---------------------------

TEST_F(HelpSystemTest, HookRoutesContextRequests)
{
    THookHelpSystem hook(FileA, QString(), THostType::htHHAPI);

    // Without callbacks a context request opens the mapped page.
    EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTEXT, 200));
    ASSERT_EQ(OpenFiles(), QStringList{FileA});
    EXPECT_EQ(OpenHelpViewers().first()->CurrentTopic(), QStringLiteral("/second.html"));
    EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTEXTPOPUP, 100));
    EXPECT_EQ(OpenHelpViewers().first()->CurrentTopic(), QStringLiteral("/first.html"));

    // The pop-up position: x in the low 16 bits, y in the high.
    EXPECT_TRUE(ApplicationHelpCommand(HELP_SETPOPUP_POS, (quintptr(480) << 16) | 640));
    EXPECT_EQ(hook.PopupXY(), QPoint(640, 480));

    // With callbacks they get the requests instead.
    std::vector<std::tuple<int32_t, int, int>> calls;
    hook.HelpCallback1 = [&](int32_t Data) { calls.emplace_back(Data, -1, -1); };
    hook.HelpCallback2 = [&](int32_t Data, int X, int Y) { calls.emplace_back(Data, X, Y); };
    EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTEXT, 7));
    EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTEXTPOPUP, 8));
    EXPECT_EQ(calls, (std::vector<std::tuple<int32_t, int, int>>{{7, -1, -1}, {8, 640, 480}}));

    // Any other request goes back to the application, which has nothing to offer.
    EXPECT_FALSE(ApplicationHelpCommand(0x0003, 0));
}

TEST_F(HelpSystemTest, HookWithoutViewerSaysItIsNotInstalled)
{
    THookHelpSystem hook(FileA, QString(), THostType::htHHAPI);
    FreeHtmlHelp();
    ModalAnswerer answer(ModalAnswerer::Click(QMessageBox::Ok));
    EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTEXT, 100));
    EXPECT_EQ(answer.Texts(),
              QStringList{QStringLiteral("MS Html Help is not installed on this PC.")});
    EXPECT_TRUE(OpenHelpViewers().isEmpty());
}

// --- The trace ----------------------------------------------------------------------------

TEST_F(HelpSystemTest, TraceRecordsHookAndRequests)
{
    const QString log = FDir.filePath(QStringLiteral("brindletop.log"));
    SetHelpTraceFile(log);
    ASSERT_TRUE(HelpTraceOn());
    FHelp->SetHelpfile(FileA);
    FHelp->SetActive(true);
    FHelp->Open();
    FHelp->Open(200);
    FHelp->SetActive(false);
    SetHelpTraceFile(QString());
    EXPECT_FALSE(HelpTraceOn());

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    const QStringList expected = {
        QStringLiteral("THookHelpSystem.Create: ChmFile=\"%1\" WinDef=\"\" HostType=htHHAPI")
            .arg(FileA),
        QStringLiteral("HtmlHelp: File=\"%1\" Command=HH_DISPLAY_TOPIC (0) Data=0").arg(FileA),
        QStringLiteral("HtmlHelp: File=\"%1\" Command=HH_HELP_CONTEXT (15) Data=200").arg(FileA),
        QStringLiteral("THookHelpSystem.Destroy: ChmFile=\"%1\"").arg(FileA),
        QStringLiteral("HtmlHelp: File=\"\" Command=HH_CLOSE_ALL (18) Data=0"),
    };
    ASSERT_EQ(lines.size(), expected.size()) << lines.join(u'\n').toStdString();
    for (int i = 0; i < lines.size(); ++i) {
        // Each line starts with the date and time: "yyyy-MM-dd hh:mm:ss.zzz ".
        EXPECT_EQ(lines[i].mid(24), expected[i]);
        EXPECT_EQ(lines[i].at(4), u'-');
    }
}

TEST_F(HelpSystemTest, UnwritableTraceIsSilentlyOff)
{
    SetHelpTraceFile(FDir.filePath(QStringLiteral("no/such/folder/brindletop.log")));
    EXPECT_FALSE(HelpTraceOn());
    FHelp->SetHelpfile(FileA);
    FHelp->SetActive(true);
    FHelp->Open();
    EXPECT_EQ(OpenHelpViewers().size(), 1);
    FHelp->SetActive(false);
    SetHelpTraceFile(QString());
}

struct TSwitchCase
{
    const char* Name;
    QStringList Arguments;
    bool DebugFile;
    bool On;
};

class DebugSwitch : public ::testing::TestWithParam<TSwitchCase>
{
};

TEST_P(DebugSwitch, ArgumentsAndFile)
{
    const TSwitchCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    if (c.DebugFile) {
        QFile file(dir.filePath(QStringLiteral("debug.debug")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(DebugSwitchOn(c.Arguments, dir.path()), c.On);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DebugSwitch,
    ::testing::Values(
        TSwitchCase{"None", {}, false, false},
        TSwitchCase{"Slash", {QStringLiteral("/debug")}, false, true},
        TSwitchCase{"Dash", {QStringLiteral("-debug")}, false, true},
        TSwitchCase{"UpperCase", {QStringLiteral("/DEBUG")}, false, true},
        TSwitchCase{"MixedCase", {QStringLiteral("-DeBuG")}, false, true},
        TSwitchCase{"AmongOthers", {QStringLiteral("x"), QStringLiteral("-debug")}, false, true},
        TSwitchCase{"DoubleDash", {QStringLiteral("--debug")}, false, false},
        TSwitchCase{"Bare", {QStringLiteral("debug")}, false, false},
        TSwitchCase{"Longer", {QStringLiteral("-debugging")}, false, false},
        TSwitchCase{"TrailingBlank", {QStringLiteral("/debug ")}, false, false},
        TSwitchCase{"FileBesideProgram", {}, true, true},
        TSwitchCase{"FileAndOtherArgument", {QStringLiteral("-x")}, true, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DebugSwitchFolder, FolderNamedLikeTheFileDoesNotCount)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("debug.debug")));
    EXPECT_FALSE(DebugSwitchOn({}, dir.path()));
}

TEST(HelpFilePath, IsHelpFolderBesideTheExecutable)
{
    EXPECT_EQ(HelpFilePath(),
              QCoreApplication::applicationDirPath() + QStringLiteral("/HELP/bt.chm"));
}

} // namespace
