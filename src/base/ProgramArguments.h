#pragma once

#include <string>
#include <vector>

/// What the desktop program was asked on its command line.
struct ProgramArguments
{
    std::string statementFile; ///< a statement file to import once the window shows; "" for none
    bool help = false;         ///< print the usage and end
    std::string error;         ///< why the command line is refused; "" when it is not
};

/// The desktop program's usage text.
inline constexpr const char* ProgramUsage = "Usage: tallybrook [STATEMENT-FILE]\n"
                                            "Opens Quorvel Tallybrook and imports the statement "
                                            "file (OFX, QFX, OFC or QIF) when one is given.";

/// Reads the arguments that follow the program's name: at most one statement file, "-h" or
/// "--help", and "--" before a file whose name begins with "-". Any other option is refused.
ProgramArguments ParseProgramArguments(const std::vector<std::string>& arguments);
