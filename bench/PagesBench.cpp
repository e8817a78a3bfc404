// tallybrook-bench home-1000 | report-100000 | quotes-50x200ms | pages: times the home page,
// the Transactions report and the quote update on generated data, one line "CASE SECONDS"
// per figure.

#include "PagesBench.h"

#include "BenchTiming.h"

#include "base/UserInterface.h"
#include "dashboard/HomePage.h"
#include "dashboard/ReportPages.h"
#include "dashboard/TransactionsReport.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "quotes/CsvQuoteService.h"
#include "quotes/QuoteUpdate.h"
#include "support/LoopbackHttpServer.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const char* const Types[] = {"Bank", "Cash", "Credit Card", "Investment", "Loan"};

class QuietUi : public UserInterface
{
public:
    void ShowMessage(const std::string& text, Icon) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    bool AskYesNo(const std::string&) override { return false; }
    void PushStatus(const std::string&) override {}
    void PopStatus() override {}
    void BeginWait() override {}
    void EndWait() override {}
};

/// The first run and the median of the runs after it.
void Report(const std::string& name, int runs, const std::function<void()>& work)
{
    double first = Seconds(work);
    std::vector<double> times;
    for (int i = 1; i < runs; ++i)
        times.push_back(Seconds(work));
    std::sort(times.begin(), times.end());
    double median = times.empty() ? first : times[times.size() / 2];
    std::printf("%s %.3f\n", name.c_str(), median);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: first run %.3f s, median of %d more\n", name.c_str(), first,
                 runs - 1);
}

/// A migrated database file in a folder of its own, removed at the end.
class BenchFolder
{
public:
    BenchFolder()
        : m_path(fs::temp_directory_path() / ("tallybrook-pages-" + std::to_string(getpid())))
    {
        fs::create_directories(m_path);
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::unique_ptr<Database> NewDatabase(const std::string& name)
    {
        std::string path = (m_path / name).string();
        std::ofstream(path).flush();
        auto db = std::make_unique<Database>(path, OpenOptions{BackupWhen::Never, false});
        CreateInitialSchema(*db);
        MigrateSchema(*db);
        return db;
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

/// Runs one prepared statement per row inside one engine transaction.
void InsertRows(Database& db, const std::string& sql, int count,
                const std::function<void(sqlite3_stmt*, int)>& bind)
{
    Transaction transaction(db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &stmt, nullptr);
    for (int i = 0; i < count; ++i)
    {
        bind(stmt, i);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    transaction.Commit();
}

void BindText(sqlite3_stmt* stmt, int index, const std::string& text)
{
    sqlite3_bind_text(stmt, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void TimeHome(BenchFolder& folder)
{
    std::unique_ptr<Database> db = folder.NewDatabase("home.db");
    InsertRows(*db,
               "INSERT INTO Account (AccountID, Description, Type, Sequence, OpeningBalance, "
               "CurrentBalance, BudgetInclude) VALUES (?, ?, ?, ?, ?, ?, 1)",
               1000,
               [](sqlite3_stmt* stmt, int i)
               {
                   BindText(stmt, 1, "ACC" + std::to_string(i));
                   BindText(stmt, 2, "Account <" + std::to_string(i) + "> & Co");
                   BindText(stmt, 3, Types[i % 5]);
                   sqlite3_bind_int(stmt, 4, i + 1);
                   sqlite3_bind_int64(stmt, 5, (i % 97) * 123456);
                   sqlite3_bind_int64(stmt, 6, -(i % 13) * 10000);
               });
    InsertRows(*db,
               "INSERT INTO Investment (StockSymbol, Quantity, LastPrice, Total, AccountID, "
               "Sequence) VALUES (?, 100000, ?, ?, 'ACC3', ?)",
               1000,
               [](sqlite3_stmt* stmt, int i)
               {
                   BindText(stmt, 1, "SYM" + std::to_string(i));
                   sqlite3_bind_int64(stmt, 2, 100000 + i * 37);
                   sqlite3_bind_int64(stmt, 3, 1000000 + i * 370);
                   sqlite3_bind_int(stmt, 4, i + 1);
               });
    // A month's budget of 8 groups of 4 lines with a few transactions each.
    InsertRows(*db,
               "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount, Sequence) "
               "VALUES (2016, 5, ?, ?, ?, ?)",
               32,
               [](sqlite3_stmt* stmt, int i)
               {
                   BindText(stmt, 1, "Category " + std::to_string(i));
                   BindText(stmt, 2, "Group " + std::to_string(i / 4));
                   sqlite3_bind_int64(stmt, 3, -(i + 1) * 1000000);
                   sqlite3_bind_int(stmt, 4, i + 1);
               });
    InsertRows(*db,
               "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
               "Category, Amount, Description) VALUES (?, ?, 0, 2016, 5, '2016-05-10 00:00:00', "
               "?, ?, 'Spent')",
               320,
               [](sqlite3_stmt* stmt, int i)
               {
                   BindText(stmt, 1, "ACC" + std::to_string(i % 5));
                   sqlite3_bind_int(stmt, 2, i + 1);
                   BindText(stmt, 3, "Category " + std::to_string(i % 32));
                   sqlite3_bind_int64(stmt, 4, -(i % 50) * 10000);
               });
    std::size_t size = 0;
    Report("home-1000", 21,
           [&]
           {
               std::string page = BuildHomePage(*db, 2016, 5);
               std::ofstream(folder.File("home.html"), std::ios::binary | std::ios::trunc) << page;
               size = page.size();
           });
    std::fprintf(stderr, "home-1000: page of %zu bytes\n", size);
}

void TimeReport(BenchFolder& folder)
{
    std::unique_ptr<Database> db = folder.NewDatabase("report.db");
    InsertRows(*db,
               "INSERT INTO Account (AccountID, Description, Type, Sequence) VALUES (?, ?, 'Bank', "
               "?)",
               20,
               [](sqlite3_stmt* stmt, int i)
               {
                   BindText(stmt, 1, "ACC" + std::to_string(i));
                   BindText(stmt, 2, "Account " + std::to_string(i));
                   sqlite3_bind_int(stmt, 3, i + 1);
               });
    static const char* const categories[] = {"Food", "Car repairs", "Rent", "Kid's toys", "(none)"};
    InsertRows(*db,
               "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
               "Category, Amount, Description, CheckID, PayeeName, FITID) VALUES (?, ?, 0, ?, ?, "
               "?, ?, ?, ?, ?, 'Notes', ?)",
               100000,
               [](sqlite3_stmt* stmt, int i)
               {
                   int day = i % 3650;
                   int year = 2010 + day / 365;
                   int month = 1 + (day % 365) / 31 % 12;
                   int dom = 1 + day % 28;
                   char date[32];
                   std::snprintf(date, sizeof date, "%04d-%02d-%02d 00:00:00", year, month, dom);
                   BindText(stmt, 1, "ACC" + std::to_string(i % 20));
                   sqlite3_bind_int(stmt, 2, i + 1);
                   sqlite3_bind_int(stmt, 3, year);
                   sqlite3_bind_int(stmt, 4, month);
                   BindText(stmt, 5, date);
                   BindText(stmt, 6, categories[i % 5]);
                   sqlite3_bind_int64(stmt, 7, -((i * 7919) % 100000) * 100);
                   BindText(stmt, 8, "Payment <" + std::to_string(i) + "> & more");
                   BindText(stmt, 9, std::to_string(1000 + i % 500));
                   BindText(stmt, 10, "FIT" + std::to_string(i));
               });
    std::size_t size = 0;
    Report("report-100000", 5,
           [&]
           {
               // As ShowPage writes it, into the bench's folder.
               std::string body =
                   BuildTransactionsReport(*db, {"StartDate=", "EndDate=", "categories="});
               std::ofstream page(folder.File("report.html"), std::ios::binary | std::ios::trunc);
               WriteReportDocument(page, body);
               size = body.size();
           });
    std::fprintf(stderr, "report-100000: body of %zu bytes\n", size);
}

void TimeQuotes(BenchFolder& folder)
{
    std::unique_ptr<Database> db = folder.NewDatabase("quotes.db");
    db->Execute("INSERT INTO Account (AccountID, Description, Type) VALUES ('INV', 'Broker', "
                "'Investment')");
    InsertRows(*db,
               "INSERT INTO Investment (StockSymbol, Quantity, LastPrice, AccountID, Sequence) "
               "VALUES (?, 100000, 10000, 'INV', ?)",
               50,
               [](sqlite3_stmt* stmt, int i)
               {
                   BindText(stmt, 1, "SYM" + std::to_string(i));
                   sqlite3_bind_int(stmt, 2, i + 1);
               });
    LoopbackHttpServer server(
        [](const LoopbackHttpServer::Request& request)
        {
            LoopbackHttpServer::Reply reply;
            std::string symbol = request.target.substr(16, request.target.find('&') - 16);
            reply.body =
                "\"" + symbol + "\",12.5,\"5/3/2016\",\"4:00pm\",+0.25,\"+2%\",1,2,3,4,5,6";
            reply.delayMs = 200;
            return reply;
        });
    CsvQuoteService service(server.BaseUrl());
    QuietUi ui;
    QuoteUpdateResult result;
    Report("quotes-50x200ms", 3, [&] { result = UpdateQuotes(*db, ui, service); });
    std::fprintf(stderr, "quotes-50x200ms: %zu holdings, %zu requests, %s\n", result.holdings,
                 result.requests, result.failed ? "failed" : "no error");
}
} // namespace

int RunPagesBench(const std::string& name)
{
    bool all = name == "pages";
    if (!all && name != "home-1000" && name != "report-100000" && name != "quotes-50x200ms")
        return -1;
    BenchFolder folder;
    if (all || name == "home-1000")
        TimeHome(folder);
    if (all || name == "report-100000")
        TimeReport(folder);
    if (all || name == "quotes-50x200ms")
        TimeQuotes(folder);
    return 0;
}
