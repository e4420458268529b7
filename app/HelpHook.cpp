#include "app/HelpHook.h"

#include "app/HtmlHelpApi.h"
#include "platform/WindowSystem.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <optional>

// --- The application's help requests ----------------------------------------------------

namespace {
THelpEvent& CurrentHelpEvent()
{
    static THelpEvent handler;
    return handler;
}

QString HostTypeName(THostType HostType)
{
    switch (HostType) {
    case THostType::htHHAPI:
        return QStringLiteral("htHHAPI");
    case THostType::htKeyHHexe:
        return QStringLiteral("htKeyHHexe");
    case THostType::htHHexe:
        return QStringLiteral("htHHexe");
    }
    return QString::number(int(HostType));
}

QString RequestName(uint16_t Command)
{
    switch (Command) {
    case HELP_CONTEXT:
        return QStringLiteral("HELP_CONTEXT");
    case HELP_CONTEXTPOPUP:
        return QStringLiteral("HELP_CONTEXTPOPUP");
    case HELP_SETPOPUP_POS:
        return QStringLiteral("HELP_SETPOPUP_POS");
    default:
        return QString::number(Command);
    }
}
} // namespace

THelpEvent ApplicationHelpEvent()
{
    return CurrentHelpEvent();
}

void SetApplicationHelpEvent(THelpEvent Handler)
{
    CurrentHelpEvent() = std::move(Handler);
}

bool ApplicationHelpCommand(uint16_t Command, quintptr Data)
{
    bool callHelp = true;
    bool handled = false;
    if (const THelpEvent handler = CurrentHelpEvent())
        handled = handler(Command, Data, callHelp);
    // The application itself has no help engine to fall back on.
    return handled;
}

// --- The hook ---------------------------------------------------------------------------

THookHelpSystem::THookHelpSystem(const QString& ChmFile, const QString& WinDef, THostType HostType)
    : FChmFile(ChmFile), FWinDef(WinDef), FHostType(HostType)
{
    HelpTrace(QStringLiteral("THookHelpSystem.Create: ChmFile=\"%1\" WinDef=\"%2\" HostType=%3")
                  .arg(FChmFile, FWinDef, HostTypeName(FHostType)));
    FOldHelpEvent = ApplicationHelpEvent();
    SetApplicationHelpEvent([this](uint16_t Command, quintptr Data, bool& CallHelp) {
        return HookedHelpEvent(Command, Data, CallHelp);
    });
}

THookHelpSystem::~THookHelpSystem()
{
    HelpTrace(QStringLiteral("THookHelpSystem.Destroy: ChmFile=\"%1\"").arg(FChmFile));
    if (FHostType == THostType::htHHAPI) {
        HelpViewerRequest(QString(), HH_CLOSE_ALL, 0);
        QThread::yieldCurrentThread();
    }
    SetApplicationHelpEvent(FOldHelpEvent);
}

bool THookHelpSystem::HookedHelpEvent(uint16_t Command, quintptr Data, bool& CallHelp)
{
    HelpTrace(QStringLiteral("Help request: Command=%1 Data=%2")
                  .arg(RequestName(Command))
                  .arg(qulonglong(Data)));
    switch (Command) {
    case HELP_CONTEXT:
        CallHelp = false;
        if (HelpCallback1)
            HelpCallback1(int32_t(Data));
        else
            ShowContext(int32_t(Data));
        break;
    case HELP_CONTEXTPOPUP:
        CallHelp = false;
        if (HelpCallback2)
            HelpCallback2(int32_t(Data), FPopupXY.x(), FPopupXY.y());
        else
            ShowContext(int32_t(Data));
        break;
    case HELP_SETPOPUP_POS:
        CallHelp = false;
        FPopupXY = QPoint(int(Data & 0xFFFF), int((Data >> 16) & 0xFFFF));
        break;
    default:
        CallHelp = true;
        if (FOKToCallOldHelpEvent && FOldHelpEvent)
            return FOldHelpEvent(Command, Data, CallHelp);
        return false;
    }
    return true;
}

void THookHelpSystem::ShowContext(int32_t Id)
{
    if (!HtmlHelpLoaded()) {
        QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                        QStringLiteral("MS Html Help is not installed on this PC."),
                        QMessageBox::Ok, QApplication::activeWindow(), DialogFrameFlags());
        box.exec();
        return;
    }
    if (QWidget* viewer = HelpViewerRequest(FChmFile, HH_HELP_CONTEXT, quintptr(uint32_t(Id)))) {
        viewer->raise();
        viewer->activateWindow();
    }
}

QWidget* HelpViewerRequest(const QString& File, unsigned Command, quintptr Data)
{
    HelpTrace(QStringLiteral("HtmlHelp: File=\"%1\" Command=%2 Data=%3")
                  .arg(File, HelpCommandName(Command))
                  .arg(qulonglong(Data)));
    if (!HtmlHelp)
        return nullptr;
    // A null file pointer is what close-all expects.
    return HtmlHelp(nullptr,
                    File.isNull() ? nullptr : reinterpret_cast<const char16_t*>(File.utf16()),
                    Command, Data);
}

QString HelpCommandName(unsigned Command)
{
    switch (Command) {
    case HH_DISPLAY_TOPIC:
        return QStringLiteral("HH_DISPLAY_TOPIC (0)");
    case HH_HELP_CONTEXT:
        return QStringLiteral("HH_HELP_CONTEXT (15)");
    case HH_CLOSE_ALL:
        return QStringLiteral("HH_CLOSE_ALL (18)");
    default:
        return QString::number(Command);
    }
}

// --- The diagnostic trace ---------------------------------------------------------------

namespace {

struct TTrace
{
    std::optional<bool> Decided; // whether the switch has been read
    std::FILE* File = nullptr;

    ~TTrace() { Close(); }
    void Close()
    {
        if (File)
            std::fclose(File);
        File = nullptr;
    }
    void OpenFile(const QString& LogFile)
    {
        Close();
        if (!LogFile.isEmpty())
            File = std::fopen(QFile::encodeName(LogFile).constData(), "w");
        Decided = true;
    }
};

TTrace& Trace()
{
    static TTrace trace;
    return trace;
}

void DecideTrace()
{
    TTrace& trace = Trace();
    if (trace.Decided)
        return;
    trace.Decided = true;
    if (!QCoreApplication::instance())
        return;
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (!DebugSwitchOn(QCoreApplication::arguments().mid(1), exeFolder))
        return;
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    trace.OpenFile(QDir(exe.absolutePath()).filePath(exe.completeBaseName() + ".log"));
}

} // namespace

bool DebugSwitchOn(const QStringList& Arguments, const QString& ExeFolder)
{
    for (const QString& argument : Arguments)
        if (argument.compare(QLatin1String("/debug"), Qt::CaseInsensitive) == 0 ||
            argument.compare(QLatin1String("-debug"), Qt::CaseInsensitive) == 0)
            return true;
    return !ExeFolder.isEmpty() &&
           QFileInfo(QDir(ExeFolder), QStringLiteral("debug.debug")).isFile();
}

bool HelpTraceOn()
{
    DecideTrace();
    return Trace().File != nullptr;
}

void HelpTrace(const QString& Line)
{
    if (!HelpTraceOn())
        return;
    const QByteArray text =
        (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz ")) + Line +
         u'\n')
            .toUtf8();
    std::FILE* file = Trace().File;
    if (std::fwrite(text.constData(), 1, size_t(text.size()), file) != size_t(text.size()) ||
        std::fflush(file) != 0)
        Trace().Close(); // a full disk ends the trace, never the game
}

void SetHelpTraceFile(const QString& LogFile)
{
    Trace().OpenFile(LogFile);
}
