#pragma once

#include <wx/timer.h>

#include <functional>
#include <string>
#include <vector>

class wxComboBox;
class wxPopupWindow;
class wxStaticText;
class wxWindow;

/// The Find field of the tool bar's row: a text field whose drop-down lists the last
/// searches, and a line under it for hints. What is typed is searched once the typing
/// pauses; Enter searches at once.
class FindField
{
public:
    /// How long the typing must pause before a search runs.
    static constexpr int PauseMilliseconds = 250;

    struct Handlers
    {
        /// Search for the text; `entered` when Enter asked for it rather than a pause.
        std::function<void(const std::string& text, bool entered)> search;
        /// The Down key in the field: true when the host took it (to go to the results).
        std::function<bool()> down;
    };

    FindField(wxWindow* parent, Handlers handlers);

    /// Places the field right-aligned in the row at the top of a client area of width w, the
    /// hint line under it.
    void Place(int w);
    /// Puts the keyboard focus into the field, its text selected.
    void Focus();
    std::string Text() const;
    /// Shows a hint under the field, over what is below it; "" hides it.
    void SetHint(const std::string& text);
    std::string Hint() const;
    /// The searches the drop-down lists, newest first.
    void SetSearches(const std::vector<std::string>& searches);
    wxComboBox* Field() const { return m_field; }
    wxStaticText* HintLine() const { return m_hint; }

private:
    void OnTyped();
    void PlaceHint();
    void RunSearch(bool entered);

    Handlers m_handlers;
    wxComboBox* m_field = nullptr;
    wxPopupWindow* m_hintWindow = nullptr;
    wxWindow* m_hintPanel = nullptr;
    wxStaticText* m_hint = nullptr;
    wxTimer m_pause;
    bool m_quiet = false; ///< the program, not the user, changes the text
};
