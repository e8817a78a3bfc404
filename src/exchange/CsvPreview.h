#pragma once

#include "exchange/CsvMapping.h"
#include "exchange/CsvRow.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// A row of the table as the mapping dialog shows it: the file's cells and what they read.
struct CsvPreviewRow
{
    std::vector<std::string> cells;
    CsvRow row;
    std::size_t line = 0; ///< the text line the row begins on, from 0
};

/// The table of a CSV statement as a mapping reads it.
struct CsvPreview
{
    std::vector<std::string> columnNames; ///< the header's cells; empty without a header
    std::size_t columns = 0;              ///< the widest of the header and the rows shown
    std::vector<CsvPreviewRow> rows;      ///< the table's first rows, blank ones left out
    std::size_t transactions = 0;         ///< rows of the whole table that are read
    std::size_t unreadable = 0;           ///< rows of the whole table that cannot be
    std::size_t filtered = 0;             ///< rows the row filter leaves out
};

/// Reads a statement's text (UTF-8) as the mapping says: the header, the first `shown`
/// rows, and the count of every kind of row in the whole table.
CsvPreview PreviewCsv(std::string_view text, const CsvMapping& mapping, std::size_t shown);
