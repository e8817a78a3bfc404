// Scheduled transactions in the database: stored and read back, their due occurrences, each
// entered once as a register row, and a rule edited without entering a day twice.

#include "schedule/ScheduleStore.h"

#include "data/DatabaseError.h"
#include "support/RegionEnv.h"
#include "transfer/TransferTestDatabase.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{
DateTime Day(int year, int month, int day)
{
    return DateTime{year, month, day, 0, 0, 0};
}

Currency Money(const char* text)
{
    return Currency::Parse(text).value_or(Currency());
}

/// A schedule of Checking ("C") repeating monthly on the day of its first date.
Schedule Monthly(const std::string& description, const char* amount, DateTime first)
{
    Schedule schedule;
    schedule.accountId = "C";
    schedule.description = description;
    schedule.amount = Money(amount);
    schedule.rule.first = first;
    return schedule;
}

std::string DayText(const std::optional<DateTime>& day)
{
    return day ? ToIsoDayText(*day) : "-";
}

/// Every field of a schedule: ID, account, description, amount, category, notes, check,
/// rule words, day of the month, first, until, times, next index, auto|ask.
std::string Fields(const Schedule& s)
{
    const ScheduleRule& rule = s.rule;
    return std::to_string(s.id) + "|" + s.accountId + "|" + s.description + "|" +
           s.amount.ToPointText() + "|" + s.category + "|" + s.notes + "|" + s.checkId + "|" +
           RuleText(rule) + "|" + std::to_string(rule.dayOfMonth) + "|" + DayText(rule.first) +
           "|" + DayText(rule.until) + "|" + (rule.times ? std::to_string(*rule.times) : "-") +
           "|" + std::to_string(s.nextIndex) + "|" + (s.askFirst ? "ask" : "auto");
}

/// "FIRST NEXTINDEX TIMES: " and the next three days from the next index.
std::string Counted(const Schedule& s)
{
    std::string text = DayText(s.rule.first) + " " + std::to_string(s.nextIndex) + " " +
                       (s.rule.times ? std::to_string(*s.rule.times) : "-") + ":";
    for (int k = 0; k < 3; ++k)
        text += " " + DayText(OccurrenceAt(s.rule, s.nextIndex + k));
    return text;
}

class ScheduleStore : public TransferTest
{
protected:
    /// The due occurrences as "ID|DATE|INDEX|AMOUNT".
    std::vector<std::string> Due(const DateTime& today)
    {
        std::vector<std::string> due;
        for (const DueOccurrence& o : DueOccurrences(Db(), today))
            due.push_back(std::to_string(o.scheduleId) + "|" + ToIsoDayText(o.date) + "|" +
                          std::to_string(o.index) + "|" + o.amount.ToPointText());
        return due;
    }

    std::vector<std::int32_t> Ids()
    {
        std::vector<std::int32_t> ids;
        for (const Schedule& schedule : ReadSchedules(Db()))
            ids.push_back(schedule.id);
        return ids;
    }

    int NextIndexOf(std::int32_t id)
    {
        return ReadSchedule(Db(), id).value_or(Schedule{}).nextIndex;
    }

    /// The PostDate texts of the rows, in Sequence order, as the engine holds them.
    std::vector<std::string> PostDates()
    {
        std::vector<std::string> dates;
        sqlite3_stmt* read = nullptr;
        sqlite3_prepare_v2(Db().Handle(), "SELECT PostDate FROM Trans ORDER BY Sequence", -1, &read,
                           nullptr);
        while (sqlite3_step(read) == SQLITE_ROW)
            dates.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(read, 0)));
        sqlite3_finalize(read);
        return dates;
    }
};
} // namespace

TEST_F(ScheduleStore, StoresReadsChangesAndDeletesSchedules)
{
    Schedule rent = Monthly("Rent", "-850", Day(2026, 1, 31));
    rent.category = "Rent";
    rent.notes = "flat 3";
    rent.checkId = "EFT";
    rent.rule.times = 12;
    rent.askFirst = true;
    Schedule gym = Monthly("Gym", "-30", Day(2026, 1, 5));
    gym.accountId = "K";
    gym.rule.unit = RepeatUnit::Weeks;
    gym.rule.every = 2;
    gym.rule.until = Day(2026, 6, 30);
    EXPECT_EQ(AddSchedule(Db(), rent), 1);
    EXPECT_EQ(AddSchedule(Db(), gym), 2);
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{2, 1})) << "Gym's January 5 before Rent's 31st";
    EXPECT_EQ(Fields(ReadSchedules(Db())[1]),
              "1|C|Rent|-850.00|Rent|flat 3|EFT|monthly|0|2026-01-31|-|12|0|ask");
    EXPECT_EQ(Fields(ReadSchedules(Db())[0]),
              "2|K|Gym|-30.00||||weekly:2|0|2026-01-05|2026-06-30|-|0|auto");

    // The texts, amount and asking change; a next index given is not looked at.
    rent.id = 1;
    rent.description = "Rent and parking";
    rent.amount = Money("-900");
    rent.askFirst = false;
    rent.nextIndex = 5;
    UpdateSchedule(Db(), rent);
    EXPECT_EQ(Fields(ReadSchedule(Db(), 1).value_or(Schedule{})),
              "1|C|Rent and parking|-900.00|Rent|flat 3|EFT|monthly|0|2026-01-31|-|12|0|auto");

    // A schedule whose only occurrence is skipped has ended: last, whatever its first date.
    Schedule deposit = Monthly("Deposit", "500", Day(2025, 12, 1));
    deposit.rule.times = 1;
    EXPECT_EQ(AddSchedule(Db(), deposit), 3);
    std::vector<DueOccurrence> due = DueOccurrences(Db(), Day(2025, 12, 1));
    ASSERT_EQ(due.size(), 1U);
    EXPECT_TRUE(SkipOccurrence(Db(), due[0]));
    EXPECT_FALSE(NextDate(ReadSchedule(Db(), 3).value_or(Schedule{})).has_value());
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{2, 1, 3}));
    EXPECT_EQ(Count("Trans"), 0) << "skipping writes no row";

    DeleteSchedule(Db(), 2);
    EXPECT_FALSE(ReadSchedule(Db(), 2).has_value());
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{1, 3}));
}

TEST_F(ScheduleStore, RefusesAScheduleItCannotEnter)
{
    struct Case
    {
        const char* what;
        std::function<void(Schedule&)> change;
        std::string refusal;
    };
    const Case cases[] = {
        {"unknown account", [](Schedule& s) { s.accountId = "Z"; }, "There is no account 'Z'."},
        {"no register", [](Schedule& s) { s.accountId = "I"; },
         "The account 'I' has no register to enter transactions in."},
        {"ends before it starts", [](Schedule& s) { s.rule.until = Day(2026, 1, 30); },
         "The rule gives no day to enter the transaction on: it ends before its first date."},
        {"0 times", [](Schedule& s) { s.rule.times = 0; },
         "The rule gives no day to enter the transaction on: it ends before its first date."},
        {"every 0 months", [](Schedule& s) { s.rule.every = 0; },
         "The rule must repeat every 1 or more days, weeks, months or years."},
        {"transfer to no account", [](Schedule& s) { s.category = "[Nowhere]"; },
         "There is no Bank, Cash or Credit Card account 'Nowhere' to transfer to."},
        {"transfer to itself", [](Schedule& s) { s.category = "[Checking]"; },
         "A transfer cannot go to the account it comes from."},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Schedule schedule = Monthly("Rent", "-850", Day(2026, 1, 31));
        c.change(schedule);
        EXPECT_EQ(ScheduleRefusal(Db(), schedule), c.refusal);
        EXPECT_THROW(AddSchedule(Db(), schedule), DatabaseError);
    }
    EXPECT_EQ(Count("Schedule"), 0);
    EXPECT_EQ(ScheduleRefusal(Db(), Monthly("Rent", "-850", Day(2026, 1, 31))), "");
}

TEST_F(ScheduleStore, ListsEveryMissedOccurrenceOldestFirst)
{
    // Water (1) from March 15, Rent (2) from January 15, three months before April 14, Lunch
    // (3) weekly from March 30, Insurance (4) yearly from May 1, not due yet.
    AddSchedule(Db(), Monthly("Water", "-40", Day(2026, 3, 15)));
    AddSchedule(Db(), Monthly("Rent", "-850", Day(2026, 1, 15)));
    Schedule lunch = Monthly("Lunch", "-12.5", Day(2026, 3, 30));
    lunch.rule.unit = RepeatUnit::Weeks;
    AddSchedule(Db(), lunch);
    Schedule insurance = Monthly("Insurance", "-300", Day(2026, 5, 1));
    insurance.rule.unit = RepeatUnit::Years;
    AddSchedule(Db(), insurance);
    // By date; on March 15 Water before Rent, by ID. April 15 is a day after today.
    const std::vector<std::string> due = {"2|2026-01-15|0|-850.00", "2|2026-02-15|1|-850.00",
                                          "1|2026-03-15|0|-40.00",  "2|2026-03-15|2|-850.00",
                                          "3|2026-03-30|0|-12.50",  "3|2026-04-06|1|-12.50",
                                          "3|2026-04-13|2|-12.50"};
    EXPECT_EQ(Due(Day(2026, 4, 14)), due);
    // Today's own occurrences are due: Water and Rent of April 15 join.
    EXPECT_EQ(Due(Day(2026, 4, 15)).size(), due.size() + 2);
    EXPECT_EQ(Due(Day(2026, 1, 14)), std::vector<std::string>{});
}

TEST_F(ScheduleStore, EntersARowAsTheRegisterWritesOneAtLocalMidnight)
{
    struct Zone
    {
        const char* name;
        DateTime day;
        const char* postDate;
    };
    const Zone zones[] = {
        {"Pacific/Auckland", Day(2026, 3, 15), "2026-03-15 00:00:00"},   // UTC+13
        {"America/Los_Angeles", Day(2026, 3, 8), "2026-03-08 00:00:00"}, // clocks change at 2:00
        // The clocks go from 23:59:59 to 1:00 that night: the day starts at 1:00.
        {"Asia/Beirut", Day(2026, 3, 29), "2026-03-29 01:00:00"},
    };
    std::int32_t id = 0;
    for (const Zone& zone : zones)
    {
        SCOPED_TRACE(zone.name);
        TimeZoneEnv tz(zone.name);
        Schedule rent = Monthly("Rent", "-850", zone.day);
        rent.category = "Rent";
        rent.notes = "flat 3";
        rent.checkId = "EFT";
        id = AddSchedule(Db(), rent);
        std::vector<DueOccurrence> due = DueOccurrences(Db(), zone.day);
        ASSERT_EQ(due.size(), 1U);
        EXPECT_TRUE(EnterOccurrence(Db(), due[0]));
        EXPECT_EQ(PostDates().back(), zone.postDate);
        // Each schedule enters the next row: its Sequence is the schedule's ID.
        EXPECT_EQ(Rows("SELECT AccountID, Sequence, SubSequence, [Year], Period, Category, "
                       "Amount, Description, CheckID, PayeeName FROM Trans WHERE ScheduleID = " +
                       std::to_string(id)),
                  std::vector<std::string>{"C|" + std::to_string(id) +
                                           "|0|2026|3|Rent|-850|Rent|"
                                           "EFT|flat 3"});
        EXPECT_EQ(NextIndexOf(id), 1);
    }
    // Three rows of -850; the budget has the month's line of the category.
    EXPECT_EQ(Balance("C"), "-2550");
    EXPECT_EQ(Count("Budget WHERE [Year] = 2026 AND Period = 3 AND Category = 'Rent'"), 1);
}

TEST_F(ScheduleStore, EntersEachOccurrenceOnceWithTheDateAndAmountGiven)
{
    AddSchedule(Db(), Monthly("Rent", "-850", Day(2026, 1, 15)));
    std::vector<DueOccurrence> due = DueOccurrences(Db(), Day(2026, 2, 20));
    ASSERT_EQ(due.size(), 2U);
    EXPECT_TRUE(EnterOccurrence(Db(), due[0]));
    EXPECT_FALSE(EnterOccurrence(Db(), due[0]));
    EXPECT_FALSE(SkipOccurrence(Db(), due[0]));
    EXPECT_TRUE(EnterOccurrence(Db(), due[1], Day(2026, 2, 16), Money("-870")));
    EXPECT_FALSE(EnterOccurrence(Db(), due[1]));
    EXPECT_EQ(Rows("SELECT Sequence, Period, Amount, ScheduleID FROM Trans ORDER BY Sequence"),
              (std::vector<std::string>{"1|1|-850|1", "2|2|-870|1"}));
    EXPECT_EQ(PostDates(),
              (std::vector<std::string>{"2026-01-15 00:00:00", "2026-02-16 00:00:00"}));
    EXPECT_EQ(Due(Day(2026, 3, 15)), std::vector<std::string>{"1|2026-03-15|2|-850.00"});
}

TEST_F(ScheduleStore, AnAccountInBracketsEntersBothSidesOfATransfer)
{
    Schedule saving = Monthly("To savings", "-250", Day(2026, 3, 10));
    saving.category = "[savings]";
    saving.notes = "rainy day";
    AddSchedule(Db(), saving);
    EXPECT_TRUE(EnterOccurrence(Db(), DueOccurrences(Db(), Day(2026, 3, 10)).at(0)));
    EXPECT_EQ(RowsOf("C"),
              (std::vector<std::string>{"2026-03-10|-250.00|To savings|rainy day|[Savings]"}));
    EXPECT_EQ(RowsOf("S"),
              (std::vector<std::string>{"2026-03-10|250.00|To savings|rainy day|[Checking]"}));
    EXPECT_EQ(LinkedRows(), 2);
    EXPECT_EQ(Balance("C"), "-250");
    EXPECT_EQ(Balance("S"), "250");
    // The other side was written by the transfer, not the schedule; between two budgeted
    // accounts it is no spending, so no budget line.
    EXPECT_EQ(Count("Trans WHERE ScheduleID IS NULL AND AccountID = 'S'"), 1);
    EXPECT_EQ(Count("Budget"), 0);
}

TEST_F(ScheduleStore, AFailedWriteLeavesNoRowAndTheOccurrenceDue)
{
    AddSchedule(Db(), Monthly("Rent", "-850", Day(2026, 1, 15)));
    std::vector<DueOccurrence> due = DueOccurrences(Db(), Day(2026, 1, 15));
    Db().Execute("CREATE TRIGGER RefuseRows BEFORE INSERT ON Trans BEGIN SELECT RAISE(ABORT, "
                 "'the disk is full'); END");
    EXPECT_THROW(EnterOccurrence(Db(), due[0]), DatabaseError);
    EXPECT_EQ(Count("Trans"), 0);
    EXPECT_EQ(NextIndexOf(1), 0);
    EXPECT_EQ(Db().TransactionDepth(), 0);
    ASSERT_EQ(sqlite3_exec(Db().Handle(), "DROP TRIGGER RefuseRows", nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_TRUE(EnterOccurrence(Db(), due[0]));
    EXPECT_EQ(Count("Trans"), 1);
}

TEST_F(ScheduleStore, TwoProgramsEnteringTheSameOccurrencesWriteEachOnce)
{
    AddSchedule(Db(), Monthly("Rent", "-850", Day(2026, 1, 15)));
    Database other(Db().Path(), OpenOptions{BackupWhen::Never, false});
    std::vector<DueOccurrence> here = DueOccurrences(Db(), Day(2026, 1, 20));
    std::vector<DueOccurrence> there = DueOccurrences(other, Day(2026, 1, 20));
    EXPECT_TRUE(EnterOccurrence(Db(), here[0]));
    EXPECT_FALSE(EnterOccurrence(other, there[0]));
    EXPECT_EQ(Count("Trans"), 1);

    // Both at once, each on its own connection, each entering the next three months.
    std::vector<DueOccurrence> due = DueOccurrences(Db(), Day(2026, 4, 20));
    ASSERT_EQ(due.size(), 3U);
    std::atomic<int> entered = 0;
    std::atomic<int> failures = 0;
    auto enterAll = [&]
    {
        try
        {
            Database connection(Db().Path(), OpenOptions{BackupWhen::Never, false});
            for (const DueOccurrence& occurrence : due)
                entered += EnterOccurrence(connection, occurrence) ? 1 : 0;
        }
        catch (const DatabaseError&)
        {
            ++failures;
        }
    };
    std::thread first(enterAll);
    std::thread second(enterAll);
    first.join();
    second.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(entered.load(), 3);
    EXPECT_EQ(Rows("SELECT Period FROM Trans ORDER BY Period"),
              (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(NextIndexOf(1), 4);
}

TEST_F(ScheduleStore, AnEditedRuleMovesOnlyTheOccurrencesToCome)
{
    // Monthly from January 31, 12 times; January 31 and February 28 entered, March 31 next.
    Schedule old = Monthly("Rent", "-850", Day(2026, 1, 31));
    old.rule.times = 12;
    old.nextIndex = 2;
    struct Case
    {
        const char* what;
        RepeatUnit unit;
        int every;
        int dayOfMonth;
        DateTime first;
        int times;
        const char* counted; ///< first date, next index, times: the next three days
    };
    const DateTime jan31 = Day(2026, 1, 31);
    const Case cases[] = {
        // From the old next date on, 12 less the 2 entered.
        {"weekly", RepeatUnit::Weeks, 1, 0, jan31, 12,
         "2026-03-31 0 10: 2026-03-31 2026-04-07 2026-04-14"},
        // The day of January 31 stays the day of the month.
        {"every 2 months", RepeatUnit::Months, 2, 0, jan31, 12,
         "2026-03-31 0 10: 2026-03-31 2026-05-31 2026-07-31"},
        // March 15 is before March 31: the first is April 15.
        {"on the 15th", RepeatUnit::Months, 1, 15, jan31, 12,
         "2026-04-15 0 10: 2026-04-15 2026-05-15 2026-06-15"},
        // A later first date holds.
        {"weekly from May 4", RepeatUnit::Weeks, 1, 0, Day(2026, 5, 4), 12,
         "2026-05-04 0 10: 2026-05-04 2026-05-11 2026-05-18"},
        // Only the end: counting goes on, March 31, April 30 and May 31.
        {"6 times", RepeatUnit::Months, 1, 0, jan31, 6,
         "2026-01-31 2 6: 2026-03-31 2026-04-30 2026-05-31"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ScheduleRule rule = old.rule;
        rule.unit = c.unit;
        rule.every = c.every;
        rule.dayOfMonth = c.dayOfMonth;
        rule.first = c.first;
        rule.times = c.times;
        EXPECT_EQ(Counted(WithRuleFrom(old, rule)), c.counted);
    }
    // Nothing entered: the rule as it is.
    Schedule fresh = old;
    fresh.nextIndex = 0;
    ScheduleRule weekly = old.rule;
    weekly.unit = RepeatUnit::Weeks;
    EXPECT_EQ(Counted(WithRuleFrom(fresh, weekly)),
              "2026-01-31 0 12: 2026-01-31 2026-02-07 2026-02-14");
}

TEST_F(ScheduleStore, AnEditStoredCountsFromTheScheduleAsStored)
{
    Schedule rent = Monthly("Rent", "-850", Day(2026, 1, 31));
    rent.id = AddSchedule(Db(), rent);
    std::vector<DueOccurrence> due = DueOccurrences(Db(), Day(2026, 3, 31));
    ASSERT_EQ(due.size(), 3U); // January 31, February 28, March 31
    EXPECT_TRUE(EnterOccurrence(Db(), due[0]));
    EXPECT_TRUE(EnterOccurrence(Db(), due[1]));
    // Read with February 28 entered; March 31 is entered before the edit is stored.
    Schedule edited = ReadSchedule(Db(), rent.id).value_or(Schedule{});
    EXPECT_TRUE(EnterOccurrence(Db(), due[2]));
    edited.rule.unit = RepeatUnit::Weeks;
    UpdateSchedule(Db(), edited);
    // Weekly from where the stored rule went next, April 30.
    EXPECT_EQ(Due(Day(2026, 5, 14)),
              (std::vector<std::string>{"1|2026-04-30|0|-850.00", "1|2026-05-07|1|-850.00",
                                        "1|2026-05-14|2|-850.00"}));
    EXPECT_EQ(Count("Trans"), 3);
    // An occurrence listed before an edit is not entered after it, and stays due.
    Schedule water = Monthly("Water", "-40", Day(2026, 6, 1));
    water.id = AddSchedule(Db(), water);
    std::vector<DueOccurrence> listed = DueOccurrences(Db(), Day(2026, 6, 1));
    water.rule.first = Day(2026, 6, 2);
    UpdateSchedule(Db(), water);
    EXPECT_FALSE(EnterOccurrence(Db(), listed.back()));
    EXPECT_EQ(NextIndexOf(water.id), 0);
    EXPECT_EQ(Count("Trans"), 3);
}
