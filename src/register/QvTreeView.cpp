#include "register/QvTreeView.h"
#include "gui/WxText.h"

QvTreeView::QvTreeView(wxWindow* parent, wxWindowID id)
    : wxTreeCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_SINGLE | wxBORDER_SUNKEN)
{
}

wxTreeItemId QvTreeView::AddNode(const wxTreeItemId& parent, const std::string& text,
                                 NodeData* data)
{
    wxString label = ToWx(text);
    if (!parent.IsOk())
        return AddRoot(label, 1, 0, data);
    return AppendItem(parent, label, 1, 0, data);
}

wxTreeItemId QvTreeView::InsertSorted(const wxTreeItemId& parent, const std::string& text,
                                      NodeData* data)
{
    wxString label = ToWx(text);
    std::size_t position = 0;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = GetFirstChild(parent, cookie); child.IsOk();
         child = GetNextChild(parent, cookie), ++position)
        if (GetItemText(child).CmpNoCase(label) > 0)
            break;
    return InsertItem(parent, position, label, 1, 0, data);
}

const NodeData* QvTreeView::Data(const wxTreeItemId& item) const
{
    if (!item.IsOk())
        return nullptr;
    return static_cast<const NodeData*>(GetItemData(item));
}

std::string QvTreeView::Text(const wxTreeItemId& item) const
{
    return item.IsOk() ? GetItemText(item).utf8_string() : std::string();
}

wxTreeItemId QvTreeView::FindNode(const std::string& name, int kind) const
{
    wxTreeItemId root = GetRootItem();
    if (!root.IsOk())
        return wxTreeItemId();
    return FindBelow(root, name, kind);
}

wxTreeItemId QvTreeView::FindBelow(const wxTreeItemId& item, const std::string& name,
                                   int kind) const
{
    const NodeData* data = Data(item);
    if (data && data->SameNode(name, kind))
        return item;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = GetFirstChild(item, cookie); child.IsOk();
         child = GetNextChild(item, cookie))
    {
        wxTreeItemId found = FindBelow(child, name, kind);
        if (found.IsOk())
            return found;
    }
    return wxTreeItemId();
}
