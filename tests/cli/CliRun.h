#pragma once

#include "cli/Cli.h"

#include <sstream>
#include <string>
#include <vector>

/// A run of the command line with its exit code and both output streams.
struct CliRun
{
    int code;
    std::string out;
    std::string err;
};

inline CliRun Cli(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}
