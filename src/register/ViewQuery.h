#pragma once

#include <string>
#include <vector>

/// What a grid view's query depends on: the View's kind, budget period and account.
struct ViewQueryContext
{
    int kind = -1;
    int year = 0;
    int month = 0;
    std::string accountType; ///< account type in context (account list)
    std::string accountId;   ///< CurrentAccountID (register, investments, loans)
};

/// "SELECT fields FROM table [WHERE condition] ORDER BY order" for a grid kind (1 to 5);
/// "" for any other kind.
std::string BuildViewQuery(const ViewQueryContext& context);

/// A query text cut at its first WHERE and first ORDER BY (ignoring case), parts trimmed.
struct QueryParts
{
    std::string base;
    std::string condition;
    std::string order;
};

QueryParts SplitQuery(const std::string& sql);
/// base + " WHERE " + condition + " ORDER BY " + order + ";", leaving out empty parts.
std::string JoinQuery(const QueryParts& parts);

/// "[Name]" or "[Name] DESC" per sort column, joined by ", ".
std::string BuildOrderText(const std::vector<std::string>& names,
                           const std::vector<bool>& ascending);
/// The register grid's rewrite of a sort order: with a group column the groups stay together
/// ("[CategoryGroup]" leads, or ", [Category]" follows the group itself); without one the
/// Notes heading sorts by the stored PayeeName.
std::string RewriteSortOrder(const std::string& order, bool grouped, bool groupAscending);

/// Settings key of a grid kind's column-width list ("Budget", "Account", "Trans",
/// "Investment", "Loan"); "" for other kinds.
std::string ColumnWidthKey(int kind);
/// The default width fractions of a kind's leading columns; empty for non-grid kinds.
std::vector<double> DefaultColumnWidths(int kind);
/// The share of the grid that the default widths of the leading columns take at most.
inline constexpr double MaxLeadingShare = 0.9;
/// The default widths for a font whose characters are `scale` times as wide as the narrow
/// font the defaults were made for; never narrower than the defaults, and together at most
/// MaxLeadingShare of the grid.
std::vector<double> ScaledDefaultColumnWidths(int kind, double scale);
/// The stored list when it has exactly the kind's count, else the scaled defaults.
std::vector<double> CheckedColumnWidths(int kind, const std::vector<double>& stored,
                                        double scale = 1.0);
