#include "transfer/TransferCommandLine.h"

#include "data/Currency.h"
#include "transfer/TransferPairing.h"

#include <charconv>
#include <ostream>

namespace
{
std::string Side(const PairedRow& row)
{
    return row.date + "\t" + row.accountId + "\t" + std::to_string(row.key.sequence) + "\t" +
           row.amount.ToPointText();
}

std::optional<int> LineNumber(const std::string& text)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1)
        return std::nullopt;
    return value;
}

/// The pairs the command names; false, with the message on err, for a line beyond the list.
bool Chosen(const TransfersCommandLine& command, const std::vector<TransferPair>& pairs,
            std::vector<TransferPair>& chosen, std::ostream& err)
{
    if (command.all || command.sureOnly)
    {
        for (const TransferPair& pair : pairs)
            if (command.all || pair.sure)
                chosen.push_back(pair);
        return true;
    }
    for (int line : command.lines)
    {
        if (static_cast<std::size_t>(line) > pairs.size())
        {
            err << "tallybrook-cli: there is no line " << line << "; the list has " << pairs.size()
                << "\n";
            return false;
        }
        chosen.push_back(pairs[static_cast<std::size_t>(line) - 1]);
    }
    return true;
}
} // namespace

std::variant<TransfersCommandLine, std::string>
ParseTransfersCommandLine(std::span<const std::string> args)
{
    TransfersCommandLine command;
    if (args.empty())
        return command;
    const std::string& verb = args.front();
    if (verb != "accept" && verb != "reject")
        return "transfers takes accept or reject, got '" + verb + "'";
    command.action = verb == "accept" ? TransfersCommandLine::Action::Accept
                                      : TransfersCommandLine::Action::Refuse;
    std::span<const std::string> rest = args.subspan(1);
    if (rest.empty())
        return "transfers " + verb + " needs " +
               (verb == "accept" ? std::string("all, sure or ") : std::string()) + "line numbers";
    if (verb == "accept" && rest.size() == 1 && (rest[0] == "all" || rest[0] == "sure"))
    {
        command.all = rest[0] == "all";
        command.sureOnly = rest[0] == "sure";
        return command;
    }
    for (const std::string& text : rest)
    {
        std::optional<int> line = LineNumber(text);
        if (!line)
            return "'" + text + "' is not a line number of the list";
        command.lines.push_back(*line);
    }
    return command;
}

int RunTransfersCommandLine(Database& db, const TransfersCommandLine& command, std::ostream& out,
                            std::ostream& err)
{
    std::vector<TransferPair> pairs = FindTransferPairs(db);
    if (command.action == TransfersCommandLine::Action::List)
    {
        for (const TransferPair& pair : pairs)
            out << Side(pair.out) << "\t" << Side(pair.in) << "\t"
                << (pair.sure ? "sure" : "unsure") << "\n";
        return 0;
    }
    std::vector<TransferPair> chosen;
    if (!Chosen(command, pairs, chosen, err))
        return 1;
    if (command.action == TransfersCommandLine::Action::Accept)
        out << "linked " << AcceptTransferPairs(db, chosen) << "\n";
    else
    {
        RefuseTransferPairs(db, chosen);
        out << "refused " << chosen.size() << "\n";
    }
    CloseTransferReview(db);
    return 0;
}
