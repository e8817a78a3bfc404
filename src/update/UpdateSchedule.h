#pragma once

#include "update/CAutoUpdater.h"

#include <cstdint>
#include <optional>
#include <string>

/// The least time between two start-up checks: 7 days.
constexpr std::int64_t UpdateCheckIntervalSeconds = 604800;
/// The question asked when the start-up check finds a newer version.
inline constexpr const char* UpdateQuestion =
    "An update is available, would you like to download it now?";

/// What the start-up check does, judged from LastUpdateCheck.
enum class UpdateCheckDue
{
    FirstStart, ///< nothing stored: store today's date, do not check
    NotDue,     ///< the last check is less than 7 days old
    Due
};

/// Reads a date stored as "%Y-%m-%d" by its fixed positions (year at 1 to 4, month at 6 and
/// 7, day at 9 and 10) as local midnight of that day, in seconds since 1970 UTC; nothing when
/// those positions do not hold a date.
std::optional<std::int64_t> ParseUpdateCheckDate(const std::string& text);
/// The local date of a point in time as "%Y-%m-%d".
std::string FormatUpdateCheckDate(std::int64_t now);

/// Decides from the stored text alone. A text that holds no date counts as a check long ago.
UpdateCheckDue DecideUpdateCheck(const std::string& lastCheckText, std::int64_t now);

/// The start-up check's first half, on the user-interface thread: reads LastUpdateCheck,
/// stores today's date when it is empty (the first start never checks), and says whether a
/// check is due now.
bool BeginStartupUpdateCheck(std::int64_t now);

/// The start-up check's last half, on the user-interface thread, after CheckForUpdate: stores
/// today's date for a completed check (codes 0 and 6); other codes leave the date, so the
/// next start tries again. True when the user is to be asked (code 0).
bool FinishStartupUpdateCheck(UpdateCheckCode code, std::int64_t now);
