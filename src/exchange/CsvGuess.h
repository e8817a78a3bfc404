#pragma once

#include "exchange/CsvMapping.h"

#include <string>
#include <string_view>
#include <vector>

/// A part of a guessed mapping that the guess cannot be sure of.
struct CsvDoubt
{
    std::string key;    ///< the --csv key that settles it: "date", "dates", "amount" ...
    std::string reason; ///< what the guess found ("no column holds dates")
    std::string hint;   ///< the --csv items that settle it ("give date=N")
};

/// How a CSV statement is most likely read, and what of that is uncertain.
struct CsvGuess
{
    CsvMapping mapping;
    std::vector<CsvDoubt> doubts; ///< empty when the guess is certain
};

/// Guesses the mapping of a CSV statement from its text (UTF-8): the delimiter that splits
/// most rows alike, the lines before the table and whether its first line holds column
/// names, roles from common column names in English, German, Dutch, French and Spanish and
/// else from what the columns hold, the date order that reads every date, the decimal mark
/// that reads every amount and the text that marks a debit in a sign column. The options given are
/// taken as they are, and settle the doubts they answer. Uncertain: no date column,
/// no amount column, two date orders that read every date differently, a decimal mark that
/// both marks read differently, a sign column without a debit or credit marker.
CsvGuess GuessCsvMapping(std::string_view text, const CsvOptions& given = {});

/// Whether the first bytes of a file are a CSV statement: text in its detected character
/// set, not binary, whose lines a delimiter splits into rows with a date and an amount.
bool LooksLikeCsvStatement(std::string_view bytes);
