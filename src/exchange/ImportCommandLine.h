#pragma once

#include "exchange/CsvMapping.h"
#include "exchange/ImportAccount.h"

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <variant>

class Database;

/// What `tallybrook-cli import` was asked to do.
struct ImportCommandLine
{
    std::string file;
    /// The answer to the Select Account dialog, when the statement's account is unknown.
    std::optional<AccountChoice> answer;
    /// How to read a CSV statement; what it leaves out is remembered or guessed.
    std::optional<CsvOptions> csv;
    /// Sets the opening balance of an account's first statement to agree with the bank's.
    bool setOpeningBalance = false;
};

/// Reads "FILE [--create-account TYPE DESCRIPTION | --map-account DESCRIPTION] [--csv SPEC]
/// [--set-opening-balance]";
/// on a mistake, the text that names it.
std::variant<ImportCommandLine, std::string>
ParseImportCommandLine(std::span<const std::string> args);

/// Imports one file with the Import command's own ImportStatementFile (format, reader,
/// balances, category rules), the readers' messages going to err, and ends with
/// "balance ACCOUNTID YYYY-MM-DD bank AMOUNT held AMOUNT" for every closing balance the
/// statements give, "matched N" when N rows met rows entered by schedules, then
/// "imported N, skipped M", on out. The account answer applies to the first unknown account
/// of the file; the statements of any other stay unstored.
/// A CSV statement is read by the --csv items over the mapping remembered for its header
/// line, else over the guesses.
/// Returns 0; 1 for an unknown format or an import ended by an error; 2, importing nothing
/// of its statements, when an account is unknown and the command line does not say which
/// to use,
/// or when the columns of a CSV statement are not certain (the message names the --csv keys
/// that settle them).
int RunImportCommandLine(Database& db, const ImportCommandLine& command, std::ostream& out,
                         std::ostream& err);
