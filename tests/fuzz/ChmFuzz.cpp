// Fuzz target: a help file from disk, damaged or hostile. Whatever the bytes, opening the
// file either fails with a reason or gives a file whose title, contents, context map and
// pages can all be read without fault.
#include "platform/ChmFile.h"

#include "FuzzScratch.h"

#include <QFile>

#include <cstdint>

namespace {

[[noreturn]] void Fail(const char* What)
{
    FuzzFail("chm", What);
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
    static const QString path = FuzzScratchPath(QStringLiteral("help.chm"));
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
