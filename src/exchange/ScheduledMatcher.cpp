#include "exchange/ScheduledMatcher.h"

#include "data/Database.h"
#include "data/DateTime.h"
#include "data/RecordRules.h"
#include "data/SchemaCatalog.h"
#include "data/Statement.h"
#include "data/Variant.h"

#include <cstdlib>
#include <ctime>
#include <tuple>

namespace
{
constexpr std::int64_t MeetingDays = 4; ///< how far apart the two dates may be
constexpr std::int64_t WaitingDays = 7; ///< how long before today a scheduled row waits

std::int64_t Today(const ImportContext& context)
{
    return DayNumber(context.today.value_or(ToLocalCalendar(std::time(nullptr))));
}
} // namespace

ScheduledMatcher::ScheduledMatcher(ImportContext& context)
    : m_db(context.db), m_oldestDay(Today(context) - WaitingDays)
{
}

RowOutcome ScheduledMatcher::Meet(const ImportedRow& row)
{
    if (!row.amount)
        return RowOutcome::Added;
    RowsByAmount& rows = RowsOf(row.accountId);
    auto found = rows.find(row.amount->Units());
    if (found == rows.end())
        return RowOutcome::Added;
    std::int64_t day = DayNumber(ToLocalCalendar(row.postDate));
    if (!row.bankId)
    {
        std::string description = UpperAscii(std::string(row.description));
        for (const ScheduledRow& scheduled : found->second)
            if (!scheduled.met && scheduled.day == day && scheduled.description == description)
                return RowOutcome::Held;
    }
    ScheduledRow* nearest = Nearest(found->second, day);
    if (!nearest)
        return RowOutcome::Added;
    Take(*nearest, row);
    return RowOutcome::Matched;
}

ScheduledMatcher::RowsByAmount& ScheduledMatcher::RowsOf(std::string_view accountId)
{
    auto found = m_accounts.find(accountId);
    if (found != m_accounts.end())
        return found->second;
    RowsByAmount& rows = m_accounts[std::string(accountId)];
    Statement read(m_db.Handle(), "SELECT rowid, Sequence, SubSequence, PostDate, Amount, "
                                  "Description, FITID, Category, TransferID FROM Trans WHERE "
                                  "AccountID = ?1 AND ScheduleID IS NOT NULL");
    read.Bind(1, accountId);
    while (read.Step())
    {
        std::optional<DateTime> date = ParseStorageText(read.ColumnText(3));
        Variant amount = read.ColumnValue(4, Variant::Kind::Currency);
        if (!date || amount.IsNull())
            continue;
        ScheduledRow scheduled;
        scheduled.rowid = read.ColumnInt64(0);
        scheduled.key = TransKey{static_cast<std::int32_t>(read.ColumnInt64(1)),
                                 static_cast<std::int32_t>(read.ColumnInt64(2))};
        scheduled.day = DayNumber(*date);
        scheduled.description = UpperAscii(read.ColumnText(5));
        scheduled.unmatched = read.ColumnText(6).empty();
        scheduled.category = read.ColumnText(7);
        scheduled.transfer = !read.IsNull(8);
        rows[amount.ToCurrency().Units()].push_back(std::move(scheduled));
    }
    return rows;
}

ScheduledMatcher::ScheduledRow* ScheduledMatcher::Nearest(std::vector<ScheduledRow>& rows,
                                                          std::int64_t day) const
{
    ScheduledRow* nearest = nullptr;
    std::int64_t nearestDistance = 0;
    for (ScheduledRow& scheduled : rows)
    {
        std::int64_t distance = std::abs(scheduled.day - day);
        if (scheduled.met || !scheduled.unmatched || scheduled.day < m_oldestDay ||
            distance > MeetingDays)
            continue;
        if (!nearest || std::tie(distance, scheduled.key) < std::tie(nearestDistance, nearest->key))
        {
            nearest = &scheduled;
            nearestDistance = distance;
        }
    }
    return nearest;
}

void ScheduledMatcher::Take(ScheduledRow& scheduled, const ImportedRow& row)
{
    // The date, Year and Period as the import writes a new row's.
    DateTime local = ToLocalCalendar(row.postDate);
    Statement update(m_db.Handle(), "UPDATE Trans SET PostDate = ?1, \"Year\" = ?2, Period = ?3, "
                                    "Description = ?4, FITID = ?5 WHERE rowid = ?6");
    update.Bind(1, ToStorageText(local));
    update.Bind(2, std::int64_t{local.year});
    update.Bind(3, std::int64_t{local.month});
    update.Bind(4, row.description);
    update.Bind(5, row.fitid);
    update.Bind(6, scheduled.rowid);
    update.Run();
    scheduled.met = true;
    // The row may have moved into another month, whose budget needs its category.
    if (!scheduled.category.empty())
        EnsureRowBudgetLine(m_db, std::string(row.accountId), scheduled.category, local.year,
                            local.month);
    // The other side of a transfer follows the date and description, as after an edit in the
    // register; one gone is not written again while the import numbers its new rows.
    if (scheduled.transfer && OtherSide(m_db, scheduled.key))
        ReconcileTransfer(m_db, scheduled.key);
}
