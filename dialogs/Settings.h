#pragma once
// Where the options are kept between runs, and the names and defaults of their keys.
// Everything that reads or writes the settings file takes its names from here.

#include <QString>

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

} // namespace Settings

// The settings file of this program: beside the executable, named after it, ".ini".
QString SettingsFilePath();

// The settings file that belongs to an executable at ExecutablePath: its last extension
// replaced by ".ini", or ".ini" appended when it has none.
QString SettingsPathFor(const QString& ExecutablePath);
