#include "data/JetArithmetic.h"

#include "data/SchemaCatalog.h"

#include <charconv>
#include <cstddef>
#include <initializer_list>
#include <set>
#include <utility>

namespace
{
using Type = SqlToken::Type;
using Kind = Variant::Kind;

constexpr std::size_t None = static_cast<std::size_t>(-1);

/// What an expression computes, as far as its units go.
enum class Dim
{
    Unknown,  ///< NULL, a truth value, a function not looked into, a column of no known type
    Literal,  ///< a number written in the statement, or arithmetic of such numbers only
    Number,   ///< a plain number from a column or a function (a Long, a Double, COUNT)
    Currency, ///< an amount, held in units of 1/10,000
    Bool,     ///< a yes/no column
    Date,
    Text
};

/// One expression as read: where it stands among the tokens, what it computes and, where its
/// literals may have to be written in units, its parts.
struct Node
{
    enum class Shape
    {
        Empty,    ///< nothing could be read here
        Leaf,     ///< a column, text, date, subquery, or anything not looked into
        Number,   ///< a number literal, perhaps signed
        Sum,      ///< a + b or a - b
        Product,  ///< a * b
        Quotient, ///< a / b
        Wrapper,  ///< the value of its one part: ( a ), -a, SUM(a), ABS(a) ...
        Choice    ///< one of its parts: IIF, COALESCE, CASE
    };
    Shape shape = Shape::Empty;
    Dim dim = Dim::Unknown;
    bool whole = false; ///< a plain number that is always a whole number
    std::size_t first = None;
    std::size_t last = None;
    std::size_t sign = None; ///< the sign token of a Number
    std::vector<Node> parts;

    bool IsEmpty() const { return shape == Shape::Empty; }
    bool IsPlain() const { return dim == Dim::Literal || dim == Dim::Number; }
};

/// The tables that names of a statement or subquery refer to, inside those of the
/// statements around it.
struct Scope
{
    std::vector<TableRef> tables;
    const Scope* outer = nullptr;
};

bool IsWordIn(const SqlToken& t, const std::set<std::string>& words)
{
    return t.type == Type::Word && words.count(UpperAscii(t.text)) != 0;
}

/// Words that end an expression: clauses, joins, the rest of a comparison.
bool EndsExpression(const SqlToken& t)
{
    static const std::set<std::string> words = {
        "FROM", "WHERE", "GROUP", "ORDER", "HAVING", "UNION", "SET",     "VALUES", "ON",
        "JOIN", "INNER", "LEFT",  "RIGHT", "OUTER",  "FULL",  "CROSS",   "AS",     "THEN",
        "ELSE", "END",   "WHEN",  "ASC",   "DESC",   "LIMIT", "BY",      "INTO",   "SELECT",
        "AND",  "OR",    "NOT",   "IS",    "IN",     "LIKE",  "BETWEEN", "TOP",    "DISTINCT"};
    return IsWordIn(t, words) || t.IsSymbol(")") || t.IsSymbol(",") || t.IsSymbol(";");
}

/// Words that start the next clause of a SELECT, UPDATE or DELETE.
bool StartsClause(const SqlToken& t)
{
    static const std::set<std::string> words = {"WHERE", "GROUP", "ORDER", "HAVING",
                                                "UNION", "LIMIT", "SET"};
    return IsWordIn(t, words);
}

bool IsName(const SqlToken& t)
{
    static const std::set<std::string> reserved = {"NULL", "TRUE",    "FALSE",      "YES",
                                                   "NO",   "CASE",    "EXISTS",     "ALL",
                                                   "MOD",  "PERCENT", "DISTINCTROW"};
    if (t.type == Type::QuotedName)
        return true;
    return t.type == Type::Word && !EndsExpression(t) && !IsWordIn(t, reserved);
}

bool IsComparison(const SqlToken& t)
{
    for (const char* op : {"=", "<>", "!=", "<", ">", "<=", ">="})
        if (t.IsSymbol(op))
            return true;
    return t.IsWord("LIKE");
}

/// The units an expression of a column's kind computes in.
Dim DimOf(Kind kind)
{
    switch (kind)
    {
    case Kind::Currency:
        return Dim::Currency;
    case Kind::Long:
    case Kind::Single:
    case Kind::Double:
        return Dim::Number;
    case Kind::Bool:
        return Dim::Bool;
    case Kind::Date:
        return Dim::Date;
    case Kind::Text:
        return Dim::Text;
    case Kind::Null:
        break;
    }
    return Dim::Unknown;
}

bool IsWholeLiteral(const std::string& text)
{
    return text.find_first_of(".eE") == std::string::npos;
}

double LiteralValue(const std::string& text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

class Planner
{
public:
    Planner(const std::vector<SqlToken*>& tokens, SchemaCatalog& catalog)
        : m_t(tokens), m_catalog(catalog)
    {
        m_edits.before.resize(tokens.size());
        m_edits.after.resize(tokens.size());
    }

    ArithmeticEdits Run()
    {
        Scope statement;
        std::size_t k = 0;
        if (Word(0, "SELECT"))
        {
            for (const Node& item : Select(k, statement, {}))
                m_edits.selectKinds.push_back(item.dim == Dim::Currency ? Kind::Currency
                                              : item.IsPlain()          ? Kind::Double
                                                                        : Kind::Null);
        }
        else if (Word(0, "INSERT"))
            Insert();
        else if (Word(0, "UPDATE"))
            Update();
        else if (Word(0, "DELETE"))
            Delete();
        return std::move(m_edits);
    }

private:
    // --- Statements -----------------------------------------------------------------------

    /// A SELECT at token k (the word SELECT) up to where it ends; its items in order. An item
    /// at position i is stored into a column of kind targets[i].
    std::vector<Node> Select(std::size_t& k, const Scope& outer, const std::vector<Kind>& targets)
    {
        int depth = At(k).depth;
        ++k;
        Scope scope;
        scope.outer = &outer;
        scope.tables = FromTablesAhead(k, depth);
        while (Word(k, "DISTINCT") || Word(k, "ALL") || Word(k, "DISTINCTROW"))
            ++k;
        if (Word(k, "TOP") && Has(k + 1) && At(k + 1).type == Type::Number)
        {
            k += 2;
            if (Word(k, "PERCENT"))
                ++k;
        }
        std::vector<Node> items;
        while (Has(k) && At(k).depth >= depth && !Word(k, "FROM") && !Sym(k, ";") &&
               !StartsClause(At(k)))
        {
            std::size_t start = k;
            Node item = Expr(k, scope);
            if (Word(k, "AS"))
                k += 2;
            else if (Has(k) && IsName(At(k)))
                ++k; // an alias without AS
            if (items.size() < targets.size())
                Assign(item, targets[items.size()]);
            items.push_back(std::move(item));
            // After an item comes a comma; where nothing could be read, it is stepped over.
            if (Sym(k, ",") || k == start)
                ++k;
        }
        while (Has(k) && At(k).depth >= depth && !Sym(k, ";"))
        {
            if (Word(k, "FROM"))
                FromClause(++k, depth, scope);
            else if (Word(k, "WHERE") || Word(k, "HAVING"))
                Expr(++k, scope);
            else if ((Word(k, "GROUP") || Word(k, "ORDER")) && Word(k + 1, "BY"))
                List(k += 2, scope);
            else if (Word(k, "UNION"))
            {
                ++k;
                if (Word(k, "ALL"))
                    ++k;
                if (Word(k, "SELECT"))
                    Select(k, outer, targets);
            }
            else
                ++k;
        }
        return items;
    }

    /// INSERT INTO table [(columns)] VALUES (...) or SELECT ...: each value is stored in the
    /// kind of its column.
    void Insert()
    {
        std::size_t k = 0;
        while (Has(k) && !Word(k, "INTO"))
            ++k;
        if (!Has(k + 1) || !IsName(At(k + 1)))
            return;
        std::string table = At(k + 1).Name();
        k += 2;
        std::vector<Kind> targets;
        if (Sym(k, "("))
        {
            int depth = At(k).depth;
            for (++k; Has(k) && !(Sym(k, ")") && At(k).depth == depth); ++k)
                if (IsName(At(k)))
                    targets.push_back(m_catalog.ColumnKind(table, At(k).Name()));
            ++k;
        }
        else if (const std::vector<ColumnDef>* columns = m_catalog.Columns(table))
        {
            for (const ColumnDef& column : *columns)
                targets.push_back(column.kind);
        }
        Scope none;
        if (Word(k, "SELECT"))
        {
            Select(k, none, targets);
            return;
        }
        if (!Word(k, "VALUES"))
            return;
        for (++k; Sym(k, "(");)
        {
            int depth = At(k).depth;
            ++k;
            for (std::size_t i = 0;; ++i)
            {
                Node value = Expr(k, none);
                if (i < targets.size())
                    Assign(value, targets[i]);
                if (!Sym(k, ","))
                    break;
                ++k;
            }
            Close(k, depth);
            if (!Sym(k, ","))
                break;
            ++k;
        }
    }

    /// UPDATE tables SET column = value, ... WHERE condition.
    void Update()
    {
        std::size_t set = 1;
        while (Has(set) && !(Word(set, "SET") && At(set).depth == 0))
            ++set;
        Scope scope;
        scope.tables = TablesFrom(1, 0);
        for (std::size_t k = 1; k < set;)
        {
            if (Word(k, "ON"))
                Expr(++k, scope);
            else
                ++k;
        }
        std::size_t k = set + 1;
        while (Has(k) && IsName(At(k)))
        {
            std::string qualifier;
            std::string column = At(k).Name();
            ++k;
            if (Sym(k, ".") && Has(k + 1) && IsName(At(k + 1)))
            {
                qualifier = column;
                column = At(k + 1).Name();
                k += 2;
            }
            if (!Sym(k, "="))
                break;
            Node value = Expr(++k, scope);
            Assign(value, KindOf(scope, qualifier, column));
            if (!Sym(k, ","))
                break;
            ++k;
        }
        if (Word(k, "WHERE"))
            Expr(++k, scope);
    }

    /// DELETE [*] FROM tables WHERE condition.
    void Delete()
    {
        std::size_t k = 0;
        while (Has(k) && !(Word(k, "FROM") && At(k).depth == 0))
            ++k;
        Scope scope;
        scope.tables = TablesFrom(k + 1, 0);
        while (Has(k) && !(Word(k, "WHERE") && At(k).depth == 0))
            ++k;
        if (Has(k))
            Expr(++k, scope);
    }

    /// The FROM clause from token k: subqueries and join conditions.
    void FromClause(std::size_t& k, int depth, const Scope& scope)
    {
        while (Has(k) && At(k).depth >= depth && !Sym(k, ";") &&
               !(At(k).depth == depth && StartsClause(At(k))))
        {
            if (Sym(k, "(") && Word(k + 1, "SELECT"))
            {
                int open = At(k).depth;
                Select(++k, scope, {});
                Close(k, open);
            }
            else if (Word(k, "ON"))
                Expr(++k, scope);
            else
                ++k;
        }
    }

    /// The tables of the FROM clause of the SELECT whose list starts at token k.
    std::vector<TableRef> FromTablesAhead(std::size_t k, int depth)
    {
        while (Has(k) && At(k).depth >= depth &&
               !(At(k).depth == depth && (Word(k, "FROM") || Sym(k, ";") || Word(k, "UNION"))))
            ++k;
        if (!Word(k, "FROM") || At(k).depth != depth)
            return {};
        return TablesFrom(k + 1, depth);
    }

    /// The tables named from token k to the end of a FROM clause (or of UPDATE's list).
    std::vector<TableRef> TablesFrom(std::size_t k, int depth)
    {
        std::vector<TableRef> tables;
        bool expectTable = true;
        bool inCondition = false;
        for (; Has(k) && At(k).depth >= depth; ++k)
        {
            const SqlToken& t = At(k);
            if (t.depth == depth && (StartsClause(t) || t.IsSymbol(";")))
                break;
            if (t.IsSymbol("(") && Word(k + 1, "SELECT"))
            {
                k = Matching(k);
                expectTable = false;
                continue;
            }
            if (t.IsWord("ON"))
                inCondition = true;
            else if (t.IsSymbol(",") || t.IsWord("JOIN"))
            {
                expectTable = true;
                inCondition = false;
            }
            else if (t.IsSymbol("(") && !inCondition)
                expectTable = true;
            else if (expectTable && IsName(t))
            {
                TableRef ref{t.Name(), t.Name()};
                std::size_t alias = Word(k + 1, "AS") ? k + 2 : k + 1;
                if (Has(alias) && IsName(At(alias)))
                    ref.reference = At(alias).Name();
                tables.push_back(std::move(ref));
                expectTable = false;
            }
        }
        return tables;
    }

    // --- Expressions, from the loosest operator to the tightest ----------------------------

    Node Expr(std::size_t& k, const Scope& s) { return Or(k, s); }

    Node Or(std::size_t& k, const Scope& s)
    {
        std::size_t start = k;
        Node left = And(k, s);
        if (!Word(k, "OR"))
            return left;
        while (Word(k, "OR"))
            And(++k, s);
        return Opaque(start, k);
    }

    Node And(std::size_t& k, const Scope& s)
    {
        std::size_t start = k;
        Node left = Not(k, s);
        if (!Word(k, "AND"))
            return left;
        while (Word(k, "AND"))
            Not(++k, s);
        return Opaque(start, k);
    }

    Node Not(std::size_t& k, const Scope& s)
    {
        if (!Word(k, "NOT"))
            return Comparison(k, s);
        std::size_t start = k;
        Not(++k, s);
        return Opaque(start, k);
    }

    Node Comparison(std::size_t& k, const Scope& s)
    {
        std::size_t start = k;
        Node left = Concatenation(k, s);
        if (left.IsEmpty())
            return left;
        bool compared = false;
        for (;;)
        {
            std::size_t op = Word(k, "NOT") ? k + 1 : k;
            if (Has(op) && IsComparison(At(op)) && (op == k || At(op).IsWord("LIKE")))
            {
                Node right = Concatenation(k = op + 1, s);
                Compare(left, right);
            }
            else if (Word(op, "BETWEEN"))
            {
                Node low = Concatenation(k = op + 1, s);
                if (Word(k, "AND"))
                    ++k;
                Node high = Concatenation(k, s);
                Compare(left, low);
                Compare(left, high);
            }
            else if (Word(op, "IN") && Sym(op + 1, "("))
            {
                int depth = At(op + 1).depth;
                k = op + 2;
                if (Word(k, "SELECT"))
                    Select(k, s, {});
                else
                {
                    for (;;)
                    {
                        Node item = Expr(k, s);
                        Compare(left, item);
                        if (!Sym(k, ","))
                            break;
                        ++k;
                    }
                }
                Close(k, depth);
            }
            else if (Word(k, "IS"))
            {
                ++k;
                if (Word(k, "NOT"))
                    ++k;
                if (Word(k, "NULL"))
                    ++k;
            }
            else
                break;
            compared = true;
        }
        return compared ? Opaque(start, k) : left;
    }

    Node Concatenation(std::size_t& k, const Scope& s)
    {
        std::size_t start = k;
        Node left = Additive(k, s);
        if (left.IsEmpty() || !(Sym(k, "&") || Sym(k, "||")))
            return left;
        while (Sym(k, "&") || Sym(k, "||"))
            Additive(++k, s);
        Node text = Opaque(start, k);
        text.dim = Dim::Text;
        return text;
    }

    Node Additive(std::size_t& k, const Scope& s)
    {
        Node left = Term(k, s);
        while (!left.IsEmpty() && (Sym(k, "+") || Sym(k, "-")))
        {
            std::size_t op = k;
            Node right = Term(++k, s);
            if (right.IsEmpty())
            {
                k = op;
                break;
            }
            left = Sum(std::move(left), std::move(right));
        }
        return left;
    }

    Node Term(std::size_t& k, const Scope& s)
    {
        Node left = Unary(k, s);
        while (!left.IsEmpty())
        {
            bool times = Sym(k, "*");
            bool divided = Sym(k, "/");
            if (!times && !divided && !Sym(k, "\\") && !Sym(k, "^") && !Sym(k, "%") &&
                !Word(k, "MOD"))
                break;
            std::size_t op = k;
            Node right = Unary(++k, s);
            if (right.IsEmpty())
            {
                k = op;
                break;
            }
            left = times     ? Product(std::move(left), std::move(right))
                   : divided ? Quotient(std::move(left), std::move(right))
                             : OtherArithmetic(left, right);
        }
        return left;
    }

    Node Unary(std::size_t& k, const Scope& s)
    {
        if (!Sym(k, "-") && !Sym(k, "+"))
            return Primary(k, s);
        std::size_t sign = k;
        if (Has(k + 1) && At(k + 1).type == Type::Number)
        {
            k += 2;
            return NumberAt(k - 1, sign);
        }
        Node inner = Unary(++k, s);
        if (inner.IsEmpty())
            return inner;
        return Wrapped(sign, k, std::move(inner));
    }

    Node Primary(std::size_t& k, const Scope& s)
    {
        if (!Has(k))
            return Node();
        const SqlToken& t = At(k);
        std::size_t start = k;
        if (t.type == Type::Number)
            return NumberAt(k++, None);
        if (t.type == Type::String || t.type == Type::Date)
            return Leaf(start, ++k, t.type == Type::String ? Dim::Text : Dim::Date);
        if (t.IsSymbol("("))
            return Group(k, s);
        if (t.IsWord("EXISTS") && Sym(k + 1, "("))
        {
            ++k;
            Group(k, s);
            return Opaque(start, k);
        }
        if (t.IsWord("CASE"))
            return Case(k, s);
        if (t.type == Type::Word && Sym(k + 1, "(") &&
            (!EndsExpression(t) || t.IsWord("LEFT") || t.IsWord("RIGHT")))
            return Call(k, s);
        if (IsName(t))
            return Column(k, s);
        if (EndsExpression(t))
            return Node();
        // NULL, TRUE, *, or anything else that is no number of known units.
        return Leaf(start, ++k, Dim::Unknown);
    }

    /// ( expression ), ( list ) or ( SELECT ... ) at token k.
    Node Group(std::size_t& k, const Scope& s)
    {
        std::size_t start = k;
        int depth = At(k).depth;
        ++k;
        if (Word(k, "SELECT"))
        {
            std::vector<Node> items = Select(k, s, {});
            Close(k, depth);
            Node value = Opaque(start, k);
            if (items.size() == 1)
            {
                value.dim = items[0].dim == Dim::Literal ? Dim::Number : items[0].dim;
                value.whole = items[0].whole;
            }
            return value;
        }
        Node inner = Expr(k, s);
        bool list = false;
        while (Sym(k, ","))
        {
            list = true;
            Expr(++k, s);
        }
        Close(k, depth);
        if (list || inner.IsEmpty())
            return Opaque(start, k);
        return Wrapped(start, k, std::move(inner));
    }

    /// A function call at token k.
    Node Call(std::size_t& k, const Scope& s)
    {
        std::size_t start = k;
        std::string name = UpperAscii(At(k).text);
        int depth = At(k + 1).depth;
        k += 2;
        if (Word(k, "DISTINCT") || Word(k, "ALL"))
            ++k;
        std::vector<Node> args;
        while (Has(k) && !Sym(k, ")"))
        {
            args.push_back(Expr(k, s));
            if (!Sym(k, ","))
                break;
            ++k;
        }
        Close(k, depth);
        if (name == "COUNT")
        {
            Node count = Leaf(start, k, Dim::Number);
            count.whole = true;
            return count;
        }
        static const std::set<std::string> sameUnits = {"SUM", "MIN",   "MAX", "AVG",
                                                        "ABS", "FIRST", "LAST"};
        if (sameUnits.count(name) && args.size() == 1 && !args[0].IsEmpty())
        {
            Node value = Wrapped(start, k, std::move(args[0]));
            value.whole = value.whole && name != "AVG";
            return value;
        }
        if (name == "IIF" && args.size() == 3)
            return Choice(start, k, {std::move(args[1]), std::move(args[2])});
        if ((name == "NZ" || name == "COALESCE" || name == "IFNULL") && !args.empty())
            return Choice(start, k, std::move(args));
        return Opaque(start, k);
    }

    /// CASE [subject] WHEN ... THEN ... [ELSE ...] END at token k.
    Node Case(std::size_t& k, const Scope& s)
    {
        std::size_t start = k++;
        Node subject;
        if (!Word(k, "WHEN"))
            subject = Expr(k, s);
        std::vector<Node> results;
        while (Word(k, "WHEN"))
        {
            Node when = Expr(++k, s);
            if (!subject.IsEmpty())
                Compare(subject, when);
            if (Word(k, "THEN"))
                results.push_back(Expr(++k, s));
        }
        if (Word(k, "ELSE"))
            results.push_back(Expr(++k, s));
        if (Word(k, "END"))
            ++k;
        return Choice(start, k, std::move(results));
    }

    /// [qualifier.]column at token k.
    Node Column(std::size_t& k, const Scope& s)
    {
        std::size_t start = k;
        std::string qualifier;
        std::string column = At(k).Name();
        ++k;
        if (Sym(k, ".") && Sym(k + 1, "*"))
        {
            k += 2;
            return Opaque(start, k);
        }
        if (Sym(k, ".") && Has(k + 1) && IsName(At(k + 1)))
        {
            qualifier = column;
            column = At(k + 1).Name();
            k += 2;
        }
        Kind kind = KindOf(s, qualifier, column);
        Node value = Leaf(start, k, DimOf(kind));
        value.whole = kind == Kind::Long;
        return value;
    }

    // --- Combining and converting ----------------------------------------------------------

    Node Sum(Node a, Node b)
    {
        Node sum = Joined(Node::Shape::Sum, a, b);
        if (a.dim == Dim::Currency || b.dim == Dim::Currency)
        {
            // An amount plus a number is an amount: the number is written in units.
            ToCurrency(a);
            ToCurrency(b);
            sum.dim = Dim::Currency;
        }
        else if (a.dim == Dim::Literal && b.dim == Dim::Literal)
            sum.dim = Dim::Literal;
        else if (a.IsPlain() && b.IsPlain())
            sum.dim = Dim::Number;
        sum.whole = a.whole && b.whole;
        sum.parts = {std::move(a), std::move(b)};
        return sum;
    }

    Node Product(Node a, Node b)
    {
        Node product = Joined(Node::Shape::Product, a, b);
        bool amountA = a.dim == Dim::Currency;
        bool amountB = b.dim == Dim::Currency;
        if (amountA && amountB)
        {
            // Units times units is units squared.
            Wrap(product, "ROUND(", " / 10000.0)");
            product.dim = Dim::Currency;
        }
        else if ((amountA && b.IsPlain()) || (amountB && a.IsPlain()))
        {
            // An amount times a number is an amount; a factor that need not be whole may
            // leave a part of a unit, which is rounded off.
            if (!(amountA ? b.whole : a.whole))
                Wrap(product, "ROUND(", ")");
            product.dim = Dim::Currency;
        }
        else if (a.IsPlain() && b.IsPlain())
        {
            product.dim =
                a.dim == Dim::Literal && b.dim == Dim::Literal ? Dim::Literal : Dim::Number;
            product.whole = a.whole && b.whole;
        }
        product.parts = {std::move(a), std::move(b)};
        return product;
    }

    Node Quotient(Node a, Node b)
    {
        Node quotient = Joined(Node::Shape::Quotient, a, b);
        bool amountA = a.dim == Dim::Currency;
        bool amountB = b.dim == Dim::Currency;
        // The engine divides whole numbers in whole numbers; amounts divide exactly.
        if (amountA && amountB)
        {
            Wrap(quotient, "(1.0 * ", ")");
            quotient.dim = Dim::Number;
        }
        else if (amountA && b.IsPlain())
        {
            Wrap(quotient, "ROUND(1.0 * ", ")");
            quotient.dim = Dim::Currency;
        }
        else if (a.IsPlain() && amountB)
        {
            // A number divided by units: the units' 10,000 go into the numerator.
            Wrap(quotient, "(10000.0 * ", ")");
            quotient.dim = Dim::Number;
        }
        else if (a.IsPlain() && b.IsPlain())
            quotient.dim =
                a.dim == Dim::Literal && b.dim == Dim::Literal ? Dim::Literal : Dim::Number;
        quotient.parts = {std::move(a), std::move(b)};
        return quotient;
    }

    /// Integer division, MOD and powers: plain numbers of plain numbers, nothing else known.
    static Node OtherArithmetic(const Node& a, const Node& b)
    {
        Node value = Joined(Node::Shape::Leaf, a, b);
        if (a.IsPlain() && b.IsPlain())
        {
            value.dim = Dim::Number;
            value.whole = a.whole && b.whole;
        }
        return value;
    }

    Node Choice(std::size_t first, std::size_t end, std::vector<Node> parts)
    {
        Node choice = Opaque(first, end);
        choice.shape = Node::Shape::Choice;
        bool amount = false;
        bool literals = !parts.empty();
        bool plain = !parts.empty();
        bool whole = !parts.empty();
        for (const Node& part : parts)
        {
            amount = amount || part.dim == Dim::Currency;
            literals = literals && part.dim == Dim::Literal;
            plain = plain && part.IsPlain();
            whole = whole && part.whole;
        }
        if (amount)
        {
            for (Node& part : parts)
                ToCurrency(part);
            choice.dim = Dim::Currency;
        }
        else if (literals)
            choice.dim = Dim::Literal;
        else if (plain)
            choice.dim = Dim::Number;
        choice.whole = whole;
        choice.parts = std::move(parts);
        return choice;
    }

    /// Two values compared: a number compared with an amount is written in units, one
    /// compared with a yes/no column is a truth value.
    void Compare(Node& a, Node& b)
    {
        if (a.IsEmpty() || b.IsEmpty())
            return;
        if (a.dim == Dim::Currency || b.dim == Dim::Currency)
        {
            ToCurrency(a);
            ToCurrency(b);
        }
        else if (a.dim == Dim::Bool)
            ToYesNo(b);
        else if (b.dim == Dim::Bool)
            ToYesNo(a);
    }

    /// A value stored into a column of a kind.
    void Assign(Node& value, Kind kind)
    {
        if (kind == Kind::Currency)
            ToCurrency(value);
        else if (kind == Kind::Bool)
            ToYesNo(value);
    }

    /// Makes a value an amount in units.
    void ToCurrency(Node& value)
    {
        switch (value.dim)
        {
        case Dim::Literal:
            LiteralToUnits(value);
            break;
        case Dim::Number:
            // A plain number of a column or function counts whole amounts.
            if (m_wrapped.insert({value.first, value.last}).second)
            {
                if (value.whole)
                    Wrap(value, "(", ") * 10000");
                else
                    Wrap(value, "ROUND((", ") * 10000)");
            }
            break;
        case Dim::Unknown:
            // Of a value of no known units, only the numbers added to it or chosen can be
            // written in units.
            if (value.shape == Node::Shape::Sum || value.shape == Node::Shape::Wrapper ||
                value.shape == Node::Shape::Choice)
                for (Node& part : value.parts)
                    if (part.dim == Dim::Literal || part.dim == Dim::Unknown)
                        ToCurrency(part);
            break;
        default:
            break;
        }
        if (value.dim == Dim::Literal || value.dim == Dim::Number)
            value.dim = Dim::Currency;
    }

    /// Writes a constant in units: every literal added, the first of a product or quotient.
    void LiteralToUnits(Node& value)
    {
        switch (value.shape)
        {
        case Node::Shape::Number:
            if (m_scaled.insert(Token(value)).second)
                m_t[Token(value)]->text = ScaleCurrencyLiteral(m_t[Token(value)]->text);
            break;
        case Node::Shape::Sum:
        case Node::Shape::Choice:
            for (Node& part : value.parts)
                LiteralToUnits(part);
            break;
        case Node::Shape::Product:
        case Node::Shape::Wrapper:
            LiteralToUnits(value.parts[0]);
            break;
        case Node::Shape::Quotient:
            LiteralToUnits(value.parts[0]);
            if (m_wrapped.insert({value.first, value.last}).second)
                Wrap(value, "ROUND(1.0 * ", ")");
            break;
        default:
            break;
        }
    }

    /// Makes a number literal a yes/no value: any number but 0 is true.
    void ToYesNo(Node& value)
    {
        if (value.shape != Node::Shape::Number || !m_scaled.insert(Token(value)).second)
            return;
        SqlToken& number = *m_t[Token(value)];
        // One character assigned, not a literal copied: GCC's -Wrestrict misreads the copy
        // under the sanitizers.
        number.text.assign(1, LiteralValue(number.text) != 0 ? '1' : '0');
        if (value.sign != None)
            m_t[value.sign]->text.clear();
    }

    // --- Nodes ----------------------------------------------------------------------------

    /// A node of tokens first up to (not including) end.
    static Node Leaf(std::size_t first, std::size_t end, Dim dim)
    {
        Node leaf;
        leaf.shape = Node::Shape::Leaf;
        leaf.dim = dim;
        leaf.first = first;
        leaf.last = end > first ? end - 1 : first;
        return leaf;
    }

    /// A value of unknown units over tokens first up to end.
    static Node Opaque(std::size_t first, std::size_t end)
    {
        return Leaf(first, end, Dim::Unknown);
    }

    Node NumberAt(std::size_t k, std::size_t sign) const
    {
        Node number;
        number.shape = Node::Shape::Number;
        number.dim = Dim::Literal;
        number.whole = IsWholeLiteral(At(k).text);
        number.first = sign == None ? k : sign;
        number.last = k;
        number.sign = sign;
        return number;
    }

    /// The value of one part over tokens first up to end.
    static Node Wrapped(std::size_t first, std::size_t end, Node inner)
    {
        Node wrapper = Leaf(first, end, inner.dim);
        wrapper.shape = Node::Shape::Wrapper;
        wrapper.whole = inner.whole;
        wrapper.parts.push_back(std::move(inner));
        return wrapper;
    }

    static Node Joined(Node::Shape shape, const Node& a, const Node& b)
    {
        Node joined;
        joined.shape = shape;
        joined.first = a.first;
        joined.last = b.last;
        return joined;
    }

    /// The number token of a Number node.
    static std::size_t Token(const Node& value) { return value.last; }

    /// Puts text around a node: outside whatever was put around it before.
    void Wrap(const Node& value, const std::string& before, const std::string& after)
    {
        m_edits.before[value.first] = before + m_edits.before[value.first];
        m_edits.after[value.last] += after;
    }

    // --- Tokens and names -----------------------------------------------------------------

    bool Has(std::size_t k) const { return k < m_t.size(); }
    const SqlToken& At(std::size_t k) const { return *m_t[k]; }
    bool Word(std::size_t k, const char* word) const { return Has(k) && At(k).IsWord(word); }
    bool Sym(std::size_t k, const char* symbol) const { return Has(k) && At(k).IsSymbol(symbol); }

    /// The ")" that closes the "(" at token open; the last token when there is none.
    std::size_t Matching(std::size_t open) const
    {
        int depth = At(open).depth;
        std::size_t k = open + 1;
        while (Has(k) && !(Sym(k, ")") && At(k).depth == depth))
            ++k;
        return Has(k) ? k : m_t.size() - 1;
    }

    /// Moves past the ")" at a depth, whatever was left unread before it.
    void Close(std::size_t& k, int depth) const
    {
        while (Has(k) && !(Sym(k, ")") && At(k).depth == depth))
            ++k;
        if (Has(k))
            ++k;
    }

    /// The kind of [qualifier.]column in a scope; Null when it is no known column.
    Kind KindOf(const Scope& scope, const std::string& qualifier, const std::string& column)
    {
        for (const Scope* s = &scope; s; s = s->outer)
        {
            for (const TableRef& ref : s->tables)
            {
                if (qualifier.empty())
                {
                    Kind kind = m_catalog.ColumnKind(ref.table, column);
                    if (kind != Kind::Null)
                        return kind;
                }
                else if (EqualsNoCase(ref.reference, qualifier) ||
                         EqualsNoCase(ref.table, qualifier))
                    return m_catalog.ColumnKind(ref.table, column);
            }
        }
        return qualifier.empty() ? Kind::Null : m_catalog.ColumnKind(qualifier, column);
    }

    void List(std::size_t& k, const Scope& s)
    {
        for (;;)
        {
            std::size_t start = k;
            Expr(k, s);
            if (Word(k, "ASC") || Word(k, "DESC"))
                ++k;
            if (!Sym(k, ",") || k == start)
                return;
            ++k;
        }
    }

    const std::vector<SqlToken*>& m_t;
    SchemaCatalog& m_catalog;
    ArithmeticEdits m_edits;
    std::set<std::size_t> m_scaled;                          ///< literals already rewritten
    std::set<std::pair<std::size_t, std::size_t>> m_wrapped; ///< values already converted
};
} // namespace

ArithmeticEdits PlanArithmetic(const std::vector<SqlToken*>& tokens, SchemaCatalog& catalog)
{
    return Planner(tokens, catalog).Run();
}
