#pragma once

#include "exchange/ImportContext.h"

#include <string>

/// The format of a statement file, as detection tells it.
enum class StatementFormat
{
    Unknown = 0,
    OfxXml = 1,  ///< OFX 2.x
    OfxSgml = 2, ///< OFX 1.x, QFX or OFC
    Qif = 3,
    Csv = 4,  ///< delimited text with dates and amounts
    Camt = 5, ///< ISO 20022 CAMT.052, .053 or .054
    Mt940 = 6 ///< SWIFT MT940
};

/// What ImportFile did with one file.
struct ImportFileResult : ImportResult
{
    StatementFormat format = StatementFormat::Unknown;
    /// A database error (the file in use by another program, read-only, ...) undid the
    /// import; its message was shown.
    bool databaseFailed = false;
    /// Pairs of rows that may be the two sides of a transfer, found after the import.
    int transferPairs = 0;
};

/// Imports one statement file (a full path; the empty path does nothing): detects its
/// format, hands it to its reader, recomputes every account's stored balance and has the
/// view refreshed. The status text "Importing PATH..." and the wait cursor stay up
/// meanwhile. An unknown format is reported and changes nothing. A database error that the
/// reader does not lay at the statement's door undoes the whole import and is shown in the
/// engine's words (GetComExceptionMessage), without the statement's text; the view is not
/// refreshed then.
ImportFileResult ImportFile(ImportContext& context, const std::string& path);

/// What the Import command does once the user picked a file (or none): ImportFile, then
/// the category rules over all uncategorised transactions, unless the database failed;
/// then, when rows were added, the pairs they make with rows of other accounts go to
/// `answerTransfers`.
ImportFileResult ImportStatementFile(ImportContext& context, const std::string& path);

/// The format by the extension (.qif, any case), or else by how the file begins once a
/// byte-order mark and blanks are skipped: "OFXHEADER:", "<OFC>" or "<OFX>" is the SGML
/// form; an XML declaration followed, in the first bytes, by an OFX processing instruction
/// or "<OFX>" is the XML form; an XML document of a CAMT namespace is CAMT; text of MT940
/// tags (":20:", ":25:", ...) is MT940. Other text that a delimiter splits into rows with a
/// date and an amount is CSV.
StatementFormat DetectFormat(const std::string& path);

/// What an import did, for the status bar: "Imported 3 transactions; 1 transaction was
/// already there.", then how many met rows entered by schedules ("2 matched scheduled
/// transactions."), how many pending entries were not stored and how every closing balance
/// of the bank compares with the account's.
std::string ImportSummary(const ImportResult& result);

/// Recomputes Account.CurrentBalance of every account, the kind following its Type.
void UpdateAllBalances(Database& db);
