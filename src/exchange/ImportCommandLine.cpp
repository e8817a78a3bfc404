#include "exchange/ImportCommandLine.h"

#include "base/TerminalUi.h"
#include "data/DateTime.h"
#include "data/SchemaCatalog.h"
#include "exchange/CsvImport.h"
#include "exchange/CsvReader.h"
#include "exchange/ImportContext.h"
#include "exchange/ImportDriver.h"

#include <cstdio>
#include <ctime>
#include <ostream>

namespace
{
// Answers the Select Account dialog from the command line.
class CommandLineChooser : public AccountChooser
{
public:
    explicit CommandLineChooser(const std::optional<AccountChoice>& answer) : m_answer(answer) {}

    /// The command line's answer, for the first question only: a file of several unknown
    /// accounts needs one run for each.
    std::optional<AccountChoice> Choose(const AccountChoiceRequest& request) override
    {
        m_asked = request;
        m_unanswered = true;
        if (!m_answer || m_used)
            return std::nullopt;
        m_used = true;
        if (m_answer->action == AccountChoice::Action::Map)
        {
            for (const std::string& description : request.descriptions)
                if (EqualsNoCase(description, m_answer->description))
                {
                    m_unanswered = false;
                    return m_answer;
                }
            m_problem = "no account is described '" + m_answer->description + "'";
            return std::nullopt;
        }
        m_unanswered = false;
        return m_answer;
    }

    /// Why the account stayed unknown; empty when it did not.
    std::string Problem() const
    {
        if (!m_asked || !m_problem.empty())
            return m_problem;
        if (m_asked->supplied)
            return "no account has the statement's account number '" + m_asked->accountId + "'";
        return "the statement names no account number";
    }
    bool Unanswered() const { return m_unanswered; }

private:
    std::optional<AccountChoice> m_answer;
    std::optional<AccountChoiceRequest> m_asked;
    std::string m_problem;
    bool m_used = false;
    bool m_unanswered = false;
};

// Answers the CSV mapping dialog from the command line: the --csv items over the
// remembered mapping, else over the guesses made with them; nothing while anything is
// uncertain or no account is named.
class CommandLineCsvChooser : public CsvMappingChooser
{
public:
    explicit CommandLineCsvChooser(const ImportCommandLine& command) : m_command(command) {}

    std::optional<CsvMappingChoice> Choose(const CsvMappingRequest& request) override
    {
        m_asked = true;
        CsvMappingChoice choice;
        choice.mapping = request.mapping;
        std::vector<CsvDoubt> doubts = request.doubts;
        if (m_command.csv && request.remembered)
            choice.mapping = ApplyCsvOptions(request.mapping, *m_command.csv);
        else if (m_command.csv)
        {
            std::string charset = m_command.csv->charset.value_or("");
            std::optional<std::string> text = DecodeCsvFile(request.bytes, charset);
            if (!text)
            {
                m_problems.push_back("the file cannot be read in the character set " + charset);
                return std::nullopt;
            }
            CsvGuess guess = GuessCsvMapping(*text, *m_command.csv);
            choice.mapping = guess.mapping;
            doubts = guess.doubts;
        }
        m_guessed = FormatCsvOptions(choice.mapping);
        for (const CsvDoubt& doubt : doubts)
            m_problems.push_back(doubt.reason + ": " + doubt.hint);
        std::string refusal = CheckCsvMapping(choice.mapping);
        if (doubts.empty() && !refusal.empty())
            m_problems.push_back(refusal);
        bool readable = m_problems.empty();
        if (!m_command.answer)
            m_accountProblem = "a CSV statement names no account";
        else if (m_command.answer->action == AccountChoice::Action::Map &&
                 !KnownDescription(request.accounts, m_command.answer->description))
            m_accountProblem = "no account is described '" + m_command.answer->description + "'";
        if (!readable || !m_accountProblem.empty())
            return std::nullopt;
        choice.account = *m_command.answer;
        return choice;
    }

    bool Asked() const { return m_asked; }
    /// What keeps the columns from being read, each naming the keys that settle it.
    const std::vector<std::string>& Problems() const { return m_problems; }
    /// Why the account is unknown; empty when it is not.
    const std::string& AccountProblem() const { return m_accountProblem; }
    /// The mapping as far as it was made, as a --csv text.
    const std::string& Guessed() const { return m_guessed; }

private:
    static bool KnownDescription(const AccountChoiceRequest& accounts,
                                 const std::string& description)
    {
        for (const std::string& known : accounts.descriptions)
            if (EqualsNoCase(known, description))
                return true;
        return false;
    }

    const ImportCommandLine& m_command;
    bool m_asked = false;
    std::vector<std::string> m_problems;
    std::string m_accountProblem;
    std::string m_guessed;
};

void PrintAccountHelp(std::ostream& err, const std::string& file, const std::string& problem)
{
    err << "tallybrook-cli: the account of " << file << " cannot be determined: " << problem
        << ".\nUse --create-account TYPE DESCRIPTION to create one (TYPE: Bank, Cash, "
           "Credit Card or Investment) or --map-account DESCRIPTION to file the statement "
           "under an existing account.\n";
}

void PrintBalances(std::ostream& out, std::ostream& err, const std::vector<BalanceCheck>& checks)
{
    for (const BalanceCheck& check : checks)
    {
        if (check.openingSet)
            err << "tallybrook-cli: the opening balance of " << check.accountId
                << " was set so that it agrees with the bank\n";
        char day[16];
        std::snprintf(day, sizeof day, "%04d-%02d-%02d", check.date.year % 10000,
                      check.date.month % 100, check.date.day % 100);
        out << "balance " << check.accountId << " " << day << " bank " << check.bank.ToPointText()
            << " held " << check.held.ToPointText() << "\n";
    }
}

std::optional<std::string> CanonicalType(const std::string& type)
{
    for (const std::string& known : ImportAccountTypes())
        if (EqualsNoCase(known, type))
            return known;
    return std::nullopt;
}
} // namespace

std::variant<ImportCommandLine, std::string>
ParseImportCommandLine(std::span<const std::string> args)
{
    ImportCommandLine command;
    bool haveFile = false;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg == "--create-account" || arg == "--map-account")
        {
            if (command.answer)
                return "give only one of --create-account and --map-account";
            bool create = arg == "--create-account";
            std::size_t needed = create ? 2 : 1;
            if (args.size() - i - 1 < needed)
                return create ? "--create-account needs a TYPE and a DESCRIPTION"
                              : "--map-account needs a DESCRIPTION";
            AccountChoice choice;
            if (create)
            {
                std::optional<std::string> type = CanonicalType(args[i + 1]);
                if (!type)
                    return "account type '" + args[i + 1] +
                           "' is not one of Bank, Cash, Credit Card, Investment";
                choice.action = AccountChoice::Action::Create;
                choice.type = *type;
                choice.description = args[i + 2];
                std::string problem = CheckAccountChoice(choice);
                if (!problem.empty())
                    return problem;
            }
            else
            {
                choice.action = AccountChoice::Action::Map;
                choice.description = args[i + 1];
            }
            command.answer = choice;
            i += needed;
        }
        else if (arg == "--csv" || arg.starts_with("--csv="))
        {
            if (command.csv)
                return "give --csv only once";
            if (arg == "--csv" && i + 1 == args.size())
                return "--csv needs a SPEC";
            std::string text = arg == "--csv" ? args[++i] : arg.substr(6);
            auto options = ParseCsvOptions(text);
            if (const std::string* problem = std::get_if<std::string>(&options))
                return *problem;
            command.csv = std::get<CsvOptions>(options);
        }
        else if (arg == "--set-opening-balance")
            command.setOpeningBalance = true;
        else if (arg.starts_with("--"))
            return "unknown import option '" + arg + "'";
        else if (haveFile)
            return "import takes one FILE, got '" + arg + "' too";
        else
        {
            command.file = arg;
            haveFile = true;
        }
    }
    if (!haveFile || command.file.empty())
        return "import needs a FILE";
    return command;
}

int RunImportCommandLine(Database& db, const ImportCommandLine& command, std::ostream& out,
                         std::ostream& err)
{
    TerminalUi ui(err);
    CommandLineChooser chooser(command.answer);
    CommandLineCsvChooser csvChooser(command);
    ImportContext context(db, ui, chooser);
    context.csvChooser = &csvChooser;
    // The budget period the program selects at start: this month.
    DateTime today = ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
    context.budgetYear = today.year;
    context.budgetPeriod = today.month;
    context.acceptOpeningBalance = [&command](const BalanceCheck&)
    { return command.setOpeningBalance; };

    // The Import command's own function: the import, then the category rules.
    ImportFileResult result = ImportStatementFile(context, command.file);
    if (!csvChooser.Problems().empty())
    {
        err << "tallybrook-cli: the columns of " << command.file
            << " cannot be read with certainty:\n";
        for (const std::string& problem : csvChooser.Problems())
            err << "  " << problem << "\n";
        err << "Give the keys with --csv; what is not given is taken from the guess: "
            << csvChooser.Guessed() << "\n";
    }
    if (!csvChooser.AccountProblem().empty())
        PrintAccountHelp(err, command.file, csvChooser.AccountProblem());
    if (!csvChooser.Problems().empty() || !csvChooser.AccountProblem().empty())
        return 2;
    if (chooser.Unanswered())
    {
        PrintAccountHelp(err, command.file, chooser.Problem());
        return 2;
    }
    if (result.format == StatementFormat::Unknown)
        return 1;
    if (command.csv && result.format != StatementFormat::Csv)
        err << "tallybrook-cli: --csv was not used: " << command.file
            << " is not a CSV statement\n";
    PrintBalances(out, err, result.balances);
    if (result.matchedScheduled > 0)
        out << "matched " << result.matchedScheduled << "\n";
    out << "imported " << result.added << ", skipped " << result.duplicates << "\n";
    if (result.transferPairs > 0)
        out << "transfers found " << result.transferPairs
            << " (tallybrook-cli transfers lists them)\n";
    return result.stopped ? 1 : 0;
}
