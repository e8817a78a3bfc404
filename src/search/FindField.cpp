#include "search/FindField.h"

#include "gui/WxText.h"

#include <wx/combobox.h>
#include <wx/panel.h>
#include <wx/popupwin.h>
#include <wx/stattext.h>

#include <algorithm>

namespace
{
constexpr int FieldWidth = 220;
constexpr int RowHeight = 23;
} // namespace

FindField::FindField(wxWindow* parent, Handlers handlers) : m_handlers(std::move(handlers))
{
    m_field = new wxComboBox(parent, wxID_ANY, "", wxPoint(0, 1), wxSize(FieldWidth, RowHeight), 0,
                             nullptr, wxCB_DROPDOWN | wxTE_PROCESS_ENTER);
    m_field->SetHint("Find");
    m_field->SetToolTip("Find transactions in every account: words, amount:42.17, "
                        "amount:10..50, from:2024-01-01, to:2024-12-31, account:, category:");
    // A window of its own, so that it shows over the pane under the field.
    m_hintWindow = new wxPopupWindow(parent, wxBORDER_SIMPLE);
    m_hintPanel = new wxPanel(m_hintWindow);
    m_hintPanel->SetBackgroundColour(wxColour(255, 255, 225));
    m_hint = new wxStaticText(m_hintPanel, wxID_ANY, "", wxPoint(3, 2));
    m_pause.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { RunSearch(false); });
    m_field->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnTyped(); });
    m_field->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { RunSearch(true); });
    m_field->Bind(wxEVT_KEY_DOWN,
                  [this](wxKeyEvent& event)
                  {
                      bool plainDown = event.GetKeyCode() == WXK_DOWN && !event.HasAnyModifiers();
                      if (!plainDown || !m_handlers.down || !m_handlers.down())
                          event.Skip();
                  });
    // The hint is about what is typed: it goes when the typing does.
    m_field->Bind(wxEVT_KILL_FOCUS,
                  [this](wxFocusEvent& event)
                  {
                      event.Skip();
                      m_hintWindow->Hide();
                  });
}

void FindField::Place(int w)
{
    int x = std::max(0, w - FieldWidth - 4);
    m_field->SetSize(x, 1, FieldWidth, -1);
    if (m_hintWindow->IsShown())
        PlaceHint();
}

void FindField::PlaceHint()
{
    wxSize text = m_hint->GetBestSize();
    int width = std::max(m_field->GetSize().x, text.x + 6);
    wxPoint below =
        m_field->ClientToScreen(wxPoint(m_field->GetSize().x - width, m_field->GetSize().y + 1));
    m_hintWindow->SetSize(below.x, below.y, width, text.y + 4);
    m_hintPanel->SetSize(m_hintWindow->GetClientSize());
}

void FindField::Focus()
{
    m_field->SetFocus();
    m_field->SelectAll();
}

std::string FindField::Text() const
{
    return m_field->GetValue().utf8_string();
}

void FindField::SetHint(const std::string& text)
{
    m_hint->SetLabel(ToWx(text));
    if (text.empty())
    {
        m_hintWindow->Hide();
        return;
    }
    PlaceHint();
    m_hintWindow->Show();
}

std::string FindField::Hint() const
{
    return m_hintWindow->IsShown() ? m_hint->GetLabel().utf8_string() : std::string();
}

void FindField::SetSearches(const std::vector<std::string>& searches)
{
    // Replacing the list keeps what is typed and where the caret is.
    wxString text = m_field->GetValue();
    long from = 0;
    long to = 0;
    m_field->GetSelection(&from, &to);
    // Clearing the list clears the text too, which is no typing.
    m_quiet = true;
    m_field->Clear();
    for (const std::string& search : searches)
        m_field->Append(ToWx(search));
    m_field->ChangeValue(text);
    m_field->SetSelection(from, to);
    m_quiet = false;
}

void FindField::OnTyped()
{
    if (m_quiet)
        return;
    m_pause.StartOnce(PauseMilliseconds);
}

void FindField::RunSearch(bool entered)
{
    m_pause.Stop();
    if (m_handlers.search)
        m_handlers.search(Text(), entered);
}
