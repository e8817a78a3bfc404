#pragma once

#include "register/QvGridHost.h"

#include <wx/dialog.h>

/// The Category Rules dialog's window: the New, Delete, Up and Down buttons, the place of
/// the rules grid and the Close button, each button wired to a handler that does nothing
/// here. Escape and the close box write the rule being typed, then end the dialog with
/// wxID_CANCEL; the grid's row
/// validation request (QvGridHost::ValidateRow) accepts every row.
class CategoryDialogBase : public wxDialog, public QvGridHost
{
public:
    /// Control identifiers; tests find the controls by them.
    enum ControlId
    {
        IdRulesGrid = 1035,
        IdNew = 1036,
        IdDelete = 1037,
        IdUp = 1038,
        IdDown = 1039,
        IdClose = wxID_OK
    };

    explicit CategoryDialogBase(wxWindow* parent);

protected:
    virtual void OnNew() {}
    virtual void OnDelete() {}
    virtual void OnUp() {}
    virtual void OnDown() {}
    /// The Close button; here it only ends the dialog.
    virtual void OnClose() { EndModal(wxID_OK); }
    /// Whether the Escape key belongs to the control that has the keyboard focus (an edit
    /// in the grid) rather than to the dialog.
    virtual bool EscapeBelongsToFocus() const { return false; }
    /// Writes the rule being typed before the dialog ends; false (the reason shown) keeps
    /// the dialog open.
    virtual bool WritePendingRow() { return true; }

    /// Puts a window where the placeholder of the rules grid is, at its size.
    void ReplaceGridPlaceholder(wxWindow* grid);

private:
    void OnCharHook(wxKeyEvent& event);
    void EndWithoutClose();

    wxWindow* m_placeholder = nullptr;
};
