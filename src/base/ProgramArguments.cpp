#include "base/ProgramArguments.h"

ProgramArguments ParseProgramArguments(const std::vector<std::string>& arguments)
{
    ProgramArguments parsed;
    bool optionsEnded = false;
    for (const std::string& argument : arguments)
    {
        if (!optionsEnded && argument == "--")
        {
            optionsEnded = true;
            continue;
        }
        // A lone "-" is a file name like any other.
        if (!optionsEnded && argument.size() > 1 && argument[0] == '-')
        {
            if (argument == "-h" || argument == "--help")
            {
                parsed.help = true;
                continue;
            }
            parsed.error = "unknown option '" + argument + "'";
            return parsed;
        }
        if (!parsed.statementFile.empty())
        {
            parsed.error = "only one statement file can be imported at a time";
            return parsed;
        }
        if (argument.empty())
        {
            parsed.error = "the statement file's name is empty";
            return parsed;
        }
        parsed.statementFile = argument;
    }
    return parsed;
}
