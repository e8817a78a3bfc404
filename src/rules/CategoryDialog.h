#pragma once

#include "rules/CategoryDialogBase.h"

class Database;
class QvGrid;
class UserInterface;

/// The Category Rules dialog: the rules in a grid bound to the CategoryRule table, edited in
/// place, added, deleted and moved up and down; Close applies them to every uncategorised
/// transaction. A rule being typed is stored whichever way the dialog ends; Escape and the
/// close box only skip the applying.
class CategoryDialog : public CategoryDialogBase
{
public:
    /// Grid columns, in the order of the rule list's query.
    enum Column
    {
        ColumnColumn = 0,
        ColumnRule = 1,
        ColumnValue = 2,
        ColumnCategory = 3,
        ColumnSequence = 4,
        ColumnRowID = 5
    };

    /// Opens the rules grid; ui reports what the rule engine finds wrong.
    CategoryDialog(wxWindow* parent, Database& db, UserInterface& ui);

    QvGrid& Grid() const { return *m_grid; }

protected:
    void OnNew() override;
    void OnDelete() override;
    void OnUp() override;
    void OnDown() override;
    void OnClose() override;
    bool EscapeBelongsToFocus() const override;
    bool WritePendingRow() override;
    /// A rule not stored yet is placed after every other one.
    bool ValidateRow(int row) override;

private:
    /// Exchanges the places of the rules in grid rows a (the current one) and b.
    void SwapRows(int a, int b);

    Database& m_db;
    UserInterface& m_ui;
    QvGrid* m_grid = nullptr;
};
