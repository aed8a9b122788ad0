#pragma once

#include <QString>

namespace oxeln {

// Where the settings file lives. Beside the executable (a copy run from a
// USB stick keeps its settings with it) whenever that file, or its folder
// while there is no file yet, may be written; otherwise in the user's own
// configuration folder (an installed program in a folder of the system).

// Whether settings can be kept in the file at path: an existing regular file
// that is not write-protected and may be written (in place if need be), or no
// file yet in a folder that takes new files.
bool canKeepSettingsAt(const QString &path);

// The file named fileName in the folder "oxeln" of the user's configuration
// folder ($XDG_CONFIG_HOME, else ~/.config).
QString userSettingsPath(const QString &fileName);

// The settings file to read at start. When the file beside the executable
// cannot be written but exists and the user has no file of their own yet,
// it is still the one read: the first save then moves the settings to the
// user's file (see TFormPlacement::setFallbackIniFileName).
QString settingsFileForExecutable(const QString &executablePath);

// Makes the folder of the user's file and, when that file does not exist
// yet, starts it as a copy of from, so that nothing it held is lost. Best
// effort: a failure shows when the settings are written.
void prepareUserSettingsFile(const QString &from, const QString &to);

} // namespace oxeln
