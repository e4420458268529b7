#include "dialogs/Settings.h"

#include "ini/IniDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString SettingsFilePath()
{
    return LocateSettingsFile(QCoreApplication::applicationFilePath(),
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
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

QString ChooseSettingsPath(const QString& ExecutablePath, const QString& ConfigFolder,
                           const TSettingsProbes& Probes)
{
    const QString beside = SettingsPathFor(ExecutablePath);
    if (ConfigFolder.isEmpty() || Probes.Exists(beside) ||
        Probes.Writable(QFileInfo(beside).absolutePath()))
        return beside;
    return QDir(ConfigFolder).filePath(QFileInfo(beside).fileName());
}

QString LocateSettingsFile(const QString& ExecutablePath, const QString& ConfigFolder)
{
    const TSettingsProbes probes{
        [](const QString& File) { return QFileInfo::exists(File); },
        // Asks the system (access(2)), so read-only mounts and ACLs count too.
        [](const QString& Folder) {
            const QFileInfo folder(Folder);
            return folder.isDir() && folder.isWritable();
        }};
    return ChooseSettingsPath(ExecutablePath, ConfigFolder, probes);
}

void MakeSettingsFolder(const QString& SettingsPath)
{
    // Should it fail, the save that follows reports why.
    QDir().mkpath(QFileInfo(SettingsPath).absolutePath());
}

QString ReasonOf(const std::exception& Error, const QString& Path)
{
    const auto* iniError = dynamic_cast<const EIniFileError*>(&Error);
    if (!iniError)
        return QString::fromLocal8Bit(Error.what());
    const QString message = iniError->message();
    for (const char* verb : {"read", "write"}) {
        const QString prefix = QStringLiteral("Cannot %1 \"%2\": ").arg(QLatin1String(verb), Path);
        if (message.startsWith(prefix))
            return message.mid(prefix.size());
    }
    return message;
}
