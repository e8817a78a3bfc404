#include "rules/RulesCommandLine.h"

#include "base/TerminalUi.h"
#include "rules/CategoryRuleList.h"

#include <charconv>
#include <optional>
#include <ostream>

namespace
{
std::optional<std::int32_t> ParseSequence(const std::string& text)
{
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::string Choices(std::span<const char* const> choices)
{
    std::string list;
    for (std::size_t i = 0; i < choices.size(); ++i)
        list += std::string(i == 0 ? "" : (i + 1 == choices.size() ? " or " : ", ")) + "'" +
                choices[i] + "'";
    return list;
}

std::variant<RulesCommandLine, std::string> ParseAdd(std::span<const std::string> args)
{
    if (args.size() != 4)
        return "rules add needs COLUMN RULE VALUE CATEGORY";
    RulesCommandLine command;
    command.action = RulesCommandLine::Action::Add;
    std::optional<std::string> column = RuleColumnChoice(args[0]);
    if (!column)
        return "COLUMN '" + args[0] + "' is not one of " + Choices(RuleColumnChoices);
    std::optional<std::string> test = RuleTestChoice(args[1]);
    if (!test)
        return "RULE '" + args[1] + "' is not one of " + Choices(RuleTestChoices);
    command.rule = CategoryRule{*column, *test, args[2], args[3]};
    std::string problem = CheckCategoryRuleLengths(command.rule);
    if (!problem.empty())
        return problem;
    return command;
}
} // namespace

std::variant<RulesCommandLine, std::string> ParseRulesCommandLine(std::span<const std::string> args)
{
    RulesCommandLine command;
    if (args.empty())
        return command;
    const std::string& verb = args[0];
    std::span<const std::string> rest = args.subspan(1);
    if (verb == "add")
        return ParseAdd(rest);
    if (verb == "apply")
    {
        if (!rest.empty())
            return "rules apply takes no arguments, got '" + rest[0] + "'";
        command.action = RulesCommandLine::Action::Apply;
        return command;
    }
    if (verb == "delete" || verb == "up" || verb == "down")
    {
        if (rest.size() != 1)
            return "rules " + verb + " needs one SEQUENCE";
        std::optional<std::int32_t> sequence = ParseSequence(rest[0]);
        if (!sequence)
            return "SEQUENCE '" + rest[0] + "' is not a whole number";
        command.action = verb == "delete" ? RulesCommandLine::Action::Delete
                         : verb == "up"   ? RulesCommandLine::Action::Up
                                          : RulesCommandLine::Action::Down;
        command.sequence = *sequence;
        return command;
    }
    return "unknown rules command '" + verb + "' (add, delete, up, down or apply)";
}

int RunRulesCommandLine(Database& db, const RulesCommandLine& command, std::ostream& out,
                        std::ostream& err)
{
    using Action = RulesCommandLine::Action;
    std::string missing =
        "tallybrook-cli: no rule has the Sequence " + std::to_string(command.sequence) + "\n";
    switch (command.action)
    {
    case Action::List:
        for (const StoredCategoryRule& stored : ListCategoryRules(db))
            out << stored.sequence << "\t" << stored.rule.column << "\t" << stored.rule.rule << "\t"
                << stored.rule.value << "\t" << stored.rule.category << "\n";
        return 0;
    case Action::Add:
        AddCategoryRule(db, command.rule);
        return 0;
    case Action::Delete:
        if (DeleteCategoryRule(db, command.sequence))
            return 0;
        err << missing;
        return 1;
    case Action::Up:
    case Action::Down:
        if (MoveCategoryRule(db, command.sequence, command.action == Action::Up ? -1 : 1) !=
            RuleMove::NotFound)
            return 0;
        err << missing;
        return 1;
    case Action::Apply:
    {
        TerminalUi ui(err);
        int categorised = ApplyCategoryRules(db, ui);
        // Rows categorised before an error stay categorised, so the count is still told.
        out << "categorised " << categorised << "\n";
        return ui.Failed() ? 1 : 0;
    }
    }
    return 1;
}
