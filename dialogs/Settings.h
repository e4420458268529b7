#pragma once
// Where the options are kept between runs, and the names and defaults of their keys.
// Everything that reads or writes the settings file takes its names from here.

#include <QString>

#include <exception>
#include <functional>

namespace Settings {

inline const QString Section = QStringLiteral("Options");

inline const QString KeyPlayerName = QStringLiteral("PlayerName");
inline const QString KeyDealer = QStringLiteral("Dealer");
inline const QString KeySkillLevel = QStringLiteral("SkillLevel");
inline const QString KeyBestOf = QStringLiteral("BestOf");
inline const QString KeyAnimSpeed = QStringLiteral("AnimSpeed");

// Used when a key is missing (and, for the numbers, when its value is no integer). A
// first run plays at Medium speed even though the dialog's own first choice is Fast.
inline const QString DefaultPlayerName = QStringLiteral("Player");
inline constexpr int DefaultDealer = 0;     // Computer
inline constexpr int DefaultSkillLevel = 0; // Rookie
inline constexpr int DefaultBestOf = 0;     // 1 Game
inline constexpr int DefaultAnimSpeed = 1;  // Medium

// How large the table is drawn, in percent of its designed size; kept apart from the
// options so that those stay as the options dialog writes them.
inline const QString ViewSection = QStringLiteral("View");
inline const QString KeyZoom = QStringLiteral("Zoom");
inline constexpr int DefaultZoom = 100;
inline constexpr int MinZoom = 100; // the designed size
inline constexpr int MaxZoom = 800; // a guard against nonsense, far beyond any screen
// What the table shows beyond the bare game: the slots the player may play to, and the
// outcome of every shot.
inline const QString KeyShowPlayable = QStringLiteral("ShowPlayableSlots");
inline constexpr bool DefaultShowPlayable = true;
inline const QString KeyAnnounceShots = QStringLiteral("AnnounceGoalsAndSaves");
inline constexpr bool DefaultAnnounceShots = true;
// The window over the whole screen (F11).
inline const QString KeyFullScreen = QStringLiteral("FullScreen");
inline constexpr bool DefaultFullScreen = false;

} // namespace Settings

// The settings file of this program, named after the executable with ".ini". It lives
// beside the executable when it is there already or that folder takes new files (a
// portable copy, the build tree); an installed copy keeps it in the user's configuration
// folder instead, which is created only when a save needs it (MakeSettingsFolder).
QString SettingsFilePath();

// The settings file that belongs to an executable at ExecutablePath: its last extension
// replaced by ".ini", or ".ini" appended when it has none.
QString SettingsPathFor(const QString& ExecutablePath);

// What the choice of the settings file's place needs to know about the file system.
struct TSettingsProbes
{
    std::function<bool(const QString& File)> Exists;
    std::function<bool(const QString& Folder)> Writable; // new files can be made there
};

// The place of the settings file of ExecutablePath: SettingsPathFor(ExecutablePath) when
// that file exists or its folder is writable, otherwise a file of the same name in
// ConfigFolder. Without a ConfigFolder the file stays beside the executable.
QString ChooseSettingsPath(const QString& ExecutablePath, const QString& ConfigFolder,
                           const TSettingsProbes& Probes);

// ChooseSettingsPath on the real file system. Creates nothing: a run that never saves
// leaves no trace.
QString LocateSettingsFile(const QString& ExecutablePath, const QString& ConfigFolder);

// Creates the folder that is to hold the settings file at SettingsPath, when it is missing.
void MakeSettingsFolder(const QString& SettingsPath);

// The system's reason for a failed read or write of the file at Path, without the file's
// name, which the player's message names already.
QString ReasonOf(const std::exception& Error, const QString& Path);
