// libFuzzer target: loads arbitrary bytes as a settings file, reads every section and key
// through every reader, writes the document and loads it again. Where the loading rules
// leave lines as they are (no trimming, no quote removal), loading what was written must
// give the same document, and writing that must give the same bytes.
#include "ini/IniDocument.h"

#include "FuzzScratch.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

[[noreturn]] void Fail(const char* what)
{
    FuzzFail("ini", what);
}

void ReadEverything(TIniDocument& doc)
{
    // The date and time parsers are slow, and ValueExists lists the whole section: a few
    // keys of each input exercise them enough and keep an input's cost linear.
    int typedReads = 16;
    QStringList sections;
    doc.ReadSections(sections);
    for (const QString& section : sections) {
        if (!doc.SectionExists(section))
            Fail("a listed section does not exist");
        QStringList keys;
        doc.ReadSection(section, keys);
        QStringList values;
        doc.ReadSectionValues(section, values);
        for (const QString& key : keys) {
            if (typedReads > 0 && !doc.ValueExists(section, key))
                Fail("a listed key does not exist");
            doc.ReadString(section, key, QString());
            doc.ReadInteger(section, key, 0);
            doc.ReadBool(section, key, false);
            doc.ReadAnsiString(section, key, QByteArray());
            if (typedReads > 0) {
                --typedReads;
                doc.ReadFloat(section, key, 0);
                doc.ReadDateTime(section, key, 0);
                doc.ReadTime(section, key, 0);
            }
            QByteArray bytes;
            QBuffer out(&bytes);
            out.open(QIODevice::WriteOnly);
            doc.ReadBinaryStream(section, key, out);
        }
    }
}

// Marks the document changed without changing its content, so that the flush writes it.
void ForceWrite(TIniDocument& doc)
{
    QString name = QStringLiteral("\x01");
    while (doc.SectionExists(name))
        name += u'\x01';
    doc.WriteString(name, QStringLiteral("k"), QStringLiteral("v"));
    doc.EraseSection(name);
    if (!doc.HasChanged())
        Fail("erasing a section did not mark the document changed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QString path = FuzzScratchPath(QStringLiteral("settings.ini"));
    if (size == 0)
        return 0;
    // The first byte chooses the loading flags.
    const std::uint8_t flags = data[0];
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Fail("cannot write the scratch file");
        file.write(reinterpret_cast<const char*>(data + 1), static_cast<qint64>(size - 1));
    }

    QStringList first;
    QByteArray written;
    {
        TIniDocument doc;
        doc.SetFlagDropCommentLines(flags & 1);
        doc.SetFlagFilterOutInvalid(flags & 2);
        doc.SetFlagDropWhiteSpace(flags & 4);
        doc.SetFlagDropApostrophes(flags & 8);
        doc.SetFlagTrimRight(flags & 16);
        doc.SetFlagClearOnReadSectionValues(flags & 32);
        doc.SetFileName(path);
        ReadEverything(doc);
        doc.GetStrings(first);
        ForceWrite(doc);
        doc.UpdateFile();
        written = ReadAll(path);
    }

    // Trimming and quote removal may turn a line into a header or an empty line, which the
    // next load reads differently; the other rules keep every line stable.
    const bool stable = (flags & (8 | 16)) == 0;
    TIniDocument again(path);
    ReadEverything(again);
    QStringList second;
    again.GetStrings(second);
    if (stable && second != first)
        Fail("loading what was written gave another document");
    ForceWrite(again);
    again.UpdateFile();
    if (stable && ReadAll(path) != written)
        Fail("writing the reloaded document gave other bytes");
    return 0;
}
