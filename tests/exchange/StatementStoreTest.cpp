// Storing what a CAMT or MT940 file says, and the check of the bank's closing balance
// against the account's, with statements built by hand (the readers have their own tests).

#include "exchange/StatementStore.h"

#include "exchange/ImportFixture.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
DateTime Day(int year, int month, int day)
{
    return DateTime{year, month, day, 0, 0, 0};
}

Currency Money(std::int64_t cents)
{
    return Currency::FromUnits(cents * 100);
}

StatementEntry Entry(DateTime day, std::int64_t cents, const std::string& fitid,
                     const std::string& description, const std::string& notes = "")
{
    return StatementEntry{day, Money(cents), fitid, description, notes};
}

/// March 2016 of account DE01: 10.00 out at a shop (with a reference), 50.00 in without one,
/// two entries pending, and the bank's balance at the end of the month.
BankStatement March(std::int64_t closingCents)
{
    BankStatement statement;
    statement.accountId = "DE01";
    statement.entries = {Entry(Day(2016, 3, 1), -1000, "A1", "Shop", "groceries"),
                         Entry(Day(2016, 3, 2), 5000, "", "Employer", "salary")};
    statement.pending = 2;
    statement.firstDay = Day(2016, 3, 1);
    statement.closing = StatementBalance{Day(2016, 3, 31), Money(closingCents)};
    return statement;
}

class StatementStore : public ImportTest
{
protected:
    ImportResult Store(const std::vector<BankStatement>& statements)
    {
        ImportResult result;
        StoreBankStatements(Context(), statements, result);
        return result;
    }
};
} // namespace

TEST_F(StatementStore, StoresTheBookedEntriesOnceAndCountsThePendingOnes)
{
    for (const char* zone : {"America/New_York", "Europe/Berlin"})
    {
        SCOPED_TRACE(zone);
        TimeZoneEnv tz(zone);
        Db().Execute("DELETE FROM Trans");
        Db().Execute("DELETE FROM Account");
        AddAccount("DE01", "Checking");
        Db().Execute("UPDATE Account SET OpeningBalance = 100");
        ImportResult first = Store({March(14000)});
        EXPECT_TRUE(first.accountResolved);
        EXPECT_EQ(first.added, 2);
        EXPECT_EQ(first.duplicates, 0);
        EXPECT_EQ(first.pending, 2);
        EXPECT_EQ(Stored("AccountID, FITID, Amount, Description, PayeeName, Category"),
                  (std::vector<std::string>{"DE01|A1|-10|Shop|groceries|(none)",
                                            "DE01||50|Employer|salary|(none)"}));
        EXPECT_EQ(PostDates(), (std::vector<std::int64_t>{LocalMidnight(2016, 3, 1),
                                                          LocalMidnight(2016, 3, 2)}));
        // 100 + 50 - 10 is what the bank says.
        ASSERT_EQ(first.balances.size(), 1U);
        EXPECT_EQ(first.balances[0].held, Money(14000));
        EXPECT_TRUE(first.balances[0].Agrees());
        EXPECT_EQ(first.balances[0].description, "Checking");

        // The row with a reference is known by it, the other by its day, amount and texts.
        ImportResult again = Store({March(14000)});
        EXPECT_EQ(again.added, 0);
        EXPECT_EQ(again.duplicates, 2);
        EXPECT_EQ(Count("Trans"), 2);
    }
}

TEST_F(StatementStore, TheMessageComparesTheBanksBalanceInTheLocalesMoney)
{
    AddAccount("DE01", "Checking");
    struct Case
    {
        const char* locale;
        std::int64_t bankCents;
        const char* message;
    };
    // Held: 0 + 50 - 10 = 40.00.
    const Case cases[] = {
        {"en_US.UTF-8", 7456,
         "Your bank's balance for Checking on 03/31/2016 is $74.56; Tallybrook has $40.00 "
         "(-$34.56)."},
        {"en_US.UTF-8", 4000,
         "Your bank's balance for Checking on 03/31/2016, $40.00, agrees with Tallybrook's."},
        {"de_DE.UTF-8", 3900,
         "Your bank's balance for Checking on 31.03.2016 is 39,00 \xE2\x82\xAC; Tallybrook has "
         "40,00 \xE2\x82\xAC (1,00 \xE2\x82\xAC)."},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.locale);
        LocaleEnv locale(c.locale);
        ASSERT_TRUE(locale.Ok());
        Db().Execute("DELETE FROM Trans");
        ImportResult result = Store({March(c.bankCents)});
        ASSERT_EQ(result.balances.size(), 1U);
        EXPECT_EQ(BalanceCheckMessage(result.balances[0]), c.message);
    }
}

TEST_F(StatementStore, AFirstStatementMayMoveTheOpeningBalanceSoThatTheTwoAgree)
{
    // A new account: nothing before 1 March. The bank says 1,040.00 where 40.00 is held.
    chooser.Create("Bank", "Giro");
    BankStatement april;
    april.accountId = "DE01";
    april.entries = {Entry(Day(2016, 4, 5), -500, "B1", "Fee")};
    april.closing = StatementBalance{Day(2016, 4, 30), Money(103500)};
    std::vector<std::string> asked;
    Context().acceptOpeningBalance = [&](const BalanceCheck& check)
    {
        asked.push_back(check.accountId);
        return true;
    };
    ImportResult result = Store({March(104000), april});
    ASSERT_EQ(result.balances.size(), 2U);
    EXPECT_TRUE(result.balances[0].firstImport);
    EXPECT_FALSE(result.balances[1].firstImport); // the account's second statement
    EXPECT_EQ(result.balances[0].held, Money(4000));
    EXPECT_EQ(result.balances[1].held, Money(3500));
    OfferOpeningBalances(Context(), result);
    EXPECT_EQ(asked, (std::vector<std::string>{"DE01"}));
    EXPECT_EQ(Value("SELECT OpeningBalance FROM Account WHERE AccountID = 'DE01'"), "1000");
    EXPECT_TRUE(result.balances[0].Agrees());
    EXPECT_TRUE(result.balances[1].Agrees()); // 1,000 + 40 - 5
}

TEST_F(StatementStore, AnAccountWithEarlierRowsOrAnOfferDeclinedKeepsItsOpeningBalance)
{
    struct Case
    {
        bool earlierRow;
        bool accept;
        int asked;
    };
    const Case cases[] = {{true, true, 0}, {false, false, 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.earlierRow);
        Db().Execute("DELETE FROM Trans");
        Db().Execute("DELETE FROM Account");
        AddAccount("DE01", "Checking");
        if (c.earlierRow)
            Store({BankStatement{"DE01",
                                 {Entry(Day(2016, 2, 29), -100, "Z", "Earlier")},
                                 0,
                                 std::nullopt,
                                 std::nullopt}});
        int asked = 0;
        Context().acceptOpeningBalance = [&](const BalanceCheck&)
        {
            ++asked;
            return c.accept;
        };
        ImportResult result = Store({March(99900)});
        OfferOpeningBalances(Context(), result);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(Value("SELECT OpeningBalance FROM Account"), "0");
        EXPECT_FALSE(result.balances[0].Agrees());
    }
}

TEST_F(StatementStore, TheStatementsOfAnAccountLeftUnknownAreNotStored)
{
    AddAccount("DE01", "Checking");
    BankStatement other = March(0);
    other.accountId = "XX99";
    chooser.Cancel();
    ImportResult result = Store({other, March(4000)});
    EXPECT_TRUE(result.accountResolved);
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(result.pending, 2); // of DE01 only
    EXPECT_EQ(Count("Trans WHERE AccountID = 'XX99'"), 0);
    ASSERT_EQ(result.balances.size(), 1U);
    EXPECT_EQ(result.balances[0].accountId, "DE01");
}

TEST_F(StatementStore, ADayBefore1970StoresNothing)
{
    TimeZoneEnv tz("America/New_York");
    AddAccount("DE01", "Checking");
    BankStatement statement = March(0);
    statement.entries.push_back(Entry(Day(1969, 12, 31), -1, "OLD", "Old"));
    EXPECT_THROW(Store({statement}), StatementError);
    EXPECT_EQ(Count("Trans"), 0);
}

TEST_F(StatementStore, AnEmptyDescriptionIsStoredAsBlankAndALongOneIsCut)
{
    AddAccount("DE01", "Checking");
    BankStatement statement;
    statement.accountId = "DE01";
    std::string umlauts;
    for (int i = 0; i < 300; ++i)
        umlauts += "\xC3\xA4"; // ä: two bytes, one character
    statement.entries = {Entry(Day(2016, 3, 1), -1, "A", ""),
                         Entry(Day(2016, 3, 1), -2, "B", umlauts)};
    Store({statement});
    EXPECT_EQ(Value("SELECT Description FROM Trans WHERE FITID = 'A'"), "(blank)");
    std::string cut;
    for (int i = 0; i < 255; ++i)
        cut += "\xC3\xA4";
    EXPECT_EQ(Value("SELECT Description FROM Trans WHERE FITID = 'B'"), cut);
}
