#pragma once

#include <string>

class Controller;

/// The work of the main window's commands. The command table names these handlers; the event
/// links of the browser pane reach the same ones.
class MainCommands
{
public:
    explicit MainCommands(Controller& window) : m_window(window) {}

    /// The file dialog, the import, then the category rules.
    void Import();
    /// Imports one statement file as Import does once a file was chosen; "" imports nothing
    /// and only runs the category rules.
    void ImportStatement(const std::string& path);
    /// The save dialog, then the current account's transactions as OFX, or as CSV for a
    /// name ending in ".csv".
    void Export();
    /// The statement file named on the command line, once the window shows: imported as
    /// ImportStatement does, or a message when there is no such file.
    void ImportStatementArgument(const std::string& path);
    void Print();
    /// Closes the window as its close box does.
    void Exit();
    void NewRecord();
    /// Deletes the grid's current row, only while the keyboard focus is in the grid.
    void DeleteRecord();
    void CopyPreviousBudget();
    /// Fetches the holdings' prices and revalues them; the holdings list or the home page
    /// shows the new figures.
    void UpdateQuotes();
    void MovePreviousMonth();
    void MoveNextMonth();
    /// The Split Transaction dialog on the register's current row; on OK the pending row is
    /// written, the row split and the grid re-read one row further down.
    void SplitTransaction();
    /// The focus to the Find field; the last results shown again.
    void Find();
    /// Enters the next occurrence of the Scheduled view's current schedule at once, on its
    /// own date.
    void EnterNow();
    /// The Options dialog, then the View re-read.
    void Options();
    /// The Category Rules dialog, then the View re-read.
    void CategoryRules();
    void HelpTopics();
    void QuorvelOnTheWeb();
    void OnlineTutorial();
    void CheckForUpdates();
    void Donate();
    void About();
    void BankWebSite();
    /// The budget period one month back or forward.
    void Back();
    void Forward();

private:
    void StepMonth(int direction);
    void MoveTransaction(int direction);
    void PrintGrid();

    Controller& m_window;
};
