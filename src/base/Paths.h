#pragma once

#include <string>

/// The folder of the running program, ending in "/"; "" when it cannot be found.
std::string GetProgramDir();
/// $XDG_DATA_HOME (or ~/.local/share) followed by /Quorvel/Tallybrook; not created here.
std::string GetAppDataDir();
/// The name beside the program when a file or folder of that path exists there; otherwise
/// the name under the application-data folder, whether or not that exists.
std::string ResolveDataFile(const std::string& name);
/// ResolveDataFile("qvtb.ini"), evaluated anew at every call.
std::string GetIniPath();
/// The folder of GetIniPath(), ending in "/".
std::string GetIniDir();
/// GetIniDir() + "temp"; every call tries to create that folder (failures are ignored).
std::string GetTempDir();
/// Joins two path parts with exactly one "/" between them.
std::string JoinPath(const std::string& left, const std::string& right);
