#include "register/RegisterGridHost.h"

#include "base/UserInterface.h"
#include "data/Balances.h"
#include "data/Database.h"
#include "data/ViewColumns.h"
#include "gui/WxText.h"
#include "register/GridRowCells.h"
#include "register/QvGrid.h"
#include "register/QvTreeView.h"
#include "register/ScheduleGridRows.h"
#include "register/View.h"
#include "register/ViewQuery.h"
#include "transfer/TransferLink.h"

#include <algorithm>

namespace
{
TransKey KeyOfRow(const RowCells& cells)
{
    return TransKey{cells.CellValue(RegisterColumn::Sequence).ToLong(),
                    cells.CellValue(RegisterColumn::SubSequence).ToLong()};
}
} // namespace

void RegisterGridHost::Attach(View& view, Database& db, QvGrid& grid)
{
    m_view = &view;
    m_db = &db;
    m_grid = &grid;
}

bool RegisterGridHost::ValidatePendingRow(bool showMessage)
{
    if (!Attached())
        return true;
    int row = m_grid->CurrentRow();
    GridRowCells cells(*m_grid, row);
    int column = 0;
    std::string message;
    RecordContext context = m_view->MakeRecordContext();
    context.newRow = m_grid->DataSource().RecordOfRow(row) == CADOImpDatasource::NewRecord;
    if (::ValidateRow(*m_db, context, cells, column, message))
        return true;
    if (showMessage)
    {
        m_ui.ShowMessage(message, UserInterface::Icon::Stop);
        m_grid->GoToCell(row, column);
    }
    return false;
}

bool RegisterGridHost::CheckPendingRow()
{
    if (!Attached())
        return true;
    Transaction probe(*m_db); // never committed
    return ValidatePendingRow(false);
}

bool RegisterGridHost::ConfirmDelete(int row)
{
    if (!Attached())
        return false;
    GridRowCells cells(*m_grid, row);
    std::string question;
    if (m_view->Kind() == KindRegister)
        question = DeleteTransferQuestion(*m_db, KeyOfRow(cells), m_view->CurrentAccountID());
    if (question.empty())
        question = "Are you sure you want to delete this record?";
    bool yes = m_ui.AskYesNo(question);
    m_pendingTreeItem = wxTreeItemId();
    if (!yes)
        return false;
    DeleteRecord(*m_db, m_view->MakeRecordContext(), m_grid->HasFocusInside(), cells);
    if (m_view->Kind() == KindAccountList)
        m_pendingTreeItem = m_tree.FindNode(cells.CellText(AccountColumn::Sequence),
                                            KindOfAccountType(cells.CellText(AccountColumn::Type)));
    return true;
}

void RegisterGridHost::RowDeleted()
{
    if (!Attached())
        return;
    UpdateBalanceAndTotals();
    DeleteNotedTreeNode();
}

void RegisterGridHost::UpdateBalanceAndTotals()
{
    UpdateCurrentBalance(*m_db, m_view->Kind(), m_view->CurrentAccountID());
    m_view->ShowTotals();
}

void RegisterGridHost::DeleteNotedTreeNode()
{
    if (!m_pendingTreeItem.IsOk())
        return;
    wxTreeItemId item = m_pendingTreeItem;
    m_pendingTreeItem = wxTreeItemId();
    // The type's node goes with its only account.
    wxTreeItemId parent = m_tree.GetItemParent(item);
    if (parent.IsOk() && m_tree.GetChildrenCount(parent, false) == 1 &&
        parent != m_tree.GetRootItem())
        item = parent;
    // The account list goes on showing its type after the type's node has gone.
    for (wxTreeItemId shown = m_view->SelectedItem(); shown.IsOk();
         shown = m_tree.GetItemParent(shown))
        if (shown == item)
        {
            m_view->SetSelectedItem(wxTreeItemId());
            break;
        }
    View::TreeGuard guard(*m_view);
    m_tree.Delete(item);
}

void RegisterGridHost::CommandStateChanged()
{
    if (Attached())
        m_view->UpdateCommands();
}

void RegisterGridHost::CellEdited(int row)
{
    if (!Attached())
        return;
    m_view->UpdateCommands();
    if (m_view->Kind() != KindInvestment)
        return;
    // Total = Quantity x Last Price, written with the row; unknown while either is empty.
    Variant quantity = m_grid->CellValue(row, InvestmentColumn::Quantity);
    Variant price = m_grid->CellValue(row, InvestmentColumn::LastPrice);
    Variant total;
    if (!quantity.IsNull() && !price.IsNull())
        total = Variant::FromCurrency(quantity.ToCurrency().MultipliedBy(price.ToCurrency()));
    m_grid->SetCellVariant(row, InvestmentColumn::Total, total);
}

bool RegisterGridHost::ConfirmTransferEdit(int row)
{
    GridRowCells cells(*m_grid, row);
    bool newRow = m_grid->DataSource().RecordOfRow(row) == CADOImpDatasource::NewRecord;
    TransferEdit edit =
        CheckTransferEdit(*m_db, KeyOfRow(cells), newRow, m_view->CurrentAccountID(),
                          cells.CellText(RegisterColumn::Category));
    if (!edit.refusal.empty())
    {
        m_ui.ShowMessage(edit.refusal, UserInterface::Icon::Stop);
        m_grid->GoToCell(row, RegisterColumn::Category);
        return false;
    }
    if (!edit.question.empty() && !m_ui.AskYesNo(edit.question))
    {
        m_grid->GoToCell(row, RegisterColumn::Category);
        return false;
    }
    return true;
}

void RegisterGridHost::RowStored(int row)
{
    if (Attached() && m_view->Kind() == KindRegister)
        ReconcileTransfer(*m_db, KeyOfRow(GridRowCells(*m_grid, row)));
    if (Attached() && m_view->Kind() == KindScheduled)
        ScheduleGridRows::Store(*m_db, *m_grid, row);
}

void RegisterGridHost::RowDeleting(int row)
{
    if (Attached() && m_view->Kind() == KindRegister)
        DeleteOtherSide(*m_db, KeyOfRow(GridRowCells(*m_grid, row)));
}

bool RegisterGridHost::ValidateRow(int row)
{
    if (!ValidatePendingRow(true))
        return false;
    if (m_view && m_view->Kind() == KindScheduled)
        return ScheduleGridRows::Validate(*m_db, *m_grid, row, m_ui);
    if (m_view && m_view->Kind() == KindRegister)
    {
        if (!ConfirmTransferEdit(row))
            return false;
        // A new category joins the column's drop list.
        wxString category = ToWx(m_grid->CellTextValue(row, RegisterColumn::Category));
        const auto& items = m_grid->DropListItems(RegisterColumn::Category);
        if (!category.empty() && std::find(items.begin(), items.end(), category) == items.end())
            m_grid->AddDropListItem(RegisterColumn::Category, category, true);
    }
    return true;
}

void RegisterGridHost::RowsWritten()
{
    if (!Attached())
        return;
    UpdateBalanceAndTotals();
    if (m_view->Kind() == KindAccountList)
        m_view->RebuildTree();
    if (m_view->Kind() == KindScheduled && m_scheduleWritten)
        m_scheduleWritten();
}

std::string RegisterGridHost::CellHint(int row)
{
    if (!Attached())
        return {};
    GridRowCells cells(*m_grid, row);
    return BudgetCellHint(*m_db, m_view->Kind(), m_grid->CurrentRow(), m_view->Year(),
                          m_view->Month(), cells);
}

Variant RegisterGridHost::ComputedCell(int row, int column)
{
    Variant value;
    if (!Attached())
        return value;
    GridRowCells cells(*m_grid, row);
    m_figures.ComputeCell(*m_db, m_view->Kind(), m_view->Year(), m_view->Month(), cells, column,
                          value);
    return value;
}

Variant RegisterGridHost::GroupTotal(const std::string& group, int column)
{
    if (!Attached())
        return {};
    return BudgetGroupTotal(*m_db, m_view->Year(), m_view->Month(), group, column);
}

std::string RegisterGridHost::SortOrder(const std::string& order, bool grouped, bool groupAscending)
{
    return RewriteSortOrder(order, grouped, groupAscending);
}
