#pragma once

#include <QString>

namespace quenby {

// The settings file and the saved-texts file, both in the program's folder.
inline constexpr char kSettingsFileName[] = "qnb.ini";
inline constexpr char kSavedTextsFileName[] = "qnbtext.ini";

// The folder's path, "/" and the file name, without looking at whether the
// folder's path already ends with a separator.
QString joinPath(const QString& folder, const QString& fileName);

// The folder where the settings file and the saved-texts file live, for a
// program whose executable is in executableDir: that folder when the program
// may write there and it is not under /usr; otherwise (a copy installed in a
// system folder, or any copy under /usr, even run by root) the user's
// configuration folder for the application, QStandardPaths'
// AppConfigLocation (~/.config/quenby for the application name "quenby").
// Only chooses: nothing is created.
QString programFolder(const QString& executableDir);

} // namespace quenby
