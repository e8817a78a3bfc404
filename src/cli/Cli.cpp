#include "cli/Cli.h"

#include "backup/BackupCommandLine.h"
#include "budget/BudgetReport.h"
#include "dashboard/HomePage.h"
#include "dashboard/ReportCommandLine.h"
#include "dashboard/ReportPages.h"
#include "dashboard/TransactionsReport.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/DatabaseLocation.h"
#include "data/DateTime.h"
#include "data/Recordset.h"
#include "data/Schema.h"
#include "exchange/ExportCommandLine.h"
#include "exchange/ImportCommandLine.h"
#include "quotes/QuotesCommandLine.h"
#include "register/SplitCommandLine.h"
#include "rules/RulesCommandLine.h"
#include "schedule/ScheduleCommandLine.h"
#include "search/FindCommandLine.h"
#include "transfer/TransferCommandLine.h"
#include "update/UpdateCommandLine.h"

#include <ctime>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace
{

/// What the options before the command chose.
struct CliOptions
{
    std::optional<std::string> databasePath; ///< --database, used exactly as written
    std::ostream* err = nullptr;             ///< where messages to the user go
};

/// A wrong command line; the text names the problem.
struct UsageError
{
    std::string message;
};

struct Command
{
    const char* name;
    const char* arguments; ///< shown in the usage text
    const char* summary;
    int (*run)(const CliOptions& options, std::span<const std::string> args, std::ostream& out);
};

// The program's own opening sequence: backup copy, then migration; --database is used
// exactly as written, like DatabasePath, and a missing file there is an error. Commands that
// only read take the backup only when the migration is about to change the file. A backup
// that could not be made is said on err; the command goes on with the database intact.
std::unique_ptr<Database> OpenAsTheProgramDoes(const CliOptions& options,
                                               BackupWhen backup = BackupWhen::First)
{
    std::string path = options.databasePath ? *options.databasePath : PrepareProgramDatabase();
    auto db = std::make_unique<Database>(path, OpenOptions{backup, true});
    if (!db->BackupProblem().empty())
        *options.err << db->BackupProblem() << "\n";
    return db;
}

// The database file the backup commands work on, which they never open.
std::string DatabasePathOf(const CliOptions& options)
{
    return options.databasePath.value_or(LocateDatabase().path);
}

// The file check opens; a missing one is created, except where DatabasePath names it.
DatabaseLocation CheckedLocation(const CliOptions& options)
{
    if (options.databasePath)
        return {*options.databasePath, false};
    return LocateDatabase();
}

int RunCheck(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    if (!args.empty())
        throw UsageError{"check takes no arguments, got '" + args.front() + "'"};
    DatabaseLocation location = CheckedLocation(options);
    std::error_code error;
    if (!location.fromSetting && !std::filesystem::exists(location.path, error))
    {
        CreateDatabaseFile(location.path);
        out << "created the new database " << location.path << "\n";
    }
    Database db(location.path);
    if (!db.BackupProblem().empty())
        *options.err << db.BackupProblem() << "\n";
    out << "schema version " << ReadSchemaVersion(db) << "\n";
    return 0;
}

void PrintRows(Recordset& rs, std::ostream& out)
{
    for (int i = 0; i < rs.FieldCount(); ++i)
        out << (i ? "\t" : "") << rs.Field(i).name;
    out << "\n";
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        for (int i = 0; i < rs.FieldCount(); ++i)
            out << (i ? "\t" : "") << rs.GetValue(i).ToText();
        out << "\n";
    }
}

int RunSql(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    if (args.empty())
        throw UsageError{"sql needs at least one statement"};
    // The database as it is: no backup copy, no migration.
    Database db(options.databasePath.value_or(LocateDatabase().path),
                OpenOptions{BackupWhen::Never, false});
    for (const std::string& statement : args)
    {
        Recordset rs = db.Execute(statement);
        if (rs.IsOpen())
            PrintRows(rs, out);
    }
    return 0;
}

int RunBudget(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    if (args.size() != 2)
        throw UsageError{"budget needs YEAR and MONTH"};
    std::string problem;
    std::optional<BudgetPeriodArgument> period = ParseBudgetPeriod(args[0], args[1], problem);
    if (!period)
        throw UsageError{problem};
    std::unique_ptr<Database> db = OpenAsTheProgramDoes(options, BackupWhen::BeforeMigrating);
    WriteBudgetReport(ReadBudgetReport(*db, period->year, period->period), out);
    return 0;
}

int RunImport(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    auto command = ParseImportCommandLine(args);
    if (const std::string* problem = std::get_if<std::string>(&command))
        throw UsageError{*problem};
    std::unique_ptr<Database> db = OpenAsTheProgramDoes(options);
    return RunImportCommandLine(*db, std::get<ImportCommandLine>(command), out, *options.err);
}

int RunExport(const CliOptions& options, std::span<const std::string> args, std::ostream&)
{
    auto command = ParseExportCommandLine(args);
    if (const std::string* problem = std::get_if<std::string>(&command))
        throw UsageError{*problem};
    std::unique_ptr<Database> db = OpenAsTheProgramDoes(options, BackupWhen::BeforeMigrating);
    return RunExportCommandLine(*db, std::get<ExportCommandLine>(command), *options.err);
}

int RunSplit(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    auto command = ParseSplitCommandLine(args);
    if (const std::string* problem = std::get_if<std::string>(&command))
        throw UsageError{*problem};
    std::unique_ptr<Database> db = OpenAsTheProgramDoes(options);
    return RunSplitCommandLine(*db, std::get<SplitCommandLine>(command), out, *options.err);
}

int RunRules(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    auto command = ParseRulesCommandLine(args);
    if (const std::string* problem = std::get_if<std::string>(&command))
        throw UsageError{*problem};
    const RulesCommandLine& rules = std::get<RulesCommandLine>(command);
    std::unique_ptr<Database> db = OpenAsTheProgramDoes(
        options, rules.action == RulesCommandLine::Action::List ? BackupWhen::BeforeMigrating
                                                                : BackupWhen::First);
    return RunRulesCommandLine(*db, rules, out, *options.err);
}

int RunTransfers(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    auto command = ParseTransfersCommandLine(args);
    if (const std::string* problem = std::get_if<std::string>(&command))
        throw UsageError{*problem};
    const TransfersCommandLine& transfers = std::get<TransfersCommandLine>(command);
    std::unique_ptr<Database> db =
        OpenAsTheProgramDoes(options, transfers.action == TransfersCommandLine::Action::List
                                          ? BackupWhen::BeforeMigrating
                                          : BackupWhen::First);
    return RunTransfersCommandLine(*db, transfers, out, *options.err);
}

// What a command's parser read; the text of its mistake is a usage error.
template <typename Parsed> Parsed ParsedOrUsage(std::variant<Parsed, std::string> parsed)
{
    if (const std::string* problem = std::get_if<std::string>(&parsed))
        throw UsageError{*problem};
    return std::get<Parsed>(std::move(parsed));
}

int RunScheduled(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    ScheduledCommandLine command = ParsedOrUsage(ParseScheduledCommandLine(args));
    std::unique_ptr<Database> db = OpenAsTheProgramDoes(
        options, command.Writes() ? BackupWhen::First : BackupWhen::BeforeMigrating);
    return RunScheduledCommandLine(*db, command, out, *options.err);
}

int RunUpdateCheck(const CliOptions&, std::span<const std::string> args, std::ostream& out)
{
    auto command = ParseUpdateCheckCommandLine(args);
    if (const std::string* problem = std::get_if<std::string>(&command))
        throw UsageError{*problem};
    return RunUpdateCheckCommandLine(std::get<UpdateCheckCommandLine>(command), out);
}

int RunFind(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    if (args.empty())
        throw UsageError{"find needs a QUERY"};
    std::unique_ptr<Database> db = OpenAsTheProgramDoes(options, BackupWhen::BeforeMigrating);
    return RunFindCommandLine(*db, args, out, *options.err);
}

int RunHome(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    if (!args.empty())
        throw UsageError{"home takes no arguments, got '" + args.front() + "'"};
    std::unique_ptr<Database> db = OpenAsTheProgramDoes(options, BackupWhen::BeforeMigrating);
    // The budget period the program selects at start: this month.
    DateTime today = ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
    out << BuildHomePage(*db, today.year, today.month);
    return 0;
}

int RunReport(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    auto command = ParseReportCommandLine(args);
    if (const std::string* problem = std::get_if<std::string>(&command))
        throw UsageError{*problem};
    std::unique_ptr<Database> db = OpenAsTheProgramDoes(options, BackupWhen::BeforeMigrating);
    DateTime today = ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
    RunReportCommandLine(*db, std::get<ReportCommandLine>(command), today, out);
    return 0;
}

int RunQuotes(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    auto command = ParseQuotesCommandLine(args);
    if (const std::string* problem = std::get_if<std::string>(&command))
        throw UsageError{*problem};
    std::unique_ptr<Database> db = OpenAsTheProgramDoes(options);
    return RunQuotesCommandLine(*db, std::get<QuotesCommandLine>(command), out, *options.err);
}

int RunBackups(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    if (!args.empty())
        throw UsageError{"backups takes no arguments, got '" + args.front() + "'"};
    return RunBackupsCommand(DatabasePathOf(options), out);
}

int RunRestore(const CliOptions& options, std::span<const std::string> args, std::ostream& out)
{
    if (args.size() > 1)
        throw UsageError{"restore takes at most one BACKUP, got '" + args[1] + "'"};
    std::optional<std::string> backup;
    if (!args.empty())
        backup = args.front();
    return RunRestoreCommand(DatabasePathOf(options), backup, out, *options.err);
}

// New commands are added here; the dispatcher and the usage text follow the table.
constexpr Command Commands[] = {
    {"check", "",
     "open, back up and migrate the database as the program does; create it when missing",
     RunCheck},
    {"sql", " STATEMENT...", "run statements on the database as it is", RunSql},
    {"budget", " YEAR MONTH", "the budget of a month as the Budget view shows it", RunBudget},
    {"import",
     " FILE [--create-account TYPE DESCRIPTION | --map-account DESCRIPTION] [--csv SPEC] "
     "[--set-opening-balance]",
     "import a statement file as the Import command does", RunImport},
    {"export", " ACCOUNT FILE",
     "write an account's transactions (ACCOUNT: its id or description) as OFX, or as CSV "
     "when FILE ends in .csv",
     RunExport},
    {"split", " SEQUENCE SUBSEQUENCE SECOND_AMOUNT",
     "split a transaction part as Split Transaction does; prints the new part's SubSequence",
     RunSplit},
    {"rules", "", "list the category rules: SEQUENCE COLUMN RULE VALUE CATEGORY", RunRules},
    {"rules", " add COLUMN RULE VALUE CATEGORY", "add a rule after all others", RunRules},
    {"rules", " delete|up|down SEQUENCE", "delete a rule or move it one place", RunRules},
    {"rules", " apply", "categorise the uncategorised transactions by the rules", RunRules},
    {"transfers", "",
     "list pairs of rows that may be the two sides of a transfer: DATE ACCOUNT SEQUENCE "
     "AMOUNT twice, sure|unsure",
     RunTransfers},
    {"transfers", " accept all|sure|N...", "link the pairs of those lines as transfers",
     RunTransfers},
    {"transfers", " reject N...", "remember that the pairs of those lines are no transfers",
     RunTransfers},
    {"scheduled", "",
     "list the scheduled transactions: ID NEXT ACCOUNTID DESCRIPTION AMOUNT CATEGORY RULE "
     "auto|ask",
     RunScheduled},
    {"scheduled",
     " add ACCOUNT DESCRIPTION AMOUNT RULE FIRST [--category C] [--notes TEXT] [--check N] [--ask] "
     "[--until DATE | "
     "--times N]",
     "schedule a transaction (RULE: daily, days:N, weekly, weekly:N, monthly, monthly:N, "
     "monthly:last, yearly, yearly:N; dates YYYY-MM-DD); prints its ID",
     RunScheduled},
    {"scheduled", " due [--enter] [--today DATE]",
     "the occurrences due up to today: ID DATE ACCOUNTID DESCRIPTION AMOUNT; --enter enters "
     "them",
     RunScheduled},
    {"update-check", " [--site URL]", "ask the maker's web site for a newer version now",
     RunUpdateCheck},
    {"home", "", "the home page as the program writes it", RunHome},
    {"report",
     " [transactions|spending|cashflow|networth|budget] [--from YYYY-MM-DD] [--to YYYY-MM-DD] "
     "[--accounts all|budget] [--categories TEXT] [--tsv]",
     "a report's page for those dates, accounts and categories, or its figures with --tsv",
     RunReport},
    {"find", " QUERY",
     "every transaction whose texts hold the words (amount:, from:, to:, account:, "
     "category: narrow it), newest first: DATE ACCOUNTID SEQUENCE DESCRIPTION AMOUNT CHECK "
     "CATEGORY NOTES",
     RunFind},
    {"quotes", " [--service csv|stooq] [--url BASE]",
     "update the holdings' prices as Update Quotes does and list them", RunQuotes},
    {"backups", "", "list the backups with their times, sizes and numbers of transactions",
     RunBackups},
    {"restore", " [BACKUP]",
     "put a backup (the newest good one, or the file named) in the database's place; the "
     "file it replaces is kept beside it",
     RunRestore},
};

void PrintUsage(std::ostream& os)
{
    os << "usage: tallybrook-cli [--database PATH] COMMAND [ARGUMENTS]\n"
          "       tallybrook-cli --help\n"
          "\n"
          "options:\n"
          "  --database PATH  the database file, used exactly as written\n"
          "                   (default: the settings' DatabasePath, else the usual place)\n"
          "  -h, --help       show this text\n"
          "\n"
          "commands:\n";
    for (const Command& command : Commands)
    {
        std::string head = std::string(command.name) + command.arguments;
        os << "  " << head << std::string(head.size() < 17 ? 17 - head.size() : 1, ' ')
           << command.summary << "\n";
    }
}

const Command* FindCommand(const std::string& name)
{
    for (const Command& command : Commands)
        if (name == command.name)
            return &command;
    return nullptr;
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CliOptions options;
    options.err = &err;
    std::size_t next = 0;
    try
    {
        // Options stand before the command; everything after it belongs to the command.
        for (; next < args.size() && args[next].starts_with("-"); ++next)
        {
            const std::string& arg = args[next];
            if (arg == "-h" || arg == "--help")
            {
                PrintUsage(out);
                return 0;
            }
            if (arg == "--database")
            {
                if (++next == args.size())
                    throw UsageError{"--database needs a PATH"};
                options.databasePath = args[next];
            }
            else if (arg.starts_with("--database="))
                options.databasePath = arg.substr(std::string("--database=").size());
            else
                throw UsageError{"unknown option '" + arg + "'"};
        }
        if (next == args.size())
            throw UsageError{"no command given"};
        const Command* command = FindCommand(args[next]);
        if (!command)
            throw UsageError{"unknown command '" + args[next] + "'"};
        return command->run(options, std::span(args).subspan(next + 1), out);
    }
    catch (const UsageError& e)
    {
        err << "tallybrook-cli: " << e.message << "\n";
        PrintUsage(err);
        return 2;
    }
    catch (const DatabaseError& e)
    {
        err << GetComExceptionMessage(e) << "\n";
        return 1;
    }
    catch (const std::exception& e)
    {
        err << "tallybrook-cli: " << e.what() << "\n";
        return 1;
    }
}
