#include "exchange/ExportCommandLine.h"

#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "exchange/ExportStatement.h"

#include <ctime>
#include <ostream>
#include <vector>

namespace
{
std::vector<std::string> AccountIds(Database& db, const std::string& column,
                                    const std::string& value)
{
    std::vector<std::string> ids;
    for (Recordset rs = db.Execute("SELECT AccountID FROM Account WHERE " + column + " = " +
                                   SqlLiteral(value));
         !rs.IsEOF(); rs.MoveNext())
        ids.push_back(rs.GetText("AccountID"));
    return ids;
}
} // namespace

std::variant<ExportCommandLine, std::string>
ParseExportCommandLine(std::span<const std::string> args)
{
    if (args.size() != 2)
        return "export needs ACCOUNT and FILE";
    if (args[1].empty())
        return "export needs a FILE";
    return ExportCommandLine{args[0], args[1]};
}

std::optional<std::string> FindExportAccount(Database& db, const std::string& account,
                                             std::string& problem)
{
    std::string named = "have the id";
    std::vector<std::string> ids = AccountIds(db, "AccountID", account);
    if (ids.empty())
    {
        named = "are described";
        ids = AccountIds(db, "Description", account);
    }
    if (ids.size() == 1)
        return ids.front();
    if (ids.empty())
        problem = "no account has the id or the description '" + account + "'";
    else
        problem = std::to_string(ids.size()) + " accounts " + named + " '" + account +
                  "'; name the account by its id";
    return std::nullopt;
}

int RunExportCommandLine(Database& db, const ExportCommandLine& command, std::ostream& err)
{
    std::string problem;
    std::optional<std::string> accountId = FindExportAccount(db, command.account, problem);
    if (!accountId)
    {
        err << "tallybrook-cli: " << problem << "\n";
        return 1;
    }
    ExportResult result = ExportStatement(db, *accountId, command.file,
                                          static_cast<std::int64_t>(std::time(nullptr)));
    if (!result.Ok())
    {
        err << result.error << "\n";
        return 1;
    }
    return 0;
}
