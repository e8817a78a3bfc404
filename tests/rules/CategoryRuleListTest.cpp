#include "rules/CategoryRuleList.h"

#include "exchange/ImportFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class CategoryRuleList : public ImportTest
{
protected:
    /// Stores a rule with a given Sequence, as an older list may hold it.
    void Store(int sequence, const std::string& category)
    {
        Db().Execute("INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) "
                     "VALUES ('Description', 'contains', " +
                     Quote(category) + ", " + Quote(category) + ", " + std::to_string(sequence) +
                     ")");
    }

    /// "Category (Sequence)" of every rule in evaluation order.
    std::vector<std::string> Order()
    {
        std::vector<std::string> order;
        for (const StoredCategoryRule& stored : ListCategoryRules(Db()))
            order.push_back(stored.rule.category + " (" + std::to_string(stored.sequence) + ")");
        return order;
    }

    using Names = std::vector<std::string>;
};
} // namespace

TEST_F(CategoryRuleList, UpAndDownSwapTheNeighboursSequenceNumbers)
{
    Store(5, "R3");
    Store(1, "R1");
    Store(2, "R2");
    ASSERT_EQ(Order(), (Names{"R1 (1)", "R2 (2)", "R3 (5)"}));

    const struct
    {
        int sequence;
        int step;
        RuleMove result;
        Names order;
    } moves[] = {
        {1, +1, RuleMove::Moved, {"R2 (1)", "R1 (2)", "R3 (5)"}},
        {5, -1, RuleMove::Moved, {"R2 (1)", "R3 (2)", "R1 (5)"}},
        // Nothing at the ends, and nothing for a number no rule has.
        {1, -1, RuleMove::AtEnd, {"R2 (1)", "R3 (2)", "R1 (5)"}},
        {5, +1, RuleMove::AtEnd, {"R2 (1)", "R3 (2)", "R1 (5)"}},
        {3, +1, RuleMove::NotFound, {"R2 (1)", "R3 (2)", "R1 (5)"}},
    };
    for (const auto& move : moves)
    {
        EXPECT_EQ(MoveCategoryRule(Db(), move.sequence, move.step), move.result)
            << move.sequence << " " << move.step;
        EXPECT_EQ(Order(), move.order);
    }

    // The order the engine follows is the one the list shows.
    Db().Execute("INSERT INTO Trans (AccountID, Description, Amount, Category, Year, Period, "
                 "Sequence) VALUES ('1', 'R1 R2 R3', -1, '(none)', 2016, 1, 1)");
    ApplyCategoryRules(Db(), ui);
    EXPECT_EQ(Value("SELECT Category FROM Trans"), "R2");
}

TEST_F(CategoryRuleList, SwapChangesOnlyTheTwoRulesItNames)
{
    Store(1, "A");
    Store(2, "B");
    Store(3, "C");
    std::vector<StoredCategoryRule> rules = ListCategoryRules(Db());
    SwapCategoryRules(Db(), rules[0].rowId, rules[0].sequence, rules[2].rowId, rules[2].sequence);
    EXPECT_EQ(Order(), (Names{"C (1)", "B (2)", "A (3)"}));
    EXPECT_EQ(Rows("SELECT RowID FROM CategoryRule WHERE Category = 'A'"),
              Names{std::to_string(rules[0].rowId)});
}

TEST_F(CategoryRuleList, ANewRuleGoesAfterTheHighestEvenWhenLowerNumbersAreFree)
{
    EXPECT_EQ(AddCategoryRule(Db(), {"Description", "contains", "gas", "Auto"}), 1);
    Store(7, "Seven");
    EXPECT_EQ(AddCategoryRule(Db(), {"Notes", "is", "", "Empty"}), 8);
    EXPECT_TRUE(DeleteCategoryRule(Db(), 1));
    EXPECT_TRUE(DeleteCategoryRule(Db(), 8));
    EXPECT_FALSE(DeleteCategoryRule(Db(), 8));
    EXPECT_EQ(AddCategoryRule(Db(), {"Amount", "begins with", "-", "Debit"}), 8);
    EXPECT_EQ(Order(), (Names{"Seven (7)", "Debit (8)"}));

    std::vector<StoredCategoryRule> rules = ListCategoryRules(Db());
    EXPECT_EQ(rules[1].rule.column, "Amount");
    EXPECT_EQ(rules[1].rule.rule, "begins with");
    EXPECT_EQ(rules[1].rule.value, "-");
}

TEST_F(CategoryRuleList, TextsWithQuotesAreStoredAsTyped)
{
    AddCategoryRule(Db(), {"Description", "is", "O'Brien's", "Friends' dinners"});
    std::vector<StoredCategoryRule> rules = ListCategoryRules(Db());
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].rule.value, "O'Brien's");
    EXPECT_EQ(rules[0].rule.category, "Friends' dinners");
}

TEST_F(CategoryRuleList, DeletingOneOfTwoRulesSharingANumberKeepsTheOther)
{
    Store(3, "First");
    Store(3, "Second");
    EXPECT_TRUE(DeleteCategoryRule(Db(), 3));
    EXPECT_EQ(Count("CategoryRule"), 1);
}

TEST(CategoryRuleChoices, NamesTheDropListsTextsInTheirOwnSpelling)
{
    EXPECT_EQ(RuleColumnChoice("notes"), "Notes");
    EXPECT_EQ(RuleColumnChoice("PayeeName"), std::nullopt);
    EXPECT_EQ(RuleTestChoice("Begins With"), "begins with");
    EXPECT_EQ(RuleTestChoice("begins"), std::nullopt);
    EXPECT_EQ(RuleTestChoice("sounds like"), std::nullopt);

    EXPECT_EQ(
        CheckCategoryRuleLengths({"Description", "is", std::string(30, 'v'), std::string(50, 'c')}),
        "");
    // Characters, not bytes: thirty umlauts fit.
    std::string umlauts;
    for (int i = 0; i < 30; ++i)
        umlauts += "\xC3\xBC";
    EXPECT_EQ(CheckCategoryRuleLengths({"Description", "is", umlauts, "c"}), "");
    EXPECT_NE(CheckCategoryRuleLengths({"Description", "is", std::string(31, 'v'), "c"}), "");
    EXPECT_NE(CheckCategoryRuleLengths({"Description", "is", "v", std::string(51, 'c')}), "");
}
