// The main window's commands and its answers to the register grid's messages.
#include "app/Controller.h"

#include "app/AppText.h"
#include "app/CommandIds.h"
#include "app/OpenDocument.h"
#include "app/Settings.h"
#include "app/SiteAddress.h"
#include "app/Version.h"
#include "app/frmAbout.h"
#include "budget/BudgetPeriods.h"
#include "data/Balances.h"
#include "data/Database.h"
#include "exchange/ImportDriver.h"
#include "exchange/frmSelectAccount.h"
#include "grid/GridPrintout.h"
#include "register/GridRowCells.h"
#include "register/QvGrid.h"
#include "register/QvTreeView.h"

#include <wx/filedlg.h>
#include <wx/print.h>
#include <wx/printdlg.h>
#include <wx/webview.h>

void Controller::RunCommand(int id)
{
    std::string site = MakerSiteUrl();
    switch (id)
    {
    case Command::Import:
        ImportTransactions();
        break;
    case Command::Print:
        PrintView();
        break;
    case Command::Exit:
        // Ends the program without the closing steps: no row check, placement or widths.
        if (IsModal())
            EndModal(wxID_CANCEL);
        else
            Hide();
        break;
    case Command::NewRecord:
        m_grid->StartNewRecord();
        break;
    case Command::DeleteRecord:
    case Command::ToolDelete:
        if (m_grid->HasFocusInside())
            m_grid->DeleteCurrentRow();
        break;
    case Command::CopyPreviousBudget:
        CopyPreviousBudget(*db, m_view->Year(), m_view->Month());
        m_view->SetHoldRefresh(false);
        m_view->Refresh();
        break;
    case Command::MovePreviousMonth:
        MoveTransaction(-1);
        break;
    case Command::MoveNextMonth:
        MoveTransaction(1);
        break;
    case Command::HelpTopics:
        OpenDocument(site + "/tallybrook/help");
        break;
    case Command::QuorvelOnTheWeb:
        OpenDocument(site);
        break;
    case Command::OnlineTutorial:
        OpenDocument(site + "/tallybrook/tutorial");
        break;
    case Command::CheckForUpdates:
        OpenDocument(site +
                     "/tallybrook/checkforupdates.html?version=" + GetVersionString("FileVersion"));
        break;
    case Command::Donate:
        OpenDocument(site + "/donate.html");
        break;
    case Command::About:
    {
        frmAbout about(this, m_largeIcon);
        about.ShowModal();
        break;
    }
    case Command::ToolNew:
        if (m_grid->Commit())
            RunCommand(Command::NewRecord);
        break;
    case Command::BankWebSite:
    {
        if (!m_grid->Commit())
            break;
        std::string url = GetSetting("BankUrl", "Settings");
        if (!url.empty())
            OpenDocument(url);
        else
            ShowMessage("You have not yet set your bank's URL, please do so from Tools|Options...",
                        Icon::Exclamation);
        break;
    }
    case Command::Back:
        StepMonth(-1);
        break;
    case Command::Forward:
        StepMonth(1);
        break;
    default:
        break;
    }
}

void Controller::StepMonth(int direction)
{
    if (!m_grid->Commit())
        return;
    int month = m_view->Month() + direction;
    int year = m_view->Year();
    if (month < 1)
    {
        month = 12;
        --year;
    }
    else if (month > 12)
    {
        month = 1;
        ++year;
    }
    m_view->SetHoldRefresh(true);
    m_view->SetPeriod(month);
    m_view->SetYear(year);
    m_view->SetHoldRefresh(false);
    m_view->Refresh();
}

void Controller::ImportTransactions()
{
    // The import re-reads the grid: a row being typed is written first, or kept.
    if (!m_grid->Commit())
        return;
    wxFileDialog dialog(this, "Import", "", "",
                        "All Financial Files|*.ofx;*.qfx;*.ofc;*.qif|All Files|*.*",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    // A cancelled dialog gives the empty path: nothing is imported, the rules still run.
    std::string path;
    if (dialog.ShowModal() == wxID_OK)
        path = dialog.GetPath().utf8_string();
    ImportStatement(path);
}

void Controller::ImportStatement(const std::string& path)
{
    DialogAccountChooser chooser(this);
    ImportContext context(*db, *this, chooser);
    context.budgetYear = m_view->Year();
    context.budgetPeriod = m_view->Month();
    context.rebuildTree = [this] { m_view->RebuildTree(); };
    context.refreshView = [this] { m_view->Refresh(); };
    ImportStatementFile(context, path);
}

void Controller::MoveTransaction(int direction)
{
    if (m_view->Kind() != KindRegister || !m_grid->Commit())
        return;
    int row = m_grid->CurrentRow();
    if (row <= 0)
        return;
    Variant sequence = m_grid->CellValue(row, 10);
    Variant subSequence = m_grid->CellValue(row, 11);
    MoveTransactionPeriod(*db, sequence.IsNull() ? 0 : sequence.ToLong(),
                          subSequence.IsNull() ? 0 : subSequence.ToLong(), direction,
                          m_grid->CellTextValue(row, 4));
    m_grid->DataSource().Requery();
    m_grid->Reload(0);
    m_view->ShowTotals();
}

void Controller::PrintView()
{
    if (!IsGridKind(m_view->Kind()))
    {
        if (auto* web = dynamic_cast<wxWebView*>(m_browser))
            web->Print();
        return;
    }
    m_grid->EndCellEdit();
    wxPrintDialogData data;
    data.EnablePageNumbers(false);
    data.EnableSelection(false);
    data.SetAllPages(true);
    wxPrinter printer(&data);
    GridPrintout printout(m_grid);
    printer.Print(this, &printout, true);
}

// ---- grid messages -------------------------------------------------------------------

bool Controller::ValidatePendingRow(bool showMessage)
{
    int row = m_grid->CurrentRow();
    GridRowCells cells(*m_grid, row);
    int column = 0;
    std::string message;
    if (ValidateRow(*db, m_view->MakeRecordContext(), cells, column, message))
        return true;
    if (showMessage)
    {
        ShowMessage(message, Icon::Stop);
        m_grid->GoToCell(row, column);
    }
    return false;
}

void Controller::DeleteNotedTreeNode()
{
    if (!m_pendingTreeItem.IsOk())
        return;
    wxTreeItemId item = m_pendingTreeItem;
    m_pendingTreeItem = wxTreeItemId();
    wxTreeItemId parent = m_tree->GetItemParent(item);
    if (parent.IsOk() && m_tree->GetChildrenCount(parent, false) == 1 &&
        parent != m_tree->GetRootItem())
        item = parent;
    // The account list goes on showing its type after the type's node has gone.
    for (wxTreeItemId shown = m_view->SelectedItem(); shown.IsOk();
         shown = m_tree->GetItemParent(shown))
        if (shown == item)
        {
            m_view->SetSelectedItem(wxTreeItemId());
            break;
        }
    m_treeGuard = true;
    m_tree->Delete(item);
    m_treeGuard = false;
}

long Controller::OnGridMessage(unsigned message, void* parameter)
{
    switch (message)
    {
    case GridMessage::RowDeleted:
        UpdateCurrentBalance(*db, m_view->Kind(), m_view->CurrentAccountID());
        m_view->ShowTotals();
        DeleteNotedTreeNode();
        break;
    case GridMessage::ConfirmDelete:
    {
        auto* cancel = static_cast<bool*>(parameter);
        bool yes = AskYesNo("Are you sure you want to delete this record?");
        int row = m_grid->GetGridCursorRow();
        GridRowCells cells(*m_grid, row);
        if (yes)
            DeleteRecord(*db, m_view->MakeRecordContext(), m_grid->HasFocusInside(), cells);
        *cancel = !yes;
        m_pendingTreeItem = wxTreeItemId();
        if (yes && m_view->Kind() == KindAccountList)
            m_pendingTreeItem =
                m_tree->FindNode(cells.CellText(4), KindOfAccountType(cells.CellText(5)));
        break;
    }
    case GridMessage::EditStarted:
    case GridMessage::FocusLost:
    case GridMessage::FocusGained:
        m_view->UpdateCommands();
        break;
    case GridMessage::CellEdited:
        m_view->UpdateCommands();
        if (m_view->Kind() == KindInvestment)
        {
            int row = m_grid->CurrentRow();
            Currency total = m_grid->CellValue(row, 4).ToCurrency().MultipliedBy(
                m_grid->CellValue(row, 5).ToCurrency());
            m_grid->SetCellVariant(row, 6, Variant::FromCurrency(total));
        }
        break;
    case GridMessage::RowsWritten:
        UpdateCurrentBalance(*db, m_view->Kind(), m_view->CurrentAccountID());
        m_view->ShowTotals();
        if (m_view->Kind() == KindAccountList)
        {
            m_treeGuard = true;
            m_view->RebuildTree();
            m_treeGuard = false;
        }
        break;
    case GridMessage::ValidateRow:
    {
        auto* cancel = static_cast<bool*>(parameter);
        if (!ValidatePendingRow(true))
        {
            *cancel = true;
            break;
        }
        if (m_view->Kind() == KindRegister)
        {
            wxString category = wxString::FromUTF8(m_grid->CellTextValue(m_grid->CurrentRow(), 4));
            const auto& items = m_grid->DropListItems(4);
            if (!category.empty() && std::find(items.begin(), items.end(), category) == items.end())
                m_grid->AddDropListItem(4, category, true);
        }
        break;
    }
    case GridMessage::CellHint:
    {
        auto* request = static_cast<CellHintRequest*>(parameter);
        GridRowCells cells(*m_grid, request->row);
        request->text = BudgetCellHint(*db, m_view->Kind(), m_grid->CurrentRow(), m_view->Year(),
                                       m_view->Month(), cells);
        break;
    }
    case GridMessage::ComputedCell:
    {
        auto* request = static_cast<ComputedCellRequest*>(parameter);
        GridRowCells cells(*m_grid, request->row);
        m_figures.ComputeCell(*db, m_view->Kind(), m_view->Year(), m_view->Month(), cells,
                              request->column, request->value);
        break;
    }
    case GridMessage::GroupTotal:
    {
        auto* request = static_cast<GroupTotalRequest*>(parameter);
        request->value =
            BudgetGroupTotal(*db, m_view->Year(), m_view->Month(), request->group, request->column);
        break;
    }
    default:
        break;
    }
    return 0;
}
