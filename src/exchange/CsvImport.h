#pragma once

#include "exchange/CsvGuess.h"
#include "exchange/ImportAccount.h"
#include "exchange/ImportContext.h"

#include <optional>
#include <string>
#include <vector>

/// What the user is asked when a CSV statement is imported.
struct CsvMappingRequest
{
    std::string path;
    std::string bytes;  ///< the whole file, as it is on disk
    CsvMapping mapping; ///< remembered for the file's header line, else guessed
    bool remembered = false;
    std::vector<CsvDoubt> doubts; ///< what the guess is unsure of; empty when remembered
    /// The accounts the statement may go to; a CSV statement names none.
    AccountChoiceRequest accounts;
};

/// The user's answer: how the file is read, and the account it goes to.
struct CsvMappingChoice
{
    CsvMapping mapping;
    AccountChoice account;
};

/// Asks the user how to read a CSV statement and where it goes. The mapping dialog
/// implements it; the command-line tool answers from its options.
class CsvMappingChooser
{
public:
    virtual ~CsvMappingChooser() = default;
    /// The answer, or nullopt when the user cancelled (nothing is imported then). A dialog
    /// checks the answer with CheckCsvMapping and CheckAccountChoice before it closes.
    virtual std::optional<CsvMappingChoice> Choose(const CsvMappingRequest& request) = 0;
};

/// The request for a CSV statement's bytes: the mapping remembered for its header line, else
/// the guess, and the accounts of the store.
CsvMappingRequest MakeCsvMappingRequest(Database& db, const std::string& path, std::string bytes);

/// Imports a CSV statement. The context's CSV chooser is asked for the mapping and the
/// account; without one, a certain guess is taken and the account asked for as for QIF.
/// The mapping is remembered for the file's header line. Rows already in the account are
/// skipped: a row is held when the account has a row, not added by this import, with the
/// same date, amount, description and notes (texts ignoring case), so identical rows of one
/// file are all stored. Rows that cannot be read are never stored and are listed in one
/// warning at the end. One database transaction around the whole file.
ImportResult ReadCsvFile(ImportContext& context, const std::string& path);
