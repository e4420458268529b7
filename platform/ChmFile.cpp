#include "platform/ChmFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <chm_lib.h>

#include <functional>
#include <map>
#include <vector>

namespace {

// No object of a help file comes near this; a larger length means a damaged file, and
// reading it would only exhaust memory.
constexpr LONGUINT64 MaxObjectSize = 64u * 1024u * 1024u;

// Codes of the records in the compiler's /#SYSTEM object.
constexpr uint16_t SystemContentsFile = 0;
constexpr uint16_t SystemDefaultTopic = 2;
constexpr uint16_t SystemTitle = 3;

uint32_t ReadLE32(const QByteArray& Data, qsizetype At)
{
    const auto* p = reinterpret_cast<const unsigned char*>(Data.constData()) + At;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadLE16(const QByteArray& Data, qsizetype At)
{
    const auto* p = reinterpret_cast<const unsigned char*>(Data.constData()) + At;
    return uint16_t(p[0] | p[1] << 8);
}

// A NUL-terminated string in the help file's 8-bit text.
QString CString(const QByteArray& Data, qsizetype At, qsizetype Max)
{
    const qsizetype end = std::min(Data.size(), At + Max);
    qsizetype n = At;
    while (n < end && Data[n] != '\0')
        ++n;
    return QString::fromLocal8Bit(Data.mid(At, n - At));
}

bool IsPage(const QString& Path)
{
    return Path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
           Path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

// An object's path as the reader names it; empty when the name's bytes do not survive the
// trip through a QString and back (a damaged name), since the object could never be asked
// for by that name again.
QString ObjectPath(const chmUnitInfo& Info)
{
    const QString path = QFile::decodeName(Info.path);
    return QFile::encodeName(path) == QByteArray(Info.path) ? path : QString();
}

int CollectPage(chmFile*, chmUnitInfo* Info, void* Context)
{
    const QString path = ObjectPath(*Info);
    if (IsPage(path))
        static_cast<QStringList*>(Context)->append(path);
    return CHM_ENUMERATOR_CONTINUE;
}

QString DecodeEntities(QString Text)
{
    static const QRegularExpression entity(QStringLiteral("&(#x?[0-9a-fA-F]+|[a-zA-Z]+);"));
    QString result;
    qsizetype last = 0;
    auto it = entity.globalMatch(Text);
    while (it.hasNext()) {
        const auto m = it.next();
        result += QStringView(Text).mid(last, m.capturedStart() - last);
        const QString name = m.captured(1);
        QString replacement = m.captured(0);
        if (name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)) {
            bool ok = false;
            const uint code = name.mid(2).toUInt(&ok, 16);
            if (ok && code > 0 && code <= 0x10FFFF)
                replacement = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        } else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF)
                replacement = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        } else if (name == QLatin1String("amp")) {
            replacement = QStringLiteral("&");
        } else if (name == QLatin1String("lt")) {
            replacement = QStringLiteral("<");
        } else if (name == QLatin1String("gt")) {
            replacement = QStringLiteral(">");
        } else if (name == QLatin1String("quot")) {
            replacement = QStringLiteral("\"");
        } else if (name == QLatin1String("apos")) {
            replacement = QStringLiteral("'");
        } else if (name == QLatin1String("nbsp")) {
            replacement = QChar(0xA0);
        }
        result += replacement;
        last = m.capturedEnd();
    }
    result += QStringView(Text).mid(last);
    return result;
}

QString Attribute(const QString& Attributes, const QString& Name)
{
    static const QRegularExpression attribute(
        QStringLiteral(R"re(([a-zA-Z_:-]+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))re"));
    auto it = attribute.globalMatch(Attributes);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(1).compare(Name, Qt::CaseInsensitive) == 0) {
            for (int group = 2; group <= 4; ++group)
                if (m.capturedStart(group) >= 0)
                    return DecodeEntities(m.captured(group));
        }
    }
    return {};
}

} // namespace

TChmFile::~TChmFile()
{
    Close();
}

namespace {

// chmlib follows the file as the file describes itself: a chain of listing pages that
// loops, or an index page that leads back to itself, keeps it walking for ever; an entry
// that runs past its page makes it read past its buffer; and the figures of the
// compressed part go into divisions and allocations unchecked (a block length of zero
// stops the program). So the directory and those figures are checked here first, against
// the file, and a file that would lead chmlib astray is refused before chmlib sees it.
class TDirectoryCheck
{
public:
    explicit TDirectoryCheck(QFile& File) : FFile(File) {}

    bool Sound()
    {
        const QByteArray itsf = ReadAt(0, 0x60);
        if (itsf.size() < 0x58 || !itsf.startsWith("ITSF"))
            return false; // not a compiled help file at all
        const quint64 dirOffset = ReadLE64(itsf, 0x48);
        const quint64 dirLength = ReadLE64(itsf, 0x50);
        const auto fileSize = quint64(FFile.size());
        if (dirOffset > fileSize || dirLength > fileSize - dirOffset)
            return false;
        // The stored objects' data: where version 3's header says, else after the directory.
        FDataAt = ReadLE32(itsf, 4) >= 3 && itsf.size() >= 0x60 ? ReadLE64(itsf, 0x58)
                                                                 : dirOffset + dirLength;
        const QByteArray itsp = ReadAt(dirOffset, 0x54);
        if (itsp.size() < 0x54 || !itsp.startsWith("ITSP"))
            return false;
        const quint32 headerLength = ReadLE32(itsp, 0x08);
        FBlockLength = ReadLE32(itsp, 0x10);
        const auto root = int32_t(ReadLE32(itsp, 0x1c));
        const auto head = int32_t(ReadLE32(itsp, 0x20));
        if (headerLength < 0x54 || headerLength > dirLength || FBlockLength < PageHeader ||
            FBlockLength > MaxBlockLength)
            return false;
        FPagesAt = dirOffset + headerLength;
        FPageCount = (dirLength - headerLength) / FBlockLength;
        return ListingChainSound(head) && (root < 0 || IndexSound(root)) && CompressionSound();
    }

private:
    static constexpr quint32 PageHeader = 20;           // a listing page's header
    static constexpr quint32 MaxBlockLength = 1u << 20; // compilers write 4 KiB or 8 KiB
    // The objects that describe the compressed part, as chmlib looks them up.
    static constexpr const char* ControlData = "::DataSpace/Storage/MSCompressed/ControlData";
    static constexpr const char* ResetTable =
        "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
        "InstanceData/ResetTable";
    struct TObject
    {
        quint64 Section = 0;
        quint64 Offset = 0;
        quint64 Length = 0;
    };

    QByteArray ReadAt(quint64 At, quint64 Length)
    {
        if (!FFile.seek(qint64(At)))
            return {};
        return FFile.read(qint64(Length));
    }
    // Page Number of the directory, whole; empty when it is not in the directory.
    QByteArray Page(int32_t Number)
    {
        if (Number < 0 || quint64(Number) >= FPageCount)
            return {};
        const QByteArray page = ReadAt(FPagesAt + quint64(Number) * FBlockLength, FBlockLength);
        return page.size() == qsizetype(FBlockLength) ? page : QByteArray();
    }
    static quint64 ReadLE64(const QByteArray& Data, qsizetype At)
    {
        return quint64(ReadLE32(Data, At)) | quint64(ReadLE32(Data, At + 4)) << 32;
    }
    // A variable-length number of the directory: 7 bits a byte, most significant first.
    static bool ReadEncInt(const QByteArray& Page, qsizetype& At, qsizetype End, quint64& Value)
    {
        Value = 0;
        for (int bytes = 0; At < End && bytes < 9; ++bytes) {
            const auto byte = quint8(Page[At++]);
            Value = Value << 7 | (byte & 0x7f);
            if (!(byte & 0x80))
                return true;
        }
        return false;
    }
    // Where a page's entries end: before its free space at the end.
    qsizetype EntriesEnd(const QByteArray& Page, qsizetype HeaderLength) const
    {
        const quint32 freeSpace = ReadLE32(Page, 4);
        return freeSpace > FBlockLength - HeaderLength ? -1 : qsizetype(FBlockLength - freeSpace);
    }
    // Entries of name length, name and Count further numbers, each within the page; Entry
    // is told of each and may refuse it.
    using TEntry = std::function<bool(const QByteArray& Name, const quint64* Numbers)>;
    static bool EntriesSound(const QByteArray& Page, qsizetype At, qsizetype End, int Count,
                             const TEntry& Entry)
    {
        quint64 numbers[3] = {};
        while (At < End) {
            quint64 nameLength = 0;
            if (!ReadEncInt(Page, At, End, nameLength) || nameLength > quint64(End - At))
                return false;
            const QByteArray name = Page.mid(At, qsizetype(nameLength));
            At += qsizetype(nameLength);
            for (int n = 0; n < Count; ++n)
                if (!ReadEncInt(Page, At, End, numbers[n]))
                    return false;
            if (!Entry(name, numbers))
                return false;
        }
        return true;
    }
    // The listing pages, from the first on: each a listing page, none twice.
    bool ListingChainSound(int32_t Head)
    {
        std::vector<bool> seen(FPageCount);
        for (int32_t number = Head; number != -1;) {
            const QByteArray page = Page(number);
            if (page.isEmpty() || seen[size_t(number)] || !page.startsWith("PMGL"))
                return false;
            seen[size_t(number)] = true;
            const qsizetype end = EntriesEnd(page, PageHeader);
            // Name, then section, offset and length.
            const auto note = [this](const QByteArray& Name, const quint64* Numbers) {
                if (Name == ControlData || Name == ResetTable)
                    FObjects[Name] = {Numbers[0], Numbers[1], Numbers[2]};
                return true;
            };
            if (end < 0 || !EntriesSound(page, PageHeader, end, 3, note))
                return false;
            number = int32_t(ReadLE32(page, 16));
        }
        return true;
    }
    // The index pages from the root down: every page they name exists, and no path leads
    // back to a page on it.
    bool IndexSound(int32_t Root)
    {
        std::vector<quint8> state(FPageCount); // 0 unvisited, 1 on the path, 2 done
        const std::function<bool(int32_t, int)> visit = [&](int32_t Number, int Depth) {
            const QByteArray page = Page(Number);
            if (page.isEmpty() || Depth > 64 || state[size_t(Number)] == 1)
                return false;
            if (state[size_t(Number)] == 2 || page.startsWith("PMGL"))
                return true;
            if (!page.startsWith("PMGI"))
                return false;
            state[size_t(Number)] = 1;
            const qsizetype end = EntriesEnd(page, 8);
            // Name, then the page it leads to.
            const auto child = [&](const QByteArray&, const quint64* Numbers) {
                return Numbers[0] < FPageCount && visit(int32_t(Numbers[0]), Depth + 1);
            };
            const bool sound = end >= 0 && EntriesSound(page, 8, end, 1, child);
            state[size_t(Number)] = 2;
            return sound;
        };
        return visit(Root, 0);
    }

    // An uncompressed object's bytes, whole; empty when it is not stored so.
    QByteArray Object(const char* Name)
    {
        const auto it = FObjects.find(QByteArray(Name));
        if (it == FObjects.end() || it->second.Section != 0 || it->second.Length > MaxBlockLength)
            return {};
        const QByteArray data = ReadAt(FDataAt + it->second.Offset, it->second.Length);
        return data.size() == qsizetype(it->second.Length) ? data : QByteArray();
    }
    // The compressed part's figures as chmlib works with them: a window of 32 KiB to 2 MiB,
    // resets at whole half windows, a block length within reason. A file without a
    // compressed part has nothing to check.
    bool CompressionSound()
    {
        if (FObjects.empty())
            return true;
        const QByteArray control = Object(ControlData);
        const QByteArray reset = Object(ResetTable);
        if (control.size() < 0x18 || control.mid(4, 4) != "LZXC" || reset.size() < 0x28)
            return false;
        quint64 resetInterval = ReadLE32(control, 0x0c);
        quint64 window = ReadLE32(control, 0x10);
        const quint64 windowsPerReset = ReadLE32(control, 0x14);
        if (ReadLE32(control, 0x08) == 2) { // version 2 counts in units of 32 KiB
            resetInterval *= 0x8000;
            window *= 0x8000;
        }
        const bool windowSound =
            window >= (1u << 15) && window <= (1u << 21) && (window & (window - 1)) == 0;
        if (!windowSound || resetInterval == 0 || resetInterval % (window / 2) != 0)
            return false;
        // chmlib keeps this product in 32 bits and divides by it.
        const quint64 resetBlocks = resetInterval / (window / 2) * windowsPerReset;
        if (resetBlocks == 0 || resetBlocks > 0xffffffffu)
            return false;
        const quint64 blockLength = ReadLE64(reset, 0x20);
        return ReadLE32(reset, 0) == 2 && blockLength > 0 && blockLength <= (1u << 21);
    }

    QFile& FFile;
    std::map<QByteArray, TObject> FObjects; // the compressed part's own objects, by name
    quint64 FDataAt = 0;
    quint32 FBlockLength = 0;
    quint64 FPagesAt = 0;
    quint64 FPageCount = 0;
};

} // namespace

namespace {

int CheckObjectEnd(chmFile* Handle, chmUnitInfo* Unit, void* Context)
{
    if (Unit->space == CHM_UNCOMPRESSED && Unit->length > 0) {
        unsigned char last = 0;
        if (chm_retrieve_object(Handle, Unit, &last, LONGUINT64(Unit->length - 1), 1) != 1) {
            *static_cast<bool*>(Context) = false;
            return CHM_ENUMERATOR_SUCCESS;
        }
    }
    return CHM_ENUMERATOR_CONTINUE;
}

bool AllObjectsPresent(chmFile* Handle)
{
    bool complete = true;
    chm_enumerate(Handle, CHM_ENUMERATE_ALL, CheckObjectEnd, &complete);
    return complete;
}

} // namespace

bool TChmFile::Open(const QString& FileName)
{
    Close();
    FFileName = FileName;
    FErrorString.clear();

    // chmlib only says yes or no; ask the file system first so that a missing or
    // unreadable file is reported as such.
    const QFileInfo info(FileName);
    if (info.isDir()) {
        FErrorString = QStringLiteral("Is a directory");
        return false;
    }
    QFile probe(FileName);
    if (!probe.open(QIODevice::ReadOnly)) {
        FErrorString = probe.errorString();
        return false;
    }
    const bool directorySound = TDirectoryCheck(probe).Sound();
    probe.close();
    if (!directorySound) {
        FErrorString = QStringLiteral("the file is damaged or is not a compiled help file");
        return false;
    }

    FHandle = chm_open(QFile::encodeName(FileName).constData());
    if (!FHandle) {
        FErrorString = QStringLiteral("the file is damaged or is not a compiled help file");
        return false;
    }

    // chmlib decompresses whatever lies where a cut-short file's data should be, so a
    // truncated file would show junk pages. Refuse it: every stored object must end inside
    // the file.
    if (!AllObjectsPresent(FHandle)) {
        chm_close(FHandle);
        FHandle = nullptr;
        FErrorString = QStringLiteral("the file is damaged (it is incomplete)");
        return false;
    }

    chm_enumerate(FHandle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, CollectPage, &FPages);
    ReadSystem();
    ReadContextMap();
    if (!FContentsFile.isEmpty())
        FContents = ParseSitemap(QString::fromUtf8(Read(FContentsFile)));
    return true;
}

void TChmFile::Close()
{
    if (FHandle)
        chm_close(FHandle);
    FHandle = nullptr;
    FTitle.clear();
    FDefaultTopic.clear();
    FContentsFile.clear();
    FContents.clear();
    FContextMap.clear();
    FPages.clear();
}

QString TChmFile::NormalPath(const QString& Path)
{
    QString path = Path.trimmed();
    path.replace(u'\\', u'/');
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    return path;
}

bool TChmFile::Contains(const QString& Path) const
{
    if (!FHandle)
        return false;
    chmUnitInfo unit;
    return chm_resolve_object(FHandle, QFile::encodeName(NormalPath(Path)).constData(), &unit) ==
           CHM_RESOLVE_SUCCESS;
}

QByteArray TChmFile::Read(const QString& Path) const
{
    if (!FHandle)
        return {};
    chmUnitInfo unit;
    if (chm_resolve_object(FHandle, QFile::encodeName(NormalPath(Path)).constData(), &unit) !=
        CHM_RESOLVE_SUCCESS)
        return {};
    if (unit.length == 0 || unit.length > MaxObjectSize)
        return {};
    QByteArray data(qsizetype(unit.length), Qt::Uninitialized);
    const LONGINT64 got = chm_retrieve_object(
        FHandle, &unit, reinterpret_cast<unsigned char*>(data.data()), 0, LONGINT64(unit.length));
    if (got <= 0)
        return {};
    data.truncate(qsizetype(got));
    return data;
}

void TChmFile::ReadSystem()
{
    const QByteArray system = Read(QStringLiteral("/#SYSTEM"));
    QString defaultTopic;
    // A 4-byte version, then records of code, length and data.
    for (qsizetype at = 4; at + 4 <= system.size();) {
        const uint16_t code = ReadLE16(system, at);
        const uint16_t length = ReadLE16(system, at + 2);
        at += 4;
        if (at + length > system.size())
            break;
        switch (code) {
        case SystemContentsFile:
            FContentsFile = CString(system, at, length);
            break;
        case SystemDefaultTopic:
            defaultTopic = CString(system, at, length);
            break;
        case SystemTitle:
            FTitle = CString(system, at, length);
            break;
        default:
            break;
        }
        at += length;
    }

    if (!FContentsFile.isEmpty())
        FContentsFile = NormalPath(FContentsFile);
    if (FContentsFile.isEmpty() || !Contains(FContentsFile)) {
        FContentsFile.clear();
        // Some compilers leave the record out; the sitemap is then found by its name.
        const auto onHhc = [](chmFile*, chmUnitInfo* Info, void* Context) -> int {
            const QString path = ObjectPath(*Info);
            if (path.endsWith(QLatin1String(".hhc"), Qt::CaseInsensitive)) {
                *static_cast<QString*>(Context) = path;
                return CHM_ENUMERATOR_SUCCESS;
            }
            return CHM_ENUMERATOR_CONTINUE;
        };
        chm_enumerate(FHandle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, onHhc, &FContentsFile);
    }

    FDefaultTopic = FindPage(defaultTopic);
    for (const char* usual : {"/index.html", "/index.htm", "/default.html", "/default.htm"}) {
        if (!FDefaultTopic.isEmpty())
            break;
        FDefaultTopic = FindPage(QString::fromLatin1(usual));
    }
    if (FDefaultTopic.isEmpty() && !FPages.isEmpty())
        FDefaultTopic = FPages.first();
}

// Candidate as a path inside the file when the file holds it, keeping a #fragment.
QString TChmFile::FindPage(const QString& Candidate) const
{
    const auto [page, fragment] = SplitFragment(Candidate);
    if (page.trimmed().isEmpty() || !Contains(page))
        return {};
    return NormalPath(page) + fragment;
}

std::pair<QString, QString> TChmFile::SplitFragment(const QString& Reference)
{
    // The compiler's own objects ("/#SYSTEM") start with '#'; a fragment never does.
    const qsizetype hash = Reference.indexOf(u'#');
    if (hash <= 0 || Reference.at(hash - 1) == u'/')
        return {Reference, QString()};
    return {Reference.left(hash), Reference.mid(hash)};
}

void TChmFile::ReadContextMap()
{
    // /#IVB: the byte length of the pairs, then pairs of context id and offset into
    // /#STRINGS, where the topic's file name is kept.
    const QByteArray ivb = Read(QStringLiteral("/#IVB"));
    const QByteArray strings = Read(QStringLiteral("/#STRINGS"));
    if (ivb.size() < 4 || strings.isEmpty())
        return;
    const qsizetype end = std::min<qsizetype>(ivb.size(), 4 + qsizetype(ReadLE32(ivb, 0)));
    for (qsizetype at = 4; at + 8 <= end; at += 8) {
        const auto id = int32_t(ReadLE32(ivb, at));
        const uint32_t offset = ReadLE32(ivb, at + 4);
        if (offset >= uint32_t(strings.size()))
            continue;
        QString name = CString(strings, qsizetype(offset), strings.size());
        name.replace(u'\\', u'/');
        // Some compilers store the page's full path on the build machine. Drop leading
        // folders until what is left names a page in the file.
        QString topic;
        for (QString rest = name; !rest.isEmpty();) {
            topic = FindPage(rest);
            if (!topic.isEmpty())
                break;
            const qsizetype slash = rest.indexOf(u'/', 1);
            if (slash < 0)
                break;
            rest = rest.mid(slash);
        }
        if (!topic.isEmpty())
            FContextMap.emplace_back(id, topic);
    }
}

QString TChmFile::TopicForContext(int32_t Id) const
{
    for (const auto& [id, topic] : FContextMap)
        if (id == Id)
            return topic;
    return {};
}

std::vector<TChmTopic> TChmFile::ParseSitemap(const QString& Html)
{
    std::vector<TChmTopic> root;
    // Where new entries go: the list of the innermost open <ul>.
    std::vector<std::vector<TChmTopic>*> lists{&root};
    bool inObject = false;
    TChmTopic entry;

    static const QRegularExpression tag(QStringLiteral(R"(<\s*(/?)\s*([a-zA-Z]+)([^>]*)>)"));
    auto it = tag.globalMatch(Html);
    while (it.hasNext()) {
        const auto m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        const QString attributes = m.captured(3);
        if (name == QLatin1String("ul")) {
            if (!closing) {
                std::vector<TChmTopic>* current = lists.back();
                // A list right after an entry holds that entry's children.
                lists.push_back(current->empty() ? current : &current->back().Children);
            } else if (lists.size() > 1) {
                lists.pop_back();
            }
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inObject = Attribute(attributes, QStringLiteral("type"))
                               .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                entry = TChmTopic();
            } else if (inObject) {
                inObject = false;
                // The object before the first list only carries the file's settings.
                if (!entry.Name.isEmpty() || !entry.Local.isEmpty())
                    lists.back()->push_back(std::move(entry));
                entry = TChmTopic();
            }
        } else if (name == QLatin1String("param") && inObject) {
            const QString param = Attribute(attributes, QStringLiteral("name"));
            const QString value = Attribute(attributes, QStringLiteral("value"));
            if (param.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0 &&
                entry.Name.isEmpty())
                entry.Name = value;
            else if (param.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0 &&
                     entry.Local.isEmpty() && !value.isEmpty()) {
                const auto [page, fragment] = SplitFragment(value);
                entry.Local = NormalPath(page) + fragment;
            }
        }
    }
    return root;
}
