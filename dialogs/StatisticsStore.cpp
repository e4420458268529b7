#include "dialogs/StatisticsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <exception>

#include "dialogs/Settings.h"
#include "ini/IniDocument.h"

QString StatisticsFile::Section(int Level)
{
    return QString::fromLatin1(SkillLevelNames[Level]);
}

QString StatisticsFilePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(StatisticsFile::FileName);
}

TStatisticsRecord ReadStatistics(const QString& Path)
{
    TStatisticsRecord record;
    // The document refuses folders, pipes and devices itself; a huge file is not ours.
    if (QFileInfo(Path).size() > StatisticsFile::MaxFileSize)
        return record;
    try {
        TIniDocument ini(Path);
        for (int level = 0; level < SkillLevelCount; ++level) {
            const QString section = StatisticsFile::Section(level);
            TLevelRecord& figures = record.Levels[level];
            for (const TFigure& figure : Figures)
                figures.*figure.Member = ini.ReadInteger(section, QString::fromLatin1(figure.Key),
                                                         StatisticsFile::DefaultCount);
            Sanitize(figures);
        }
    } catch (const std::exception&) {
        // Unreadable: the statistics start afresh, and the next save replaces the file.
        return {};
    }
    return record;
}

void WriteStatistics(const QString& Path, const TStatisticsRecord& Record)
{
    MakeSettingsFolder(Path);
    // Throws for a folder, pipe or device in the file's place, which stays as it is.
    TIniDocument ini(Path);
    // The file holds the record and nothing else: whatever else it held goes.
    ini.Clear();
    for (int level = 0; level < SkillLevelCount; ++level) {
        const QString section = StatisticsFile::Section(level);
        for (const TFigure& figure : Figures)
            ini.WriteInteger(section, QString::fromLatin1(figure.Key),
                             int(Record.Levels[level].*figure.Member));
    }
    ini.UpdateFile();
}

TStatisticsStore::TStatisticsStore(const QString& Path) : FPath(Path), FRecord(ReadStatistics(Path))
{
}

bool TStatisticsStore::RecordFinishedSeries(const TSeriesSummary& Series)
{
    RecordSeries(FRecord, Series);
    return Save();
}

bool TStatisticsStore::Reset()
{
    FRecord = {};
    return Save();
}

bool TStatisticsStore::Save()
{
    try {
        WriteStatistics(FPath, FRecord);
    } catch (const std::exception& error) {
        FErrorText = QStringLiteral("Brindletop could not save your statistics to %1: %2")
                         .arg(QDir::toNativeSeparators(FPath), ReasonOf(error, FPath));
        return false;
    }
    FErrorText.clear();
    return true;
}
