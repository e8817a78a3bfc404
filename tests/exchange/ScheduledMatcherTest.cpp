// A row a statement brings that meets a row a schedule entered is not added again: the
// scheduled row takes the bank's date, description and FITID, in every format, and a second
// import of the statement finds it held.

#include "exchange/ScheduledMatcher.h"

#include "exchange/ImportDriver.h"
#include "exchange/ImportFixture.h"
#include "schedule/ScheduleStore.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
DateTime Day(int year, int month, int day)
{
    return DateTime{year, month, day, 0, 0, 0};
}

// The import runs on Thursday 5 March 2026: a scheduled row dated 26 February or later
// (5 March less 7 days) still waits for the bank's.
const DateTime ImportDay = Day(2026, 3, 5);

// New York moves its clocks on 8 March 2026, Auckland on 5 April: the days of March are
// counted across a change of the clocks in one and not in the other.
const char* const Zones[] = {"America/New_York", "Pacific/Auckland"};

/// The text of a day as OFX writes it: YYYYMMDD.
std::string OfxDay(const DateTime& day)
{
    return ToCompactText(day).substr(0, 8);
}

/// Accounts 1001 "Checking" and 2002 "Savings"; the import's day is ImportDay.
class ScheduledImport : public ImportTest
{
protected:
    ScheduledImport()
    {
        AddAccount("1001", "Checking");
        AddAccount("2002", "Savings");
        Context().today = ImportDay;
    }

    /// Enters, as the schedule does, the first occurrence of a new schedule: a row "Rent" on
    /// a day with the notes "flat 3"; -850 in account 1001 and category Rent unless told.
    void Enter(const DateTime& day, const char* amount = "-850",
               const std::string& account = "1001", const std::string& category = "Rent")
    {
        Schedule schedule;
        schedule.accountId = account;
        schedule.description = "Rent";
        schedule.amount = Currency::Parse(amount).value_or(Currency());
        schedule.category = category;
        schedule.notes = "flat 3";
        schedule.rule.first = day;
        std::int32_t id = AddSchedule(Db(), schedule);
        DueOccurrence due{id, 0, day, schedule.amount, account, schedule.description, false};
        ASSERT_TRUE(EnterOccurrence(Db(), due));
    }

    /// Imports an OFX statement of account 1001 with the blocks.
    ImportFileResult ImportOfx(const std::string& blocks)
    {
        return ImportFile(Context(), WriteFile("s.ofx", Statement("1001", blocks)));
    }

    /// "YYYY-MM-DD|description|FITID|category|notes|ScheduleID|Year/Period" of every row of an
    /// account, by Sequence.
    std::vector<std::string> RowsOf(const std::string& account = "1001")
    {
        std::vector<std::string> rows;
        for (Recordset rs = Db().Execute("SELECT PostDate, Description, FITID, Category, "
                                         "PayeeName, ScheduleID, [Year], Period FROM Trans WHERE "
                                         "AccountID = " +
                                         Quote(account) + " ORDER BY Sequence");
             !rs.IsEOF(); rs.MoveNext())
        {
            std::string row = ToIsoDayText(ToLocalCalendar(rs.GetTime("PostDate")));
            for (int i = 1; i < 6; ++i)
                row += "|" + rs.GetValue(i).ToText();
            rows.push_back(row + "|" + rs.GetValue(6).ToText() + "/" + rs.GetValue(7).ToText());
        }
        return rows;
    }

    /// Runs a test once in each zone, each time without rows or schedules and with the
    /// schedules numbered from 1 again.
    void InEveryZone(const std::function<void()>& test)
    {
        for (const char* zone : Zones)
        {
            SCOPED_TRACE(zone);
            TimeZoneEnv tz(zone);
            Db().Execute("DELETE FROM Trans");
            Db().Execute("DELETE FROM Schedule");
            ASSERT_EQ(sqlite3_exec(Db().Handle(), "DELETE FROM sqlite_sequence", nullptr, nullptr,
                                   nullptr),
                      SQLITE_OK);
            test();
        }
    }
};
} // namespace

TEST_F(ScheduledImport, TheBanksRowTakesTheScheduledRowsPlaceOnce)
{
    InEveryZone(
        [&]
        {
            Enter(Day(2026, 3, 1));
            std::string blocks = Block("B1", "20260303", "-850.00", "ACME PROPERTY", "March");
            ImportFileResult first = ImportOfx(blocks);
            EXPECT_EQ(first.added, 0);
            EXPECT_EQ(first.duplicates, 0);
            EXPECT_EQ(first.matchedScheduled, 1);
            // The bank's day, name and FITID; the schedule's category, notes and ID.
            EXPECT_EQ(RowsOf(), (std::vector<std::string>{
                                    "2026-03-03|ACME PROPERTY|B1|Rent|flat 3|1|2026/3"}));
            ExpectBalancesUpToDate();

            ImportFileResult again = ImportOfx(blocks);
            EXPECT_EQ(again.added, 0);
            EXPECT_EQ(again.duplicates, 1);
            EXPECT_EQ(again.matchedScheduled, 0);
            EXPECT_EQ(Count("Trans"), 1);
        });
}

TEST_F(ScheduledImport, OnlyARowOfTheSameAccountAndAmountNearByMeetsAWaitingScheduledRow)
{
    struct Case
    {
        const char* name;
        DateTime scheduled;  ///< the scheduled row's day
        const char* account; ///< the scheduled row's account
        const char* fitid;   ///< the scheduled row's FITID; nullptr: none
        const char* bankDay; ///< the bank's day, YYYYMMDD
        const char* bankAmount;
        bool meets;
    };
    // The bank's row is of account 1001; the import's day is 5 March, so the scheduled row
    // waits from 26 February on.
    const Case cases[] = {
        {"two days later", Day(2026, 3, 1), "1001", nullptr, "20260303", "-850.00", true},
        {"a cent more", Day(2026, 3, 1), "1001", nullptr, "20260303", "-850.01", false},
        {"four days later", Day(2026, 3, 1), "1001", nullptr, "20260305", "-850.00", true},
        {"four days earlier", Day(2026, 3, 5), "1001", nullptr, "20260301", "-850.00", true},
        {"five days later", Day(2026, 3, 1), "1001", nullptr, "20260306", "-850.00", false},
        {"five days earlier", Day(2026, 3, 6), "1001", nullptr, "20260301", "-850.00", false},
        {"another account", Day(2026, 3, 1), "2002", nullptr, "20260303", "-850.00", false},
        {"matched already", Day(2026, 3, 1), "1001", "B0", "20260303", "-850.00", false},
        {"an empty FITID", Day(2026, 3, 1), "1001", "", "20260303", "-850.00", true},
        {"7 days before the import", Day(2026, 2, 26), "1001", nullptr, "20260227", "-850.00",
         true},
        {"8 days before the import", Day(2026, 2, 25), "1001", nullptr, "20260227", "-850.00",
         false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        InEveryZone(
            [&]
            {
                Enter(c.scheduled, "-850", c.account);
                if (c.fitid)
                    Db().Execute("UPDATE Trans SET FITID = " + Quote(c.fitid));
                ImportFileResult result =
                    ImportOfx(Block("B1", c.bankDay, c.bankAmount, "ACME PROPERTY"));
                EXPECT_EQ(result.matchedScheduled, c.meets ? 1 : 0);
                EXPECT_EQ(result.added, c.meets ? 0 : 1);
                EXPECT_EQ(Count("Trans"), c.meets ? 1 : 2);
                EXPECT_EQ(Count("Trans WHERE FITID = 'B1'"), 1);
            });
    }
}

TEST_F(ScheduledImport, TheNearestScheduledRowIsMetThenTheFirstEntered)
{
    struct Case
    {
        const char* name;
        int enteredFirst;  ///< the day in March 2026 of schedule 1's row, Sequence 1
        int enteredSecond; ///< the same of schedule 2's row, Sequence 2
        int bankDay;       ///< the day in March 2026 of the bank's row
        const char* first; ///< schedule 1's row after the import, as RowsOf gives it
        const char* second;
    };
    const Case cases[] = {
        // The 8th is 1 day from the 7th, the 1st 6 days: only the 8th is near enough.
        {"the 8th for the 7th", 1, 8, 7, "2026-03-01|Rent||Rent|flat 3|1|2026/3",
         "2026-03-07|ACME PROPERTY|B1|Rent|flat 3|2|2026/3"},
        // The 1st is 3 days from the 4th, the 8th 4 days: both are, the 1st is nearer.
        {"the 1st for the 4th", 1, 8, 4, "2026-03-04|ACME PROPERTY|B1|Rent|flat 3|1|2026/3",
         "2026-03-08|Rent||Rent|flat 3|2|2026/3"},
        // The 7th and the 3rd are both 2 days from the 5th: the one entered first.
        {"the first entered", 7, 3, 5, "2026-03-05|ACME PROPERTY|B1|Rent|flat 3|1|2026/3",
         "2026-03-03|Rent||Rent|flat 3|2|2026/3"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        InEveryZone(
            [&]
            {
                Enter(Day(2026, 3, c.enteredFirst));
                Enter(Day(2026, 3, c.enteredSecond));
                ImportFileResult result = ImportOfx(
                    Block("B1", OfxDay(Day(2026, 3, c.bankDay)), "-850.00", "ACME PROPERTY"));
                EXPECT_EQ(result.matchedScheduled, 1);
                EXPECT_EQ(result.added, 0);
                EXPECT_EQ(RowsOf(), (std::vector<std::string>{c.first, c.second}));
            });
    }
}

TEST_F(ScheduledImport, AScheduledRowIsMetOncePerImport)
{
    Enter(Day(2026, 3, 1));
    // Rows without FITIDs: the met row's FITID stays empty, yet the second row, 2 days from
    // it, is stored.
    ImportFileResult result = ImportOfx(Block("", "20260302", "-850.00", "ACME PROPERTY") +
                                        Block("", "20260303", "-850.00", "OTHER PROPERTY"));
    EXPECT_EQ(result.matchedScheduled, 1);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(RowsOf(), (std::vector<std::string>{"2026-03-02|ACME PROPERTY||Rent|flat 3|1|2026/3",
                                                  "2026-03-03|OTHER PROPERTY||(none)|||2026/3"}));
}

TEST_F(ScheduledImport, EveryFormatMeetsTheScheduledRowAndHoldsItAtTheNextImport)
{
    struct Case
    {
        const char* name;
        std::string content;
        const char* fitid; ///< the FITID the row takes; nullptr: the import's stamp
    };
    // Each file holds the bank's -850.00 of 3 March for ACME PROPERTY, with no notes.
    const Case cases[] = {
        {"s.ofx", Statement("1001", Block("B1", "20260303", "-850.00", "ACME PROPERTY")), "B1"},
        {"n.ofx", Statement("1001", Block("", "20260303", "-850.00", "ACME PROPERTY")), ""},
        {"s.qif", "!Type:Bank\nD03/03/2026\nT-850.00\nPACME PROPERTY\n^\n", nullptr},
        {"s.csv", "Date,Description,Amount\n2026-03-03,ACME PROPERTY,-850.00\n", nullptr},
        {"s.sta",
         ":20:STMT\r\n:25:1001\r\n:28C:1/1\r\n:60F:C260228EUR1000,00\r\n"
         ":61:2603030303D850,00NMSCNONREF//B1\r\n:86:ACME PROPERTY\r\n"
         ":62F:C260303EUR150,00\r\n-\r\n",
         "B1"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        InEveryZone(
            [&]
            {
                Enter(Day(2026, 3, 1));
                std::string path = WriteFile(c.name, c.content);
                chooser.Map("Checking"); // QIF and CSV name no account
                ImportFileResult first = ImportFile(Context(), path);
                EXPECT_EQ(first.matchedScheduled, 1);
                EXPECT_EQ(first.added, 0);
                std::vector<std::string> rows = RowsOf();
                ASSERT_EQ(rows.size(), 1U);
                EXPECT_EQ(rows[0].substr(0, 24), "2026-03-03|ACME PROPERTY");
                EXPECT_EQ(rows[0].substr(rows[0].find("|Rent|")), "|Rent|flat 3|1|2026/3");
                std::string fitid = Value("SELECT FITID FROM Trans");
                if (c.fitid)
                    EXPECT_EQ(fitid, c.fitid);
                else
                    EXPECT_FALSE(fitid.empty());

                // The schedule's notes are not the bank's: the row is held by its day,
                // amount and description, or by its FITID.
                chooser.Map("Checking");
                ImportFileResult again = ImportFile(Context(), path);
                EXPECT_EQ(again.matchedScheduled, 0);
                EXPECT_EQ(again.added, 0);
                EXPECT_EQ(again.duplicates, 1);
                EXPECT_EQ(Count("Trans"), 1);
                chooser.answers.clear();
            });
    }
}

TEST_F(ScheduledImport, AMetRowMovesIntoTheBanksMonthWithItsBudgetLineAndOtherSide)
{
    // Rent on 27 February and a transfer of 200 to Savings on 28 February; the bank books
    // them on 2 and 1 March.
    Enter(Day(2026, 2, 27));
    Enter(Day(2026, 2, 28), "-200", "1001", "[Savings]");
    ImportFileResult result = ImportOfx(Block("B1", "20260302", "-850.00", "ACME PROPERTY") +
                                        Block("B2", "20260301", "-200.00", "TO SAVINGS"));
    EXPECT_EQ(result.matchedScheduled, 2);
    EXPECT_EQ(RowsOf(),
              (std::vector<std::string>{"2026-03-02|ACME PROPERTY|B1|Rent|flat 3|1|2026/3",
                                        "2026-03-01|TO SAVINGS|B2|[Savings]|flat 3|2|2026/3"}));
    EXPECT_EQ(Count("Budget WHERE Category = 'Rent' AND [Year] = 2026 AND Period = 3"), 1);
    // The other side follows the date and description; it has no FITID nor schedule.
    EXPECT_EQ(RowsOf("2002"),
              (std::vector<std::string>{"2026-03-01|TO SAVINGS||[Checking]|flat 3||2026/3"}));
    ExpectBalancesUpToDate();
}

TEST(ImportSummary, NamesTheRowsThatMetScheduledOnesWhenThereAreAny)
{
    const struct
    {
        int matched;
        const char* summary;
    } cases[] = {
        {0, "Imported 1 transaction; 0 transactions were already there."},
        {1, "Imported 1 transaction; 0 transactions were already there. 1 matched a scheduled "
            "transaction."},
        {2, "Imported 1 transaction; 0 transactions were already there. 2 matched scheduled "
            "transactions."},
    };
    for (const auto& c : cases)
    {
        ImportResult result;
        result.added = 1;
        result.matchedScheduled = c.matched;
        EXPECT_EQ(ImportSummary(result), c.summary);
    }
}
