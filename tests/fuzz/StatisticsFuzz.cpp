// Fuzz target: the statistics file from disk, whatever it holds. Reading never fails and
// gives a record within its rules; written back and read again, it is the same record.
#include "dialogs/StatisticsStore.h"

#include "FuzzScratch.h"

#include <QFile>

#include <cstdint>

namespace {

[[noreturn]] void Fail(const char* What)
{
    FuzzFail("statistics", What);
}

void CheckWithinRules(const TStatisticsRecord& Record)
{
    for (const TLevelRecord& level : Record.Levels) {
        for (const TFigure& figure : Figures) {
            const int64_t value = level.*figure.Member;
            if (value < 0 || value > TLevelRecord::MaxCount)
                Fail("a figure out of range");
        }
        if (level.LongestStreak < level.CurrentStreak)
            Fail("the longest streak is shorter than the current one");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    static const QString input = FuzzScratchPath(QStringLiteral("statistics.ini"));
    static const QString output = FuzzScratchPath(QStringLiteral("written.ini"));
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Fail("cannot write the scratch file");
        file.write(reinterpret_cast<const char*>(Data), qint64(Size));
    }
    const TStatisticsRecord record = ReadStatistics(input);
    CheckWithinRules(record);
    QFile::remove(output);
    WriteStatistics(output, record);
    if (!(ReadStatistics(output) == record))
        Fail("the record written does not read back the same");
    return 0;
}
