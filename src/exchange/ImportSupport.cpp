#include "exchange/ImportSupport.h"

#include "budget/BudgetPeriods.h"
#include "data/Variant.h"

#include <filesystem>
#include <fstream>

namespace
{
const std::size_t ExcerptLimit = 4096;
} // namespace

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

std::string StatementExcerpt(const std::string& text)
{
    if (text.size() <= ExcerptLimit)
        return text;
    std::size_t cut = ExcerptLimit;
    // Never cut inside a UTF-8 character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut) + "\n[" + std::to_string(text.size() - cut) +
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
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return "";
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "";
    file.seekg(0, std::ios::end);
    std::streamoff size = file.tellg();
    if (size <= 0)
        return "";
    file.seekg(0, std::ios::beg);
    std::string text(static_cast<std::size_t>(size), '\0');
    file.read(text.data(), size);
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}
