#pragma once

#include <wx/print.h>

#include <vector>

class wxGrid;

/// One page's share of the grid: a range of rows and a range of columns.
struct GridPage
{
    int firstRow;
    int lastRow;
    int firstCol;
    int lastCol;
};

/// Cuts sizes into consecutive bands that each fit the capacity (a band holds at least one
/// item); returns the first and last index of each band. Sizes of 0 join the band before.
std::vector<std::pair<int, int>> CutIntoBands(const std::vector<int>& sizes, int capacity);

/// Prints every column and every row of a grid over as many pages as needed, as the print
/// job "PtrWnd": pages go across the columns first, then down the rows.
class GridPrintout : public wxPrintout
{
public:
    explicit GridPrintout(wxGrid* grid);

    /// Lays the grid out on pages of the given size in grid pixels.
    void Paginate(int pageWidth, int pageHeight);
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    const std::vector<GridPage>& Pages() const { return m_pages; }

    void OnPreparePrinting() override;
    bool HasPage(int page) override;
    void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;
    bool OnPrintPage(int page) override;

private:
    wxGrid* m_grid;
    std::vector<GridPage> m_pages;
};
