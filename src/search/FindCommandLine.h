#pragma once

#include <iosfwd>
#include <span>
#include <string>

class Database;

/// `tallybrook-cli find QUERY`: every transaction the query matches, newest first, one line
/// each, "DATE ACCOUNTID SEQUENCE DESCRIPTION AMOUNT CHECK CATEGORY NOTES" separated by tabs
/// (dates YYYY-MM-DD, amounts with a point, tabs and line breaks in texts made blanks). The
/// query is the arguments joined with blanks. Returns 0, also when nothing is found; 2 with
/// the hint on err for a query that cannot be read.
int RunFindCommandLine(Database& db, std::span<const std::string> args, std::ostream& out,
                       std::ostream& err);
