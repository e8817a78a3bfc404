#pragma once

#include "data/RecordRules.h"
#include "data/ViewKind.h"

#include <wx/treebase.h>

#include <array>
#include <string>
#include <vector>

class Database;
class QvGrid;
class QvTreeView;
class wxChoice;
class wxSpinButton;
class wxStaticText;
class wxTextCtrl;
class wxWindow;

/// What the commands' enabling rules look at, as the View sees it.
struct CommandContext
{
    int kind = KindNone;
    bool gridFocused = false;      ///< the grid or one of its windows has the keyboard focus
    int row = 0;                   ///< the grid's current row (the pending row while one exists)
    bool editing = false;          ///< a cell edit is in progress
    bool accountInContext = false; ///< an account is current (see View)
    std::string accountType;       ///< the account type in context
};

/// What the View asks of the main window.
class ViewHost
{
public:
    virtual ~ViewHost() = default;
    /// Enables or greys every command (menu items and buttons) by its rule.
    virtual void ApplyCommandStates(const CommandContext& context) = 0;
    /// Writes the status hint into the first status-bar pane.
    virtual void SetStatusHint(const std::string& text) = 0;
    /// Shows the page of a browser kind (home page, report list, report parameters).
    virtual void ShowPage(int kind) = 0;
};

/// The main window's controls that the View drives.
struct ViewControls
{
    QvGrid* grid = nullptr;
    wxWindow* browser = nullptr;
    QvTreeView* tree = nullptr;
    wxChoice* month = nullptr;
    wxTextCtrl* year = nullptr;
    wxSpinButton* yearSpinner = nullptr;
    wxStaticText* totalsLabel = nullptr;
    wxTextCtrl* firstTotal = nullptr;
    wxTextCtrl* secondTotal = nullptr;
};

/// Decides what the right-hand side shows for the selected tree node and the budget period:
/// builds the account tree, the grid views with their columns and totals, and the command
/// states.
class View
{
public:
    /// fontScale: how many times wider the window's characters are than those of the narrow
    /// font the default column widths were made for.
    View(ViewHost& host, const ViewControls& controls, double fontScale = 1.0);

    /// The Database the views read (valid from start-up step 15).
    void SetDatabase(Database* database) { m_db = database; }
    /// The browser pane, once it replaces its placeholder.
    void SetBrowser(wxWindow* browser) { m_controls.browser = browser; }

    void SetView(int kind);
    void SetPeriod(int month);
    void SetYear(int year);
    void SetHoldRefresh(bool hold) { m_holdRefresh = hold; }
    bool HoldRefresh() const { return m_holdRefresh; }
    /// Re-reads what the current kind shows; nothing while hold-refresh is set.
    void Refresh();
    void BuildTree();
    /// BuildTree, then selects the node that was selected before.
    void RebuildTree();

    /// While one exists, selection changes of the tree come from the program itself and the
    /// main window ignores them.
    class TreeGuard
    {
    public:
        explicit TreeGuard(View& view) : m_view(view), m_was(view.m_treeGuard)
        {
            view.m_treeGuard = true;
        }
        ~TreeGuard() { m_view.m_treeGuard = m_was; }
        TreeGuard(const TreeGuard&) = delete;
        TreeGuard& operator=(const TreeGuard&) = delete;

    private:
        View& m_view;
        bool m_was;
    };
    bool TreeGuarded() const { return m_treeGuard; }
    void UpdateCommands();
    void ShowTotals();
    std::string CurrentAccountID() const;
    int CurrentSequence() const;

    void StoreColumnWidths();
    void ApplyColumnWidths();
    void LoadColumnWidths();
    void SaveColumnWidths();
    const std::vector<double>& ColumnWidths(int kind) const;

    int Kind() const { return m_kind; }
    int Month() const { return m_month; }
    int Year() const { return m_year; }
    const std::string& AccountTypeInContext() const { return m_accountType; }
    bool AccountInContext() const { return m_accountInContext; }
    wxTreeItemId SelectedItem() const { return m_selectedItem; }
    void SetSelectedItem(const wxTreeItemId& item) { m_selectedItem = item; }
    /// The state the record rules need.
    RecordContext MakeRecordContext() const;

private:
    void RecomputeContext();
    void SetUpColumns();
    /// The register's Category column: a drop list of the budget period's categories.
    void SetUpCategoryList(int column);
    /// The Scheduled view's columns and drop lists.
    void SetUpScheduleColumns();
    void ShowGridSide(bool grid);

    ViewHost& m_host;
    ViewControls m_controls;
    Database* m_db = nullptr;
    bool m_holdRefresh = false;
    bool m_treeGuard = false;
    double m_fontScale = 1.0;
    int m_kind = KindNone;
    int m_month = 1;
    int m_year = 2000;
    wxTreeItemId m_selectedItem;
    std::string m_accountType;
    bool m_accountInContext = false;
    /// per kind 0 to KindScheduled; those of kinds without a grid stay empty
    std::array<std::vector<double>, KindScheduled + 1> m_widths;
};
