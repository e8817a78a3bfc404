#include "budget/BudgetPeriods.h"

#include "data/BudgetLine.h"
#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/Vocabulary.h"

namespace
{
std::string PeriodQuery(int year, int period)
{
    return "SELECT * FROM Budget WHERE Year = " + std::to_string(year) +
           " AND Period = " + std::to_string(period);
}

std::string CategoryCriteria(const std::string& category)
{
    return "Category = '" + SqlEscape(category) + "'";
}
} // namespace

void CopyPreviousBudget(Database& db, int year, int period)
{
    Recordset previous;
    previous.Open("SELECT TOP 1 Year, Period FROM Budget WHERE Year < " + std::to_string(year) +
                      " OR (Year = " + std::to_string(year) + " AND Period < " +
                      std::to_string(period) + ") ORDER BY Year DESC, Period DESC",
                  db, OpenMode::ReadOnly);
    if (previous.IsEOF())
        return;
    int fromYear = previous.GetLong("Year");
    int fromPeriod = previous.GetLong("Period");
    previous.Close();
    CopyBudget(db, fromYear, fromPeriod, year, period);
}

void CopyLastBudget(Database& db, int year, int period)
{
    if (!db.HasRows("Budget",
                    "Year = " + std::to_string(year) + " and Period = " + std::to_string(period)))
        CopyPreviousBudget(db, year, period);
}

void CopyBudget(Database& db, int fromYear, int fromPeriod, int toYear, int toPeriod)
{
    Recordset source;
    source.Open(PeriodQuery(fromYear, fromPeriod), db, OpenMode::KeysetRead);
    if (source.IsEOF())
        return;
    Recordset target;
    target.Open(PeriodQuery(toYear, toPeriod), db, OpenMode::KeysetLock);

    for (; !source.IsEOF(); source.MoveNext())
    {
        Variant category = source.GetValue("Category");
        if (!FindFirst(target, CategoryCriteria(category.ToText())))
        {
            target.AddNew();
            target.SetLong("Year", toYear);
            target.SetLong("Period", toPeriod);
            target.SetValue("Category", category);
        }
        target.SetValue("CategoryGroup", source.GetValue("CategoryGroup"));
        target.SetValue("Amount", source.GetValue("Amount"));
        target.Update();
    }

    // Lines only the target had go; their transactions become uncategorised.
    bool noneEnsured = false;
    if (!target.IsBOF())
        target.MoveFirst();
    while (!target.IsEOF())
    {
        std::string category = target.GetText("Category");
        if (category == NoCategory || FindFirst(source, CategoryCriteria(category)))
        {
            target.MoveNext();
            continue;
        }
        Recordset trans;
        trans.Open("SELECT Category FROM Trans WHERE Year = " + std::to_string(toYear) +
                       " AND Period = " + std::to_string(toPeriod) + " AND Category = '" +
                       SqlEscape(category) + "'",
                   db, OpenMode::KeysetLock);
        for (; !trans.IsEOF(); trans.MoveNext())
        {
            if (!noneEnsured)
            {
                EnsureBudgetLine(db, NoCategory, toYear, toPeriod, NoCategory,
                                 Variant::FromCurrency(Currency()));
                noneEnsured = true;
            }
            trans.SetText("Category", NoCategory);
            trans.Update();
        }
        trans.Close();
        target.Delete(); // the position moves on to the next line
    }
}

void MoveTransactionPeriod(Database& db, int sequence, int subSequence, int direction,
                           const std::string& category)
{
    Recordset row;
    row.Open("SELECT Year, Period FROM Trans WHERE Trans.Sequence = " + std::to_string(sequence) +
                 " AND Trans.SubSequence = " + std::to_string(subSequence),
             db, OpenMode::KeysetLock);
    int year = row.GetLong("Year");
    int period = row.GetLong("Period");
    if (direction == 1)
    {
        if (period == 12)
        {
            ++year;
            period = 1;
        }
        else
            ++period;
    }
    else if (period == 1)
    {
        --year;
        period = 12;
    }
    else
        --period;

    EnsureBudgetLine(db, category, year, period, NoCategory, Variant::FromCurrency(Currency()));
    row.SetLong("Year", year);
    row.SetLong("Period", period);
    row.Update();
}
