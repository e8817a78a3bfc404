#include "rules/CategoryRules.h"

#include "base/UserInterface.h"
#include "data/BudgetLine.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/Vocabulary.h"

#include <array>
#include <cctype>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

namespace
{
enum class Test
{
    Is,
    Contains,
    BeginsWith,
    EndsWith,
    None
};

// Upper case of single bytes by the locale's character rules.
class CaseFold
{
public:
    CaseFold()
    {
        for (int c = 0; c < 256; ++c)
            m_upper[static_cast<std::size_t>(c)] = static_cast<char>(std::toupper(c));
    }
    std::string Upper(const std::string& text) const
    {
        std::string out(text);
        for (char& c : out)
            c = m_upper[static_cast<unsigned char>(c)];
        return out;
    }

private:
    std::array<char, 256> m_upper{};
};

Test TestOf(const CaseFold& fold, const std::string& rule)
{
    std::string upper = fold.Upper(rule);
    if (upper == "IS")
        return Test::Is;
    if (upper == "CONTAINS")
        return Test::Contains;
    if (upper == "BEGINS WITH")
        return Test::BeginsWith;
    if (upper == "ENDS WITH")
        return Test::EndsWith;
    return Test::None;
}

// Both texts already upper case.
bool Passes(Test test, const std::string& value, const std::string& field)
{
    switch (test)
    {
    case Test::Is:
        return field == value;
    case Test::Contains:
        return field.find(value) != std::string::npos;
    case Test::BeginsWith:
        return field.size() >= value.size() && field.compare(0, value.size(), value) == 0;
    case Test::EndsWith:
        return field.size() >= value.size() &&
               field.compare(field.size() - value.size(), value.size(), value) == 0;
    case Test::None:
        break;
    }
    return false;
}

struct PreparedRule
{
    std::string column;
    Test test;
    std::string upperValue;
    std::string category;
    std::optional<int> field; ///< index in the transactions' result, found when first tried
};

std::vector<PreparedRule> ReadRules(Database& db, const CaseFold& fold)
{
    std::vector<PreparedRule> rules;
    Recordset rs;
    rs.Open("SELECT Column, Rule, Value, Category FROM CategoryRule ORDER BY Sequence", db,
            OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
        rules.push_back(PreparedRule{rs.GetText("Column"), TestOf(fold, rs.GetText("Rule")),
                                     fold.Upper(rs.GetText("Value")), rs.GetText("Category"),
                                     std::nullopt});
    rs.Close();
    return rules;
}

// One pass over the uncategorised transactions; each row tries the rules in order.
void Categorise(Database& db, std::vector<PreparedRule>& rules, const CaseFold& fold,
                int& categorised)
{
    Recordset rs;
    rs.Open(std::string("SELECT Description, Amount, PayeeName AS Notes, Category, Year, Period "
                        "FROM Trans WHERE Category = ") +
                SqlLiteral(NoCategory),
            db, OpenMode::KeysetEdit);
    std::set<std::tuple<std::string, int, int>> ensured;
    std::vector<std::optional<std::string>> fields(static_cast<std::size_t>(rs.FieldCount()));
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        for (auto& field : fields)
            field.reset();
        for (PreparedRule& rule : rules)
        {
            if (!rule.field)
                rule.field = rs.FieldIndex(rule.column);
            auto& text = fields[static_cast<std::size_t>(*rule.field)];
            if (!text)
                text = fold.Upper(rs.GetValue(*rule.field).ToText());
            if (!Passes(rule.test, rule.upperValue, *text))
                continue;
            rs.SetText("Category", rule.category);
            auto period = std::make_tuple(rule.category, rs.GetLong("Year"), rs.GetLong("Period"));
            if (!ensured.count(period))
            {
                EnsureBudgetLine(db, rule.category, std::get<1>(period), std::get<2>(period),
                                 NoCategory, Variant::FromCurrency(Currency()));
                ensured.insert(std::move(period));
            }
            ++categorised;
            break;
        }
    }
    rs.Close();
}
} // namespace

bool RuleMatches(const std::string& rule, const std::string& value, const std::string& field)
{
    CaseFold fold;
    return Passes(TestOf(fold, rule), fold.Upper(value), fold.Upper(field));
}

int ApplyCategoryRules(Database& db, UserInterface& ui)
{
    Transaction transaction(db);
    int categorised = 0;
    try
    {
        CaseFold fold;
        std::vector<PreparedRule> rules = ReadRules(db, fold);
        if (!rules.empty())
            Categorise(db, rules, fold, categorised);
    }
    catch (const DatabaseError& error)
    {
        ui.ShowMessage(GetComExceptionMessage(error), UserInterface::Icon::Stop);
    }
    transaction.Commit();
    return categorised;
}
