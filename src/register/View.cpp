#include "register/View.h"

#include "base/Settings.h"
#include "data/Balances.h"
#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Regional.h"
#include "data/Today.h"
#include "data/ViewColumns.h"
#include "gui/WxText.h"
#include "register/QvGrid.h"
#include "register/QvTreeView.h"
#include "register/ViewQuery.h"
#include "schedule/ScheduleRule.h"
#include "schedule/ScheduleStore.h"
#include "schedule/UpcomingOccurrences.h"
#include "transfer/TransferLink.h"

#include <wx/choice.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{
wxString TotalText(const Variant& value)
{
    // A sum over no rows is shown as an empty field.
    if (value.IsNull())
        return wxString();
    return ToWx(FormatCurrency(value.ToCurrency()));
}
} // namespace

View::View(ViewHost& host, const ViewControls& controls, double fontScale)
    : m_host(host), m_controls(controls), m_fontScale(fontScale)
{
    LoadColumnWidths();
}

// ---- kind and budget period ------------------------------------------------------------

void View::SetView(int kind)
{
    StoreColumnWidths();
    m_kind = kind;
    m_selectedItem = m_controls.tree->GetSelection();
    ShowGridSide(ShowsGrid(kind));
    Refresh();
}

void View::ShowGridSide(bool grid)
{
    m_controls.browser->Show(!grid);
    m_controls.grid->Show(grid);
    m_controls.grid->Enable(grid);
    m_controls.totalsLabel->Show(grid);
    m_controls.firstTotal->Show(grid);
    if (!grid)
        m_controls.secondTotal->Hide();
}

void View::SetPeriod(int month)
{
    StoreColumnWidths();
    m_month = month;
    m_controls.month->SetSelection(month - 1);
    Refresh();
}

void View::SetYear(int year)
{
    StoreColumnWidths();
    m_year = year;
    // A year the spinner cannot hold (the field half typed) leaves it alone: clamped, it
    // would report a year of its own.
    if (year >= m_controls.yearSpinner->GetMin() && year <= m_controls.yearSpinner->GetMax())
        m_controls.yearSpinner->SetValue(year);
    // The field is rewritten only when it shows another year: rewriting it while the user
    // types would move the caret and scramble the digits.
    long shown = 0;
    if (!m_controls.year->GetValue().ToLong(&shown))
        shown = 0;
    if (shown != year)
        m_controls.year->ChangeValue(wxString::Format("%d", year));
    Refresh();
}

// ---- refreshing ----------------------------------------------------------------------

void View::Refresh()
{
    if (m_holdRefresh)
        return;
    if (!IsGridKind(m_kind))
    {
        if (m_kind >= KindHome)
            m_host.ShowPage(m_kind);
        UpdateCommands();
        return;
    }
    QvGrid& grid = *m_controls.grid;
    grid.PaintingOff();
    RecomputeContext();
    ViewQueryContext context;
    context.kind = m_kind;
    context.year = m_year;
    context.month = m_month;
    context.accountType = m_accountType;
    context.accountId = CurrentAccountID();
    std::string sql = BuildViewQuery(context);
    auto recordset = std::make_unique<Recordset>();
    recordset->Open(sql, *m_db, OpenMode::KeysetLock);
    if (!grid.BindRecordset(std::move(recordset), sql))
    {
        grid.PaintingOn(); // the row being typed could not be written: it stays shown
        return;
    }
    ShowTotals();
    SetUpColumns();
    UpdateCommands();
    grid.AdjustScrollbars();
    ApplyColumnWidths();
    grid.PaintingOn();
}

void View::SetUpColumns()
{
    QvGrid& grid = *m_controls.grid;
    auto headings = [&grid](std::initializer_list<std::pair<int, const char*>> list)
    {
        for (const auto& [col, text] : list)
            grid.SetHeading(col, text);
    };
    auto hide = [&grid](std::initializer_list<int> cols)
    {
        for (int col : cols)
            grid.SetColumnHidden(col);
    };
    auto addComputed = [&grid](const char* heading)
    {
        int col = grid.AddComputedColumn();
        grid.SetHeading(col, heading);
        grid.SetColumnCurrency(col);
        grid.SetColumnReadOnly(col);
        return col;
    };
    bool second = false;
    wxString label;
    switch (m_kind)
    {
    case KindBudget:
        headings({{BudgetColumn::Category, "Category"},
                  {BudgetColumn::Budgeted, "Budgeted"},
                  {BudgetColumn::Group, "Group"}});
        // Shown in front of the group, which takes the width that is left.
        grid.MoveColumn(addComputed("Actual"), BudgetColumn::Group);
        grid.MoveColumn(addComputed("Difference"), BudgetColumn::Group);
        hide({BudgetColumn::Sequence, BudgetColumn::Year, BudgetColumn::Period});
        grid.GroupBy(BudgetColumn::Group, {BudgetColumn::Actual, BudgetColumn::Budgeted});
        grid.EnableHints(true);
        label = "Month to date:";
        second = true;
        break;
    case KindAccountList:
        headings({{AccountColumn::Description, "Description"},
                  {AccountColumn::AccountId, "Account #"},
                  {AccountColumn::OpeningBalance, "Opening Balance"},
                  {AccountColumn::CurrentBalance, "Current Balance"}});
        grid.SetColumnReadOnly(AccountColumn::CurrentBalance);
        hide({AccountColumn::Sequence, AccountColumn::Type});
        label = "Totals:";
        second = true;
        break;
    case KindRegister:
        headings({{RegisterColumn::PostDate, "Date"},
                  {RegisterColumn::Description, "Description"},
                  {RegisterColumn::Amount, "Amount"},
                  {RegisterColumn::CheckId, "Check #"},
                  {RegisterColumn::Category, "Category"}});
        SetUpCategoryList(RegisterColumn::Category);
        hide({RegisterColumn::AccountId, RegisterColumn::Year, RegisterColumn::Period,
              RegisterColumn::Fitid, RegisterColumn::Sequence, RegisterColumn::SubSequence});
        label = "Balance:";
        break;
    case KindInvestment:
        headings({{InvestmentColumn::Symbol, "Symbol"},
                  {InvestmentColumn::Name, "Name"},
                  {InvestmentColumn::PurchaseDate, "Purchase Date"},
                  {InvestmentColumn::PurchasePrice, "Purchase Price"},
                  {InvestmentColumn::Quantity, "Quantity"},
                  {InvestmentColumn::LastPrice, "Last Price"},
                  {InvestmentColumn::Total, "Total"}});
        grid.SetColumnReadOnly(InvestmentColumn::Total);
        hide({InvestmentColumn::AccountId, InvestmentColumn::Sequence});
        label = "Total Investment:";
        break;
    case KindLoan:
        headings({{LoanColumn::Description, "Description"},
                  {LoanColumn::OriginalAmount, "Original Amount"},
                  {LoanColumn::PaidAmount, "Paid Amount"},
                  {LoanColumn::InterestRate, "Interest %"}});
        addComputed("Balance");
        hide({LoanColumn::AccountId, LoanColumn::Sequence});
        label = "Total Loans:";
        break;
    case KindScheduled:
        SetUpScheduleColumns();
        label = "Next 14 days:";
        break;
    default:
        break;
    }
    m_controls.totalsLabel->SetLabel(label);
    m_controls.secondTotal->Show(second);
}

void View::SetUpScheduleColumns()
{
    QvGrid& grid = *m_controls.grid;
    const std::pair<int, const char*> headings[] = {{ScheduleColumn::NextDate, "Next date"},
                                                    {ScheduleColumn::AccountId, "Account"},
                                                    {ScheduleColumn::Description, "Description"},
                                                    {ScheduleColumn::Amount, "Amount"},
                                                    {ScheduleColumn::Category, "Category"},
                                                    {ScheduleColumn::Repeats, "Repeats"},
                                                    {ScheduleColumn::Entry, "Entry"}};
    for (const auto& [col, text] : headings)
        grid.SetHeading(col, text);
    grid.SetColumnHidden(ScheduleColumn::ScheduleId);
    grid.SetDropList(ScheduleColumn::AccountId);
    Recordset accounts;
    accounts.Open("SELECT AccountID, Type FROM Account ORDER BY AccountID", *m_db,
                  OpenMode::ReadOnly);
    for (; !accounts.IsEOF(); accounts.MoveNext())
        if (KindOfAccountType(accounts.GetText("Type")) == KindRegister)
            grid.AddDropListItem(ScheduleColumn::AccountId, ToWx(accounts.GetText("AccountID")),
                                 false);
    SetUpCategoryList(ScheduleColumn::Category);
    grid.SetDropList(ScheduleColumn::Repeats);
    for (const std::string& words : RepeatChoices())
        grid.AddDropListItem(ScheduleColumn::Repeats, ToWx(words), false);
    grid.SetDropList(ScheduleColumn::Entry);
    grid.AddDropListItem(ScheduleColumn::Entry, EntryAutomatic, false);
    grid.AddDropListItem(ScheduleColumn::Entry, EntryAsk, false);
}

void View::SetUpCategoryList(int column)
{
    QvGrid& grid = *m_controls.grid;
    grid.SetDropList(column);
    Recordset categories;
    categories.Open("SELECT Category FROM Budget WHERE Budget.Year = " + std::to_string(m_year) +
                        " AND Period = " + std::to_string(m_month),
                    *m_db, OpenMode::ReadOnly);
    for (; !categories.IsEOF(); categories.MoveNext())
    {
        // A transfer's line names an account: the accounts below offer it, unless it is
        // this register's own.
        std::string category = categories.GetText("Category");
        if (!AccountOfTransfer(*m_db, category))
            grid.AddDropListItem(column, ToWx(category), true);
    }
    // After the categories, every other account with a register, as a transfer to it.
    Recordset accounts;
    accounts.Open("SELECT Description, Type FROM Account WHERE AccountID <> '" +
                      SqlEscape(CurrentAccountID()) + "' ORDER BY Description",
                  *m_db, OpenMode::ReadOnly);
    for (; !accounts.IsEOF(); accounts.MoveNext())
        if (KindOfAccountType(accounts.GetText("Type")) == KindRegister &&
            !accounts.GetText("Description").empty())
            grid.AddDropListItem(column, ToWx(TransferCategory(accounts.GetText("Description"))),
                                 false);
}

void View::ShowTotals()
{
    if (!m_db)
        return;
    if (m_kind == KindScheduled)
    {
        // What the schedules will take or bring in the coming days.
        Currency coming;
        for (const UpcomingOccurrence& occurrence : UpcomingOccurrences(*m_db, Today()))
            coming += occurrence.amount;
        m_controls.firstTotal->ChangeValue(ToWx(FormatCurrency(coming)));
        return;
    }
    TotalsContext context;
    context.kind = m_kind;
    context.year = m_year;
    context.month = m_month;
    context.accountType = m_accountType;
    if (m_kind >= KindAccountList && m_kind <= KindLoan)
    {
        context.accountId = CurrentAccountID();
        if (m_kind == KindRegister)
            context.currentSequence = CurrentSequence();
    }
    Variant first;
    Variant second;
    ComputeTotals(*m_db, context, first, second);
    m_controls.firstTotal->ChangeValue(TotalText(first));
    m_controls.secondTotal->ChangeValue(TotalText(second));
}

// ---- context and commands ------------------------------------------------------------

void View::RecomputeContext()
{
    QvTreeView& tree = *m_controls.tree;
    switch (m_kind)
    {
    case KindAccountList:
        if (m_selectedItem.IsOk())
            m_accountType = tree.Text(m_selectedItem);
        m_accountInContext = m_controls.grid->CurrentRow() != 0;
        break;
    case KindRegister:
        if (m_selectedItem.IsOk())
            m_accountType = tree.Text(tree.GetItemParent(m_selectedItem));
        m_accountInContext = true;
        break;
    case KindInvestment:
        m_accountType = "Investment";
        m_accountInContext = true;
        break;
    case KindLoan:
        m_accountType = "Loan";
        m_accountInContext = true;
        break;
    default:
        m_accountInContext = false;
        break;
    }
}

void View::UpdateCommands()
{
    RecomputeContext();
    QvGrid& grid = *m_controls.grid;
    CommandContext context;
    context.kind = m_kind;
    context.gridFocused = ShowsGrid(m_kind) && grid.IsShown() && grid.HasFocusInside();
    context.row = grid.CurrentRow();
    context.editing = grid.IsEditing();
    context.accountInContext = m_accountInContext;
    context.accountType = m_accountType;
    const char* hint = !context.gridFocused ? "Select an item to work with."
                       : m_kind == KindFind
                           ? "Press Enter or double click to go to the transaction in its account."
                           : "Double click or press F2 to edit cell content.";
    m_host.SetStatusHint(hint);
    m_host.ApplyCommandStates(context);
}

std::string View::CurrentAccountID() const
{
    if (m_kind == KindAccountList)
    {
        QvGrid& grid = *m_controls.grid;
        return grid.IsBound() ? grid.CellTextValue(grid.CurrentRow(), AccountColumn::AccountId)
                              : std::string();
    }
    if (m_kind >= KindRegister && m_kind <= KindLoan)
        if (const NodeData* data = m_controls.tree->Data(m_selectedItem))
            return data->accountId;
    return "";
}

int View::CurrentSequence() const
{
    if (m_kind == KindAccountList)
    {
        QvGrid& grid = *m_controls.grid;
        Variant value = grid.CellValue(grid.CurrentRow(), AccountColumn::Sequence);
        return value.IsNull() ? 0 : value.ToLong();
    }
    if (const NodeData* data = m_controls.tree->Data(m_selectedItem))
        return data->sequence;
    return 0;
}

RecordContext View::MakeRecordContext() const
{
    RecordContext context;
    context.kind = m_kind;
    context.year = m_year;
    context.month = m_month;
    context.accountType = m_accountType;
    context.currentAccountId = CurrentAccountID();
    return context;
}

// ---- tree ----------------------------------------------------------------------------

void View::BuildTree()
{
    TreeGuard guard(*this);
    QvTreeView& tree = *m_controls.tree;
    tree.Freeze();
    tree.DeleteAllItems();
    wxTreeItemId home = tree.AddNode(wxTreeItemId(), "Home", new NodeData("", KindHome));
    tree.AddNode(home, "Budget", new NodeData("", KindBudget));
    tree.AddNode(home, "Scheduled", new NodeData("", KindScheduled));
    Recordset accounts;
    accounts.Open("SELECT * FROM Account ORDER BY Type, Description", *m_db, OpenMode::ReadOnly);
    wxTreeItemId typeNode;
    std::string previousType;
    for (bool first = true; !accounts.IsEOF(); accounts.MoveNext(), first = false)
    {
        std::string type = accounts.GetText("Type");
        if (first || type != previousType)
            typeNode = tree.AddNode(home, type, new NodeData(type, KindAccountList));
        previousType = type;
        Variant sequence = accounts.GetValue("Sequence");
        int number = sequence.IsNull() ? 0 : sequence.ToLong();
        tree.AddNode(typeNode, accounts.GetText("Description"),
                     new NodeData(std::to_string(number), KindOfAccountType(type),
                                  accounts.GetText("AccountID"), number));
    }
    wxTreeItemId reports = tree.AddNode(home, "Reports", new NodeData("", KindReports));
    tree.AddNode(reports, "Transactions", new NodeData("Transactions", KindTransactionsReport));
    const std::pair<const char*, int> charts[] = {{"Spending by Category", KindSpendingReport},
                                                  {"Income and Expenses", KindCashflowReport},
                                                  {"Net Worth", KindNetWorthReport},
                                                  {"Budget for the Year", KindBudgetYearReport}};
    for (const auto& [title, kind] : charts)
        tree.AddNode(reports, title, new NodeData(title, kind));
    tree.ExpandAll();
    tree.Thaw();
}

void View::RebuildTree()
{
    TreeGuard guard(*this);
    QvTreeView& tree = *m_controls.tree;
    std::string name;
    int kind = KindNone;
    if (const NodeData* data = tree.Data(tree.GetSelection()))
    {
        name = data->name;
        kind = data->kind;
    }
    BuildTree();
    wxTreeItemId found = tree.FindNode(name, kind);
    if (found.IsOk())
    {
        tree.SelectItem(found);
        m_selectedItem = found;
    }
}

// ---- column widths -------------------------------------------------------------------

const std::vector<double>& View::ColumnWidths(int kind) const
{
    static const std::vector<double> none;
    if (kind < 0 || kind >= static_cast<int>(m_widths.size()))
        return none;
    return m_widths[static_cast<std::size_t>(kind)];
}

void View::StoreColumnWidths()
{
    if (!IsGridKind(m_kind) || !m_controls.grid->IsBound())
        return;
    QvGrid& grid = *m_controls.grid;
    std::vector<double>& list = m_widths[static_cast<std::size_t>(m_kind)];
    for (std::size_t i = 0; i < list.size() && static_cast<int>(i) < grid.LogicalColumnCount(); ++i)
        list[i] = grid.WidthFraction(static_cast<int>(i));
}

void View::ApplyColumnWidths()
{
    if (!IsGridKind(m_kind) || !m_controls.grid->IsBound())
        return;
    QvGrid& grid = *m_controls.grid;
    const std::vector<double>& list = m_widths[static_cast<std::size_t>(m_kind)];
    for (std::size_t i = 0; i < list.size(); ++i)
        grid.SetWidthFraction(static_cast<int>(i), list[i]);
    grid.StretchLastColumn();
    // The totals stand under the money they add up.
    int firstUnder = m_kind == KindBudget        ? BudgetColumn::Budgeted
                     : m_kind == KindAccountList ? AccountColumn::OpeningBalance
                     : m_kind == KindRegister    ? RegisterColumn::Amount
                     : m_kind == KindInvestment  ? InvestmentColumn::Total
                     : m_kind == KindScheduled   ? ScheduleColumn::Amount
                                                 : LoanColumn::Balance;
    grid.PlaceUnderColumn(m_controls.firstTotal, firstUnder);
    if (m_kind == KindBudget)
        grid.PlaceUnderColumn(m_controls.secondTotal, BudgetColumn::Actual);
    else if (m_kind == KindAccountList)
        grid.PlaceUnderColumn(m_controls.secondTotal, AccountColumn::CurrentBalance);
}

void View::LoadColumnWidths()
{
    for (int kind : GridKinds)
        m_widths[static_cast<std::size_t>(kind)] =
            CheckedColumnWidths(kind, GetColumnWidths(ColumnWidthKey(kind)), m_fontScale);
}

void View::SaveColumnWidths()
{
    StoreColumnWidths();
    for (int kind : GridKinds)
        WriteColumnWidths(ColumnWidthKey(kind), m_widths[static_cast<std::size_t>(kind)]);
}
