#include "app/FindCommands.h"

#include "app/Controller.h"
#include "base/AppText.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/ViewColumns.h"
#include "data/ViewKind.h"
#include "register/QvGrid.h"
#include "register/QvTreeView.h"
#include "search/FoundRowsQuery.h"
#include "search/FoundRowsView.h"
#include "search/TransactionSearch.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <variant>

namespace
{
/// The tree's node of an account, found by its number.
wxTreeItemId AccountNode(Database& db, QvTreeView& tree, const std::string& accountId)
{
    Recordset account;
    account.Open("SELECT Sequence, Type FROM Account WHERE AccountID = " + SqlLiteral(accountId),
                 db, OpenMode::ReadOnly);
    if (account.IsEOF())
        return {};
    return tree.FindNode(std::to_string(account.GetLong("Sequence")),
                         KindOfAccountType(account.GetText("Type")));
}

/// The grid row of a register that shows a transaction; -1 when none does.
int RegisterRowOf(const QvGrid& grid, const FoundRowPlace& place)
{
    auto number = [&grid](int row, int col)
    {
        Variant value = grid.CellValue(row, col);
        return value.IsNull() ? 0 : value.ToLong();
    };
    for (int row = 0; row < grid.GetNumberRows(); ++row)
        if (!grid.CellValue(row, RegisterColumn::Sequence).IsNull() &&
            number(row, RegisterColumn::Sequence) == place.sequence &&
            number(row, RegisterColumn::SubSequence) == place.subSequence)
            return row;
    return -1;
}

std::string ListedHint(const SearchResult& result)
{
    if (result.rows.size() >= result.count)
        return "";
    return "The newest " + std::to_string(result.rows.size()) + " of " +
           std::to_string(result.count) + " are listed; narrow the search to list the others.";
}
} // namespace

void FindCommands::Create(wxWindow* parent)
{
    FindField::Handlers handlers;
    handlers.search = [this](const std::string& text, bool entered) { OnSearch(text, entered); };
    handlers.down = [this] { return FocusResults(); };
    m_field = std::make_unique<FindField>(parent, std::move(handlers));
    m_history.Load();
    m_field->SetSearches(m_history.Searches());
}

void FindCommands::Start()
{
    m_field->Focus();
    if (!m_last.empty() && m_window.GetView().Kind() != KindFind)
        EnterResultsView();
}

void FindCommands::OnSearch(const std::string& text, bool entered)
{
    std::variant<SearchQuery, std::string> parsed = ParseSearchQuery(text);
    if (const std::string* hint = std::get_if<std::string>(&parsed))
    {
        m_field->SetHint(*hint);
        return;
    }
    m_field->SetHint("");
    if (std::get<SearchQuery>(parsed).IsEmpty())
        return;
    // The results replace the grid's rows: a row being typed is written first, or stays
    // with its reason shown.
    if (!m_window.Grid()->WriteRow())
        return;
    m_last = text;
    if (entered)
        RememberSearch();
    if (m_window.GetView().Kind() == KindFind)
        ShowResults();
    else
        EnterResultsView();
}

void FindCommands::EnterResultsView()
{
    View& view = m_window.GetView();
    {
        // No node is selected while the results show: a click on any node leaves them.
        View::TreeGuard guard(view);
        m_window.Tree()->UnselectAll();
    }
    m_window.SetTitle(wxString("Find - ") + MessageCaption);
    view.SetView(KindFind);
}

void FindCommands::ShowResults()
{
    std::variant<SearchQuery, std::string> parsed = ParseSearchQuery(m_last);
    if (!std::holds_alternative<SearchQuery>(parsed))
        return;
    SearchResult result =
        FindTransactions(m_window.Data(), std::get<SearchQuery>(parsed), ListedRows);
    if (ShowFoundRows(*m_window.Grid(), m_window.Data(), result, *m_window.TotalsLabel(),
                      *m_window.FirstTotal()))
        m_field->SetHint(ListedHint(result));
    m_window.GetView().UpdateCommands();
}

bool FindCommands::FocusResults()
{
    QvGrid& grid = *m_window.Grid();
    if (m_window.GetView().Kind() != KindFind || grid.GetNumberRows() == 0)
        return false;
    grid.GetGridWindow()->SetFocus();
    grid.GoToCell(0, FoundColumn::Description);
    return true;
}

bool FindCommands::GoToRow(int row)
{
    std::optional<FoundRowPlace> place = FoundRowAt(*m_window.Grid(), row);
    if (!place)
        return false;
    wxTreeItemId node = AccountNode(m_window.Data(), *m_window.Tree(), place->accountId);
    if (!node.IsOk())
    {
        m_window.ShowMessage("The account " + place->accountId +
                                 " of this transaction is not "
                                 "in the account list.",
                             UserInterface::Icon::Information);
        return true;
    }
    RememberSearch();
    View& view = m_window.GetView();
    view.SetHoldRefresh(true);
    if (place->period >= 1 && place->period <= 12)
        view.SetPeriod(place->period);
    view.SetYear(place->year);
    view.SetHoldRefresh(false);
    m_window.SelectNode(node);
    QvGrid& grid = *m_window.Grid();
    int found = view.Kind() == KindRegister ? RegisterRowOf(grid, *place) : -1;
    if (found >= 0)
    {
        grid.GetGridWindow()->SetFocus();
        grid.GoToCell(found, RegisterColumn::Description);
    }
    return true;
}

void FindCommands::RememberSearch()
{
    m_history.Remember(m_last);
    m_field->SetSearches(m_history.Searches());
}
