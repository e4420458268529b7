// The statistics file: the record round-trips through it, anything damaged or foreign in
// its place reads as zeros without harm, and the store saves after every change.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>

#include "dialogs/StatisticsStore.h"

namespace {

void ExpectRecord(const TStatisticsRecord& Expected, const TStatisticsRecord& Actual,
                  const std::string& Where)
{
    for (int level = 0; level < SkillLevelCount; ++level)
        for (const TFigure& figure : Figures)
            EXPECT_EQ(Expected.Levels[level].*figure.Member, Actual.Levels[level].*figure.Member)
                << Where << ": " << SkillLevelNames[level] << ", " << figure.Key;
}

// Every figure of every level different from every other.
TStatisticsRecord DistinctRecord()
{
    TStatisticsRecord record;
    int64_t value = 1;
    for (TLevelRecord& level : record.Levels)
        for (const TFigure& figure : Figures)
            level.*figure.Member = value++;
    // The longest streak is never below the current one.
    for (TLevelRecord& level : record.Levels)
        level.LongestStreak += 100;
    return record;
}

void WriteBytes(const QString& Path, const QByteArray& Bytes)
{
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(Bytes.size(), file.write(Bytes));
}

QByteArray ReadBytes(const QString& Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class StatisticsFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }
    // A file in a folder that does not exist yet, as on a first run.
    QString Path() const { return FDir.filePath(QStringLiteral("data/Brindletop/statistics.ini")); }
    QTemporaryDir FDir;
};

TEST_F(StatisticsFileTest, TheRecordRoundTripsThroughTheFile)
{
    const TStatisticsRecord record = DistinctRecord();
    WriteStatistics(Path(), record);
    ExpectRecord(record, ReadStatistics(Path()), "read back");
    // Written by replacing the file: nothing else is left beside it.
    EXPECT_EQ(QStringList{StatisticsFile::FileName},
              QDir(QFileInfo(Path()).absolutePath())
                  .entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
}

TEST_F(StatisticsFileTest, TheFileLivesInTheProgramsDataFolder)
{
    // The tests' data folder is a temporary one; so is the statistics file.
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    ASSERT_FALSE(dataHome.isEmpty());
    EXPECT_EQ(QDir(dataHome).filePath(QStringLiteral("Brindletop/statistics.ini")),
              StatisticsFilePath());
}

TEST_F(StatisticsFileTest, MissingFileReadsAsZeros)
{
    ExpectRecord({}, ReadStatistics(Path()), "missing");
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(Path()).absolutePath())); // nothing created
}

// What a file in its place holds, and the Pro level it reads as.
TEST_F(StatisticsFileTest, DamagedContentsReadAsZerosOrWithinRange)
{
    struct Case
    {
        const char* Name;
        QByteArray Bytes;
        int64_t SeriesWon, CurrentStreak, LongestStreak;
    };
    const int64_t max = TLevelRecord::MaxCount;
    const std::vector<Case> cases = {
        {"empty", "", 0, 0, 0},
        {"sound", "[Pro]\r\nSeriesWon=4\r\nCurrentStreak=2\r\nLongestStreak=3\r\n", 4, 2, 3},
        {"cut inside a key", "[Pro]\r\nSeriesWon=4\r\nCurrentStr", 4, 0, 0},
        {"cut inside a section name", "[Pr", 0, 0, 0},
        {"no numbers", "[Pro]\nSeriesWon=four\nCurrentStreak=\nLongestStreak=1.5\n", 0, 0, 0},
        {"negative", "[Pro]\nSeriesWon=-4\nCurrentStreak=-1\nLongestStreak=-7\n", 0, 0, 0},
        {"beyond any integer", "[Pro]\nSeriesWon=99999999999999999999\n", 0, 0, 0},
        {"absurdly large", "[Pro]\nSeriesWon=2000000000\n", max, 0, 0},
        {"current streak beyond the longest", "[Pro]\nCurrentStreak=5\nLongestStreak=2\n", 0, 5, 5},
        {"random bytes", QByteArray("\x00\xff\x1a[\x80Pro]\n\x00=\x01\xfe\xfe", 14), 0, 0, 0},
        {"random bytes after a sound part",
         QByteArray("[Pro]\nSeriesWon=3\n\x00\xc3\x28\xff\x1a\xfe\x80", 25), 3, 0, 0},
    };
    for (const Case& c : cases) {
        QDir().mkpath(QFileInfo(Path()).absolutePath());
        WriteBytes(Path(), c.Bytes);
        const TStatisticsRecord record = ReadStatistics(Path());
        const TLevelRecord& pro = record.Of(slPro);
        EXPECT_EQ(c.SeriesWon, pro.SeriesWon) << c.Name;
        EXPECT_EQ(c.CurrentStreak, pro.CurrentStreak) << c.Name;
        EXPECT_EQ(c.LongestStreak, pro.LongestStreak) << c.Name;
        ExpectRecord({}, TStatisticsRecord{{record.Levels[0], {}, record.Levels[2]}}, c.Name);
    }
}

// A sound file cut at every length reads without harm, every figure within range.
TEST_F(StatisticsFileTest, FileCutAtEveryLengthReads)
{
    WriteStatistics(Path(), DistinctRecord());
    const QByteArray whole = ReadBytes(Path());
    ASSERT_GT(whole.size(), 100);
    for (qsizetype length = 0; length <= whole.size(); ++length) {
        WriteBytes(Path(), whole.left(length));
        const TStatisticsRecord record = ReadStatistics(Path());
        for (const TLevelRecord& level : record.Levels) {
            for (const TFigure& figure : Figures) {
                EXPECT_GE(level.*figure.Member, 0) << "cut at " << length;
                EXPECT_LE(level.*figure.Member, TLevelRecord::MaxCount) << "cut at " << length;
            }
            EXPECT_GE(level.LongestStreak, level.CurrentStreak) << "cut at " << length;
        }
    }
    ExpectRecord(DistinctRecord(), ReadStatistics(Path()), "whole again");
}

TEST_F(StatisticsFileTest, FileTooLargeToBeOursReadsAsZeros)
{
    QDir().mkpath(QFileInfo(Path()).absolutePath());
    QByteArray bytes = "[Pro]\nSeriesWon=3\n";
    bytes += QByteArray(StatisticsFile::MaxFileSize, ';');
    WriteBytes(Path(), bytes);
    ExpectRecord({}, ReadStatistics(Path()), "too large");
}

// Something else in the file's place: reads as zeros; a save says it failed and leaves
// that thing alone.
TEST_F(StatisticsFileTest, FolderOrPipeInItsPlace)
{
    struct Case
    {
        const char* Name;
        bool Pipe;
    };
    for (const Case& c : {Case{"folder", false}, Case{"pipe", true}}) {
        QDir().mkpath(QFileInfo(Path()).absolutePath());
        QFile::remove(Path());
        QDir().rmdir(Path());
        if (c.Pipe)
            ASSERT_EQ(0, ::mkfifo(QFile::encodeName(Path()).constData(), 0600)) << c.Name;
        else
            ASSERT_TRUE(QDir().mkpath(Path())) << c.Name;

        TStatisticsStore store(Path());
        ExpectRecord({}, store.Record(), c.Name);
        EXPECT_FALSE(store.RecordFinishedSeries({slPro, {{0, 2, false, false}}, true})) << c.Name;
        EXPECT_TRUE(store.ErrorText().startsWith(
            QStringLiteral("Brindletop could not save your statistics to ")))
            << c.Name << ": " << store.ErrorText().toStdString();
        // The series counts for the rest of the run all the same.
        EXPECT_EQ(1, store.Record().Of(slPro).SeriesWon) << c.Name;
        const QFileInfo after(Path());
        EXPECT_EQ(!c.Pipe, after.isDir()) << c.Name;
        EXPECT_FALSE(after.isFile()) << c.Name;
    }
}

TEST_F(StatisticsFileTest, StoreSavesEverySeriesAndResetClearsRecordAndFile)
{
    {
        TStatisticsStore store(Path());
        EXPECT_TRUE(store.RecordFinishedSeries({slRookie, {{1, 3, false, false}}, true}));
        EXPECT_TRUE(store.ErrorText().isEmpty());
        EXPECT_TRUE(store.RecordFinishedSeries({slAllStar, {{2, 1, false, true}}, false}));
    }
    TStatisticsRecord expected;
    RecordSeries(expected, {slRookie, {{1, 3, false, false}}, true});
    RecordSeries(expected, {slAllStar, {{2, 1, false, true}}, false});
    // The next run finds both series.
    TStatisticsStore next(Path());
    ExpectRecord(expected, next.Record(), "next run");

    EXPECT_TRUE(next.Reset());
    ExpectRecord({}, next.Record(), "after reset");
    ExpectRecord({}, ReadStatistics(Path()), "file after reset");
    EXPECT_TRUE(QFileInfo(Path()).isFile());
}

TEST_F(StatisticsFileTest, SaveOverDamagedFileKeepsOnlyTheRecord)
{
    QDir().mkpath(QFileInfo(Path()).absolutePath());
    WriteBytes(Path(), "[Junk]\nNoise=1\n[Pro]\nSeriesWon=-3\nStray line\n");
    TStatisticsStore store(Path());
    ASSERT_TRUE(store.RecordFinishedSeries({slPro, {{0, 1, false, false}}, true}));
    const QByteArray text = ReadBytes(Path());
    EXPECT_FALSE(text.contains("Junk")) << text.toStdString();
    EXPECT_FALSE(text.contains("Stray")) << text.toStdString();
    EXPECT_EQ(1, ReadStatistics(Path()).Of(slPro).SeriesWon);
}

} // namespace
