#pragma once

#include <wx/dialog.h>

namespace Quorvel
{
/// A dialog that runs work once after it is first shown, and tells when a control other than
/// the register grid receives the keyboard focus.
class MainFormBase : public wxDialog
{
public:
    /// The first application-private message: posted once the window has first moved.
    static constexpr int StartupMessage = 0x8000;

    MainFormBase(const wxString& title, const wxPoint& position, const wxSize& size, long style);

protected:
    /// Runs once after the window has first been shown.
    virtual void OnStartupIdle() {}
    /// A control of the window received the focus.
    virtual void OnChildFocus() {}
    /// Whether a focused window is one whose focus needs no notice (the grid's own).
    virtual bool IsFocusExempt(wxWindow*) const { return false; }

private:
    void PostStartup();
    bool m_startupPosted = false;
};
} // namespace Quorvel
