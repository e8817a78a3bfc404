#pragma once

#include <wx/grid.h>

#include <functional>

/// A text cell editor for currency cells: the editor shows the value as a plain number,
/// without currency sign or digit grouping.
class QvCurrencyEditor : public wxGridCellTextEditor
{
public:
    /// plainText gives the cell's value as a plain number.
    explicit QvCurrencyEditor(std::function<wxString(int row, int col)> plainText);
    void BeginEdit(int row, int col, wxGrid* grid) override;
    wxGridCellEditor* Clone() const override { return new QvCurrencyEditor(m_plainText); }

private:
    std::function<wxString(int, int)> m_plainText;
};

/// A drop-list cell editor that also takes text outside the list; every key but Backspace
/// and Delete asks for completion once the key has reached the editor. onCloseUp runs when
/// the list's popup closes (a pick ends the edit).
class QvDropListEditor : public wxGridCellChoiceEditor
{
public:
    QvDropListEditor(const wxArrayString& items, std::function<void()> onKey,
                     std::function<void()> onCloseUp = {});
    void Create(wxWindow* parent, wxWindowID id, wxEvtHandler* evtHandler) override;
    void BeginEdit(int row, int col, wxGrid* grid) override;
    void StartingKey(wxKeyEvent& event) override;
    wxGridCellEditor* Clone() const override
    {
        return new QvDropListEditor(m_choices, m_onKey, m_onCloseUp);
    }
    wxComboBox* GetCombo() const { return Combo(); }

private:
    void OnCloseUp(wxCommandEvent& event);

    std::function<void()> m_onKey;
    std::function<void()> m_onCloseUp;
};
