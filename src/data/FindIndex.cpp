#include "data/FindIndex.h"

#include "data/DatabaseError.h"
#include "data/JetSql.h"
#include "data/SchemaCatalog.h"

#include <algorithm>

std::pair<std::string, Variant> ParseFindCriteria(const std::string& criteria)
{
    std::vector<SqlToken> tokens;
    for (SqlToken& t : TokenizeSql(criteria))
        if (t.type != SqlToken::Type::Space)
            tokens.push_back(std::move(t));
    bool shaped =
        tokens.size() == 3 && tokens[1].IsSymbol("=") &&
        (tokens[0].type == SqlToken::Type::Word || tokens[0].type == SqlToken::Type::QuotedName);
    if (!shaped)
        throw DatabaseError(Status::ErrorsInCommand, "The search criteria \"" + criteria +
                                                         "\" are not of the form "
                                                         "Column = 'value'.");
    const SqlToken& v = tokens[2];
    Variant value;
    if (v.type == SqlToken::Type::String)
    {
        std::string text;
        for (std::size_t i = 1; i + 1 < v.text.size(); ++i)
        {
            text += v.text[i];
            if (v.text[i] == '\'')
                ++i; // a doubled quote stands for one
        }
        value = Variant::FromText(text);
    }
    else if (v.type == SqlToken::Type::Number)
        value = Variant::FromText(v.text);
    else if (v.type == SqlToken::Type::Date)
        value = Variant::FromDate(
            *ParseStorageText(TranslateDateLiteral(v.text.substr(1, v.text.size() - 2))));
    else if (!v.IsWord("NULL"))
        throw DatabaseError(Status::ErrorsInCommand,
                            "The search value in \"" + criteria + "\" is not a literal.");
    return {tokens[0].Name(), value};
}

std::string FindIndex::Key(const Variant& value, bool exact)
{
    if (value.IsNull())
        return std::string("\x01");
    if (value.GetKind() == Variant::Kind::Text)
        return exact ? value.RawText() : UpperAscii(value.RawText());
    return UpperAscii(value.ToText());
}

void FindIndex::Build(int field, bool exact, const std::vector<RecordRow>& rows)
{
    Field& index = m_fields[field];
    index.exact = exact;
    index.rows.clear();
    index.rows.reserve(rows.size() + 1024);
    for (std::size_t r = 0; r < rows.size(); ++r)
        index.rows[Key(rows[r].values[static_cast<std::size_t>(field)], exact)].push_back(r);
}

std::size_t FindIndex::Next(int field, const Variant& value, std::size_t from,
                            std::size_t end) const
{
    const Field& index = m_fields.at(field);
    auto found = index.rows.find(Key(value, index.exact));
    if (found == index.rows.end())
        return end;
    auto next = std::lower_bound(found->second.begin(), found->second.end(), from);
    return next == found->second.end() ? end : *next;
}

void FindIndex::Add(std::size_t row, const RecordRow& values)
{
    for (auto& [field, index] : m_fields)
    {
        auto& list = index.rows[Key(values.values[static_cast<std::size_t>(field)], index.exact)];
        list.insert(std::lower_bound(list.begin(), list.end(), row), row);
    }
}

void FindIndex::Remove(std::size_t row, const RecordRow& values)
{
    for (auto& [field, index] : m_fields)
    {
        auto& list = index.rows[Key(values.values[static_cast<std::size_t>(field)], index.exact)];
        list.erase(std::remove(list.begin(), list.end(), row), list.end());
    }
}
