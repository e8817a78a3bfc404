#pragma once

#include "exchange/CsvValues.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

/// What a column of a CSV statement holds.
enum class CsvRole
{
    Ignore,
    Date,
    Description,
    Amount, ///< signed: money in above zero, money out below
    Debit,  ///< money out, whatever its sign
    Credit, ///< money in, with the sign the file writes
    Sign,   ///< a column whose given text marks the row's amount as a debit
    Notes,
    CheckNumber,
    Category
};

/// Every role, in the order the mapping dialog offers them.
const std::vector<CsvRole>& CsvRoles();
/// The role's name as the dialog shows it ("Date", "Check number").
std::string CsvRoleName(CsvRole role);

/// How the rows of a CSV statement become transactions.
struct CsvMapping
{
    std::string charset;  ///< an iconv name; empty: UTF-8 when the bytes are, else CP1252
    char delimiter = ','; ///< ',', ';' or '\t'
    std::size_t skip = 0; ///< lines before the table
    bool header = true;   ///< whether the table's first line holds column names
    CsvDateOrder dates = CsvDateOrder::DayMonthYear;
    char decimal = '.';         ///< '.' or ','
    bool negate = false;        ///< amounts read with the other sign (card exports)
    std::vector<CsvRole> roles; ///< by column from 0; columns past the end are ignored
    std::string signText;       ///< the Sign column's text of a debit; empty: a blank cell
    std::optional<std::size_t> onlyColumn; ///< only rows whose column holds onlyText
    std::string onlyText;

    /// The role of a column (from 0).
    CsvRole RoleOf(std::size_t column) const;
    /// The first column with the role.
    std::optional<std::size_t> ColumnOf(CsvRole role) const;
    /// Gives a column a role; every role but Ignore belongs to one column at a time, so a
    /// column that had it before is ignored from then on.
    void SetRole(std::size_t column, CsvRole role);
    bool operator==(const CsvMapping&) const = default;
};

/// What keeps rows from being read: no date column, no amount column nor debit or credit
/// column, or an amount column beside debit or credit columns. The empty text when nothing.
std::string CheckCsvMapping(const CsvMapping& mapping);

/// A mapping written as `key=value` items separated by ";": charset, delimiter
/// (comma|semicolon|tab), skip, header (yes|no), dates (dmy|mdy|ymd), decimal (.|,), negate
/// (yes|no), one key per role with its column from 1 (date, description, amount, debit,
/// credit, notes, check, category), sign=N:TEXT and only=N:TEXT. A ";" or "\" in a value is
/// written after a "\".
std::string FormatCsvOptions(const CsvMapping& mapping);

/// The items a `--csv` text gives; what it leaves out comes from elsewhere.
struct CsvOptions
{
    std::optional<std::string> charset;
    std::optional<char> delimiter;
    std::optional<std::size_t> skip;
    std::optional<bool> header;
    std::optional<CsvDateOrder> dates;
    std::optional<char> decimal;
    std::optional<bool> negate;
    std::map<CsvRole, std::size_t> columns; ///< role to column from 0, Sign included
    std::optional<std::string> signText;
    std::optional<std::pair<std::size_t, std::string>> only; ///< column from 0, text

    /// Whether it names a column for any of Amount, Debit and Credit.
    bool NamesAmount() const;
};

/// Reads a `--csv` text; on a mistake, the text that names it.
std::variant<CsvOptions, std::string> ParseCsvOptions(const std::string& text);

/// The mapping with what the options give put in. Columns the options name take their roles
/// from every other column; naming any of amount, debit and credit drops the others.
CsvMapping ApplyCsvOptions(CsvMapping mapping, const CsvOptions& options);

/// The --csv value of a date order ("dmy") and of a delimiter ("semicolon").
std::string CsvDatesKey(CsvDateOrder order);
std::string CsvDelimiterKey(char delimiter);
