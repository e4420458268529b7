// Fuzz target: a help file from disk, damaged or hostile. Whatever the bytes, opening the
// file either fails with a reason or gives a file whose title, contents, context map and
// pages can all be read without fault.
#include "platform/ChmFile.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

[[noreturn]] void Fail(const char* What)
{
    std::fprintf(stderr, "chm fuzz: %s\n", What);
    std::abort();
}

QString ScratchFile()
{
    // tmpfs when there is one: each input is written to disk, as a help file would be.
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return base + QStringLiteral("/chm-fuzz-%1.chm").arg(::getpid());
}

void ReadTopics(const TChmFile& Help, const std::vector<TChmTopic>& Topics, int Depth)
{
    if (Depth > 64)
        return;
    for (const TChmTopic& topic : Topics) {
        if (!topic.Local.isEmpty())
            (void)Help.Read(TChmFile::SplitFragment(topic.Local).first);
        ReadTopics(Help, topic.Children, Depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    static const QString path = ScratchFile();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Fail("cannot write the scratch file");
        file.write(reinterpret_cast<const char*>(Data), qint64(Size));
    }
    TChmFile help;
    if (!help.Open(path)) {
        if (help.ErrorString().isEmpty())
            Fail("a refused file without a reason");
        if (help.IsOpen())
            Fail("a refused file stays open");
        return 0;
    }
    (void)help.Title();
    if (!help.DefaultTopic().isEmpty() &&
        !help.Contains(TChmFile::SplitFragment(help.DefaultTopic()).first))
        Fail("the default topic is not in the file");
    (void)help.Read(TChmFile::SplitFragment(help.DefaultTopic()).first);
    ReadTopics(help, help.Contents(), 0);
    for (int32_t id : {0, 1, 2, 1000, -1})
        (void)help.TopicForContext(id);
    return 0;
}
