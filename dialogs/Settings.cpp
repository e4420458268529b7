#include "dialogs/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>

QString SettingsFilePath()
{
    return SettingsPathFor(QCoreApplication::applicationFilePath());
}

QString SettingsPathFor(const QString& ExecutablePath)
{
    const QFileInfo exe(ExecutablePath);
    // Only the name's own extension counts: a dot in a folder name is not one.
    const QString name = exe.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? name : name.left(dot);
    const QString folder = ExecutablePath.left(ExecutablePath.size() - name.size());
    return folder + base + QStringLiteral(".ini");
}
