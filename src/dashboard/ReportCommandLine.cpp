#include "dashboard/ReportCommandLine.h"

#include "data/DateTime.h"
#include "data/Regional.h"

#include <cctype>
#include <optional>

namespace
{
/// A date written exactly YYYY-MM-DD.
std::optional<DateTime> ReadIsoDate(const std::string& text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return std::nullopt;
    DateTime date{std::stoi(text.substr(0, 4)),
                  std::stoi(text.substr(5, 2)),
                  std::stoi(text.substr(8, 2)),
                  0,
                  0,
                  0};
    if (!date.IsValid())
        return std::nullopt;
    return date;
}
} // namespace

std::variant<ReportCommandLine, std::string>
ParseReportCommandLine(std::span<const std::string> args)
{
    // The form's three fields, in the order it sends them; an omitted one stays empty.
    std::optional<std::string> values[3];
    static const char* const options[3] = {"--from", "--to", "--categories"};
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        std::size_t which = 0;
        while (which < 3 && args[i] != options[which])
            ++which;
        if (which == 3)
            return "unknown report argument '" + args[i] + "'";
        if (values[which])
            return std::string(options[which]) + " is given twice";
        if (i + 1 == args.size())
            return std::string(options[which]) + (which == 2 ? " needs a TEXT" : " needs a date");
        const std::string& value = args[++i];
        if (which == 2)
        {
            values[which] = value;
            continue;
        }
        std::optional<DateTime> date = ReadIsoDate(value);
        if (!date)
            return std::string(options[which]) + " needs a date as YYYY-MM-DD, got '" + value + "'";
        values[which] = FormatShortDate(*date);
    }
    ReportCommandLine command;
    command.arguments = {"StartDate=" + values[0].value_or(""), "EndDate=" + values[1].value_or(""),
                         "categories=" + values[2].value_or("")};
    return command;
}
