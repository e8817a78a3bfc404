#pragma once

#include "transfer/TransferPairing.h"

#include <wx/dialog.h>

#include <vector>

class Database;
class wxCheckListBox;

/// The Transfers found dialog: one check box per pair of rows that may be the two sides of a
/// transfer, checked when the pair is sure. Link links the checked pairs and remembers the
/// others as no transfers; Not Now leaves every pair for later.
class frmTransfersFound : public wxDialog
{
public:
    frmTransfersFound(wxWindow* parent, const std::vector<TransferPair>& pairs);

    /// The pairs checked, and the others, when the dialog closed with Link.
    std::vector<TransferPair> Checked() const;
    std::vector<TransferPair> Unchecked() const;

private:
    std::vector<TransferPair> m_pairs;
    wxCheckListBox* m_list = nullptr;
};

/// Shows the dialog for the pairs and stores the answer; true when anything was linked or
/// refused.
bool AnswerTransfers(wxWindow* parent, Database& db, const std::vector<TransferPair>& pairs);

/// The line the dialog shows for a pair: both sides' date, account, description and amount.
wxString PairLine(const TransferPair& pair);
