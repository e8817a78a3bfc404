#include "register/SplitTransaction.h"

#include "data/DatabaseError.h"
#include "register/ViewQuery.h"
#include "support/TransTestDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace
{
using Rows = std::vector<std::string>;

Variant Money(std::int64_t whole)
{
    return Variant::FromCurrency(Currency::FromWhole(whole));
}

class SplitTransactionTest : public TransTestDatabase
{
protected:
    /// Fields of a transaction's parts in SubSequence order, joined by "|".
    Rows Parts(int sequence, const std::string& fields = "SubSequence, Amount, Description")
    {
        Rows rows;
        for (Recordset rs = Db().Execute("SELECT " + fields + " FROM Trans WHERE Sequence = " +
                                         std::to_string(sequence) + " ORDER BY SubSequence");
             !rs.IsEOF(); rs.MoveNext())
        {
            std::string row;
            for (int i = 0; i < rs.FieldCount(); ++i)
                row += (i ? "|" : "") + rs.GetValue(i).ToText();
            rows.push_back(row);
        }
        return rows;
    }
};
} // namespace

TEST_F(SplitTransactionTest, TheFirstSplitAddsPartOneAndSplittingEitherPartAgainAddsPartTwo)
{
    Add({.sequence = 7,
         .amount = "-100",
         .description = "Groceries",
         .check = "12",
         .notes = "weekly",
         .fitid = "F7",
         .category = "Food"});
    Add({.sequence = 8, .amount = "40", .description = "Refund"});

    EXPECT_EQ(SplitTransaction(Db(), 7, 0, Money(-70), Money(-30)), 1);
    EXPECT_EQ(Parts(7), (Rows{"0|-70|Groceries", "1|-30|Groceries (split #1)"}));
    // The new part keeps everything else of the stored one.
    const std::string kept = "AccountID, [Year], Period, PostDate, Category, CheckID, PayeeName, "
                             "FITID";
    Rows both = Parts(7, kept);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0], both[1]);
    EXPECT_EQ(both[0].substr(0, 10), "A1|2016|3|");
    EXPECT_NE(both[0].find("|Food|12|weekly|F7"), std::string::npos) << both[0];

    EXPECT_EQ(SplitTransaction(Db(), 7, 1, Money(-20), Money(-10)), 2);
    EXPECT_EQ(Parts(7), (Rows{"0|-70|Groceries", "1|-20|Groceries (split #1)",
                              "2|-10|Groceries (split #1) (split #2)"}));
    EXPECT_EQ(NextSubSequence(Db(), 7), 3);

    EXPECT_EQ(SplitTransaction(Db(), 8, 0, Money(30), Money(10)), 1);
    EXPECT_EQ(SplitTransaction(Db(), 8, 0, Money(25), Money(5)), 2);
    EXPECT_EQ(Parts(8), (Rows{"0|25|Refund", "1|10|Refund (split #1)", "2|5|Refund (split #2)"}));

    // The register shows a new part right after the one it was split from.
    Rows shown;
    for (Recordset rs = Db().Execute(BuildViewQuery({3, 2016, 3, "", "A1"})); !rs.IsEOF();
         rs.MoveNext())
        shown.push_back(rs.GetText("Sequence") + "." + rs.GetText("SubSequence"));
    EXPECT_EQ(shown, (Rows{"8.0", "8.1", "8.2", "7.0", "7.1", "7.2"}));
}

TEST_F(SplitTransactionTest, TheNewDescriptionIsCutToFiftyCharacters)
{
    const std::string description(48, 'x');
    Add({.sequence = 1, .description = description});
    Add({.sequence = 2, .description = "Caf\xC3\xA9 " + std::string(44, 'y')}); // 49 characters
    ASSERT_EQ(SplitTransaction(Db(), 1, 0, Money(-6), Money(-6)), 1);
    EXPECT_EQ(Parts(1, "Description").back(), description + " (");
    ASSERT_EQ(SplitTransaction(Db(), 2, 0, Money(-6), Money(-6)), 1);
    // Characters, not bytes, are counted; the blank the cut leaves at the end goes.
    EXPECT_EQ(Parts(2, "Description").back(), "Caf\xC3\xA9 " + std::string(44, 'y'));
}

TEST_F(SplitTransactionTest, APartStoredWithoutSubSequenceIsPartZero)
{
    Add({.sequence = 3, .subSequence = std::nullopt, .amount = "-100", .description = "Typed"});
    EXPECT_EQ(SplitOff(Db(), 3, 0, Currency::FromWhole(-30)), 1);
    EXPECT_EQ(Parts(3), (Rows{"0|-70|Typed", "1|-30|Typed (split #1)"}));

    // A part without an amount is split as if it held 0.
    Add({.sequence = 4, .amount = std::nullopt, .description = "Open"});
    EXPECT_EQ(SplitOff(Db(), 4, 0, Currency::FromWhole(5)), 1);
    EXPECT_EQ(Parts(4), (Rows{"0|-5|Open", "1|5|Open (split #1)"}));
}

TEST_F(SplitTransactionTest, AnUnknownPartOrAFailedWriteChangesNothing)
{
    Add({.sequence = 5, .amount = "-100", .description = "Rent"});
    EXPECT_EQ(SplitTransaction(Db(), 99, 0, Money(-1), Money(-1)), std::nullopt);
    EXPECT_EQ(SplitTransaction(Db(), 5, 1, Money(-1), Money(-1)), std::nullopt);
    EXPECT_EQ(SplitOff(Db(), 5, 3, Currency::FromWhole(-1)), std::nullopt);
    EXPECT_EQ(Parts(5), Rows{"0|-100|Rent"});

    // Both rows are written or neither: a refused new part leaves the amount as it was.
    ASSERT_EQ(sqlite3_exec(Db().Handle(),
                           "CREATE TRIGGER refuse BEFORE INSERT ON Trans BEGIN "
                           "SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_THROW(SplitTransaction(Db(), 5, 0, Money(-60), Money(-40)), DatabaseError);
    EXPECT_EQ(Parts(5), Rows{"0|-100|Rent"});
}
