#include "app/MainCommands.h"

#include "app/Controller.h"
#include "app/OpenDocument.h"
#include "app/frmAbout.h"
#include "app/frmOptions.h"
#include "base/Settings.h"
#include "base/SiteAddress.h"
#include "base/Version.h"
#include "budget/BudgetPeriods.h"
#include "dashboard/QvDashboard.h"
#include "data/Database.h"
#include "data/Regional.h"
#include "data/ViewColumns.h"
#include "exchange/ExportStatement.h"
#include "exchange/ImportDriver.h"
#include "exchange/frmCsvMapping.h"
#include "exchange/frmExport.h"
#include "exchange/frmSelectAccount.h"
#include "grid/GridPrintout.h"
#include "gui/FileDialogPath.h"
#include "quotes/QuoteService.h"
#include "quotes/QuoteUpdate.h"
#include "register/QvGrid.h"
#include "register/ScheduleGridRows.h"
#include "register/SplitTransaction.h"
#include "register/frmSplit.h"
#include "rules/CategoryDialog.h"
#include "schedule/ScheduleStore.h"
#include "transfer/frmTransfersFound.h"
#include "update/CAutoUpdater.h"

#include <wx/filedlg.h>
#include <wx/print.h>
#include <wx/printdlg.h>
#include <wx/utils.h>

#include <ctime>

#include <filesystem>
#include <system_error>

void MainCommands::Import()
{
    wxFileDialog dialog(
        &m_window, "Import", "", "",
        "All Financial Files|*.ofx;*.qfx;*.ofc;*.qif;*.csv;*.xml;*.sta;*.mt940;*.940|All "
        "Files|*.*",
        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    // A cancelled dialog gives the empty path: nothing is imported, the rules still run.
    std::string path;
    if (dialog.ShowModal() == wxID_OK)
        path = ChosenPath(dialog);
    ImportStatement(path);
}

void MainCommands::ImportStatement(const std::string& path)
{
    View& view = m_window.GetView();
    DialogAccountChooser chooser(&m_window);
    DialogCsvMappingChooser csvChooser(&m_window);
    ImportContext context(m_window.Data(), m_window, chooser);
    context.csvChooser = &csvChooser;
    context.budgetYear = view.Year();
    context.budgetPeriod = view.Month();
    context.rebuildTree = [&view] { view.RebuildTree(); };
    context.refreshView = [&view] { view.Refresh(); };
    context.answerTransfers = [this](const std::vector<TransferPair>& pairs)
    { return AnswerTransfers(&m_window, m_window.Data(), pairs); };
    context.acceptOpeningBalance = [this](const BalanceCheck& check)
    { return m_window.AskYesNo(OpeningBalanceQuestion(m_window.Data(), check)); };
    ImportFileResult result = ImportStatementFile(context, path);
    if (!result.accountResolved)
        return;
    m_window.SetStatusHint(ImportSummary(result));
    // A first statement that disagrees was asked about already.
    std::string disagreements;
    for (const BalanceCheck& check : result.balances)
        if (!check.Agrees() && !check.firstImport)
            disagreements += (disagreements.empty() ? "" : "\n") + BalanceCheckMessage(check);
    if (!disagreements.empty())
        m_window.ShowMessage(disagreements, UserInterface::Icon::Exclamation);
}

void MainCommands::Export()
{
    std::string path = ChooseExportPath(&m_window, m_window);
    if (path.empty())
        return;
    wxBusyCursor wait;
    ExportResult result = ExportStatement(m_window.Data(), m_window.GetView().CurrentAccountID(),
                                          path, static_cast<std::int64_t>(std::time(nullptr)));
    if (!result.Ok())
        m_window.ShowMessage(result.error, UserInterface::Icon::Stop);
}

void MainCommands::ImportStatementArgument(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
    {
        m_window.ShowMessage("Cannot import \"" + path + "\": there is no such file.",
                             UserInterface::Icon::Stop);
        return;
    }
    ImportStatement(path);
}

void MainCommands::Print()
{
    if (ShowsGrid(m_window.GetView().Kind()))
        PrintGrid();
    else if (m_window.Dashboard())
        m_window.Dashboard()->Print();
}

void MainCommands::PrintGrid()
{
    QvGrid& grid = *m_window.Grid();
    grid.EndCellEdit();
    wxPrintDialogData data;
    data.EnablePageNumbers(false);
    data.EnableSelection(false);
    data.SetAllPages(true);
    wxPrinter printer(&data);
    GridPrintout printout(&grid);
    printer.Print(&m_window, &printout, true);
}

void MainCommands::Exit()
{
    // The same closing steps as the close box: a row being typed is never lost.
    m_window.Close();
}

void MainCommands::NewRecord()
{
    m_window.Grid()->StartNewRecord();
}

void MainCommands::DeleteRecord()
{
    QvGrid& grid = *m_window.Grid();
    if (grid.HasFocusInside())
        grid.DeleteCurrentRow();
}

void MainCommands::CopyPreviousBudget()
{
    View& view = m_window.GetView();
    ::CopyPreviousBudget(m_window.Data(), view.Year(), view.Month());
    view.SetHoldRefresh(false);
    view.Refresh();
}

void MainCommands::UpdateQuotes()
{
    View& view = m_window.GetView();
    QvGrid& grid = *m_window.Grid();
    std::unique_ptr<QuoteService> service = QuoteServiceFromSettings();
    ::UpdateQuotes(m_window.Data(), m_window, *service,
                   [this, &view, &grid]
                   {
                       if (view.Kind() == KindInvestment && grid.Requery(0))
                           view.ShowTotals();
                       else if (view.Kind() == KindHome)
                           m_window.ShowPage(KindHome);
                   });
}

void MainCommands::Find()
{
    m_window.Find().Start();
}

void MainCommands::EnterNow()
{
    QvGrid& grid = *m_window.Grid();
    if (m_window.GetView().Kind() != KindScheduled)
        return;
    std::optional<Schedule> schedule =
        ReadSchedule(m_window.Data(), ScheduleGridRows::ScheduleIdOfRow(grid, grid.CurrentRow()));
    if (!schedule)
        return;
    std::optional<DateTime> next = NextDate(*schedule);
    if (!next)
    {
        m_window.ShowMessage("This schedule has ended: no occurrence is left to enter.",
                             UserInterface::Icon::Exclamation);
        return;
    }
    DueOccurrence due{schedule->id,      schedule->nextIndex, *next,
                      schedule->amount,  schedule->accountId, schedule->description,
                      schedule->askFirst};
    if (!EnterOccurrence(m_window.Data(), due))
        m_window.ShowMessage("The occurrence was entered or skipped meanwhile.",
                             UserInterface::Icon::Exclamation);
    else
        m_window.SetStatusHint("Entered " + schedule->description + " of " +
                               FormatShortDate(*next) + " in " + schedule->accountId + ".");
    if (grid.Requery(0))
        m_window.GetView().ShowTotals();
}

void MainCommands::MovePreviousMonth()
{
    MoveTransaction(-1);
}

void MainCommands::MoveNextMonth()
{
    MoveTransaction(1);
}

void MainCommands::MoveTransaction(int direction)
{
    QvGrid& grid = *m_window.Grid();
    View& view = m_window.GetView();
    if (view.Kind() != KindRegister)
        return;
    int row = grid.CurrentRow();
    if (row <= 0)
        return;
    Variant sequence = grid.CellValue(row, RegisterColumn::Sequence);
    Variant subSequence = grid.CellValue(row, RegisterColumn::SubSequence);
    MoveTransactionPeriod(m_window.Data(), sequence.IsNull() ? 0 : sequence.ToLong(),
                          subSequence.IsNull() ? 0 : subSequence.ToLong(), direction,
                          grid.CellTextValue(row, RegisterColumn::Category));
    if (grid.Requery(0))
        view.ShowTotals();
}

void MainCommands::SplitTransaction()
{
    QvGrid& grid = *m_window.Grid();
    if (m_window.GetView().Kind() != KindRegister)
        return;
    // What is being typed counts; the keyboard focus goes back to the grid, not to the
    // editor that closes, once the dialog is gone.
    grid.EndCellEdit();
    grid.GetGridWindow()->SetFocus();
    int row = grid.CurrentRow();
    if (row <= 0)
        return;
    // The part is known by its numbers before the write: a row whose date changes moves.
    Variant sequence = grid.CellValue(row, RegisterColumn::Sequence);
    Variant subSequence = grid.CellValue(row, RegisterColumn::SubSequence);
    frmSplit dialog(&m_window, grid.CellValue(row, RegisterColumn::Amount),
                    grid.CellTextValue(row, RegisterColumn::Description));
    if (dialog.ShowModal() != wxID_OK || !grid.Commit())
        return;
    if (sequence.IsNull()) // a row the write has just numbered
    {
        sequence = grid.CellValue(grid.CurrentRow(), RegisterColumn::Sequence);
        subSequence = grid.CellValue(grid.CurrentRow(), RegisterColumn::SubSequence);
    }
    if (sequence.IsNull())
        return;
    if (!::SplitTransaction(m_window.Data(), sequence.ToLong(),
                            subSequence.IsNull() ? 0 : subSequence.ToLong(), dialog.FirstAmount(),
                            dialog.SecondAmount()))
    {
        // Deleted meanwhile (by another program, or the command line): nothing was split.
        m_window.ShowMessage("This transaction no longer exists, so it was not split.",
                             UserInterface::Icon::Exclamation);
        if (grid.Requery(0))
            m_window.GetView().ShowTotals();
        return;
    }
    if (grid.Requery(1))
        m_window.GetView().ShowTotals();
}

void MainCommands::Options()
{
    {
        frmOptions dialog(&m_window, m_window.Data());
        dialog.ShowModal();
    }
    m_window.GetView().Refresh();
}

void MainCommands::CategoryRules()
{
    {
        CategoryDialog dialog(&m_window, m_window.Data(), m_window);
        dialog.ShowModal();
    }
    m_window.GetView().Refresh();
}

void MainCommands::HelpTopics()
{
    OpenDocument(MakerSiteUrl() + "/tallybrook/help");
}

void MainCommands::QuorvelOnTheWeb()
{
    OpenDocument(MakerSiteUrl());
}

void MainCommands::OnlineTutorial()
{
    OpenDocument(MakerSiteUrl() + "/tallybrook/tutorial");
}

void MainCommands::CheckForUpdates()
{
    OpenDocument(UpdatePageUrl(MakerSiteUrl(), GetVersionString("FileVersion")));
}

void MainCommands::Donate()
{
    OpenDocument(MakerSiteUrl() + "/donate.html");
}

void MainCommands::About()
{
    frmAbout about(&m_window, m_window.LargeIcon());
    about.ShowModal();
}

void MainCommands::BankWebSite()
{
    std::string url = GetSetting("BankUrl", "Settings");
    if (!url.empty())
        OpenDocument(url);
    else
        m_window.ShowMessage(
            "You have not yet set your bank's URL, please do so from Tools|Options...",
            UserInterface::Icon::Exclamation);
}

void MainCommands::Back()
{
    StepMonth(-1);
}

void MainCommands::Forward()
{
    StepMonth(1);
}

void MainCommands::StepMonth(int direction)
{
    View& view = m_window.GetView();
    int month = view.Month() + direction;
    int year = view.Year();
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
    view.SetHoldRefresh(true);
    view.SetPeriod(month);
    view.SetYear(year);
    view.SetHoldRefresh(false);
    view.Refresh();
}
