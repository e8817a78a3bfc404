#pragma once

#include "app/MainFormBase.h"
#include "app/UserInterface.h"
#include "budget/BudgetActual.h"
#include "register/GridMessages.h"
#include "register/View.h"

#include <wx/icon.h>
#include <wx/imaglist.h>
#include <wx/treectrl.h>

#include <memory>
#include <set>

class Database;
class QvGrid;
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
/// controls, dispatches commands and the register grid's messages, and saves its placement
/// and the column widths when it closes.
class Controller : public Quorvel::MainFormBase,
                   public ViewHost,
                   public GridMessageSink,
                   public UserInterface
{
public:
    /// The traced start-up sequence; a failure in any step propagates to the caller.
    Controller();
    /// Deletes the View and the Database, then the temporary directory with all its contents.
    ~Controller() override;

    /// Runs a menu, accelerator or tool-bar command.
    void RunCommand(int id);
    /// The closing sequence of the close box.
    void CloseWindow();
    /// The layout rule for a client area (below the menu) of width w and height h.
    void LayoutClient(int w, int h);
    bool IsReady() const { return m_ready; }

    View& GetView() { return *m_view; }
    QvGrid* Grid() const { return m_grid; }
    QvTreeView* Tree() const { return m_tree; }
    wxWindow* Browser() const { return m_browser; }
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
    /// The window's rectangle when neither maximised nor minimised.
    wxRect NormalRect() const { return m_normalRect; }
    /// Selects a tree node as a click does.
    void SelectNode(const wxTreeItemId& item);
    /// The Import command: the file dialog, the import, then the category rules.
    void ImportTransactions();
    /// Imports one statement file as the Import command does once a file was chosen; an
    /// empty path imports nothing and only runs the category rules.
    void ImportStatement(const std::string& path);

    // ViewHost
    void EnableCommand(int id, bool enabled) override;
    bool IsCommandEnabled(int id) const override;
    void SyncToolBar() override;
    void SetStatusHint(const std::string& text) override;
    void ShowPage(int kind) override;

    // GridMessageSink
    long OnGridMessage(unsigned message, void* parameter) override;

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
    void CreateMenu();
    void CreateBrowser();
    void BindEvents();
    void RestorePlacement();
    void TrackNormalRect();
    void OnTreeSelChanging(wxTreeEvent& event);
    void OnTreeSelChanged(wxTreeEvent& event);
    void OnSpin(wxSpinEvent& event);
    void StepMonth(int direction);
    void PrintView();
    void MoveTransaction(int direction);
    /// Whether the grid's pending row may be written (record rules); fills its defaults.
    bool ValidatePendingRow(bool showMessage);
    void DeleteNotedTreeNode();

    QvMenuStrip* m_menu = nullptr;
    wxPanel* m_body = nullptr;
    QvToolBar* m_toolBar = nullptr;
    QvStatusBar* m_statusBar = nullptr;
    wxChoice* m_month = nullptr;
    wxTextCtrl* m_year = nullptr;
    wxSpinButton* m_spinner = nullptr;
    QvTreeView* m_tree = nullptr;
    QvGrid* m_grid = nullptr;
    wxWindow* m_browser = nullptr;
    wxStaticText* m_totalsLabel = nullptr;
    wxTextCtrl* m_firstTotal = nullptr;
    wxTextCtrl* m_secondTotal = nullptr;
    wxIcon m_largeIcon;
    wxImageList m_imageList;
    wxFont m_boldFont;
    std::unique_ptr<View> m_view;
    std::unique_ptr<Database> m_db;
    BudgetFigures m_figures;
    bool m_ready = false;
    bool m_treeGuard = true;
    wxTreeItemId m_pendingTreeItem;
    wxRect m_normalRect;
    wxSize m_laidOut;            ///< the client size of the last layout
    std::set<int> m_unavailable; ///< commands whose work is not built yet: always greyed
};

/// The main window, from start-up step 13 until it is destroyed.
extern Controller* frmController;
/// The View, from start-up step 14 until the main window is destroyed.
extern View* cView;
/// The program's Database, from start-up step 15 until the main window is destroyed.
extern Database* db;
