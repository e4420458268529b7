#include "app/HelpSystem.h"

#include "app/HelpHook.h"
#include "app/HtmlHelpApi.h"
#include "platform/WindowSystem.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>

QString HelpFilePath()
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("HELP/") + QLatin1String(ApplicationHelpFileName));
}

TCustomHelpSystem::TCustomHelpSystem(QObject* AOwner) : QObject(AOwner) {}

TCustomHelpSystem::~TCustomHelpSystem()
{
    FHHelp.reset();
    if (HtmlHelp)
        HelpViewerRequest(QString(), HH_CLOSE_ALL, 0);
}

void TCustomHelpSystem::SetActive(bool Value)
{
    if (Value == GetActive())
        return;
    if (Value)
        FHHelp = std::make_unique<THookHelpSystem>(FHelpfile, QString(), THostType::htHHAPI);
    else
        FHHelp.reset();
}

void TCustomHelpSystem::Open()
{
    if (!FHHelp || !HtmlHelp) {
        ShowHelpUnavailable();
        return;
    }
    HelpViewerRequest(FHHelp->ChmFile(), HH_DISPLAY_TOPIC, 0);
}

void TCustomHelpSystem::Open(int32_t Topic)
{
    if (!FHHelp || !HtmlHelp) {
        ShowHelpUnavailable();
        return;
    }
    HelpViewerRequest(FHelpfile, HH_HELP_CONTEXT, quintptr(uint32_t(Topic)));
}

void TCustomHelpSystem::ShowHelpUnavailable()
{
    HelpTrace(QStringLiteral("Help requested while help is not available"));
    QMessageBox box(QMessageBox::Information, QGuiApplication::applicationDisplayName(),
                    QStringLiteral("Help is not available."), QMessageBox::Ok,
                    QApplication::activeWindow(), DialogFrameFlags());
    box.exec();
}
