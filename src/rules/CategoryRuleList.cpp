#include "rules/CategoryRuleList.h"

#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"

#include <cctype>
#include <cstddef>

namespace
{
constexpr std::size_t ShortTextLimit = 30;
constexpr std::size_t CategoryLimit = 50;

bool EqualsIgnoringAsciiCase(const std::string& a, const char* b)
{
    std::string other(b);
    if (a.size() != other.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(other[i])))
            return false;
    return true;
}

template <std::size_t N>
std::optional<std::string> Choice(const std::array<const char*, N>& choices,
                                  const std::string& text)
{
    for (const char* choice : choices)
        if (EqualsIgnoringAsciiCase(text, choice))
            return std::string(choice);
    return std::nullopt;
}

// Characters of UTF-8 text: every byte that does not continue a sequence.
std::size_t CharacterCount(const std::string& text)
{
    std::size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

std::string TooLong(const char* what, const std::string& text, std::size_t limit)
{
    if (CharacterCount(text) <= limit)
        return {};
    return std::string(what) + " '" + text + "' is longer than " + std::to_string(limit) +
           " characters";
}

std::optional<std::size_t> IndexOf(const std::vector<StoredCategoryRule>& rules,
                                   std::int32_t sequence)
{
    for (std::size_t i = 0; i < rules.size(); ++i)
        if (rules[i].sequence == sequence)
            return i;
    return std::nullopt;
}
} // namespace

std::optional<std::string> RuleColumnChoice(const std::string& text)
{
    return Choice(RuleColumnChoices, text);
}

std::optional<std::string> RuleTestChoice(const std::string& text)
{
    return Choice(RuleTestChoices, text);
}

std::string CheckCategoryRuleLengths(const CategoryRule& rule)
{
    for (std::string problem :
         {TooLong("COLUMN", rule.column, ShortTextLimit),
          TooLong("RULE", rule.rule, ShortTextLimit), TooLong("VALUE", rule.value, ShortTextLimit),
          TooLong("CATEGORY", rule.category, CategoryLimit)})
        if (!problem.empty())
            return problem;
    return {};
}

std::vector<StoredCategoryRule> ListCategoryRules(Database& db)
{
    std::vector<StoredCategoryRule> rules;
    Recordset rs;
    rs.Open(CategoryRuleListQuery, db, OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        StoredCategoryRule stored;
        stored.rule = CategoryRule{rs.GetText("Column"), rs.GetText("Rule"), rs.GetText("Value"),
                                   rs.GetText("Category")};
        stored.sequence = rs.GetLong("Sequence");
        stored.rowId = rs.GetLong("RowID");
        rules.push_back(std::move(stored));
    }
    rs.Close();
    return rules;
}

std::int32_t AddCategoryRule(Database& db, const CategoryRule& rule)
{
    std::int32_t sequence = db.NextSequence("CategoryRule");
    db.Execute("INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) VALUES (" +
               SqlLiteral(rule.column) + ", " + SqlLiteral(rule.rule) + ", " +
               SqlLiteral(rule.value) + ", " + SqlLiteral(rule.category) + ", " +
               std::to_string(sequence) + ")");
    return sequence;
}

bool DeleteCategoryRule(Database& db, std::int32_t sequence)
{
    std::vector<StoredCategoryRule> rules = ListCategoryRules(db);
    std::optional<std::size_t> index = IndexOf(rules, sequence);
    if (!index)
        return false;
    // By key: one rule goes even if another shares its number.
    db.Execute("DELETE FROM CategoryRule WHERE RowID = " + std::to_string(rules[*index].rowId));
    return true;
}

void SwapCategoryRules(Database& db, std::int32_t idA, std::int32_t seqA, std::int32_t idB,
                       std::int32_t seqB)
{
    // Both numbers change or neither does.
    Transaction transaction(db);
    db.Execute("UPDATE CategoryRule SET Sequence = " + std::to_string(seqB) +
               " WHERE RowID = " + std::to_string(idA));
    db.Execute("UPDATE CategoryRule SET Sequence = " + std::to_string(seqA) +
               " WHERE RowID = " + std::to_string(idB));
    transaction.Commit();
}

RuleMove MoveCategoryRule(Database& db, std::int32_t sequence, int offset)
{
    std::vector<StoredCategoryRule> rules = ListCategoryRules(db);
    std::optional<std::size_t> index = IndexOf(rules, sequence);
    if (!index)
        return RuleMove::NotFound;
    auto other = static_cast<std::ptrdiff_t>(*index) + offset;
    if (offset == 0 || other < 0 || other >= static_cast<std::ptrdiff_t>(rules.size()))
        return RuleMove::AtEnd;
    const StoredCategoryRule& a = rules[*index];
    const StoredCategoryRule& b = rules[static_cast<std::size_t>(other)];
    SwapCategoryRules(db, a.rowId, a.sequence, b.rowId, b.sequence);
    return RuleMove::Moved;
}
