#pragma once

#include "data/Database.h"
#include "data/DateTime.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>

/// One Trans row as a test writes it; an empty optional is stored as NULL.
struct TransRow
{
    int sequence = 1;
    std::optional<int> subSequence = 0;
    std::string date = "3/15/2016"; ///< m/d/yyyy, local midnight; empty for NULL
    std::optional<std::string> amount = "-12.5";
    std::string description = "Payee";
    std::optional<std::string> check = std::nullopt;
    std::optional<std::string> notes = std::nullopt;
    std::optional<std::string> fitid = std::nullopt;
    std::string account = "A1";
    std::string category = "(none)";
};

/// A database file with the transactions a test writes, in a folder of its own for the
/// files the test makes.
class TransTestDatabase : public ::testing::Test
{
protected:
    TransTestDatabase() { m_db = CreateTestDatabase(m_dir.File("qtb.mdb")); }

    Database& Db() { return *m_db; }
    std::string PathOf(const std::string& name) const { return m_dir.File(name); }
    const TempDir& Folder() const { return m_dir; }

    void Add(const TransRow& row)
    {
        auto text = [](const std::optional<std::string>& value)
        { return value ? SqlLiteral(*value) : std::string("NULL"); };
        Db().Execute("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, "
                     "PostDate, Category, Amount, Description, CheckID, PayeeName, FITID) "
                     "VALUES (" +
                     SqlLiteral(row.account) + ", " + std::to_string(row.sequence) + ", " +
                     (row.subSequence ? std::to_string(*row.subSequence) : "NULL") + ", 2016, " +
                     "3, " + (row.date.empty() ? "NULL" : "#" + row.date + "#") + ", " +
                     SqlLiteral(row.category) + ", " + (row.amount ? *row.amount : "NULL") + ", " +
                     SqlLiteral(row.description) + ", " + text(row.check) + ", " + text(row.notes) +
                     ", " + text(row.fitid) + ")");
    }

    /// Every byte of a file.
    static std::string ReadBytes(const std::string& path) { return FileContents(path); }

    /// A local calendar time as a point in time.
    static std::int64_t At(int year, int month, int day, int hour = 0)
    {
        return FromLocalCalendar(DateTime{year, month, day, hour, 0, 0});
    }

private:
    TempDir m_dir;
    std::unique_ptr<Database> m_db;
};
