// Reading compiled help files: what the compiler recorded, the pages, the context map,
// the table of contents, and files that cannot be read.
#include "platform/ChmFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <functional>

#include <gtest/gtest.h>

namespace {

const QString TinyChm = QStringLiteral(BT_TINY_CHM);

TEST(ChmFile, ReadsWhatTheCompilerRecorded)
{
    TChmFile chm;
    ASSERT_TRUE(chm.Open(TinyChm)) << chm.ErrorString().toStdString();
    EXPECT_EQ(chm.Title(), QStringLiteral("Tiny Help"));
    EXPECT_EQ(chm.DefaultTopic(), QStringLiteral("/first.html"));
    EXPECT_TRUE(chm.Read(QStringLiteral("/first.html")).contains("<h1>First page</h1>"));
    // Paths inside the file ignore case and may be given relative.
    EXPECT_TRUE(chm.Contains(QStringLiteral("/FIRST.HTML")));
    EXPECT_TRUE(chm.Contains(QStringLiteral("dot.png")));
    EXPECT_FALSE(chm.Contains(QStringLiteral("/third.html")));
    EXPECT_TRUE(chm.Read(QStringLiteral("/third.html")).isEmpty());
}

TEST(ChmFile, MapsContextIdsToPages)
{
    TChmFile chm;
    ASSERT_TRUE(chm.Open(TinyChm));
    const struct
    {
        int32_t Id;
        const char* Topic;
    } cases[] = {{100, "/first.html"}, {200, "/second.html"}, {300, ""}, {0, ""}, {-1, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(chm.TopicForContext(c.Id), QString::fromLatin1(c.Topic)) << "id " << c.Id;
}

TEST(ChmFile, ReadsTheTableOfContents)
{
    TChmFile chm;
    ASSERT_TRUE(chm.Open(TinyChm));
    const auto& contents = chm.Contents();
    ASSERT_EQ(contents.size(), 1u);
    EXPECT_EQ(contents[0].Name, QStringLiteral("First page"));
    EXPECT_EQ(contents[0].Local, QStringLiteral("/first.html"));
    ASSERT_EQ(contents[0].Children.size(), 1u);
    EXPECT_EQ(contents[0].Children[0].Name, QStringLiteral("Second & last"));
    EXPECT_EQ(contents[0].Children[0].Local, QStringLiteral("/second.html"));
}

TEST(ChmFile, ParsesLooseSitemapHtml)
{
    // Written by hand, as people do: upper-case tags, unquoted and single-quoted
    // values, a heading without a page, an anchor, a list closed too often.
    const QString html = QStringLiteral(
        "<HTML><BODY><OBJECT type=\"text/site properties\"><param name=\"Font\" value=\"x\">"
        "</OBJECT><UL>"
        "<LI><OBJECT type=\"text/sitemap\"><param name=Name value=Rules></OBJECT>"
        "<UL><LI><OBJECT type='text/sitemap'><param name='Name' value='Shots'>"
        "<param name='Local' value='rules\\shots.htm#open'></OBJECT>"
        "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"&lt;Clock&gt;\">"
        "<param name=\"Local\" value=\"clock.htm\"></OBJECT></UL>"
        "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Options\">"
        "<param name=\"Local\" value=\"/options.htm\"></OBJECT>"
        "</UL></UL></BODY></HTML>");
    const auto topics = TChmFile::ParseSitemap(html);
    ASSERT_EQ(topics.size(), 2u);
    EXPECT_EQ(topics[0].Name, QStringLiteral("Rules"));
    EXPECT_TRUE(topics[0].Local.isEmpty());
    ASSERT_EQ(topics[0].Children.size(), 2u);
    EXPECT_EQ(topics[0].Children[0].Local, QStringLiteral("/rules/shots.htm#open"));
    EXPECT_EQ(topics[0].Children[1].Name, QStringLiteral("<Clock>"));
    EXPECT_EQ(topics[1].Name, QStringLiteral("Options"));
    EXPECT_EQ(topics[1].Local, QStringLiteral("/options.htm"));
    EXPECT_TRUE(topics[1].Children.empty());
}

struct TUnreadable
{
    const char* Name;
    QByteArray Content; // written to the file; "dir" makes a folder instead
    const char* Reason;
};

class ChmFileUnreadable : public ::testing::TestWithParam<TUnreadable>
{
};

TEST_P(ChmFileUnreadable, FailsWithAReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TUnreadable& c = GetParam();
    const QString path = dir.filePath(QStringLiteral("bt.chm"));
    if (c.Content == "dir") {
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("bt.chm")));
    } else if (!c.Content.isNull()) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.Content);
    }
    TChmFile chm;
    EXPECT_FALSE(chm.Open(path));
    EXPECT_FALSE(chm.IsOpen());
    EXPECT_EQ(chm.ErrorString(), QString::fromLatin1(c.Reason));
    EXPECT_TRUE(chm.DefaultTopic().isEmpty());
    EXPECT_TRUE(chm.Read(QStringLiteral("/first.html")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, ChmFileUnreadable,
    ::testing::Values(
        TUnreadable{"Missing", QByteArray(), "No such file or directory"},
        TUnreadable{"Folder", QByteArray("dir"), "Is a directory"},
        TUnreadable{"Empty", QByteArray(""), "the file is damaged or is not a compiled help file"},
        TUnreadable{"RandomBytes", QByteArray("\x5a\x13\xe7\x02\x99\x41\x00\xfe\x7c\x10", 10),
                    "the file is damaged or is not a compiled help file"},
        TUnreadable{"HeaderOnly", QByteArray("ITSF\x03\x00\x00\x00", 8),
                    "the file is damaged or is not a compiled help file"}),
    [](const auto& info) { return std::string(info.param.Name); });

// A directory that would lead chmlib astray, made from the tiny file: chmlib would walk a
// looping chain or index for ever, or read an entry past its page. Each is refused.
struct TDamagedDirectory
{
    const char* Name;
    std::function<void(QByteArray&)> Damage;
};

class ChmFileDamagedDirectory : public ::testing::TestWithParam<TDamagedDirectory>
{
};

// Where the tiny file's directory lies, as its header says.
struct TDirectory
{
    qsizetype Itsp;
    qsizetype Pages;
    qsizetype End;
};
TDirectory DirectoryOf(const QByteArray& File)
{
    const auto le32 = [&](qsizetype at) { return qsizetype(qFromLittleEndian<quint32>(File.constData() + at)); };
    const qsizetype itsp = le32(0x48);
    return {itsp, itsp + le32(itsp + 8), itsp + le32(0x50)};
}
void PutLE32(QByteArray& File, qsizetype At, quint32 Value)
{
    qToLittleEndian(Value, File.data() + At);
}
// The compressed part's control data and reset table, found by their look: the first
// signed "LZXC", the second a version 2 table of 8-byte entries from byte 40.
qsizetype ControlDataAt(const QByteArray& File)
{
    return File.indexOf("LZXC") - 4;
}
qsizetype ResetTableAt(const QByteArray& File)
{
    for (qsizetype at = 0; at + 16 <= File.size(); ++at) {
        const auto le32 = [&](qsizetype n) { return qFromLittleEndian<quint32>(File.constData() + at + n); };
        if (le32(0) == 2 && le32(8) == 8 && le32(12) == 40)
            return at;
    }
    return -1;
}

TEST_P(ChmFileDamagedDirectory, IsRefused)
{
    QFile tiny(TinyChm);
    ASSERT_TRUE(tiny.open(QIODevice::ReadOnly));
    QByteArray bytes = tiny.readAll();
    GetParam().Damage(bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.chm"));
    QFile damaged(path);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(bytes);
    damaged.close();

    TChmFile chm;
    EXPECT_FALSE(chm.Open(path));
    EXPECT_EQ(chm.ErrorString(), QStringLiteral("the file is damaged or is not a compiled help file"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ChmFileDamagedDirectory,
    ::testing::Values(
        // The listing page names itself as the next one.
        TDamagedDirectory{"ListingChainLoops",
                          [](QByteArray& f) { PutLE32(f, DirectoryOf(f).Pages + 16, 0); }},
        TDamagedDirectory{"FirstListingPageOutsideTheDirectory",
                          [](QByteArray& f) { PutLE32(f, DirectoryOf(f).Itsp + 0x20, 7); }},
        // The first entry's name is longer than what is left of its page.
        TDamagedDirectory{"EntryRunsPastItsPage",
                          [](QByteArray& f) {
                              const qsizetype entry = DirectoryOf(f).Pages + 20;
                              f[entry] = char(0x9f);
                              f[entry + 1] = char(0x7f);
                          }},
        // Figures of the compressed part that chmlib divides by.
        TDamagedDirectory{"CompressedBlockLengthZero",
                          [](QByteArray& f) {
                              ASSERT_GE(ResetTableAt(f), 0);
                              PutLE32(f, ResetTableAt(f) + 0x20, 0);
                          }},
        TDamagedDirectory{"NoWindowsPerReset",
                          [](QByteArray& f) {
                              ASSERT_GE(ControlDataAt(f), 0);
                              PutLE32(f, ControlDataAt(f) + 0x14, 0);
                          }},
        // A second page, an index page whose one entry leads back to itself, made the root.
        TDamagedDirectory{"IndexLeadsBackToItself",
                          [](QByteArray& f) {
                              const TDirectory d = DirectoryOf(f);
                              const quint32 block = qFromLittleEndian<quint32>(f.constData() + d.Itsp + 0x10);
                              QByteArray index(qsizetype(block), '\0');
                              index.replace(0, 4, "PMGI");
                              PutLE32(index, 4, block - 8 - 3);
                              index.replace(8, 3, QByteArray("\x01/\x01", 3));
                              f.insert(d.End, index);
                              PutLE32(f, 0x50, quint32(d.End - d.Itsp + block)); // directory length
                              PutLE32(f, 0x58, qFromLittleEndian<quint32>(f.constData() + 0x58) + block);
                              PutLE32(f, d.Itsp + 0x1c, 1); // the root
                          }}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ChmFile, TruncatedFileFailsOrReadsWithoutCrashing)
{
    // A help file cut short, as by an interrupted copy: whatever chmlib makes of it, the
    // reader must stay within its buffers.
    QFile tiny(TinyChm);
    ASSERT_TRUE(tiny.open(QIODevice::ReadOnly));
    const QByteArray whole = tiny.readAll();
    QTemporaryDir dir;
    for (const qsizetype length : {qsizetype(64), whole.size() / 3, whole.size() - 100}) {
        const QString path = dir.filePath(QStringLiteral("cut%1.chm").arg(length));
        QFile cut(path);
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(whole.left(length));
        cut.close();
        TChmFile chm;
        if (chm.Open(path)) {
            (void)chm.Read(chm.DefaultTopic());
            (void)chm.TopicForContext(100);
        } else {
            EXPECT_FALSE(chm.ErrorString().isEmpty());
        }
    }
}

} // namespace
