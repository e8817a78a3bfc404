#pragma once

/// Identifiers of the menu, accelerator and tool-bar commands.
namespace Command
{
constexpr int Import = 32783;
constexpr int Options = 32784;
constexpr int Exit = 32785;
constexpr int NewRecord = 32792;
constexpr int DeleteRecord = 32793;
constexpr int CopyPreviousBudget = 32794;
constexpr int MovePreviousMonth = 32795;
constexpr int MoveNextMonth = 32796;
constexpr int SplitTransaction = 32797;
constexpr int HelpTopics = 32798;
constexpr int About = 32799;
constexpr int Export = 32801;
constexpr int ToolDelete = 32803;
constexpr int ToolNew = 32804;
constexpr int BankWebSite = 32805;
constexpr int Back = 32806;
constexpr int Forward = 32807;
constexpr int Print = 32808;
constexpr int QuorvelOnTheWeb = 32809;
constexpr int OnlineTutorial = 32810;
constexpr int UpdateQuotes = 32811;
constexpr int ClockTimer = 32812;
constexpr int CheckForUpdates = 32813;
constexpr int CategoryRules = 32814;
constexpr int Donate = 32815;
constexpr int Find = 32816;
constexpr int EnterNow = 32817;

} // namespace Command

/// Control identifiers of the main window.
namespace ControlId
{
constexpr int Grid = 1000;
constexpr int MonthSelector = 1001;
constexpr int AccountTree = 1002;
constexpr int YearSpinner = 1003;
constexpr int SecondTotal = 1006;
constexpr int TotalsLabel = 1007;
constexpr int YearField = 1010;
constexpr int FirstTotal = 1018;
constexpr int Browser = 1032;
} // namespace ControlId
