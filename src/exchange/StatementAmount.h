#pragma once

#include "data/Currency.h"

#include <optional>
#include <string_view>

// Amounts as statement files write them. The file decides how, never the reader's locale:
// a bank in Germany and one in the United States write for the same program.

/// An OFX amount. OFX allows "." or "," as the decimal mark and no grouping, so a single
/// mark is the decimal mark, whatever number of decimals follows (4774.8611); a value with
/// both takes the last as the decimal mark and the other as grouping before it. Blanks
/// around and a leading sign are allowed; nullopt for anything else.
std::optional<Currency> ParseOfxAmount(std::string_view text);

/// A QIF amount. The last "." or "," followed by one or two digits at the end is the
/// decimal mark; every other "." or "," is grouping (-1,234.56, -1.234,56, -35.50, and
/// 1,000 is 1000). Blanks around and a leading sign are allowed; nullopt for anything else.
std::optional<Currency> ParseQifAmount(std::string_view text);
