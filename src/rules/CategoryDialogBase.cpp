#include "rules/CategoryDialogBase.h"

#include <wx/button.h>
#include <wx/panel.h>
#include <wx/sizer.h>

CategoryDialogBase::CategoryDialogBase(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Category Rules", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
{
    auto* buttons = new wxBoxSizer(wxVERTICAL);
    const std::pair<int, const char*> actions[] = {
        {IdNew, "New"}, {IdDelete, "Delete"}, {IdUp, "Up"}, {IdDown, "Down"}};
    for (const auto& [id, label] : actions)
        buttons->Add(new wxButton(this, id, label), 0, wxEXPAND | wxBOTTOM, 4);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, IdClose, "C&lose"), 0, wxEXPAND);

    // Room for the four columns a rule needs; the grid takes the place and its size.
    m_placeholder = new wxPanel(this, IdRulesGrid, wxDefaultPosition,
                                wxSize(GetCharWidth() * 80, GetCharHeight() * 18));
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(m_placeholder, 1, wxEXPAND | wxALL, 8);
    top->Add(buttons, 0, wxEXPAND | wxTOP | wxBOTTOM | wxRIGHT, 8);
    SetSizerAndFit(top);

    // Neither Enter nor the toolkit's own Escape handling may close the dialog: Escape is
    // decided below, and Close applies the rules.
    SetEscapeId(wxID_NONE);
    SetAffirmativeId(wxID_NONE);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnNew(); }, IdNew);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnDelete(); }, IdDelete);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnUp(); }, IdUp);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnDown(); }, IdDown);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnClose(); }, IdClose);
    Bind(wxEVT_CHAR_HOOK, &CategoryDialogBase::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { EndWithoutClose(); });
}

void CategoryDialogBase::ReplaceGridPlaceholder(wxWindow* grid)
{
    grid->SetMinSize(m_placeholder->GetSize());
    GetSizer()->Replace(m_placeholder, grid, true);
    m_placeholder->Destroy();
    m_placeholder = nullptr;
    Layout();
}

void CategoryDialogBase::OnCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE && !EscapeBelongsToFocus())
    {
        EndWithoutClose();
        return;
    }
    event.Skip();
}

void CategoryDialogBase::EndWithoutClose()
{
    if (!WritePendingRow())
        return;
    if (IsModal())
        EndModal(wxID_CANCEL);
    else
        Hide();
}
