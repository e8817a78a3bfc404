#pragma once

#include "budget/BudgetActual.h"
#include "register/QvGridHost.h"

#include <wx/treebase.h>

#include <functional>

class Database;
class QvGrid;
class QvTreeView;
class UserInterface;
class View;

/// The main window's answers to its register grid: the record rules before a row is
/// written, the delete question, balances and totals after a change, the tree after the
/// account list changed, and the Budget and Loan views' computed cells, group totals and
/// hints.
class RegisterGridHost : public QvGridHost
{
public:
    RegisterGridHost(QvTreeView& tree, UserInterface& ui) : m_tree(tree), m_ui(ui) {}

    /// The View, the Database and the grid it answers for; until then it answers nothing.
    void Attach(View& view, Database& db, QvGrid& grid);

    /// Whether the grid's pending row may be written by the record rules, which fill in its
    /// defaults; with showMessage, a refusal is shown and the cursor put in the cell in error.
    bool ValidatePendingRow(bool showMessage);
    /// ValidatePendingRow without a message, undoing what the rules change in the database
    /// (a budget line): the write does that again, in the transaction that stores the row.
    bool CheckPendingRow();

    bool ConfirmDelete(int row) override;
    void RowDeleted() override;
    void CommandStateChanged() override;
    void CellEdited(int row) override;
    bool ValidateRow(int row) override;
    void RowStored(int row) override;
    void RowDeleting(int row) override;
    void RowsWritten() override;
    /// What Enter or a double click on a row of a read-only grid does; true when it acted.
    void SetRowActivation(std::function<bool(int row)> activate)
    {
        m_activate = std::move(activate);
    }
    bool RowActivated(int row) override { return m_activate && m_activate(row); }
    /// What follows a row of the Scheduled view written (its occurrences may be due now).
    void SetScheduleWritten(std::function<void()> written)
    {
        m_scheduleWritten = std::move(written);
    }
    std::string CellHint(int row) override;
    Variant ComputedCell(int row, int column) override;
    Variant GroupTotal(const std::string& group, int column) override;
    std::string SortOrder(const std::string& order, bool grouped, bool groupAscending) override;

private:
    std::function<bool(int)> m_activate;
    std::function<void()> m_scheduleWritten;
    bool Attached() const { return m_view && m_db && m_grid; }
    void UpdateBalanceAndTotals();
    void DeleteNotedTreeNode();
    /// The transfer checks of a register row before it is written: a refusal is shown, a
    /// question asked; false keeps the row pending.
    bool ConfirmTransferEdit(int row);

    QvTreeView& m_tree;
    UserInterface& m_ui;
    View* m_view = nullptr;
    Database* m_db = nullptr;
    QvGrid* m_grid = nullptr;
    BudgetFigures m_figures;
    wxTreeItemId m_pendingTreeItem; ///< the account's node while its row is being deleted
};
