#pragma once
// The help viewer: a window of its own that shows a compiled help file (.chm), with the
// file's table of contents beside its pages. Linux has no system viewer for these files,
// so the program carries this one and reaches it the way one reaches a viewer library:
// load the module once, resolve its entry points by name, call them with a command, and
// free the module at the end (app/HtmlHelpApi.h does that).
//
// Entry points, by name:
//   "HtmlHelpA"  QWidget* (QWidget* Caller, const char* File, unsigned Command, quintptr Data)
//   "HtmlHelpW"  QWidget* (QWidget* Caller, const char16_t* File, unsigned Command,
//                          quintptr Data)
// File names a .chm, optionally followed by "::/page.html" (a page in it) and ">name" (a
// window name, ignored). Commands:
//   0  display a topic: Data 0 shows the page named in File or the file's default topic;
//      otherwise Data points to a page name (a string of the entry point's kind).
//   15 show the page mapped to the context id Data (the default topic when unmapped).
//   18 close all viewer windows; File and Data are ignored.
// Both return the viewer window that shows the file, or nullptr. Each file has at most one
// window: asking again for an open file brings its window to the front. The window has no
// parent, so it is never owned by the caller's window; the caller only parents the message
// box that tells the user why a file could not be opened.

#include <QMainWindow>
#include <QTextBrowser>
#include <QtGlobal>

#include <memory>

#include "platform/ChmFile.h"

class QTreeWidget;
class QTreeWidgetItem;
class QAction;

// The page area: serves pages, style sheets and pictures from the help file.
class THelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    THelpBrowser(const TChmFile& File, QWidget* Parent);
    QVariant loadResource(int Type, const QUrl& Name) override;

private:
    const TChmFile& FFile;
};

class THelpViewer : public QMainWindow
{
    Q_OBJECT

public:
    explicit THelpViewer(std::unique_ptr<TChmFile> File);
    ~THelpViewer() override;

    const TChmFile& File() const { return *FFile; }
    // Shows Path ("/page.html", optionally with "#anchor"); an empty path shows the
    // file's default topic.
    void ShowTopic(const QString& Path);
    // The page now shown, as a path inside the file.
    QString CurrentTopic() const;
    THelpBrowser* Browser() const { return FBrowser; }
    QTreeWidget* ContentsTree() const { return FContentsTree; }

    // The URL under which a page of the help file is shown.
    static QUrl TopicUrl(const QString& Path);

private:
    void FillContents(QTreeWidgetItem* Parent, const std::vector<TChmTopic>& Topics);
    void LinkClicked(const QUrl& Url);
    void SourceChanged(const QUrl& Url);
    void ContentsItemChosen(QTreeWidgetItem* Item);

    std::unique_ptr<TChmFile> FFile;
    QTreeWidget* FContentsTree = nullptr;
    THelpBrowser* FBrowser = nullptr;
    QAction* FBackAction = nullptr;
    QAction* FForwardAction = nullptr;
    bool FSyncingContents = false;
};

// The viewer as a loadable module.
struct THelpViewerModule;
// Loads the module (each load must be matched by a free); never fails on this platform,
// but callers treat nullptr as "no viewer".
THelpViewerModule* LoadHelpViewerModule();
// The entry point of that name, or nullptr when the module has none.
QFunctionPointer HelpViewerProcAddress(THelpViewerModule* Module, const char* Name);
// Frees the module; the last free closes and destroys every viewer window.
void FreeHelpViewerModule(THelpViewerModule* Module);

// The viewer windows that are open now (for the help layer's tests and diagnostics).
QList<THelpViewer*> OpenHelpViewers();
