#pragma once

#include "data/Variant.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class SchemaCatalog;

/// One lexical piece of an SQL text.
struct SqlToken
{
    enum class Type
    {
        Word,       ///< keyword or plain name
        QuotedName, ///< [name], "name" or `name`
        String,     ///< 'text', quotes doubled inside
        Number,
        Date, ///< #m/d/yyyy#
        Symbol,
        Space ///< blanks and comments, kept as written
    };
    Type type;
    std::string text;
    int depth = 0; ///< parenthesis depth at the token

    bool IsWord(const char* upperWord) const;
    bool IsSymbol(const char* symbol) const { return type == Type::Symbol && text == symbol; }
    /// The name a Word or QuotedName stands for (brackets and quotes removed).
    std::string Name() const;
};

/// Splits an SQL text into tokens; raises DatabaseError for an unterminated literal.
std::vector<SqlToken> TokenizeSql(std::string_view sql);

/// A table named in a statement and the name it is referred to by (its alias or itself).
struct TableRef
{
    std::string table;
    std::string reference;
};

/// A Jet statement rewritten for the engine.
struct TranslatedSql
{
    std::string sql;
    std::string verb;             ///< first keyword, upper case: SELECT, INSERT, ...
    std::vector<TableRef> tables; ///< tables of the top-level statement
    /// Kind of each top-level select item computed from columns (e.g. SUM(Amount) is
    /// currency); Null when unknown. Empty when the list holds "*".
    std::vector<Variant::Kind> selectKinds;
    std::size_t fromOffset = std::string::npos; ///< offset of the top-level FROM in sql
    bool updatable = false;                     ///< rows map one to one onto table rows
};

/// Rewrites a DML statement in the Jet dialect for the engine: date literals, TRUE and YES,
/// TOP n, "&" joins, DELETE *, and the arithmetic of currency and yes/no values (see
/// PlanArithmetic).
TranslatedSql TranslateJetSql(std::string_view jetSql, SchemaCatalog& catalog);

/// The stored form of the text inside a Jet date literal ("3/5/2015" or "2015-03-05",
/// optionally with a time); raises DatabaseError when it is not a date.
std::string TranslateDateLiteral(std::string_view inner);

/// The number literal's value in currency units, as text ("12.5" gives "125000").
std::string ScaleCurrencyLiteral(const std::string& number);

/// The engine expression giving the text of a currency amount stored in units: its shortest
/// exact decimal form with "." ("12.5", "-0.0001", "100"), NULL for NULL.
std::string CurrencyTextExpression(const std::string& units);
