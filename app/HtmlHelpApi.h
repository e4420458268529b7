#pragma once
// The help viewer's programming interface, loaded once for the whole program: the viewer
// module is loaded at start-up, before any window exists, its entry points are resolved
// by name, and at program end the module is freed (which closes its windows) and the
// entry points are forgotten. main() does both through THtmlHelpLibrary:
//
//     QApplication app(argc, argv);
//     THtmlHelpLibrary helpViewer;   // LoadHtmlHelp() now, FreeHtmlHelp() on return
//
// The viewer itself is platform/HelpViewer.h.

#include <QtGlobal>

class QWidget;

// Viewer commands.
constexpr unsigned HH_DISPLAY_TOPIC = 0x0000;
constexpr unsigned HH_HELP_CONTEXT = 0x000F;
constexpr unsigned HH_CLOSE_ALL = 0x0012;

// Caller (nullptr: the desktop, so the viewer is owned by no window of ours), the help
// file, the command and its data; returns the viewer window, or nullptr.
using THtmlHelpAFunc = QWidget* (*)(QWidget* Caller, const char* File, unsigned Command,
                                    quintptr Data);
using THtmlHelpWFunc = QWidget* (*)(QWidget* Caller, const char16_t* File, unsigned Command,
                                    quintptr Data);

// The resolved entry points; nullptr while the viewer is not loaded.
extern THtmlHelpAFunc HtmlHelpA;
extern THtmlHelpWFunc HtmlHelpW;
// The entry point the help component calls: the wide one.
extern THtmlHelpWFunc HtmlHelp;

// Loads the viewer and resolves its entry points, unless it is loaded already.
void LoadHtmlHelp();
// Frees the viewer and forgets the entry points.
void FreeHtmlHelp();
// Whether the viewer is loaded and can be called.
bool HtmlHelpLoaded();

// Keeps the viewer loaded for the lifetime of the object.
class THtmlHelpLibrary
{
public:
    THtmlHelpLibrary() { LoadHtmlHelp(); }
    ~THtmlHelpLibrary() { FreeHtmlHelp(); }
    THtmlHelpLibrary(const THtmlHelpLibrary&) = delete;
    THtmlHelpLibrary& operator=(const THtmlHelpLibrary&) = delete;
};
