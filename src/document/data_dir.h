// Where the last-data and preference files live: the user's data directory,
// $XDG_DATA_HOME/tarvella, or ~/.local/share/tarvella when that variable is unset or relative;
// on Windows %APPDATA%\Tarvella.
#pragma once

#include <string>

namespace tarvella {

inline constexpr const char* kNoDataDirMessage = "Cannot find windows directory";

// Empty when neither variable gives an absolute directory. Null arguments count as unset.
std::string UserDataDirectory(const char* xdgDataHome, const char* home);

// The directory of this platform, from the environment; empty when it gives none.
std::string DefaultUserDataDirectory();

// Makes the directory and its parents; false when it cannot be made or is not a directory.
bool MakeDataDirectory(const std::string& dir);

}  // namespace tarvella
