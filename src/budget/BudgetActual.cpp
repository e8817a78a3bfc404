#include "budget/BudgetActual.h"

#include "data/BudgetTransfers.h"
#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/RecordRules.h"
#include "data/Recordset.h"
#include "data/Regional.h"
#include "data/ViewKind.h"

namespace
{
std::string PeriodText(int year, int period)
{
    return std::to_string(year) + " AND Period = " + std::to_string(period);
}

/// Variant subtraction as currency: a NULL operand gives NULL.
Variant CurrencyDifference(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return Variant();
    return Variant::FromCurrency(a.ToCurrency() - b.ToCurrency());
}
} // namespace

Variant BudgetActual(Database& db, int year, int period, const std::string& category)
{
    Recordset rs;
    rs.Open("SELECT SUM(Amount) AS TotActual FROM Account INNER JOIN Trans ON Account.AccountID "
            "= Trans.AccountID WHERE Account.BudgetInclude = TRUE AND Year = " +
                PeriodText(year, period) + " AND Category = '" + SqlEscape(category) + "' AND " +
                NotBudgetTransfer(),
            db, OpenMode::ReadOnly);
    return rs.IsEOF() ? Variant() : rs.GetValue("TotActual");
}

Variant BudgetGroupTotal(Database& db, int year, int period, const std::string& group, int column)
{
    Recordset rs;
    if (column == BudgetColumn::Budgeted)
    {
        rs.Open("SELECT SUM(Amount) AS TotAmount FROM Budget WHERE Year = " +
                    PeriodText(year, period) + " AND CategoryGroup = '" + SqlEscape(group) + "'",
                db, OpenMode::ReadOnly);
        return rs.IsEOF() ? Variant() : rs.GetValue("TotAmount");
    }
    // Only transactions whose category has a line of the group in the same period count.
    rs.Open("SELECT SUM(Trans.Amount) AS TotAmount FROM Account INNER JOIN (Budget INNER JOIN "
            "Trans ON Budget.Category = Trans.Category AND Budget.Year = Trans.Year AND "
            "Budget.Period = Trans.Period) ON Account.AccountID = Trans.AccountID WHERE "
            "Account.BudgetInclude = TRUE AND Trans.Year = " +
                std::to_string(year) + " AND Trans.Period = " + std::to_string(period) +
                " AND CategoryGroup = '" + SqlEscape(group) + "' AND " + NotBudgetTransfer(),
            db, OpenMode::ReadOnly);
    Variant total = rs.IsEOF() ? Variant() : rs.GetValue("TotAmount");
    return total.IsNull() ? Variant::FromLong(0) : total;
}

Variant LoanBalance(const Variant& originalAmount, const Variant& paidAmount)
{
    return CurrencyDifference(originalAmount, paidAmount);
}

std::string BudgetHintText(Database& db, int year, int period, const std::string& category)
{
    Recordset rs;
    // A keyset cursor, so that the row count is known.
    rs.Open("SELECT PostDate, Trans.Description, Amount FROM Account INNER JOIN Trans ON "
            "Account.AccountID = Trans.AccountID WHERE Account.BudgetInclude = TRUE AND Year = " +
                PeriodText(year, period) + " AND Trans.Category = '" + SqlEscape(category) +
                "' AND " + NotBudgetTransfer(),
            db, OpenMode::KeysetEdit);
    std::string text = "Number of transactions: " + std::to_string(rs.RecordCount());
    for (; !rs.IsEOF(); rs.MoveNext())
        text += "\n\nDate: " + rs.GetText("PostDate") +
                "\nDescription: " + rs.GetText("Description") +
                "\nAmount: " + FormatCurrency(rs.GetCurrency("Amount"));
    return text;
}

std::string BudgetCellHint(Database& db, int kind, int currentRow, int year, int period,
                           const RowCells& row)
{
    if (kind != KindBudget || currentRow == 0)
        return std::string();
    return BudgetHintText(db, year, period, row.CellText(BudgetColumn::Category));
}

Variant BudgetFigures::Actual(Database& db, int year, int period, const std::string& category)
{
    Variant actual = BudgetActual(db, year, period, category);
    m_lastActual = actual.ToCurrency();
    return actual;
}

Variant BudgetFigures::Difference(const Variant& budgeted) const
{
    return CurrencyDifference(Variant::FromCurrency(m_lastActual), budgeted);
}

void BudgetFigures::ComputeCell(Database& db, int kind, int year, int period, const RowCells& row,
                                int column, Variant& value)
{
    if (kind == KindBudget && column == BudgetColumn::Actual)
        value = Actual(db, year, period, row.CellText(BudgetColumn::Category));
    else if (kind == KindBudget && column == BudgetColumn::Difference)
        value = Difference(row.CellValue(BudgetColumn::Budgeted));
    else if (kind == KindLoan && column == LoanColumn::Balance)
        value = LoanBalance(row.CellValue(LoanColumn::OriginalAmount),
                            row.CellValue(LoanColumn::PaidAmount));
}
