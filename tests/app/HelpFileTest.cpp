// The program's own help file, as built: it opens at its welcome page, its contents and
// context ids lead to pages it holds, and no page links to a page or picture it lacks.
#include "platform/ChmFile.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

const QString HelpChm = QStringLiteral(BT_HELP_CHM);

void CollectLocals(const std::vector<TChmTopic>& Topics, QStringList& Locals)
{
    for (const TChmTopic& topic : Topics) {
        Locals << topic.Local;
        CollectLocals(topic.Children, Locals);
    }
}

class HelpFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FChm.Open(HelpChm)) << FChm.ErrorString().toStdString();
    }
    TChmFile FChm;
};

TEST_F(HelpFile, OpensAtTheWelcomePage)
{
    EXPECT_EQ(FChm.Title(), QStringLiteral("Brindletop Help"));
    EXPECT_EQ(FChm.DefaultTopic(), QStringLiteral("/index.html"));
}

TEST_F(HelpFile, ContentsAndContextIdsLeadToPages)
{
    QStringList locals;
    CollectLocals(FChm.Contents(), locals);
    EXPECT_EQ(locals.size(), 8);
    for (const QString& local : locals)
        EXPECT_TRUE(FChm.Contains(local)) << local.toStdString();
    for (int32_t id = 1000; id <= 1070; id += 10) {
        const QString topic = FChm.TopicForContext(id);
        EXPECT_TRUE(locals.contains(topic)) << "context " << id << " -> " << topic.toStdString();
    }
}

TEST_F(HelpFile, EveryLinkAndPictureIsInTheFile)
{
    static const QRegularExpression reference(
        QStringLiteral(R"re(<(?:a|img|link)\b[^>]*?\b(href|src)\s*=\s*"([^"]*)")re"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression anchor(QStringLiteral(R"re(<a\s+name\s*=\s*"([^"]+)")re"),
                                           QRegularExpression::CaseInsensitiveOption);
    QStringList pages;
    CollectLocals(FChm.Contents(), pages);
    ASSERT_FALSE(pages.isEmpty());
    for (const QString& page : pages) {
        const QString html = QString::fromUtf8(FChm.Read(page));
        ASSERT_FALSE(html.isEmpty()) << page.toStdString();
        QSet<QString> anchors;
        for (auto it = anchor.globalMatch(html); it.hasNext();)
            anchors.insert(it.next().captured(1));
        for (auto it = reference.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(2);
            const auto [file, fragment] = TChmFile::SplitFragment(target);
            if (target.startsWith(u'#')) {
                EXPECT_TRUE(anchors.contains(target.mid(1)))
                    << page.toStdString() << ": " << target.toStdString();
                continue;
            }
            EXPECT_TRUE(FChm.Contains(file)) << page.toStdString() << ": " << target.toStdString();
        }
    }
}

} // namespace
