#include "exchange/CsvTableReader.h"

CsvTableReader::CsvTableReader(std::string_view text, const CsvMapping& mapping)
    : m_reader(text, mapping.delimiter, mapping.skip)
{
    if (!mapping.header)
        return;
    CsvRecord record;
    while (m_reader.Next(record))
        if (!record.IsBlank())
        {
            m_names = record.fields;
            break;
        }
}

bool CsvTableReader::Next(CsvRecord& record)
{
    while (m_reader.Next(record))
        if (!record.IsBlank())
            return true;
    return false;
}
