#pragma once

#include "exchange/BankStatement.h"

#include <string_view>
#include <vector>

// MT940 statements, as German, Dutch and other banks write them: tagged lines (":20:",
// ":25:", ":61:", ":86:" ...), one statement after another, each optionally wrapped in a
// "{1:...}{2:...}{4:" ... "-}" envelope.

/// Whether the first bytes of a file are an MT940 statement: after optional blanks, a
/// "{1:...}{2:...}{4:" envelope and a few lines a bank writes first (":940:", "ABNANL2A"), a
/// ":20:" line, and a ":25:" line and a ":61:", ":60F:" or ":60M:" line after it. Looks at
/// the head of the file only.
bool LooksLikeMt940(std::string_view head);

/// Every statement of an MT940 file, given as UTF-8 text (the caller decodes the bytes), in
/// file order. Each ":20:" starts a statement; ":61:" lines are its entries, each with the
/// ":86:" text after it as description and notes; ":60F:"/":60M:" give its first day and
/// ":62F:"/":62M:" its closing balance. Raises StatementError, naming the line, for a
/// ":61:" line without a valid date, mark or amount, a balance line that cannot be read, or
/// a ":61:" line that comes before the statement's ":25:" account line.
std::vector<BankStatement> ReadMt940Statements(std::string_view text);
