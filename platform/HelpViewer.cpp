#include "platform/HelpViewer.h"
#include "platform/WindowSystem.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStringDecoder>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>

namespace {

constexpr auto Scheme = "chm";

// Command numbers of the entry points.
constexpr unsigned DisplayTopic = 0x0000;
constexpr unsigned HelpContext = 0x000F;
constexpr unsigned CloseAll = 0x0012;

QList<QPointer<THelpViewer>>& Viewers()
{
    static QList<QPointer<THelpViewer>> viewers;
    return viewers;
}

QString WindowKey(const QString& File)
{
    return QFileInfo(File).absoluteFilePath();
}

THelpViewer* FindViewer(const QString& File)
{
    const QString key = WindowKey(File);
    for (const auto& viewer : Viewers())
        if (viewer && WindowKey(viewer->File().FileName()) == key)
            return viewer;
    return nullptr;
}

void CloseAllViewers()
{
    const auto viewers = Viewers();
    Viewers().clear();
    for (const auto& viewer : viewers) {
        if (!viewer)
            continue;
        viewer->hide();
        delete viewer.data();
    }
}

QString Escaped(const QString& Text)
{
    return Text.toHtmlEscaped();
}

QString MessagePage(const QString& Title, const QString& Text)
{
    return QStringLiteral("<html><head><title>%1</title></head><body><h2>%1</h2><p>%2</p>"
                          "</body></html>")
        .arg(Escaped(Title), Escaped(Text));
}

// Beside the program's active window, so that the game stays in view: in the room beside
// it when a readable help window fits there, else at the screen's edge on the roomier side,
// over as little of the game as may be. Centred on the screen when there is no window.
void PlaceViewer(QWidget* Viewer, const QWidget* Beside)
{
    const QScreen* screen = Beside ? Beside->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    Viewer->resize(Viewer->size().boundedTo(area.size()));
    // Where the compositor places every window (Wayland), neither window's position is
    // known nor can be set.
    if (!CanPlaceWindows())
        return;
    constexpr int Gap = 8;
    constexpr int NarrowestBeside = 400;
    if (Beside) {
        const QRect frame = Beside->frameGeometry();
        const int roomRight = area.right() - frame.right() - Gap;
        const int roomLeft = frame.left() - Gap - area.left();
        const int room = std::max(roomRight, roomLeft);
        // Not shown yet, the viewer's frame is unknown: the program's window tells what the
        // window manager adds round a window.
        const QSize decoration = frame.size() - Beside->size();
        const int width = std::min(Viewer->width() + decoration.width(),
                                   std::max(room, std::min(NarrowestBeside, area.width())));
        Viewer->resize(width - decoration.width(), Viewer->height());
        const int top = std::clamp(frame.top(), area.top(),
                                   area.bottom() + 1 - Viewer->height() - decoration.height());
        const bool right = roomRight >= roomLeft;
        const int besideLeft = right ? frame.right() + 1 + Gap : frame.left() - Gap - width;
        // Kept on the screen: where the room is too narrow it covers the game's near edge.
        Viewer->move(std::clamp(besideLeft, area.left(), area.right() + 1 - width), top);
        return;
    }
    Viewer->move(area.center() - Viewer->rect().center());
}

// The entry points' common body. Topic is the page named by a non-zero Data of the
// display command, already turned into a string.
QWidget* HtmlHelpCommand(QWidget* Caller, QString File, unsigned Command, quintptr Data,
                         const QString& DataTopic)
{
    // Windows need a widget application; without one the viewer can show nothing.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    if (Command == CloseAll) {
        CloseAllViewers();
        return nullptr;
    }
    if (Command != DisplayTopic && Command != HelpContext)
        return nullptr;

    // "file.chm::/page.html>window": the file, a page in it, a window name (ignored).
    QString topic;
    if (const qsizetype pair = File.indexOf(QLatin1String("::")); pair >= 0) {
        topic = File.mid(pair + 2);
        File.truncate(pair);
    }
    for (QString* part : {&File, &topic})
        if (const qsizetype window = part->lastIndexOf(u'>'); window >= 0)
            part->truncate(window);
    File = File.trimmed();

    THelpViewer* viewer = FindViewer(File);
    if (!viewer) {
        auto chm = std::make_unique<TChmFile>();
        if (!chm->Open(File)) {
            QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                            QStringLiteral("The help file %1 could not be opened: %2.")
                                .arg(QDir::toNativeSeparators(File), chm->ErrorString()),
                            QMessageBox::Ok, Caller);
            box.exec();
            return nullptr;
        }
        viewer = new THelpViewer(std::move(chm));
        Viewers().append(viewer);
        PlaceViewer(viewer, QApplication::activeWindow());
    }

    if (Command == HelpContext)
        topic = viewer->File().TopicForContext(int32_t(Data));
    else if (Data != 0)
        topic = DataTopic;
    viewer->ShowTopic(topic);

    if (viewer->isMinimized())
        viewer->showNormal();
    else
        viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

QWidget* EntryHtmlHelpA(QWidget* Caller, const char* File, unsigned Command, quintptr Data)
{
    QString topic;
    if (Command == DisplayTopic && Data != 0)
        topic = QString::fromLocal8Bit(reinterpret_cast<const char*>(Data));
    return HtmlHelpCommand(Caller, File ? QString::fromLocal8Bit(File) : QString(), Command, Data,
                           topic);
}

QWidget* EntryHtmlHelpW(QWidget* Caller, const char16_t* File, unsigned Command, quintptr Data)
{
    QString topic;
    if (Command == DisplayTopic && Data != 0)
        topic = QString::fromUtf16(reinterpret_cast<const char16_t*>(Data));
    return HtmlHelpCommand(Caller, File ? QString::fromUtf16(File) : QString(), Command, Data,
                           topic);
}

} // namespace

// --- THelpBrowser -----------------------------------------------------------------------

THelpBrowser::THelpBrowser(const TChmFile& File, QWidget* Parent)
    : QTextBrowser(Parent), FFile(File)
{
}

QVariant THelpBrowser::loadResource(int Type, const QUrl& Name)
{
    QUrl url = Name;
    if (url.isRelative())
        url = source().resolved(url);
    // Nothing outside the help file is read: the help needs no network and no other file.
    if (url.scheme() != QLatin1String(Scheme))
        return {};
    const QString path = url.path();
    const QByteArray data = FFile.Read(path);

    switch (Type) {
    case QTextDocument::HtmlResource: {
        if (data.isEmpty())
            return MessagePage(QStringLiteral("Page not found"),
                               QStringLiteral("The page %1 is not in this help file.").arg(path));
        auto decoder = QStringDecoder::decoderForHtml(data);
        return decoder.isValid() ? QString(decoder(data)) : QString::fromUtf8(data);
    }
    case QTextDocument::StyleSheetResource:
        return QString::fromUtf8(data);
    case QTextDocument::ImageResource: {
        QImage image;
        if (!image.loadFromData(data))
            return {};
        return image;
    }
    default:
        return data.isEmpty() ? QVariant() : QVariant(data);
    }
}

// --- THelpViewer ------------------------------------------------------------------------

THelpViewer::THelpViewer(std::unique_ptr<TChmFile> File)
    : QMainWindow(nullptr), FFile(std::move(File))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(FFile->Title().isEmpty() ? QFileInfo(FFile->FileName()).fileName()
                                            : FFile->Title());

    FBrowser = new THelpBrowser(*FFile, this);
    FBrowser->setOpenLinks(false);
    FBrowser->setFrameShape(QFrame::NoFrame);
    FBrowser->document()->setDocumentMargin(10);
    connect(FBrowser, &QTextBrowser::anchorClicked, this, &THelpViewer::LinkClicked);
    connect(FBrowser, &QTextBrowser::sourceChanged, this, &THelpViewer::SourceChanged);

    FContentsTree = new QTreeWidget(this);
    FContentsTree->setHeaderHidden(true);
    FContentsTree->setColumnCount(1);
    FContentsTree->header()->setStretchLastSection(true);
    FillContents(nullptr, FFile->Contents());
    FContentsTree->expandAll();
    FContentsTree->setVisible(FContentsTree->topLevelItemCount() > 0);
    connect(FContentsTree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* Item) { ContentsItemChosen(Item); });
    connect(FContentsTree, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* Item) { ContentsItemChosen(Item); });
    connect(FContentsTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* Item) {
        if (!FSyncingContents && Item)
            ContentsItemChosen(Item);
    });

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(FContentsTree);
    splitter->addWidget(FBrowser);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 560});
    setCentralWidget(splitter);

    auto* toolBar = addToolBar(QStringLiteral("Navigation"));
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    FBackAction = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack),
                                     QStringLiteral("Back"), FBrowser, &QTextBrowser::backward);
    FBackAction->setShortcut(QKeySequence::Back);
    FBackAction->setEnabled(false);
    FForwardAction =
        toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward),
                           QStringLiteral("Forward"), FBrowser, &QTextBrowser::forward);
    FForwardAction->setShortcut(QKeySequence::Forward);
    FForwardAction->setEnabled(false);
    auto* home = toolBar->addAction(
        QIcon::fromTheme(QStringLiteral("go-home"), style()->standardIcon(QStyle::SP_DirHomeIcon)),
        QStringLiteral("Home"), this, [this] { ShowTopic({}); });
    home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    // As other viewer windows of the desktop: Escape or Ctrl+W closes it.
    auto* closeAction = new QAction(QStringLiteral("Close"), this);
    closeAction->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    closeAction->setShortcutContext(Qt::WindowShortcut);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    addAction(closeAction);
    connect(FBrowser, &QTextBrowser::backwardAvailable, FBackAction, &QAction::setEnabled);
    connect(FBrowser, &QTextBrowser::forwardAvailable, FForwardAction, &QAction::setEnabled);

    resize(800, 600);
}

THelpViewer::~THelpViewer()
{
    Viewers().removeAll(this);
    // The page area reads from FFile, which goes before the child widgets would.
    delete FBrowser;
    FBrowser = nullptr;
}

QUrl THelpViewer::TopicUrl(const QString& Path)
{
    QUrl url;
    url.setScheme(QLatin1String(Scheme));
    const auto [page, fragment] = TChmFile::SplitFragment(Path);
    url.setPath(TChmFile::NormalPath(page));
    if (fragment.size() > 1)
        url.setFragment(fragment.mid(1));
    return url;
}

void THelpViewer::ShowTopic(const QString& Path)
{
    const QString topic = Path.trimmed().isEmpty() ? FFile->DefaultTopic() : Path;
    if (topic.isEmpty()) {
        FBrowser->setHtml(MessagePage(QStringLiteral("No pages"),
                                      QStringLiteral("This help file contains no pages.")));
        return;
    }
    const QUrl url = TopicUrl(topic);
    // Asking again for the page on show starts it from the top, as a fresh visit would.
    if (url.adjusted(QUrl::RemoveFragment) == FBrowser->source().adjusted(QUrl::RemoveFragment) &&
        !url.hasFragment())
        FBrowser->verticalScrollBar()->setValue(0);
    FBrowser->setSource(url, QTextDocument::HtmlResource);
}

QString THelpViewer::CurrentTopic() const
{
    return FBrowser->source().path();
}

void THelpViewer::FillContents(QTreeWidgetItem* Parent, const std::vector<TChmTopic>& Topics)
{
    for (const TChmTopic& topic : Topics) {
        auto* item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(FContentsTree);
        item->setText(0, topic.Name);
        item->setToolTip(0, topic.Name);
        item->setData(0, Qt::UserRole, topic.Local);
        item->setIcon(0, style()->standardIcon(topic.Children.empty() ? QStyle::SP_FileIcon
                                                                      : QStyle::SP_DirIcon));
        FillContents(item, topic.Children);
    }
}

void THelpViewer::LinkClicked(const QUrl& Url)
{
    const QUrl url = FBrowser->source().resolved(Url);
    if (url.scheme() == QLatin1String(Scheme)) {
        FBrowser->setSource(url, QTextDocument::HtmlResource);
        return;
    }
    // A link out of the help file goes to the desktop's own handler.
    QDesktopServices::openUrl(url);
}

void THelpViewer::SourceChanged(const QUrl& Url)
{
    const QString path = Url.path();
    QTreeWidgetItem* match = nullptr;
    for (QTreeWidgetItemIterator it(FContentsTree); *it && !match; ++it) {
        const QString local = (*it)->data(0, Qt::UserRole).toString();
        if (TChmFile::NormalPath(local).compare(path, Qt::CaseInsensitive) == 0)
            match = *it;
    }
    FSyncingContents = true;
    if (match)
        FContentsTree->setCurrentItem(match);
    else
        FContentsTree->clearSelection();
    FSyncingContents = false;
}

void THelpViewer::ContentsItemChosen(QTreeWidgetItem* Item)
{
    const QString local = Item->data(0, Qt::UserRole).toString();
    if (local.isEmpty())
        return;
    const QUrl url = TopicUrl(local);
    if (url == FBrowser->source())
        return;
    FBrowser->setSource(url, QTextDocument::HtmlResource);
}

// --- The module -------------------------------------------------------------------------

struct THelpViewerModule
{
    int Loads = 0;
};

namespace {
THelpViewerModule TheModule;
}

THelpViewerModule* LoadHelpViewerModule()
{
    ++TheModule.Loads;
    return &TheModule;
}

QFunctionPointer HelpViewerProcAddress(THelpViewerModule* Module, const char* Name)
{
    if (Module != &TheModule || TheModule.Loads <= 0 || !Name)
        return nullptr;
    if (qstrcmp(Name, "HtmlHelpA") == 0)
        return reinterpret_cast<QFunctionPointer>(&EntryHtmlHelpA);
    if (qstrcmp(Name, "HtmlHelpW") == 0)
        return reinterpret_cast<QFunctionPointer>(&EntryHtmlHelpW);
    return nullptr;
}

void FreeHelpViewerModule(THelpViewerModule* Module)
{
    if (Module != &TheModule || TheModule.Loads <= 0)
        return;
    if (--TheModule.Loads == 0 && qobject_cast<QApplication*>(QCoreApplication::instance()))
        CloseAllViewers();
}

QList<THelpViewer*> OpenHelpViewers()
{
    QList<THelpViewer*> open;
    for (const auto& viewer : Viewers())
        if (viewer)
            open.append(viewer.data());
    return open;
}
