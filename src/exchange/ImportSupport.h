#pragma once

#include "data/Currency.h"

#include <exception>
#include <set>
#include <string>
#include <string_view>
#include <tuple>

class Database;

/// Whether an error is a failure of the database itself (its file in use by another program,
/// read-only, damaged or full) rather than of what was being stored: it says nothing about
/// the statement, and no line of the statement is to blame.
bool IsDatabaseFailure(const std::exception& error);

/// Whether a text is a whole number of value 0: digits only, optionally after a minus
/// sign (0, 0000, -0). Statements write such check numbers for "no check".
bool IsZeroNumber(const std::string& text);

/// Every byte of a file; the empty text when it cannot be read.
std::string ReadFileBytes(const std::string& path);

/// The part of a statement file that an error message quotes: at most the first 4 KB,
/// then a line telling how many bytes were left out.
std::string StatementExcerpt(std::string_view text);

/// Ensures budget lines during one import or rule run, asking the store once per
/// category and period: a line, once there, stays for the rest of the run.
class BudgetLineCache
{
public:
    explicit BudgetLineCache(Database& db) : m_db(db) {}
    /// EnsureBudgetLine, unless this run already ensured the same category and period.
    void Ensure(const std::string& category, int year, int period, const std::string& group,
                Currency amount);

private:
    Database& m_db;
    std::set<std::tuple<std::string, int, int>> m_done;
};
