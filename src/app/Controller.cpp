#include "app/Controller.h"

#include "app/AppImages.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/CompactStyle.h"
#include "app/QvMenuStrip.h"
#include "app/QvStatusBar.h"
#include "app/QvToolBar.h"
#include "backup/StartupRestore.h"
#include "base/AppText.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Trace.h"
#include "budget/BudgetPeriods.h"
#include "dashboard/ChartParameters.h"
#include "dashboard/QvDashboard.h"
#include "dashboard/ReportPages.h"
#include "data/Database.h"
#include "data/DatabaseLocation.h"
#include "data/DateTime.h"
#include "gui/WxText.h"
#include "register/QvGrid.h"
#include "register/QvTreeView.h"
#include "search/FoundRowsView.h"
#include "update/UpdateSchedule.h"

#include <wx/choice.h>
#include <wx/display.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

Controller* frmController = nullptr;
View* cView = nullptr;
Database* db = nullptr;

namespace
{
/// The average character width of the narrow font the window's default sizes were made for.
constexpr double DesignCharWidth = 5.5;
// The window the layout's pixel positions were made for.
const wxSize DesignSize(800, 489);

const char* const MonthNames[] = {"January",   "February", "March",    "April",
                                  "May",       "June",     "July",     "August",
                                  "September", "October",  "November", "December"};
} // namespace

Controller::Controller()
    : Quorvel::MainFormBase(MessageCaption, wxPoint(0, 0), wxSize(800, 489),
                            wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMINIMIZE_BOX |
                                wxMAXIMIZE_BOX)
{
    Trace("[1] Controller::OnInitDialog");
    ApplyCompactStyle();
    // The layout's pixel sizes were made for a small dialog font; every control inherits it.
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(8);
    SetFont(font);
    // Wider characters get wider panes and default columns, so that figures show whole.
    m_fontScale = std::max(1.0, GetCharWidth() / DesignCharWidth);
    m_defaultSize = ScaledFrameSize();
    CreateControls();

    Trace("[2] Before setlocale");
    std::setlocale(LC_TIME, "");

    Trace("[3] Before SetIcon");
    m_largeIcon = AppImages::ProgramIcon(32);
    wxIconBundle icons;
    icons.AddIcon(m_largeIcon);
    icons.AddIcon(AppImages::ProgramIcon(16));
    SetIcons(icons);

    Trace("[4] Before imageList.Create");
    wxBitmap treeImages = AppImages::TreeStrip();
    int side = treeImages.GetHeight();
    m_imageList.Create(side, side, true, 2);
    m_imageList.Add(treeImages, wxColour(255, 0, 255));

    Trace("[5] Before TreeView.SetImageList");
    m_tree->SetImageList(&m_imageList);

    Trace("[6] Before GetMenu()");
    CommandTable::BuildMenus(*m_menu);

    Trace("[7] Before Toolbar.Create()");
    m_toolBar = new QvToolBar(m_body);
    CommandTable::BuildToolBar(*m_toolBar);

    Trace("[8] StatusBar.Create()");
    m_statusBar = new QvStatusBar(m_body);

    Trace("[9] StatusBar.SetPaneInfo()");
    m_statusBar->SetPaneInfo(m_fontScale);

    Trace("[10] Grid.Create()");
    m_gridHost = std::make_unique<RegisterGridHost>(*m_tree, *this);
    m_gridHost->SetRowActivation([this](int row)
                                 { return m_view->Kind() == KindFind && m_find.GoToRow(row); });
    m_gridHost->SetScheduleWritten([this] { m_due.RunSoon(); });
    m_grid = new QvGrid(m_body, ControlId::Grid, m_gridHost.get());
    m_grid->SetShading(true);
    m_grid->SetTabTarget(m_tree);
    m_grid->SetSize(m_browser->GetRect().x, 25, m_browser->GetRect().width, 376);
    m_grid->SetLabelFont(GetFont().Bold());
    for (wxWindow* window : {static_cast<wxWindow*>(m_tree), static_cast<wxWindow*>(m_statusBar),
                             static_cast<wxWindow*>(m_menu)})
        window->SetFont(GetFont());

    Trace("[11] //Set totals to bold");
    m_boldFont = m_firstTotal->GetFont();
    m_boldFont.SetWeight(wxFONTWEIGHT_BOLD);
    for (wxWindow* window :
         {static_cast<wxWindow*>(m_firstTotal), static_cast<wxWindow*>(m_secondTotal),
          static_cast<wxWindow*>(m_totalsLabel)})
        window->SetFont(m_boldFont);

    Trace("[12] UpDown.SetRange()");
    m_spinner->SetRange(1900, 3000);

    Trace("[13] frmController = this");
    frmController = this;

    Trace("[14] cView = new View()");
    ViewControls controls;
    controls.grid = m_grid;
    controls.browser = m_browser;
    controls.tree = m_tree;
    controls.month = m_month;
    controls.year = m_year;
    controls.yearSpinner = m_spinner;
    controls.totalsLabel = m_totalsLabel;
    controls.firstTotal = m_firstTotal;
    controls.secondTotal = m_secondTotal;
    m_view = std::make_unique<View>(*this, controls, ColumnScale());
    cView = m_view.get();

    Trace("[15] db = new Database()");
    // A damaged file is offered its newest good backup; the backup copy of a sound one is
    // taken after the start (step 25), unless a migration took it first.
    m_db = OpenOrRestoreProgramDatabase(*this, OpenOptions{BackupWhen::BeforeMigrating, true});
    if (!m_db->BackupProblem().empty())
        ShowMessage(m_db->BackupProblem(), Icon::Exclamation);
    db = m_db.get();
    m_view->SetDatabase(m_db.get());
    m_gridHost->Attach(*m_view, *m_db, *m_grid);
    CreateBrowser();

    Trace("[16] cView->SetHoldRefresh()");
    m_view->SetHoldRefresh(true);

    Trace("[17] SetPeriod/Year");
    DateTime today = ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
    m_view->SetPeriod(today.month);
    m_view->SetYear(today.year);

    Trace("[18] BuildTree()");
    m_view->BuildTree();
    {
        View::TreeGuard guard(*m_view);
        m_tree->SelectItem(m_tree->GetRootItem());
    }

    Trace("[19] cView.SetView()");
    m_view->SetView(KindHome);

    Trace("[20] cView.SetHoldRefresh()");
    m_view->SetHoldRefresh(false);
    m_view->Refresh();
    m_ready = true;
    BindEvents();

    Trace("[21] //Pixel-accurate fix-ups");
    m_tree->SetSize(0, 25, m_tree->GetSize().x, 390);
    m_grid->SetSize(m_browser->GetRect().x, 25, m_browser->GetRect().width, 376);
    m_grid->ForceRefresh();

    Trace("[22] //Resize the window");
    RestorePlacement();

    Trace("[23] Dashboard.Refresh()");
    m_dashboard->Refresh(*m_db, m_view->Year(), m_view->Month());

    Trace("[24] //Copy the last budget");
    if (!m_db->HasRows("Budget", "Year = " + std::to_string(m_view->Year()) +
                                     " and Period = " + std::to_string(m_view->Month())))
        CopyPreviousBudget(*m_db, m_view->Year(), m_view->Month());

    Trace("[25] //checkForUpdates()");
    m_updateCheck = std::make_unique<StartupUpdateCheck>([this] { OfferUpdate(); });
    m_updateCheck->Start();
    if (!m_db->BackupAttempted())
    {
        m_backup = std::make_unique<StartupBackup>(
            m_db->Path(), [this](const BackupOutcome& outcome) { ReportBackupProblem(outcome); });
        m_backup->Start();
    }

    Trace("[26] return TRUE");
}

Controller::~Controller()
{
    // A check still under way is stopped before anything it could report to goes.
    m_updateCheck.reset();
    m_backup.reset();
    m_tree->SetImageList(nullptr);
    // The closing steps wrote the row being typed or kept the window open; a row still
    // pending here is one the database refused when the close could not wait.
    m_grid->EndCellEdit();
    m_grid->DataSource().DiscardPending();
    static_cast<void>(m_grid->ClearBinding());
    // The controls go first: while they are destroyed they may still report to the grid's
    // host and the View.
    DestroyChildren();
    cView = nullptr;
    m_view.reset();
    frmController = nullptr;
    db = nullptr;
    m_db.reset();
    std::error_code ignored;
    std::filesystem::remove_all(GetTempDir(), ignored);
}

// ---- controls ------------------------------------------------------------------------

void Controller::CreateControls()
{
    // The tree takes the extra width that a wider font needs; the right-hand side the rest.
    int treeWidth = static_cast<int>(std::lround(169 * m_fontScale));
    int right = treeWidth + 4;
    int rightWidth = std::max(100, 619 - (treeWidth - 169));
    m_menu = new QvMenuStrip(this);
    m_body = new wxPanel(this, wxID_ANY);
    wxArrayString months;
    for (const char* name : MonthNames)
        months.Add(name);
    m_month =
        new wxChoice(m_body, ControlId::MonthSelector, wxPoint(200, 1), wxSize(110, 23), months);
    m_year = new wxTextCtrl(m_body, ControlId::YearField, "", wxPoint(316, 1), wxSize(52, 23));
    m_spinner = new wxSpinButton(m_body, ControlId::YearSpinner, wxPoint(368, 1), wxSize(-1, 23),
                                 wxSP_VERTICAL | wxSP_ARROW_KEYS);
    m_tree = new QvTreeView(m_body, ControlId::AccountTree);
    m_tree->SetSize(0, 25, treeWidth, 390);
    // The browser pane's place; the browser itself comes once the database is open.
    m_browser =
        new wxPanel(m_body, ControlId::Browser, wxPoint(right, 25), wxSize(rightWidth, 390));
    m_totalsLabel = new wxStaticText(m_body, ControlId::TotalsLabel, "Totals:", wxPoint(right, 401),
                                     wxSize(120, 14), wxST_NO_AUTORESIZE);
    long totalStyle = wxTE_READONLY | wxTE_RIGHT | wxBORDER_NONE;
    m_firstTotal = new wxTextCtrl(m_body, ControlId::FirstTotal, "", wxPoint(400, 401),
                                  wxSize(100, 14), totalStyle);
    m_secondTotal = new wxTextCtrl(m_body, ControlId::SecondTotal, "", wxPoint(520, 401),
                                   wxSize(100, 14), totalStyle);
    m_secondTotal->Hide();
    m_find.Create(m_body);
}

void Controller::CreateBrowser()
{
    // Made once the database is open: a start that fails leaves no browser processes behind
    // that would hold on to the program's output.
    m_dashboard =
        new QvDashboard(m_body, ControlId::Browser, m_browser->GetPosition(), m_browser->GetSize());
    m_dashboard->SetEventHandler([this](const EventLink& link) { m_events.Run(link); });
    m_browser->Destroy();
    m_browser = m_dashboard;
    m_view->SetBrowser(m_dashboard);
}

void Controller::BindEvents()
{
    // Enter and Escape do nothing here; only closing the window ends the program.
    SetEscapeId(wxID_NONE);
    SetAffirmativeId(wxID_NONE);
    Bind(wxEVT_CLOSE_WINDOW,
         [this](wxCloseEvent& event)
         {
             if (CloseWindow())
                 return;
             if (event.CanVeto())
                 event.Veto();
             else
                 EndDialog();
         });
    // Menu items and tool-bar buttons alike.
    Bind(wxEVT_MENU, &Controller::OnMenu, this);
    // Key chords reach the window first, whichever control holds the focus.
    Bind(wxEVT_CHAR_HOOK, &Controller::OnCharHook, this);
    Bind(wxEVT_SIZE,
         [this](wxSizeEvent& event)
         {
             event.Skip();
             wxSize client = GetClientSize();
             m_menu->SetSize(0, 0, client.x, QvMenuStrip::Height);
             m_body->SetSize(0, QvMenuStrip::Height, client.x,
                             std::max(0, client.y - QvMenuStrip::Height));
             TrackNormalRect();
         });
    Bind(wxEVT_MOVE,
         [this](wxMoveEvent& event)
         {
             event.Skip();
             TrackNormalRect();
         });
    m_body->Bind(wxEVT_SIZE,
                 [this](wxSizeEvent& event)
                 {
                     event.Skip();
                     wxSize client = m_body->GetClientSize();
                     LayoutClient(client.x, client.y);
                 });
    m_month->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnMonthChosen(); });
    m_year->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnYearTyped(); });
    m_spinner->Bind(wxEVT_SPIN_UP, &Controller::OnSpin, this);
    m_spinner->Bind(wxEVT_SPIN_DOWN, &Controller::OnSpin, this);
    m_spinner->Bind(wxEVT_SPIN,
                    [this](wxSpinEvent&)
                    {
                        if (m_ready)
                            m_view->SetYear(m_spinner->GetValue());
                    });
    m_tree->Bind(wxEVT_TREE_SEL_CHANGING, &Controller::OnTreeSelChanging, this);
    m_tree->Bind(wxEVT_TREE_SEL_CHANGED, &Controller::OnTreeSelChanged, this);
    m_tree->Bind(wxEVT_SET_FOCUS,
                 [this](wxFocusEvent& event)
                 {
                     event.Skip();
                     m_view->UpdateCommands();
                 });
}

// ---- commands ------------------------------------------------------------------------

void Controller::OnMenu(wxCommandEvent& event)
{
    int id = CommandTable::CommandOf(event.GetId());
    if (!CommandTable::Find(id))
    {
        event.Skip();
        return;
    }
    Dispatch(id);
}

void Controller::OnCharHook(wxKeyEvent& event)
{
    const CommandEntry* entry = nullptr;
    if (event.GetModifiers() == wxMOD_CONTROL)
        entry = CommandTable::FindChord(event.GetKeyCode());
    if (!entry)
    {
        event.Skip();
        return;
    }
    Dispatch(entry->id);
}

void Controller::Dispatch(int id)
{
    const CommandEntry* entry = CommandTable::Find(id);
    if (!entry || !entry->run || !IsCommandEnabled(id))
        return;
    if (entry->writesRowFirst && !m_grid->WriteRow())
        return;
    (m_commands.*(entry->run))();
}

bool Controller::IsCommandEnabled(int id) const
{
    auto state = m_enabled.find(id);
    if (state != m_enabled.end())
        return state->second;
    const CommandEntry* entry = CommandTable::Find(id);
    return entry && !entry->enabled;
}

void Controller::ApplyCommandStates(const CommandContext& context)
{
    for (const CommandEntry& entry : CommandTable::Entries())
    {
        bool enabled = !entry.enabled || entry.enabled(context);
        m_enabled[entry.id] = enabled;
        int toolkitId = CommandTable::ToolkitId(entry.id);
        if (entry.menu)
            m_menu->Enable(toolkitId, enabled);
        if (entry.toolPosition > 0)
            m_toolBar->EnableTool(toolkitId, enabled);
    }
}

// ---- layout and placement --------------------------------------------------------------

void Controller::LayoutClient(int w, int h)
{
    if (!m_ready || wxSize(w, h) == m_laidOut)
        return;
    m_laidOut = wxSize(w, h);
    m_toolBar->SetSize(0, 0, m_toolBar->GetBestSize().x, QvToolBar::Height);
    m_find.Place(w);
    m_statusBar->SetSize(0, h - QvStatusBar::Height, w, QvStatusBar::Height);
    wxRect tree = m_tree->GetRect();
    m_tree->SetSize(tree.x, tree.y, tree.width, std::max(0, h - 20 - tree.y));
    wxRect browser = m_browser->GetRect();
    m_browser->SetSize(browser.x, browser.y, std::max(0, w - browser.x),
                       std::max(0, h - 20 - browser.y));
    if (m_grid->HasFocusInside())
    {
        m_grid->EndCellEdit();
        m_grid->GetGridWindow()->SetFocus();
    }
    wxRect grid = m_grid->GetRect();
    m_grid->SetSize(grid.x, grid.y, std::max(0, w - grid.x), std::max(0, h - 34 - grid.y));
    m_grid->AdjustScrollbars();
    for (wxWindow* window :
         {static_cast<wxWindow*>(m_totalsLabel), static_cast<wxWindow*>(m_firstTotal),
          static_cast<wxWindow*>(m_secondTotal)})
    {
        wxRect rect = window->GetRect();
        window->SetSize(rect.x, h - 34, rect.width, 14);
    }
    if (m_view->Kind() == KindFind)
        ApplyFoundColumnWidths(*m_grid, *m_firstTotal);
    else
        m_view->ApplyColumnWidths();
}

wxSize Controller::ScaledFrameSize() const
{
    wxSize size(static_cast<int>(std::lround(DesignSize.x * m_fontScale)),
                static_cast<int>(std::lround(DesignSize.y * m_fontScale)));
    wxRect screen = wxDisplay(this).GetClientArea();
    return wxSize(std::max(DesignSize.x, std::min(size.x, screen.width)),
                  std::max(DesignSize.y, std::min(size.y, screen.height)));
}

double Controller::ColumnScale() const
{
    return std::max(1.0, m_fontScale * DesignSize.x / m_defaultSize.x);
}

void Controller::RestorePlacement()
{
    std::vector<std::int32_t> placement = GetIntListSetting("Placement");
    if (placement.size() == 4)
        SetSize(placement[0], placement[1], placement[2], placement[3]);
    else
        SetSize(wxRect(wxPoint(0, 0), m_defaultSize));
    m_normalRect = GetRect();
    // Lays the menu and the client area out even when the size did not change.
    SendSizeEvent();
}

void Controller::TrackNormalRect()
{
    if (!IsMaximized() && !IsIconized() && m_ready)
        m_normalRect = GetRect();
}

// ---- closing -------------------------------------------------------------------------

bool Controller::CloseWindow()
{
    // A row that cannot be written keeps the window open, its reason shown.
    if (!m_grid->WriteRow())
        return false;
    EndDialog();
    wxRect rect = m_normalRect;
    WriteIntListSetting("Placement", {rect.x, rect.y, rect.width, rect.height});
    m_view->SaveColumnWidths();
    return true;
}

void Controller::EndDialog()
{
    if (IsModal())
        EndModal(wxID_CANCEL);
    else
        Hide();
}

// ---- start-up idle and focus ---------------------------------------------------------

void Controller::OnStartupIdle()
{
    if (GetBoolSetting("UpdateQuotesOnStartup"))
    {
        m_browser->Update();
        Dispatch(Command::UpdateQuotes);
    }
    m_due.Run();
    if (!m_statementArgument.empty())
        m_commands.ImportStatementArgument(std::exchange(m_statementArgument, {}));
}

void Controller::OfferUpdate()
{
    if (wxMessageBox(UpdateQuestion, MessageCaption, wxYES_NO | wxICON_INFORMATION, this) == wxYES)
        Dispatch(Command::CheckForUpdates);
}

void Controller::ReportBackupProblem(const BackupOutcome& outcome)
{
    if (outcome.result == BackupResult::Damaged)
        ShowMessage(outcome.message + "\n\nTo go back to a backup, close Tallybrook and run "
                                      "'tallybrook-cli restore'.",
                    Icon::Stop);
    else
        ShowMessage(outcome.message, Icon::Exclamation);
}

void Controller::OnChildFocus()
{
    if (!m_ready || m_grid->IsWriteRequestBusy())
        return;
    CallAfter([this] { m_grid->OnPendingWriteRequest(); });
}

bool Controller::IsFocusExempt(wxWindow* window) const
{
    for (; window; window = window->GetParent())
        if (window == m_grid)
            return true;
    return false;
}

// ---- month, year and tree --------------------------------------------------------------

bool Controller::CommitBeforeLeaving()
{
    // The toolkit tells of no focus change for some controls (the month selector under
    // GTK), so the row is written here rather than on the focus notice.
    return m_grid->WriteRow();
}

void Controller::OnMonthChosen()
{
    if (!m_ready || m_month->GetSelection() < 0)
        return;
    if (!CommitBeforeLeaving())
    {
        m_month->SetSelection(m_view->Month() - 1);
        return;
    }
    m_view->SetPeriod(m_month->GetSelection() + 1);
}

void Controller::OnYearTyped()
{
    if (!m_ready)
        return;
    if (!CommitBeforeLeaving())
    {
        m_year->ChangeValue(wxString::Format("%d", m_view->Year()));
        return;
    }
    m_view->SetYear(std::atoi(m_year->GetValue().utf8_string().c_str()));
}

void Controller::OnTreeSelChanging(wxTreeEvent& event)
{
    if (m_view->TreeGuarded() || !m_ready)
        return;
    m_grid->EndCellEdit();
    if (!m_grid->HasPendingChanges())
        return;
    // A row the rules refuse keeps the old node, silently (the focus leaving the grid has
    // said why); one the database refuses too.
    if (!m_gridHost->CheckPendingRow() || !m_grid->Commit())
        event.Veto();
}

void Controller::OnTreeSelChanged(wxTreeEvent& event)
{
    if (m_view->TreeGuarded() || !m_ready)
        return;
    m_grid->Commit();
    wxTreeItemId item = event.GetItem();
    const NodeData* data = m_tree->Data(item);
    if (!data)
        return;
    SetTitle(m_tree->GetItemText(item) + " - " + MessageCaption);
    m_view->SetView(data->kind);
}

void Controller::SelectNode(const wxTreeItemId& item)
{
    if (item.IsOk())
        m_tree->SelectItem(item);
}

void Controller::OnSpin(wxSpinEvent& event)
{
    if (!CommitBeforeLeaving())
        event.Veto();
    else
        event.Skip();
}

// ---- ViewHost ------------------------------------------------------------------------

void Controller::SetStatusHint(const std::string& text)
{
    m_statusBar->SetStatusText(ToWx(text), 0);
}

void Controller::ShowPage(int kind)
{
    if (!m_dashboard)
        return;
    if (kind == KindHome)
        m_dashboard->Refresh(*m_db, m_view->Year(), m_view->Month());
    else if (kind == KindReports)
        m_dashboard->Navigate(WriteReportPage(ReportsMenuBody()));
    else if (kind == KindTransactionsReport)
        m_dashboard->Navigate(WriteReportPage(BuildParametersPage(std::time(nullptr))));
    else if (kind == KindFind)
        m_find.ShowResults();
    else if (kind >= KindSpendingReport && kind <= KindBudgetYearReport)
    {
        static const ReportKind charts[] = {ReportKind::Spending, ReportKind::Cashflow,
                                            ReportKind::NetWorth, ReportKind::Budget};
        m_dashboard->Navigate(WriteReportPage(
            BuildChartParametersPage(charts[kind - KindSpendingReport], std::time(nullptr))));
    }
}

// ---- UserInterface -------------------------------------------------------------------

void Controller::ShowMessage(const std::string& text, Icon icon)
{
    long style = wxOK;
    switch (icon)
    {
    case Icon::Stop:
        style |= wxICON_ERROR;
        break;
    case Icon::Exclamation:
        style |= wxICON_EXCLAMATION;
        break;
    case Icon::Information:
        style |= wxICON_INFORMATION;
        break;
    case Icon::Question:
        style |= wxICON_QUESTION;
        break;
    }
    wxMessageBox(ToWx(text), MessageCaption, style, this);
}

bool Controller::AskYesNo(const std::string& text)
{
    return wxMessageBox(ToWx(text), MessageCaption, wxYES_NO | wxICON_QUESTION, this) == wxYES;
}

void Controller::PushStatus(const std::string& text)
{
    m_statusBar->PushStatus(text);
}

void Controller::PopStatus()
{
    m_statusBar->PopStatus();
}

void Controller::BeginWait()
{
    wxBeginBusyCursor();
}

void Controller::EndWait()
{
    wxEndBusyCursor();
}
