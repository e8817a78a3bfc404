// tallybrook-bench reports-1000000: one line "CASE SECONDS" per report and range, the start's
// opening of the database, and the engine's bare scan of the transactions as the floor.

#include "ReportsBench.h"

#include "BenchTiming.h"

#include "dashboard/ChartReports.h"
#include "dashboard/TransactionsReport.h"
#include "data/Database.h"
#include "data/Regional.h"
#include "data/Schema.h"

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
constexpr int Transactions = 1000000;
constexpr int Accounts = 20;
constexpr int Years = 14;
constexpr int FirstYear = 2012;

const char* const Categories[] = {"Food",   "Rent",  "Car",      "Fuel", "Salary",
                                  "Health", "Gifts", "Clothing", "Fun",  "(none)"};
const char* const Groups[] = {"Living", "Home", "Car",    "Car", "Income",
                              "Living", "Fun",  "Living", "Fun", "(none)"};
const char* const Types[] = {"Bank", "Bank", "Cash", "Credit Card", "Bank"};

/// Builds the database once: 20 accounts, 1,000,000 rows spread evenly over 14 years, a
/// budget line per category and month.
void Fill(const std::string& path)
{
    CreateDatabaseFile(path);
    Database db(path, OpenOptions{BackupWhen::Never, true});
    sqlite3* handle = db.Handle();
    sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    for (int a = 0; a < Accounts; ++a)
    {
        std::string sql = "INSERT INTO Account (AccountID, Description, Type, Sequence, "
                          "OpeningBalance, BudgetInclude) VALUES ('ACC" +
                          std::to_string(a) + "', 'Account " + std::to_string(a) + "', '" +
                          Types[a % 5] + "', " + std::to_string(a + 1) + ", 1000000, " +
                          (a % 4 == 3 ? "0" : "-1") + ")";
        sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(handle,
                       "INSERT INTO Trans (AccountID, Sequence, SubSequence, \"Year\", Period, "
                       "PostDate, Category, Amount, Description, PayeeName) VALUES (?1, ?2, 0, "
                       "?3, ?4, ?5, ?6, ?7, ?8, 'note')",
                       -1, &insert, nullptr);
    std::uint64_t state = 88172645463325252ULL;
    for (int i = 0; i < Transactions; ++i)
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        int day = static_cast<int>(std::int64_t{i} * Years * 336 / Transactions);
        int year = FirstYear + day / 336;
        int month = 1 + day % 336 / 28;
        char date[32];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d 00:00:00", year, month, 1 + day % 28);
        int category = static_cast<int>(state % 10);
        std::int64_t cents = static_cast<std::int64_t>(1 + state / 10 % 20000);
        std::string account = "ACC" + std::to_string(i % Accounts);
        std::string description = "PAYMENT " + std::to_string(i % 977);
        sqlite3_bind_text(insert, 1, account.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, i + 1);
        sqlite3_bind_int(insert, 3, year);
        sqlite3_bind_int(insert, 4, month);
        sqlite3_bind_text(insert, 5, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 6, Categories[category], -1, SQLITE_STATIC);
        sqlite3_bind_int64(insert, 7, (category == 4 ? cents * 10 : -cents) * 100);
        sqlite3_bind_text(insert, 8, description.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    for (int year = FirstYear; year < FirstYear + Years; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int c = 0; c < 10; ++c)
            {
                std::string sql = "INSERT INTO Budget (\"Year\", Period, Category, CategoryGroup, "
                                  "Amount, Sequence) VALUES (" +
                                  std::to_string(year) + ", " + std::to_string(month) + ", '" +
                                  Categories[c] + "', '" + Groups[c] + "', -1000000, " +
                                  std::to_string((year * 12 + month) * 10 + c) + ")";
                sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr);
            }
    sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
}

} // namespace

/// The database under the build folder (beside the benchmark), built when missing.
std::string ReportsBenchDatabase()
{
    fs::path folder = fs::read_symlink("/proc/self/exe").parent_path() / "bench-cache";
    fs::create_directories(folder);
    fs::path path = folder / "reports-1000000.mdb";
    if (!fs::exists(path))
    {
        fs::path temp = folder / ("building-" + std::to_string(getpid()) + ".mdb");
        Fill(temp.string());
        fs::rename(temp, path);
    }
    return path.string();
}

namespace
{
double BareScan(Database& db)
{
    return EngineScanSeconds(db.Handle(),
                             "SELECT Category, SUM(Amount) FROM Trans GROUP BY Category");
}

void Print(const std::string& name, double seconds)
{
    std::printf("%s %.4f\n", name.c_str(), seconds);
    std::fflush(stdout);
}
} // namespace

int RunReportsBench(const std::string& name)
{
    if (name != "reports-1000000")
        return -1;
    std::string path = ReportsBenchDatabase();
    Print("start-open-reports-1000000",
          Median(3,
                 [&] {
                     Database db(path, OpenOptions{BackupWhen::Never, true});
                 }));
    Database db(path, OpenOptions{BackupWhen::Never, true});
    const int lastYear = FirstYear + Years - 1;
    ReportScope year{DateTime{lastYear, 1, 1, 0, 0, 0}, DateTime{lastYear, 12, 31, 0, 0, 0}, false};
    ReportScope all;
    DateTime today{lastYear, 6, 15, 0, 0, 0};
    std::string from = "StartDate=" + FormatShortDate(*year.from);
    std::string to = "EndDate=" + FormatShortDate(*year.to);
    struct Case
    {
        const char* name;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"transactions-year",
         [&] {
             BuildTransactionsReport(db, {from, to, "categories="});
         }},
        {"transactions-all",
         [&] {
             BuildTransactionsReport(db, {"StartDate=", "EndDate=", "categories="});
         }},
        {"spending-year", [&] { BuildSpendingReport(db, year); }},
        {"spending-all", [&] { BuildSpendingReport(db, all); }},
        {"cashflow-year", [&] { BuildCashflowReport(db, year); }},
        {"cashflow-all", [&] { BuildCashflowReport(db, all); }},
        {"networth-year", [&] { BuildNetWorthReport(db, year, today); }},
        {"networth-all", [&] { BuildNetWorthReport(db, all, today); }},
        {"budget-year", [&] { BuildBudgetYearReport(db, lastYear); }},
    };
    for (const Case& c : cases)
        Print(std::string(c.name) + "-1000000", Median(3, c.run));
    Print("sqlite-category-sums-1000000", BareScan(db));
    return 0;
}
