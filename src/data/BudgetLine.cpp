#include "data/BudgetLine.h"

#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"

namespace
{
std::string LineCondition(const std::string& category, int year, int period)
{
    return "Year = " + std::to_string(year) + " AND Period = " + std::to_string(period) +
           " AND Category = '" + SqlEscape(category) + "'";
}
} // namespace

void EnsureBudgetLine(Database& db, const std::string& category, int year, int period,
                      const std::string& group, const Variant& amount)
{
    Recordset line;
    line.Open("SELECT Year, Period, Category, CategoryGroup, Amount FROM Budget WHERE " +
                  LineCondition(category, year, period),
              db, OpenMode::KeysetEdit);
    if (!line.IsEOF())
        return;
    line.AddNew();
    line.SetLong("Year", year);
    line.SetLong("Period", period);
    line.SetText("Category", category);
    line.SetText("CategoryGroup", group);
    line.SetValue("Amount", amount);
    line.Update();
}

std::optional<BudgetLineValues> TakeBudgetLine(Database& db, const std::string& category, int year,
                                               int period)
{
    Recordset line;
    line.Open("SELECT Sequence, Category, CategoryGroup, Amount FROM Budget WHERE " +
                  LineCondition(category, year, period) +
                  " AND Sequence IS NOT NULL ORDER BY Sequence",
              db, OpenMode::KeysetEdit);
    if (line.IsEOF())
        return std::nullopt;
    BudgetLineValues values{.sequence = line.GetLong("Sequence"),
                            .category = line.GetText("Category"),
                            .group = line.GetText("CategoryGroup"),
                            .amount = line.GetValue("Amount")};
    line.Delete();
    return values;
}
