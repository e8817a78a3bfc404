#include "rules/CategoryRules.h"

#include "exchange/ImportFixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace
{
class CategoryRules : public ImportTest
{
protected:
    void AddRule(int sequence, const std::string& column, const std::string& rule,
                 const std::string& value, const std::string& category)
    {
        Db().Execute("INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) "
                     "VALUES (" +
                     Quote(column) + ", " + Quote(rule) + ", " + Quote(value) + ", " +
                     Quote(category) + ", " + std::to_string(sequence) + ")");
    }

    /// Adds an uncategorised transaction of January 2016; returns its Sequence.
    int AddTransaction(const std::string& description, const std::string& amount = "-1",
                       const std::string& notes = "", const std::string& category = "(none)")
    {
        int sequence = ++m_sequence;
        Db().Execute("INSERT INTO Trans (AccountID, Description, Amount, PayeeName, Category, "
                     "Year, Period, Sequence) VALUES ('1', " +
                     Quote(description) + ", " + amount + ", " +
                     (notes == "<null>" ? "NULL" : Quote(notes)) + ", " + Quote(category) +
                     ", 2016, 1, " + std::to_string(sequence) + ")");
        return sequence;
    }

    std::string CategoryOf(int sequence)
    {
        return Value("SELECT Category FROM Trans WHERE Sequence = " + std::to_string(sequence));
    }

    int Apply() { return ApplyCategoryRules(Db(), ui); }

private:
    int m_sequence = 0;
};
} // namespace

TEST(RuleMatches, AppliesTheFourTestsIgnoringCase)
{
    EXPECT_TRUE(RuleMatches("contains", "shell", "SHELL OIL"));
    EXPECT_TRUE(RuleMatches("CONTAINS", "", "anything"));
    EXPECT_TRUE(RuleMatches("is", "shell oil", "Shell Oil"));
    EXPECT_FALSE(RuleMatches("is", "shell oil", "Shell Oil 123"));
    EXPECT_TRUE(RuleMatches("is", "", ""));
    EXPECT_FALSE(RuleMatches("is", "", "x"));
    EXPECT_TRUE(RuleMatches("begins with", "-", "-12.5"));
    EXPECT_FALSE(RuleMatches("begins with", "abc", "ab"));
    EXPECT_TRUE(RuleMatches("Begins With", "", ""));
    EXPECT_TRUE(RuleMatches("ends with", "x", "boX"));
    EXPECT_FALSE(RuleMatches("ends with", "abc", "bc"));
    EXPECT_FALSE(RuleMatches("equals", "a", "a"));
    EXPECT_FALSE(RuleMatches("contains ", "a", "a"));
    EXPECT_FALSE(RuleMatches("", "", ""));
}

TEST_F(CategoryRules, WithoutRulesNothingChanges)
{
    int t = AddTransaction("Shell");
    EXPECT_EQ(Apply(), 0);
    EXPECT_EQ(CategoryOf(t), "(none)");
    EXPECT_EQ(Count("Budget"), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CategoryRules, TheFirstMatchingRuleInSequenceOrderWins)
{
    AddRule(2, "Description", "contains", "SHELL", "Fuel");
    AddRule(1, "Description", "contains", "GAS", "Auto");
    int t = AddTransaction("Shell Gas Station");
    Apply();
    EXPECT_EQ(CategoryOf(t), "Auto");

    Db().Execute("UPDATE CategoryRule SET Sequence = 3 WHERE Category = 'Auto'");
    Db().Execute("UPDATE Trans SET Category = '(none)'");
    Apply();
    EXPECT_EQ(CategoryOf(t), "Fuel");
}

TEST_F(CategoryRules, DescriptionTestsIgnoreCase)
{
    AddRule(1, "Description", "is", "shell oil", "Exact");
    AddRule(2, "description", "contains", "shell", "Any");
    int exact = AddTransaction("Shell Oil");
    int longer = AddTransaction("Shell Oil 123");
    int upper = AddTransaction("SHELL OIL");
    int other = AddTransaction("Chevron");
    EXPECT_EQ(Apply(), 3);
    EXPECT_EQ(CategoryOf(exact), "Exact");
    EXPECT_EQ(CategoryOf(longer), "Any");
    EXPECT_EQ(CategoryOf(upper), "Exact");
    EXPECT_EQ(CategoryOf(other), "(none)");
}

TEST_F(CategoryRules, AmountsAreTestedAsTheirShortestText)
{
    AddRule(1, "Amount", "is", "100.00", "Never");
    AddRule(2, "Amount", "is", "100", "Hundred");
    AddRule(3, "Amount", "ends with", ".5", "Half");
    AddRule(4, "Amount", "begins with", "-", "Debit");
    int hundred = AddTransaction("a", "100.00");
    int half = AddTransaction("b", "-12.50");
    int debit = AddTransaction("c", "-3");
    int credit = AddTransaction("d", "3");
    int none = AddTransaction("e", "NULL");
    Apply();
    EXPECT_EQ(CategoryOf(hundred), "Hundred");
    EXPECT_EQ(CategoryOf(half), "Half");
    EXPECT_EQ(CategoryOf(debit), "Debit");
    EXPECT_EQ(CategoryOf(credit), "(none)");
    EXPECT_EQ(CategoryOf(none), "(none)");
}

TEST_F(CategoryRules, AmountsUseTheLocalesDecimalSeparator)
{
    ScopedLocale german("de_DE.UTF-8");
    if (!german.Ok())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    AddRule(1, "Amount", "is", "-12,5", "Comma");
    int t = AddTransaction("a", "-12.50");
    Apply();
    EXPECT_EQ(CategoryOf(t), "Comma");
}

TEST_F(CategoryRules, NullNotesAreTheEmptyText)
{
    AddRule(1, "Notes", "ends with", "x", "X");
    AddRule(2, "Notes", "is", "", "Empty");
    int x = AddTransaction("a", "-1", "boX");
    int null = AddTransaction("b", "-1", "<null>");
    int other = AddTransaction("c", "-1", "y");
    Apply();
    EXPECT_EQ(CategoryOf(x), "X");
    EXPECT_EQ(CategoryOf(null), "Empty");
    EXPECT_EQ(CategoryOf(other), "(none)");
}

TEST_F(CategoryRules, AnUnknownTestNeverMatchesAndLaterRulesStillApply)
{
    AddRule(1, "Description", "sounds like", "shell", "Never");
    AddRule(2, "Description", "begins with", "sh", "Later");
    int t = AddTransaction("Shell");
    Apply();
    EXPECT_EQ(CategoryOf(t), "Later");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CategoryRules, CategorisedTransactionsAreNeverTouched)
{
    AddRule(1, "Description", "contains", "", "All");
    int kept = AddTransaction("Shell", "-1", "", "Fuel");
    int lower = AddTransaction("Shell", "-1", "", "(NONE)");
    int none = AddTransaction("Shell");
    EXPECT_EQ(Apply(), 2);
    EXPECT_EQ(CategoryOf(kept), "Fuel");
    EXPECT_EQ(CategoryOf(none), "All");
    // The store's text equality ignores case: "(NONE)" counts as uncategorised.
    EXPECT_EQ(CategoryOf(lower), "All");
    EXPECT_EQ(Apply(), 0);
}

TEST_F(CategoryRules, AMatchEnsuresTheBudgetLineOfTheTransactionsPeriod)
{
    AddRule(1, "Description", "contains", "rent", "Housing");
    Db().Execute("INSERT INTO Budget (Year, Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 1, 'Housing', 'Home', 800)");
    int january = AddTransaction("Rent Jan");
    int february = AddTransaction("Rent Feb");
    Db().Execute("UPDATE Trans SET Period = 2 WHERE Sequence = " + std::to_string(february));
    AddTransaction("Rent Feb again");
    Db().Execute("UPDATE Trans SET Period = 2 WHERE Description = 'Rent Feb again'");
    Apply();
    EXPECT_EQ(CategoryOf(january), "Housing");
    EXPECT_EQ(Rows("SELECT Period, CategoryGroup, Amount FROM Budget WHERE Category = 'Housing' "
                   "ORDER BY Period"),
              (std::vector<std::string>{"1|Home|800", "2|(none)|0"}));
}

TEST_F(CategoryRules, ARuleNamingNoFieldEndsTheRunWithTheErrorText)
{
    AddRule(1, "Description", "is", "first", "One");
    AddRule(2, "", "contains", "x", "Broken");
    AddRule(3, "Description", "contains", "", "All");
    int first = AddTransaction("first");
    int second = AddTransaction("second");
    EXPECT_EQ(Apply(), 1);
    EXPECT_EQ(CategoryOf(first), "One");
    EXPECT_EQ(CategoryOf(second), "(none)");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Stop);
    EXPECT_NE(ui.messages[0].text.find("(-"), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(ui.messages[0].text.find("Invalid"), std::string::npos);
    EXPECT_EQ(Db().TransactionDepth(), 0);
}

TEST_F(CategoryRules, AMatchWithoutPeriodEndsTheRunAndLeavesTheRowUncategorised)
{
    AddRule(1, "Description", "contains", "", "All");
    int good = AddTransaction("a");
    int bad = AddTransaction("b");
    int after = AddTransaction("c");
    Db().Execute("UPDATE Trans SET Period = NULL WHERE Sequence = " + std::to_string(bad));
    Apply();
    EXPECT_EQ(CategoryOf(good), "All");
    EXPECT_EQ(CategoryOf(bad), "(none)");
    EXPECT_EQ(CategoryOf(after), "(none)");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Type mismatch. (-2147352571)");
}

TEST_F(CategoryRules, RunsOverEveryAccountAndPeriod)
{
    AddRule(1, "Description", "contains", "x", "X");
    AddTransaction("x1");
    Db().Execute("INSERT INTO Trans (AccountID, Description, Category, Year, Period, Sequence) "
                 "VALUES ('other', 'x2', '(none)', 2010, 12, 100)");
    EXPECT_EQ(Apply(), 2);
    EXPECT_EQ(Count("Trans WHERE Category = 'X'"), 2);
    EXPECT_EQ(Count("Budget WHERE Category = 'X'"), 2);
}

TEST_F(CategoryRules, ARunIsOneDatabaseTransaction)
{
    AddRule(1, "Description", "contains", "", "All");
    for (int i = 0; i < 30; ++i)
        AddTransaction("t" + std::to_string(i));
    int commits = 0;
    sqlite3_commit_hook(
        Db().Handle(),
        [](void* count)
        {
            ++*static_cast<int*>(count);
            return 0;
        },
        &commits);
    EXPECT_EQ(Apply(), 30);
    sqlite3_commit_hook(Db().Handle(), nullptr, nullptr);
    EXPECT_EQ(commits, 1);
}
