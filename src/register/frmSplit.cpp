#include "register/frmSplit.h"

#include "gui/DialogButtons.h"
#include "gui/WxText.h"
#include "data/DatabaseError.h"
#include "data/Regional.h"
#include "data/TextEncoding.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <optional>

namespace
{
const int SpinLimit = 1000000000;

// The units rounded to a multiple of step, halves to even, as currency rounding does.
std::int64_t RoundUnits(std::int64_t units, std::int64_t step)
{
    std::int64_t quotient = units / step;
    std::int64_t remainder = units % step;
    std::int64_t twice = 2 * (remainder < 0 ? -remainder : remainder);
    int sign = units < 0 ? -1 : 1;
    if (twice > step || (twice == step && quotient % 2 != 0))
        quotient += sign;
    return quotient * step;
}

wxString AmountText(Currency amount)
{
    return ToWx(amount.ToText(DecimalSeparator()));
}

// The second amount, when its text is a currency value.
std::optional<Currency> ReadAmount(const wxString& text)
{
    return ParseCurrency(text.utf8_string());
}
} // namespace

frmSplit::frmSplit(wxWindow* parent, const Variant& total, const std::string& description)
    : wxDialog(parent, wxID_ANY, "Split Transaction"),
      m_total(total.IsNull() ? Currency() : total.ToCurrency())
{
    CreateControls(description);
    Initialise();
    m_secondText->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { Recompute(); });
    m_secondText->Bind(wxEVT_KEY_DOWN, &frmSplit::OnSecondKey, this);
    m_spinner->Bind(wxEVT_SPIN, [this](wxSpinEvent& event) { WritePosition(event.GetPosition()); });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnOk(); }, wxID_OK);
}

void frmSplit::CreateControls(const std::string& description)
{
    auto* top = new wxBoxSizer(wxVERTICAL);
    // The description shown as it is: an "&" in it is no mnemonic.
    auto* text = new wxStaticText(this, IdSplitDescription,
                                  wxControl::EscapeMnemonics(ToWx(ToValidUtf8(description))));
    text->Wrap(FromDIP(320));
    top->Add(text, 0, wxALL, 8);
    top->Add(new wxStaticLine(this, IdSplitLine), 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

    // Wide enough for the largest amount the spin button gives.
    wxSize amountSize(GetTextExtent("-1,000,000,000.0000").x + FromDIP(16), -1);
    auto* rows = new wxFlexGridSizer(2, 6, 8);
    rows->AddGrowableCol(1);
    auto addRow = [this, rows](int id, const char* label, wxSizer* control)
    {
        rows->Add(new wxStaticText(this, id, label), 0, wxALIGN_CENTER_VERTICAL);
        rows->Add(control, 1, wxEXPAND);
    };
    m_firstText = new wxTextCtrl(this, IdFirstAmount, "", wxDefaultPosition, amountSize,
                                 wxTE_READONLY | wxTE_RIGHT);
    auto* first = new wxBoxSizer(wxHORIZONTAL);
    first->Add(m_firstText, 1, wxEXPAND);
    addRow(1029, "First amount:", first);

    m_secondText =
        new wxTextCtrl(this, IdSecondAmount, "", wxDefaultPosition, amountSize, wxTE_RIGHT);
    m_spinner = new wxSpinButton(this, IdSecondSpinner, wxDefaultPosition, wxDefaultSize,
                                 wxSP_VERTICAL | wxSP_ARROW_KEYS);
    auto* second = new wxBoxSizer(wxHORIZONTAL);
    second->Add(m_secondText, 1, wxEXPAND);
    second->Add(m_spinner, 0, wxEXPAND);
    addRow(1030, "Second amount:", second);

    m_totalText = new wxTextCtrl(this, IdSplitTotal, "", wxDefaultPosition, amountSize,
                                 wxTE_READONLY | wxTE_RIGHT);
    auto* total = new wxBoxSizer(wxHORIZONTAL);
    total->Add(m_totalText, 1, wxEXPAND);
    addRow(1031, "Total:", total);
    top->Add(rows, 0, wxEXPAND | wxALL, 8);

    m_ok = AddOkCancelButtons(this, top);
    SetSizerAndFit(top);
}

void frmSplit::Initialise()
{
    m_spinner->SetRange(-SpinLimit, SpinLimit);
    // Half the total, shown to the cent; the spin button starts at its whole number.
    std::int64_t half = RoundUnits(m_total.Units(), 2) / 2;
    std::int64_t whole = RoundUnits(half, Currency::Scale) / Currency::Scale;
    m_spinner->SetValue(static_cast<int>(std::clamp<std::int64_t>(whole, -SpinLimit, SpinLimit)));
    m_secondText->ChangeValue(AmountText(Currency::FromUnits(RoundUnits(half, 100))));
    m_secondText->SetFocus();
    m_secondText->SelectAll();
    m_totalText->ChangeValue(AmountText(m_total));
    m_initialised = true;
    Recompute();
}

void frmSplit::Recompute()
{
    if (!m_initialised)
        return;
    std::optional<Currency> second = ReadAmount(m_secondText->GetValue());
    std::optional<Currency> first;
    if (second)
    {
        try
        {
            first = m_total - *second;
        }
        catch (const DatabaseError&)
        {
            // A second amount so large that the first leaves the currency range.
        }
    }
    m_ok->Enable(first.has_value());
    if (!first)
        return;
    m_first = *first;
    m_second = *second;
    m_firstText->ChangeValue(AmountText(m_first));
    // The spin button goes on from the amount typed.
    std::int64_t whole = RoundUnits(m_second.Units(), Currency::Scale) / Currency::Scale;
    if (whole >= -SpinLimit && whole <= SpinLimit)
        m_spinner->SetValue(static_cast<int>(whole));
}

void frmSplit::WritePosition(int position)
{
    m_secondText->SetValue(wxString::Format("%d", position));
}

void frmSplit::OnSecondKey(wxKeyEvent& event)
{
    int step = event.GetKeyCode() == WXK_UP ? 1 : event.GetKeyCode() == WXK_DOWN ? -1 : 0;
    if (step == 0)
    {
        event.Skip();
        return;
    }
    int position = std::clamp(m_spinner->GetValue() + step, -SpinLimit, SpinLimit);
    m_spinner->SetValue(position);
    WritePosition(position);
}

void frmSplit::OnOk()
{
    if (!m_ok->IsEnabled())
        return;
    m_firstResult = Variant::FromCurrency(m_first);
    m_secondResult = Variant::FromCurrency(m_second);
    EndModal(wxID_OK);
}
