#include "register/QvGridEditors.h"

#include <wx/combobox.h>
#include <wx/textctrl.h>

QvCurrencyEditor::QvCurrencyEditor(std::function<wxString(int, int)> plainText)
    : m_plainText(std::move(plainText))
{
}

void QvCurrencyEditor::BeginEdit(int row, int col, wxGrid* grid)
{
    wxGridCellTextEditor::BeginEdit(row, col, grid);
    if (m_plainText)
    {
        Text()->ChangeValue(m_plainText(row, col));
        Text()->SetInsertionPointEnd();
        Text()->SelectAll();
    }
}

QvDropListEditor::QvDropListEditor(const wxArrayString& items, std::function<void()> onKey,
                                   std::function<void()> onCloseUp)
    : wxGridCellChoiceEditor(items, true), m_onKey(std::move(onKey)),
      m_onCloseUp(std::move(onCloseUp))
{
}

void QvDropListEditor::Create(wxWindow* parent, wxWindowID id, wxEvtHandler* evtHandler)
{
    wxGridCellChoiceEditor::Create(parent, id, evtHandler);
    Combo()->Bind(wxEVT_KEY_DOWN,
                  [this](wxKeyEvent& event)
                  {
                      int key = event.GetKeyCode();
                      if (key != WXK_BACK && key != WXK_DELETE && m_onKey)
                          m_onKey();
                      event.Skip();
                  });
}

void QvDropListEditor::BeginEdit(int row, int col, wxGrid* grid)
{
    wxGridCellChoiceEditor::BeginEdit(row, col, grid);
    // Bound after the toolkit's own handler, which ends the edit, so that it runs first.
    Combo()->Unbind(wxEVT_COMBOBOX_CLOSEUP, &QvDropListEditor::OnCloseUp, this);
    Combo()->Bind(wxEVT_COMBOBOX_CLOSEUP, &QvDropListEditor::OnCloseUp, this);
}

void QvDropListEditor::OnCloseUp(wxCommandEvent& event)
{
    if (m_onCloseUp)
        m_onCloseUp();
    event.Skip();
}

void QvDropListEditor::StartingKey(wxKeyEvent& event)
{
    wxChar ch = event.GetUnicodeKey();
    if (ch == WXK_NONE || ch < WXK_SPACE)
    {
        event.Skip();
        return;
    }
    Combo()->SetValue(wxString(ch));
    Combo()->SetInsertionPointEnd();
    if (m_onKey)
        m_onKey();
}
