#pragma once
// The player's statistics between runs: one INI file in the program's data folder, one
// section per level, one key per figure. The names of its file, sections and keys and
// the value of a missing figure are all here and in the figure table of the record.

#include <QString>

#include "game/Statistics.h"

namespace StatisticsFile {

inline const QString FileName = QStringLiteral("statistics.ini");
// A missing key, or a value that is no integer, reads as this.
inline constexpr int DefaultCount = 0;
// Larger than any record of ours can grow: a bigger file is not ours and is not read.
inline constexpr qint64 MaxFileSize = 1 << 20;

// The section of a level: its name as the options show it.
QString Section(int Level);

} // namespace StatisticsFile

// The statistics file in the folder that QStandardPaths gives for the program's data
// (AppDataLocation). Creates nothing.
QString StatisticsFilePath();

// The record kept at Path. Never fails: a missing file, one that cannot be read, a
// folder or device in its place, or a file that is not ours reads as zeros; values that
// are out of range are brought within the record's rules (Sanitize).
TStatisticsRecord ReadStatistics(const QString& Path);

// Writes Record to Path as a whole, atomically (the old file stays as it was until the
// new one is complete), creating its folder when missing. Throws EIniFileError or
// std::exception when the file cannot be written.
void WriteStatistics(const QString& Path, const TStatisticsRecord& Record);

// The record of a run: read once from its file, written back after every change. The
// shell owns one; the score sheet's end of a series and the statistics dialog use it.
class TStatisticsStore
{
public:
    explicit TStatisticsStore(const QString& Path = StatisticsFilePath());

    const TStatisticsRecord& Record() const { return FRecord; }
    QString Path() const { return FPath; }

    // Adds a finished series and saves the record. False when the file could not be
    // written (the record in memory has the series all the same); ErrorText says why.
    bool RecordFinishedSeries(const TSeriesSummary& Series);
    // Clears every level and saves the empty record; false and ErrorText as above.
    bool Reset();
    // The player's message for the last failed save, empty after a successful one.
    QString ErrorText() const { return FErrorText; }

private:
    bool Save();

    QString FPath;
    TStatisticsRecord FRecord;
    QString FErrorText;
};
