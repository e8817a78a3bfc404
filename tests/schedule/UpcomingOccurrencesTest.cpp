// What the schedules have coming up in the next days: those due and not entered, then each
// occurrence to the last day looked at, by date and schedule.

#include "schedule/UpcomingOccurrences.h"

#include "schedule/ScheduleStore.h"
#include "transfer/TransferTestDatabase.h"

#include <string>
#include <vector>

namespace
{
DateTime Day(int year, int month, int day)
{
    return DateTime{year, month, day, 0, 0, 0};
}

/// A schedule of Checking ("C") repeating on the day of its first date.
Schedule Repeating(const std::string& description, RepeatUnit unit, DateTime first)
{
    Schedule schedule;
    schedule.accountId = "C";
    schedule.description = description;
    schedule.amount = Currency::Parse("-12.5").value_or(Currency());
    schedule.rule.unit = unit;
    schedule.rule.first = first;
    return schedule;
}

class ComingUp : public TransferTest
{
protected:
    /// The occurrences as "ID|DATE|DESCRIPTION".
    std::vector<std::string> Upcoming(const DateTime& today, int days = 14)
    {
        std::vector<std::string> upcoming;
        for (const UpcomingOccurrence& o : UpcomingOccurrences(Db(), today, days))
            upcoming.push_back(std::to_string(o.scheduleId) + "|" + ToIsoDayText(o.date) + "|" +
                               o.description);
        return upcoming;
    }

    /// Enters the first occurrence due on a day.
    void EnterFirstDue(const DateTime& today)
    {
        std::vector<DueOccurrence> due = DueOccurrences(Db(), today);
        ASSERT_FALSE(due.empty());
        ASSERT_TRUE(EnterOccurrence(Db(), due.front()));
    }
};
} // namespace

TEST_F(ComingUp, ListsTheFourteenthDayAheadButNotTheFifteenth)
{
    // February 2026 has 28 days: February 20 + 14 is March 6, + 15 March 7.
    AddSchedule(Db(), Repeating("Rent", RepeatUnit::Months, Day(2026, 3, 6)));
    AddSchedule(Db(), Repeating("Water", RepeatUnit::Months, Day(2026, 3, 7)));
    EXPECT_EQ(Upcoming(Day(2026, 2, 20)), std::vector<std::string>{"1|2026-03-06|Rent"});
    EXPECT_EQ(Upcoming(Day(2026, 2, 21)),
              (std::vector<std::string>{"1|2026-03-06|Rent", "2|2026-03-07|Water"}));
    EXPECT_EQ(Upcoming(Day(2026, 2, 19)), std::vector<std::string>{});
}

TEST_F(ComingUp, ListsEachOccurrenceByDateThenSchedule)
{
    // Bills (1) monthly on the 19th; Lunch (2) weekly from March 12: 12, 19, then 26, which
    // is past March 24; Gas (3) monthly on the 15th.
    AddSchedule(Db(), Repeating("Bills", RepeatUnit::Months, Day(2026, 3, 19)));
    AddSchedule(Db(), Repeating("Lunch", RepeatUnit::Weeks, Day(2026, 3, 12)));
    AddSchedule(Db(), Repeating("Gas", RepeatUnit::Months, Day(2026, 3, 15)));
    EXPECT_EQ(Upcoming(Day(2026, 3, 10)),
              (std::vector<std::string>{"2|2026-03-12|Lunch", "3|2026-03-15|Gas",
                                        "1|2026-03-19|Bills", "2|2026-03-19|Lunch"}));
    std::vector<UpcomingOccurrence> upcoming = UpcomingOccurrences(Db(), Day(2026, 3, 10));
    ASSERT_FALSE(upcoming.empty());
    EXPECT_EQ(upcoming[0].accountId, "C");
    EXPECT_EQ(upcoming[0].amount.ToPointText(), "-12.50");
    // Fewer days look less far.
    EXPECT_EQ(Upcoming(Day(2026, 3, 10), 2), std::vector<std::string>{"2|2026-03-12|Lunch"});
}

TEST_F(ComingUp, ADueOccurrenceStaysUntilEnteredThenTheListMovesOn)
{
    // Weekly from March 3: March 3 is a week before today and still not entered.
    AddSchedule(Db(), Repeating("Lunch", RepeatUnit::Weeks, Day(2026, 3, 3)));
    const DateTime today = Day(2026, 3, 10);
    EXPECT_EQ(Upcoming(today),
              (std::vector<std::string>{"1|2026-03-03|Lunch", "1|2026-03-10|Lunch",
                                        "1|2026-03-17|Lunch", "1|2026-03-24|Lunch"}));
    EnterFirstDue(today);
    EXPECT_EQ(Upcoming(today), (std::vector<std::string>{"1|2026-03-10|Lunch", "1|2026-03-17|Lunch",
                                                         "1|2026-03-24|Lunch"}));
    // Only the days due are listed when no day ahead is looked at.
    EXPECT_EQ(Upcoming(today, 0), std::vector<std::string>{"1|2026-03-10|Lunch"});
}

TEST_F(ComingUp, AScheduleThatHasEndedListsNothing)
{
    // Twice, on March 1 and 8; without the end, March 15 and 22 would come up.
    Schedule twice = Repeating("Lunch", RepeatUnit::Weeks, Day(2026, 3, 1));
    twice.rule.times = 2;
    AddSchedule(Db(), twice);
    const DateTime today = Day(2026, 3, 10);
    EXPECT_EQ(Upcoming(today).size(), 2U);
    EnterFirstDue(today);
    EnterFirstDue(today);
    EXPECT_EQ(Upcoming(today), std::vector<std::string>{});
}
