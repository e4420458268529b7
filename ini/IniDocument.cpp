#include "ini/IniDocument.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringConverter>
#include <QTime>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t CtrlZ = 26;

// The file's text is UTF-8, the encoding of every locale Qt 6 reads on this system. A
// byte that is no part of valid UTF-8 (a line written under another encoding, a sequence
// cut short at the end) becomes the lone low surrogate U+DC00 + byte, which no valid text
// holds and which the writer turns back into that byte: every file comes back byte for
// byte, and its valid text still reads as the characters it encodes. Both directions work
// on a whole text at a time and keep no state between calls. A byte-order mark is text
// like any other.
constexpr char16_t EscapedByteBase = 0xDC00;

bool IsEscapedByte(char16_t c)
{
    return c >= EscapedByteBase + 0x80 && c <= EscapedByteBase + 0xFF;
}

// The length of the valid UTF-8 sequence at the start of s (size bytes), or 0.
qsizetype Utf8SequenceLength(const uchar* s, qsizetype size)
{
    const uchar b = s[0];
    if (b < 0x80)
        return 1;
    qsizetype length = 0;
    uchar low = 0x80, high = 0xBF; // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0)
            low = 0xA0; // no overlong forms
        else if (b == 0xED)
            high = 0x9F; // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (size < length || s[1] < low || s[1] > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i)
        if (s[i] < 0x80 || s[i] > 0xBF)
            return 0;
    return length;
}

QString DecodeText(QByteArrayView bytes)
{
    const auto* s = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype size = bytes.size();
    // Every run handed to it is whole, valid UTF-8; a byte-order mark stays text.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                    QStringConverter::Flag::Stateless);
    QString text;
    text.reserve(size);
    qsizetype run = 0; // where the current run of valid text began
    qsizetype i = 0;
    while (i < size) {
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        if (const qsizetype length = Utf8SequenceLength(s + i, size - i)) {
            i += length;
            continue;
        }
        text += utf8.decode(bytes.sliced(run, i - run));
        text += QChar(char16_t(EscapedByteBase + s[i]));
        run = ++i;
    }
    text += utf8.decode(bytes.sliced(run, size - run));
    return text;
}

void AppendEncoded(QByteArray& bytes, QStringView text)
{
    const qsizetype size = text.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            ++i; // a character of two units, never an escaped byte
            continue;
        }
        if (!IsEscapedByte(c))
            continue;
        bytes += text.sliced(run, i - run).toUtf8();
        bytes += char(c - EscapedByteBase);
        run = i + 1;
    }
    bytes += text.sliced(run).toUtf8();
}

QByteArray EncodeText(QStringView text)
{
    QByteArray bytes;
    AppendEncoded(bytes, text);
    return bytes;
}

QString SystemReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

[[noreturn]] void RaiseReadError(const QString& name, int errorNumber)
{
    throw EIniFileError(
        QStringLiteral("Cannot read \"%1\": %2.").arg(name, SystemReason(errorNumber)));
}

[[noreturn]] void RaiseWriteError(const QString& name, int errorNumber)
{
    throw EIniFileError(
        QStringLiteral("Cannot write \"%1\": %2.").arg(name, SystemReason(errorNumber)));
}

// Case-insensitive equality of two texts of the same length. ASCII pairs are folded here,
// which settles nearly every comparison at its first differing character; as soon as a
// pair holds anything else (the Kelvin sign folds to "k"), Qt's Unicode folding decides
// the rest.
bool SameTextOfEqualLength(QStringView a, QStringView b)
{
    const qsizetype n = a.size();
    const char16_t* x = a.utf16();
    const char16_t* y = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t cx = x[i];
        char16_t cy = y[i];
        if (cx == cy)
            continue;
        if (cx >= 128 || cy >= 128)
            return a.sliced(i).compare(b.sliced(i), Qt::CaseInsensitive) == 0;
        if (cx >= u'A' && cx <= u'Z')
            cx += 32;
        if (cy >= u'A' && cy <= u'Z')
            cy += 32;
        if (cx != cy)
            return false;
    }
    return true;
}

// The key of a line is the text before its first "=". Checking the "=" at the key's length
// first rejects almost every other line without folding a character; a key without "="
// that equals the prefix case-insensitively holds no "=" either, so the prefix is the
// line's whole key.
bool LineHasKey(const QString& line, const QString& key)
{
    const qsizetype n = key.size();
    return line.size() > n && line.at(n) == u'=' &&
           SameTextOfEqualLength(QStringView(line).left(n), key);
}

bool IsBlankOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Reads everything from an open descriptor through a buffer of the given size. Returns 0
// or the errno of a failed read; the bytes read before a failure are kept.
int ReadAll(int fd, int bufferSize, QByteArray& data)
{
    QByteArray buffer(bufferSize, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), static_cast<size_t>(buffer.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        const char* chunk = buffer.constData();
        // Ctrl-Z ends the text: nothing after it is read.
        if (const void* end = std::memchr(chunk, CtrlZ, static_cast<size_t>(got))) {
            data.append(chunk, static_cast<const char*>(end) - chunk);
            return 0;
        }
        data.append(chunk, got);
    }
}

// Writes all of data, going on after short writes and interrupted calls. Returns 0 or
// the errno of the failure.
int WriteAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t put = ::write(fd, data, static_cast<size_t>(size));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += put;
        size -= put;
    }
    return 0;
}

// Owns a descriptor for the length of one load or one write.
class TFileHandle
{
public:
    explicit TFileHandle(int fd) : FFd(fd) {}
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    ~TFileHandle()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    int Get() const { return FFd; }
    // Closes now so that a late write error (NFS, full disks) is seen; returns its errno.
    int Close()
    {
        const int fd = FFd;
        FFd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int FFd;
};

// The temporary file of a replace; removed again unless the rename took it.
class TTempFile
{
public:
    TTempFile() = default;
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile()
    {
        if (!FPath.isEmpty())
            ::unlink(FPath.constData());
    }
    void Set(const QByteArray& path) { FPath = path; }
    void Release() { FPath.clear(); }

private:
    QByteArray FPath;
};

// TDateTime's range is that of the years 1 to 9999 (both ends open: 1 January 0001
// 00:00 is -693593, any time on it lies below), which also keeps every date's year at
// four digits in the written text.
constexpr double BelowDateTime = -693594.0;
constexpr double AboveDateTime = 2958466.0;
constexpr qint64 MsecsPerDay = 86400000;

QDate DateTimeBase()
{
    return QDate(1899, 12, 30);
}

void SplitDateTime(TDateTime value, QDate& date, QTime& time)
{
    if (!(value > BelowDateTime && value < AboveDateTime))
        throw EIniFileError(QStringLiteral("%1 is not a valid date and time.").arg(value));
    double whole = 0;
    const double fraction = std::modf(value, &whole);
    date = DateTimeBase().addDays(static_cast<qint64>(whole));
    // Before the base day the fraction still counts forward from midnight.
    const qint64 ms =
        std::min<qint64>(std::llround(std::fabs(fraction) * MsecsPerDay), MsecsPerDay - 1);
    time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

TDateTime JoinDateTime(QDate date, QTime time)
{
    const double days = static_cast<double>(DateTimeBase().daysTo(date));
    const double fraction = static_cast<double>(time.msecsSinceStartOfDay()) / MsecsPerDay;
    return days >= 0 ? days + fraction : days - fraction;
}

// The locale's short date format with its year widened to four digits: a two-digit year
// would not read back to the same date.
QString DateFormat(const QLocale& locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            result += c;
            ++i;
            continue;
        }
        if (!quoted && c == u'y') {
            qsizetype run = 0;
            while (i + run < format.size() && format.at(i + run) == u'y')
                ++run;
            result += QStringLiteral("yyyy");
            i += run;
            continue;
        }
        result += c;
        ++i;
    }
    return result;
}

// The locale's long time format without its time zone: a TDateTime has no zone.
QString StripZone(const QString& format)
{
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result += c;
    }
    return result.simplified();
}

QString LongTimeFormat(const QLocale& locale)
{
    return StripZone(locale.timeFormat(QLocale::LongFormat));
}

QString ShortTimeFormat(const QLocale& locale)
{
    return StripZone(locale.timeFormat(QLocale::ShortFormat));
}

bool ParseTime(const QLocale& locale, const QString& s, QTime& time)
{
    time = locale.toTime(s, LongTimeFormat(locale));
    if (!time.isValid())
        time = locale.toTime(s, ShortTimeFormat(locale));
    return time.isValid();
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int HexDigit(QChar c)
{
    return c.unicode() < 128 ? HexDigit(static_cast<char>(c.unicode())) : -1;
}

// A 32-bit signed integer in decimal or hexadecimal ("$", "x", "0x" after an optional
// sign); the whole text must be used.
bool ParseInteger(const QString& s, int& value)
{
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n && s.at(i) == u' ')
        ++i;
    bool negative = false;
    if (i < n && (s.at(i) == u'+' || s.at(i) == u'-')) {
        negative = s.at(i) == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && (s.at(i) == u'$' || s.at(i) == u'x' || s.at(i) == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && s.at(i) == u'0' && (s.at(i + 1) == u'x' || s.at(i + 1) == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == n)
        return false;
    quint64 magnitude = 0;
    if (hex) {
        if (n - i > 8)
            return false;
        for (; i < n; ++i) {
            const int digit = HexDigit(s.at(i));
            if (digit < 0)
                return false;
            magnitude = magnitude * 16 + static_cast<quint64>(digit);
        }
        // Eight hex digits are the 32 bits as they stand.
        quint32 bits = static_cast<quint32>(magnitude);
        if (negative)
            bits = 0u - bits;
        value = static_cast<qint32>(bits);
        return true;
    }
    const quint64 limit = negative ? 2147483648ull : 2147483647ull;
    for (; i < n; ++i) {
        const char16_t c = s.at(i).unicode();
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > limit)
            return false;
    }
    value = negative ? static_cast<int>(0 - static_cast<qint64>(magnitude))
                     : static_cast<int>(magnitude);
    return true;
}

bool HoldsLineBreak(const QString& s)
{
    return s.contains(u'\n') || s.contains(u'\r') || s.contains(QChar(CtrlZ));
}

} // namespace

EIniFileError::EIniFileError(const QString& message)
    : std::runtime_error(message.toStdString()), FMessage(message)
{
}

// ---------------------------------------------------------------------------------------
// TSectionList

TSectionList::TSectionList() = default;
TSectionList::~TSectionList() = default;

bool TSectionList::SameName(const QString& a, const QString& b)
{
    // Simple case folding maps every code point to one of the same plane, so names of
    // different UTF-16 length never compare equal.
    return a.size() == b.size() && SameTextOfEqualLength(a, b);
}

int TSectionList::Add(const QString& Name)
{
    FItems.push_back(TSection{Name, std::make_unique<QStringList>()});
    return Count() - 1;
}

void TSectionList::Delete(int Index)
{
    FItems.erase(FItems.begin() + Index);
}

void TSectionList::Clear()
{
    FItems.clear();
    FPrevIndex = 0;
}

int TSectionList::IndexOf(const QString& S)
{
    const int n = Count();
    if (n == 0)
        return -1;
    const int start = FPrevIndex >= 0 && FPrevIndex < n ? FPrevIndex : 0;
    for (int k = 0; k < n; ++k) {
        const int i = start + k < n ? start + k : start + k - n;
        ++FComparisons;
        if (SameName(FItems[i].Name, S)) {
            FPrevIndex = i;
            return i;
        }
    }
    return -1;
}

bool TSectionList::EraseDuplicates(const TEraseSectionCallback& callBackProc)
{
    const int n = Count();
    if (n < 2)
        return false;

    // Sort positions by name once; within a group of equal names the positions stay in
    // document order, so the members meet the survivor first to last.
    std::vector<int> sorted(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        sorted[static_cast<size_t>(i)] = i;
    std::sort(sorted.begin(), sorted.end(), [this](int a, int b) {
        const int order = QString::compare(FItems[a].Name, FItems[b].Name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });

    std::vector<char> marked(static_cast<size_t>(n), 0);
    bool removed = false;
    // Deleting the marked sections also runs when the callback throws, so that no list
    // keeps a section the walk has given up.
    auto deleteMarked = [&] {
        if (!removed)
            return;
        size_t kept = 0;
        for (size_t i = 0; i < FItems.size(); ++i) {
            if (!marked[i]) {
                if (kept != i)
                    FItems[kept] = std::move(FItems[i]);
                ++kept;
            }
        }
        FItems.resize(kept);
    };

    try {
        int survivor = sorted[0];
        for (size_t k = 1; k < sorted.size(); ++k) {
            const int entry = sorted[k];
            if (!SameName(FItems[survivor].Name, FItems[entry].Name)) {
                survivor = entry;
                continue;
            }
            const int a = std::min(survivor, entry);
            const int b = std::max(survivor, entry);
            bool removeLater = true;
            if (callBackProc)
                removeLater = callBackProc(FItems[entry].Name, *FItems[a].Lines, *FItems[b].Lines);
            const int gone = removeLater ? b : a;
            marked[static_cast<size_t>(gone)] = 1;
            removed = true;
            survivor = gone == a ? b : a;
        }
    } catch (...) {
        deleteMarked();
        throw;
    }
    deleteMarked();
    return removed;
}

// ---------------------------------------------------------------------------------------
// TIniDocument

TIniDocument::TIniDocument(const QString& FileName)
    : FSectionList(std::make_unique<TSectionList>()), FFormatLocale(QLocale::system())
{
    SetFileName(FileName);
}

TIniDocument::~TIniDocument()
{
    // A failed write must not escape a destructor; callers who need to know flush first.
    try {
        FlushFile();
    } catch (...) {
    }
}

void TIniDocument::SetFileName(const QString& Value)
{
    FlushFile();
    FSectionList->Clear();
    FFileName = Value;
    if (!FFileName.isEmpty())
        AppendFromFile(FFileName);
    FHasChanged = false;
}

void TIniDocument::LoadLine(QString s, QStringList*& aCurrent)
{
    if (FFlagDropCommentLines && s.startsWith(u';'))
        return;
    if (s.isEmpty())
        return;
    if (s.size() >= 2 && s.front() == u'[' && s.back() == u']') {
        const int index = FSectionList->Add(s.mid(1, s.size() - 2));
        aCurrent = FSectionList->GetSectionItems(index);
        return;
    }
    if (FFlagDropWhiteSpace) {
        qsizetype p = s.indexOf(u'=');
        if (p >= 1) {
            qsizetype from = p;
            while (from >= 1 && IsBlankOrTab(s.at(from - 1)))
                --from;
            s.remove(from, p - from);
            p = from;
        }
        if (p >= 1) {
            qsizetype to = p + 1;
            while (to < s.size() && IsBlankOrTab(s.at(to)))
                ++to;
            s.remove(p + 1, to - p - 1);
        }
    }
    if (FFlagDropApostrophes) {
        const qsizetype p = s.indexOf(u'=');
        const qsizetype last = s.size() - 1;
        if (p >= 1 && p + 2 <= last) {
            const QChar quote = s.at(p + 1);
            if ((quote == u'"' || quote == u'\'') && s.at(last) == quote) {
                s.chop(1);
                s.remove(p + 1, 1);
            }
        }
    }
    if (FFlagTrimRight) {
        qsizetype end = s.size();
        while (end > 0 && s.at(end - 1).unicode() <= 32)
            --end;
        s.truncate(end);
    }
    if (FFlagFilterOutInvalid && !s.contains(u'='))
        return;
    if (aCurrent)
        aCurrent->append(std::move(s));
}

void TIniDocument::FinishLoad()
{
    if (FSectionList->EraseDuplicates(FEraseSectionCallback))
        FHasChanged = true;
}

void TIniDocument::AppendFromFile(const QString& aName)
{
    FPrevSectionIndex = 0;
    if (aName.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(aName);
    // O_NONBLOCK keeps a FIFO of that name from blocking the open; it is refused below.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return; // A missing file is an empty document.
        RaiseReadError(aName, errno);
    }
    TFileHandle file(fd);
    struct stat info;
    if (::fstat(fd, &info) != 0)
        RaiseReadError(aName, errno);
    if (S_ISDIR(info.st_mode))
        RaiseReadError(aName, EISDIR);
    if (!S_ISREG(info.st_mode))
        throw EIniFileError(QStringLiteral("Cannot read \"%1\": not a regular file.").arg(aName));

    QByteArray data;
    data.reserve(static_cast<qsizetype>(std::min<off_t>(info.st_size, 64 << 20)));
    const int readError = ReadAll(fd, FTextBufferSize, data);
    file.Close();

    // A line ends at LF; every CR is dropped, the one of CR LF and a lone one alike. They
    // go before decoding: bytes a CR kept apart are written side by side, so they must be
    // read side by side now too, or a file written back would read as another.
    data.removeIf([](char c) { return c == '\r'; });
    QString text = DecodeText(data);
    data = QByteArray();

    QStringList* current = nullptr;
    const QStringView view(text);
    qsizetype start = 0;
    for (;;) {
        const qsizetype lf = view.indexOf(u'\n', start);
        if (lf < 0) {
            if (start < view.size())
                LoadLine(view.mid(start).toString(), current);
            break;
        }
        LoadLine(view.mid(start, lf - start).toString(), current);
        start = lf + 1;
    }

    if (readError != 0)
        RaiseReadError(aName, readError);
    FinishLoad();
}

void TIniDocument::Clear()
{
    FSectionList->Clear();
}

int TIniDocument::FindKeyIndex(const QString& aSection, const QString& aKey, QStringList*& aLines,
                               bool aCreate)
{
    aLines = nullptr;
    const int n = FSectionList->Count();
    int found = -1;
    if (n > 0) {
        if (FPrevSectionIndex < 0 || FPrevSectionIndex >= n)
            FPrevSectionIndex = 0;
        const int last = FPrevSectionIndex > 0 ? FPrevSectionIndex - 1 : n - 1;
        for (;;) {
            ++FSectionComparisons;
            if (TSectionList::SameName(FSectionList->Strings(FPrevSectionIndex), aSection)) {
                found = FPrevSectionIndex;
                break;
            }
            if (FPrevSectionIndex == last)
                break;
            FPrevSectionIndex = FPrevSectionIndex + 1 < n ? FPrevSectionIndex + 1 : 0;
        }
    }
    if (found < 0) {
        if (aCreate) {
            FPrevSectionIndex = FSectionList->Add(aSection);
            aLines = FSectionList->GetSectionItems(FPrevSectionIndex);
        }
        return -1;
    }
    aLines = FSectionList->GetSectionItems(found);
    // A key holding "=" can never be a line's key, which ends at the first "=".
    if (aKey.contains(u'='))
        return -1;
    const qsizetype count = aLines->size();
    for (qsizetype i = 0; i < count; ++i)
        if (LineHasKey(aLines->at(i), aKey))
            return static_cast<int>(i);
    return -1;
}

void TIniDocument::DeleteKey(const QString& aSection, const QString& aKey)
{
    QStringList* lines = nullptr;
    const int index = FindKeyIndex(aSection, aKey, lines, true);
    if (index >= 0) {
        FHasChanged = true;
        lines->removeAt(index);
    }
}

void TIniDocument::EraseSection(const QString& aSection)
{
    const int index = FSectionList->IndexOf(aSection);
    if (index < 0)
        return;
    FSectionList->Delete(index);
    FSectionList->SetPrevIndex(0);
    FHasChanged = true;
    if (FPrevSectionIndex >= FSectionList->Count())
        FPrevSectionIndex = 0;
}

void TIniDocument::GetStrings(QStringList& List)
{
    for (int i = 0; i < FSectionList->Count(); ++i) {
        const QStringList& lines = *FSectionList->GetSectionItems(i);
        if (lines.isEmpty())
            continue;
        List.append(u'[' + FSectionList->Strings(i) + u']');
        List.append(lines);
        List.append(QString());
    }
}

void TIniDocument::SetStrings(const QStringList& aStrings)
{
    FPrevSectionIndex = 0;
    QStringList* current = nullptr;
    for (const QString& s : aStrings)
        LoadLine(s, current);
    FinishLoad();
}

void TIniDocument::WriteToFile()
{
    const QByteArray path = [this] {
        // Replace the file a link points to, not the link.
        const QFileInfo info(FFileName);
        return QFile::encodeName(info.isSymLink() && info.exists() ? info.canonicalFilePath()
                                                                   : FFileName);
    }();

    struct stat existing;
    const bool exists = ::stat(path.constData(), &existing) == 0;
    if (!exists && errno != ENOENT)
        RaiseWriteError(FFileName, errno);
    if (exists) {
        if (S_ISDIR(existing.st_mode))
            RaiseWriteError(FFileName, EISDIR);
        if (!S_ISREG(existing.st_mode))
            throw EIniFileError(
                QStringLiteral("Cannot write \"%1\": not a regular file.").arg(FFileName));
        // The rename below would replace a file the user made read-only; refuse it as an
        // ordinary write would.
        if (::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0)
            RaiseWriteError(FFileName, errno);
    }

    // The text is written through a buffer of FTextBufferSize bytes.
    const auto writeText = [this](int fd) {
        QByteArray buffer;
        buffer.reserve(FTextBufferSize);
        auto flushBuffer = [&] {
            if (const int error = WriteAll(fd, buffer.constData(), buffer.size()))
                RaiseWriteError(FFileName, error);
            buffer.resize(0);
        };
        auto putLine = [&](QStringView line) {
            AppendEncoded(buffer, line);
            buffer += "\r\n";
            if (buffer.size() >= FTextBufferSize)
                flushBuffer();
        };
        for (int i = 0; i < FSectionList->Count(); ++i) {
            const QStringList& lines = *FSectionList->GetSectionItems(i);
            if (lines.isEmpty())
                continue;
            putLine(QString(u'[' + FSectionList->Strings(i) + u']'));
            for (const QString& line : lines)
                putLine(line);
            putLine(QStringView());
        }
        flushBuffer();
        if (::fsync(fd) != 0)
            RaiseWriteError(FFileName, errno);
    };

    // The new text goes to a temporary file beside the old one and replaces it only when
    // it is complete, so a failed write leaves the old file as it was. A replace would
    // part a file from its other hard links, or take it from the user it belongs to: such
    // a file, and one beside which no temporary file can be made (a writable file in a
    // read-only folder), is rewritten in place instead.
    const bool replace = !exists || (existing.st_nlink <= 1 && existing.st_uid == ::geteuid());
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash >= 0 ? path.left(slash + 1) : QByteArray();
    const QByteArray base = slash >= 0 ? path.mid(slash + 1) : path;
    TTempFile temp;
    QByteArray tempPath;
    int fd = -1;
    const mode_t mode = exists ? (existing.st_mode & 07777) : 0666;
    for (int attempt = 0; replace && fd < 0; ++attempt) {
        tempPath = folder + '.' + base + ".tmp" + QByteArray::number(::getpid()) + '-' +
                   QByteArray::number(attempt);
        fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && (errno != EEXIST || attempt >= 100)) {
            if (!exists)
                RaiseWriteError(FFileName, errno);
            break;
        }
    }
    if (fd < 0) {
        WriteInPlace(path, writeText);
        return;
    }
    temp.Set(tempPath);
    TFileHandle file(fd);
    if (exists) {
        // Keep the old file's group where we may, and its permissions; its owner is
        // ours already.
        if (::fchown(fd, uid_t(-1), existing.st_gid) != 0) {
            // A group we are no member of: the file takes ours, as a new file would.
        }
        if (::fchmod(fd, mode) != 0)
            RaiseWriteError(FFileName, errno);
    }
    writeText(fd);
    if (const int error = file.Close())
        RaiseWriteError(FFileName, error);
    if (::rename(tempPath.constData(), path.constData()) != 0)
        RaiseWriteError(FFileName, errno);
    temp.Release();
}

void TIniDocument::WriteInPlace(const QByteArray& Path, const std::function<void(int)>& WriteText)
{
    // Truncate, write, flush to disk: the file keeps its inode, links, owner and mode.
    const int fd = ::open(Path.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        RaiseWriteError(FFileName, errno);
    TFileHandle file(fd);
    if (::ftruncate(fd, 0) != 0)
        RaiseWriteError(FFileName, errno);
    WriteText(fd);
    if (const int error = file.Close())
        RaiseWriteError(FFileName, error);
}

void TIniDocument::FlushFile()
{
    if (!FHasChanged)
        return;
    if (!FFileName.isEmpty())
        WriteToFile();
    FHasChanged = false;
}

QByteArray TIniDocument::ReadAnsiString(const QString& aSection, const QString& aKey,
                                        const QByteArray& aDefault)
{
    return EncodeText(ReadString(aSection, aKey, DecodeText(aDefault)));
}

int TIniDocument::ReadBinaryStream(const QString& aSection, const QString& aKey, TStream& aStream)
{
    const QByteArray s = ReadAnsiString(aSection, aKey, QByteArray());
    const qsizetype n = s.size() / 2;
    if (n == 0)
        return 0;
    QByteArray bytes(n, '\0');
    for (qsizetype i = 0; i < n; ++i) {
        const int high = HexDigit(s.at(2 * i));
        const int low = HexDigit(s.at(2 * i + 1));
        bytes[i] = high < 0 || low < 0 ? '\0' : static_cast<char>(high * 16 + low);
    }
    if (aStream.write(bytes) != n)
        throw EIniFileError(
            QStringLiteral("Cannot write to the stream: %1.").arg(aStream.errorString()));
    return static_cast<int>(n);
}

bool TIniDocument::ReadBool(const QString& aSection, const QString& aKey, bool aDefault)
{
    return ReadInteger(aSection, aKey, aDefault ? 1 : 0) != 0;
}

TDateTime TIniDocument::ReadDate(const QString& aSection, const QString& aKey, TDateTime aDefault)
{
    const QString s = ReadString(aSection, aKey, QString());
    if (s.isEmpty())
        return aDefault;
    const QDate date = FFormatLocale.toDate(s, DateFormat(FFormatLocale));
    return date.isValid() ? JoinDateTime(date, QTime(0, 0)) : aDefault;
}

TDateTime TIniDocument::ReadDateTime(const QString& aSection, const QString& aKey,
                                     TDateTime aDefault)
{
    const QString s = ReadString(aSection, aKey, QString());
    if (s.isEmpty())
        return aDefault;
    const QString dateFormat = DateFormat(FFormatLocale);
    QDate date = FFormatLocale.toDate(s, dateFormat);
    if (date.isValid())
        return JoinDateTime(date, QTime(0, 0));
    // Date and time are parsed apart: as one local date-time a time that a daylight
    // saving change skips would not exist.
    for (qsizetype blank = s.indexOf(u' '); blank > 0; blank = s.indexOf(u' ', blank + 1)) {
        date = FFormatLocale.toDate(s.left(blank), dateFormat);
        QTime time;
        if (date.isValid() && ParseTime(FFormatLocale, s.mid(blank + 1), time))
            return JoinDateTime(date, time);
    }
    QTime time;
    if (ParseTime(FFormatLocale, s, time))
        return JoinDateTime(DateTimeBase(), time);
    return aDefault;
}

double TIniDocument::ReadFloat(const QString& aSection, const QString& aKey, double aDefault)
{
    const QString s = ReadString(aSection, aKey, QString());
    if (s.isEmpty())
        return aDefault;
    QLocale locale = FFormatLocale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(s, &ok);
    return ok ? value : aDefault;
}

int TIniDocument::ReadInteger(const QString& aSection, const QString& aKey, int aDefault)
{
    QString s = ReadString(aSection, aKey, QString());
    if (s.size() >= 2 && s.at(0) == u'0' && (s.at(1) == u'x' || s.at(1) == u'X'))
        s = u'$' + s.mid(2, 255);
    int value = 0;
    return ParseInteger(s, value) ? value : aDefault;
}

void TIniDocument::ReadSection(const QString& aSection, QStringList& aStrings)
{
    const int index = FSectionList->IndexOf(aSection);
    if (index < 0)
        return;
    for (const QString& line : *FSectionList->GetSectionItems(index)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        if (FFlagDropCommentLines && line.startsWith(u';'))
            continue;
        aStrings.append(line.left(equals));
    }
}

void TIniDocument::ReadSections(QStringList& aStrings)
{
    aStrings.clear();
    aStrings.reserve(FSectionList->Count());
    for (int i = 0; i < FSectionList->Count(); ++i)
        aStrings.append(FSectionList->Strings(i));
}

void TIniDocument::ReadSectionValues(const QString& aSection, QStringList& aStrings)
{
    const int index = FSectionList->IndexOf(aSection);
    if (index < 0)
        return;
    if (FFlagClearOnReadSectionValues)
        aStrings.clear();
    aStrings.append(*FSectionList->GetSectionItems(index));
}

QString TIniDocument::ReadString(const QString& aSection, const QString& aKey,
                                 const QString& aDefault)
{
    QStringList* lines = nullptr;
    const int index = FindKeyIndex(aSection, aKey, lines, false);
    if (index < 0)
        return aDefault;
    return lines->at(index).mid(aKey.size() + 1);
}

TDateTime TIniDocument::ReadTime(const QString& aSection, const QString& aKey, TDateTime aDefault)
{
    const QString s = ReadString(aSection, aKey, QString());
    if (s.isEmpty())
        return aDefault;
    QTime time;
    return ParseTime(FFormatLocale, s, time) ? JoinDateTime(DateTimeBase(), time) : aDefault;
}

bool TIniDocument::SectionExists(const QString& aSection)
{
    return FSectionList->IndexOf(aSection) >= 0;
}

void TIniDocument::UpdateFile()
{
    FlushFile();
}

bool TIniDocument::ValueExists(const QString& aSection, const QString& aKey)
{
    QStringList keys;
    ReadSection(aSection, keys);
    return keys.contains(aKey, Qt::CaseInsensitive);
}

void TIniDocument::WriteAnsiString(const QByteArray& aSection, const QByteArray& aKey,
                                   const QByteArray& aValue)
{
    WriteString(DecodeText(aSection), DecodeText(aKey), DecodeText(aValue));
}

void TIniDocument::WriteBool(const QString& aSection, const QString& aKey, bool aValue)
{
    WriteString(aSection, aKey, aValue ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniDocument::WriteBinaryStream(const QString& aSection, const QString& aKey, TStream& aStream)
{
    QByteArray bytes;
    char buffer[512];
    for (;;) {
        const qint64 got = aStream.read(buffer, sizeof buffer);
        if (got < 0)
            throw EIniFileError(
                QStringLiteral("Cannot read from the stream: %1.").arg(aStream.errorString()));
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<qsizetype>(got));
    }
    WriteAnsiString(EncodeText(aSection), EncodeText(aKey), bytes.toHex().toUpper());
}

void TIniDocument::WriteDate(const QString& aSection, const QString& aKey, TDateTime aValue)
{
    QDate date;
    QTime time;
    SplitDateTime(aValue, date, time);
    WriteString(aSection, aKey, FFormatLocale.toString(date, DateFormat(FFormatLocale)));
}

void TIniDocument::WriteDateTime(const QString& aSection, const QString& aKey, TDateTime aValue)
{
    QDate date;
    QTime time;
    SplitDateTime(aValue, date, time);
    QString text = FFormatLocale.toString(date, DateFormat(FFormatLocale));
    if (time.msecsSinceStartOfDay() != 0)
        text += u' ' + FFormatLocale.toString(time, LongTimeFormat(FFormatLocale));
    WriteString(aSection, aKey, text);
}

void TIniDocument::WriteFloat(const QString& aSection, const QString& aKey, double aValue)
{
    QLocale locale = FFormatLocale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    WriteString(aSection, aKey, locale.toString(aValue, 'g', 15));
}

void TIniDocument::WriteInteger(const QString& aSection, const QString& aKey, int aValue)
{
    WriteString(aSection, aKey, QString::number(aValue));
}

void TIniDocument::WriteString(const QString& aSection, const QString& aKey, const QString& aValue)
{
    if (aKey.isEmpty()) {
        if (aSection.isEmpty() && aValue.isEmpty())
            FlushFile();
        else
            EraseSection(aSection);
        return;
    }
    // A value the file cannot hold as one line of this key would come back as other lines,
    // other sections or not at all; refuse it before anything changes.
    if (HoldsLineBreak(aSection) || HoldsLineBreak(aKey) || HoldsLineBreak(aValue))
        throw EIniFileError(
            QStringLiteral("Cannot store \"%1\" in section \"%2\": a line break or Ctrl-Z would "
                           "split the line.")
                .arg(aKey, aSection));
    if (aKey.contains(u'='))
        throw EIniFileError(
            QStringLiteral("Cannot store \"%1\" in section \"%2\": a key cannot hold \"=\".")
                .arg(aKey, aSection));
    if (aKey.startsWith(u'[') && aValue.endsWith(u']'))
        throw EIniFileError(QStringLiteral("Cannot store \"%1\" in section \"%2\": the line "
                                           "would read back as a section header.")
                                .arg(aKey, aSection));

    QString line = aKey + u'=' + aValue;
    QStringList* lines = nullptr;
    const int index = FindKeyIndex(aSection, aKey, lines, true);
    if (index < 0) {
        lines->append(std::move(line));
        FHasChanged = true;
    } else if (lines->at(index) != line) {
        (*lines)[index] = std::move(line);
        FHasChanged = true;
    }
}

void TIniDocument::WriteTime(const QString& aSection, const QString& aKey, TDateTime aValue)
{
    QDate date;
    QTime time;
    SplitDateTime(aValue, date, time);
    WriteString(aSection, aKey, FFormatLocale.toString(time, LongTimeFormat(FFormatLocale)));
}
