// The register grid's editing, keys, sorting, hints and clipboard.
#include "register/QvGrid.h"

#include "base/AppText.h"
#include "gui/WxText.h"

#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/dataobj.h>
#include <wx/msgdlg.h>
#include <wx/tooltip.h>

#include <algorithm>
#include <utility>

// ---- editing -------------------------------------------------------------------------

void QvGrid::MoveCursorQuietly(int row, int gridCol)
{
    bool quiet = m_quietMove;
    m_quietMove = true;
    SetGridCursor(row, gridCol);
    m_quietMove = quiet;
}

void QvGrid::GoToCell(int row, int col)
{
    if (row < 0 || row >= GetNumberRows())
        return;
    SetGridCursor(row, GridColumn(col));
    MakeCellVisible(row, GridColumn(col));
}

void QvGrid::StartEdit()
{
    if (!m_bound || GetNumberRows() == 0)
        return;
    if (!IsCellEditControlEnabled() && CanEnableCellControl())
        EnableCellEditControl();
}

wxWindow* QvGrid::EditorWindow() const
{
    if (!IsCellEditControlEnabled())
        return nullptr;
    wxGridCellEditor* editor = GetCellEditor(GetGridCursorRow(), GetGridCursorCol());
    wxWindow* window = editor ? editor->GetWindow() : nullptr;
    if (editor)
        editor->DecRef();
    return window;
}

bool QvGrid::IsEditorChanged() const
{
    if (!IsCellEditControlEnabled())
        return false;
    int row = GetGridCursorRow();
    int gridCol = GetGridCursorCol();
    wxGridCellEditor* editor = GetCellEditor(row, gridCol);
    if (!editor)
        return false;
    wxString text = editor->GetValue();
    editor->DecRef();
    int col = LogicalColumn(gridCol);
    wxString opened = m_columns[static_cast<std::size_t>(col)].currency
                          ? PlainEditText(row, gridCol)
                          : ToWx(CellTextValue(row, col));
    return text != opened;
}

void QvGrid::EndCellEdit()
{
    m_editRefused = false;
    if (!IsCellEditControlEnabled())
        return;
    DisableCellEditControl();
    FinishEdit();
}

void QvGrid::FinishEdit()
{
    m_editFinishPending = false;
    int row = GetGridCursorRow();
    RecomputeRow(row);
    if (row >= 0 && row < GetNumberRows())
        RefreshBlock(row, 0, row, std::max(0, GetNumberCols() - 1));
    m_host->CellEdited(row);
}

bool QvGrid::Commit()
{
    EndCellEdit();
    // Text the cell refused is still the user's to correct: the row waits for it.
    if (m_editRefused)
        return false;
    if (!m_source->HasPending())
        return true;
    return m_source->WritePendingRow() == 0;
}

bool QvGrid::WriteRow()
{
    if (Commit())
        return true;
    // A refused cell and a row the rules refused have shown their reason already; the
    // engine's is shown here.
    if (!m_editRefused && !m_source->LastError().empty())
        wxMessageBox(ToWx(m_source->LastError()), MessageCaption, wxOK | wxICON_ERROR, this);
    return false;
}

int QvGrid::NextEditableColumn(int col) const
{
    int count = LogicalColumnCount();
    for (int step = 1; step <= count; ++step)
    {
        int next = (col + step) % count;
        if (!IsColumnHidden(next) && !IsColumnComputed(next))
            return next;
    }
    return col;
}

void QvGrid::EditContinue(bool enter)
{
    int row = GetGridCursorRow();
    int col = LogicalColumn(GetGridCursorCol());
    EndCellEdit();
    if (m_editRefused)
        return;
    if (row == 0 && enter && m_source->HasPending() && m_source->PendingRow() == 0)
    {
        if (!Commit())
            return;
        GoToCell(0, 0);
        StartEditSoon();
        return;
    }
    GoToCell(row, NextEditableColumn(col));
    StartEditSoon();
}

void QvGrid::OnCellChanging(wxGridEvent& event)
{
    int row = event.GetRow();
    int gridCol = event.GetCol();
    if (m_source->IsInsertedRow(row) || IsCheckBoxColumn(LogicalColumn(gridCol)))
        return;
    wxString text = event.GetString();
    std::string why = m_source->RefusalOf(LogicalColumn(gridCol), text.utf8_string());
    if (why.empty())
        return;
    event.Veto();
    m_editRefused = true;
    // The editor is closing now; the message and the editor come back once it has gone.
    if (m_refusalQueued)
        return;
    m_refusalQueued = true;
    CallAfter([this, row, gridCol, text, why] { ReopenRefusedEdit(row, gridCol, text, why); });
}

void QvGrid::ReopenRefusedEdit(int row, int gridCol, const wxString& text, const std::string& why)
{
    m_refusalQueued = false;
    wxMessageBox(ToWx(why), MessageCaption, wxOK | wxICON_EXCLAMATION, this);
    if (!m_bound || row >= GetNumberRows() || gridCol >= GetNumberCols())
        return;
    GetGridWindow()->SetFocus();
    MoveCursorQuietly(row, gridCol);
    MakeCellVisible(row, gridCol);
    if (!CanEnableCellControl())
        return;
    EnableCellEditControl();
    if (auto* editor = dynamic_cast<wxTextEntry*>(EditorWindow()))
    {
        editor->ChangeValue(text);
        editor->SelectAll();
    }
}

void QvGrid::StartEditSoon()
{
    // The editor just closed may still report its loss of focus, which closes whatever
    // editor is open then; the next one opens after that report.
    int row = GetGridCursorRow();
    int gridCol = GetGridCursorCol();
    CallAfter(
        [this, row, gridCol]
        {
            if (GetGridCursorRow() == row && GetGridCursorCol() == gridCol)
                StartEdit();
        });
}

void QvGrid::StartNewRecord()
{
    if (!m_bound || IsReadOnlyBinding())
        return;
    GetGridWindow()->SetFocus();
    SetGridCursor(0, GridColumn(0));
    if (GetGridCursorRow() != 0)
        return;
    MakeCellVisible(0, GridColumn(0));
    StartEdit();
}

void QvGrid::DeleteCurrentRow()
{
    if (!m_bound || IsCellEditControlEnabled() || IsReadOnlyBinding())
        return;
    int row = GetGridCursorRow();
    if (row <= 0 || m_source->IsInsertedRow(row))
        return;
    if (!m_host->ConfirmDelete(row))
        return;
    PaintingOff();
    if (m_source->DeleteRow(row) != 0)
    {
        // The row stays; the user learns why rather than seeing it reported gone.
        PaintingOn();
        wxMessageBox(ToWx(m_source->LastError()), MessageCaption, wxOK | wxICON_ERROR, this);
        return;
    }
    if (m_groupCol >= 0)
        RebuildGrouping();
    if (GetNumberRows() > 0)
        MoveCursorQuietly(std::min(row, GetNumberRows() - 1), std::max(0, GetGridCursorCol()));
    m_cacheDirty = true;
    PaintingOn();
    m_host->RowDeleted();
}

void QvGrid::CancelPendingRow()
{
    int row = m_source->PendingRow();
    m_source->DiscardPending();
    RecomputeRow(row);
    int current = GetGridCursorRow();
    if (current >= 0 && current < GetNumberRows())
        RefreshBlock(current, 0, current, std::max(0, GetNumberCols() - 1));
}

void QvGrid::OnPendingWriteRequest()
{
    if (m_writeBusy)
        return;
    m_writeBusy = true;
    if (!Commit() && !HasFocusInside())
        GetGridWindow()->SetFocus();
    m_writeBusy = false;
}

bool QvGrid::IsInside(const wxWindow* window) const
{
    for (; window; window = window->GetParent())
        if (window == this)
            return true;
    return false;
}

namespace
{
/// The control that holds the keyboard focus; nullptr while a menu or another program has
/// the keyboard (the toolkit then names no window, or the top-level window itself).
wxWindow* FocusedControl(wxWindow* focus)
{
    return focus && !focus->IsTopLevel() ? focus : nullptr;
}
} // namespace

bool QvGrid::HasFocusInside() const
{
    // While the keyboard is lent away, the window's focus is where it last was, and where
    // it comes back to.
    if (wxWindow* focus = FocusedControl(wxWindow::FindFocus()))
        return IsInside(focus);
    return m_focusInside;
}

void QvGrid::TrackFocus()
{
    GetGridWindow()->Bind(wxEVT_SET_FOCUS,
                          [this](wxFocusEvent& event)
                          {
                              m_focusInside = true;
                              m_host->CommandStateChanged();
                              event.Skip();
                          });
    GetGridWindow()->Bind(wxEVT_KILL_FOCUS,
                          [this](wxFocusEvent& event)
                          {
                              // Focus taken by no control of ours is only lent (a menu).
                              if (wxWindow* next = FocusedControl(event.GetWindow()))
                                  m_focusInside = IsInside(next);
                              m_host->CommandStateChanged();
                              event.Skip();
                          });
    m_topLevel = wxGetTopLevelParent(this);
    if (m_topLevel)
        m_topLevel->Bind(wxEVT_CHILD_FOCUS, &QvGrid::OnChildFocus, this);
}

void QvGrid::OnChildFocus(wxChildFocusEvent& event)
{
    event.Skip();
    if (wxWindow* focus = FocusedControl(wxWindow::FindFocus()))
        m_focusInside = IsInside(focus);
}

void QvGrid::OnEnterKey()
{
    int row = GetGridCursorRow();
    int gridCol = GetGridCursorCol();
    bool pendingNew = row == 0 && m_source->HasPending();
    if (!Commit())
        return;
    Reload(0);
    if (GetNumberRows() == 0)
        return;
    if (row == 0)
    {
        if (pendingNew)
        {
            GoToCell(0, 0);
            StartEditSoon();
        }
        else if (GetNumberRows() > 1)
            GoToCell(1, LogicalColumn(gridCol));
        return;
    }
    int next = row + 1 < GetNumberRows() ? row + 1 : 0;
    GoToCell(next, LogicalColumn(gridCol));
}

void QvGrid::RequestAutoComplete(int col)
{
    CallAfter([this, col] { AutoComplete(col); });
}

void QvGrid::AutoComplete(int col)
{
    if (m_completing)
        return;
    m_completing = true;
    if (auto* combo = dynamic_cast<wxComboBox*>(EditorWindow()))
    {
        wxString typed = combo->GetValue();
        if (!typed.empty())
            for (const wxString& item : DropListItems(col))
            {
                if (item == typed)
                    break;
                if (item.length() > typed.length() && item.StartsWith(typed))
                {
                    combo->ChangeValue(item);
                    combo->SetSelection(static_cast<long>(typed.length()),
                                        static_cast<long>(item.length()));
                    break;
                }
            }
    }
    m_completing = false;
}

// ---- sorting, hints, clipboard ---------------------------------------------------------

void QvGrid::SortByHeading(int gridCol)
{
    int col = LogicalColumn(gridCol);
    if (!m_bound || col < 0 || col >= m_source->FieldCount() || IsColumnComputed(col))
        return;
    if (!WriteRow())
        return;
    PaintingOff();
    int previousCol = m_sortCol;
    bool previousAscending = m_sortAscending;
    bool previousGroupAscending = m_groupAscending;
    bool ascending;
    if (col == m_groupCol)
    {
        m_groupAscending = !m_groupAscending;
        ascending = m_groupAscending;
    }
    else
        ascending = col != m_sortCol ? true : !m_sortAscending;
    m_sortCol = col;
    m_sortAscending = ascending;
    if (m_source->SortBy({col}, {ascending}))
    {
        UnsetSortingColumn();
        SetSortingColumn(gridCol, ascending);
    }
    else
    {
        // The previous order is shown again, so its state comes back with it.
        m_sortCol = previousCol;
        m_sortAscending = previousAscending;
        m_groupAscending = previousGroupAscending;
        if (m_groupCol >= 0)
            RebuildGrouping();
    }
    m_cacheDirty = true;
    PaintingOn();
}

void QvGrid::ShowHint(wxMouseEvent& event)
{
    event.Skip();
    if (!m_hints)
        return;
    wxPoint position = CalcUnscrolledPosition(event.GetPosition());
    int row = YToRow(position.y);
    if (row < 0 || m_source->IsInsertedRow(row))
    {
        GetGridWindow()->UnsetToolTip();
        return;
    }
    wxString text = ToWx(m_host->CellHint(row));
    wxToolTip* tip = GetGridWindow()->GetToolTip();
    if (!tip || tip->GetTip() != text)
        GetGridWindow()->SetToolTip(text);
}

void QvGrid::CopyCellToClipboard()
{
    int row = GetGridCursorRow();
    int col = GetGridCursorCol();
    if (row < 0 || col < 0 || !wxTheClipboard->Open())
        return;
    wxTheClipboard->SetData(new wxTextDataObject(GetCellValue(row, col)));
    wxTheClipboard->Close();
}

// ---- events --------------------------------------------------------------------------

void QvGrid::OnKeyDown(wxKeyEvent& event)
{
    int key = event.GetKeyCode();
    if (IsCellEditControlEnabled())
    {
        if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER)
            EditContinue(true);
        else if (key == WXK_TAB)
            EditContinue(false);
        else
            event.Skip();
        return;
    }
    switch (key)
    {
    case WXK_F2:
        StartEdit();
        return;
    case WXK_DELETE:
        DeleteCurrentRow();
        return;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        if (!IsReadOnlyBinding() || !m_host->RowActivated(GetGridCursorRow()))
            OnEnterKey();
        return;
    case WXK_ESCAPE:
        CancelPendingRow();
        return;
    case WXK_TAB:
        if (m_tabTarget)
            m_tabTarget->SetFocus();
        return;
    default:
        break;
    }
    if (key == 'C' && event.ControlDown() && !event.AltDown())
    {
        CopyCellToClipboard();
        return;
    }
    event.Skip();
}

void QvGrid::OnSelectCell(wxGridEvent& event)
{
    event.Skip();
    if (m_quietMove || m_inRowChange)
        return;
    int oldRow = GetGridCursorRow();
    int newRow = event.GetRow();
    if (oldRow == newRow)
        return;
    // The commands that depend on the current row follow it once the cursor has moved.
    CallAfter([this] { m_host->CommandStateChanged(); });
    if (!m_source->HasPending())
        return;
    EndCellEdit();
    m_inRowChange = true;
    bool moved = m_source->RowChange(oldRow, newRow);
    m_inRowChange = false;
    if (!moved)
        event.Veto();
    else if (newRow >= GetNumberRows())
        event.Veto();
}

void QvGrid::OnLabelClick(wxGridEvent& event)
{
    if (event.GetRow() == -1 && event.GetCol() >= 0)
    {
        SortByHeading(event.GetCol());
        return;
    }
    event.Skip();
}

void QvGrid::OnEditorShown(wxGridEvent& event)
{
    event.Skip();
    m_listClosed = false;
    m_host->CommandStateChanged();
}

void QvGrid::OnEditorHidden(wxGridEvent& event)
{
    event.Skip();
    // The value reaches the data source after this event; finish once it has.
    m_editFinishPending = true;
    CallAfter(
        [this]
        {
            if (m_editFinishPending)
                FinishEdit();
            // A pick in a drop list's popup ends the edit while the popup holds the keyboard,
            // which then belongs to no control: it comes back to the grid.
            bool listClosed = std::exchange(m_listClosed, false);
            if (listClosed && !wxWindow::FindFocus() && IsShownOnScreen())
                GetGridWindow()->SetFocus();
        });
}

void QvGrid::OnSize(wxSizeEvent& event)
{
    event.Skip();
    CallAfter(
        [this]
        {
            if (m_bound)
                StretchLastColumn();
        });
}
