#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <variant>

class Database;

/// What `tallybrook-cli export` was asked to do.
struct ExportCommandLine
{
    std::string account; ///< an AccountID, or else an account's Description
    std::string file;
};

/// Reads "ACCOUNT FILE"; on a mistake, the text that names it.
std::variant<ExportCommandLine, std::string>
ParseExportCommandLine(std::span<const std::string> args);

/// The AccountID the command line means: the account with that id, or else the one account
/// with that description (compared as the database compares text). On failure, nullopt
/// and the reason in `problem`.
std::optional<std::string> FindExportAccount(Database& db, const std::string& account,
                                             std::string& problem);

/// Writes the account's transactions as the Export command does (CSV for a name ending in
/// ".csv", else OFX). Returns 0 without output; 1, with the message on err, for an unknown
/// or ambiguous account or a file that cannot be written.
int RunExportCommandLine(Database& db, const ExportCommandLine& command, std::ostream& err);
