#include "exchange/CsvMapping.h"

#include "data/TextEncoding.h"

#include <charconv>

namespace
{
struct RoleKey
{
    CsvRole role;
    const char* key;  ///< in --csv options
    const char* name; ///< in the dialog
};

const RoleKey RoleKeys[] = {
    {CsvRole::Ignore, "", "Ignore"},
    {CsvRole::Date, "date", "Date"},
    {CsvRole::Description, "description", "Description"},
    {CsvRole::Amount, "amount", "Amount"},
    {CsvRole::Debit, "debit", "Debit"},
    {CsvRole::Credit, "credit", "Credit"},
    {CsvRole::Sign, "sign", "Sign"},
    {CsvRole::Notes, "notes", "Notes"},
    {CsvRole::CheckNumber, "check", "Check number"},
    {CsvRole::Category, "category", "Category"},
};

const RoleKey& KeyOf(CsvRole role)
{
    for (const RoleKey& key : RoleKeys)
        if (key.role == role)
            return key;
    return RoleKeys[0];
}

std::string Escape(const std::string& value)
{
    std::string out;
    for (char c : value)
    {
        if (c == ';' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

// The items of --csv options, split at every ";" not written after a "\".
std::vector<std::string> SplitItems(const std::string& text)
{
    std::vector<std::string> items(1);
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\\' && i + 1 < text.size())
            items.back() += text[++i];
        else if (text[i] == ';')
            items.emplace_back();
        else
            items.back() += text[i];
    }
    return items;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::optional<std::size_t> ReadNumber(const std::string& text)
{
    std::size_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// A column written from 1, as a column from 0.
std::variant<std::size_t, std::string> ReadColumn(const std::string& key, const std::string& text)
{
    std::optional<std::size_t> number = ReadNumber(text);
    if (!number || *number < 1 || *number > 10000)
        return key + " needs a column number from 1, not '" + text + "'";
    return *number - 1;
}

std::optional<bool> ReadYesNo(const std::string& text)
{
    std::string value = Lower(text);
    if (value == "yes")
        return true;
    if (value == "no")
        return false;
    return std::nullopt;
}

// Reads one key=value item into the options; the mistake's text, or empty.
std::string ReadItem(const std::string& key, const std::string& value, CsvOptions& options)
{
    if (key == "charset")
    {
        if (Lower(value) == "auto")
            options.charset = "";
        else if (value.empty() || !DecodeToUtf8("", value))
            return "charset '" + value + "' is not a character set this system knows";
        else
            options.charset = value;
        return "";
    }
    if (key == "delimiter")
    {
        std::string name = Lower(value);
        if (name == "comma" || name == ",")
            options.delimiter = ',';
        else if (name == "semicolon" || name == ";")
            options.delimiter = ';';
        else if (name == "tab")
            options.delimiter = '\t';
        else
            return "delimiter is comma, semicolon or tab, not '" + value + "'";
        return "";
    }
    if (key == "skip")
    {
        std::optional<std::size_t> lines = ReadNumber(value);
        if (!lines || *lines > 100000)
            return "skip needs a number of lines, not '" + value + "'";
        options.skip = *lines;
        return "";
    }
    if (key == "header" || key == "negate")
    {
        std::optional<bool> yes = ReadYesNo(value);
        if (!yes)
            return key + " is yes or no, not '" + value + "'";
        (key == "header" ? options.header : options.negate) = *yes;
        return "";
    }
    if (key == "dates")
    {
        std::string order = Lower(value);
        for (CsvDateOrder candidate :
             {CsvDateOrder::DayMonthYear, CsvDateOrder::MonthDayYear, CsvDateOrder::YearMonthDay})
            if (order == CsvDatesKey(candidate))
                options.dates = candidate;
        return options.dates ? "" : "dates is dmy, mdy or ymd, not '" + value + "'";
    }
    if (key == "decimal")
    {
        if (value == "." || value == ",")
            options.decimal = value[0];
        else
            return "decimal is . or , not '" + value + "'";
        return "";
    }
    if (key == "sign" || key == "only")
    {
        std::size_t colon = value.find(':');
        if (colon == std::string::npos)
            return key + " is N:TEXT, not '" + value + "'";
        auto column = ReadColumn(key, value.substr(0, colon));
        if (const std::string* problem = std::get_if<std::string>(&column))
            return *problem;
        std::string text = value.substr(colon + 1);
        if (key == "sign")
        {
            options.columns[CsvRole::Sign] = std::get<std::size_t>(column);
            options.signText = text;
        }
        else
            options.only = std::make_pair(std::get<std::size_t>(column), text);
        return "";
    }
    for (const RoleKey& role : RoleKeys)
    {
        if (role.role == CsvRole::Ignore || role.role == CsvRole::Sign || key != role.key)
            continue;
        auto column = ReadColumn(key, value);
        if (const std::string* problem = std::get_if<std::string>(&column))
            return *problem;
        options.columns[role.role] = std::get<std::size_t>(column);
        return "";
    }
    return "'" + key + "' is not a --csv key";
}
} // namespace

const std::vector<CsvRole>& CsvRoles()
{
    static const std::vector<CsvRole> roles = []
    {
        std::vector<CsvRole> all;
        for (const RoleKey& key : RoleKeys)
            all.push_back(key.role);
        return all;
    }();
    return roles;
}

std::string CsvRoleName(CsvRole role)
{
    return KeyOf(role).name;
}

CsvRole CsvMapping::RoleOf(std::size_t column) const
{
    return column < roles.size() ? roles[column] : CsvRole::Ignore;
}

std::optional<std::size_t> CsvMapping::ColumnOf(CsvRole role) const
{
    for (std::size_t column = 0; column < roles.size(); ++column)
        if (roles[column] == role)
            return column;
    return std::nullopt;
}

void CsvMapping::SetRole(std::size_t column, CsvRole role)
{
    if (role != CsvRole::Ignore)
        for (CsvRole& other : roles)
            if (other == role)
                other = CsvRole::Ignore;
    if (column >= roles.size())
    {
        if (role == CsvRole::Ignore)
            return;
        roles.resize(column + 1, CsvRole::Ignore);
    }
    roles[column] = role;
    while (!roles.empty() && roles.back() == CsvRole::Ignore)
        roles.pop_back();
}

std::string CheckCsvMapping(const CsvMapping& mapping)
{
    if (!mapping.ColumnOf(CsvRole::Date))
        return "Choose the column that holds the date.";
    if (!mapping.ColumnOf(CsvRole::Amount) && !mapping.ColumnOf(CsvRole::Debit) &&
        !mapping.ColumnOf(CsvRole::Credit))
        return "Choose the column that holds the amount, or the debit and credit columns.";
    if (mapping.ColumnOf(CsvRole::Amount) &&
        (mapping.ColumnOf(CsvRole::Debit) || mapping.ColumnOf(CsvRole::Credit)))
        return "Choose either an amount column or debit and credit columns, not both.";
    return "";
}

std::string CsvDatesKey(CsvDateOrder order)
{
    switch (order)
    {
    case CsvDateOrder::MonthDayYear:
        return "mdy";
    case CsvDateOrder::YearMonthDay:
        return "ymd";
    default:
        return "dmy";
    }
}

std::string CsvDelimiterKey(char delimiter)
{
    if (delimiter == ';')
        return "semicolon";
    if (delimiter == '\t')
        return "tab";
    return "comma";
}

std::string FormatCsvOptions(const CsvMapping& mapping)
{
    std::string options;
    auto add = [&options](const std::string& key, const std::string& value)
    { options += (options.empty() ? "" : ";") + key + "=" + value; };
    if (!mapping.charset.empty())
        add("charset", Escape(mapping.charset));
    add("delimiter", CsvDelimiterKey(mapping.delimiter));
    add("skip", std::to_string(mapping.skip));
    add("header", mapping.header ? "yes" : "no");
    add("dates", CsvDatesKey(mapping.dates));
    for (const RoleKey& role : RoleKeys)
    {
        std::optional<std::size_t> column = mapping.ColumnOf(role.role);
        if (role.role == CsvRole::Ignore || !column)
            continue;
        std::string number = std::to_string(*column + 1);
        add(role.key,
            role.role == CsvRole::Sign ? number + ":" + Escape(mapping.signText) : number);
    }
    add("decimal", std::string(1, mapping.decimal));
    add("negate", mapping.negate ? "yes" : "no");
    if (mapping.onlyColumn)
        add("only", std::to_string(*mapping.onlyColumn + 1) + ":" + Escape(mapping.onlyText));
    return options;
}

bool CsvOptions::NamesAmount() const
{
    return columns.count(CsvRole::Amount) || columns.count(CsvRole::Debit) ||
           columns.count(CsvRole::Credit);
}

std::variant<CsvOptions, std::string> ParseCsvOptions(const std::string& text)
{
    CsvOptions options;
    std::vector<std::string> seen;
    for (const std::string& item : SplitItems(text))
    {
        if (item.empty())
            continue;
        std::size_t equals = item.find('=');
        if (equals == std::string::npos)
            return "--csv items are key=value, not '" + item + "'";
        std::string key = Lower(item.substr(0, equals));
        for (const std::string& earlier : seen)
            if (earlier == key)
                return "--csv gives '" + key + "' twice";
        seen.push_back(key);
        std::string problem = ReadItem(key, item.substr(equals + 1), options);
        if (!problem.empty())
            return "--csv: " + problem;
    }
    std::map<std::size_t, CsvRole> byColumn;
    for (const auto& [role, column] : options.columns)
        if (!byColumn.emplace(column, role).second)
            return "--csv gives column " + std::to_string(column + 1) + " two roles";
    return options;
}

CsvMapping ApplyCsvOptions(CsvMapping mapping, const CsvOptions& options)
{
    if (options.charset)
        mapping.charset = *options.charset;
    if (options.delimiter)
        mapping.delimiter = *options.delimiter;
    if (options.skip)
        mapping.skip = *options.skip;
    if (options.header)
        mapping.header = *options.header;
    if (options.dates)
        mapping.dates = *options.dates;
    if (options.decimal)
        mapping.decimal = *options.decimal;
    if (options.negate)
        mapping.negate = *options.negate;
    if (options.NamesAmount())
        for (CsvRole& role : mapping.roles)
            if (role == CsvRole::Amount || role == CsvRole::Debit || role == CsvRole::Credit)
                role = CsvRole::Ignore;
    for (const auto& [role, column] : options.columns)
        mapping.SetRole(column, role);
    if (options.signText)
        mapping.signText = *options.signText;
    if (options.only)
    {
        mapping.onlyColumn = options.only->first;
        mapping.onlyText = options.only->second;
    }
    return mapping;
}
