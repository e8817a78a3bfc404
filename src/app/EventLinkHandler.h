#pragma once

#include <string>
#include <vector>

class Controller;
class MainCommands;
struct EventLink;

/// Carries out the events of the links in the pages of the browser pane: most are commands
/// of the main window, the rest select tree nodes or show report pages.
class EventLinkHandler
{
public:
    EventLinkHandler(Controller& window, MainCommands& commands)
        : m_window(window), m_commands(commands)
    {
    }

    /// The first event of the table whose name equals the link's, case and all; an unknown
    /// name does nothing.
    void Run(const EventLink& link);

    using Arguments = std::vector<std::string>;
    void ImportTransactions(const Arguments&);
    void UpdateQuotes(const Arguments&);
    /// Selects the account type's node (made when missing), then starts a new account row.
    void AddAccount(const Arguments& arguments);
    void GotoBudget(const Arguments&);
    void GotoBankWebSite(const Arguments&);
    void GotoQuorvelWebSite(const Arguments&);
    void GotoForum(const Arguments&);
    void GotoTutorial(const Arguments&);
    void CheckForUpdates(const Arguments&);
    void Donate(const Arguments&);
    /// Selects the account of a type and Sequence and gives the grid the keyboard focus.
    void SelectAccount(const Arguments& arguments);
    /// Shows the Scheduled view with the cursor on the schedule of an ID.
    void SelectSchedule(const Arguments& arguments);
    /// Builds and shows the Transactions report from the form's fields.
    void Preview(const Arguments& arguments);
    /// Shows the report's parameters page again.
    void ReportParameters(const Arguments&);
    /// Builds and shows a chart report from its parameters page's fields; dates that cannot
    /// be read are said in a message.
    void PreviewChart(const Arguments& arguments);
    /// Selects a chart report's node ("Report=NAME"), which shows its parameters page.
    void ChartParameters(const Arguments& arguments);

private:
    Controller& m_window;
    MainCommands& m_commands;
};
