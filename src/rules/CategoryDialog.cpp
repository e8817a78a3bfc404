#include "rules/CategoryDialog.h"

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "register/QvGrid.h"
#include "rules/CategoryRuleList.h"
#include "rules/CategoryRules.h"

#include <wx/utils.h>

#include <memory>

CategoryDialog::CategoryDialog(wxWindow* parent, Database& db, UserInterface& ui)
    : CategoryDialogBase(parent), m_db(db), m_ui(ui)
{
    m_grid = new QvGrid(this, IdRulesGrid, this);
    m_grid->SetShading(false);
    ReplaceGridPlaceholder(m_grid);

    auto rules = std::make_unique<Recordset>();
    rules->Open(CategoryRuleListQuery, db, OpenMode::KeysetEdit);
    // A new grid has no row being typed, so the binding always takes.
    static_cast<void>(m_grid->BindRecordset(std::move(rules), CategoryRuleListQuery));
    m_grid->SetColumnHidden(ColumnSequence);
    m_grid->SetColumnHidden(ColumnRowID);
    m_grid->SetWidthFraction(ColumnColumn, 0.2);
    m_grid->SetWidthFraction(ColumnRule, 0.2);
    m_grid->SetWidthFraction(ColumnValue, 0.4);
    for (const char* choice : RuleColumnChoices)
        m_grid->AddDropListItem(ColumnColumn, choice, false);
    m_grid->SetDropList(ColumnColumn);
    for (const char* choice : RuleTestChoices)
        m_grid->AddDropListItem(ColumnRule, choice, false);
    m_grid->SetDropList(ColumnRule);
    // Tab leaves the grid for the buttons rather than staying in it.
    m_grid->SetTabTarget(FindWindow(IdNew));
    m_grid->ForceRefresh();
}

void CategoryDialog::OnNew()
{
    m_grid->StartNewRecord();
}

void CategoryDialog::OnDelete()
{
    // The grid's own delete question is not asked here: the rule simply goes.
    m_grid->GetGridWindow()->SetFocus();
    m_grid->EndCellEdit();
    m_grid->DeleteCurrentRow();
}

void CategoryDialog::OnUp()
{
    m_grid->GetGridWindow()->SetFocus();
    // A rule being typed is stored first: moving re-reads every rule.
    if (!WritePendingRow())
        return;
    int row = m_grid->CurrentRow();
    // Row 0 is the new-record row; the first rule cannot go higher.
    if (row <= 1)
        return;
    SwapRows(row, row - 1);
}

void CategoryDialog::OnDown()
{
    m_grid->GetGridWindow()->SetFocus();
    if (!WritePendingRow())
        return;
    int row = m_grid->CurrentRow();
    if (row <= 0 || row >= m_grid->GetNumberRows() - 1)
        return;
    SwapRows(row, row + 1);
}

void CategoryDialog::SwapRows(int a, int b)
{
    auto number = [this](int row, int col)
    { return static_cast<std::int32_t>(m_grid->CellValue(row, col).ToLong()); };
    SwapCategoryRules(m_db, number(a, ColumnRowID), number(a, ColumnSequence),
                      number(b, ColumnRowID), number(b, ColumnSequence));
    // The moved rule stays the current one.
    static_cast<void>(m_grid->Requery(b - a)); // nothing is pending: the move wrote it first
}

bool CategoryDialog::ValidateRow(int row)
{
    Variant sequence = m_grid->CellValue(row, ColumnSequence);
    if (sequence.IsNull() || sequence.ToLong() == 0)
        m_grid->SetCellVariant(row, ColumnSequence,
                               Variant::FromLong(m_db.NextSequence("CategoryRule")));
    // A text left empty is stored as the empty text, the column's default, not as nothing.
    for (int col : {ColumnColumn, ColumnRule, ColumnValue, ColumnCategory})
        if (m_grid->CellValue(row, col).IsNull())
            m_grid->SetCellVariant(row, col, Variant::FromText(""));
    return true;
}

bool CategoryDialog::WritePendingRow()
{
    return m_grid->WriteRow();
}

void CategoryDialog::OnClose()
{
    wxBusyCursor wait;
    // A rule that cannot be stored keeps the dialog open, so that it is not lost unseen.
    if (!WritePendingRow())
        return;
    ApplyCategoryRules(m_db, m_ui);
    EndModal(wxID_OK);
}

bool CategoryDialog::EscapeBelongsToFocus() const
{
    // In the grid, Escape first ends the edit of a cell, then drops the row being typed.
    return m_grid->HasFocusInside() && (m_grid->IsEditing() || m_grid->HasPendingChanges());
}
