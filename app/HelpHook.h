#pragma once
// The help hook: while the help component is active it takes over the application's help
// requests and passes them to the help viewer. Also home of the help layer's diagnostic
// trace, which is written only in debugging mode.

#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QWidget;

// --- The application's help requests ----------------------------------------------------

// Requests the application raises (the numbers of the classic help interface).
constexpr uint16_t HELP_CONTEXT = 0x0001;      // Data: a context id
constexpr uint16_t HELP_CONTEXTPOPUP = 0x0008; // Data: a context id, shown as a pop-up
constexpr uint16_t HELP_SETPOPUP_POS = 0x000D; // Data: x in the low 16 bits, y in the high

// The application's help handler. It returns whether it handled the request; leaving
// CallHelp true hands the request back to the application's own handling.
using THelpEvent = std::function<bool(uint16_t Command, quintptr Data, bool& CallHelp)>;

THelpEvent ApplicationHelpEvent();
void SetApplicationHelpEvent(THelpEvent Handler);
// Raises a help request: the handler first; when it leaves CallHelp true, the application's
// own handling, which here has nothing to offer. Returns whether the request was handled.
bool ApplicationHelpCommand(uint16_t Command, quintptr Data);

// --- The hook ---------------------------------------------------------------------------

enum class THostType : uint8_t
{
    htHHAPI,
    htKeyHHexe,
    htHHexe
};

using THelpCallback1 = std::function<void(int32_t Data)>;
using THelpCallback2 = std::function<void(int32_t Data, int X, int Y)>;

class THookHelpSystem
{
public:
    // Installs the hook as the application's help handler, remembering the one before.
    THookHelpSystem(const QString& ChmFile, const QString& WinDef, THostType HostType);
    // For htHHAPI first closes every viewer window, then puts the old handler back.
    ~THookHelpSystem();
    THookHelpSystem(const THookHelpSystem&) = delete;
    THookHelpSystem& operator=(const THookHelpSystem&) = delete;

    const QString& ChmFile() const { return FChmFile; }
    const QString& WinDef() const { return FWinDef; }
    THostType HostType() const { return FHostType; }
    QPoint PopupXY() const { return FPopupXY; }

private:
    bool HookedHelpEvent(uint16_t Command, quintptr Data, bool& CallHelp);
    void ShowContext(int32_t Id);

    THelpEvent FOldHelpEvent;
    QString FChmFile;
    QString FWinDef;
    THostType FHostType;
    QPoint FPopupXY;

public:
    // Optional handlers for context help and context pop-ups; none in this program.
    THelpCallback1 HelpCallback1;
    THelpCallback2 HelpCallback2;

private:
    // The previous handler is not called.
    bool FOKToCallOldHelpEvent = false;
};

// Calls the viewer for the help layer, with the desktop as caller (so the viewer window
// is owned by none of ours), writing the request to the trace. Returns the viewer window,
// or nullptr also when the viewer is not loaded.
QWidget* HelpViewerRequest(const QString& File, unsigned Command, quintptr Data);

// --- The diagnostic trace ---------------------------------------------------------------
// Debugging mode is on when the program was given "/debug" or "-debug" (in any case) or
// when a file "debug.debug" lies in the executable's folder. The trace then goes to a file
// beside the executable, named after it with ".log" (brindletop.log). When that file
// cannot be written the trace is silently off: the game never fails because of it.

// Whether the arguments (without the program's own name) or the folder switch it on.
bool DebugSwitchOn(const QStringList& Arguments, const QString& ExeFolder);
// Whether trace lines are being written.
bool HelpTraceOn();
// Writes one line, with the time, when the trace is on.
void HelpTrace(const QString& Line);
// Sends the trace to LogFile from now on (empty: off), whatever the switch says.
void SetHelpTraceFile(const QString& LogFile);
// The name used for viewer commands in the trace.
QString HelpCommandName(unsigned Command);
