#pragma once

// Column indexes of the grid views: the fields of each view's query in order, then the
// computed columns the grid adds.

namespace BudgetColumn
{
constexpr int Category = 0;
constexpr int Budgeted = 1; ///< the Amount field
constexpr int Sequence = 2;
constexpr int Year = 3;
constexpr int Period = 4;
constexpr int Group = 5;      ///< CategoryGroup; rows are grouped by it
constexpr int Actual = 6;     ///< computed
constexpr int Difference = 7; ///< computed
} // namespace BudgetColumn

namespace AccountColumn
{
constexpr int Description = 0;
constexpr int AccountId = 1;
constexpr int OpeningBalance = 2;
constexpr int CurrentBalance = 3; ///< OpeningBalance + CurrentBalance, read-only
constexpr int Sequence = 4;
constexpr int Type = 5;
} // namespace AccountColumn

namespace RegisterColumn
{
constexpr int PostDate = 0;
constexpr int Description = 1;
constexpr int Amount = 2;
constexpr int CheckId = 3;
constexpr int Category = 4;
constexpr int Notes = 5; ///< PayeeName AS Notes
constexpr int AccountId = 6;
constexpr int Year = 7;
constexpr int Period = 8;
constexpr int Fitid = 9;
constexpr int Sequence = 10;
constexpr int SubSequence = 11;
} // namespace RegisterColumn

namespace InvestmentColumn
{
constexpr int Symbol = 0;
constexpr int Name = 1;
constexpr int PurchaseDate = 2;
constexpr int PurchasePrice = 3;
constexpr int Quantity = 4;
constexpr int LastPrice = 5;
constexpr int Total = 6;
constexpr int AccountId = 7;
constexpr int Sequence = 8;
} // namespace InvestmentColumn

namespace LoanColumn
{
constexpr int Description = 0;
constexpr int OriginalAmount = 1;
constexpr int PaidAmount = 2;
constexpr int InterestRate = 3;
constexpr int AccountId = 4;
constexpr int Sequence = 5;
constexpr int Balance = 6; ///< computed
} // namespace LoanColumn

namespace ScheduleColumn
{
constexpr int NextDate = 0;
constexpr int AccountId = 1;
constexpr int Description = 2;
constexpr int Amount = 3;
constexpr int Category = 4;
constexpr int Repeats = 5; ///< the rule in words
constexpr int Entry = 6;   ///< "Automatic" or "Ask"
constexpr int ScheduleId = 7;
} // namespace ScheduleColumn
