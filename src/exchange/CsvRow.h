#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"

#include <string>

struct CsvMapping;
struct CsvRecord;

/// A row of a CSV statement's table as a mapping reads it.
struct CsvRow
{
    enum class Kind
    {
        Transaction,
        Blank,     ///< nothing in it: passed over
        Filtered,  ///< left out by the mapping's row filter
        Unreadable ///< no date, or an amount that is not a number: listed as skipped
    };
    Kind kind = Kind::Blank;
    std::string problem; ///< why an unreadable row cannot be read
    DateTime date;       ///< the local calendar day
    Currency amount;
    std::string description; ///< "(Blank)" when the file gives none
    std::string notes;
    std::string checkId;  ///< empty for a check number of 0
    std::string category; ///< "(none)" when the file gives none
};

/// Reads one record of the table: the date and the amount by the mapping's rules, texts
/// trimmed, line breaks inside them read as blanks, cut to the widths the store keeps.
CsvRow ReadCsvRow(const CsvRecord& record, const CsvMapping& mapping);
