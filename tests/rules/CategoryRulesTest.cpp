#include "rules/CategoryRules.h"

#include "exchange/ImportFixture.h"

#include <gtest/gtest.h>

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

    /// Every transaction's category in Sequence order.
    std::vector<std::string> Categories()
    {
        return Rows("SELECT Category FROM Trans ORDER BY Sequence");
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
    AddTransaction("Shell");
    EXPECT_EQ(Apply(), 0);
    EXPECT_EQ(Categories(), (std::vector<std::string>{"(none)"}));
    EXPECT_EQ(Count("Budget"), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CategoryRules, TheFirstMatchingRuleInSequenceOrderWins)
{
    AddRule(2, "Description", "contains", "SHELL", "Fuel");
    AddRule(1, "Description", "contains", "GAS", "Auto");
    AddTransaction("Shell Gas Station");
    Apply();
    EXPECT_EQ(Categories(), (std::vector<std::string>{"Auto"}));
    Db().Execute("UPDATE CategoryRule SET Sequence = 3 WHERE Category = 'Auto'");
    Db().Execute("UPDATE Trans SET Category = '(none)'");
    Apply();
    EXPECT_EQ(Categories(), (std::vector<std::string>{"Fuel"}));
}

TEST_F(CategoryRules, TestsDescriptionsAndNotesIgnoringCaseAndSkipsUnknownTests)
{
    AddRule(1, "Description", "sounds like", "shell", "Never");
    AddRule(2, "Description", "is", "shell oil", "Exact");
    AddRule(3, "description", "contains", "shell", "Any");
    AddRule(4, "Notes", "ends with", "x", "X");
    AddRule(5, "Notes", "is", "", "Empty"); // NULL notes are the empty text
    for (const char* description : {"Shell Oil", "Shell Oil 123", "SHELL OIL", "Chevron"})
        AddTransaction(description, "-1", "y");
    AddTransaction("a", "-1", "boX");
    AddTransaction("b", "-1", "<null>");
    EXPECT_EQ(Apply(), 5);
    EXPECT_EQ(Categories(),
              (std::vector<std::string>{"Exact", "Any", "Exact", "(none)", "X", "Empty"}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CategoryRules, AmountsAreTestedAsTheirShortestText)
{
    AddRule(1, "Amount", "is", "100.00", "Never");
    AddRule(2, "Amount", "is", "100", "Hundred");
    AddRule(3, "Amount", "ends with", ".5", "Half");
    AddRule(4, "Amount", "begins with", "-", "Debit");
    for (const char* amount : {"100.00", "-12.50", "-3", "3", "NULL"})
        AddTransaction("a", amount);
    Apply();
    EXPECT_EQ(Categories(),
              (std::vector<std::string>{"Hundred", "Half", "Debit", "(none)", "(none)"}));
}

TEST_F(CategoryRules, AmountsUseTheLocalesDecimalSeparator)
{
    ScopedLocale german("de_DE.UTF-8");
    if (!german.Ok())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    AddRule(1, "Amount", "is", "-12,5", "Comma");
    AddTransaction("a", "-12.50");
    Apply();
    EXPECT_EQ(Categories(), (std::vector<std::string>{"Comma"}));
}

TEST_F(CategoryRules, CategorisedTransactionsAreNeverTouched)
{
    AddRule(1, "Description", "contains", "", "All");
    AddTransaction("Shell", "-1", "", "Fuel");
    AddTransaction("Shell", "-1", "", "(NONE)"); // text equality ignores case
    AddTransaction("Shell");
    EXPECT_EQ(Apply(), 2);
    EXPECT_EQ(Categories(), (std::vector<std::string>{"Fuel", "All", "All"}));
    EXPECT_EQ(Apply(), 0);
}

TEST_F(CategoryRules, RunsOverEveryAccountAndPeriodInOneCommitEnsuringBudgetLines)
{
    AddRule(1, "Description", "contains", "rent", "Housing");
    Db().Execute("INSERT INTO Budget (Year, Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 1, 'Housing', 'Home', 800)");
    for (const char* february : {"Rent Feb", "Rent Feb again"})
        Db().Execute("UPDATE Trans SET Period = 2 WHERE Sequence = " +
                     std::to_string(AddTransaction(february)));
    Db().Execute("INSERT INTO Trans (AccountID, Description, Category, Year, Period, Sequence) "
                 "VALUES ('other', 'rent', '(none)', 2010, 12, 100)");
    for (int i = 0; i < 30; ++i)
        AddTransaction("Rent " + std::to_string(i));
    EXPECT_EQ(CommitsDuring([&] { EXPECT_EQ(Apply(), 33); }), 1);
    EXPECT_EQ(Count("Trans WHERE Category = 'Housing'"), 33);
    EXPECT_EQ(Rows("SELECT Year, Period, CategoryGroup, Amount FROM Budget WHERE Category = "
                   "'Housing' ORDER BY Year, Period"),
              (std::vector<std::string>{"2010|12|(none)|0", "2016|1|Home|800", "2016|2|(none)|0"}));
}

TEST_F(CategoryRules, ARuleNamingNoFieldEndsTheRunWithTheErrorText)
{
    AddRule(1, "Description", "is", "first", "One");
    AddRule(2, "", "contains", "x", "Broken");
    AddRule(3, "Description", "contains", "", "All");
    AddTransaction("first");
    AddTransaction("second");
    EXPECT_EQ(Apply(), 1);
    EXPECT_EQ(Categories(), (std::vector<std::string>{"One", "(none)"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Stop);
    EXPECT_NE(ui.messages[0].text.find("(-"), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(ui.messages[0].text.find("Invalid"), std::string::npos);
    EXPECT_EQ(Db().TransactionDepth(), 0);
}

TEST_F(CategoryRules, AMatchWithoutPeriodEndsTheRunAndLeavesTheRowUncategorised)
{
    AddRule(1, "Description", "contains", "", "All");
    AddTransaction("a");
    Db().Execute("UPDATE Trans SET Period = NULL WHERE Sequence = " +
                 std::to_string(AddTransaction("b")));
    AddTransaction("c");
    Apply();
    EXPECT_EQ(Categories(), (std::vector<std::string>{"All", "(none)", "(none)"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Type mismatch. (-2147352571)");
}
