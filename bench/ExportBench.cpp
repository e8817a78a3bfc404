// tallybrook-bench export-ofx-100000 | export-csv-100000 | export: times the export of one
// account of 100,000 transactions (split parts, checks, texts to escape, accented names) as
// OFX and as CSV, one line "CASE SECONDS" per figure.

#include "ExportBench.h"

#include "data/Database.h"
#include "data/Schema.h"
#include "exchange/ExportCsv.h"
#include "exchange/ExportOfx.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const int Transactions = 100000;

struct Timing
{
    double wall;      ///< seconds on the clock
    double processor; ///< processor seconds, which a busy machine disturbs less
};

Timing Seconds(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

/// The median of five runs after a first one that warms the caches.
void Report(const std::string& name, const std::function<void()>& work)
{
    Timing first = Seconds(work);
    std::vector<double> wall;
    std::vector<double> processor;
    for (int i = 0; i < 5; ++i)
    {
        Timing run = Seconds(work);
        wall.push_back(run.wall);
        processor.push_back(run.processor);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(processor.begin(), processor.end());
    std::printf("%s %.3f\n", name.c_str(), wall[2]);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: first run %.3f s; median processor time %.3f s\n", name.c_str(),
                 first.wall, processor[2]);
}

void BindText(sqlite3_stmt* stmt, int index, const std::string& text)
{
    sqlite3_bind_text(stmt, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// One Bank account with ten years of transactions; every tenth is a split part.
void Fill(Database& db)
{
    static const char* const payees[] = {"SHELL OIL",
                                         "Caf\xC3\xA9 Z\xC3\xBCrich",
                                         "AMAZON MKTPLACE",
                                         "Gym & Spa",
                                         "Payroll <ACME>",
                                         "B\xC3\xA4"
                                         "ckerei"};
    db.Execute("INSERT INTO Account (AccountID, Description, Type) VALUES ('1001', 'Bench', "
               "'Bank')");
    Transaction transaction(db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db.Handle(),
                       "INSERT INTO Trans (AccountID, Sequence, SubSequence, Year, Period, "
                       "PostDate, Category, Amount, Description, CheckID, PayeeName, FITID) "
                       "VALUES ('1001', ?, ?, ?, ?, ?, '(none)', ?, ?, ?, ?, ?)",
                       -1, &stmt, nullptr);
    for (int i = 0; i < Transactions; ++i)
    {
        int day = i * 3650 / Transactions;
        int year = 2010 + day / 365;
        int month = 1 + std::min(11, (day % 365) / 31);
        char date[32];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d 00:00:00", year, month,
                      1 + (day % 365) % 28);
        bool part = i % 10 == 9;
        sqlite3_bind_int(stmt, 1, part ? i : i + 1);
        sqlite3_bind_int(stmt, 2, part ? 1 : 0);
        sqlite3_bind_int(stmt, 3, year);
        sqlite3_bind_int(stmt, 4, month);
        BindText(stmt, 5, date);
        sqlite3_bind_int64(stmt, 6, static_cast<sqlite3_int64>((i * 7919) % 300000 - 200000) * 100);
        BindText(stmt, 7, std::string(payees[i % 6]) + " #" + std::to_string(i % 500));
        BindText(stmt, 8, i % 7 == 0 ? std::to_string(1000 + i % 9000) : "");
        BindText(stmt, 9, "Memo " + std::to_string(i % 977));
        BindText(stmt, 10, i % 50 == 0 ? "" : "FIT" + std::to_string(part ? i - 1 : i));
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    transaction.Commit();
}
} // namespace

int RunExportBench(const std::string& name)
{
    bool all = name == "export";
    if (!all && name != "export-ofx-100000" && name != "export-csv-100000")
        return -1;
    fs::path folder = fs::temp_directory_path() / ("tallybrook-export-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string path = (folder / "bench.db").string();
    std::ofstream(path).flush();
    {
        Database db(path, OpenOptions{BackupWhen::Never, false});
        CreateInitialSchema(db);
        MigrateSchema(db);
        Fill(db);
        std::string failure;
        auto check = [&failure](const ExportResult& result)
        {
            if (!result.Ok() || result.transactions != Transactions)
                failure = result.error.empty() ? "wrong number of rows" : result.error;
        };
        std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
        if (all || name == "export-ofx-100000")
            Report("export-ofx-100000",
                   [&] { check(ExportOfx(db, "1001", (folder / "out.ofx").string(), now)); });
        if (all || name == "export-csv-100000")
            Report("export-csv-100000",
                   [&] { check(ExportCsv(db, "1001", (folder / "out.csv").string())); });
        if (!failure.empty())
            std::fprintf(stderr, "export failed: %s\n", failure.c_str());
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
