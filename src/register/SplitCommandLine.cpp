#include "register/SplitCommandLine.h"

#include "register/SplitTransaction.h"

#include <charconv>
#include <optional>
#include <ostream>

namespace
{
std::optional<std::int32_t> WholeNumber(const std::string& text)
{
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}
} // namespace

std::variant<SplitCommandLine, std::string> ParseSplitCommandLine(std::span<const std::string> args)
{
    if (args.size() != 3)
        return "split needs SEQUENCE, SUBSEQUENCE and SECOND_AMOUNT";
    SplitCommandLine command;
    std::optional<std::int32_t> sequence = WholeNumber(args[0]);
    if (!sequence)
        return "SEQUENCE '" + args[0] + "' is not a whole number";
    std::optional<std::int32_t> subSequence = WholeNumber(args[1]);
    if (!subSequence)
        return "SUBSEQUENCE '" + args[1] + "' is not a whole number";
    std::optional<Currency> second = Currency::Parse(args[2], '.');
    if (!second)
        return "SECOND_AMOUNT '" + args[2] + "' is not an amount such as -30.25";
    command.sequence = *sequence;
    command.subSequence = *subSequence;
    command.second = *second;
    return command;
}

int RunSplitCommandLine(Database& db, const SplitCommandLine& command, std::ostream& out,
                        std::ostream& err)
{
    std::optional<std::int32_t> added =
        SplitOff(db, command.sequence, command.subSequence, command.second);
    if (!added)
    {
        err << "tallybrook-cli: no transaction part has Sequence " << command.sequence
            << " and SubSequence " << command.subSequence << "\n";
        return 1;
    }
    out << *added << "\n";
    return 0;
}
