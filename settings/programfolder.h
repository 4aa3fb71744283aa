#pragma once

#include <QString>

namespace quenby {

// The settings file and the saved-texts file, both in the program's folder.
inline constexpr char kSettingsFileName[] = "qnb.ini";
inline constexpr char kSavedTextsFileName[] = "qnbtext.ini";

// The folder's path, "/" and the file name, without looking at whether the
// folder's path already ends with a separator. No folder (the empty string)
// gives no path (the empty string), which every file access refuses with
// noProgramFolderReason().
QString joinPath(const QString& folder, const QString& fileName);

// The folder where the settings file and the saved-texts file live, for a
// program whose executable is in executableDir: that folder when the program
// may write there and it is not under /usr; otherwise (a copy installed in a
// system folder, or any copy under /usr, even run by root) the user's
// configuration folder for the application, where QStandardPaths'
// AppConfigLocation puts it (~/.config/quenby for the application name
// "quenby"): an absolute $XDG_CONFIG_HOME, else .config in the home folder,
// which is $HOME or, where that is unset, empty, relative or "/", the one the
// password database names. The empty string when there is no such folder
// (no home folder, or one that is "/" or missing). Only chooses: nothing is
// created.
QString programFolder(const QString& executableDir);

// Why programFolder finds no configuration folder, in words for a message
// ("there is no folder to keep the settings in: ..."); empty when it finds
// one.
QString noProgramFolderReason();

// Creates the program folder when it does not exist: its missing parents as
// any folder, the folder itself open to its owner alone (0700), since the
// files kept there hold what the user typed. A folder that exists already is
// left as it is; no folder (the empty string) makes nothing. A failure is
// left to the first write to find and report.
void makeProgramFolder(const QString& folder);

} // namespace quenby
