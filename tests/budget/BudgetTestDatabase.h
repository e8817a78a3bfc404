#pragma once

#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/RecordRules.h"
#include "data/Recordset.h"
#include "data/Schema.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

/// A grid row held as texts by column.
class FakeRow : public RowCells
{
public:
    explicit FakeRow(std::map<int, std::string> cells) : m_cells(std::move(cells)) {}

    std::string CellText(int column) const override
    {
        auto found = m_cells.find(column);
        return found == m_cells.end() ? std::string() : found->second;
    }
    void SetCellText(int column, const std::string& text) override { m_cells[column] = text; }

    const std::map<int, std::string>& Cells() const { return m_cells; }

private:
    std::map<int, std::string> m_cells;
};

/// A real database file at the current schema version, with shorthands for the rows the
/// budget and balance tests need.
class BudgetTestDatabase : public ::testing::Test
{
protected:
    void SetUp() override { m_db = CreateTestDatabase(m_dir.File("qtb.mdb")); }

    Database& Db() { return *m_db; }
    std::string DatabasePath() const { return m_dir.File("qtb.mdb"); }

    void AddAccount(const std::string& id, const std::string& type,
                    const std::string& opening = "0", bool budgetInclude = true,
                    const std::string& description = "")
    {
        Db().Execute("INSERT INTO Account (AccountID, Description, Type, OpeningBalance, "
                     "BudgetInclude) VALUES (" +
                     SqlLiteral(id) + ", " + SqlLiteral(description.empty() ? id : description) +
                     ", " + SqlLiteral(type) + ", " + opening + ", " +
                     (budgetInclude ? "TRUE" : "FALSE") + ")");
    }

    /// Adds a transaction filed under (year, period), dated the first of postMonth.
    /// Several groups, accounts and months; May 2016 is the period looked at.
    void AddSeveralGroupsInMay2016()
    {
        AddAccount("A1", "Bank");
        AddAccount("A2", "Credit Card");
        AddAccount("X", "Bank", "0", false); // not in the budget
        AddBudget(2016, 5, "Food", "Living", "-300");
        AddBudget(2016, 5, "Kid's toys", "Living", "-50");
        AddBudget(2016, 5, "Rent", "Home", "-900");
        AddBudget(2016, 5, "Utilities", "Home", "-120.5");
        AddBudget(2016, 4, "Fuel", "Living", "-80");
        AddTrans("A1", 2016, 5, "Food", "-25.25");
        AddTrans("A2", 2016, 5, "Food", "-74.75");
        AddTrans("X", 2016, 5, "Food", "-1000");
        AddTrans("A1", 2016, 5, "Food", "-10", 0, 3);  // dated March, filed under May
        AddTrans("A1", 2016, 4, "Food", "-500", 0, 5); // dated May, filed under April
        AddTrans("A1", 2016, 5, "Kid's toys", "-60.1");
        AddTrans("A1", 2016, 5, "Rent", "-900");
        AddTrans("A1", 2016, 5, "Fuel", "-40"); // Fuel has a Living line in April only
    }

    void AddTrans(const std::string& accountId, int year, int period, const std::string& category,
                  const std::string& amount, int subSequence = 0, int postMonth = 0)
    {
        int sequence = Db().NextTransSequence();
        AddTransWithSequence(accountId, year, period, category, amount, sequence, subSequence,
                             postMonth);
    }

    void AddTransWithSequence(const std::string& accountId, int year, int period,
                              const std::string& category, const std::string& amount, int sequence,
                              int subSequence = 0, int postMonth = 0)
    {
        std::string date = "#" + std::to_string(postMonth ? postMonth : period) + "/1/" +
                           std::to_string(year) + "#";
        Db().Execute("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, "
                     "PostDate, Category, Amount, Description) VALUES (" +
                     SqlLiteral(accountId) + ", " + std::to_string(sequence) + ", " +
                     std::to_string(subSequence) + ", " + std::to_string(year) + ", " +
                     std::to_string(period) + ", " + date + ", " + SqlLiteral(category) + ", " +
                     amount + ", " + SqlLiteral("Tx " + std::to_string(sequence)) + ")");
    }

    void AddBudget(int year, int period, const std::string& category, const std::string& group,
                   const std::string& amount)
    {
        Db().Execute("INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) "
                     "VALUES (" +
                     std::to_string(year) + ", " + std::to_string(period) + ", " +
                     SqlLiteral(category) + ", " + SqlLiteral(group) + ", " + amount + ")");
    }

    /// The text of the first field of every row, in the query's order.
    std::vector<std::string> Column(const std::string& sql)
    {
        std::vector<std::string> values;
        for (Recordset rs = Db().Execute(sql); !rs.IsEOF(); rs.MoveNext())
            values.push_back(rs.GetValue(0).ToText());
        return values;
    }

    /// The first field of the first row as text; "" when there is no row.
    std::string Scalar(const std::string& sql)
    {
        std::vector<std::string> values = Column(sql);
        return values.empty() ? std::string() : values.front();
    }

    /// The lines of a period as "Category|Group|Amount", by category.
    std::vector<std::string> BudgetLines(int year, int period)
    {
        std::vector<std::string> lines;
        Recordset rs =
            Db().Execute("SELECT Category, CategoryGroup, Amount FROM Budget WHERE "
                         "[Year] = " +
                         std::to_string(year) + " AND Period = " + std::to_string(period) +
                         " ORDER BY Category");
        for (; !rs.IsEOF(); rs.MoveNext())
            lines.push_back(rs.GetText("Category") + "|" + rs.GetText("CategoryGroup") + "|" +
                            rs.GetText("Amount"));
        return lines;
    }

private:
    TempDir m_dir;
    std::unique_ptr<Database> m_db;
};
