// tallybrook-bench start-1000000: one line "CASE SECONDS" per figure, then the ratio of the
// start's backup to the engine's bare copy of the same file.

#include "BackupBench.h"

#include "BenchTiming.h"

#include "data/BackupCopy.h"
#include "data/Database.h"
#include "data/Schema.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace fs = std::filesystem;

namespace
{
constexpr int Transactions = 1000000;

void Fill(const std::string& path)
{
    CreateDatabaseFile(path);
    Database db(path, OpenOptions{BackupWhen::Never, true});
    sqlite3* handle = db.Handle();
    sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(handle,
                       "INSERT INTO Trans (AccountID, Sequence, SubSequence, Year, Period, "
                       "PostDate, Category, Amount, Description, CheckID, PayeeName, FITID) "
                       "VALUES (?, ?, 0, ?, ?, '2020-01-01 00:00:00', 'Groceries', ?, ?, '', "
                       "'Payee', ?)",
                       -1, &insert, nullptr);
    for (int i = 0; i < Transactions; ++i)
    {
        std::string account = "ACC" + std::to_string(i % 5);
        std::string description = "PAYMENT TO SHOP NUMBER " + std::to_string(i % 977) + " CITY";
        std::string fitid = "FIT" + std::to_string(1000000000 + i);
        sqlite3_bind_text(insert, 1, account.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, i + 1);
        sqlite3_bind_int(insert, 3, 2000 + i % 25);
        sqlite3_bind_int(insert, 4, 1 + i % 12);
        sqlite3_bind_int64(insert, 5, -static_cast<sqlite3_int64>(i % 50000) * 37);
        sqlite3_bind_text(insert, 6, description.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 7, fitid.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
}

// The engine's online backup alone: no check, no flush, no rename.
void BareCopy(const std::string& from, const std::string& to)
{
    fs::remove(to);
    sqlite3* source = nullptr;
    sqlite3* target = nullptr;
    sqlite3_open_v2(from.c_str(), &source, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_open_v2(to.c_str(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    sqlite3_close(target);
    sqlite3_close(source);
}

void Print(const char* name, double seconds)
{
    std::printf("%s %.4f\n", name, seconds);
    std::fflush(stdout);
}
} // namespace

int RunBackupBench(const std::string& name)
{
    if (name != "start-1000000")
        return -1;
    fs::path folder = fs::temp_directory_path() / ("tallybrook-start-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string path = (folder / "qtb.mdb").string();
    Fill(path);
    std::fprintf(stderr, "database: %ju bytes\n", static_cast<std::uintmax_t>(fs::file_size(path)));
    double open = Median(5,
                         [&] {
                             Database db(path, OpenOptions{BackupWhen::BeforeMigrating, true});
                         });
    double backup = Median(3,
                           [&]
                           {
                               if (TakeBackup(path).result != BackupResult::Taken)
                                   std::fprintf(stderr, "the backup was not taken\n");
                           });
    double bare = Median(3, [&] { BareCopy(path, (folder / "bare.mdb").string()); });
    Print("start-open-1000000", open);
    Print("start-backup-1000000", backup);
    Print("sqlite-backup-1000000", bare);
    std::printf("start-backup-ratio %.2f\n", backup / bare);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
