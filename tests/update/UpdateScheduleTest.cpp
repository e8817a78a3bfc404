#include "update/UpdateSchedule.h"

#include "base/Paths.h"
#include "base/Settings.h"
#include "data/DateTime.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

namespace
{
// Sets TZ for the life of the object; the C library re-reads it on both sides.
class ScopedTimeZone
{
    struct Reread
    {
        ~Reread() { tzset(); }
    } m_reread; // destroyed after m_env has put the old TZ back
    ScopedEnv m_env;

public:
    explicit ScopedTimeZone(const char* zone) : m_env("TZ", zone) { tzset(); }
};

std::int64_t LocalTime(int year, int month, int day, int hour, int minute)
{
    DateTime local;
    local.year = year;
    local.month = month;
    local.day = day;
    local.hour = hour;
    local.minute = minute;
    return FromLocalCalendar(local);
}

const char* const Zones[] = {"UTC", "Europe/Berlin", "America/New_York"};

/// A settings file of its own under a fresh application-data folder.
class StartupUpdateCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_temp.Path() / "Quorvel" / "Tallybrook");
        ASSERT_EQ(GetIniPath(), (m_temp.Path() / "Quorvel/Tallybrook/qvtb.ini").string());
    }

    static std::string LastCheck() { return GetSetting("LastUpdateCheck", "Settings"); }
    static void SetLastCheck(const std::string& text)
    {
        WriteSetting("LastUpdateCheck", text, "Settings");
    }

    /// The whole start-up check as the main window runs it, with the site given.
    static UpdateCheckCode RunCheck(const std::string& site, std::int64_t now, bool& asked)
    {
        asked = false;
        if (!BeginStartupUpdateCheck(now))
            return UpdateCheckCode::NoUpdate;
        CAutoUpdater updater(site, "8.1.0");
        updater.SetTimeouts(1000, 1500);
        UpdateCheckCode code = updater.CheckForUpdate().code;
        asked = FinishStartupUpdateCheck(code, now);
        return code;
    }

    TempDir m_temp;
    ScopedEnv m_dataHome{"XDG_DATA_HOME", m_temp.Path().string()};
};
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

TEST_F(StartupUpdateCheck, FirstStartOnlyWritesTheDate)
{
    int requests = 0;
    LoopbackHttpServer site(
        [&requests](const LoopbackHttpServer::Request&) -> LoopbackHttpServer::Reply
        {
            ++requests;
            return {200, "9.0", "text/plain", "", 0, false};
        });
    std::int64_t now = LocalTime(2024, 5, 10, 8, 0);
    bool asked = true;
    RunCheck(site.BaseUrl(), now, asked);
    EXPECT_EQ(LastCheck(), "2024-05-10");
    EXPECT_FALSE(asked);
    EXPECT_EQ(requests, 0);
}

TEST_F(StartupUpdateCheck, SixDaysAgoNoCheckEightDaysAgoACheckThatWritesTheDate)
{
    LoopbackHttpServer site([](const LoopbackHttpServer::Request&) -> LoopbackHttpServer::Reply
                            { return {200, "8.1.1", "text/plain", "", 0, false}; });
    std::int64_t now = LocalTime(2024, 5, 10, 8, 0);
    bool asked = true;

    SetLastCheck("2024-05-04");
    RunCheck(site.BaseUrl(), now, asked);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(site.Requests().empty());
    EXPECT_EQ(LastCheck(), "2024-05-04");

    SetLastCheck("2024-05-02");
    EXPECT_EQ(RunCheck(site.BaseUrl(), now, asked), UpdateCheckCode::Available);
    EXPECT_TRUE(asked);
    EXPECT_EQ(site.Requests().size(), 1u);
    EXPECT_EQ(LastCheck(), "2024-05-10");
}

TEST_F(StartupUpdateCheck, NoUpdateWritesTheDateWithoutAsking)
{
    LoopbackHttpServer site([](const LoopbackHttpServer::Request&) -> LoopbackHttpServer::Reply
                            { return {200, "8.2\n", "text/plain", "", 0, false}; });
    std::int64_t now = LocalTime(2024, 5, 10, 8, 0);
    SetLastCheck("2024-01-01");
    bool asked = true;
    EXPECT_EQ(RunCheck(site.BaseUrl(), now, asked), UpdateCheckCode::NoUpdate);
    EXPECT_FALSE(asked);
    EXPECT_EQ(LastCheck(), "2024-05-10");
}

TEST_F(StartupUpdateCheck, FailedChecksLeaveTheDateSoTheNextStartTriesAgain)
{
    std::int64_t now = LocalTime(2024, 5, 10, 8, 0);
    bool asked = true;
    SetLastCheck("2024-01-01");

    std::string closed = "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort());
    EXPECT_EQ(RunCheck(closed, now, asked), UpdateCheckCode::NotOpened);
    EXPECT_FALSE(asked);
    EXPECT_EQ(LastCheck(), "2024-01-01");

    LoopbackHttpServer missing([](const LoopbackHttpServer::Request&) -> LoopbackHttpServer::Reply
                               { return {404, "", "text/plain", "", 0, false}; });
    EXPECT_EQ(RunCheck(missing.BaseUrl(), now, asked), UpdateCheckCode::NotOpened);
    EXPECT_EQ(LastCheck(), "2024-01-01");

    LoopbackHttpServer empty([](const LoopbackHttpServer::Request&) -> LoopbackHttpServer::Reply
                             { return {200, "", "text/plain", "", 0, false}; });
    EXPECT_EQ(RunCheck(empty.BaseUrl(), now, asked), UpdateCheckCode::NothingRead);
    EXPECT_EQ(LastCheck(), "2024-01-01");

    for (UpdateCheckCode code : {UpdateCheckCode::NoConnection, UpdateCheckCode::NoOwnVersion})
    {
        EXPECT_FALSE(FinishStartupUpdateCheck(code, now));
        EXPECT_EQ(LastCheck(), "2024-01-01");
    }
}
