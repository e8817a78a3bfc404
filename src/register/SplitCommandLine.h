#pragma once

#include "data/Currency.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <variant>

class Database;

/// What `tallybrook-cli split` was asked to do.
struct SplitCommandLine
{
    std::int32_t sequence = 0;
    std::int32_t subSequence = 0;
    Currency second; ///< the new part's amount
};

/// Reads "SEQUENCE SUBSEQUENCE SECOND_AMOUNT" (the amount with "." as its decimal mark in
/// every locale); on a mistake, the text that names it.
std::variant<SplitCommandLine, std::string>
ParseSplitCommandLine(std::span<const std::string> args);

/// Splits the part as the Split Transaction dialog's OK does and prints the new part's
/// SubSequence on out. Returns 0; 1, with a message on err, when no part has that address.
int RunSplitCommandLine(Database& db, const SplitCommandLine& command, std::ostream& out,
                        std::ostream& err);
