#include "exchange/CsvRow.h"

#include "data/RecordHelpers.h"
#include "data/SchemaCatalog.h"
#include "data/Vocabulary.h"
#include "exchange/CsvMapping.h"
#include "exchange/CsvReader.h"
#include "exchange/ImportSupport.h"

namespace
{
// Widths of the Trans columns the texts go to.
const std::size_t DescriptionWidth = 255;
const std::size_t NotesWidth = 255;
const std::size_t CheckWidth = 20;
const std::size_t CategoryWidth = 50;

// The cell of the column with the role, trimmed; empty when no column has it.
std::string_view Cell(const CsvRecord& record, const CsvMapping& mapping, CsvRole role)
{
    std::optional<std::size_t> column = mapping.ColumnOf(role);
    return column ? TrimCsvText(record.Field(*column)) : std::string_view();
}

// A text as one line: a line break inside quotes and the blanks around it become one blank.
std::string OneLine(std::string_view text, std::size_t width)
{
    std::string out;
    out.reserve(text.size());
    bool pendingBlank = false;
    for (char c : text)
    {
        if (c == '\n' || c == '\r')
        {
            while (!out.empty() && (out.back() == ' ' || out.back() == '\t'))
                out.pop_back();
            pendingBlank = true;
            continue;
        }
        if (pendingBlank && (c == ' ' || c == '\t'))
            continue;
        if (pendingBlank && !out.empty())
            out += ' ';
        pendingBlank = false;
        out += c;
    }
    return TrimToLength(out, width);
}

CsvRow Unreadable(const char* problem)
{
    CsvRow row;
    row.kind = CsvRow::Kind::Unreadable;
    row.problem = problem;
    return row;
}

// The amount of the row; nullopt with the problem set when there is none to read.
std::optional<Currency> ReadAmount(const CsvRecord& record, const CsvMapping& mapping,
                                   const char*& problem)
{
    std::optional<Currency> amount;
    if (mapping.ColumnOf(CsvRole::Amount))
    {
        std::string_view cell = Cell(record, mapping, CsvRole::Amount);
        amount = ParseCsvAmount(cell, mapping.decimal);
        if (!amount)
            problem = cell.empty() ? "no amount" : "the amount is not a number";
        return amount;
    }
    std::string_view debit = Cell(record, mapping, CsvRole::Debit);
    std::string_view credit = Cell(record, mapping, CsvRole::Credit);
    if (debit.empty() && credit.empty())
    {
        problem = "no amount";
        return std::nullopt;
    }
    std::optional<Currency> out =
        debit.empty() ? Currency() : ParseCsvAmount(debit, mapping.decimal);
    std::optional<Currency> in =
        credit.empty() ? Currency() : ParseCsvAmount(credit, mapping.decimal);
    if (!out || !in)
    {
        problem = "the amount is not a number";
        return std::nullopt;
    }
    // A debit is money out whatever sign the bank wrote it with.
    Currency total = *in - (*out < Currency() ? -*out : *out);
    return total;
}

// Whether the Sign column marks the row as a debit: its text equals the mapping's (ASCII
// case ignored), or, when that is empty, the cell is blank.
bool MarkedDebit(const CsvRecord& record, const CsvMapping& mapping)
{
    std::string cell(Cell(record, mapping, CsvRole::Sign));
    return mapping.signText.empty() ? cell.empty() : EqualsNoCase(cell, mapping.signText);
}
} // namespace

CsvRow ReadCsvRow(const CsvRecord& record, const CsvMapping& mapping)
{
    if (record.IsBlank())
        return CsvRow();
    if (mapping.onlyColumn &&
        !EqualsNoCase(std::string(TrimCsvText(record.Field(*mapping.onlyColumn))),
                      mapping.onlyText))
    {
        CsvRow row;
        row.kind = CsvRow::Kind::Filtered;
        return row;
    }
    std::string_view dateText = Cell(record, mapping, CsvRole::Date);
    if (dateText.empty())
        return Unreadable("no date");
    std::optional<DateTime> date = ParseCsvDate(dateText, mapping.dates);
    if (!date)
        return Unreadable("the date cannot be read");
    const char* problem = "";
    std::optional<Currency> amount = ReadAmount(record, mapping, problem);
    if (!amount)
        return Unreadable(problem);

    CsvRow row;
    row.kind = CsvRow::Kind::Transaction;
    row.date = *date;
    row.amount = *amount;
    if (mapping.ColumnOf(CsvRole::Sign))
    {
        Currency size = *amount < Currency() ? -*amount : *amount;
        row.amount = MarkedDebit(record, mapping) ? -size : size;
    }
    if (mapping.negate)
        row.amount = -row.amount;
    row.description = OneLine(Cell(record, mapping, CsvRole::Description), DescriptionWidth);
    if (row.description.empty())
        row.description = "(Blank)";
    row.notes = OneLine(Cell(record, mapping, CsvRole::Notes), NotesWidth);
    row.checkId = OneLine(Cell(record, mapping, CsvRole::CheckNumber), CheckWidth);
    if (IsZeroNumber(row.checkId))
        row.checkId.clear();
    row.category = OneLine(Cell(record, mapping, CsvRole::Category), CategoryWidth);
    if (row.category.empty())
        row.category = NoCategory;
    return row;
}
