#pragma once

#include "data/JetSql.h"
#include "data/Variant.h"

#include <string>
#include <vector>

class SchemaCatalog;

/// What the arithmetic of a statement needs around its tokens so that currency values, stored
/// as whole units of 1/10,000, compute as amounts.
struct ArithmeticEdits
{
    std::vector<std::string> before; ///< text to put before each significant token
    std::vector<std::string> after;  ///< text to put after each significant token
    /// What each item of the top-level select list computes: Currency for an amount, Double
    /// for a plain number (a ratio of amounts, say), Null when that is not known.
    std::vector<Variant::Kind> selectKinds;
};

/// Gives a SELECT, INSERT, UPDATE or DELETE statement the units of the values its numbers
/// meet, following the types of its expressions:
/// - a number literal added to, subtracted from or compared with an amount, assigned or
///   inserted into a currency column, or given as a select item that an INSERT stores in one,
///   is written in units ("1.5" becomes "15000"); a factor or divisor of an amount is not;
/// - a plain number (a whole-number column, COUNT(...)) that meets an amount in those ways is
///   multiplied by 10,000;
/// - amount times amount is divided by 10,000, amount divided by amount is a plain ratio, and
///   an amount times or divided by a number that may not be whole is rounded to whole units;
///   every division of an amount divides exactly rather than in whole numbers;
/// - a number literal that meets a yes/no column becomes 1 when it is not 0, else 0.
/// `tokens` are the statement's tokens without blanks, as written (Jet's literals and
/// operators not yet rewritten); the text of a number literal and its sign is changed in
/// place, what goes around other tokens is returned.
ArithmeticEdits PlanArithmetic(const std::vector<SqlToken*>& tokens, SchemaCatalog& catalog);
