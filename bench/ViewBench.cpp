// tallybrook-view-bench: times a refresh of a 10,000-row register (query, whole-result read,
// binding to the register grid with its columns and totals; painting excluded) and
// UpdateCurrentBalance over 100,000 transactions. One line "CASE MILLISECONDS" per figure.
// Run under a display (xvfb-run) to bind a real grid; without one the data source alone is
// timed.

#include "data/DatabaseLocation.h"
#include "data/Balances.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/ViewKind.h"
#include "register/CADOImpDatasource.h"
#include "register/QvGrid.h"
#include "register/ViewQuery.h"

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
double Milliseconds(const std::function<void()>& work, int runs)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i)
    {
        auto start = std::chrono::steady_clock::now();
        work();
        std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        best = std::min(best, spent.count());
    }
    return best;
}

void Fill(Database& db, const std::string& account, int count, int year, int month)
{
    sqlite3_exec(db.Handle(), "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db.Handle(),
                       "INSERT INTO Trans (AccountID, Sequence, SubSequence, Year, Period, "
                       "PostDate, Category, Amount, Description, CheckID, PayeeName, FITID) "
                       "VALUES (?, ?, 0, ?, ?, ?, '(none)', ?, ?, '', 'Payee', ?)",
                       -1, &insert, nullptr);
    for (int i = 0; i < count; ++i)
    {
        char date[32];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d 00:00:00", year, month, 1 + i % 28);
        std::string description = "Transaction " + std::to_string(i);
        std::string fitid = account + std::to_string(i);
        sqlite3_bind_text(insert, 1, account.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, i + 1);
        sqlite3_bind_int(insert, 3, year);
        sqlite3_bind_int(insert, 4, month);
        sqlite3_bind_text(insert, 5, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 6, -(i % 9000 + 1) * 10000LL);
        sqlite3_bind_text(insert, 7, description.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 8, fitid.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db.Handle(), "COMMIT", nullptr, nullptr, nullptr);
}

class BenchApp : public wxApp
{
public:
    bool OnInit() override { return true; }
};
} // namespace

int main(int argc, char** argv)
{
    fs::path home =
        fs::temp_directory_path() / ("tallybrook-view-bench-" + std::to_string(getpid()));
    fs::create_directories(home);
    setenv("XDG_DATA_HOME", home.string().c_str(), 1);
    {
        Database db(PrepareProgramDatabase());
        db.Execute("INSERT INTO Account (AccountID, Description, Type, Sequence) VALUES ('R', "
                   "'Register', 'Bank', 1)");
        db.Execute("INSERT INTO Account (AccountID, Description, Type, Sequence) VALUES ('H', "
                   "'History', 'Bank', 2)");
        Fill(db, "R", 10000, 2016, 5);
        Fill(db, "H", 100000, 2015, 3);
        std::string sql = BuildViewQuery({KindRegister, 2016, 5, "Bank", "R"});

        bool display = std::getenv("DISPLAY") != nullptr;
        wxFrame* frame = nullptr;
        QvGrid* grid = nullptr;
        if (display)
        {
            wxApp::SetInstance(new BenchApp);
            display = wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
        }
        if (display)
        {
            frame = new wxFrame(nullptr, wxID_ANY, "bench", wxDefaultPosition, wxSize(800, 500));
            grid = new QvGrid(frame, wxID_ANY, nullptr);
            frame->Show();
        }
        double refresh = Milliseconds(
            [&]
            {
                auto recordset = std::make_unique<Recordset>();
                recordset->Open(sql, db, OpenMode::KeysetLock);
                if (grid)
                {
                    grid->PaintingOff();
                    // Nothing is being typed here, so the binding always takes.
                    static_cast<void>(grid->BindRecordset(std::move(recordset), sql));
                    for (int col = 6; col <= 11; ++col)
                        grid->SetColumnHidden(col);
                    grid->SetDropList(4);
                    std::vector<double> widths = DefaultColumnWidths(KindRegister);
                    for (std::size_t col = 0; col < widths.size(); ++col)
                        grid->SetWidthFraction(static_cast<int>(col), widths[col]);
                    grid->PaintingOn();
                }
                else
                {
                    CADOImpDatasource source;
                    static_cast<void>(source.Bind(std::move(recordset), sql));
                }
                TotalsContext context{KindRegister, 2016, 5, "Bank", "R", 1};
                Variant first;
                Variant second;
                ComputeTotals(db, context, first, second);
            },
            5);
        std::printf("register-refresh-10000-rows%s %.1f\n", grid ? "" : "-datasource-only",
                    refresh);
        double balance = Milliseconds([&] { UpdateCurrentBalance(db, KindRegister, "H"); }, 5);
        std::printf("update-current-balance-100000-transactions %.1f\n", balance);
        if (frame)
        {
            frame->Destroy();
            wxEntryCleanup();
        }
    }
    fs::remove_all(home);
    return 0;
}
