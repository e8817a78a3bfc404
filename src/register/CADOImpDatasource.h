#pragma once

#include "data/Recordset.h"
#include "register/CUpdatedRow.h"
#include "register/ViewQuery.h"

#include <wx/grid.h>

#include <memory>
#include <string>
#include <vector>

/// The register grid's data source over a database Recordset: the whole result is read into
/// memory at once and shown below one blank new-record row; the edited cells of one row are
/// kept pending and written back with one add or one update when the user leaves the row.
class CADOImpDatasource : public wxGridTableBase
{
public:
    enum Option
    {
        OptionEditing = 110,
        OptionNewRowAtTop = 111,
        OptionBlockSize = 112,
        OptionRowMarker = 113,
        OptionAppend = 114
    };
    /// Record position of the new-record row, and of rows the grid inserted itself.
    static constexpr int NewRecord = -1;
    static constexpr int InsertedRow = -2;

    /// The grid side: told of what the data source does, and supplies the text of every
    /// cell shown.
    class Listener
    {
    public:
        virtual ~Listener() = default;
        /// The order text a heading sort built; the grid may rewrite it.
        virtual void RewriteSortOrder(std::string& /*order*/) {}
        /// Before a pending row is written; false stops the write and keeps the row pending.
        virtual bool BeforeWrite() { return true; }
        /// A pending row could not be written; an empty prompt asks the user nothing.
        virtual void WriteFailed(std::string& /*prompt*/) {}
        /// The pending row is stored, in the transaction that stores it: what else must change
        /// with it changes here (a DatabaseError undoes the write).
        virtual void RowStored() {}
        /// A row is about to be deleted, in the transaction that deletes it.
        virtual void RecordDeleting(int /*row*/) {}
        /// A pending row was written and every record read again.
        virtual void RowWritten() {}
        /// A sort re-ran the query and read every record again.
        virtual void Sorted() {}
        /// The displayed text of a cell (inserted rows and extra columns included).
        virtual wxString CellText(int row, int gridCol) = 0;
        /// The column (field, then extra columns) shown in a grid column.
        virtual int FieldOfGridColumn(int gridCol) = 0;
        /// Text set into a cell that the grid keeps itself (a check box); true when taken,
        /// and the row then stays as it is.
        virtual bool TakeCellText(int /*row*/, int /*gridCol*/, const wxString& /*text*/)
        {
            return false;
        }
    };

    explicit CADOImpDatasource(Listener* listener = nullptr);
    ~CADOImpDatasource() override;

    /// Takes the Recordset opened on the query text, splits the query and reads every record.
    /// Pending changes are written first; when that fails nothing changes and it is false.
    [[nodiscard]] bool Bind(std::unique_ptr<Recordset> recordset, const std::string& sql);
    bool IsBound() const { return m_recordset != nullptr; }
    Recordset* GetRecordset() const { return m_recordset.get(); }

    /// Records read + 1; -1 when not bound.
    int RowCount() const;
    /// Fields of the Recordset; -1 when not bound.
    int FieldCount() const;
    std::string ColumnName(int col) const;
    /// The pending value of the cell when changed, else the stored one; NULL on failure.
    Variant GetCell(int col, int row) const;
    /// The typed text converted to the field's type; a changed value makes the row pending.
    /// Returns false when the text fits no value of the field (nothing changes).
    bool SetCellText(int col, int row, const std::string& text);
    /// Why typed text cannot be stored in a field ("\"abc\" is not an amount."); empty when
    /// it can.
    std::string RefusalOf(int col, const std::string& text) const;
    /// Sets a value of the row as if typed (used for values the program fills in). Another
    /// row's pending changes are written first; when they cannot be, nothing changes.
    void SetCell(int col, int row, const Variant& value);

    /// The cursor leaves oldRow: writes pending changes; false keeps the user on oldRow.
    bool RowChange(int oldRow, int newRow);
    /// Writes the pending row; 0 on success, 1 on failure or when the grid cancelled.
    int WritePendingRow();
    /// Deletes the record of a grid row; 0 on success, 1 on failure (LastError says why).
    int DeleteRow(int row);
    /// Re-runs the query ordered by the columns and re-reads; false when the engine refused
    /// the order (LastError says why), the previous query then being open again.
    bool SortBy(const std::vector<int>& cols, const std::vector<bool>& ascending);
    /// The message of the last failed write, delete or sort.
    const std::string& LastError() const { return m_lastError; }

    void SetOption(int code, long value);
    long GetOption(int code) const;
    void SetRowMarker(const wxString& marker) { m_rowMarker = marker; }

    bool HasPending() const { return m_pendingCount > 0; }
    int PendingRow() const { return m_pending.Row(); }
    const CUpdatedRow& Pending() const { return m_pending; }
    /// Drops the pending changes: only for the user's own undo (Escape, or choosing to lose
    /// a row that cannot be written). Everything that replaces the rows writes them instead.
    void DiscardPending();

    /// Record position of a grid row: NewRecord, InsertedRow or 0 and up.
    int RecordOfRow(int row) const;
    /// Reads every record again (after the Recordset changed) and rebuilds the row map.
    void Reread();
    /// Writes pending changes, runs the query again, then reads every record; false (nothing
    /// changed) when the pending changes could not be written.
    [[nodiscard]] bool Requery();

    /// Inserts a row of the grid's own (group header or totals) before a grid row.
    void InsertGridRow(int row);
    /// Removes every row the grid inserted.
    void RemoveGridRows();
    bool IsInsertedRow(int row) const { return RecordOfRow(row) == InsertedRow; }

    /// Heading of a column (field, then extra columns).
    void SetHeading(int col, const wxString& text);
    wxString Heading(int col) const;

    /// Appends a column that is not bound to a field; returns its index.
    int AddExtraColumn();
    int ExtraColumnCount() const { return m_extraCols; }

    /// The displayed value of a cell without the grid's own formatting.
    static wxString DefaultText(const Variant& value);

    // wxGridTableBase
    int GetNumberRows() override;
    int GetNumberCols() override;
    wxString GetValue(int row, int col) override;
    void SetValue(int row, int col, const wxString& value) override;
    bool IsEmptyCell(int row, int col) override;
    wxString GetColLabelValue(int col) override;
    void SetColLabelValue(int col, const wxString& label) override;
    wxString GetRowLabelValue(int row) override;

private:
    /// Writes pending changes before the rows are replaced; false when they could not be.
    bool WriteBeforeReplacing();
    void ReadBlock();
    void RebuildRowMap();
    /// Tells the grid how many rows and columns there are now.
    void SyncGridSize();
    bool Editable() const;

    Listener* m_listener;
    std::unique_ptr<Recordset> m_recordset;
    std::vector<int> m_rowMap;    ///< grid row to record position
    std::vector<Variant> m_cache; ///< record-major: field + record * field count
    int m_recordsRead = 0;
    int m_fieldCount = 0;
    int m_extraCols = 0;
    std::vector<wxString> m_headings;
    CUpdatedRow m_pending;
    int m_pendingCount = 0;
    QueryParts m_query;

    bool m_editing = true;
    bool m_newRowAtTop = true;
    long m_blockSize = 50;
    bool m_appendAllowed = true;
    wxString m_rowMarker;
    std::string m_lastError;

    int m_gridRows = 0; ///< what the grid was last told
    int m_gridCols = 0;
};
