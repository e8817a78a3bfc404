#include "exchange/ImportSupport.h"

#include "data/BudgetLine.h"
#include "data/DatabaseError.h"
#include "data/Variant.h"
#include "exchange/StatementFile.h"

namespace
{
const std::size_t ExcerptLimit = 4096;
} // namespace

bool IsDatabaseFailure(const std::exception& error)
{
    // The engine raises its file's failures with the general status; the data's own faults
    // (a type mismatch, an overflow, a refused value) carry their own.
    const auto* database = dynamic_cast<const DatabaseError*>(&error);
    return database && database->StatusCode() == Status::Fail;
}

bool IsZeroNumber(const std::string& text)
{
    std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    if (start == text.size())
        return false;
    for (std::size_t i = start; i < text.size(); ++i)
        if (text[i] != '0')
            return false;
    return true;
}

std::string StatementExcerpt(std::string_view text)
{
    if (text.size() <= ExcerptLimit)
        return std::string(text);
    std::size_t cut = ExcerptLimit;
    // Never cut inside a UTF-8 character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut)) + "\n[" + std::to_string(text.size() - cut) +
           " more bytes of the file not shown]";
}

void BudgetLineCache::Ensure(const std::string& category, int year, int period,
                             const std::string& group, Currency amount)
{
    auto key = std::make_tuple(category, year, period);
    if (m_done.count(key))
        return;
    EnsureBudgetLine(m_db, category, year, period, group, Variant::FromCurrency(amount));
    m_done.insert(std::move(key));
}

std::string ReadFileBytes(const std::string& path)
{
    return std::string(StatementFile(path).Bytes());
}
