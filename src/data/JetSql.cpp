#include "data/JetSql.h"

#include "data/DatabaseError.h"
#include "data/JetArithmetic.h"
#include "data/SchemaCatalog.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <set>

namespace
{
using Type = SqlToken::Type;

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// A number literal of the SQL text: always "." and "E", whatever the user's locale.
double SqlNumber(std::string_view text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

[[noreturn]] void SyntaxError(const std::string& what)
{
    throw DatabaseError(Status::ErrorsInCommand, "Syntax error in SQL statement: " + what + ".");
}

std::size_t ScanQuoted(std::string_view sql, std::size_t i, char close, bool doubledEscapes)
{
    for (std::size_t j = i + 1; j < sql.size(); ++j)
    {
        if (sql[j] != close)
            continue;
        if (doubledEscapes && j + 1 < sql.size() && sql[j + 1] == close)
        {
            ++j;
            continue;
        }
        return j + 1;
    }
    return std::string_view::npos;
}

std::size_t ScanNumber(std::string_view sql, std::size_t i)
{
    std::size_t j = i;
    while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
        ++j;
    if (j < sql.size() && sql[j] == '.')
    {
        ++j;
        while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
            ++j;
    }
    if (j < sql.size() && (sql[j] == 'e' || sql[j] == 'E'))
    {
        std::size_t k = j + 1;
        if (k < sql.size() && (sql[k] == '+' || sql[k] == '-'))
            ++k;
        if (k < sql.size() && std::isdigit(static_cast<unsigned char>(sql[k])))
        {
            j = k;
            while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
                ++j;
        }
    }
    return j;
}

const std::set<std::string>& Keywords()
{
    static const std::set<std::string> words = {
        "ALL",    "AND",    "AS",       "ASC",   "BETWEEN", "BY",     "CASE",  "CROSS",
        "DELETE", "DESC",   "DISTINCT", "ELSE",  "END",     "EXISTS", "FROM",  "FULL",
        "GROUP",  "HAVING", "IN",       "INNER", "INSERT",  "INTO",   "IS",    "JOIN",
        "LEFT",   "LIKE",   "LIMIT",    "NOT",   "NULL",    "ON",     "OR",    "ORDER",
        "OUTER",  "RIGHT",  "SELECT",   "SET",   "THEN",    "TOP",    "UNION", "UPDATE",
        "VALUES", "WHEN",   "WHERE",    "TRUE",  "FALSE",   "YES",    "NO",    "NATURAL"};
    return words;
}

bool IsKeyword(const SqlToken& t)
{
    return t.type == Type::Word && Keywords().count(UpperAscii(t.text)) != 0;
}

bool IsName(const SqlToken& t)
{
    return (t.type == Type::Word && !IsKeyword(t)) || t.type == Type::QuotedName;
}

bool IsClauseEnd(const SqlToken& t)
{
    return t.IsWord("WHERE") || t.IsWord("GROUP") || t.IsWord("ORDER") || t.IsWord("HAVING") ||
           t.IsWord("UNION") || t.IsWord("LIMIT") || t.IsSymbol(";");
}

// Walks the significant (non-space) tokens of a statement.
class Statement
{
public:
    explicit Statement(std::vector<SqlToken> tokens) : m_tokens(std::move(tokens))
    {
        for (std::size_t i = 0; i < m_tokens.size(); ++i)
            if (m_tokens[i].type != Type::Space)
                m_significant.push_back(i);
    }

    std::size_t Count() const { return m_significant.size(); }
    SqlToken& At(std::size_t k) { return m_tokens[m_significant[k]]; }
    bool Has(std::size_t k) const { return k < m_significant.size(); }
    std::vector<SqlToken>& Tokens() { return m_tokens; }

private:
    std::vector<SqlToken> m_tokens;
    std::vector<std::size_t> m_significant;
};

class Translator
{
public:
    Translator(Statement& st, SchemaCatalog& catalog, TranslatedSql& out)
        : m_st(st), m_catalog(catalog), m_out(out)
    {
    }

    void Run()
    {
        if (m_st.Count() == 0)
            SyntaxError("empty statement");
        m_out.verb = UpperAscii(m_st.At(0).text);
        CollectTables();
        // The arithmetic is read from the tokens as written; what it puts around tokens goes
        // in last, outside the other rewrites.
        PlanArithmeticOfStatement();
        RewriteConcatenation();
        RewriteLiterals();
        RewriteTop();
        if (m_out.verb == "SELECT")
            AnalyseSelectList();
        ApplyArithmetic();
    }

private:
    void PlanArithmeticOfStatement()
    {
        std::vector<SqlToken*> tokens;
        for (std::size_t k = 0; k < m_st.Count(); ++k)
            tokens.push_back(&m_st.At(k));
        m_arithmetic = PlanArithmetic(tokens, m_catalog);
    }

    void ApplyArithmetic()
    {
        for (std::size_t k = 0; k < m_st.Count(); ++k)
            m_st.At(k).text = m_arithmetic.before[k] + m_st.At(k).text + m_arithmetic.after[k];
    }

    void AddTable(std::size_t k)
    {
        TableRef ref{m_st.At(k).Name(), m_st.At(k).Name()};
        std::size_t next = k + 1;
        if (m_st.Has(next) && m_st.At(next).IsWord("AS"))
            ++next;
        if (m_st.Has(next) && IsName(m_st.At(next)) && !m_st.At(next).IsSymbol("("))
            ref.reference = m_st.At(next).Name();
        m_out.tables.push_back(ref);
    }

    void CollectTables()
    {
        const std::string& verb = m_out.verb;
        if (verb == "UPDATE" && m_st.Has(1) && IsName(m_st.At(1)))
            AddTable(1);
        for (std::size_t k = 0; k < m_st.Count(); ++k)
        {
            SqlToken& t = m_st.At(k);
            if (t.depth != 0)
                continue;
            if (t.IsWord("INTO") && m_st.Has(k + 1) && IsName(m_st.At(k + 1)))
                AddTable(k + 1);
            if (t.IsWord("FROM"))
            {
                CollectFromClause(k + 1);
                break;
            }
        }
    }

    void CollectFromClause(std::size_t k)
    {
        bool expectTable = true;
        for (; m_st.Has(k); ++k)
        {
            SqlToken& t = m_st.At(k);
            if (t.depth == 0 && IsClauseEnd(t))
                break;
            if (t.IsSymbol("(") && m_st.Has(k + 1) && m_st.At(k + 1).IsWord("SELECT"))
            {
                k = SkipGroup(k);
                expectTable = false;
                continue;
            }
            if (t.IsSymbol(",") || t.IsSymbol("(") || t.IsWord("JOIN"))
            {
                expectTable = true;
                continue;
            }
            if (expectTable && IsName(t))
            {
                AddTable(k);
                expectTable = false;
            }
        }
    }

    std::size_t SkipGroup(std::size_t open)
    {
        int depth = m_st.At(open).depth;
        std::size_t k = open + 1;
        while (m_st.Has(k) && !(m_st.At(k).IsSymbol(")") && m_st.At(k).depth == depth))
            ++k;
        return k;
    }

    // "&" joins texts and takes an empty column as empty text (the engine's "||" would make the
    // whole text NULL); a currency column gives its amount, not its stored units.
    void RewriteConcatenation()
    {
        for (std::size_t k = 1; m_st.Has(k + 1); ++k)
        {
            if (!m_st.At(k).IsSymbol("&"))
                continue;
            if (Variant::Kind kind = ColumnKindEndingAt(k - 1); kind != Variant::Kind::Null)
                JoinColumn(ColumnStartingBefore(k - 1), k - 1, kind);
            if (Variant::Kind kind = ColumnKindStartingAt(k + 1); kind != Variant::Kind::Null)
                JoinColumn(k + 1, ColumnEndingAfter(k + 1), kind);
        }
    }

    std::size_t ColumnStartingBefore(std::size_t last)
    {
        bool qualified = last >= 2 && m_st.At(last - 1).IsSymbol(".") && IsName(m_st.At(last - 2));
        return qualified ? last - 2 : last;
    }

    std::size_t ColumnEndingAfter(std::size_t first)
    {
        bool qualified = m_st.Has(first + 2) && m_st.At(first + 1).IsSymbol(".");
        return qualified ? first + 2 : first;
    }

    // Replaces the column reference in tokens first..last by its text for joining.
    void JoinColumn(std::size_t first, std::size_t last, Variant::Kind kind)
    {
        std::string column;
        for (std::size_t k = first; k <= last; ++k)
        {
            column += m_st.At(k).text;
            m_st.At(k).text.clear();
        }
        if (kind == Variant::Kind::Currency)
            column = CurrencyTextExpression(column);
        m_st.At(first).text = "IFNULL(" + column + ", '')";
        m_st.At(first).type = Type::Symbol;
    }

    void RewriteLiterals()
    {
        for (std::size_t k = 0; k < m_st.Count(); ++k)
        {
            SqlToken& t = m_st.At(k);
            bool qualified = k > 0 && m_st.At(k - 1).IsSymbol(".");
            bool call = m_st.Has(k + 1) && m_st.At(k + 1).IsSymbol("(");
            if (t.type == Type::Date)
            {
                t.text = "'" + TranslateDateLiteral(t.text.substr(1, t.text.size() - 2)) + "'";
                t.type = Type::String;
            }
            else if (t.type == Type::Word && !qualified && !call &&
                     (t.IsWord("TRUE") || t.IsWord("YES")))
            {
                t.text = "1";
                t.type = Type::Number;
            }
            else if (t.type == Type::Word && !qualified && !call &&
                     (t.IsWord("FALSE") || t.IsWord("NO")))
            {
                t.text = "0";
                t.type = Type::Number;
            }
            else if (t.IsSymbol("&"))
                t.text = "||";
            else if (k == 1 && t.IsSymbol("*") && m_out.verb == "DELETE")
                t.text.clear(); // DELETE * FROM
        }
    }

    // TOP n becomes LIMIT n at the end of the same SELECT.
    void RewriteTop()
    {
        for (std::size_t k = 0; k < m_st.Count(); ++k)
        {
            if (!m_st.At(k).IsWord("SELECT"))
                continue;
            std::size_t top = k + 1;
            if (m_st.Has(top) && (m_st.At(top).IsWord("DISTINCT") || m_st.At(top).IsWord("ALL")))
                ++top;
            if (!m_st.Has(top + 1) || !m_st.At(top).IsWord("TOP") ||
                m_st.At(top + 1).type != Type::Number)
                continue;
            std::string limit = " LIMIT " + m_st.At(top + 1).text;
            int depth = m_st.At(k).depth;
            m_st.At(top).text.clear();
            m_st.At(top + 1).text.clear();
            // The SELECT ends at ";" or where its depth is left: the ")" closing the group
            // around a subquery lies one level out, while a parenthesised condition inside
            // the SELECT opens and closes at its own level.
            std::size_t end = top + 2;
            while (m_st.Has(end) && m_st.At(end).depth >= depth &&
                   !(m_st.At(end).depth == depth && m_st.At(end).IsSymbol(";")))
                ++end;
            if (m_st.Has(end))
                m_arithmetic.before[end] += limit;
            else
                m_arithmetic.after[end - 1] += limit;
        }
    }

    // The kind of the column whose reference ends at significant token k.
    Variant::Kind ColumnKindEndingAt(std::size_t k)
    {
        if (!m_st.Has(k) || !IsName(m_st.At(k)))
            return Variant::Kind::Null;
        if (m_st.Has(k + 1) && m_st.At(k + 1).IsSymbol("("))
            return Variant::Kind::Null;
        std::string column = m_st.At(k).Name();
        if (k >= 2 && m_st.At(k - 1).IsSymbol(".") && IsName(m_st.At(k - 2)))
            return QualifiedKind(m_st.At(k - 2).Name(), column);
        return UnqualifiedKind(column);
    }

    // The kind of the column whose reference starts at significant token k.
    Variant::Kind ColumnKindStartingAt(std::size_t k)
    {
        if (m_st.Has(k + 2) && m_st.At(k + 1).IsSymbol("."))
            return ColumnKindEndingAt(k + 2);
        return ColumnKindEndingAt(k);
    }

    Variant::Kind QualifiedKind(const std::string& qualifier, const std::string& column)
    {
        for (const TableRef& ref : m_out.tables)
            if (EqualsNoCase(ref.reference, qualifier) || EqualsNoCase(ref.table, qualifier))
                return m_catalog.ColumnKind(ref.table, column);
        return m_catalog.ColumnKind(qualifier, column);
    }

    Variant::Kind UnqualifiedKind(const std::string& column)
    {
        for (const TableRef& ref : m_out.tables)
        {
            Variant::Kind kind = m_catalog.ColumnKind(ref.table, column);
            if (kind != Variant::Kind::Null)
                return kind;
        }
        return Variant::Kind::Null;
    }

    void AnalyseSelectList()
    {
        std::size_t k = 1;
        bool updatable = true;
        if (m_st.Has(k) && (m_st.At(k).IsWord("DISTINCT") || m_st.At(k).IsWord("ALL")))
        {
            updatable = !m_st.At(k).IsWord("DISTINCT");
            ++k;
        }
        std::vector<Variant::Kind> kinds;
        bool star = false;
        Variant::Kind itemKind = Variant::Kind::Null;
        bool itemCounts = false;
        bool itemHasDate = false;
        bool itemHasOther = false;
        bool itemJoinsText = false;
        auto finishItem = [&]()
        {
            Variant::Kind kind = itemKind;
            if (itemCounts)
                kind = Variant::Kind::Long;
            else if (itemJoinsText)
                kind = Variant::Kind::Null;
            else if (kind != Variant::Kind::Currency)
                kind = (itemHasDate && !itemHasOther) ? Variant::Kind::Date : Variant::Kind::Null;
            kinds.push_back(kind);
            itemKind = Variant::Kind::Null;
            itemCounts = itemHasDate = itemHasOther = itemJoinsText = false;
        };
        for (; m_st.Has(k); ++k)
        {
            SqlToken& t = m_st.At(k);
            if (t.depth == 0 && t.IsWord("FROM"))
                break;
            if (t.depth == 0 && t.IsSymbol(","))
            {
                finishItem();
                continue;
            }
            if (t.IsSymbol("*") && (k == 1 || m_st.At(k - 1).IsSymbol(",") ||
                                    m_st.At(k - 1).IsSymbol(".") || m_st.At(k - 1).text.empty()))
                star = true;
            if (t.IsSymbol("||"))
                itemJoinsText = true;
            bool call = m_st.Has(k + 1) && m_st.At(k + 1).IsSymbol("(");
            if (call)
            {
                std::string fn = UpperAscii(t.text);
                if (fn == "COUNT")
                    itemCounts = true;
                if (fn == "SUM" || fn == "COUNT" || fn == "MIN" || fn == "MAX" || fn == "AVG")
                    updatable = false;
                continue;
            }
            if (k > 0 && m_st.At(k - 1).IsWord("AS"))
                continue;
            if (m_st.Has(k + 1) && m_st.At(k + 1).IsSymbol("."))
                continue;
            Variant::Kind kind = ColumnKindEndingAt(k);
            if (kind == Variant::Kind::Currency)
                itemKind = kind;
            else if (kind == Variant::Kind::Date)
                itemHasDate = true;
            else if (kind != Variant::Kind::Null)
                itemHasOther = true;
        }
        finishItem();
        // What the arithmetic computes decides over the columns it is computed from: amount
        // divided by amount is a plain ratio, a subquery's sum of amounts an amount.
        if (m_arithmetic.selectKinds.size() == kinds.size())
        {
            for (std::size_t i = 0; i < kinds.size(); ++i)
            {
                if (m_arithmetic.selectKinds[i] == Variant::Kind::Currency)
                    kinds[i] = Variant::Kind::Currency;
                else if (m_arithmetic.selectKinds[i] == Variant::Kind::Double &&
                         kinds[i] == Variant::Kind::Currency)
                    kinds[i] = Variant::Kind::Null;
            }
        }
        for (std::size_t j = k; m_st.Has(j); ++j)
            if (m_st.At(j).depth == 0 && (m_st.At(j).IsWord("GROUP") || m_st.At(j).IsWord("UNION")))
                updatable = false;
        if (!star)
            m_out.selectKinds = std::move(kinds);
        m_out.updatable = updatable && !m_out.tables.empty();
    }

    Statement& m_st;
    SchemaCatalog& m_catalog;
    TranslatedSql& m_out;
    ArithmeticEdits m_arithmetic;
};
} // namespace

bool SqlToken::IsWord(const char* upperWord) const
{
    if (type != Type::Word)
        return false;
    std::size_t i = 0;
    for (; upperWord[i] != '\0'; ++i)
    {
        if (i >= text.size() || std::toupper(static_cast<unsigned char>(text[i])) != upperWord[i])
            return false;
    }
    return i == text.size();
}

std::string SqlToken::Name() const
{
    if (type == Type::QuotedName && text.size() >= 2)
        return text.substr(1, text.size() - 2);
    return text;
}

std::vector<SqlToken> TokenizeSql(std::string_view sql)
{
    std::vector<SqlToken> tokens;
    int depth = 0;
    std::size_t i = 0;
    auto push = [&](Type type, std::size_t end)
    {
        tokens.push_back(SqlToken{type, std::string(sql.substr(i, end - i)), depth});
        i = end;
    };
    while (i < sql.size())
    {
        char c = sql[i];
        if (std::isspace(static_cast<unsigned char>(c)))
        {
            std::size_t j = i;
            while (j < sql.size() && std::isspace(static_cast<unsigned char>(sql[j])))
                ++j;
            push(Type::Space, j);
        }
        else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-')
        {
            std::size_t j = sql.find('\n', i);
            push(Type::Space, j == std::string_view::npos ? sql.size() : j);
        }
        else if (c == '\'' || c == '"' || c == '`' || c == '[' || c == '#')
        {
            char close = c == '[' ? ']' : c;
            std::size_t end = ScanQuoted(sql, i, close, c == '\'' || c == '"');
            if (end == std::string_view::npos)
                SyntaxError(std::string("unterminated ") + (c == '#' ? "date" : "text") +
                            " starting at \"" + std::string(sql.substr(i, 20)) + "\"");
            push(c == '\'' ? Type::String : (c == '#' ? Type::Date : Type::QuotedName), end);
        }
        else if (std::isdigit(static_cast<unsigned char>(c)) ||
                 (c == '.' && i + 1 < sql.size() &&
                  std::isdigit(static_cast<unsigned char>(sql[i + 1])) &&
                  (tokens.empty() || tokens.back().type == Type::Space ||
                   tokens.back().type == Type::Symbol)))
        {
            std::size_t end = ScanNumber(sql, i);
            if (end < sql.size() && IsWordChar(sql[end]) && c != '.')
            {
                // A name that starts with digits, such as the column 0 of _SchemaVersion.
                while (end < sql.size() && IsWordChar(sql[end]))
                    ++end;
                push(Type::Word, end);
            }
            else
                push(Type::Number, end);
        }
        else if (IsWordChar(c))
        {
            std::size_t j = i;
            while (j < sql.size() && IsWordChar(sql[j]))
                ++j;
            push(Type::Word, j);
        }
        else
        {
            std::string_view two = sql.substr(i, 2);
            std::size_t length =
                (two == "<>" || two == "<=" || two == ">=" || two == "!=" || two == "||") ? 2 : 1;
            if (c == ')')
                --depth;
            push(Type::Symbol, i + length);
            if (c == '(')
                ++depth;
        }
    }
    if (depth != 0)
        SyntaxError("unbalanced parentheses");
    return tokens;
}

std::string TranslateDateLiteral(std::string_view inner)
{
    int a = 0, b = 0, c = 0, h = 0, mi = 0, s = 0;
    char ampm[3] = {0, 0, 0};
    std::string text(inner);
    int year, month, day;
    if (std::sscanf(text.c_str(), "%d-%d-%d", &a, &b, &c) == 3 && a > 31)
    {
        year = a, month = b, day = c;
        std::size_t space = text.find(' ');
        if (space != std::string::npos)
            std::sscanf(text.c_str() + space, " %d:%d:%d", &h, &mi, &s);
    }
    else if (std::sscanf(text.c_str(), "%d/%d/%d", &a, &b, &c) == 3)
    {
        month = a, day = b, year = c < 100 ? (c < 30 ? 2000 + c : 1900 + c) : c;
        std::size_t space = text.find(' ');
        if (space != std::string::npos)
        {
            std::sscanf(text.c_str() + space, " %d:%d:%d", &h, &mi, &s);
            std::sscanf(text.c_str() + space, " %*d:%*d%*[:0-9] %2s", ampm);
            std::string marker = UpperAscii(ampm);
            if (marker == "PM" && h < 12)
                h += 12;
            else if (marker == "AM" && h == 12)
                h = 0;
        }
    }
    else
        throw DatabaseError(Status::ErrorsInCommand,
                            "Syntax error in date in query expression '#" + text + "#'.");
    DateTime value{year, month, day, h, mi, s};
    if (!value.IsValid())
        throw DatabaseError(Status::ErrorsInCommand,
                            "Syntax error in date in query expression '#" + text + "#'.");
    return ToStorageText(value);
}

std::string ScaleCurrencyLiteral(const std::string& number)
{
    if (number.find_first_of("eE") != std::string::npos)
        return std::to_string(Currency::FromDouble(SqlNumber(number)).Units());
    auto value = Currency::Parse(number, '.');
    if (!value)
        return number;
    return std::to_string(value->Units());
}

TranslatedSql TranslateJetSql(std::string_view jetSql, SchemaCatalog& catalog)
{
    Statement statement(TokenizeSql(jetSql));
    TranslatedSql out;
    Translator(statement, catalog, out).Run();
    for (const SqlToken& t : statement.Tokens())
    {
        if (t.depth == 0 && t.IsWord("FROM") && out.fromOffset == std::string::npos)
            out.fromOffset = out.sql.size();
        out.sql += t.text;
    }
    return out;
}

std::string CurrencyTextExpression(const std::string& units)
{
    const std::string magnitude = "abs(" + units + ")";
    return "CASE WHEN " + units + " IS NULL THEN NULL ELSE (CASE WHEN " + units +
           " < 0 THEN '-' ELSE '' END) || (" + magnitude + " / 10000) || CASE WHEN " + magnitude +
           " % 10000 = 0 THEN '' ELSE '.' || rtrim(printf('%04d', " + magnitude +
           " % 10000), '0') END END";
}
