#include "search/SearchQuery.h"

#include <cstddef>

namespace
{
/// The hint of a mistake; empty when the text was read.
using Hint = std::optional<std::string>;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
    {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

/// The text of a token with its double quotes taken out, trimmed.
std::string WithoutQuotes(std::string_view raw)
{
    std::string text;
    for (char c : raw)
    {
        if (c != '"')
            text += c;
    }
    return std::string(Trim(text));
}

/// Splits at blanks outside double quotes; the tokens keep their quotes. Empty when a quote is
/// not closed.
std::optional<std::vector<std::string>> SplitTokens(std::string_view text)
{
    std::vector<std::string> tokens;
    std::string token;
    bool quoted = false;
    for (char c : text)
    {
        if (c == '"')
            quoted = !quoted;
        if (IsBlank(c) && !quoted)
        {
            if (!token.empty())
                tokens.push_back(token);
            token.clear();
        }
        else
            token += c;
    }
    if (quoted)
        return std::nullopt;
    if (!token.empty())
        tokens.push_back(token);
    return tokens;
}

/// The length of the letters before a token's first ':', 0 when anything else comes first.
std::size_t PrefixLength(std::string_view raw)
{
    std::size_t length = 0;
    while (length < raw.size() && IsLetter(raw[length]))
        ++length;
    return length < raw.size() && raw[length] == ':' ? length : 0;
}

std::string NotAnAmount(std::string_view value)
{
    return "'" + std::string(value) + "' is not an amount; write it as 42.17 or 10..50.";
}

/// Digits with a point or a comma as the decimal mark; a leading minus (money out) is dropped.
std::optional<Currency> ParseAmount(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    if (text.empty() || text.find_first_not_of("0123456789.,") != std::string_view::npos)
        return std::nullopt;
    if (std::optional<Currency> amount = Currency::Parse(text, '.'))
        return amount;
    return Currency::Parse(text, ',');
}

std::size_t Decimals(std::string_view text)
{
    std::size_t mark = text.find_first_of(".,");
    return mark == std::string_view::npos ? 0 : text.size() - mark - 1;
}

/// Reads one end of an amount range; an empty end leaves that side open.
Hint ReadAmountEnd(std::string_view end, std::string_view value, std::optional<Currency>& amount)
{
    end = Trim(end);
    amount.reset();
    if (end.empty())
        return std::nullopt;
    amount = ParseAmount(end);
    if (!amount)
        return NotAnAmount(value);
    // Currency keeps four decimals; more would be rounded away unseen.
    if (Decimals(end) > 4)
        return "'" + std::string(value) + "' has more than four decimals.";
    return std::nullopt;
}

Hint ReadAmount(SearchQuery& query, std::string_view value)
{
    std::size_t dots = value.find("..");
    if (dots == std::string_view::npos)
    {
        Hint hint = ReadAmountEnd(value, value, query.amountFrom);
        query.amountTo = query.amountFrom;
        return hint;
    }
    std::string_view first = value.substr(0, dots);
    std::string_view last = value.substr(dots + 2);
    if (Trim(first).empty() && Trim(last).empty())
        return NotAnAmount(value);
    if (Hint hint = ReadAmountEnd(first, value, query.amountFrom))
        return hint;
    if (Hint hint = ReadAmountEnd(last, value, query.amountTo))
        return hint;
    if (query.amountFrom && query.amountTo && *query.amountFrom > *query.amountTo)
        return "amount:" + std::string(value) + " is an empty range.";
    return std::nullopt;
}

int Number(std::string_view digits)
{
    int number = 0;
    for (char c : digits)
        number = number * 10 + (c - '0');
    return number;
}

/// Reads YYYY-MM-DD, a day of the calendar.
std::optional<DateTime> ParseDay(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    {
        if (!IsDigit(text[i]))
            return std::nullopt;
    }
    DateTime day{
        Number(text.substr(0, 4)), Number(text.substr(5, 2)), Number(text.substr(8, 2)), 0, 0, 0};
    if (!day.IsValid())
        return std::nullopt;
    return day;
}

Hint ReadDay(std::optional<DateTime>& day, std::string_view value)
{
    day = ParseDay(value);
    if (!day)
        return "'" + std::string(value) + "' is not a date; write it as YYYY-MM-DD.";
    return std::nullopt;
}

Hint ReadFrom(SearchQuery& query, std::string_view value)
{
    return ReadDay(query.from, value);
}

Hint ReadTo(SearchQuery& query, std::string_view value)
{
    return ReadDay(query.to, value);
}

Hint ReadAccount(SearchQuery& query, std::string_view value)
{
    query.account = value;
    return std::nullopt;
}

Hint ReadCategory(SearchQuery& query, std::string_view value)
{
    query.category = value;
    return std::nullopt;
}

struct Condition
{
    std::string_view prefix;
    Hint (*read)(SearchQuery& query, std::string_view value);
};

// A prefix given twice keeps its last value: each reader overwrites what an earlier one set.
const Condition Conditions[] = {
    {"amount", ReadAmount},   {"from", ReadFrom},         {"to", ReadTo},
    {"account", ReadAccount}, {"category", ReadCategory},
};

const Condition* FindCondition(std::string_view prefix)
{
    std::string lower = Lower(prefix);
    for (const Condition& condition : Conditions)
    {
        if (condition.prefix == lower)
            return &condition;
    }
    return nullptr;
}

void AddWord(SearchQuery& query, std::string_view raw)
{
    std::string word = WithoutQuotes(raw);
    if (!word.empty())
        query.words.push_back(word);
}

Hint ReadToken(SearchQuery& query, std::string_view raw)
{
    std::size_t length = PrefixLength(raw);
    std::string_view prefix = raw.substr(0, length);
    std::string_view rawValue = raw.substr(length == 0 ? 0 : length + 1);
    const Condition* condition = length == 0 ? nullptr : FindCondition(prefix);
    if (condition != nullptr)
    {
        std::string value = WithoutQuotes(rawValue);
        if (value.empty())
            return std::string(condition->prefix) + ": needs a value.";
        return condition->read(query, value);
    }
    // "Re:" and web addresses ("http://...") are words, not prefixes.
    if (length == 0 || rawValue.empty() || rawValue.front() == '/')
    {
        AddWord(query, raw);
        return std::nullopt;
    }
    return "Unknown prefix '" + std::string(prefix) +
           ":'; use amount:, from:, to:, account: or category:.";
}
} // namespace

bool SearchQuery::IsEmpty() const
{
    return words.empty() && !amountFrom && !amountTo && !from && !to && account.empty() &&
           category.empty();
}

std::variant<SearchQuery, std::string> ParseSearchQuery(std::string_view text)
{
    std::optional<std::vector<std::string>> tokens = SplitTokens(text);
    if (!tokens)
        return std::string("A closing double quote is missing.");
    SearchQuery query;
    for (const std::string& token : *tokens)
    {
        if (Hint hint = ReadToken(query, token))
            return *hint;
    }
    if (query.from && query.to && *query.from > *query.to)
        return std::string("from: is after to:.");
    return query;
}
