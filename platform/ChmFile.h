#pragma once
// Read access to a compiled HTML help file (.chm), through chmlib: the pages and pictures
// stored in it, and what its compiler recorded about it (title, default topic, table of
// contents, context map). Paths inside the file are absolute and case-insensitive:
// "/index.html", "/pictures/table.png".

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

struct chmFile;

// One entry of a table of contents (a "text/sitemap" object of the .hhc file).
struct TChmTopic
{
    QString Name;  // the text shown in the tree
    QString Local; // the page it opens, as a path inside the file; empty for a heading
    std::vector<TChmTopic> Children;
};

class TChmFile
{
public:
    TChmFile() = default;
    ~TChmFile();
    TChmFile(const TChmFile&) = delete;
    TChmFile& operator=(const TChmFile&) = delete;

    // Opens FileName. On failure returns false, and ErrorString() tells why in words a
    // player understands ("No such file or directory").
    bool Open(const QString& FileName);
    void Close();
    bool IsOpen() const { return FHandle != nullptr; }
    const QString& FileName() const { return FFileName; }
    const QString& ErrorString() const { return FErrorString; }

    bool Contains(const QString& Path) const;
    // The content of the object at Path; empty when there is none.
    QByteArray Read(const QString& Path) const;

    const QString& Title() const { return FTitle; }
    // The page shown when the file is opened: the compiler's default topic, or failing
    // that a usual start page or the first page in the file; empty when it has no page.
    const QString& DefaultTopic() const { return FDefaultTopic; }
    // The table of contents, parsed from the file's .hhc; empty when it has none.
    const std::vector<TChmTopic>& Contents() const { return FContents; }
    // The page mapped to a numeric context id; empty when the id is not in the map.
    QString TopicForContext(int32_t Id) const;

    // Turns a path or relative name into the absolute form used inside the file.
    static QString NormalPath(const QString& Path);
    // Splits "page.html#anchor" into "page.html" and "#anchor".
    static std::pair<QString, QString> SplitFragment(const QString& Reference);
    // Parses the HTML of a sitemap (.hhc) into a tree; Local paths become absolute.
    static std::vector<TChmTopic> ParseSitemap(const QString& Html);

private:
    void ReadSystem();
    void ReadContextMap();
    QString FindPage(const QString& Candidate) const;

    ::chmFile* FHandle = nullptr;
    QString FFileName;
    QString FErrorString;
    QString FTitle;
    QString FDefaultTopic;
    QString FContentsFile;
    std::vector<TChmTopic> FContents;
    std::vector<std::pair<int32_t, QString>> FContextMap;
    QStringList FPages; // every .htm/.html in the file, in the file's order
};
