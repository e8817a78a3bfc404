#include "register/CADOImpDatasource.h"

#include "base/AppText.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Regional.h"
#include "gui/WxText.h"

#include <wx/msgdlg.h>

#include <cctype>
#include <cmath>

namespace
{
using Kind = Variant::Kind;

/// Reads typed text as a value of the field's kind; nothing when it fits none.
std::optional<Variant> ConvertTyped(const std::string& text, Kind kind)
{
    std::string trimmed = text;
    while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.back())))
        trimmed.pop_back();
    while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.front())))
        trimmed.erase(trimmed.begin());
    if (trimmed.empty())
        return Variant();
    switch (kind)
    {
    case Kind::Currency:
        if (auto value = ParseCurrency(trimmed))
            return Variant::FromCurrency(*value);
        if (auto value = Currency::Parse(trimmed))
            return Variant::FromCurrency(*value);
        return std::nullopt;
    case Kind::Long:
        if (auto value = ParseNumber(trimmed))
            return Variant::FromLong(std::llround(*value));
        return std::nullopt;
    case Kind::Single:
    case Kind::Double:
        if (auto value = ParseNumber(trimmed))
            return kind == Kind::Single ? Variant::FromSingle(*value) : Variant::FromDouble(*value);
        return std::nullopt;
    case Kind::Date:
        if (auto value = ParseDate(trimmed))
            return Variant::FromDate(*value);
        return std::nullopt;
    case Kind::Bool:
        return Variant::FromBool(trimmed == "1" || trimmed == "-1" || trimmed == "Yes" ||
                                 trimmed == "True" || trimmed == "true");
    case Kind::Text:
    case Kind::Null:
        return Variant::FromText(text);
    }
    return std::nullopt;
}
} // namespace

CADOImpDatasource::CADOImpDatasource(Listener* listener) : m_listener(listener) {}

CADOImpDatasource::~CADOImpDatasource() = default;

bool CADOImpDatasource::Bind(std::unique_ptr<Recordset> recordset, const std::string& sql)
{
    if (!WriteBeforeReplacing())
        return false;
    m_recordset.reset();
    m_cache.clear();
    m_recordsRead = 0;
    m_extraCols = 0;
    m_recordset = std::move(recordset);
    // A result set that cannot be changed has no new-record row and deletes nothing.
    m_editing = m_recordset && (m_recordset->Mode() == OpenMode::KeysetLock ||
                                m_recordset->Mode() == OpenMode::KeysetEdit);
    m_fieldCount = m_recordset ? m_recordset->FieldCount() : 0;
    m_headings.assign(static_cast<std::size_t>(m_fieldCount), wxString());
    for (int i = 0; i < m_fieldCount; ++i)
        m_headings[static_cast<std::size_t>(i)] = ToWx(ColumnName(i));
    m_query = SplitQuery(sql);
    ReadBlock();
    SyncGridSize();
    return true;
}

bool CADOImpDatasource::WriteBeforeReplacing()
{
    return !HasPending() || WritePendingRow() == 0;
}

void CADOImpDatasource::ReadBlock()
{
    m_cache.clear();
    m_recordsRead = 0;
    if (m_recordset && m_recordset->RecordCount() > 0)
    {
        // One read of every record from the first: scrolling never reads again.
        std::size_t count = m_recordset->RecordCount();
        m_cache.reserve(count * static_cast<std::size_t>(m_fieldCount));
        for (std::size_t r = 0; r < count; ++r)
        {
            m_recordset->SetAbsolutePosition(r);
            for (int f = 0; f < m_fieldCount; ++f)
                m_cache.push_back(m_recordset->GetValue(f));
        }
        m_recordsRead = static_cast<int>(count);
    }
    RebuildRowMap();
}

void CADOImpDatasource::RebuildRowMap()
{
    m_rowMap.clear();
    if (!m_recordset)
        return;
    bool newRow = Editable() && m_newRowAtTop;
    if (newRow)
        m_rowMap.push_back(NewRecord);
    for (int r = 0; r < m_recordsRead; ++r)
        m_rowMap.push_back(r);
}

bool CADOImpDatasource::Editable() const
{
    return m_editing;
}

void CADOImpDatasource::Reread()
{
    if (!m_recordset)
        return;
    // The grid's own rows go first, with their notices, so that its row sizes stay in step.
    RemoveGridRows();
    ReadBlock();
    SyncGridSize();
}

bool CADOImpDatasource::Requery()
{
    if (!m_recordset)
        return true;
    if (!WriteBeforeReplacing())
        return false;
    m_recordset->Requery();
    Reread();
    return true;
}

void CADOImpDatasource::SyncGridSize()
{
    wxGrid* grid = GetView();
    int rows = GetNumberRows();
    int cols = GetNumberCols();
    if (!grid)
    {
        m_gridRows = rows;
        m_gridCols = cols;
        return;
    }
    if (cols > m_gridCols)
    {
        wxGridTableMessage msg(this, wxGRIDTABLE_NOTIFY_COLS_APPENDED, cols - m_gridCols);
        grid->ProcessTableMessage(msg);
    }
    else if (cols < m_gridCols)
    {
        wxGridTableMessage msg(this, wxGRIDTABLE_NOTIFY_COLS_DELETED, cols, m_gridCols - cols);
        grid->ProcessTableMessage(msg);
    }
    m_gridCols = cols;
    if (rows > m_gridRows)
    {
        wxGridTableMessage msg(this, wxGRIDTABLE_NOTIFY_ROWS_APPENDED, rows - m_gridRows);
        grid->ProcessTableMessage(msg);
    }
    else if (rows < m_gridRows)
    {
        wxGridTableMessage msg(this, wxGRIDTABLE_NOTIFY_ROWS_DELETED, rows, m_gridRows - rows);
        grid->ProcessTableMessage(msg);
    }
    m_gridRows = rows;
}

int CADOImpDatasource::RowCount() const
{
    return m_recordset ? static_cast<int>(m_rowMap.size()) : -1;
}

int CADOImpDatasource::FieldCount() const
{
    return m_recordset ? m_fieldCount : -1;
}

std::string CADOImpDatasource::ColumnName(int col) const
{
    if (!m_recordset || col < 0 || col >= m_fieldCount)
        return "";
    return m_recordset->Field(col).name;
}

int CADOImpDatasource::RecordOfRow(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_rowMap.size()))
        return InsertedRow;
    return m_rowMap[static_cast<std::size_t>(row)];
}

Variant CADOImpDatasource::GetCell(int col, int row) const
{
    if (!m_recordset || col < 0 || col >= m_fieldCount)
        return Variant();
    if (row == m_pending.Row())
        if (auto value = m_pending.Value(col))
            return *value;
    int record = RecordOfRow(row);
    if (record < 0 || record >= m_recordsRead)
        return Variant();
    return m_cache[static_cast<std::size_t>(col) +
                   static_cast<std::size_t>(record) * static_cast<std::size_t>(m_fieldCount)];
}

bool CADOImpDatasource::SetCellText(int col, int row, const std::string& text)
{
    if (!m_recordset || col < 0 || col >= m_fieldCount || IsInsertedRow(row))
        return false;
    std::optional<Variant> value = ConvertTyped(text, m_recordset->Field(col).kind);
    if (!value)
        return false;
    SetCell(col, row, *value);
    return true;
}

std::string CADOImpDatasource::RefusalOf(int col, const std::string& text) const
{
    if (!m_recordset || col < 0 || col >= m_fieldCount)
        return {};
    Kind kind = m_recordset->Field(col).kind;
    if (ConvertTyped(text, kind))
        return {};
    const char* expected = kind == Kind::Currency ? "an amount"
                           : kind == Kind::Date   ? "a date"
                                                  : "a number";
    return "\"" + text + "\" is not " + expected + ".";
}

void CADOImpDatasource::SetCell(int col, int row, const Variant& value)
{
    if (!m_recordset || col < 0 || col >= m_fieldCount || IsInsertedRow(row))
        return;
    if (GetCell(col, row) == value)
        return;
    // Another row's changes are written before this row's begin; they are never dropped.
    if (m_pending.Row() != row)
    {
        if (!WriteBeforeReplacing())
            return;
        m_pending.SetRow(row);
    }
    m_pending.Set(col, value);
    ++m_pendingCount;
}

void CADOImpDatasource::DiscardPending()
{
    m_pending.Clear();
    m_pendingCount = 0;
}

bool CADOImpDatasource::RowChange(int oldRow, [[maybe_unused]] int newRow)
{
    if (!HasPending())
        return true;
    if (WritePendingRow() == 0)
        return true;
    std::string prompt = "An error occured while updating the database.\nDo you want to lose "
                         "changes and continue to another record?";
    if (m_listener)
        m_listener->WriteFailed(prompt);
    if (!prompt.empty() && wxMessageBox(ToWx(prompt), "Error while updating.",
                                        wxYES_NO | wxICON_QUESTION, GetView()) == wxYES)
    {
        DiscardPending();
        return true;
    }
    if (GetView() && oldRow >= 0)
        GetView()->RefreshBlock(oldRow, 0, oldRow, std::max(0, GetNumberCols() - 1));
    return false;
}

int CADOImpDatasource::WritePendingRow()
{
    if (!m_recordset || !HasPending())
        return m_recordset ? 0 : 1;
    m_lastError.clear();
    // What the row's rules change before the write (a budget line the row takes the place
    // of, a category's budget line) and the write itself stand or fall together.
    Transaction transaction(m_recordset->Owner());
    if (m_listener && !m_listener->BeforeWrite())
        return 1;
    try
    {
        int record = RecordOfRow(m_pending.Row());
        if (record == InsertedRow)
            return 1;
        if (record == NewRecord)
            m_recordset->AddNew();
        else
            m_recordset->SetAbsolutePosition(static_cast<std::size_t>(record));
        for (int f = 0; f < m_fieldCount; ++f)
        {
            std::optional<Variant> value = m_pending.Value(f);
            // Computed fields (an account's TotBalance) have no column to write to.
            if (value && !m_recordset->Field(f).originColumn.empty())
                m_recordset->SetValue(f, *value);
        }
        m_recordset->Update();
        if (m_listener)
            m_listener->RowStored();
        transaction.Commit();
        DiscardPending();
        // Re-run so that the new record takes its place in the query's order.
        m_recordset->Requery();
    }
    catch (const DatabaseError& error)
    {
        m_lastError = GetComExceptionMessage(error);
        if (m_recordset->IsEditing())
            m_recordset->CancelUpdate();
        return 1;
    }
    Reread();
    if (m_listener)
        m_listener->RowWritten();
    return 0;
}

int CADOImpDatasource::DeleteRow(int row)
{
    if (!m_recordset || !Editable())
        return 1;
    int record = RecordOfRow(row);
    if (record < 0)
        return 1;
    if (m_pending.Row() == row)
        DiscardPending(); // the row's own changes go with it
    try
    {
        Transaction transaction(m_recordset->Owner());
        if (m_listener)
            m_listener->RecordDeleting(row);
        m_recordset->SetAbsolutePosition(static_cast<std::size_t>(record));
        m_recordset->Delete();
        transaction.Commit();
    }
    catch (const DatabaseError& error)
    {
        m_lastError = GetComExceptionMessage(error);
        if (m_recordset->IsEditing())
            m_recordset->CancelUpdate();
        return 1;
    }
    Reread();
    return 0;
}

bool CADOImpDatasource::SortBy(const std::vector<int>& cols, const std::vector<bool>& ascending)
{
    if (!m_recordset)
        return false;
    std::vector<std::string> names;
    for (int col : cols)
        names.push_back(ColumnName(col));
    std::string order = BuildOrderText(names, ascending);
    if (m_listener)
        m_listener->RewriteSortOrder(order);
    QueryParts parts = m_query;
    parts.order = order;
    Database& owner = m_recordset->Owner();
    OpenMode mode = m_recordset->Mode();
    if (!WriteBeforeReplacing())
        return false;
    try
    {
        m_recordset->Open(JoinQuery(parts), owner, mode);
        m_query = parts;
    }
    catch (const DatabaseError& error)
    {
        m_lastError = error.Description();
        wxMessageBox(ToWx(m_lastError), MessageCaption, wxOK | wxICON_ERROR, GetView());
        // The grid stays usable on the query it showed before.
        m_recordset->Open(JoinQuery(m_query), owner, mode);
        Reread();
        return false;
    }
    Reread();
    if (m_listener)
        m_listener->Sorted();
    return true;
}

void CADOImpDatasource::SetOption(int code, long value)
{
    switch (code)
    {
    case OptionEditing:
        m_editing = value != 0;
        break;
    case OptionNewRowAtTop:
        m_newRowAtTop = value != 0;
        break;
    case OptionBlockSize:
        m_blockSize = value;
        break;
    case OptionAppend:
        m_appendAllowed = value != 0;
        break;
    default:
        break;
    }
}

long CADOImpDatasource::GetOption(int code) const
{
    switch (code)
    {
    case OptionEditing:
        return m_editing;
    case OptionNewRowAtTop:
        return m_newRowAtTop;
    case OptionBlockSize:
        return m_blockSize;
    case OptionAppend:
        return m_appendAllowed;
    default:
        return 0;
    }
}

void CADOImpDatasource::InsertGridRow(int row)
{
    if (row < 0 || row > static_cast<int>(m_rowMap.size()))
        return;
    m_rowMap.insert(m_rowMap.begin() + row, InsertedRow);
    if (m_pending.Row() >= row)
        m_pending.SetRow(m_pending.Row() + 1);
    if (wxGrid* grid = GetView())
    {
        wxGridTableMessage msg(this, wxGRIDTABLE_NOTIFY_ROWS_INSERTED, row, 1);
        grid->ProcessTableMessage(msg);
    }
    ++m_gridRows;
}

void CADOImpDatasource::RemoveGridRows()
{
    for (int row = static_cast<int>(m_rowMap.size()) - 1; row >= 0; --row)
    {
        if (m_rowMap[static_cast<std::size_t>(row)] != InsertedRow)
            continue;
        m_rowMap.erase(m_rowMap.begin() + row);
        if (m_pending.Row() > row)
            m_pending.SetRow(m_pending.Row() - 1);
        if (wxGrid* grid = GetView())
        {
            wxGridTableMessage msg(this, wxGRIDTABLE_NOTIFY_ROWS_DELETED, row, 1);
            grid->ProcessTableMessage(msg);
        }
        --m_gridRows;
    }
}

int CADOImpDatasource::AddExtraColumn()
{
    ++m_extraCols;
    m_headings.emplace_back();
    SyncGridSize();
    return m_fieldCount + m_extraCols - 1;
}

wxString CADOImpDatasource::DefaultText(const Variant& value)
{
    switch (value.GetKind())
    {
    case Kind::Null:
        return wxString();
    case Kind::Currency:
        return ToWx(FormatCurrency(value.RawCurrency()));
    case Kind::Date:
        return ToWx(FormatShortDate(value.RawDate()));
    case Kind::Long:
        return wxString::Format("%lld", static_cast<long long>(value.RawLong()));
    default:
        return ToWx(value.ToText());
    }
}

int CADOImpDatasource::GetNumberRows()
{
    return static_cast<int>(m_rowMap.size());
}

int CADOImpDatasource::GetNumberCols()
{
    return m_recordset ? m_fieldCount + m_extraCols : 0;
}

wxString CADOImpDatasource::GetValue(int row, int col)
{
    if (m_listener)
        return m_listener->CellText(row, col);
    return DefaultText(GetCell(col, row));
}

void CADOImpDatasource::SetValue(int row, int col, const wxString& value)
{
    if (m_listener && m_listener->TakeCellText(row, col, value))
        return;
    int field = m_listener ? m_listener->FieldOfGridColumn(col) : col;
    SetCellText(field, row, value.utf8_string());
}

bool CADOImpDatasource::IsEmptyCell(int row, int col)
{
    return GetValue(row, col).empty();
}

wxString CADOImpDatasource::GetColLabelValue(int col)
{
    return Heading(m_listener ? m_listener->FieldOfGridColumn(col) : col);
}

void CADOImpDatasource::SetColLabelValue(int col, const wxString& label)
{
    SetHeading(m_listener ? m_listener->FieldOfGridColumn(col) : col, label);
}

void CADOImpDatasource::SetHeading(int col, const wxString& text)
{
    if (col >= 0 && col < static_cast<int>(m_headings.size()))
        m_headings[static_cast<std::size_t>(col)] = text;
}

wxString CADOImpDatasource::Heading(int col) const
{
    if (col < 0 || col >= static_cast<int>(m_headings.size()))
        return wxString();
    return m_headings[static_cast<std::size_t>(col)];
}

wxString CADOImpDatasource::GetRowLabelValue(int row)
{
    wxGrid* grid = GetView();
    if (grid && grid->GetGridCursorRow() == row)
        return m_rowMarker;
    return wxString();
}
