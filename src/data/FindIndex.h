#pragma once

#include "data/RecordRow.h"
#include "data/Variant.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

/// Reads a Find criteria text "Column = 'value'" (also a number, a #date# or NULL, and a
/// bracketed column name); raises DatabaseError for any other shape.
std::pair<std::string, Variant> ParseFindCriteria(const std::string& criteria);

/// The rows of a keyset result by the value of each field searched so far, so that Find
/// takes one lookup. Text keys ignore ASCII case unless the field compares exactly.
class FindIndex
{
public:
    bool Has(int field) const { return m_fields.count(field) != 0; }
    /// Indexes a field over all rows.
    void Build(int field, bool exact, const std::vector<RecordRow>& rows);
    /// The first row at or after `from` whose field holds the value; `end` when none does.
    std::size_t Next(int field, const Variant& value, std::size_t from, std::size_t end) const;
    void Add(std::size_t row, const RecordRow& values);
    void Remove(std::size_t row, const RecordRow& values);
    void Clear() { m_fields.clear(); }

private:
    struct Field
    {
        bool exact = false;
        std::unordered_map<std::string, std::vector<std::size_t>> rows; ///< ascending
    };

    static std::string Key(const Variant& value, bool exact);

    std::unordered_map<int, Field> m_fields;
};
