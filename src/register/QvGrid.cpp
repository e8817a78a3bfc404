#include "register/QvGrid.h"

#include "data/Regional.h"
#include "gui/WxText.h"
#include "register/QvGridEditors.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{
const wxColour ShadeColour(214, 219, 231);
const wxColour HeaderBackground(123, 134, 156);
constexpr int HeaderRowHeight = 20;
} // namespace

/// Gives every cell its attributes from the grid's column map and row kinds, so that
/// inserting and removing rows never leaves stale attributes behind.
class QvGrid::AttrProvider : public wxGridCellAttrProvider
{
public:
    explicit AttrProvider(QvGrid* grid) : m_grid(grid) {}
    wxGridCellAttr* GetAttr(int row, int col, wxGridCellAttr::wxAttrKind) const override
    {
        return m_grid->MakeAttr(row, col);
    }

private:
    QvGrid* m_grid;
};

QvGrid::QvGrid(wxWindow* parent, wxWindowID id, QvGridHost* host)
    : wxGrid(parent, id, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS | wxBORDER_SUNKEN),
      m_host(host ? host : &m_noHost)
{
    m_source = new CADOImpDatasource(this);
    m_source->SetAttrProvider(new AttrProvider(this));
    SetTable(m_source, true, wxGridSelectCells);
    SetRowLabelSize(16);
    SetColLabelSize(22);
    SetColMinimalAcceptableWidth(1);
    DisableDragRowSize();
    SetCellHighlightPenWidth(2);
    m_boldFont = GetDefaultCellFont();
    m_boldFont.SetWeight(wxFONTWEIGHT_BOLD);

    Bind(wxEVT_KEY_DOWN, &QvGrid::OnKeyDown, this);
    Bind(wxEVT_GRID_SELECT_CELL, &QvGrid::OnSelectCell, this);
    Bind(wxEVT_GRID_LABEL_LEFT_CLICK, &QvGrid::OnLabelClick, this);
    Bind(wxEVT_GRID_EDITOR_SHOWN, &QvGrid::OnEditorShown, this);
    Bind(wxEVT_GRID_EDITOR_HIDDEN, &QvGrid::OnEditorHidden, this);
    Bind(wxEVT_GRID_CELL_CHANGING, &QvGrid::OnCellChanging, this);
    Bind(wxEVT_GRID_CELL_LEFT_DCLICK,
         [this](wxGridEvent& event)
         {
             GoToCell(event.GetRow(), LogicalColumn(event.GetCol()));
             if (!IsReadOnlyBinding() || !m_host->RowActivated(event.GetRow()))
                 StartEdit();
         });
    Bind(wxEVT_GRID_CELL_LEFT_CLICK, &QvGrid::OnCellClick, this);
    Bind(wxEVT_SIZE, &QvGrid::OnSize, this);
    GetGridWindow()->Bind(wxEVT_MOTION, &QvGrid::ShowHint, this);
    TrackFocus();
}

QvGrid::~QvGrid()
{
    if (m_topLevel)
        m_topLevel->Unbind(wxEVT_CHILD_FOCUS, &QvGrid::OnChildFocus, this);
    for (wxGridCellEditor* editor : m_editors)
        if (editor)
            editor->DecRef();
}

// ---- binding and columns -------------------------------------------------------------

bool QvGrid::BindRecordset(std::unique_ptr<Recordset> recordset, const std::string& sql)
{
    if (!WriteRow())
        return false;
    ResetBindingState();
    m_groupAscending = true;
    m_sortCol = -1;
    m_sortAscending = true;
    m_firstComputed = -1;
    EnableHints(false);
    UnsetSortingColumn();
    int fields = recordset ? recordset->FieldCount() : 0;
    m_columns.assign(static_cast<std::size_t>(fields), Column{});
    m_order.resize(static_cast<std::size_t>(fields));
    for (int i = 0; i < fields; ++i)
        m_order[static_cast<std::size_t>(i)] = i;
    m_editors.assign(static_cast<std::size_t>(fields), nullptr);
    ResetColPos();
    if (!m_source->Bind(std::move(recordset), sql))
        return false;
    for (int i = 0; i < fields; ++i)
        if (m_source->GetRecordset()->Field(i).kind == Variant::Kind::Currency)
            SetColumnCurrency(i);
    SetDefaultRowSize(GetDefaultRowSize(), true);
    m_bound = true;
    m_cacheDirty = true;
    if (GetNumberRows() > 0 && GetNumberCols() > 0)
        MoveCursorQuietly(std::clamp(GetGridCursorRow(), 0, GetNumberRows() - 1),
                          std::clamp(GetGridCursorCol(), 0, GetNumberCols() - 1));
    return true;
}

bool QvGrid::ClearBinding()
{
    if (!WriteRow())
        return false;
    ResetBindingState();
    m_bound = false;
    m_columns.clear();
    m_order.clear();
    m_cache.clear();
    return m_source->Bind(nullptr, "");
}

// Ends any cell edit and drops what belonged to the last binding: editors and grouping.
void QvGrid::ResetBindingState()
{
    if (IsCellEditControlEnabled())
        DisableCellEditControl();
    for (wxGridCellEditor* editor : m_editors)
        if (editor)
            editor->DecRef();
    m_editors.clear();
    m_headerRows.clear();
    m_totalsRows.clear();
    m_groupCol = -1;
    m_groupTotalsCols.clear();
}

void QvGrid::RefreshColumnLabels()
{
    // The heading window is only known to the grid as a wxWindow.
    if (wxWindow* labels = GetGridColLabelWindow())
        labels->Refresh();
}

int QvGrid::GridColumn(int col) const
{
    for (std::size_t g = 0; g < m_order.size(); ++g)
        if (m_order[g] == col)
            return static_cast<int>(g);
    return col;
}

int QvGrid::LogicalColumn(int gridCol) const
{
    if (gridCol < 0 || gridCol >= static_cast<int>(m_order.size()))
        return gridCol;
    return m_order[static_cast<std::size_t>(gridCol)];
}

int QvGrid::FieldOfGridColumn(int gridCol)
{
    return LogicalColumn(gridCol);
}

void QvGrid::SetHeading(int col, const wxString& text)
{
    m_source->SetHeading(col, text);
    RefreshColumnLabels();
}

wxString QvGrid::Heading(int col) const
{
    return m_source->Heading(col);
}

void QvGrid::SetColumnHidden(int col)
{
    if (col < 0 || col >= LogicalColumnCount())
        return;
    m_columns[static_cast<std::size_t>(col)].hidden = true;
    SetColSize(GridColumn(col), 0);
}

bool QvGrid::IsColumnHidden(int col) const
{
    return col >= 0 && col < LogicalColumnCount() &&
           m_columns[static_cast<std::size_t>(col)].hidden;
}

bool QvGrid::IsColumnComputed(int col) const
{
    return col >= 0 && col < LogicalColumnCount() &&
           m_columns[static_cast<std::size_t>(col)].computed;
}

int QvGrid::GridWindowWidth() const
{
    // Taken from the grid's own size, which is known at once, rather than from the cell
    // window's, which the toolkit sizes later.
    return std::max(0, GetClientSize().GetWidth() - GetRowLabelSize());
}

void QvGrid::SetWidthFraction(int col, double fraction)
{
    if (col < 0 || col >= LogicalColumnCount() || IsColumnHidden(col))
        return;
    int width = static_cast<int>(std::floor(fraction * GridWindowWidth() + 0.5));
    SetColSize(GridColumn(col), std::max(0, width));
    StretchLastColumn();
}

double QvGrid::WidthFraction(int col) const
{
    int window = GridWindowWidth();
    if (window <= 0)
        return 0;
    return static_cast<double>(ColumnWidth(col)) / window;
}

int QvGrid::ColumnWidth(int col) const
{
    int gridCol = GridColumn(col);
    if (gridCol < 0 || gridCol >= GetNumberCols())
        return 0;
    return GetColSize(gridCol);
}

void QvGrid::StretchLastColumn()
{
    int last = -1;
    for (int g = static_cast<int>(m_order.size()) - 1; g >= 0 && last < 0; --g)
        if (!IsColumnHidden(LogicalColumn(g)))
            last = g;
    if (last < 0 || last >= GetNumberCols())
        return;
    int used = 0;
    for (int g = 0; g < last; ++g)
        used += GetColSize(g);
    SetColSize(last, std::max(0, GridWindowWidth() - used));
}

void QvGrid::SetColumnCurrency(int col)
{
    if (col < 0 || col >= LogicalColumnCount())
        return;
    m_columns[static_cast<std::size_t>(col)].currency = true;
    if (!m_columns[static_cast<std::size_t>(col)].dropList)
    {
        if (m_editors[static_cast<std::size_t>(col)])
            m_editors[static_cast<std::size_t>(col)]->DecRef();
        m_editors[static_cast<std::size_t>(col)] = new QvCurrencyEditor(
            [this](int row, int gridCol) { return PlainEditText(row, gridCol); });
    }
}

void QvGrid::SetColumnReadOnly(int col)
{
    if (col >= 0 && col < LogicalColumnCount())
        m_columns[static_cast<std::size_t>(col)].readOnly = true;
}

void QvGrid::SetColumnRaw(int col)
{
    if (col >= 0 && col < LogicalColumnCount())
        m_columns[static_cast<std::size_t>(col)].raw = true;
}

void QvGrid::SetDropList(int col)
{
    if (col < 0 || col >= LogicalColumnCount())
        return;
    Column& column = m_columns[static_cast<std::size_t>(col)];
    column.dropList = true;
    wxArrayString items;
    for (const wxString& item : column.items)
        items.Add(item);
    wxGridCellEditor*& editor = m_editors[static_cast<std::size_t>(col)];
    if (editor)
        editor->DecRef();
    editor = new QvDropListEditor(
        items, [this, col] { RequestAutoComplete(col); }, [this] { m_listClosed = true; });
}

void QvGrid::AddDropListItem(int col, const wxString& text, bool sort)
{
    if (col < 0 || col >= LogicalColumnCount())
        return;
    std::vector<wxString>& items = m_columns[static_cast<std::size_t>(col)].items;
    items.push_back(text);
    if (sort)
        std::stable_sort(items.begin(), items.end(),
                         [](const wxString& a, const wxString& b) { return a.compare(b) < 0; });
    if (m_columns[static_cast<std::size_t>(col)].dropList && !IsCellEditControlEnabled())
        SetDropList(col);
}

const std::vector<wxString>& QvGrid::DropListItems(int col) const
{
    static const std::vector<wxString> none;
    if (col < 0 || col >= LogicalColumnCount())
        return none;
    return m_columns[static_cast<std::size_t>(col)].items;
}

void QvGrid::SetCheckBoxColumn(int col, int keyCol)
{
    if (col < 0 || col >= LogicalColumnCount() || keyCol < 0 || keyCol >= LogicalColumnCount())
        return;
    Column& column = m_columns[static_cast<std::size_t>(col)];
    column.checkKey = keyCol;
    column.checks.clear();
    for (int row = 0; row < GetNumberRows(); ++row)
        if (!m_source->IsInsertedRow(row))
            column.checks[CheckKey(row, col)] =
                static_cast<std::int16_t>(m_source->GetCell(col, row).ToLong()) == -1;
    // The editor's texts for ticked and not: the default for not ticked is empty.
    wxGridCellBoolEditor::UseStringValues("1", "0");
    wxGridCellEditor*& editor = m_editors[static_cast<std::size_t>(col)];
    if (editor)
        editor->DecRef();
    editor = new wxGridCellBoolEditor;
}

bool QvGrid::IsCheckBoxColumn(int col) const
{
    return col >= 0 && col < LogicalColumnCount() &&
           m_columns[static_cast<std::size_t>(col)].checkKey >= 0;
}

std::string QvGrid::CheckKey(int row, int col) const
{
    return m_source->GetCell(m_columns[static_cast<std::size_t>(col)].checkKey, row).ToText();
}

bool QvGrid::IsChecked(int row, int col) const
{
    if (!IsCheckBoxColumn(col))
        return false;
    const std::map<std::string, bool>& checks = m_columns[static_cast<std::size_t>(col)].checks;
    auto state = checks.find(CheckKey(row, col));
    return state != checks.end() && state->second;
}

void QvGrid::OnCellClick(wxGridEvent& event)
{
    int row = event.GetRow();
    int gridCol = event.GetCol();
    bool current = row == GetGridCursorRow() && gridCol == GetGridCursorCol();
    // The toolkit ticks a box clicked in the current cell; one click ticks any other too.
    if (current || !IsCheckBoxColumn(LogicalColumn(gridCol)) || event.ControlDown() ||
        event.ShiftDown() || m_source->IsInsertedRow(row))
    {
        event.Skip();
        return;
    }
    SetFocus();
    SetGridCursor(row, gridCol);
    if (GetGridCursorRow() == row && GetGridCursorCol() == gridCol)
        TakeCellText(row, gridCol, IsChecked(row, LogicalColumn(gridCol)) ? "0" : "1");
}

bool QvGrid::TakeCellText(int row, int gridCol, const wxString& text)
{
    int col = LogicalColumn(gridCol);
    if (!IsCheckBoxColumn(col) || m_source->IsInsertedRow(row))
        return false;
    m_columns[static_cast<std::size_t>(col)].checks[CheckKey(row, col)] = text == "1";
    RefreshBlock(row, gridCol, row, gridCol);
    return true;
}

int QvGrid::AddComputedColumn()
{
    int col = m_source->AddExtraColumn();
    Column column;
    column.computed = true;
    column.readOnly = true;
    m_columns.push_back(column);
    m_order.push_back(col);
    m_editors.push_back(nullptr);
    if (m_firstComputed < 0)
        m_firstComputed = col;
    m_cacheDirty = true;
    return col;
}

void QvGrid::MoveColumn(int from, int before)
{
    auto at = std::find(m_order.begin(), m_order.end(), from);
    if (at == m_order.end() || from == before)
        return;
    m_order.erase(at);
    auto target = std::find(m_order.begin(), m_order.end(), before);
    m_order.insert(target, from);
    for (int g = 0; g < static_cast<int>(m_order.size()) && g < GetNumberCols(); ++g)
        SetColSize(g, IsColumnHidden(LogicalColumn(g)) ? 0 : GetDefaultColSize());
    RefreshColumnLabels();
}

void QvGrid::PlaceUnderColumn(wxWindow* field, int col)
{
    if (!field)
        return;
    int gridCol = GridColumn(col);
    if (gridCol < 0 || gridCol >= GetNumberCols())
        return;
    int left = GetPosition().x + GetRowLabelSize() + GetColLeft(gridCol);
    int width = std::max(0, GetColSize(gridCol) - 3);
    wxRect rect = field->GetRect();
    field->SetSize(left, rect.y, width, rect.height);
}

void QvGrid::PaintingOff()
{
    ++m_batch;
    BeginBatch();
}

void QvGrid::PaintingOn()
{
    if (m_cacheDirty)
        RecomputeCache();
    if (m_batch > 0)
    {
        --m_batch;
        EndBatch();
    }
    if (m_batch == 0)
        ForceRefresh();
}

void QvGrid::EnableHints(bool on)
{
    m_hints = on;
    if (!on)
        GetGridWindow()->UnsetToolTip();
}

// ---- cells -------------------------------------------------------------------------

wxGridCellAttr* QvGrid::MakeAttr(int row, int gridCol)
{
    auto* attr = new wxGridCellAttr;
    if (m_source->IsInsertedRow(row))
    {
        attr->SetReadOnly();
        if (IsGroupHeaderRow(row))
        {
            // One joined cell across the row shows the group's text.
            if (gridCol == 0)
                attr->SetSize(1, std::max(1, GetNumberCols()));
            else
                attr->SetSize(0, -gridCol);
            attr->SetBackgroundColour(HeaderBackground);
            attr->SetTextColour(*wxWHITE);
            attr->SetFont(m_boldFont);
            return attr;
        }
        if (IsGroupTotalsColumn(LogicalColumn(gridCol)))
        {
            attr->SetFont(m_boldFont);
            attr->SetAlignment(wxALIGN_RIGHT, wxALIGN_CENTRE);
        }
        return attr;
    }
    int col = LogicalColumn(gridCol);
    if (col >= 0 && col < LogicalColumnCount())
    {
        const Column& column = m_columns[static_cast<std::size_t>(col)];
        if (column.currency || column.computed)
            attr->SetAlignment(wxALIGN_RIGHT, wxALIGN_CENTRE);
        if (column.checkKey >= 0)
        {
            attr->SetRenderer(new wxGridCellBoolRenderer);
            attr->SetAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
        }
        if (column.readOnly || column.computed)
            attr->SetReadOnly();
        if (wxGridCellEditor* editor = m_editors[static_cast<std::size_t>(col)])
        {
            editor->IncRef();
            attr->SetEditor(editor);
        }
    }
    if (m_shading && row % 2 == 0)
        attr->SetBackgroundColour(ShadeColour);
    return attr;
}

bool QvGrid::IsGroupHeaderRow(int row) const
{
    return m_source->IsInsertedRow(row) && m_headerRows.count(row) != 0;
}

bool QvGrid::IsGroupTotalsRow(int row) const
{
    return m_source->IsInsertedRow(row) && m_totalsRows.count(row) != 0;
}

wxString QvGrid::FormatValue(const Variant& value, int col) const
{
    if (value.IsNull())
        return wxString();
    bool currency = value.GetKind() == Variant::Kind::Currency ||
                    (col >= 0 && col < LogicalColumnCount() &&
                     m_columns[static_cast<std::size_t>(col)].currency &&
                     value.GetKind() != Variant::Kind::Text);
    if (currency)
    {
        Currency amount = value.ToCurrency();
        if (col >= 0 && col < LogicalColumnCount() && m_columns[static_cast<std::size_t>(col)].raw)
            return ToWx(amount.ToText(DecimalSeparator()));
        return ToWx(FormatCurrency(amount));
    }
    return CADOImpDatasource::DefaultText(value);
}

wxString QvGrid::CellText(int row, int gridCol)
{
    int col = LogicalColumn(gridCol);
    if (m_source->IsInsertedRow(row))
    {
        auto header = m_headerRows.find(row);
        if (header != m_headerRows.end())
            return gridCol == 0 ? header->second : wxString();
        const std::vector<Variant>& totals = CachedValues(row);
        auto at = std::find(m_groupTotalsCols.begin(), m_groupTotalsCols.end(), col);
        std::size_t index = static_cast<std::size_t>(at - m_groupTotalsCols.begin());
        if (at == m_groupTotalsCols.end() || index >= totals.size())
            return wxString();
        return FormatValue(Variant::FromCurrency(totals[index].ToCurrency()), col);
    }
    if (IsCheckBoxColumn(col))
        return IsChecked(row, col) ? "1" : "0";
    if (IsColumnComputed(col))
    {
        const std::vector<Variant>& values = CachedValues(row);
        std::size_t index = static_cast<std::size_t>(col - m_firstComputed);
        return index < values.size() ? FormatValue(values[index], col) : wxString();
    }
    return FormatValue(m_source->GetCell(col, row), col);
}

const std::vector<Variant>& QvGrid::CachedValues(int row) const
{
    static const std::vector<Variant> none;
    if (row < 0 || row >= static_cast<int>(m_cache.size()))
        return none;
    return m_cache[static_cast<std::size_t>(row)];
}

std::string QvGrid::CellTextValue(int row, int col) const
{
    if (IsCheckBoxColumn(col))
        return IsChecked(row, col) ? "1" : "0";
    Variant value = m_source->GetCell(col, row);
    switch (value.GetKind())
    {
    case Variant::Kind::Null:
        return "";
    case Variant::Kind::Currency:
        return value.RawCurrency().ToText(DecimalSeparator());
    case Variant::Kind::Date:
        return FormatShortDate(value.RawDate());
    case Variant::Kind::Long:
        return std::to_string(value.RawLong());
    default:
        return value.ToText();
    }
}

wxString QvGrid::PlainEditText(int row, int gridCol) const
{
    Variant value = m_source->GetCell(LogicalColumn(gridCol), row);
    if (value.IsNull())
        return wxString();
    return ToWx(value.ToCurrency().ToText(DecimalSeparator()));
}

void QvGrid::SetCellVariant(int row, int col, const Variant& value)
{
    m_source->SetCell(col, row, value);
    if (row >= 0 && row < GetNumberRows())
        RefreshBlock(row, 0, row, std::max(0, GetNumberCols() - 1));
}

int QvGrid::CurrentRow() const
{
    if (m_source->HasPending())
        return m_source->PendingRow();
    return GetGridCursorRow();
}

// ---- computed values and grouping ------------------------------------------------------

void QvGrid::RecomputeRow(int row)
{
    if (row < 0 || m_firstComputed < 0 || m_source->IsInsertedRow(row))
        return;
    if (static_cast<int>(m_cache.size()) <= row)
        m_cache.resize(static_cast<std::size_t>(GetNumberRows()));
    std::vector<Variant>& values = m_cache[static_cast<std::size_t>(row)];
    values.clear();
    for (int col = m_firstComputed; col < LogicalColumnCount(); ++col)
        values.push_back(m_host->ComputedCell(row, col));
}

void QvGrid::RecomputeCache()
{
    m_cacheDirty = false;
    m_cache.assign(static_cast<std::size_t>(std::max(0, GetNumberRows())), {});
    if (m_firstComputed < 0 && m_totalsRows.empty())
        return;
    for (int row = 0; row < GetNumberRows(); ++row)
    {
        if (IsGroupTotalsRow(row))
        {
            std::string group = m_totalsRows[row].utf8_string();
            std::vector<Variant>& totals = m_cache[static_cast<std::size_t>(row)];
            for (int col : m_groupTotalsCols)
                totals.push_back(
                    Variant::FromCurrency(m_host->GroupTotal(group, col).ToCurrency()));
        }
        else if (!m_source->IsInsertedRow(row))
            RecomputeRow(row);
    }
}

wxString QvGrid::GroupTextOfRow(int row) const
{
    return ToWx(m_source->GetCell(m_groupCol, row).ToText());
}

bool QvGrid::IsGroupTotalsColumn(int col) const
{
    return std::find(m_groupTotalsCols.begin(), m_groupTotalsCols.end(), col) !=
           m_groupTotalsCols.end();
}

void QvGrid::GroupBy(int col, const std::vector<int>& totalsColumns)
{
    m_groupCol = col;
    m_groupTotalsCols = totalsColumns;
    m_groupAscending = true;
    RebuildGrouping();
}

void QvGrid::RebuildGrouping()
{
    m_source->RemoveGridRows();
    m_headerRows.clear();
    m_totalsRows.clear();
    m_source->Reread();
    SetDefaultRowSize(GetDefaultRowSize(), true);
    m_cacheDirty = true;
    if (m_groupCol < 0)
        return;
    struct Group
    {
        int first;
        int last;
    };
    std::vector<Group> groups;
    wxString previous;
    for (int row = 1; row < GetNumberRows(); ++row)
    {
        wxString text = GroupTextOfRow(row);
        if (groups.empty() || text != previous)
            groups.push_back({row, row});
        else
            groups.back().last = row;
        previous = text;
    }
    // From the bottom up, so that the rows of the groups above keep their numbers.
    for (auto group = groups.rbegin(); group != groups.rend(); ++group)
    {
        m_source->InsertGridRow(group->last + 1);
        m_source->InsertGridRow(group->first);
    }
    ClassifyInsertedRows();
}

void QvGrid::ClassifyInsertedRows()
{
    m_headerRows.clear();
    m_totalsRows.clear();
    int rows = GetNumberRows();
    for (int row = 0; row < rows; ++row)
    {
        if (!m_source->IsInsertedRow(row))
            continue;
        if (row + 1 < rows && !m_source->IsInsertedRow(row + 1))
        {
            m_headerRows[row] = GroupTextOfRow(row + 1);
            SetRowSize(row, HeaderRowHeight);
        }
        else if (row > 0)
            m_totalsRows[row] = GroupTextOfRow(row - 1);
    }
}

bool QvGrid::Requery(int offset)
{
    if (!WriteRow() || !m_source->Requery())
        return false;
    Reload(offset);
    return true;
}

void QvGrid::Reload(int offset)
{
    PaintingOff();
    int target = GetGridCursorRow() + offset;
    if (m_groupCol >= 0)
        RebuildGrouping();
    else
        m_source->Reread();
    int last = GetNumberRows() - 1;
    if (!m_inRowChange && last >= 0 && GetNumberCols() > 0)
        MoveCursorQuietly(std::clamp(target, 0, last),
                          std::clamp(GetGridCursorCol(), 0, GetNumberCols() - 1));
    m_host->CommandStateChanged();
    m_cacheDirty = true;
    PaintingOn();
}

// ---- data source notices -----------------------------------------------------------

void QvGrid::RewriteSortOrder(std::string& order)
{
    order = m_host->SortOrder(order, m_groupCol >= 0, m_groupAscending);
}

bool QvGrid::BeforeWrite()
{
    if (m_host->ValidateRow(m_source->PendingRow()))
        return true;
    int row = m_source->PendingRow();
    // Back into the row in error, editing the column the host chose.
    CallAfter(
        [this, row]
        {
            if (row < 0 || row >= GetNumberRows() || !m_source->HasPending())
                return;
            MoveCursorQuietly(row, GetGridCursorCol());
            if (!IsCellEditControlEnabled() && CanEnableCellControl())
                EnableCellEditControl();
        });
    return false;
}

void QvGrid::WriteFailed(std::string& prompt)
{
    // No prompt: the user stays on the row until it can be written or Esc drops it.
    prompt.clear();
}

void QvGrid::RowStored()
{
    m_host->RowStored(m_source->PendingRow());
}

void QvGrid::RecordDeleting(int row)
{
    m_host->RowDeleting(row);
}

void QvGrid::RowWritten()
{
    m_host->RowsWritten();
    Reload(0);
}

void QvGrid::Sorted()
{
    if (m_groupCol >= 0)
        RebuildGrouping();
    m_cacheDirty = true;
}
