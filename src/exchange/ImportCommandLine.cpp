#include "exchange/ImportCommandLine.h"

#include "app/UserInterface.h"
#include "data/DateTime.h"
#include "data/SchemaCatalog.h"
#include "exchange/ImportContext.h"
#include "exchange/ImportDriver.h"

#include <ctime>
#include <ostream>

namespace
{
// Messages go to the error stream; there is no status bar and no cursor.
class TerminalUi : public UserInterface
{
public:
    explicit TerminalUi(std::ostream& err) : m_err(err) {}
    void ShowMessage(const std::string& text, Icon) override { m_err << text << "\n"; }
    bool AskYesNo(const std::string&) override { return false; }
    void PushStatus(const std::string&) override {}
    void PopStatus() override {}
    void BeginWait() override {}
    void EndWait() override {}

private:
    std::ostream& m_err;
};

// Answers the Select Account dialog from the command line.
class CommandLineChooser : public AccountChooser
{
public:
    explicit CommandLineChooser(const std::optional<AccountChoice>& answer) : m_answer(answer) {}

    std::optional<AccountChoice> Choose(const AccountChoiceRequest& request) override
    {
        m_asked = request;
        if (!m_answer)
            return std::nullopt;
        if (m_answer->action == AccountChoice::Action::Map)
        {
            for (const std::string& description : request.descriptions)
                if (EqualsNoCase(description, m_answer->description))
                    return m_answer;
            m_problem = "no account is described '" + m_answer->description + "'";
            return std::nullopt;
        }
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
    bool Unanswered() const { return m_asked && (!m_answer || !m_problem.empty()); }

private:
    std::optional<AccountChoice> m_answer;
    std::optional<AccountChoiceRequest> m_asked;
    std::string m_problem;
};

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
    ImportContext context(db, ui, chooser);
    // The budget period the program selects at start: this month.
    DateTime today = ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
    context.budgetYear = today.year;
    context.budgetPeriod = today.month;

    // The Import command's own function: the import, then the category rules.
    ImportFileResult result = ImportStatementFile(context, command.file);
    if (chooser.Unanswered())
    {
        err << "tallybrook-cli: the account of " << command.file
            << " cannot be determined: " << chooser.Problem()
            << ".\nUse --create-account TYPE DESCRIPTION to create one (TYPE: Bank, Cash, "
               "Credit Card or Investment) or --map-account DESCRIPTION to file the statement "
               "under an existing account.\n";
        return 2;
    }
    if (result.format == StatementFormat::Unknown)
        return 1;
    out << "imported " << result.added << ", skipped " << result.duplicates << "\n";
    return result.stopped ? 1 : 0;
}
