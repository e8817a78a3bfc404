#include "app/AppImages.h"

#include <wx/dcmemory.h>

namespace
{
const wxColour Magenta(255, 0, 255);

wxBitmap NewStrip(int count, wxMemoryDC& dc)
{
    wxBitmap strip(16 * count, 16, 24);
    dc.SelectObject(strip);
    dc.SetBackground(wxBrush(Magenta));
    dc.Clear();
    return strip;
}

void DrawPage(wxDC& dc, int x)
{
    dc.SetPen(wxPen(wxColour(80, 80, 80)));
    dc.SetBrush(*wxWHITE_BRUSH);
    wxPoint page[] = {{x + 3, 1}, {x + 10, 1}, {x + 13, 4}, {x + 13, 14}, {x + 3, 14}};
    dc.DrawPolygon(5, page);
    dc.DrawLine(x + 10, 1, x + 10, 4);
    dc.DrawLine(x + 10, 4, x + 13, 4);
    dc.SetPen(wxPen(wxColour(150, 160, 190)));
    for (int y = 6; y <= 12; y += 2)
        dc.DrawLine(x + 5, y, x + 12, y);
}

void DrawArrow(wxDC& dc, int x, bool left)
{
    dc.SetPen(wxPen(wxColour(20, 100, 20)));
    dc.SetBrush(wxBrush(wxColour(60, 170, 60)));
    wxPoint arrow[7];
    if (left)
    {
        wxPoint points[] = {{x + 1, 8},   {x + 7, 2},  {x + 7, 5}, {x + 14, 5},
                            {x + 14, 11}, {x + 7, 11}, {x + 7, 14}};
        std::copy(std::begin(points), std::end(points), arrow);
    }
    else
    {
        wxPoint points[] = {{x + 14, 8}, {x + 8, 2},  {x + 8, 5}, {x + 1, 5},
                            {x + 1, 11}, {x + 8, 11}, {x + 8, 14}};
        std::copy(std::begin(points), std::end(points), arrow);
    }
    dc.DrawPolygon(7, arrow);
}
} // namespace

namespace AppImages
{
wxBitmap ToolBarStrip()
{
    wxMemoryDC dc;
    wxBitmap strip = NewStrip(6, dc);
    // 0 New: a blank page.
    DrawPage(dc, 0);
    // 1 Delete: a red cross.
    dc.SetPen(wxPen(wxColour(200, 30, 30), 3));
    dc.DrawLine(16 + 3, 3, 16 + 13, 13);
    dc.DrawLine(16 + 13, 3, 16 + 3, 13);
    // 2 Print: a printer with paper.
    dc.SetPen(wxPen(wxColour(60, 60, 60)));
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(32 + 4, 1, 8, 6);
    dc.SetBrush(wxBrush(wxColour(170, 170, 170)));
    dc.DrawRectangle(32 + 1, 6, 14, 6);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(32 + 4, 10, 8, 5);
    // 3 Bank: a building with columns.
    dc.SetPen(wxPen(wxColour(70, 70, 110)));
    dc.SetBrush(wxBrush(wxColour(200, 190, 140)));
    wxPoint roof[] = {{48 + 1, 5}, {48 + 8, 1}, {48 + 15, 5}};
    dc.DrawPolygon(3, roof);
    for (int c = 0; c < 4; ++c)
        dc.DrawRectangle(48 + 2 + c * 3 + (c > 1 ? 1 : 0), 6, 2, 7);
    dc.DrawRectangle(48 + 1, 13, 14, 2);
    // 4 Back and 5 Forward: green arrows.
    DrawArrow(dc, 64, true);
    DrawArrow(dc, 80, false);
    dc.SelectObject(wxNullBitmap);
    return strip;
}

wxBitmap TreeStrip()
{
    wxMemoryDC dc;
    wxBitmap strip = NewStrip(2, dc);
    // 0 selected: an open folder; 1 normal: a closed folder.
    dc.SetPen(wxPen(wxColour(150, 110, 20)));
    dc.SetBrush(wxBrush(wxColour(250, 210, 90)));
    dc.DrawRectangle(1, 3, 6, 3);
    dc.DrawRectangle(1, 5, 13, 9);
    dc.SetBrush(wxBrush(wxColour(255, 235, 150)));
    wxPoint flap[] = {{3, 8}, {15, 8}, {13, 14}, {1, 14}};
    dc.DrawPolygon(4, flap);
    dc.SetBrush(wxBrush(wxColour(240, 200, 80)));
    dc.DrawRectangle(16 + 1, 3, 6, 3);
    dc.DrawRectangle(16 + 1, 5, 14, 9);
    dc.SelectObject(wxNullBitmap);
    return strip;
}

wxIcon ProgramIcon(int size)
{
    wxBitmap bitmap(size, size, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(Magenta));
    dc.Clear();
    // A ledger book with a gold coin.
    double s = size / 32.0;
    dc.SetPen(wxPen(wxColour(30, 50, 100)));
    dc.SetBrush(wxBrush(wxColour(50, 90, 170)));
    dc.DrawRoundedRectangle(int(3 * s), int(2 * s), int(20 * s), int(27 * s), 2 * s);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(int(6 * s), int(6 * s), int(14 * s), int(5 * s));
    dc.SetPen(wxPen(wxColour(150, 110, 10)));
    dc.SetBrush(wxBrush(wxColour(245, 200, 50)));
    dc.DrawCircle(int(22 * s), int(21 * s), int(8 * s));
    dc.SetTextForeground(wxColour(150, 110, 10));
    dc.SelectObject(wxNullBitmap);
    bitmap.SetMask(new wxMask(bitmap, Magenta));
    wxIcon icon;
    icon.CopyFromBitmap(bitmap);
    return icon;
}

wxBitmap Cut(const wxBitmap& strip, int index)
{
    int size = strip.GetHeight();
    wxBitmap image = strip.GetSubBitmap(wxRect(index * size, 0, size, size));
    image.SetMask(new wxMask(image, Magenta));
    return image;
}
} // namespace AppImages
