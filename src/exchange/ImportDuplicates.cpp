#include "exchange/ImportDuplicates.h"

#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/SchemaCatalog.h"

#include <utility>

namespace
{
// The condition that picks the account's rows.
std::string AccountIs(const std::string& accountId)
{
    return "AccountID = " + SqlLiteral(accountId);
}

std::string Key(const DateTime& date, const Variant& amount, const std::string& description,
                const std::string& notes, const std::string& checkId)
{
    std::string key = ToStorageText(date) + "|" +
                      (amount.IsNull() ? "NULL" : std::to_string(amount.ToCurrency().Units()));
    for (const std::string* text : {&description, &notes, &checkId})
        key += "|" + std::to_string(text->size()) + ":" + UpperAscii(*text);
    return key;
}
} // namespace

KnownFitids::KnownFitids(Database& db, const std::string& accountId, std::size_t expected)
{
    m_fitids.reserve(expected);
    Recordset rs;
    rs.Open("SELECT FITID FROM Trans WHERE " + AccountIs(accountId), db, OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        Variant fitid = rs.GetValue(0);
        if (!fitid.IsNull())
            m_fitids.insert(fitid.ToText());
    }
}

bool KnownFitids::Take(const std::string& fitid, const std::string& written)
{
    if (written != fitid && m_fitids.contains(written))
        return false;
    return m_fitids.insert(fitid).second;
}

UnnumberedRows::UnnumberedRows(Database& db, std::string accountId, std::int32_t firstNew)
    : m_db(db), m_accountId(std::move(accountId)), m_firstNew(firstNew)
{
}

bool UnnumberedRows::IsHeld(const DateTime& day, const Variant& amount,
                            const std::string& description, const std::string& notes,
                            const std::string& checkId)
{
    if (!m_loaded)
        Load();
    return m_keys.contains(Key(day, amount, description, notes, checkId));
}

void UnnumberedRows::Load()
{
    m_loaded = true;
    Recordset rs;
    rs.Open("SELECT PostDate, Amount, Description, PayeeName, CheckID FROM Trans WHERE " +
                AccountIs(m_accountId) + " AND (Sequence < " + std::to_string(m_firstNew) +
                " OR Sequence IS NULL)",
            m_db, OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        Variant posted = rs.GetValue(0);
        if (posted.GetKind() == Variant::Kind::Date)
            m_keys.insert(Key(posted.RawDate(), rs.GetValue(1), rs.GetValue(2).ToText(),
                              rs.GetValue(3).ToText(), rs.GetValue(4).ToText()));
    }
}
