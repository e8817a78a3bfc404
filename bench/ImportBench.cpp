// tallybrook-bench import: times statement imports and the category rules on generated
// files, one line "CASE SECONDS" per figure.

#include "BackupBench.h"
#include "ExportBench.h"
#include "FindBench.h"
#include "PagesBench.h"
#include "ReportsBench.h"
#include "TransferBench.h"

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Schema.h"
#include "data/Vocabulary.h"
#include "exchange/ImportAccount.h"
#include "exchange/ImportContext.h"
#include "exchange/ImportDriver.h"
#include "rules/CategoryRules.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
std::vector<std::string> g_only; ///< the cases to run; all when empty

bool Wanted(const std::string& name)
{
    return g_only.empty() || std::find(g_only.begin(), g_only.end(), name) != g_only.end();
}

const char* const BenchAccount = "000123456789";

class QuietUi : public UserInterface
{
public:
    void ShowMessage(const std::string& text, Icon) override
    {
        std::cerr << "message: " << text.substr(0, 300) << "\n";
    }
    bool AskYesNo(const std::string&) override { return false; }
    void PushStatus(const std::string&) override {}
    void PopStatus() override {}
    void BeginWait() override {}
    void EndWait() override {}
};

// Files every statement under the account described "Bench".
class MapToBench : public AccountChooser
{
public:
    std::optional<AccountChoice> Choose(const AccountChoiceRequest&) override
    {
        return AccountChoice{AccountChoice::Action::Map, "", "Bench"};
    }
};

struct Row
{
    int year;
    int month;
    int day;
    long long cents;
    std::string name;
    std::string memo;
    std::string fitid;
    std::string check;
};

// Deterministic rows: dates in order over some years, varied payees and amounts.
std::vector<Row> MakeRows(int count, int firstId)
{
    static const char* const payees[] = {
        "SHELL OIL",   "Safeway Store", "AMAZON MKTPLACE", "City Water", "Payroll ACME",
        "Corner Cafe", "TRANSFER",      "Book Barn",       "Gym & Spa",  "PHARMACY 24"};
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(count));
    unsigned seed = 12345u + static_cast<unsigned>(firstId);
    for (int i = 0; i < count; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        int dayIndex = i * 3650 / count; // ten years
        Row row;
        row.year = 2010 + dayIndex / 365;
        row.month = 1 + (dayIndex % 365) / 31;
        if (row.month > 12)
            row.month = 12;
        row.day = 1 + (dayIndex % 365) % 28;
        row.cents = static_cast<long long>((seed >> 8) % 200000) - 150000;
        row.name =
            std::string(payees[(seed >> 4) % 10]) + " #" + std::to_string((seed >> 12) % 500);
        row.memo = "Memo " + std::to_string(i % 977);
        row.fitid = "FIT" + std::to_string(firstId + i);
        row.check = (seed % 7 == 0) ? std::to_string(1000 + i % 9000) : "";
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string Amount(long long cents)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%02lld", cents < 0 ? "-" : "",
                  (cents < 0 ? -cents : cents) / 100, (cents < 0 ? -cents : cents) % 100);
    return text;
}

std::string Date(const Row& row)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", row.year, row.month, row.day);
    return text;
}

void WriteOfxSgml(const std::string& path, const std::vector<Row>& rows)
{
    std::ofstream out(path, std::ios::binary);
    out << "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX>\r\n<BANKMSGSRSV1>\r\n"
           "<STMTTRNRS>\r\n<STMTRS>\r\n<CURDEF>USD\r\n<BANKACCTFROM>\r\n<BANKID>121000248\r\n"
           "<ACCTID>"
        << BenchAccount << "\r\n<ACCTTYPE>CHECKING\r\n</BANKACCTFROM>\r\n<BANKTRANLIST>\r\n";
    for (const Row& row : rows)
    {
        out << "<STMTTRN>\r\n<TRNTYPE>" << (row.cents < 0 ? "DEBIT" : "CREDIT") << "\r\n<DTPOSTED>"
            << Date(row) << "120000.000[-5:EST]\r\n<TRNAMT>" << Amount(row.cents) << "\r\n<FITID>"
            << row.fitid << "\r\n";
        if (!row.check.empty())
            out << "<CHECKNUM>" << row.check << "\r\n";
        out << "<NAME>" << row.name << "\r\n<MEMO>" << row.memo << "\r\n</STMTTRN>\r\n";
    }
    out << "</BANKTRANLIST>\r\n</STMTRS>\r\n</STMTTRNRS>\r\n</BANKMSGSRSV1>\r\n</OFX>\r\n";
}

// One statement whose NAME is 1 MB of "&amp;": decoding it must stay linear.
void WriteOfxAmpersands(const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX>\r\n<BANKMSGSRSV1>\r\n"
           "<STMTTRNRS>\r\n<STMTRS>\r\n<BANKACCTFROM>\r\n<ACCTID>"
        << BenchAccount
        << "\r\n</BANKACCTFROM>\r\n<BANKTRANLIST>\r\n<STMTTRN>\r\n<TRNTYPE>DEBIT\r\n"
           "<DTPOSTED>20160105\r\n<TRNAMT>-1.00\r\n<FITID>AMP1\r\n<NAME>";
    std::string amp;
    for (int i = 0; i < 1024 * 1024 / 5; ++i)
        amp += "&amp;";
    out << amp
        << "\r\n</STMTTRN>\r\n</BANKTRANLIST>\r\n</STMTRS>\r\n</STMTTRNRS>\r\n"
           "</BANKMSGSRSV1>\r\n</OFX>\r\n";
}

void WriteOfxXml(const std::string& path, const std::vector<Row>& rows)
{
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<?OFX OFXHEADER=\"200\" "
           "VERSION=\"211\"?>\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS><CURDEF>USD</CURDEF>"
           "<BANKACCTFROM><BANKID>121000248</BANKID><ACCTID>"
        << BenchAccount << "</ACCTID></BANKACCTFROM><BANKTRANLIST>\n";
    for (const Row& row : rows)
    {
        out << "<STMTTRN><TRNTYPE>" << (row.cents < 0 ? "DEBIT" : "CREDIT")
            << "</TRNTYPE><DTPOSTED>" << Date(row) << "</DTPOSTED><TRNAMT>" << Amount(row.cents)
            << "</TRNAMT><FITID>" << row.fitid << "</FITID>";
        if (!row.check.empty())
            out << "<CHECKNUM>" << row.check << "</CHECKNUM>";
        out << "<NAME>" << row.name << "</NAME><MEMO>" << row.memo << "</MEMO></STMTTRN>\n";
    }
    out << "</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";
}

void WriteQif(const std::string& path, const std::vector<Row>& rows)
{
    std::ofstream out(path, std::ios::binary);
    out << "!Type:Bank\n";
    for (const Row& row : rows)
    {
        out << "D" << row.month << "/" << row.day << "/" << row.year << "\nT" << Amount(row.cents)
            << "\n";
        if (!row.check.empty())
            out << "N" << row.check << "\n";
        out << "P" << row.name << "\nM" << row.memo << " " << row.fitid << "\n^\n";
    }
}

// Eight columns as a bank exports them, descriptions quoted (some hold the delimiter).
std::string IsoDate(const Row& row)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", row.year, row.month, row.day);
    return text;
}

std::string XmlText(const std::string& text)
{
    std::string escaped;
    for (char c : text)
        escaped += c == '&'   ? std::string("&amp;")
                   : c == '<' ? std::string("&lt;")
                              : std::string(1, c);
    return escaped;
}

// A CAMT.053 statement as a German bank writes it: every entry booked, with its party and
// remittance text in one TxDtls.
void WriteCamt053(const std::string& path, const std::vector<Row>& rows)
{
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document "
           "xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\">\n<BkToCstmrStmt>\n"
           "<GrpHdr><MsgId>BENCH</MsgId><CreDtTm>2020-01-01T08:00:00</CreDtTm></GrpHdr>\n"
           "<Stmt>\n<Id>1</Id><CreDtTm>2020-01-01T08:00:00</CreDtTm>\n<Acct><Id><IBAN>"
        << BenchAccount << "</IBAN></Id><Ccy>EUR</Ccy></Acct>\n";
    for (const Row& row : rows)
    {
        bool debit = row.cents < 0;
        out << "<Ntry>\n<Amt Ccy=\"EUR\">" << Amount(debit ? -row.cents : row.cents)
            << "</Amt>\n<CdtDbtInd>" << (debit ? "DBIT" : "CRDT")
            << "</CdtDbtInd>\n<Sts>BOOK</Sts>\n<BookgDt><Dt>" << IsoDate(row)
            << "</Dt></BookgDt>\n<ValDt><Dt>" << IsoDate(row) << "</Dt></ValDt>\n<AcctSvcrRef>"
            << row.fitid
            << "</AcctSvcrRef>\n<BkTxCd><Prtry><Cd>NMSC+201</Cd><Issr>DK</Issr></Prtry></BkTxCd>\n"
               "<NtryDtls><TxDtls>\n<RltdPties><"
            << (debit ? "Cdtr" : "Dbtr") << "><Nm>" << XmlText(row.name) << "</Nm></"
            << (debit ? "Cdtr" : "Dbtr") << "></RltdPties>\n<RmtInf><Ustrd>" << XmlText(row.memo)
            << "</Ustrd></RmtInf>\n</TxDtls></NtryDtls>\n</Ntry>\n";
    }
    out << "</Stmt>\n</BkToCstmrStmt>\n</Document>\n";
}

// An MT940 file as a German bank writes it: one statement a month, ?-fields in :86:.
void WriteMt940(const std::string& path, const std::vector<Row>& rows)
{
    std::ofstream out(path, std::ios::binary);
    int month = -1;
    for (const Row& row : rows)
    {
        char date[16];
        std::snprintf(date, sizeof date, "%02d%02d%02d", row.year % 100, row.month, row.day);
        if (row.year * 12 + row.month != month)
        {
            if (month >= 0)
                out << ":62F:C" << date << "EUR0,00\r\n-\r\n";
            month = row.year * 12 + row.month;
            out << ":20:STARTUMS\r\n:25:" << BenchAccount << "\r\n:28C:" << month << "/1\r\n:60F:C"
                << date << "EUR0,00\r\n";
        }
        std::string amount = Amount(row.cents < 0 ? -row.cents : row.cents);
        amount[amount.find('.')] = ',';
        out << ":61:" << date << (date + 2) << (row.cents < 0 ? "D" : "C") << amount
            << "NMSCNONREF//" << row.fitid << "\r\n:86:166?00SEPA-UEBERWEISUNG?20" << row.memo
            << "?32" << row.name << "\r\n";
    }
    out << ":62F:C100101EUR0,00\r\n-\r\n";
}

void WriteCsv(const std::string& path, const std::vector<Row>& rows)
{
    std::ofstream out(path, std::ios::binary);
    out << "Date,Value Date,Description,Memo,Check Number,Amount,Currency,Balance\r\n";
    long long balance = 0;
    for (const Row& row : rows)
    {
        balance += row.cents;
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", row.year, row.month, row.day);
        out << date << "," << date << ",\"" << row.name << (row.cents < 0 ? ", card" : "") << "\","
            << row.memo << " " << row.fitid << "," << row.check << "," << Amount(row.cents)
            << ",USD," << Amount(balance) << "\r\n";
    }
}

class BenchDatabase
{
public:
    explicit BenchDatabase(const fs::path& folder, const std::string& name)
    {
        std::string path = (folder / name).string();
        std::ofstream(path).flush();
        m_db = std::make_unique<Database>(path, OpenOptions{BackupWhen::Never, false});
        CreateInitialSchema(*m_db);
        MigrateSchema(*m_db);
        m_db->Execute(std::string("INSERT INTO Account (AccountID, Description, Type) VALUES ('") +
                      BenchAccount + "', 'Bench', 'Bank')");
    }
    Database& Db() { return *m_db; }

    ImportFileResult Import(const std::string& path)
    {
        ImportContext context(*m_db, m_ui, m_chooser);
        context.budgetYear = 2016;
        context.budgetPeriod = 5;
        return ImportFile(context, path);
    }

private:
    std::unique_ptr<Database> m_db;
    QuietUi m_ui;
    MapToBench m_chooser;
};

double g_cpuSeconds = 0; ///< processor time of the last timed work

// Wall-clock seconds of the work; its processor time goes to g_cpuSeconds, which a busy
// machine disturbs less.
double Seconds(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    work();
    g_cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(const std::string& name, double seconds)
{
    std::printf("%s %.3f\n", name.c_str(), seconds);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: processor time %.3f s\n", name.c_str(), g_cpuSeconds);
}

void Check(const ImportFileResult& result, int added, int duplicates)
{
    if (result.added != added || result.duplicates != duplicates)
    {
        std::fprintf(stderr, "unexpected counts: added %d (expected %d), duplicates %d (%d)\n",
                     result.added, added, result.duplicates, duplicates);
        std::exit(1);
    }
}

void TimeImport(const fs::path& folder, const std::string& name, const std::string& file, int count)
{
    BenchDatabase db(folder, name + ".db");
    ImportFileResult result;
    Report(name, Seconds([&] { result = db.Import(file); }));
    Check(result, count, 0);
}

void TimeSqliteInsert(const fs::path& folder, const std::vector<Row>& rows)
{
    BenchDatabase bench(folder, "sqlite-insert.db");
    sqlite3* handle = bench.Db().Handle();
    double seconds = Seconds(
        [&]
        {
            sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
            sqlite3_stmt* insert = nullptr;
            sqlite3_prepare_v2(
                handle,
                "INSERT INTO Trans (AccountID, FITID, CheckID, Year, Period, PostDate, "
                "Amount, Description, PayeeName, Category, Sequence) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                -1, &insert, nullptr);
            int sequence = 1;
            for (const Row& row : rows)
            {
                char date[32];
                std::snprintf(date, sizeof date, "%04d-%02d-%02d 00:00:00", row.year, row.month,
                              row.day);
                sqlite3_bind_text(insert, 1, BenchAccount, -1, SQLITE_STATIC);
                sqlite3_bind_text(insert, 2, row.fitid.c_str(), -1, SQLITE_STATIC);
                sqlite3_bind_text(insert, 3, row.check.c_str(), -1, SQLITE_STATIC);
                sqlite3_bind_int(insert, 4, row.year);
                sqlite3_bind_int(insert, 5, row.month);
                sqlite3_bind_text(insert, 6, date, -1, SQLITE_TRANSIENT);
                sqlite3_bind_int64(insert, 7, row.cents * 100);
                sqlite3_bind_text(insert, 8, row.name.c_str(), -1, SQLITE_STATIC);
                sqlite3_bind_text(insert, 9, row.memo.c_str(), -1, SQLITE_STATIC);
                sqlite3_bind_text(insert, 10, NoCategory, -1, SQLITE_STATIC);
                sqlite3_bind_int(insert, 11, sequence++);
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
            sqlite3_finalize(insert);
            sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        });
    Report("sqlite-insert-100000", seconds);
}

void TimeRules(const fs::path& folder, const std::string& file)
{
    BenchDatabase db(folder, "rules.db");
    db.Import(file);
    // 49 narrow rules of every test and field, then one that matches every debit: most
    // transactions try all 50 and about three quarters are categorised.
    static const char* const tests[] = {"contains", "begins with", "ends with", "is"};
    for (int i = 0; i < 50; ++i)
    {
        std::string column = i % 3 == 2 ? "Amount" : i % 3 == 1 ? "Notes" : "Description";
        std::string test = tests[i % 4];
        std::string value;
        if (i == 49)
        {
            column = "Amount";
            test = "begins with";
            value = "-";
        }
        else if (column == "Description")
            value = test == "is"            ? "Corner Cafe #" + std::to_string(i)
                    : test == "begins with" ? "book barn #1" + std::to_string(i)
                                            : "#4" + std::to_string(i);
        else if (column == "Notes")
            value = "Memo 9" + std::to_string(i);
        else
            value = "-1" + std::to_string(i);
        db.Db().Execute("INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) "
                        "VALUES ('" +
                        column + "', '" + test + "', '" + value + "', 'Cat" + std::to_string(i) +
                        "', " + std::to_string(i + 1) + ")");
    }
    QuietUi ui;
    int categorised = 0;
    Report("rules-100000x50", Seconds([&] { categorised = ApplyCategoryRules(db.Db(), ui); }));
    std::fprintf(stderr, "rules: %d of 100000 categorised\n", categorised);
}

int RunImportBench()
{
    fs::path folder = fs::temp_directory_path() / ("tallybrook-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::vector<Row> rows10k = MakeRows(10000, 0);
    std::vector<Row> rows = MakeRows(100000, 0);
    std::vector<Row> earlier = MakeRows(100000, 500000);
    std::string sgml10k = (folder / "s10k.ofx").string();
    std::string sgml = (folder / "s100k.ofx").string();
    std::string xml = (folder / "x100k.ofx").string();
    std::string qif = (folder / "q100k.qif").string();
    std::string sgmlEarlier = (folder / "earlier.ofx").string();
    std::string ampersands = (folder / "amp1mb.ofx").string();
    std::string csv = (folder / "c100k.csv").string();
    std::string camt = (folder / "c100k.xml").string();
    std::string mt940 = (folder / "m100k.sta").string();
    // A CSV import remembers its mapping in the settings file: the bench's own.
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    fs::create_directories(folder / "Quorvel/Tallybrook");
    WriteOfxSgml(sgml10k, rows10k);
    WriteOfxSgml(sgml, rows);
    WriteOfxXml(xml, rows);
    WriteQif(qif, rows);
    WriteOfxSgml(sgmlEarlier, earlier);
    WriteOfxAmpersands(ampersands);
    WriteCsv(csv, rows);
    WriteCamt053(camt, rows);
    WriteMt940(mt940, rows);

    if (Wanted("sqlite-insert-100000"))
        TimeSqliteInsert(folder, rows);
    if (Wanted("ofx-sgml-10000"))
        TimeImport(folder, "ofx-sgml-10000", sgml10k, 10000);
    if (Wanted("ofx-sgml-100000"))
        TimeImport(folder, "ofx-sgml-100000", sgml, 100000);
    if (Wanted("ofx-sgml-amp-1mb"))
        TimeImport(folder, "ofx-sgml-amp-1mb", ampersands, 1);
    if (Wanted("ofx-xml-100000"))
        TimeImport(folder, "ofx-xml-100000", xml, 100000);
    if (Wanted("qif-100000"))
        TimeImport(folder, "qif-100000", qif, 100000);
    if (Wanted("csv-100000"))
        TimeImport(folder, "csv-100000", csv, 100000);
    if (Wanted("camt053-100000"))
        TimeImport(folder, "camt053-100000", camt, 100000);
    if (Wanted("mt940-100000"))
        TimeImport(folder, "mt940-100000", mt940, 100000);
    if (Wanted("ofx-sgml-100000-into-100000") || Wanted("ofx-sgml-100000-again"))
    {
        BenchDatabase db(folder, "into.db");
        Check(db.Import(sgmlEarlier), 100000, 0);
        ImportFileResult result;
        Report("ofx-sgml-100000-into-100000", Seconds([&] { result = db.Import(sgml); }));
        Check(result, 100000, 0);
        Report("ofx-sgml-100000-again", Seconds([&] { result = db.Import(sgml); }));
        Check(result, 0, 100000);
    }
    if (Wanted("rules-100000x50"))
        TimeRules(folder, sgml);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "import")
    {
        g_only.assign(argv + 2, argv + argc);
        return RunImportBench();
    }
    if (int code = RunPagesBench(command); code >= 0)
        return code;
    if (int code = RunExportBench(command); code >= 0)
        return code;
    if (int code = RunBackupBench(command); code >= 0)
        return code;
    if (int code = RunTransferBench(command); code >= 0)
        return code;
    if (int code = RunFindBench(command); code >= 0)
        return code;
    if (int code = RunReportsBench(command); code >= 0)
        return code;
    std::fprintf(stderr, "usage: tallybrook-bench import [CASE...]\n"
                         "       tallybrook-bench home-1000 | report-100000 | quotes-50x200ms | "
                         "pages\n"
                         "       tallybrook-bench export-ofx-100000 | export-csv-100000 | "
                         "export\n"
                         "       tallybrook-bench start-1000000\n"
                         "       tallybrook-bench transfers\n"
                         "       tallybrook-bench reports-1000000\n"
                         "       tallybrook-bench find-1000000\n");
    return 2;
}
