#pragma once

#include "app/DueSchedules.h"
#include "app/EventLinkHandler.h"
#include "app/FindCommands.h"
#include "app/MainCommands.h"
#include "app/MainFormBase.h"
#include "app/StartupBackup.h"
#include "app/StartupUpdateCheck.h"
#include "base/UserInterface.h"
#include "register/RegisterGridHost.h"
#include "register/View.h"

#include <wx/icon.h>
#include <wx/imaglist.h>
#include <wx/treectrl.h>

#include <map>
#include <memory>
#include <string>

class Database;
class QvGrid;
class QvDashboard;
class QvMenuStrip;
class QvStatusBar;
class QvToolBar;
class QvTreeView;
class wxChoice;
class wxPanel;
class wxSpinButton;
class wxSpinEvent;
class wxStaticText;
class wxTextCtrl;

/// The main window: runs the traced start-up, owns the View and the Database, lays out its
/// controls, dispatches the commands of the command table, and saves its placement and the
/// column widths when it closes. The commands' work is MainCommands'; the register grid's
/// questions are answered by RegisterGridHost.
class Controller : public Quorvel::MainFormBase, public ViewHost, public UserInterface
{
public:
    /// The traced start-up sequence; a failure in any step propagates to the caller.
    Controller();
    /// Deletes the View and the Database, then the temporary directory with all its contents.
    ~Controller() override;

    /// Runs a command of the command table when it is enabled.
    void Dispatch(int id);
    bool IsCommandEnabled(int id) const;
    /// The closing steps of the close box and Exit: the row being typed is written, the
    /// dialog ends, the placement and column widths are saved. False when the row could not
    /// be written (its reason shown): the window stays.
    bool CloseWindow();
    /// The layout rule for a client area (below the menu) of width w and height h.
    void LayoutClient(int w, int h);
    bool IsReady() const { return m_ready; }
    /// A statement file to import once the window has been shown (the program's argument).
    void SetStatementArgument(const std::string& path) { m_statementArgument = path; }
    /// Whether the start-up update check has not been answered yet.
    bool IsUpdateCheckRunning() const { return m_updateCheck && m_updateCheck->IsRunning(); }
    /// Whether the start's backup copy has not been reported yet.
    bool IsBackupRunning() const { return m_backup && m_backup->IsRunning(); }

    View& GetView() { return *m_view; }
    Database& Data() { return *m_db; }
    MainCommands& Commands() { return m_commands; }
    FindCommands& Find() { return m_find; }
    DueSchedules& Due() { return m_due; }
    QvGrid* Grid() const { return m_grid; }
    QvTreeView* Tree() const { return m_tree; }
    wxWindow* Browser() const { return m_browser; }
    /// The browser pane; nullptr until start-up step 15 made it.
    QvDashboard* Dashboard() const { return m_dashboard; }
    wxWindow* Body() const { return m_body; }
    wxChoice* MonthSelector() const { return m_month; }
    wxTextCtrl* YearField() const { return m_year; }
    wxSpinButton* YearSpinner() const { return m_spinner; }
    wxStaticText* TotalsLabel() const { return m_totalsLabel; }
    wxTextCtrl* FirstTotal() const { return m_firstTotal; }
    wxTextCtrl* SecondTotal() const { return m_secondTotal; }
    QvStatusBar* StatusBar() const { return m_statusBar; }
    QvToolBar* ToolBar() const { return m_toolBar; }
    QvMenuStrip* Menu() const { return m_menu; }
    const wxImageList& TreeImages() const { return m_imageList; }
    const wxIcon& LargeIcon() const { return m_largeIcon; }
    /// How many times wider this window's characters are than those the default sizes
    /// were made for.
    double FontScale() const { return m_fontScale; }
    /// The size of the window on a first start: the layout's 800 by 489 pixels widened with
    /// the font, within the screen.
    wxSize DefaultFrameSize() const { return m_defaultSize; }
    /// How much wider the default columns are made: what the font needs beyond the width the
    /// default window could give it.
    double ColumnScale() const;
    /// The window's rectangle when neither maximised nor minimised.
    wxRect NormalRect() const { return m_normalRect; }
    /// Selects a tree node as a click does.
    void SelectNode(const wxTreeItemId& item);

    // ViewHost
    void ApplyCommandStates(const CommandContext& context) override;
    void SetStatusHint(const std::string& text) override;
    void ShowPage(int kind) override;

    // UserInterface
    void ShowMessage(const std::string& text, Icon icon) override;
    bool AskYesNo(const std::string& text) override;
    void PushStatus(const std::string& text) override;
    void PopStatus() override;
    void BeginWait() override;
    void EndWait() override;

protected:
    void OnStartupIdle() override;
    void OnChildFocus() override;
    bool IsFocusExempt(wxWindow* window) const override;

private:
    void CreateControls();
    void CreateBrowser();
    void BindEvents();
    void RestorePlacement();
    wxSize ScaledFrameSize() const;
    void TrackNormalRect();
    void OnMenu(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnMonthChosen();
    void OnYearTyped();
    void OnTreeSelChanging(wxTreeEvent& event);
    void OnTreeSelChanged(wxTreeEvent& event);
    void OnSpin(wxSpinEvent& event);
    /// Asks whether to download the newer version the start-up check found.
    void OfferUpdate();
    /// Says why the start's backup copy was not made.
    void ReportBackupProblem(const BackupOutcome& outcome);
    /// Writes the grid's pending row before the month, year or tree node changes.
    bool CommitBeforeLeaving();
    /// Ends the modal dialog, and with it the program.
    void EndDialog();

    QvMenuStrip* m_menu = nullptr;
    wxPanel* m_body = nullptr;
    QvToolBar* m_toolBar = nullptr;
    QvStatusBar* m_statusBar = nullptr;
    wxChoice* m_month = nullptr;
    wxTextCtrl* m_year = nullptr;
    wxSpinButton* m_spinner = nullptr;
    QvTreeView* m_tree = nullptr;
    QvGrid* m_grid = nullptr;
    wxWindow* m_browser = nullptr; ///< the browser pane, or its place until it is made
    QvDashboard* m_dashboard = nullptr;
    wxStaticText* m_totalsLabel = nullptr;
    wxTextCtrl* m_firstTotal = nullptr;
    wxTextCtrl* m_secondTotal = nullptr;
    wxIcon m_largeIcon;
    wxImageList m_imageList;
    wxFont m_boldFont;
    double m_fontScale = 1.0;
    wxSize m_defaultSize{800, 489};
    std::unique_ptr<RegisterGridHost> m_gridHost;
    std::unique_ptr<View> m_view;
    std::unique_ptr<Database> m_db;
    MainCommands m_commands{*this};
    EventLinkHandler m_events{*this, m_commands};
    FindCommands m_find{*this};
    DueSchedules m_due{*this};
    std::unique_ptr<StartupUpdateCheck> m_updateCheck;
    std::unique_ptr<StartupBackup> m_backup;
    std::string m_statementArgument;
    std::map<int, bool> m_enabled; ///< the state each command's rule last gave
    bool m_ready = false;
    wxRect m_normalRect;
    wxSize m_laidOut; ///< the client size of the last layout
};

/// The main window, from start-up step 13 until it is destroyed.
extern Controller* frmController;
/// The View, from start-up step 14 until the main window is destroyed.
extern View* cView;
/// The program's Database, from start-up step 15 until the main window is destroyed.
extern Database* db;
