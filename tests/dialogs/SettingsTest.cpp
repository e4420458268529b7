// The settings file behind the options dialog: where it lives, what a run reads from it,
// what OK writes, and what the player is told when it cannot be read or written.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include "ModalAnswerer.h"
#include "NoFileOverride.h"
#include "OptionsProbe.h"
#include "dialogs/Settings.h"

namespace {

using Probe = TOptionsDialogProbe;

TEST(SettingsPath, NamedAfterTheExecutableWithIni)
{
    const struct
    {
        const char* Executable;
        const char* Settings;
    } cases[] = {
        {"/opt/brindletop/brindletop", "/opt/brindletop/brindletop.ini"},
        {"/opt/brindletop/bt.exe", "/opt/brindletop/bt.ini"},
        {"/home/ann/games.d/brindletop", "/home/ann/games.d/brindletop.ini"},
        {"/home/ann/brindle.top.bin", "/home/ann/brindle.top.ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SettingsPathFor(c.Executable), QString::fromLatin1(c.Settings));
    EXPECT_EQ(SettingsFilePath(),
              QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                  QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() +
                  QStringLiteral(".ini"));
}

class SettingsFile : public ::testing::Test
{
protected:
    void Write(const QByteArray& Bytes)
    {
        QFile file(Path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(Bytes), Bytes.size());
    }
    QByteArray Read() const
    {
        QFile file(Path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList FolderEntries() const
    {
        return QDir(Folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir Folder;
    QString Path = Folder.filePath(QStringLiteral("brindletop.ini"));
};

struct Stored
{
    const char* Name;
    std::optional<QByteArray> File; // none: no settings file at all
    QString PlayerName;
    TDealer Dealer;
    TSkillLevel SkillLevel;
    TGamesBestOf BestOf;
    TAnimSpeed AnimSpeed;
};

void PrintTo(const Stored& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class SettingsLoad : public SettingsFile, public ::testing::WithParamInterface<Stored>
{
};

TEST_P(SettingsLoad, GivesTheStoredOptionsOrTheirDefaults)
{
    const Stored& stored = GetParam();
    if (stored.File)
        Write(*stored.File);
    TOptionsDialog dialog(nullptr, Path);
    EXPECT_EQ(dialog.PlayerName(), stored.PlayerName);
    EXPECT_EQ(dialog.Dealer(), stored.Dealer);
    EXPECT_EQ(dialog.SkillLevel(), stored.SkillLevel);
    EXPECT_EQ(dialog.GamesBestOf(), stored.BestOf);
    EXPECT_EQ(dialog.AnimSpeed(), stored.AnimSpeed);
    // The groups always show what the properties give.
    EXPECT_EQ(Probe::Dealer(dialog)->ItemIndex(), int(stored.Dealer));
    EXPECT_EQ(Probe::SkillLevel(dialog)->ItemIndex(), int(stored.SkillLevel));
    EXPECT_EQ(Probe::GamesBestOf(dialog)->ItemIndex(), int(stored.BestOf));
    EXPECT_EQ(Probe::AnimSpeed(dialog)->ItemIndex(), int(stored.AnimSpeed));
    // Reading never writes.
    EXPECT_EQ(QFile::exists(Path), stored.File.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Options, SettingsLoad,
    ::testing::Values(
        Stored{"FirstRunWithoutFile", std::nullopt, "Player", alComputer, slRookie, boOne,
               asMedium},
        Stored{"EmptyFile", QByteArray(), "Player", alComputer, slRookie, boOne, asMedium},
        Stored{"AllStored",
               "[Options]\r\nPlayerName=Bob\r\nDealer=1\r\nSkillLevel=2\r\nBestOf=3\r\n"
               "AnimSpeed=2\r\n",
               "Bob", alPlayer, slAllStar, boSeven, asLow},
        Stored{"Legend", "[Options]\nSkillLevel=3\n", "Player", alComputer, slLegend, boOne,
               asMedium},
        Stored{"PastTheLastItemSelectsTheLast",
               "[Options]\nDealer=7\nSkillLevel=4\nBestOf=9\nAnimSpeed=12\n", "Player", alPlayer,
               slLegend, boSeven, asLow},
        Stored{"Hexadecimal", "[Options]\nAnimSpeed=0x2\nBestOf=$1\n", "Player", alComputer,
               slRookie, boThree, asLow},
        Stored{"NegativeGivesTheDefault",
               "[Options]\nDealer=-1\nSkillLevel=-7\nBestOf=-1\nAnimSpeed=-1\n", "Player",
               alComputer, slRookie, boOne, asMedium},
        Stored{"NotAnIntegerGivesTheDefault",
               "[Options]\nDealer=one\nSkillLevel=\nBestOf=2 \nAnimSpeed=1e0\n", "Player",
               alComputer, slRookie, boOne, asMedium},
        Stored{"EmptyNameStaysEmpty", "[Options]\nPlayerName=\n", "", alComputer, slRookie, boOne,
               asMedium},
        Stored{"LongNameKeptInFull", "[Options]\nPlayerName=Maximilianus the Great\n",
               "Maximilianus the Great", alComputer, slRookie, boOne, asMedium},
        Stored{"SectionInCapitals", "[OPTIONS]\nplayername=Eve\nDEALER=1\n", "Eve", alPlayer,
               slRookie, boOne, asMedium}),
    [](const auto& info) { return std::string(info.param.Name); });

const QByteArray DefaultsFile = "[Options]\r\nPlayerName=Player\r\nDealer=0\r\nSkillLevel=0\r\n"
                                "BestOf=0\r\nAnimSpeed=1\r\n\r\n";

TEST_F(SettingsFile, OkCreatesTheFileWithTheFiveKeysInOrder)
{
    TOptionsDialog dialog(nullptr, Path);
    ModalAnswerer answer([&](QWidget*) { Probe::Ok(dialog)->click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(Read(), DefaultsFile);
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("brindletop.ini")});
}

TEST_F(SettingsFile, OkStoresTheChoicesForTheNextRun)
{
    {
        TOptionsDialog dialog(nullptr, Path);
        Probe::Name(dialog)->clear();
        Probe::Dealer(dialog)->Button(1)->click();
        Probe::SkillLevel(dialog)->Button(2)->click();
        Probe::GamesBestOf(dialog)->Button(2)->click();
        Probe::AnimSpeed(dialog)->Button(0)->click();
        Probe::Ok(dialog)->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(Read(), QByteArray("[Options]\r\nPlayerName=\r\nDealer=1\r\nSkillLevel=2\r\n"
                                 "BestOf=2\r\nAnimSpeed=0\r\n\r\n"));
    TOptionsDialog nextRun(nullptr, Path);
    EXPECT_EQ(nextRun.PlayerName(), QString());
    EXPECT_EQ(nextRun.Dealer(), alPlayer);
    EXPECT_EQ(nextRun.SkillLevel(), slAllStar);
    EXPECT_EQ(nextRun.GamesBestOf(), boFive);
    EXPECT_EQ(nextRun.AnimSpeed(), asFast);
}

TEST_F(SettingsFile, OkWithoutChangesLeavesAnIdenticalFileUntouched)
{
    Write(DefaultsFile);
    const QDateTime past = QDateTime::currentDateTime().addDays(-400);
    {
        QFile file(Path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(past, QFileDevice::FileModificationTime));
    }
    TOptionsDialog dialog(nullptr, Path);
    Probe::Ok(dialog)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Read(), DefaultsFile);
    EXPECT_EQ(QFileInfo(Path).lastModified().toSecsSinceEpoch(), past.toSecsSinceEpoch());
}

TEST_F(SettingsFile, CancelLeavesTheFileAsItWas)
{
    const QByteArray before = "[Options]\r\nPlayerName=Bob\r\nSkillLevel=0\r\n\r\n";
    Write(before);
    TOptionsDialog dialog(nullptr, Path);
    ModalAnswerer answer([&](QWidget*) {
        Probe::SkillLevel(dialog)->Button(2)->click();
        Probe::Cancel(dialog)->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.SkillLevel(), slRookie);
    EXPECT_EQ(Read(), before);
}

TEST_F(SettingsFile, OkKeepsWhatElseTheFileHolds)
{
    Write("[Window]\r\nLeft=10\r\n; kept\r\n\r\n[Options]\r\nnote without a value\r\n"
          "Dealer=0\r\n\r\n");
    TOptionsDialog dialog(nullptr, Path);
    Probe::Dealer(dialog)->Button(1)->click();
    Probe::Ok(dialog)->click();
    EXPECT_EQ(Read(), QByteArray("[Window]\r\nLeft=10\r\n; kept\r\n\r\n[Options]\r\n"
                                 "note without a value\r\nDealer=1\r\nPlayerName=Player\r\n"
                                 "SkillLevel=0\r\nBestOf=0\r\nAnimSpeed=1\r\n\r\n"));
}

// --- failures ---

bool IsMessageBox(QWidget* Modal, QMessageBox::Icon Icon)
{
    auto* box = qobject_cast<QMessageBox*>(Modal);
    return box && box->icon() == Icon && box->windowTitle() == QStringLiteral("Brindletop");
}

TEST_F(SettingsFile, UnreadableFileIsReportedAndTheDesignedOptionsApply)
{
    ASSERT_TRUE(QDir().mkpath(Path)); // a folder where the file should be
    bool errorBox = false;
    ModalAnswerer answer([&](QWidget* modal) {
        errorBox = IsMessageBox(modal, QMessageBox::Critical);
        qobject_cast<QDialog*>(modal)->accept();
    });
    TOptionsDialog dialog(nullptr, Path);
    ASSERT_EQ(answer.Count(), 1);
    EXPECT_TRUE(errorBox);
    EXPECT_EQ(answer.Texts()[0], QStringLiteral("Brindletop could not read your options from "
                                                "%1: Is a directory.\nThe game uses its "
                                                "standard options.")
                                     .arg(QDir::toNativeSeparators(Path)));
    EXPECT_EQ(dialog.PlayerName(), QStringLiteral("Player"));
    EXPECT_EQ(dialog.Dealer(), alComputer);
    EXPECT_EQ(dialog.SkillLevel(), slRookie);
    EXPECT_EQ(dialog.GamesBestOf(), boOne);
    EXPECT_EQ(dialog.AnimSpeed(), asFast);
}

// Makes the settings file and its folder read-only for this thread. Root writes anyway,
// so for root the thread also gives up its power to override file permissions.
class ReadOnlyFolder
{
public:
    ReadOnlyFolder(const QString& Folder, const QString& File) : FFolder(Folder), FFile(File)
    {
        QFile::setPermissions(FFile, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(FFolder, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~ReadOnlyFolder()
    {
        QFile::setPermissions(FFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(FFile, QFile::ReadOwner | QFile::WriteOwner);
    }
    bool Ready() const { return FAsPlayer.Ready(); }

private:
    QString FFolder, FFile;
    TNoFileOverrideHere FAsPlayer;
};

TEST_F(SettingsFile, UnwritableFileIsReportedYetOkStillConfirms)
{
    const QByteArray before = "[Options]\r\nPlayerName=Bob\r\nDealer=1\r\n\r\n";
    Write(before);
    TOptionsDialog dialog(nullptr, Path);
    ReadOnlyFolder readOnly(Folder.path(), Path);
    if (!readOnly.Ready())
        GTEST_SKIP() << "cannot make the folder read-only for this process";

    bool errorBox = false;
    ModalAnswerer answer([&](QWidget* modal) {
        if (modal == &dialog) {
            Probe::SkillLevel(dialog)->Button(1)->click();
            Probe::Ok(dialog)->click();
        } else {
            errorBox = IsMessageBox(modal, QMessageBox::Critical);
            qobject_cast<QDialog*>(modal)->accept();
        }
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    ASSERT_EQ(answer.Count(), 2);
    EXPECT_TRUE(errorBox);
    EXPECT_EQ(answer.Texts()[1], QStringLiteral("Brindletop could not save your options to "
                                                "%1: Permission denied.\nThe new options are "
                                                "used until Brindletop ends.")
                                     .arg(QDir::toNativeSeparators(Path)));
    EXPECT_EQ(dialog.SkillLevel(), slPro);
    EXPECT_EQ(Read(), before);
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("brindletop.ini")});
}

} // namespace
