#pragma once

#include "exchange/BankStatement.h"

#include <string_view>
#include <vector>

// ISO 20022 cash management files: camt.053 statements, camt.052 account reports and camt.054
// debit/credit notifications, of any version (camt.053.001.02 to .001.08 and later). Elements
// are found by their local names, so the version's namespace does not matter.

/// Whether the first bytes of a file are a CAMT document: an XML document whose root is
/// <Document> of a "urn:iso:std:iso:20022:tech:xsd:camt.052", ".053" or ".054" namespace.
/// Looks at the root's start tag only; the head may end anywhere after it.
bool LooksLikeCamt(std::string_view head);

/// Every statement (report, notification) of a CAMT.052/053/054 file, in file order. Throws
/// StatementError, its message in plain words for the user, when the bytes are not well-formed
/// XML, declare XML entities, are not CAMT, or an entry cannot be read (bad amount or date).
std::vector<BankStatement> ReadCamtStatements(std::string_view bytes);
