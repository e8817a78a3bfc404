#include "app/EventLinkHandler.h"

#include "app/CommandIds.h"
#include "app/Controller.h"
#include "app/MainCommands.h"
#include "app/OpenDocument.h"
#include "base/SiteAddress.h"
#include "dashboard/ChartParameters.h"
#include "dashboard/EventLink.h"
#include "dashboard/QvDashboard.h"
#include "dashboard/ReportPages.h"
#include "dashboard/TransactionsReport.h"
#include "data/Regional.h"
#include "data/ViewColumns.h"
#include "data/ViewKind.h"
#include "register/QvGrid.h"
#include "register/QvTreeView.h"
#include "register/ScheduleGridRows.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <optional>

namespace
{
struct EventEntry
{
    const char* name;
    void (EventLinkHandler::*run)(const EventLinkHandler::Arguments&);
};

using H = EventLinkHandler;
const std::array Events{
    EventEntry{"importTransactions", &H::ImportTransactions},
    EventEntry{"updateQuotes", &H::UpdateQuotes},
    EventEntry{"addAccount", &H::AddAccount},
    EventEntry{"gotoBudget", &H::GotoBudget},
    EventEntry{"gotoBankWS", &H::GotoBankWebSite},
    EventEntry{"gotoQuorvelWS", &H::GotoQuorvelWebSite},
    EventEntry{"gotoForum", &H::GotoForum},
    EventEntry{"gotoTutorial", &H::GotoTutorial},
    EventEntry{"checkForUpdates", &H::CheckForUpdates},
    EventEntry{"donate", &H::Donate},
    EventEntry{"selectAccount", &H::SelectAccount},
    EventEntry{"selectSchedule", &H::SelectSchedule},
    EventEntry{"Preview", &H::Preview},
    EventEntry{"Report_Transactions_Parameters", &H::ReportParameters},
    EventEntry{"PreviewChart", &H::PreviewChart},
    EventEntry{"Report_Chart_Parameters", &H::ChartParameters},
};
} // namespace

void EventLinkHandler::Run(const EventLink& link)
{
    auto at = std::find_if(Events.begin(), Events.end(),
                           [&link](const EventEntry& entry) { return link.name == entry.name; });
    if (at != Events.end())
        (this->*(at->run))(link.arguments);
}

void EventLinkHandler::ImportTransactions(const Arguments&)
{
    m_commands.Import();
}

void EventLinkHandler::UpdateQuotes(const Arguments&)
{
    m_commands.UpdateQuotes();
}

void EventLinkHandler::AddAccount(const Arguments& arguments)
{
    if (arguments.empty())
        return;
    const std::string& type = arguments.front();
    QvTreeView& tree = *m_window.Tree();
    wxTreeItemId node = tree.FindNode(type, KindAccountList);
    if (!node.IsOk())
        node = tree.InsertSorted(tree.GetRootItem(), type, new NodeData(type, KindAccountList));
    m_window.SelectNode(node);
    // A new account row, once the list of that type is shown.
    m_window.CallAfter([this] { m_window.Dispatch(Command::NewRecord); });
}

void EventLinkHandler::GotoBudget(const Arguments&)
{
    m_window.SelectNode(m_window.Tree()->FindNode("", KindBudget));
}

void EventLinkHandler::GotoBankWebSite(const Arguments&)
{
    m_commands.BankWebSite();
}

void EventLinkHandler::GotoQuorvelWebSite(const Arguments&)
{
    m_commands.QuorvelOnTheWeb();
}

void EventLinkHandler::GotoForum(const Arguments&)
{
    OpenDocument(MakerSiteUrl() + "/forum");
}

void EventLinkHandler::GotoTutorial(const Arguments&)
{
    m_commands.OnlineTutorial();
}

void EventLinkHandler::CheckForUpdates(const Arguments&)
{
    m_commands.CheckForUpdates();
}

void EventLinkHandler::Donate(const Arguments&)
{
    m_commands.Donate();
}

void EventLinkHandler::SelectAccount(const Arguments& arguments)
{
    if (arguments.size() < 2)
        return;
    wxTreeItemId node = m_window.Tree()->FindNode(arguments[1], KindOfAccountType(arguments[0]));
    if (!node.IsOk())
        return;
    m_window.SelectNode(node);
    m_window.Grid()->GetGridWindow()->SetFocus();
}

void EventLinkHandler::SelectSchedule(const Arguments& arguments)
{
    if (arguments.empty())
        return;
    m_window.SelectNode(m_window.Tree()->FindNode("", KindScheduled));
    QvGrid& grid = *m_window.Grid();
    for (int row = 1; row < grid.GetNumberRows(); ++row)
        if (std::to_string(ScheduleGridRows::ScheduleIdOfRow(grid, row)) == arguments[0])
        {
            grid.GoToCell(row, ScheduleColumn::Description);
            break;
        }
    grid.GetGridWindow()->SetFocus();
}

void EventLinkHandler::Preview(const Arguments& arguments)
{
    m_window.Dashboard()->Navigate(
        WriteReportPage(BuildTransactionsReport(m_window.Data(), arguments)));
}

void EventLinkHandler::PreviewChart(const Arguments& arguments)
{
    std::optional<ChartRequest> request = ReadChartRequest(arguments);
    if (!request)
    {
        m_window.ShowMessage("Type the dates in the short date format, such as " +
                                 FormatShortDate(DateTime{2026, 12, 31, 0, 0, 0}) + ".",
                             UserInterface::Icon::Exclamation);
        return;
    }
    DateTime today = ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
    m_window.Dashboard()->Navigate(
        WriteReportPage(BuildChartReport(m_window.Data(), *request, today)));
}

void EventLinkHandler::ChartParameters(const Arguments& arguments)
{
    std::optional<ChartRequest> request = ReadChartRequest(arguments);
    if (!request)
        return;
    // The chart kinds follow each other in the tree's kinds as in ReportKind.
    int kind = KindSpendingReport + static_cast<int>(request->kind) -
               static_cast<int>(ReportKind::Spending);
    wxTreeItemId node = m_window.Tree()->FindNode(ChartReportTitle(request->kind), kind);
    if (m_window.Tree()->GetSelection() == node)
        m_window.GetView().Refresh();
    else if (node.IsOk())
        m_window.SelectNode(node);
}

void EventLinkHandler::ReportParameters(const Arguments&)
{
    wxTreeItemId node = m_window.Tree()->FindNode("Transactions", KindTransactionsReport);
    if (m_window.Tree()->GetSelection() == node)
        m_window.GetView().Refresh();
    else
        m_window.SelectNode(node);
}
