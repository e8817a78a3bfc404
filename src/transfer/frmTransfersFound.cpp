#include "transfer/frmTransfersFound.h"

#include "data/Database.h"
#include "data/Regional.h"
#include "gui/DialogButtons.h"
#include "gui/WxText.h"

#include <wx/checklst.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace
{
std::string SideText(const PairedRow& row)
{
    return row.date + "  " + row.accountDescription + "  " + row.description + "  " +
           FormatCurrency(row.amount);
}
} // namespace

wxString PairLine(const TransferPair& pair)
{
    return ToWx(SideText(pair.out) + "   \u2192   " + SideText(pair.in));
}

frmTransfersFound::frmTransfersFound(wxWindow* parent, const std::vector<TransferPair>& pairs)
    : wxDialog(parent, wxID_ANY, "Transfers found", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_pairs(pairs)
{
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* explanation = new wxStaticText(
        this, wxID_ANY,
        "These rows look like the two sides of transfers between your accounts: the same "
        "amount out of one and into the other, a few days apart. Check the pairs that are "
        "transfers; pairs left unchecked are not offered again.");
    explanation->Wrap(520);
    top->Add(explanation, 0, wxALL, 8);
    wxArrayString lines;
    for (const TransferPair& pair : m_pairs)
        lines.Add(PairLine(pair));
    m_list = new wxCheckListBox(this, wxID_ANY, wxDefaultPosition, wxSize(640, 200), lines);
    for (unsigned int i = 0; i < m_pairs.size(); ++i)
        m_list->Check(i, m_pairs[i].sure);
    top->Add(m_list, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
    wxButton* link = AddOkCancelButtons(this, top, "&Link");
    if (wxWindow* cancel = FindWindow(wxID_CANCEL))
        cancel->SetLabel("&Not Now");
    SetSizerAndFit(top);
    link->SetFocus();
}

std::vector<TransferPair> frmTransfersFound::Checked() const
{
    std::vector<TransferPair> checked;
    for (unsigned int i = 0; i < m_pairs.size(); ++i)
        if (m_list->IsChecked(i))
            checked.push_back(m_pairs[i]);
    return checked;
}

std::vector<TransferPair> frmTransfersFound::Unchecked() const
{
    std::vector<TransferPair> unchecked;
    for (unsigned int i = 0; i < m_pairs.size(); ++i)
        if (!m_list->IsChecked(i))
            unchecked.push_back(m_pairs[i]);
    return unchecked;
}

bool AnswerTransfers(wxWindow* parent, Database& db, const std::vector<TransferPair>& pairs)
{
    frmTransfersFound dialog(parent, pairs);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    Transaction transaction(db);
    AcceptTransferPairs(db, dialog.Checked());
    RefuseTransferPairs(db, dialog.Unchecked());
    CloseTransferReview(db);
    transaction.Commit();
    return true;
}
