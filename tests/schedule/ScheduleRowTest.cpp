// A row of the Scheduled view read into a schedule: the words of Repeats, a moved Next date,
// the entry mode, and the refusals that put the cursor in the cell at fault.

#include "schedule/ScheduleRow.h"

#include "data/DatabaseError.h"
#include "data/ViewColumns.h"
#include "transfer/TransferTestDatabase.h"

#include <sqlite3.h>

#include <string>
#include <vector>

namespace
{
DateTime Day(int year, int month, int day)
{
    return DateTime{year, month, day, 0, 0, 0};
}

std::string DayText(const std::optional<DateTime>& day)
{
    return day ? ToIsoDayText(*day) : "-";
}

/// "NEXTINDEX TIMES ask|auto:" and the next three days of the schedule.
std::string Counted(const Schedule& s)
{
    std::string text = std::to_string(s.nextIndex) + " " +
                       (s.rule.times ? std::to_string(*s.rule.times) : "-") +
                       (s.askFirst ? " ask:" : " auto:");
    for (int k = 0; k < 3; ++k)
        text += " " + DayText(OccurrenceAt(s.rule, s.nextIndex + k));
    return text;
}

class ScheduleRowTest : public TransferTest
{
protected:
    /// Rent of Checking, monthly on the 15th from January 2026, two occurrences entered:
    /// next on 2026-03-15.
    Schedule Rent()
    {
        Schedule rent;
        rent.id = 1;
        rent.accountId = "C";
        rent.description = "Rent";
        rent.amount = Currency::FromUnits(-850 * 10000);
        rent.rule.first = Day(2026, 1, 15);
        rent.nextIndex = 2;
        return rent;
    }

    /// The row as the view shows the stored Rent.
    static ScheduleRowTexts Shown()
    {
        ScheduleRowTexts row;
        row.nextDate = Day(2026, 3, 15);
        row.accountId = "C";
        row.description = "Rent";
        row.amount = Currency::FromUnits(-850 * 10000);
        row.repeats = "Monthly on the 15th";
        row.entry = "Automatic";
        return row;
    }

    /// The newest schedule's shown columns as the engine holds them: "NEXTDATE|REPEATS|ENTRY".
    std::string ShownColumns()
    {
        sqlite3_stmt* read = nullptr;
        sqlite3_prepare_v2(Db().Handle(),
                           "SELECT NextDate || '|' || Repeats || '|' || Entry FROM Schedule "
                           "ORDER BY ScheduleID DESC",
                           -1, &read, nullptr);
        std::string shown;
        if (sqlite3_step(read) == SQLITE_ROW)
            shown = reinterpret_cast<const char*>(sqlite3_column_text(read, 0));
        sqlite3_finalize(read);
        return shown;
    }
};
} // namespace

TEST_F(ScheduleRowTest, AnEditedRowChangesOnlyTheOccurrencesToCome)
{
    struct Case
    {
        const char* what;
        std::optional<DateTime> next;
        const char* repeats;
        const char* entry;
        const char* counted;
    };
    const Case cases[] = {
        {"nothing changed", Day(2026, 3, 15), "Monthly on the 15th", "Automatic",
         "2 - auto: 2026-03-15 2026-04-15 2026-05-15"},
        {"blanks and case", Day(2026, 3, 15), "  monthly ON the 15th ", " ask ",
         "2 - ask: 2026-03-15 2026-04-15 2026-05-15"},
        {"the same days without the day", Day(2026, 3, 15), "Monthly", "",
         "2 - auto: 2026-03-15 2026-04-15 2026-05-15"},
        {"only an end added", Day(2026, 3, 15), "Monthly on the 15th, 5 times", "Automatic",
         "2 5 auto: 2026-03-15 2026-04-15 2026-05-15"},
        {"the last day from the next occurrence on", Day(2026, 3, 15), "Monthly on the last day",
         "Automatic", "0 - auto: 2026-03-31 2026-04-30 2026-05-31"},
        {"every two weeks from the next occurrence", Day(2026, 3, 15), "Every 2 weeks", "Automatic",
         "0 - auto: 2026-03-15 2026-03-29 2026-04-12"},
        {"the next date moved takes its day", Day(2026, 3, 20), "Monthly on the 15th", "Automatic",
         "0 - auto: 2026-03-20 2026-04-20 2026-05-20"},
        {"moved, and another day named", Day(2026, 3, 20), "Monthly on the 1st", "Automatic",
         "0 - auto: 2026-04-01 2026-05-01 2026-06-01"},
        {"moved back before the next one", Day(2026, 3, 1), "Monthly on the 15th", "Automatic",
         "0 - auto: 2026-03-01 2026-04-01 2026-05-01"},
    };
    for (const Case& c : cases)
    {
        ScheduleRowTexts row = Shown();
        row.nextDate = c.next;
        row.repeats = c.repeats;
        row.entry = c.entry;
        auto result = ScheduleOfRow(Db(), Rent(), row);
        ASSERT_TRUE(std::holds_alternative<Schedule>(result)) << c.what;
        EXPECT_EQ(Counted(std::get<Schedule>(result)), c.counted) << c.what;
    }
}

TEST_F(ScheduleRowTest, ARowThatCannotBeStoredNamesItsCell)
{
    struct Case
    {
        const char* what;
        const char* account;
        std::optional<DateTime> next;
        const char* repeats;
        const char* entry;
        int column;
    };
    const Case cases[] = {
        {"no such rule", "C", Day(2026, 3, 15), "Fortnightly", "", ScheduleColumn::Repeats},
        {"no such entry", "C", Day(2026, 3, 15), "Monthly", "Maybe", ScheduleColumn::Entry},
        {"no next date", "C", std::nullopt, "Monthly", "", ScheduleColumn::NextDate},
        {"no account", "", Day(2026, 3, 15), "Monthly", "", ScheduleColumn::AccountId},
        {"no such account", "Z", Day(2026, 3, 15), "Monthly", "", ScheduleColumn::AccountId},
        {"an account without a register", "I", Day(2026, 3, 15), "Monthly", "",
         ScheduleColumn::AccountId},
    };
    for (const Case& c : cases)
    {
        ScheduleRowTexts row = Shown();
        row.accountId = c.account;
        row.nextDate = c.next;
        row.repeats = c.repeats;
        row.entry = c.entry;
        auto result = ScheduleOfRow(Db(), Rent(), row);
        ASSERT_TRUE(std::holds_alternative<ScheduleRowRefusal>(result)) << c.what;
        EXPECT_EQ(std::get<ScheduleRowRefusal>(result).column, c.column) << c.what;
        EXPECT_FALSE(std::get<ScheduleRowRefusal>(result).message.empty()) << c.what;
    }
    // A transfer to an account that is not there is the category's fault.
    ScheduleRowTexts row = Shown();
    row.category = "[Nowhere]";
    auto result = ScheduleOfRow(Db(), Rent(), row);
    ASSERT_TRUE(std::holds_alternative<ScheduleRowRefusal>(result));
    EXPECT_EQ(std::get<ScheduleRowRefusal>(result).column, ScheduleColumn::Category);
}

TEST_F(ScheduleRowTest, ARowTheViewAddsGetsItsRuleFromItsWords)
{
    // As the grid writes a new row: only the columns it shows.
    Db().Execute("INSERT INTO Schedule (NextDate, AccountID, Description, Amount, Repeats, "
                 "Entry) VALUES (#12/31/2026#, 'C', 'Loan', -99.5, 'monthly', 'ask')");
    {
        Transaction transaction(Db());
        StoreScheduleRow(Db(), 1);
        transaction.Commit();
    }
    std::optional<Schedule> stored = ReadSchedule(Db(), 1);
    ASSERT_TRUE(stored);
    // The 31st, or the month's last day.
    EXPECT_EQ(Counted(*stored), "0 - ask: 2026-12-31 2027-01-31 2027-02-28");
    EXPECT_EQ(ShownColumns(), "2026-12-31 00:00:00|Monthly on the 31st|Ask");

    // Entering moves the shown date on with the schedule.
    std::vector<DueOccurrence> due = DueOccurrences(Db(), Day(2027, 1, 31));
    ASSERT_EQ(due.size(), 2U);
    EXPECT_TRUE(EnterOccurrence(Db(), due[0]));
    EXPECT_EQ(ShownColumns(), "2027-01-31 00:00:00|Monthly on the 31st|Ask");
    EXPECT_TRUE(SkipOccurrence(Db(), due[1]));
    EXPECT_EQ(ShownColumns(), "2027-02-28 00:00:00|Monthly on the 31st|Ask");
}

TEST_F(ScheduleRowTest, AWrongRowIsRefusedAndChangesNothing)
{
    Db().Execute("INSERT INTO Schedule (NextDate, AccountID, Description, Amount, Repeats) "
                 "VALUES (#12/31/2026#, 'C', 'Loan', -99.5, 'now and then')");
    Transaction transaction(Db());
    try
    {
        StoreScheduleRow(Db(), 1);
        ADD_FAILURE() << "stored";
    }
    catch (const DatabaseError& error)
    {
        EXPECT_NE(std::string(error.what()).find("now and then"), std::string::npos);
    }
    EXPECT_EQ(ShownColumns(), "2026-12-31 00:00:00|now and then|Automatic");
}
