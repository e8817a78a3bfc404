#include "update/UpdateSchedule.h"

#include "base/Settings.h"
#include "data/DateTime.h"
#include "support/ScopedLocale.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace
{
std::int64_t LocalTime(int year, int month, int day, int hour, int minute)
{
    return FromLocalCalendar(DateTime{year, month, day, hour, minute, 0});
}

const char* const Zones[] = {"UTC", "Europe/Berlin", "America/New_York"};
} // namespace

TEST(UpdateCheckDate, ReadsFixedPositionsAsLocalMidnight)
{
    for (const char* zone : Zones)
    {
        ScopedTimeZone tz(zone);
        SCOPED_TRACE(zone);
        EXPECT_EQ(ParseUpdateCheckDate("2024-03-31"), LocalTime(2024, 3, 31, 0, 0));
        // Only the positions count, not the separators or what follows.
        EXPECT_EQ(ParseUpdateCheckDate("2024/03/31 12:00"), LocalTime(2024, 3, 31, 0, 0));
        EXPECT_EQ(ParseUpdateCheckDate("2024-3-31"), std::nullopt);
        EXPECT_EQ(ParseUpdateCheckDate("2024-03-3"), std::nullopt);
        EXPECT_EQ(ParseUpdateCheckDate("2024-13-01"), std::nullopt);
        EXPECT_EQ(ParseUpdateCheckDate("2024-00-10"), std::nullopt);
        EXPECT_EQ(ParseUpdateCheckDate("yesterday!"), std::nullopt);

        // The local date, not the UTC one: 23:30 in the evening is still the same day.
        EXPECT_EQ(FormatUpdateCheckDate(LocalTime(2024, 3, 9, 23, 30)), "2024-03-09");
        EXPECT_EQ(FormatUpdateCheckDate(LocalTime(2024, 12, 31, 0, 0)), "2024-12-31");
    }
}

TEST(UpdateCheckDate, AtMostOnceInSevenDays)
{
    for (const char* zone : Zones)
    {
        ScopedTimeZone tz(zone);
        SCOPED_TRACE(zone);
        // Berlin moves its clocks on 31 March 2024: the interval is counted in seconds.
        std::int64_t now = LocalTime(2024, 4, 3, 9, 15);
        EXPECT_EQ(DecideUpdateCheck("", now), UpdateCheckDue::FirstStart);
        EXPECT_EQ(DecideUpdateCheck("2024-04-03", now), UpdateCheckDue::NotDue);
        EXPECT_EQ(DecideUpdateCheck("2024-03-28", now), UpdateCheckDue::NotDue); // six days
        EXPECT_EQ(DecideUpdateCheck("2024-03-27", now), UpdateCheckDue::Due);    // seven days
        EXPECT_EQ(DecideUpdateCheck("2024-03-26", now), UpdateCheckDue::Due);    // eight days
        // Midnight seven days ago is exactly the interval's start: not yet earlier.
        EXPECT_EQ(DecideUpdateCheck("2024-03-27", LocalTime(2024, 3, 27, 0, 0) + 604800),
                  UpdateCheckDue::NotDue);
        // A stored text that holds no date is no reason never to check again.
        EXPECT_EQ(DecideUpdateCheck("garbage", now), UpdateCheckDue::Due);
    }
}

TEST(StartupUpdateCheck, OnlyACompletedCheckStoresTheDateAndOnlyANewerVersionAsks)
{
    TempDir temp;
    ScopedEnv dataHome("XDG_DATA_HOME", temp.Path().string());
    std::filesystem::create_directories(temp.Path() / "Quorvel/Tallybrook");
    const std::int64_t now = LocalTime(2024, 5, 10, 8, 0);
    using Code = UpdateCheckCode;
    const struct
    {
        const char* stored;
        std::optional<Code> found; ///< what the check finds when it is due
        const char* after;         ///< LastUpdateCheck afterwards
        bool asked;
    } cases[] = {
        // The first start only stores the date; six days after a check nothing is due.
        {"", std::nullopt, "2024-05-10", false},
        {"2024-05-04", std::nullopt, "2024-05-04", false},
        {"2024-05-02", Code::Available, "2024-05-10", true},
        {"2024-01-01", Code::NoUpdate, "2024-05-10", false},
        // A failed check leaves the date, so the next start tries again.
        {"2024-01-01", Code::NotOpened, "2024-01-01", false},
        {"2024-01-01", Code::NothingRead, "2024-01-01", false},
        {"2024-01-01", Code::NoConnection, "2024-01-01", false},
        {"2024-01-01", Code::NoOwnVersion, "2024-01-01", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.stored) + " " +
                     (c.found ? std::to_string(static_cast<int>(*c.found)) : "-"));
        WriteSetting("LastUpdateCheck", c.stored, "Settings");
        ASSERT_EQ(BeginStartupUpdateCheck(now), c.found.has_value());
        EXPECT_EQ(c.found && FinishStartupUpdateCheck(*c.found, now), c.asked);
        EXPECT_EQ(GetSetting("LastUpdateCheck", "Settings"), c.after);
    }
}
