// The help viewer through its entry points: opening a file at its default topic, by
// context id and at a named page, following links and the table of contents, pictures
// from inside the file, one window per file, closing all, and files it cannot open.
#include "platform/HelpViewer.h"

#include "ModalAnswerer.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

namespace {

const QString TinyChm = QStringLiteral(BT_TINY_CHM);

constexpr unsigned DisplayTopic = 0;
constexpr unsigned HelpContext = 15;
constexpr unsigned CloseAll = 18;

using TEntryW = QWidget* (*)(QWidget*, const char16_t*, unsigned, quintptr);
using TEntryA = QWidget* (*)(QWidget*, const char*, unsigned, quintptr);

class HelpViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FModule = LoadHelpViewerModule();
        ASSERT_NE(FModule, nullptr);
        FHtmlHelpW = reinterpret_cast<TEntryW>(HelpViewerProcAddress(FModule, "HtmlHelpW"));
        FHtmlHelpA = reinterpret_cast<TEntryA>(HelpViewerProcAddress(FModule, "HtmlHelpA"));
        ASSERT_NE(FHtmlHelpW, nullptr);
        ASSERT_NE(FHtmlHelpA, nullptr);
    }
    void TearDown() override
    {
        FreeHelpViewerModule(FModule);
        EXPECT_TRUE(OpenHelpViewers().isEmpty()) << "freeing the module closes its windows";
    }

    THelpViewer* Call(const QString& File, unsigned Command, quintptr Data = 0)
    {
        QWidget* window =
            FHtmlHelpW(nullptr, reinterpret_cast<const char16_t*>(File.utf16()), Command, Data);
        return qobject_cast<THelpViewer*>(window);
    }

    static QString PageText(THelpViewer* Viewer) { return Viewer->Browser()->toPlainText(); }

    THelpViewerModule* FModule = nullptr;
    TEntryW FHtmlHelpW = nullptr;
    TEntryA FHtmlHelpA = nullptr;
};

TEST_F(HelpViewerTest, UnknownEntryPointIsNotFound)
{
    EXPECT_EQ(HelpViewerProcAddress(FModule, "HtmlHelpX"), nullptr);
    EXPECT_EQ(HelpViewerProcAddress(FModule, nullptr), nullptr);
}

TEST_F(HelpViewerTest, OpensTheDefaultTopicInATopLevelWindow)
{
    THelpViewer* viewer = Call(TinyChm, DisplayTopic);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->parentWidget(), nullptr);
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Tiny Help"));
    EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("/first.html"));
    EXPECT_TRUE(PageText(viewer).contains(QStringLiteral("First page")));
    EXPECT_EQ(OpenHelpViewers().size(), 1);
}

TEST_F(HelpViewerTest, ShowsPicturesFromInsideTheFile)
{
    THelpViewer* viewer = Call(TinyChm, DisplayTopic);
    ASSERT_NE(viewer, nullptr);
    // The page's <img src="dot.png">, resolved against the page as the document does.
    const QVariant picture = viewer->Browser()->loadResource(QTextDocument::ImageResource,
                                                             QUrl(QStringLiteral("dot.png")));
    const QImage image = picture.value<QImage>();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(12, 8));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    // The laid-out page holds the picture at its size.
    bool found = false;
    for (QTextBlock block = viewer->Browser()->document()->begin(); block.isValid();
         block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                found = it.fragment().charFormat().toImageFormat().name() == u"dot.png";
    EXPECT_TRUE(found);
    // Nothing outside the help file is read.
    EXPECT_FALSE(viewer->Browser()
                     ->loadResource(QTextDocument::ImageResource,
                                    QUrl::fromLocalFile(QStringLiteral(BT_TINY_CHM)))
                     .isValid());
}

TEST_F(HelpViewerTest, FollowsALinkBetweenPages)
{
    THelpViewer* viewer = Call(TinyChm, DisplayTopic);
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    THelpBrowser* browser = viewer->Browser();
    const QTextCursor link = browser->document()->find(QStringLiteral("second page"));
    ASSERT_FALSE(link.isNull());
    QTextCursor inside(browser->document());
    inside.setPosition(link.selectionStart() + 2);
    const QPoint at = browser->cursorRect(inside).center();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("/second.html"));
    EXPECT_TRUE(PageText(viewer).contains(QStringLiteral("Second page")));
    // The table of contents follows the page.
    ASSERT_NE(viewer->ContentsTree()->currentItem(), nullptr);
    EXPECT_EQ(viewer->ContentsTree()->currentItem()->text(0), QStringLiteral("Second & last"));
    // And back.
    browser->backward();
    EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("/first.html"));
}

TEST_F(HelpViewerTest, TableOfContentsOpensPages)
{
    THelpViewer* viewer = Call(TinyChm, DisplayTopic);
    ASSERT_NE(viewer, nullptr);
    QTreeWidget* tree = viewer->ContentsTree();
    EXPECT_TRUE(tree->isVisibleTo(viewer));
    QStringList names;
    QTreeWidgetItem* second = nullptr;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        names << (*it)->text(0);
        if ((*it)->text(0) == u"Second & last")
            second = *it;
    }
    EXPECT_EQ(names, QStringList({QStringLiteral("First page"), QStringLiteral("Second & last")}));
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    tree->scrollToItem(second);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(second).center());
    EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("/second.html"));
}

TEST_F(HelpViewerTest, AskingAgainReusesTheWindowAtTheDefaultTopic)
{
    THelpViewer* first = Call(TinyChm, DisplayTopic);
    ASSERT_NE(first, nullptr);
    first->ShowTopic(QStringLiteral("/second.html"));
    ASSERT_EQ(first->CurrentTopic(), QStringLiteral("/second.html"));
    first->showMinimized();

    THelpViewer* again = Call(TinyChm, DisplayTopic);
    EXPECT_EQ(again, first);
    EXPECT_EQ(OpenHelpViewers().size(), 1);
    EXPECT_EQ(first->CurrentTopic(), QStringLiteral("/first.html"));
    EXPECT_FALSE(first->isMinimized());
    EXPECT_TRUE(first->isVisible());
}

struct TTopicCase
{
    const char* Name;
    QString File;
    unsigned Command;
    quintptr Data;
    const char* Topic;
};

class HelpViewerTopics : public HelpViewerTest, public ::testing::WithParamInterface<TTopicCase>
{
};

TEST_P(HelpViewerTopics, ShowsThePageAsked)
{
    const TTopicCase& c = GetParam();
    THelpViewer* viewer = Call(c.File, c.Command, c.Data);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->CurrentTopic(), QString::fromLatin1(c.Topic));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, HelpViewerTopics,
    ::testing::Values(
        TTopicCase{"ContextMapped", TinyChm, HelpContext, 200, "/second.html"},
        TTopicCase{"ContextUnmappedGivesDefault", TinyChm, HelpContext, 4711, "/first.html"},
        TTopicCase{"PageInFileName", TinyChm + QStringLiteral("::/second.html"), DisplayTopic, 0,
                   "/second.html"},
        TTopicCase{"WindowNameIgnored", TinyChm + QStringLiteral("::/second.html>main"),
                   DisplayTopic, 0, "/second.html"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(HelpViewerTest, MissingPageSaysSo)
{
    THelpViewer* viewer = Call(TinyChm + QStringLiteral("::/nowhere.html"), DisplayTopic);
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(PageText(viewer).contains(QStringLiteral("is not in this help file")));
}

TEST_F(HelpViewerTest, PageNamedByDataInEitherEntryPoint)
{
    const std::u16string wide = u"second.html";
    THelpViewer* viewer = qobject_cast<THelpViewer*>(
        FHtmlHelpW(nullptr, reinterpret_cast<const char16_t*>(TinyChm.utf16()), DisplayTopic,
                   reinterpret_cast<quintptr>(wide.c_str())));
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("/second.html"));

    const QByteArray file = TinyChm.toLocal8Bit();
    QWidget* again = FHtmlHelpA(nullptr, file.constData(), DisplayTopic, 0);
    EXPECT_EQ(again, viewer);
    EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("/first.html"));
}

TEST_F(HelpViewerTest, CloseAllClosesEveryWindow)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.chm"));
    ASSERT_TRUE(QFile::copy(TinyChm, copy));
    QPointer<THelpViewer> one = Call(TinyChm, DisplayTopic);
    QPointer<THelpViewer> two = Call(copy, DisplayTopic);
    ASSERT_TRUE(one && two);
    EXPECT_NE(one.data(), two.data());
    EXPECT_EQ(OpenHelpViewers().size(), 2);

    EXPECT_EQ(FHtmlHelpW(nullptr, nullptr, CloseAll, 0), nullptr);
    EXPECT_TRUE(one.isNull());
    EXPECT_TRUE(two.isNull());
    EXPECT_TRUE(OpenHelpViewers().isEmpty());
}

TEST_F(HelpViewerTest, WindowClosedByTheUserIsForgotten)
{
    QPointer<THelpViewer> viewer = Call(TinyChm, DisplayTopic);
    ASSERT_TRUE(viewer);
    viewer->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer.isNull(); }, 1000));
    EXPECT_TRUE(viewer.isNull());
    EXPECT_TRUE(OpenHelpViewers().isEmpty());
    // Asking again opens a fresh window.
    EXPECT_NE(Call(TinyChm, DisplayTopic), nullptr);
}

// Escape and Ctrl+W close the help window, as they close other viewers of the desktop.
TEST_F(HelpViewerTest, EscapeAndCtrlWCloseTheWindow)
{
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        SCOPED_TRACE(key.toString().toStdString());
        QPointer<THelpViewer> viewer = Call(TinyChm, DisplayTopic);
        ASSERT_FALSE(viewer.isNull());
        QApplication::setActiveWindow(viewer);
        ASSERT_TRUE(viewer->isActiveWindow());
        QTest::keySequence(viewer, key);
        EXPECT_TRUE(QTest::qWaitFor([&] { return viewer.isNull() || !viewer->isVisible(); }, 2000));
    }
}

// The help opens beside the program's window, clear of the game, where the screen has room
// for a readable help window there.
TEST_F(HelpViewerTest, OpensBesideTheProgramsWindow)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget game;
    game.setWindowTitle(QStringLiteral("game"));
    game.setGeometry(QRect(area.topLeft(), QSize(area.width() / 3, area.height() / 2)));
    game.show();
    game.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&game));
    THelpViewer* viewer = Call(TinyChm, DisplayTopic);
    ASSERT_NE(viewer, nullptr);
    const QRect help = viewer->frameGeometry();
    EXPECT_FALSE(help.intersects(game.frameGeometry()))
        << help.x() << "," << help.y() << " " << help.width() << "x" << help.height();
    EXPECT_TRUE(area.contains(help))
        << help.x() << "," << help.y() << " " << help.width() << "x" << help.height();
    viewer->close();
}

TEST_F(HelpViewerTest, UnsupportedCommandDoesNothing)
{
    EXPECT_EQ(Call(TinyChm, 0x0003 /* a keyword search, not offered */), nullptr);
    EXPECT_TRUE(OpenHelpViewers().isEmpty());
}

struct TBadFile
{
    const char* Name;
    QByteArray Content; // null: the file does not exist
    const char* Reason;
};

class HelpViewerBadFiles : public HelpViewerTest, public ::testing::WithParamInterface<TBadFile>
{
};

TEST_P(HelpViewerBadFiles, TellsTheUserAndOpensNoWindow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HELP/bt.chm"));
    const TBadFile& c = GetParam();
    if (!c.Content.isNull()) {
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("HELP")));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.Content);
    }
    ModalAnswerer answer(ModalAnswerer::Click(QMessageBox::Ok));
    EXPECT_EQ(Call(path, DisplayTopic), nullptr);
    EXPECT_EQ(Call(path, HelpContext, 100), nullptr);
    EXPECT_TRUE(OpenHelpViewers().isEmpty());
    ASSERT_EQ(answer.Count(), 2);
    EXPECT_EQ(answer.Titles().at(0), QStringLiteral("Brindletop"));
    EXPECT_EQ(answer.Texts().at(0), QStringLiteral("The help file %1 could not be opened: %2.")
                                        .arg(path, QString::fromLatin1(c.Reason)));
}

INSTANTIATE_TEST_SUITE_P(
    Files, HelpViewerBadFiles,
    ::testing::Values(TBadFile{"Missing", QByteArray(), "No such file or directory"},
                      TBadFile{"Corrupt", QByteArray("\x13\x37\xc0\xde\x00\x42\xff", 7),
                               "the file is damaged or is not a compiled help file"}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
