#include "exchange/CsvPreview.h"

#include "exchange/CsvTableReader.h"

#include <algorithm>

CsvPreview PreviewCsv(std::string_view text, const CsvMapping& mapping, std::size_t shown)
{
    CsvPreview preview;
    CsvTableReader table(text, mapping);
    preview.columnNames = table.ColumnNames();
    preview.columns = preview.columnNames.size();
    CsvRecord record;
    while (table.Next(record))
    {
        CsvRow row = ReadCsvRow(record, mapping);
        if (row.kind == CsvRow::Kind::Transaction)
            ++preview.transactions;
        else if (row.kind == CsvRow::Kind::Unreadable)
            ++preview.unreadable;
        else if (row.kind == CsvRow::Kind::Filtered)
            ++preview.filtered;
        if (preview.rows.size() < shown)
        {
            preview.columns = std::max(preview.columns, record.fields.size());
            preview.rows.push_back({record.fields, std::move(row), record.line});
        }
    }
    return preview;
}
