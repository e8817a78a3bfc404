#pragma once

#include <wx/treectrl.h>

#include <string>

/// What a node of the account tree stands for.
class NodeData : public wxTreeItemData
{
public:
    NodeData(std::string nodeName, int nodeKind, std::string nodeAccountId = "",
             int nodeSequence = 0)
        : name(std::move(nodeName)), kind(nodeKind), accountId(std::move(nodeAccountId)),
          sequence(nodeSequence)
    {
    }
    /// Same node: equal names and equal kinds.
    bool SameNode(const std::string& otherName, int otherKind) const
    {
        return name == otherName && kind == otherKind;
    }

    std::string name; ///< type (kind 2), Sequence in decimal (3 to 5), "Transactions" (7)
    int kind;
    std::string accountId; ///< kinds 3 to 5
    int sequence;          ///< kinds 3 to 5
};

/// The account tree: Home, Budget, one node per account type with its accounts, Reports.
class QvTreeView : public wxTreeCtrl
{
public:
    QvTreeView(wxWindow* parent, wxWindowID id);

    /// Appends a node (image 1, image 0 when selected); a null parent makes the root.
    wxTreeItemId AddNode(const wxTreeItemId& parent, const std::string& text, NodeData* data);
    /// Inserts a child among its siblings in the order of their texts, ignoring case.
    wxTreeItemId InsertSorted(const wxTreeItemId& parent, const std::string& text, NodeData* data);
    /// The node's data; nullptr for an invalid item.
    const NodeData* Data(const wxTreeItemId& item) const;
    /// The first node with that name and kind, depth first from the root.
    wxTreeItemId FindNode(const std::string& name, int kind) const;
    /// Text of a node as UTF-8.
    std::string Text(const wxTreeItemId& item) const;

private:
    wxTreeItemId FindBelow(const wxTreeItemId& item, const std::string& name, int kind) const;
};
