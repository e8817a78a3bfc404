#pragma once

#include "data/Currency.h"
#include "exchange/ImportContext.h"
#include "transfer/TransferLink.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class Database;

/// A row of a statement about to be stored, as the import would store it.
struct ImportedRow
{
    std::string_view accountId;
    std::int64_t postDate = 0;      ///< local midnight of its day
    std::optional<Currency> amount; ///< none when the statement gives none
    std::string_view description;
    std::string_view fitid; ///< what the import stores as FITID: the bank's id, its stamp or ""
    bool bankId = false;    ///< `fitid` is the bank's own id of the row
};

/// Meets the rows of an import with the rows that schedules entered in their accounts, so
/// that a payment entered ahead of the bank is not added a second time.
///
/// A scheduled row not yet matched (its FITID empty) meets an imported row of its account
/// and amount dated within 4 days of it, unless the scheduled row is dated more than 7 days
/// before the import's day; of several, the nearest date wins, then the lowest Sequence.
/// The scheduled row takes the imported row's date (Year and Period with it), description
/// and FITID, keeps its category, notes and schedule, and is met once per import.
///
/// A matched row keeps its schedule's notes, which the duplicate rules of statements without
/// bank ids compare: such a row (an import's stamp or no FITID) is held when a scheduled row
/// from before this import has its day, amount and description.
class ScheduledMatcher
{
public:
    explicit ScheduledMatcher(ImportContext& context);

    /// Held or Matched as above; Added when no scheduled row meets the row, which the caller
    /// then stores.
    RowOutcome Meet(const ImportedRow& row);

private:
    /// What the matcher knows of a row a schedule entered.
    struct ScheduledRow
    {
        std::int64_t rowid = 0;
        TransKey key;
        std::int64_t day = 0;    ///< DayNumber of its date
        std::string description; ///< in capitals, as Jet compares texts
        std::string category;
        bool unmatched = false; ///< no FITID yet
        bool transfer = false;  ///< linked to another account's row
        bool met = false;       ///< matched in this import: it is no longer what was read
    };
    /// An account's scheduled rows, by amount in units.
    using RowsByAmount = std::unordered_map<std::int64_t, std::vector<ScheduledRow>>;

    RowsByAmount& RowsOf(std::string_view accountId);
    ScheduledRow* Nearest(std::vector<ScheduledRow>& rows, std::int64_t day) const;
    void Take(ScheduledRow& scheduled, const ImportedRow& row);

    Database& m_db;
    std::int64_t m_oldestDay; ///< the earliest day a scheduled row may be dated to be met
    std::map<std::string, RowsByAmount, std::less<>> m_accounts;
};
