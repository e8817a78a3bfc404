#include "data/BudgetLine.h"

#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/Variant.h"

void EnsureBudgetLine(Database& db, const std::string& category, int year, int period,
                      const std::string& group, const Variant& amount)
{
    Recordset line;
    line.Open("SELECT Year, Period, Category, CategoryGroup, Amount FROM Budget WHERE Year = " +
                  std::to_string(year) + " AND Period = " + std::to_string(period) +
                  " AND Category = '" + SqlEscape(category) + "'",
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
