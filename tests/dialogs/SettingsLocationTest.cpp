// Where the settings file goes: beside the executable for a portable copy or the build
// tree, in the user's configuration folder for an installed copy whose folder the player
// cannot write.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ModalAnswerer.h"
#include "NoFileOverride.h"
#include "OptionsProbe.h"
#include "dialogs/Settings.h"

namespace {

struct Placement
{
    const char* Name;
    const char* Executable;
    const char* ConfigFolder;
    bool FileBeside;     // the settings file exists beside the executable
    bool FolderWritable; // the executable's folder takes new files
    const char* Expected;
};

void PrintTo(const Placement& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class SettingsPlacement : public ::testing::TestWithParam<Placement>
{
};

TEST_P(SettingsPlacement, ChoosesBesideTheExecutableOrTheConfigFolder)
{
    const Placement& c = GetParam();
    const QString exe = QString::fromLatin1(c.Executable);
    // The probes answer only for the paths that matter, so asking about any other path
    // (the executable itself, the config folder) gives the wrong answer.
    const QString beside = SettingsPathFor(exe);
    const QString folder = QFileInfo(exe).absolutePath();
    const TSettingsProbes probes{
        [&](const QString& File) { return c.FileBeside && File == beside; },
        [&](const QString& Folder) { return c.FolderWritable && Folder == folder; }};
    EXPECT_EQ(ChooseSettingsPath(exe, QString::fromLatin1(c.ConfigFolder), probes),
              QString::fromLatin1(c.Expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsPlacement,
    ::testing::Values(
        Placement{"PortableCopy", "/home/ann/games/brindletop", "/home/ann/.config/Brindletop",
                  false, true, "/home/ann/games/brindletop.ini"},
        Placement{"PortableCopyWithItsFile", "/home/ann/games/brindletop",
                  "/home/ann/.config/Brindletop", true, true, "/home/ann/games/brindletop.ini"},
        Placement{"InstalledCopy", "/usr/lib/brindletop/brindletop", "/home/ann/.config/Brindletop",
                  false, false, "/home/ann/.config/Brindletop/brindletop.ini"},
        Placement{"ReadOnlyFolderWithItsFile", "/usr/lib/brindletop/brindletop",
                  "/home/ann/.config/Brindletop", true, false,
                  "/usr/lib/brindletop/brindletop.ini"},
        Placement{"SameNameInTheConfigFolder", "/opt/bt/bt.bin", "/home/ann/.config/Brindletop/",
                  false, false, "/home/ann/.config/Brindletop/bt.ini"},
        Placement{"NoConfigFolderKnown", "/usr/lib/brindletop/brindletop", "", false, false,
                  "/usr/lib/brindletop/brindletop.ini"}),
    [](const auto& info) { return std::string(info.param.Name); });

// --- on the real file system ---

class SettingsLocation : public ::testing::Test
{
protected:
    void TearDown() override
    {
        QFile::setPermissions(Install.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void MakeInstallReadOnly()
    {
        ASSERT_TRUE(QFile::setPermissions(Install.path(), QFile::ReadOwner | QFile::ExeOwner));
    }
    QString Locate()
    {
        QString path;
        if (!RunWithoutFileOverride([&] { path = LocateSettingsFile(Exe, Config); }))
            ADD_FAILURE() << "could not give up the power to override file permissions";
        return path;
    }

    QTemporaryDir Install, Home;
    QString Exe = Install.filePath(QStringLiteral("brindletop"));
    QString Beside = Install.filePath(QStringLiteral("brindletop.ini"));
    QString Config = Home.filePath(QStringLiteral(".config/Brindletop"));
};

TEST_F(SettingsLocation, WritableFolderKeepsTheFileBesideAndCreatesNothingElse)
{
    EXPECT_EQ(Locate(), Beside);
    EXPECT_FALSE(QFileInfo::exists(Home.filePath(QStringLiteral(".config"))));
    EXPECT_FALSE(QFileInfo::exists(Beside));
}

TEST_F(SettingsLocation, ReadOnlyFolderWithItsFileKeepsUsingIt)
{
    QFile file(Beside);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    MakeInstallReadOnly();
    EXPECT_EQ(Locate(), Beside);
    EXPECT_FALSE(QFileInfo::exists(Home.filePath(QStringLiteral(".config"))));
}

TEST_F(SettingsLocation, ReadOnlyFolderSendsTheFileToTheConfigFolderMadeAtTheFirstSave)
{
    MakeInstallReadOnly();
    const QString path = Locate();
    EXPECT_EQ(path, Config + QStringLiteral("/brindletop.ini"));
    // A run that only reads its options leaves no folder behind.
    {
        TOptionsDialog dialog(nullptr, path);
        TOptionsDialogProbe::Cancel(dialog)->click();
    }
    EXPECT_FALSE(QFileInfo::exists(Home.filePath(QStringLiteral(".config"))));

    // The first OK makes the folder and saves there, without an error box; the next run
    // reads it back.
    {
        TOptionsDialog dialog(nullptr, path);
        ModalAnswerer errorBoxes(ModalAnswerer::Accept());
        TOptionsDialogProbe::SkillLevel(dialog)->Button(2)->click();
        TOptionsDialogProbe::Ok(dialog)->click();
        EXPECT_EQ(errorBoxes.Count(), 0);
    }
    EXPECT_TRUE(QFileInfo(Config).isDir());
    EXPECT_EQ(TOptionsDialog(nullptr, Locate()).SkillLevel(), slAllStar);
    EXPECT_EQ(QDir(Install.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList());
}

} // namespace
