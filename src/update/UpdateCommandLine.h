#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <variant>

/// What `tallybrook-cli update-check` was asked to do.
struct UpdateCheckCommandLine
{
    std::optional<std::string> site; ///< --site: the maker's site instead of MakerSiteUrl()
};

/// Reads "[--site URL]"; on a mistake, the text that names it.
std::variant<UpdateCheckCommandLine, std::string>
ParseUpdateCheckCommandLine(std::span<const std::string> args);

/// Runs the update check now, whatever LastUpdateCheck says and without changing it; prints
/// "code N" and, for code 0, "available VERSION". Returns 0.
int RunUpdateCheckCommandLine(const UpdateCheckCommandLine& command, std::ostream& out);
