// tallybrook-bench find-1000000: one line "CASE SECONDS" per search of the database of
// 1,000,000 transactions the reports benchmark builds, each as Find runs it while the user
// types (the first 1,000 rows, the count and the sum), and the engine's bare scan of the
// texts as the floor.

#include "FindBench.h"

#include "BenchTiming.h"
#include "ReportsBench.h"

#include "data/Database.h"
#include "search/SearchQuery.h"
#include "search/TransactionSearch.h"


#include <cstdio>
#include <string>
#include <variant>

namespace
{
constexpr std::size_t ShownRows = 1000;

void Print(const std::string& name, double seconds, std::size_t count)
{
    std::printf("%s %.4f\n", name.c_str(), seconds);
    std::fprintf(stderr, "%s: %zu rows\n", name.c_str(), count);
    std::fflush(stdout);
}

double BareTextScan(Database& db)
{
    return EngineScanSeconds(db.Handle(), "SELECT COUNT(*) FROM Trans WHERE Description LIKE "
                                          "'%zq%' OR PayeeName LIKE '%zq%'");
}
} // namespace

int RunFindBench(const std::string& name)
{
    if (name != "find-1000000")
        return -1;
    Database db(ReportsBenchDatabase(), OpenOptions{BackupWhen::Never, true});
    // Descriptions are "PAYMENT n" (n below 977), notes "note", ten categories.
    const struct
    {
        const char* name;
        const char* query;
    } cases[] = {
        {"find-rare-word", "payment 976"}, // about 1,000 rows
        {"find-common-word", "food"},      // about 100,000 rows
        {"find-word-and-amount", "salary amount:1000..2000"},
        {"find-three-letters", "976"},
        {"find-two-letters", "97"},
        {"find-one-letter", "9"},
        {"find-nothing", "xyzzy"},
    };
    for (const auto& c : cases)
    {
        SearchQuery query = std::get<SearchQuery>(ParseSearchQuery(c.query));
        std::size_t count = 0;
        double seconds = Median(3, [&] { count = FindTransactions(db, query, ShownRows).count; });
        Print(std::string(c.name) + "-1000000", seconds, count);
    }
    Print("sqlite-text-scan-1000000", BareTextScan(db), 0);
    return 0;
}
