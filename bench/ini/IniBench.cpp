// The INI document against QSettings in INI format, side by side:
// - load a 2 MB file of 5,000 sections with 20 keys each and read every key;
// - 1,000 WriteString calls to one section, then a flush (to a new file, and over a file
//   that holds the keys already);
// - a run of reads in the last-used section, with the section comparisons it costs.
#include "ini/IniDocument.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int SectionCount = 5000;
constexpr int KeysPerSection = 20;
constexpr int WriteCount = 1000;

QString SectionName(int i)
{
    return QStringLiteral("Section%1").arg(i);
}

QString KeyName(int i)
{
    return QStringLiteral("Key%1").arg(i);
}

// One scratch folder and the big file for the whole run.
struct TFixture
{
    QTemporaryDir Dir;
    QString BigFile;
    QStringList Sections;
    QStringList Keys;
    QStringList SettingsKeys; // "Section/Key" for QSettings

    TFixture()
    {
        BigFile = Dir.filePath(QStringLiteral("big.ini"));
        QByteArray text;
        for (int k = 0; k < KeysPerSection; ++k)
            Keys.append(KeyName(k));
        for (int s = 0; s < SectionCount; ++s) {
            Sections.append(SectionName(s));
            text += '[' + Sections.last().toLatin1() + "]\r\n";
            for (int k = 0; k < KeysPerSection; ++k) {
                text +=
                    Keys[k].toLatin1() + '=' + "value-" + QByteArray::number(s * 100 + k) + "\r\n";
                SettingsKeys.append(Sections.last() + u'/' + Keys[k]);
            }
            text += "\r\n";
        }
        QFile file(BigFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write the benchmark file");
    }
};

TFixture& Fixture()
{
    static TFixture fixture;
    return fixture;
}

// QSettings keeps parsed files in a cache and re-reads one only when its time stamp or
// size changed: moving the time stamp makes every round parse the file, as our document
// does.
void Touch(const QString& path, int round)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    file.setFileTime(QDateTime::currentDateTime().addSecs(round % 1000),
                     QFileDevice::FileModificationTime);
}

void BM_LoadAndReadAll_IniDocument(benchmark::State& state)
{
    TFixture& f = Fixture();
    std::uint64_t compares = 0;
    std::uint64_t reads = 0;
    for (auto _ : state) {
        TIniDocument doc(f.BigFile);
        qsizetype total = 0;
        for (const QString& section : f.Sections)
            for (const QString& key : f.Keys)
                total += doc.ReadString(section, key, QString()).size();
        benchmark::DoNotOptimize(total);
        compares += doc.SectionComparisons();
        reads += SectionCount * KeysPerSection;
    }
    state.counters["section_compares_per_read"] =
        static_cast<double>(compares) / static_cast<double>(reads);
    state.counters["file_bytes"] = static_cast<double>(QFile(f.BigFile).size());
}
BENCHMARK(BM_LoadAndReadAll_IniDocument)->Unit(benchmark::kMillisecond);

void BM_LoadAndReadAll_QSettings(benchmark::State& state)
{
    TFixture& f = Fixture();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Touch(f.BigFile, ++round);
        state.ResumeTiming();
        QSettings settings(f.BigFile, QSettings::IniFormat);
        qsizetype total = 0;
        for (const QString& key : f.SettingsKeys)
            total += settings.value(key).toString().size();
        benchmark::DoNotOptimize(total);
        if (total == 0)
            state.SkipWithError("QSettings read nothing");
    }
}
BENCHMARK(BM_LoadAndReadAll_QSettings)->Unit(benchmark::kMillisecond);

// state.range(0): 0 writes to a new file, 1 over a file that holds every key already.
void BM_WriteThenFlush_IniDocument(benchmark::State& state)
{
    TFixture& f = Fixture();
    const QString path = f.Dir.filePath(QStringLiteral("write-doc.ini"));
    QFile::remove(path);
    int round = 0;
    for (auto _ : state) {
        if (state.range(0) == 0) {
            state.PauseTiming();
            QFile::remove(path);
            state.ResumeTiming();
        }
        ++round;
        TIniDocument doc(path);
        for (int i = 0; i < WriteCount; ++i)
            doc.WriteString(QStringLiteral("Options"), KeyName(i),
                            QStringLiteral("value %1 %2").arg(i).arg(round));
        doc.UpdateFile();
    }
}
BENCHMARK(BM_WriteThenFlush_IniDocument)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("overwrite")
    ->Unit(benchmark::kMillisecond);

void BM_WriteThenFlush_QSettings(benchmark::State& state)
{
    TFixture& f = Fixture();
    const QString path = f.Dir.filePath(QStringLiteral("write-qsettings.ini"));
    QFile::remove(path);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (state.range(0) == 0)
            QFile::remove(path);
        else
            Touch(path, round);
        state.ResumeTiming();
        ++round;
        QSettings settings(path, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Options"));
        for (int i = 0; i < WriteCount; ++i)
            settings.setValue(KeyName(i), QStringLiteral("value %1 %2").arg(i).arg(round));
        settings.endGroup();
        settings.sync();
        if (settings.status() != QSettings::NoError)
            state.SkipWithError("QSettings could not write");
    }
}
BENCHMARK(BM_WriteThenFlush_QSettings)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("overwrite")
    ->Unit(benchmark::kMillisecond);

// Reads of one key in the section used last, at the end of the big document: each costs
// one section comparison and the scan of the section's lines.
void BM_RepeatedReadInLastSection_IniDocument(benchmark::State& state)
{
    TFixture& f = Fixture();
    TIniDocument doc(f.BigFile);
    const QString section = f.Sections.last();
    const QString key = f.Keys[state.range(0)];
    doc.ReadString(section, key, QString());
    const std::uint64_t before = doc.SectionComparisons();
    std::uint64_t reads = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(doc.ReadString(section, key, QString()));
        ++reads;
    }
    state.counters["section_compares_per_read"] =
        static_cast<double>(doc.SectionComparisons() - before) / static_cast<double>(reads);
}
BENCHMARK(BM_RepeatedReadInLastSection_IniDocument)->Arg(0)->Arg(KeysPerSection - 1);

void BM_RepeatedReadInLastSection_QSettings(benchmark::State& state)
{
    TFixture& f = Fixture();
    QSettings settings(f.BigFile, QSettings::IniFormat);
    const QString key = f.Sections.last() + u'/' + f.Keys[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(settings.value(key));
}
BENCHMARK(BM_RepeatedReadInLastSection_QSettings)->Arg(0)->Arg(KeysPerSection - 1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
