#pragma once

#include "register/CADOImpDatasource.h"
#include "register/QvGridHost.h"

#include <wx/grid.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QvCurrencyEditor;
class QvDropListEditor;

/// The register grid: shows the bound Recordset through its data source with the new-record
/// row at the top, edits in place, sorts by its headings, groups rows, caches the computed
/// cells and asks its host (the main window or a dialog) through QvGridHost. It knows no
/// view's columns: the host names them.
class QvGrid : public wxGrid, private CADOImpDatasource::Listener
{
public:
    QvGrid(wxWindow* parent, wxWindowID id, QvGridHost* host);
    ~QvGrid() override;

    CADOImpDatasource& DataSource() { return *m_source; }
    const CADOImpDatasource& DataSource() const { return *m_source; }

    // Set-up by the View (columns are logical: query fields, then computed columns).
    /// Binds a Recordset: one column per field, headed by the field name. The row being
    /// typed is written first; when it cannot be (the reason shown), nothing changes: false.
    [[nodiscard]] bool BindRecordset(std::unique_ptr<Recordset> recordset, const std::string& sql);
    /// Drops the binding: no rows, no columns; false (nothing changes) while a row being
    /// typed cannot be written.
    [[nodiscard]] bool ClearBinding();
    bool IsBound() const { return m_bound; }
    /// Whether the bound rows cannot be changed (no new-record row, nothing deleted).
    bool IsReadOnlyBinding() const
    {
        return m_bound && !m_source->GetOption(CADOImpDatasource::OptionEditing);
    }
    int LogicalColumnCount() const { return static_cast<int>(m_columns.size()); }
    void SetHeading(int col, const wxString& text);
    wxString Heading(int col) const;
    void SetColumnHidden(int col);
    bool IsColumnHidden(int col) const;
    bool IsColumnComputed(int col) const;
    /// width = f x the grid window's width, then the last shown column fills the rest.
    void SetWidthFraction(int col, double fraction);
    double WidthFraction(int col) const;
    int ColumnWidth(int col) const;
    /// The last column not hidden (in shown order) takes the width that is left.
    void StretchLastColumn();
    void SetColumnCurrency(int col);
    void SetColumnReadOnly(int col);
    void SetColumnRaw(int col);
    void SetDropList(int col);
    /// Appends an item to the column's drop list, sorted (case-sensitive) when asked.
    void AddDropListItem(int col, const wxString& text, bool sort);
    const std::vector<wxString>& DropListItems(int col) const;
    /// Shows a column as check boxes whose states the grid keeps itself, by the text of the
    /// key column: ticked where the field holds the engine's true (-1). A tick is never
    /// written through the data source; the cells' texts are "1" and "0".
    void SetCheckBoxColumn(int col, int keyCol);
    bool IsChecked(int row, int col) const;
    /// Appends a read-only, right-aligned column that no field backs; returns its index.
    int AddComputedColumn();
    /// Shows logical column `from` just before logical column `before`.
    void MoveColumn(int from, int before);
    /// The grid column (shown position) of a logical column.
    int GridColumn(int col) const;
    int LogicalColumn(int gridCol) const;
    /// Groups the rows by a column with a header row before and a totals row after each group;
    /// the totals rows show the host's group totals under the given columns, asked in that
    /// order, in bold.
    void GroupBy(int col, const std::vector<int>& totalsColumns);
    int GroupColumn() const { return m_groupCol; }
    bool GroupAscending() const { return m_groupAscending; }
    /// Places a totals field horizontally under a column.
    void PlaceUnderColumn(wxWindow* field, int col);
    void PaintingOff();
    /// Recomputes the computed cells when dirty and draws again.
    void PaintingOn();
    void SetShading(bool on) { m_shading = on; }
    void EnableHints(bool on);
    /// Where Tab sends the keyboard focus (the account tree).
    void SetTabTarget(wxWindow* target) { m_tabTarget = target; }

    // Operations of the main window.
    /// Ends an in-cell edit, keeping what was typed.
    void EndCellEdit();
    /// Writes the pending row; true when nothing was pending or the write succeeded.
    bool Commit();
    /// Commit, showing the database's reason when it refused the row; what every command
    /// that replaces or closes the rows calls first.
    bool WriteRow();
    bool HasPendingChanges() const { return m_source->HasPending(); }
    /// The pending row while one exists, else the cursor row.
    int CurrentRow() const;
    bool IsEditing() const { return IsCellEditControlEnabled(); }
    /// Whether the open cell editor holds text other than what it opened with: typing not yet
    /// in the cell.
    bool IsEditorChanged() const;
    /// Whether the window's keyboard focus is in the grid or one of its windows (also while
    /// a menu has lent it away).
    bool HasFocusInside() const;
    /// New Record: focus, column 0 of the new-record row, editing.
    void StartNewRecord();
    /// Delete on the current row, with the confirmation request and the deleted notice.
    void DeleteCurrentRow();
    /// Esc: drops the pending row's changes.
    void CancelPendingRow();
    /// 0x46E: writes the pending row; on failure takes the focus back.
    void OnPendingWriteRequest();
    bool IsWriteRequestBusy() const { return m_writeBusy; }
    /// Re-reads keeping the cursor offset rows from where it is.
    void Reload(int offset);
    /// Runs the query again (the row being typed written first, its reason shown when it
    /// cannot be) and reloads, the cursor moved by offset rows; false when nothing changed.
    bool Requery(int offset);
    /// Enter with the grid focused (no cell being edited).
    void OnEnterKey();
    /// Starts editing the current cell.
    void StartEdit();
    /// Starts editing the current cell once the events already queued have run.
    void StartEditSoon();
    /// Posts the completion request 0x470 for a logical column.
    void RequestAutoComplete(int col);
    /// The value of a cell as shown or pending (logical column).
    Variant CellValue(int row, int col) const { return m_source->GetCell(col, row); }
    /// Text of a cell's value as the user would type it.
    std::string CellTextValue(int row, int col) const;
    /// Sets a cell's value as if typed, so it is written with the row.
    void SetCellVariant(int row, int col, const Variant& value);
    /// Moves the cursor to a logical column of a row.
    void GoToCell(int row, int col);
    /// The in-cell editor's window while a cell is being edited.
    wxWindow* EditorWindow() const;
    bool IsGroupHeaderRow(int row) const;
    bool IsGroupTotalsRow(int row) const;
    /// The computed values cached for a row.
    const std::vector<Variant>& CachedValues(int row) const;
    /// Plain-number text of a currency cell for the editor.
    wxString PlainEditText(int row, int gridCol) const;

private:
    void ResetBindingState();
    struct Column
    {
        bool hidden = false;
        bool computed = false;
        bool raw = false;
        bool currency = false;
        bool readOnly = false;
        bool dropList = false;
        std::vector<wxString> items;
        int checkKey = -1;                  ///< for a check box column: the key column
        std::map<std::string, bool> checks; ///< tick states by key text
    };
    class AttrProvider;
    friend class AttrProvider;

    void RewriteSortOrder(std::string& order) override;
    bool BeforeWrite() override;
    void WriteFailed(std::string& prompt) override;
    void RowStored() override;
    void RecordDeleting(int row) override;
    void RowWritten() override;
    void Sorted() override;
    wxString CellText(int row, int col) override;
    int FieldOfGridColumn(int gridCol) override;
    bool TakeCellText(int row, int gridCol, const wxString& text) override;

    bool IsCheckBoxColumn(int col) const;
    std::string CheckKey(int row, int col) const;
    bool IsGroupTotalsColumn(int col) const;
    wxGridCellAttr* MakeAttr(int row, int col);
    void RefreshColumnLabels();
    void RebuildGrouping();
    void ClassifyInsertedRows();
    wxString GroupTextOfRow(int row) const;
    void RecomputeCache();
    void RecomputeRow(int row);
    void EditContinue(bool enter);
    /// Refuses typed text that the cell's field cannot store: the old value stays, the
    /// reason shows and the editor opens again on the text, selected.
    void OnCellChanging(wxGridEvent& event);
    void ReopenRefusedEdit(int row, int gridCol, const wxString& text, const std::string& why);
    void MoveCursorQuietly(int row, int gridCol);
    wxString FormatValue(const Variant& value, int col) const;
    int GridWindowWidth() const;
    void FinishEdit();
    int NextEditableColumn(int col) const;
    void AutoComplete(int col);
    void SortByHeading(int col);
    void CopyCellToClipboard();
    void ShowHint(wxMouseEvent& event);

    void OnKeyDown(wxKeyEvent& event);
    void OnChar(wxKeyEvent& event);
    void OnSelectCell(wxGridEvent& event);
    void OnLabelClick(wxGridEvent& event);
    void OnCellClick(wxGridEvent& event);
    void OnEditorShown(wxGridEvent& event);
    void OnEditorHidden(wxGridEvent& event);
    void OnSize(wxSizeEvent& event);
    void TrackFocus();
    void OnChildFocus(wxChildFocusEvent& event);
    bool IsInside(const wxWindow* window) const;

    QvGridHost* m_host;
    QvGridHost m_noHost;         ///< answers for a grid without a host
    CADOImpDatasource* m_source; ///< owned by the grid as its table
    bool m_bound = false;
    bool m_shading = true;
    bool m_hints = false;
    wxWindow* m_tabTarget = nullptr;
    std::vector<Column> m_columns;
    std::vector<int> m_order; ///< grid column to logical column
    int m_firstComputed = -1;
    std::vector<std::vector<Variant>> m_cache;
    bool m_cacheDirty = true;
    int m_groupCol = -1;
    std::vector<int> m_groupTotalsCols; ///< logical columns of the group totals, asked in order
    bool m_groupAscending = true;
    std::map<int, wxString> m_headerRows; ///< inserted row to its group's text
    std::map<int, wxString> m_totalsRows;
    int m_sortCol = -1;
    bool m_sortAscending = true;
    int m_batch = 0;
    bool m_writeBusy = false;
    bool m_focusInside = false;     ///< where the window's focus last was, known or not
    wxWindow* m_topLevel = nullptr; ///< whose focus changes are followed
    bool m_completing = false;
    bool m_inRowChange = false;
    bool m_editFinishPending = false;
    bool m_editRefused = false;   ///< the last edit that ended held text its field cannot store
    bool m_refusalQueued = false; ///< the refusal's message is yet to show
    bool m_listClosed = false;    ///< a drop list's popup closed during the current edit
    bool m_quietMove = false;
    std::vector<wxGridCellEditor*> m_editors; ///< per logical column, one reference held
    wxFont m_boldFont;
};
