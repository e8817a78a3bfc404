#include "grid/GridPrintout.h"

#include <wx/grid.h>

#include <algorithm>

std::vector<std::pair<int, int>> CutIntoBands(const std::vector<int>& sizes, int capacity)
{
    std::vector<std::pair<int, int>> bands;
    int used = 0;
    for (int i = 0; i < static_cast<int>(sizes.size()); ++i)
    {
        int size = sizes[static_cast<std::size_t>(i)];
        if (bands.empty() || (size > 0 && used + size > capacity && used > 0))
        {
            bands.push_back({i, i});
            used = size;
        }
        else
        {
            bands.back().second = i;
            used += size;
        }
    }
    return bands;
}

GridPrintout::GridPrintout(wxGrid* grid) : wxPrintout("PtrWnd"), m_grid(grid) {}

void GridPrintout::Paginate(int pageWidth, int pageHeight)
{
    m_pages.clear();
    std::vector<int> widths;
    for (int col = 0; col < m_grid->GetNumberCols(); ++col)
        widths.push_back(m_grid->GetColSize(col));
    std::vector<int> heights;
    for (int row = 0; row < m_grid->GetNumberRows(); ++row)
        heights.push_back(m_grid->GetRowSize(row));
    auto columns = CutIntoBands(widths, std::max(1, pageWidth - m_grid->GetRowLabelSize()));
    auto rows = CutIntoBands(heights, std::max(1, pageHeight - m_grid->GetColLabelSize()));
    for (const auto& rowBand : rows)
        for (const auto& colBand : columns)
            m_pages.push_back({rowBand.first, rowBand.second, colBand.first, colBand.second});
    if (m_pages.empty())
        m_pages.push_back({0, -1, 0, -1});
}

void GridPrintout::OnPreparePrinting()
{
    MapScreenSizeToPage();
    wxRect page = GetLogicalPageRect();
    Paginate(page.width, page.height);
}

bool GridPrintout::HasPage(int page)
{
    return page >= 1 && page <= PageCount();
}

void GridPrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo)
{
    *minPage = 1;
    *maxPage = std::max(1, PageCount());
    *pageFrom = 1;
    *pageTo = *maxPage;
}

bool GridPrintout::OnPrintPage(int page)
{
    wxDC* dc = GetDC();
    if (!dc || !HasPage(page))
        return false;
    MapScreenSizeToPage();
    const GridPage& part = m_pages[static_cast<std::size_t>(page - 1)];
    if (part.lastRow < part.firstRow || part.lastCol < part.firstCol)
        return true;
    m_grid->Render(*dc, wxPoint(0, 0), wxDefaultSize,
                   wxGridCellCoords(part.firstRow, part.firstCol),
                   wxGridCellCoords(part.lastRow, part.lastCol),
                   wxGRID_DRAW_ROWS_HEADER | wxGRID_DRAW_COLS_HEADER | wxGRID_DRAW_CELL_LINES |
                       wxGRID_DRAW_BOX_RECT);
    return true;
}
