#pragma once

#include "exchange/CsvMapping.h"
#include "exchange/CsvReader.h"

#include <string>
#include <string_view>
#include <vector>

/// The rows of a CSV statement's table, after the lines the mapping skips and its header.
class CsvTableReader
{
public:
    CsvTableReader(std::string_view text, const CsvMapping& mapping);
    /// The header's cells; empty without a header.
    const std::vector<std::string>& ColumnNames() const { return m_names; }
    /// The next row of the table that is not blank; false at the end.
    bool Next(CsvRecord& record);

private:
    CsvReader m_reader;
    std::vector<std::string> m_names;
};
