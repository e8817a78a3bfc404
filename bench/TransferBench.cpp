// tallybrook-bench transfers: one line "CASE SECONDS" per figure, then the ratios to the
// engine doing the same work without the program around it.

#include "TransferBench.h"

#include "BenchTiming.h"

#include "data/Balances.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/ViewKind.h"
#include "transfer/TransferPairing.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
constexpr int Stored = 1000000;
constexpr int Imported = 100000;
constexpr int Accounts = 20;
constexpr int TrueTransfers = 1000;

/// A fixed pseudo-random sequence, so that every run measures the same data.
struct Numbers
{
    std::uint64_t state = 88172645463325252ULL;
    std::uint64_t Next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
};

struct Row
{
    int sequence;
    int account;
    int day; ///< days from 2016-01-01, in a 360-day calendar of 12 months of 30 days
    std::int64_t units;
};

void Insert(sqlite3_stmt* insert, const Row& row)
{
    int year = 2016 + row.day / 360;
    int month = 1 + row.day % 360 / 30;
    int day = 1 + row.day % 30 % 28;
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d 00:00:00", year, month, day);
    std::string account = "ACC" + std::to_string(row.account);
    sqlite3_bind_text(insert, 1, account.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(insert, 2, row.sequence);
    sqlite3_bind_int(insert, 3, year);
    sqlite3_bind_int(insert, 4, month);
    sqlite3_bind_text(insert, 5, date, -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 6, row.units);
    sqlite3_step(insert);
    sqlite3_reset(insert);
}

/// Ten years of rows in 20 accounts, then an import of 100,000 rows in the last year, of
/// which 1,000 are the second legs of transfers stored before them.
void Fill(const std::string& path)
{
    CreateDatabaseFile(path);
    Database db(path, OpenOptions{BackupWhen::Never, true});
    sqlite3* handle = db.Handle();
    sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    for (int a = 0; a < Accounts; ++a)
    {
        std::string sql = "INSERT INTO Account (AccountID, Description, Type, Sequence, "
                          "BudgetInclude) VALUES ('ACC" +
                          std::to_string(a) + "', 'Account " + std::to_string(a) + "', 'Bank', " +
                          std::to_string(a + 1) + ", -1)";
        sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(handle,
                       "INSERT INTO Trans (AccountID, Sequence, SubSequence, \"Year\", Period, "
                       "PostDate, Category, Amount, Description) VALUES (?1, ?2, 0, ?3, ?4, ?5, "
                       "'Groceries', ?6, 'PAYMENT')",
                       -1, &insert, nullptr);
    Numbers numbers;
    auto amount = [&numbers]
    {
        auto cents = static_cast<std::int64_t>(1 + numbers.Next() % 500000);
        return (numbers.Next() % 10 == 0 ? cents : -cents) * 100;
    };
    std::vector<Row> lastYear;
    for (int i = 0; i < Stored; ++i)
    {
        Row row{i + 1, static_cast<int>(numbers.Next() % Accounts),
                static_cast<int>(std::int64_t{i} * 3600 / Stored), amount()};
        Insert(insert, row);
        if (row.day >= 9 * 360)
            lastYear.push_back(row);
    }
    for (int i = 0; i < Imported; ++i)
    {
        Row row{Stored + i + 1, static_cast<int>(numbers.Next() % Accounts),
                9 * 360 + static_cast<int>(std::int64_t{i} * 360 / Imported), amount()};
        if (i % (Imported / TrueTransfers) == 0 && !lastYear.empty())
        {
            const Row& first = lastYear[numbers.Next() % lastYear.size()];
            row = Row{row.sequence, (first.account + 1) % Accounts, std::min(first.day + 2, 3599),
                      -first.units};
        }
        Insert(insert, row);
    }
    sqlite3_finalize(insert);
    std::string mark = "UPDATE TransferReview SET FromSequence = " + std::to_string(Stored + 1);
    sqlite3_exec(handle, mark.c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
}

/// The engine reading the columns the search reads, of every row.
double BareScan(Database& db)
{
    return Median(3,
                  [&]
                  {
                      sqlite3_stmt* scan = nullptr;
                      sqlite3_prepare_v2(db.Handle(),
                                         "SELECT Sequence, SubSequence, AccountID, PostDate, "
                                         "Amount FROM Trans WHERE TransferID IS NULL",
                                         -1, &scan, nullptr);
                      std::int64_t sum = 0;
                      while (sqlite3_step(scan) == SQLITE_ROW)
                          sum += sqlite3_column_int64(scan, 4);
                      sqlite3_finalize(scan);
                      if (sum == 0)
                          std::fprintf(stderr, "no rows scanned\n");
                  });
}

/// The engine's month total over the budget's accounts, no transfer left out.
double BareBudgetTotal(Database& db)
{
    return Median(5,
                  [&]
                  {
                      sqlite3_stmt* sum = nullptr;
                      sqlite3_prepare_v2(db.Handle(),
                                         "SELECT SUM(Amount) FROM Account INNER JOIN Trans ON "
                                         "Account.AccountID = Trans.AccountID WHERE "
                                         "Account.BudgetInclude = -1 AND \"Year\" = 2025 AND "
                                         "Period = 6",
                                         -1, &sum, nullptr);
                      sqlite3_step(sum);
                      sqlite3_finalize(sum);
                  });
}

void Print(const char* name, double seconds)
{
    std::printf("%s %.4f\n", name, seconds);
    std::fflush(stdout);
}
} // namespace

int RunTransferBench(const std::string& name)
{
    if (name != "transfers")
        return -1;
    fs::path folder =
        fs::temp_directory_path() / ("tallybrook-transfers-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string path = (folder / "qtb.mdb").string();
    Fill(path);
    Database db(path, OpenOptions{BackupWhen::Never, true});
    std::size_t pairs = 0;
    double find = Median(3, [&] { pairs = FindTransferPairs(db).size(); });
    std::fprintf(stderr, "pairs found: %zu (%d transfers and chance meetings)\n", pairs,
                 TrueTransfers);
    double scan = BareScan(db);
    TotalsContext month;
    month.kind = KindBudget;
    month.year = 2025;
    month.month = 6;
    Variant budgeted;
    Variant actual;
    double budget = Median(5, [&] { ComputeTotals(db, month, budgeted, actual); });
    double bareBudget = BareBudgetTotal(db);
    Print("transfers-find-100000-into-1000000", find);
    Print("sqlite-scan-1100000", scan);
    std::printf("transfers-find-ratio %.2f\n", find / scan);
    Print("budget-month-total-1100000", budget);
    Print("sqlite-budget-month-total-1100000", bareBudget);
    std::printf("budget-month-total-ratio %.2f\n", budget / bareBudget);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
