#pragma once

#include <iosfwd>
#include <string>
#include <vector>

/// Runs tallybrook-cli with its arguments (without the program name), writing results to
/// `out` and messages to `err`. Returns the exit code: 0 success, 1 failure, 2 wrong
/// command line.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
