// The series in progress survives closing and crashes: after every landed move the match
// and the score sheet's record are written to a new file that then replaces the save, so
// the save is always the last one whole. At start-up a save brings the table back.
//
// The file: "brindletop-save 1", "[match]" and the match's own text, "[sheet]" and the
// sheet's record, then "checksum" and the SHA-256 of everything before it. A file of
// another version, cut short or changed is not read.

#include "app/Main.h"

#include "dialogs/Options.h"
#include "platform/ErrorMessage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QByteArray SaveHeader = "brindletop-save 1\n";
const QByteArray MatchPart = "[match]\n";
const QByteArray SheetPart = "[sheet]\n";
const QByteArray ChecksumKey = "checksum ";
// A save is a few kilobytes; anything far larger is not one.
constexpr qint64 LargestSave = 1 << 20;

QByteArray Checksum(const QByteArray& Body)
{
    return QCryptographicHash::hash(Body, QCryptographicHash::Sha256).toHex();
}

} // namespace

void TMainForm::SaveMatch()
{
    if (FSaveFile.isEmpty())
        return;
    QByteArray body = SaveHeader + MatchPart + QByteArray::fromStdString(FMatch.Saved()) +
                      SheetPart + QByteArray::fromStdString(FMatch.Record().Saved());
    body += ChecksumKey + Checksum(body) + '\n';
    QDir().mkpath(QFileInfo(FSaveFile).absolutePath());
    QSaveFile file(FSaveFile);
    // Nothing to tell mid-game: the last save stays, and the next move tries again.
    if (file.open(QIODevice::WriteOnly) && file.write(body) == body.size())
        file.commit();
}

void TMainForm::DiscardSave()
{
    if (!FSaveFile.isEmpty())
        QFile::remove(FSaveFile);
}

bool TMainForm::RestoreMatch()
{
    if (FSaveFile.isEmpty())
        return false;
    const QFileInfo info(FSaveFile);
    if (!info.exists() && !info.isSymLink())
        return false;

    QByteArray text;
    QFile file(FSaveFile);
    if (info.isFile() && info.size() <= LargestSave && file.open(QIODevice::ReadOnly))
        text = file.read(LargestSave + 1);
    file.close();

    TMatch match;
    bool whole = false;
    const qsizetype checksumAt = text.lastIndexOf('\n' + ChecksumKey);
    if (text.startsWith(SaveHeader + MatchPart) && checksumAt > 0) {
        const QByteArray body = text.left(checksumAt + 1);
        const QByteArray sum = text.mid(checksumAt + 1 + ChecksumKey.size()).trimmed();
        const qsizetype sheetAt = body.indexOf('\n' + SheetPart);
        if (sum == Checksum(body) && sheetAt > 0) {
            const qsizetype matchAt = SaveHeader.size() + MatchPart.size();
            const std::string matchText = body.mid(matchAt, sheetAt + 1 - matchAt).toStdString();
            const std::string sheetText = body.mid(sheetAt + 1 + SheetPart.size()).toStdString();
            whole = TMatch::Restore(matchText, match) && match.Record().Restore(sheetText);
        }
    }
    if (!whole) {
        // Kept for a look at what went wrong; an older one gives way.
        const QString aside = FSaveFile + QStringLiteral(".bad");
        if (QFileInfo(aside).isDir())
            QDir(aside).removeRecursively();
        else
            QFile::remove(aside);
        if (!QDir().rename(FSaveFile, aside))
            QFile::remove(FSaveFile);
        ShowErrorMessage(this, QStringLiteral("The saved series could not be read, so a new "
                                              "series begins. The file was kept as %1.")
                                   .arg(QDir::toNativeSeparators(aside)));
        return false;
    }

    FMatch = match;
    ReadAnimSpeed();
    BuildScoreboard(QString::fromStdString(FMatch.Record().PlayerName()));
    ShowPosition();
    TableChanged(); // a screen reader reads the table anew
    return true;
}
