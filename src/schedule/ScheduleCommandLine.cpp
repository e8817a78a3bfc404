#include "schedule/ScheduleCommandLine.h"

#include "exchange/ExportCommandLine.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

namespace
{
/// A command's words in order and its options by name ("" for an option without a value).
struct Arguments
{
    std::vector<std::string> words;
    std::map<std::string, std::string> options;
};

/// Splits the arguments; `valued` lists the options followed by a value, `flags` the others.
std::variant<Arguments, std::string> SplitArguments(std::span<const std::string> args,
                                                    std::span<const char* const> flags,
                                                    std::span<const char* const> valued)
{
    Arguments split;
    auto named = [](std::span<const char* const> names, const std::string& arg)
    { return std::find(names.begin(), names.end(), arg) != names.end(); };
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (!arg.starts_with("--"))
            split.words.push_back(arg);
        else if (named(flags, arg))
            split.options[arg] = "";
        else if (!named(valued, arg))
            return "unknown option '" + arg + "'";
        else if (++i == args.size())
            return arg + " needs a value";
        else
            split.options[arg] = args[i];
    }
    return split;
}

std::optional<DateTime> ReadDay(const std::string& name, const std::string& text,
                                std::string& problem)
{
    std::optional<DateTime> day = ParseIsoDay(text);
    if (!day)
        problem = name + " needs a date as YYYY-MM-DD, got '" + text + "'";
    return day;
}

std::optional<int> ReadTimes(const std::string& text)
{
    int times = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), times);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || times < 1)
        return std::nullopt;
    return times;
}

/// Sets the rule's end from --until or --times; the text of a mistake, or empty.
std::string ReadEnd(const Arguments& args, ScheduleRule& rule)
{
    auto until = args.options.find("--until");
    auto times = args.options.find("--times");
    bool hasUntil = until != args.options.end();
    bool hasTimes = times != args.options.end();
    if (hasUntil && hasTimes)
        return "scheduled add takes --until or --times, not both";
    std::string problem;
    if (hasUntil)
        rule.until = ReadDay("--until", until->second, problem);
    if (hasTimes)
    {
        rule.times = ReadTimes(times->second);
        if (!rule.times)
            problem = "--times needs a number of 1 or more, got '" + times->second + "'";
    }
    return problem;
}

/// Fills the schedule from DESCRIPTION AMOUNT RULE FIRST; the text of a mistake, or empty.
std::string ReadScheduleWords(const std::vector<std::string>& words, Schedule& schedule)
{
    schedule.description = words[1];
    std::optional<Currency> amount = Currency::Parse(words[2], '.');
    if (!amount)
        return "AMOUNT '" + words[2] + "' is not an amount such as -30.25";
    schedule.amount = *amount;
    std::variant<ScheduleRule, std::string> rule = ParseRuleText(words[3]);
    if (const std::string* problem = std::get_if<std::string>(&rule))
        return *problem;
    schedule.rule = std::get<ScheduleRule>(rule);
    std::string problem;
    if (std::optional<DateTime> first = ReadDay("FIRST", words[4], problem))
        schedule.rule.first = *first;
    return problem;
}

std::variant<ScheduledCommandLine, std::string> ParseAdd(const Arguments& args)
{
    if (args.words.size() != 5)
        return "scheduled add needs ACCOUNT DESCRIPTION AMOUNT RULE FIRST";
    ScheduledCommandLine command;
    command.action = ScheduledCommandLine::Action::Add;
    command.account = args.words[0];
    Schedule& schedule = command.schedule;
    std::string problem = ReadScheduleWords(args.words, schedule);
    if (problem.empty())
        problem = ReadEnd(args, schedule.rule);
    if (!problem.empty())
        return problem;
    const std::pair<const char*, std::string*> texts[] = {{"--category", &schedule.category},
                                                          {"--notes", &schedule.notes},
                                                          {"--check", &schedule.checkId}};
    for (const auto& [option, field] : texts)
        if (auto value = args.options.find(option); value != args.options.end())
            *field = value->second;
    schedule.askFirst = args.options.contains("--ask");
    return command;
}

std::variant<ScheduledCommandLine, std::string> ParseDue(const Arguments& args)
{
    if (!args.words.empty())
        return "scheduled due takes no '" + args.words.front() + "'";
    ScheduledCommandLine command;
    command.action = ScheduledCommandLine::Action::Due;
    command.enter = args.options.contains("--enter");
    std::string problem;
    if (auto today = args.options.find("--today"); today != args.options.end())
        command.today = ReadDay("--today", today->second, problem);
    if (!problem.empty())
        return problem;
    return command;
}

const char* const AddFlags[] = {"--ask"};
const char* const AddValued[] = {"--category", "--notes", "--check", "--until", "--times"};
const char* const DueFlags[] = {"--enter"};
const char* const DueValued[] = {"--today"};

/// Tabs and line breaks in a text made blanks, so that a line stays one record.
std::string Plain(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

void PrintSchedule(std::ostream& out, const Schedule& schedule)
{
    std::optional<DateTime> next = NextDate(schedule);
    out << schedule.id << "\t" << (next ? ToIsoDayText(*next) : "") << "\t"
        << Plain(schedule.accountId) << "\t" << Plain(schedule.description) << "\t"
        << schedule.amount.ToPointText() << "\t" << Plain(schedule.category) << "\t"
        << RuleText(schedule.rule) << "\t" << (schedule.askFirst ? "ask" : "auto") << "\n";
}

int AddFromCommandLine(Database& db, const ScheduledCommandLine& command, std::ostream& out,
                       std::ostream& err)
{
    std::string problem;
    Schedule schedule = command.schedule;
    if (std::optional<std::string> accountId = FindExportAccount(db, command.account, problem))
    {
        schedule.accountId = *accountId;
        problem = ScheduleRefusal(db, schedule);
    }
    if (!problem.empty())
    {
        err << "tallybrook-cli: " << problem << "\n";
        return 2;
    }
    out << AddSchedule(db, schedule) << "\n";
    return 0;
}

int DueFromCommandLine(Database& db, const ScheduledCommandLine& command, std::ostream& out)
{
    DateTime today =
        command.today.value_or(ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr))));
    std::vector<DueOccurrence> due = DueOccurrences(db, today);
    for (const DueOccurrence& occurrence : due)
        out << occurrence.scheduleId << "\t" << ToIsoDayText(occurrence.date) << "\t"
            << Plain(occurrence.accountId) << "\t" << Plain(occurrence.description) << "\t"
            << occurrence.amount.ToPointText() << "\n";
    if (!command.enter)
        return 0;
    int entered = 0;
    for (const DueOccurrence& occurrence : due)
        entered += EnterOccurrence(db, occurrence) ? 1 : 0;
    out << "entered " << entered << "\n";
    return 0;
}
} // namespace

std::variant<ScheduledCommandLine, std::string>
ParseScheduledCommandLine(std::span<const std::string> args)
{
    if (args.empty())
        return ScheduledCommandLine{};
    const std::string& verb = args.front();
    bool add = verb == "add";
    if (!add && verb != "due")
        return "unknown scheduled command '" + verb + "' (add or due)";
    std::variant<Arguments, std::string> split =
        add ? SplitArguments(args.subspan(1), AddFlags, AddValued)
            : SplitArguments(args.subspan(1), DueFlags, DueValued);
    if (const std::string* problem = std::get_if<std::string>(&split))
        return "scheduled " + verb + ": " + *problem;
    const Arguments& parsed = std::get<Arguments>(split);
    return add ? ParseAdd(parsed) : ParseDue(parsed);
}

int RunScheduledCommandLine(Database& db, const ScheduledCommandLine& command, std::ostream& out,
                            std::ostream& err)
{
    switch (command.action)
    {
    case ScheduledCommandLine::Action::List:
        for (const Schedule& schedule : ReadSchedules(db))
            PrintSchedule(out, schedule);
        return 0;
    case ScheduledCommandLine::Action::Add:
        return AddFromCommandLine(db, command, out, err);
    case ScheduledCommandLine::Action::Due:
        return DueFromCommandLine(db, command, out);
    }
    return 0;
}
