// Damaged and unusual settings files, met the way the player meets them: the options
// dialog reads the file as it is created, and OK writes it back. Whatever the file holds,
// the dialog must come up, keep what the player stored elsewhere in the file, and say
// plainly, in a box captioned "Brindletop", when a file cannot be read or written, leaving
// the old file exactly as it was.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include "ModalAnswerer.h"
#include "NoFileOverride.h"
#include "dialogs/Options.h"
#include "tests/dialogs/OptionsProbe.h"

namespace {

using Probe = TOptionsDialogProbe;

QByteArray ReadBytes(const QString& Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& Path, const QByteArray& Bytes)
{
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(Bytes), Bytes.size());
}

// Bytes of every value but Ctrl-Z (which ends the text by design, so it would hide the
// rest of the file) and line ends (so the garbage stays one line and cannot pass for a
// section header).
QByteArray Garbage(int Size, quint32 Seed)
{
    QRandomGenerator random(Seed);
    QByteArray bytes(Size, Qt::Uninitialized);
    for (char& c : bytes) {
        do
            c = static_cast<char>(random.bounded(256));
        while (c == '\x1a' || c == '\n' || c == '\r');
    }
    return bytes;
}

bool IsErrorBox(const QWidget* Modal)
{
    const auto* box = qobject_cast<const QMessageBox*>(Modal);
    return box && box->icon() == QMessageBox::Critical &&
           box->windowTitle() == QStringLiteral("Brindletop");
}

// Confirms the dialog with the skill level changed to Pro; any message box that follows
// is accepted and remembered.
struct OkWithPro
{
    explicit OkWithPro(TOptionsDialog& Dialog)
        : Answer([this, &Dialog](QWidget* modal) {
              if (modal == &Dialog) {
                  // Once only: the dialog shows again as the active modal when the box
                  // over it closes, just before OK closes it.
                  if (!Confirmed) {
                      Confirmed = true;
                      Probe::SkillLevel(Dialog)->Button(1)->click();
                      Probe::Ok(Dialog)->click();
                  }
                  return;
              }
              Boxes.append(modal->windowTitle());
              if (const auto* box = qobject_cast<QMessageBox*>(modal))
                  Texts.append(box->text());
              ErrorBoxes += IsErrorBox(modal);
              qobject_cast<QDialog*>(modal)->accept();
          })
    {
    }
    bool Confirmed = false;
    QStringList Boxes; // captions of the boxes after OK
    QStringList Texts;
    int ErrorBoxes = 0;
    ModalAnswerer Answer;
};

class BadSettings : public ::testing::Test
{
protected:
    QStringList FolderEntries() const
    {
        return QDir(Folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir Folder;
    QString Path = Folder.filePath(QStringLiteral("brindletop.ini"));
};

// ---------------------------------------------------------------------------------------
// Damaged content: read without complaint, and the player's other lines survive OK.

struct DamagedCase
{
    const char* Name;
    QByteArray Bytes;
    QString PlayerName;  // as the dialog reads it
    TAnimSpeed AnimSpeed;
    QByteArrayList Kept; // lines that must come back byte for byte after OK
};

void PrintTo(const DamagedCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class DamagedSettings : public BadSettings, public ::testing::WithParamInterface<DamagedCase>
{
};

TEST_P(DamagedSettings, LoadsQuietlyAndOkKeepsTheOtherLines)
{
    const DamagedCase& c = GetParam();
    WriteBytes(Path, c.Bytes);

    // One answerer at a time: two would both answer the same window.
    QStringList loadBoxes;
    std::unique_ptr<TOptionsDialog> dialog;
    {
        ModalAnswerer answer(ModalAnswerer::Accept());
        dialog = std::make_unique<TOptionsDialog>(nullptr, Path);
        loadBoxes = answer.Titles();
    }
    EXPECT_EQ(loadBoxes, QStringList());
    EXPECT_EQ(dialog->PlayerName(), c.PlayerName);
    EXPECT_EQ(dialog->AnimSpeed(), c.AnimSpeed);
    {
        OkWithPro ok(*dialog);
        EXPECT_EQ(dialog->exec(), QDialog::Accepted);
        EXPECT_EQ(ok.Boxes, QStringList());
    }
    dialog.reset();

    const QByteArray after = "\r\n" + ReadBytes(Path);
    for (const QByteArray& line : c.Kept)
        EXPECT_TRUE(after.contains("\r\n" + line + "\r\n"))
            << "lost: " << line.left(60).toStdString();
    EXPECT_FALSE(after.contains("\xef\xbb\xbf"));

    // The next run reads what was confirmed.
    ModalAnswerer answer(ModalAnswerer::Accept());
    TOptionsDialog next(nullptr, Path);
    EXPECT_EQ(answer.Count(), 0);
    EXPECT_EQ(next.PlayerName(), c.PlayerName);
    EXPECT_EQ(next.SkillLevel(), slPro);
    EXPECT_EQ(next.AnimSpeed(), c.AnimSpeed);
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("brindletop.ini")});
}

const QByteArray Options = "[Options]\r\nPlayerName=Zed\r\nAnimSpeed=2\r\n";
const QByteArray Keep = "[Keep]\r\nnote=mine\r\n; a comment\r\n";
const QByteArray TenMegabytes(10 * 1024 * 1024, 'x');

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedSettings,
    ::testing::Values(
        // Binary noise before, between and after the sections: lines of noise are lines
        // like any other.
        DamagedCase{"BinaryGarbage",
                    Garbage(4096, 1) + "\n" + Options + Garbage(300, 2) + "\n" + Keep +
                        Garbage(2000, 3),
                    QStringLiteral("Zed"), asLow, {"[Keep]", "note=mine", "; a comment"}},
        DamagedCase{"NulBytesInAValue",
                    Options + "[Keep]\r\nblob=a" + QByteArray(100, '\0') + "b\r\n",
                    QStringLiteral("Zed"), asLow, {"blob=a" + QByteArray(100, '\0') + "b"}},
        DamagedCase{"TenMegabyteLine", Options + "[Keep]\r\nblob=" + TenMegabytes + "\r\n",
                    QStringLiteral("Zed"), asLow, {"blob=" + TenMegabytes}},
        DamagedCase{"TenMegabyteLineWithoutLineEnd", Keep + Options + "PlayerName" + TenMegabytes,
                    QStringLiteral("Zed"), asLow, {"note=mine", "PlayerName" + TenMegabytes}},
        // A byte-order mark is text: the header behind it is no header, so the section
        // it opens is not read (the game takes the defaults) and the file is written
        // back without it.
        DamagedCase{"ByteOrderMark", "\xef\xbb\xbf" + Options + Keep, QStringLiteral("Player"),
                    asMedium, {"[Keep]", "note=mine"}},
        DamagedCase{"CutOffInTheLastValue", Keep + "[Options]\r\nPlayerName=Zed\r\nAnimSpeed=",
                    QStringLiteral("Zed"), asMedium, {"note=mine"}},
        DamagedCase{"CutOffBetweenCrAndLf", Keep + Options.chopped(1), QStringLiteral("Zed"),
                    asLow, {"note=mine"}},
        DamagedCase{"CutOffInAKey", Options + Keep + "wid", QStringLiteral("Zed"), asLow,
                    {"note=mine", "wid"}},
        DamagedCase{"CutOffInAHeader", Options + Keep + "[Opt", QStringLiteral("Zed"), asLow,
                    {"note=mine", "[Opt"}}),
    [](const ::testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.Name); });

// Text in another encoding (a file edited elsewhere): bytes that are no text in the
// system's encoding must still come back as they were.
INSTANTIATE_TEST_SUITE_P(
    ForeignEncoding, DamagedSettings,
    ::testing::Values(DamagedCase{"Latin1LineElsewhere",
                                  Options + "[Keep]\r\nnote=caf\xe9 cr\xe8me\r\n",
                                  QStringLiteral("Zed"), asLow, {"note=caf\xe9 cr\xe8me"}}),
    [](const ::testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------------------------------
// Files that cannot be written: OK says so and the old file stays exactly as it was.

TEST_F(BadSettings, ReadOnlyFileInAWritableFolderIsReportedAndKeptByteForByte)
{
    const QByteArray before = Options + Keep;
    WriteBytes(Path, before);
    ASSERT_TRUE(QFile::setPermissions(Path, QFile::ReadOwner | QFile::ReadGroup));
    TNoFileOverrideHere asPlayer;
    if (!asPlayer.Ready())
        GTEST_SKIP() << "cannot give up the power to override file permissions";

    TOptionsDialog dialog(nullptr, Path);
    OkWithPro ok(dialog);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(ok.Boxes, QStringList{QStringLiteral("Brindletop")});
    EXPECT_EQ(ok.ErrorBoxes, 1);
    ASSERT_EQ(ok.Texts.size(), 1);
    EXPECT_TRUE(ok.Texts[0].contains(QStringLiteral("Permission denied"))) << ok.Texts[0].toStdString();
    EXPECT_EQ(dialog.SkillLevel(), slPro); // the new options are used all the same
    EXPECT_EQ(ReadBytes(Path), before);
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("brindletop.ini")});
    QFile::setPermissions(Path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(BadSettings, DirectoryOfTheFilesNameIsReportedAtStartAndAtOkAndLeftAlone)
{
    ASSERT_TRUE(QDir().mkpath(Path));
    WriteBytes(Path + QStringLiteral("/inside"), "mine");

    std::unique_ptr<TOptionsDialog> dialog;
    {
        ModalAnswerer atStart(ModalAnswerer::Accept());
        dialog = std::make_unique<TOptionsDialog>(nullptr, Path);
        EXPECT_EQ(atStart.Titles(), QStringList{QStringLiteral("Brindletop")});
    }
    OkWithPro ok(*dialog);
    EXPECT_EQ(dialog->exec(), QDialog::Accepted);
    EXPECT_EQ(ok.ErrorBoxes, 1);
    ASSERT_EQ(ok.Texts.size(), 1);
    EXPECT_TRUE(ok.Texts[0].contains(QStringLiteral("Is a directory"))) << ok.Texts[0].toStdString();
    EXPECT_TRUE(QFileInfo(Path).isDir());
    EXPECT_EQ(ReadBytes(Path + QStringLiteral("/inside")), "mine");
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("brindletop.ini")});
}

// A settings file kept elsewhere and linked beside the program (a shared or versioned
// copy): OK must update the file the link points to and leave the link a link.
TEST_F(BadSettings, OkThroughASymbolicLinkUpdatesTheLinkedFile)
{
    const QString target = Folder.filePath(QStringLiteral("shared.ini"));
    WriteBytes(target, Options + Keep);
    ASSERT_TRUE(QFile::link(target, Path));

    TOptionsDialog dialog(nullptr, Path);
    EXPECT_EQ(dialog.PlayerName(), QStringLiteral("Zed"));
    OkWithPro ok(dialog);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(ok.Boxes, QStringList());

    EXPECT_TRUE(QFileInfo(Path).isSymLink());
    EXPECT_TRUE(ReadBytes(target).contains("\r\nSkillLevel=1\r\n")) << ReadBytes(target).data();
    EXPECT_TRUE(ReadBytes(target).contains("\r\nnote=mine\r\n"));
}

} // namespace
