// An INI text file held whole in memory: a list of sections, each with its raw lines.
// The file is read once when the document is given its name, every read and write works
// on the memory copy, and the file is written back as a whole only when something
// changed. Section and key look-ups remember the section found last, so a run of
// look-ups in one section costs one section comparison each.
//
// Names compare without regard to case by Unicode simple case folding (Qt's
// Qt::CaseInsensitive, with ASCII pairs folded inline and a length check first): it does
// not depend on the user's collation, so a name is found the same way on every machine,
// and most comparisons end at the first differing character.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QIODevice;

// Days since 30 December 1899, midnight; the fraction is the time of day.
using TDateTime = double;

// The byte streams of ReadBinaryStream/WriteBinaryStream: any open QIODevice.
using TStream = QIODevice;

// A settings file that exists but cannot be read, or cannot be written, and a value that
// cannot be stored as one line. The message names the file and the system's reason.
class EIniFileError : public std::runtime_error
{
public:
    explicit EIniFileError(const QString& message);
    QString message() const { return FMessage; }

private:
    QString FMessage;
};

// Decides which of two same-named sections survives a load. sl1 holds the lines of the
// section that stands earlier in the document, sl2 those of the later one. Returning true
// removes the later section, false the earlier one. The callback may move lines between
// the two lists before it answers.
using TEraseSectionCallback =
    std::function<bool(const QString& sectionName, QStringList& sl1, QStringList& sl2)>;

// The sections of a document in file order: each a name, as read or first written, and
// its own line list. The line lists live on the heap, so a list handed out stays valid
// while other sections are added or removed.
class TSectionList
{
public:
    TSectionList();
    TSectionList(const TSectionList&) = delete;
    TSectionList& operator=(const TSectionList&) = delete;
    ~TSectionList();

    int Count() const { return static_cast<int>(FItems.size()); }
    const QString& Strings(int Index) const { return FItems[Index].Name; }
    QStringList* GetSectionItems(int Index) { return FItems[Index].Lines.get(); }
    const QStringList* GetSectionItems(int Index) const { return FItems[Index].Lines.get(); }

    // Appends a new, empty section (even when the name exists) and returns its position.
    int Add(const QString& Name);
    // Removes the section at Index with its lines.
    void Delete(int Index);
    // Removes every section; the remembered position goes back to 0.
    void Clear();

    // Position of the section named S (case-insensitive), or -1. The search starts at
    // the section found last and wraps round; a match becomes the new start.
    int IndexOf(const QString& S);

    // Removes same-named sections, keeping the one that stands first (no callback) or
    // the one the callback chooses. Returns whether a section was removed.
    bool EraseDuplicates(const TEraseSectionCallback& callBackProc);

    int PrevIndex() const { return FPrevIndex; }
    void SetPrevIndex(int Value) { FPrevIndex = Value; }

    // How many names IndexOf has compared so far: lets tests and benchmarks see that
    // the remembered position works.
    std::uint64_t Comparisons() const { return FComparisons; }

    // The one name comparison of the whole store.
    static bool SameName(const QString& a, const QString& b);

private:
    struct TSection
    {
        QString Name;
        std::unique_ptr<QStringList> Lines;
    };
    std::vector<TSection> FItems;
    int FPrevIndex = 0;
    std::uint64_t FComparisons = 0;
};

// A settings file in memory. Use it for one load or one save:
//     TIniDocument doc(path);            // EIniFileError: exists but cannot be read
//     doc.WriteString(...) / ReadInteger(...);
//     doc.UpdateFile();                  // EIniFileError: cannot be written; the old file
//                                        // is then left exactly as it was, unless it had
//                                        // to be rewritten in place and that failed
//                                        // half-way (see WriteToFile)
// The public operations are virtual, and the document calls its own operations through
// them, so a derived class's override also takes effect where the document uses it.
class TIniDocument
{
public:
    // Loads FileName at once; an empty name gives an empty document without a file.
    // Throws EIniFileError when the file exists but cannot be read.
    explicit TIniDocument(const QString& FileName = QString());
    TIniDocument(const TIniDocument&) = delete;
    TIniDocument& operator=(const TIniDocument&) = delete;
    // Writes pending changes but never throws: call UpdateFile first to learn whether
    // the write succeeded. The memory is released either way. (As in the constructor,
    // C++ runs this class's own FlushFile here, not a derived class's override.)
    virtual ~TIniDocument();

    virtual void AppendFromFile(const QString& aName);
    virtual void Clear();
    virtual void DeleteKey(const QString& aSection, const QString& aKey);
    virtual void EraseSection(const QString& aSection);
    virtual void GetStrings(QStringList& List);
    virtual void SetStrings(const QStringList& aStrings);
    virtual void FlushFile();
    virtual QByteArray ReadAnsiString(const QString& aSection, const QString& aKey,
                                      const QByteArray& aDefault);
    virtual int ReadBinaryStream(const QString& aSection, const QString& aKey, TStream& aStream);
    virtual bool ReadBool(const QString& aSection, const QString& aKey, bool aDefault);
    virtual TDateTime ReadDate(const QString& aSection, const QString& aKey, TDateTime aDefault);
    virtual TDateTime ReadDateTime(const QString& aSection, const QString& aKey,
                                   TDateTime aDefault);
    virtual double ReadFloat(const QString& aSection, const QString& aKey, double aDefault);
    virtual int ReadInteger(const QString& aSection, const QString& aKey, int aDefault);
    virtual void ReadSection(const QString& aSection, QStringList& aStrings);
    virtual void ReadSections(QStringList& aStrings);
    virtual void ReadSectionValues(const QString& aSection, QStringList& aStrings);
    virtual QString ReadString(const QString& aSection, const QString& aKey,
                               const QString& aDefault);
    virtual TDateTime ReadTime(const QString& aSection, const QString& aKey, TDateTime aDefault);
    virtual bool SectionExists(const QString& aSection);
    virtual void UpdateFile();
    virtual bool ValueExists(const QString& aSection, const QString& aKey);
    virtual void WriteAnsiString(const QByteArray& aSection, const QByteArray& aKey,
                                 const QByteArray& aValue);
    virtual void WriteBool(const QString& aSection, const QString& aKey, bool aValue);
    virtual void WriteBinaryStream(const QString& aSection, const QString& aKey, TStream& aStream);
    virtual void WriteDate(const QString& aSection, const QString& aKey, TDateTime aValue);
    virtual void WriteDateTime(const QString& aSection, const QString& aKey, TDateTime aValue);
    virtual void WriteFloat(const QString& aSection, const QString& aKey, double aValue);
    virtual void WriteInteger(const QString& aSection, const QString& aKey, int aValue);
    virtual void WriteString(const QString& aSection, const QString& aKey, const QString& aValue);
    virtual void WriteTime(const QString& aSection, const QString& aKey, TDateTime aValue);

    // Writing the name writes pending changes to the old file, empties the document and
    // loads the new file (nothing for an empty name).
    QString FileName() const { return FFileName; }
    void SetFileName(const QString& Value);

    TEraseSectionCallback EraseSectionCallback() const { return FEraseSectionCallback; }
    void SetEraseSectionCallback(TEraseSectionCallback Value)
    {
        FEraseSectionCallback = std::move(Value);
    }

    // Loading and reading rules; all off by default. A flag set after a load affects
    // only later loads and reads.
    bool FlagClearOnReadSectionValues() const { return FFlagClearOnReadSectionValues; }
    void SetFlagClearOnReadSectionValues(bool Value) { FFlagClearOnReadSectionValues = Value; }
    bool FlagDropApostrophes() const { return FFlagDropApostrophes; }
    void SetFlagDropApostrophes(bool Value) { FFlagDropApostrophes = Value; }
    bool FlagDropCommentLines() const { return FFlagDropCommentLines; }
    void SetFlagDropCommentLines(bool Value) { FFlagDropCommentLines = Value; }
    bool FlagDropWhiteSpace() const { return FFlagDropWhiteSpace; }
    void SetFlagDropWhiteSpace(bool Value) { FFlagDropWhiteSpace = Value; }
    bool FlagFilterOutInvalid() const { return FFlagFilterOutInvalid; }
    void SetFlagFilterOutInvalid(bool Value) { FFlagFilterOutInvalid = Value; }
    bool FlagTrimRight() const { return FFlagTrimRight; }
    void SetFlagTrimRight(bool Value) { FFlagTrimRight = Value; }

    // The memory copy differs from the file and will be written by the next flush.
    bool HasChanged() const { return FHasChanged; }

    // Date, time and number formats of the typed accessors; the user's locale unless a
    // caller sets another one.
    QLocale FormatLocale() const { return FFormatLocale; }
    void SetFormatLocale(const QLocale& Value) { FFormatLocale = Value; }

    // The sections as they stand, and how many section names the key look-ups compared.
    const TSectionList& Sections() const { return *FSectionList; }
    std::uint64_t SectionComparisons() const { return FSectionComparisons; }
    int PrevSectionIndex() const { return FPrevSectionIndex; }

    static constexpr int DefaultTextBufferSize = 28672;

private:
    int FindKeyIndex(const QString& aSection, const QString& aKey, QStringList*& aLines,
                     bool aCreate);
    void LoadLine(QString s, QStringList*& aCurrent);
    void FinishLoad();
    void WriteToFile();
    void WriteInPlace(const QByteArray& Path, const std::function<void(int)>& WriteText);

    bool FHasChanged = false;
    int FTextBufferSize = DefaultTextBufferSize;
    TEraseSectionCallback FEraseSectionCallback;
    QString FFileName;
    int FPrevSectionIndex = 0;
    bool FFlagClearOnReadSectionValues = false;
    bool FFlagDropCommentLines = false;
    bool FFlagFilterOutInvalid = false;
    bool FFlagDropWhiteSpace = false;
    bool FFlagDropApostrophes = false;
    bool FFlagTrimRight = false;
    std::unique_ptr<TSectionList> FSectionList;
    QLocale FFormatLocale;
    std::uint64_t FSectionComparisons = 0;
};
