#pragma once

#include "search/FindField.h"
#include "search/FindHistory.h"

#include <memory>
#include <string>

class Controller;
class wxWindow;

/// Find in the main window: the field in the tool bar's row, the results in the grid, and
/// going from a result to its row in the account's register.
class FindCommands
{
public:
    /// The most rows the results list; the count and sum cover every row found.
    static constexpr std::size_t ListedRows = 1000;

    explicit FindCommands(Controller& window) : m_window(window) {}

    /// Makes the field on the window's body.
    void Create(wxWindow* parent);
    FindField& Field() { return *m_field; }
    /// Places the field at the right end of the top row of a body w wide.
    void Place(int w) { m_field->Place(w); }
    /// Edit > Find and Ctrl+F: the focus to the field, and the last results shown again.
    void Start();
    /// Shows the results of the last search again, read afresh.
    void ShowResults();
    /// Goes from the result a grid row shows to its row in its register; false when the row
    /// shows no result.
    bool GoToRow(int row);
    /// The text of the last search whose results were shown.
    const std::string& LastSearch() const { return m_last; }

private:
    void OnSearch(const std::string& text, bool entered);
    /// Shows the results view in place of what the tree's node showed.
    void EnterResultsView();
    void RememberSearch();
    /// The Down key in the field: the cursor to the first result; false when none shows.
    bool FocusResults();

    Controller& m_window;
    std::unique_ptr<FindField> m_field;
    FindHistory m_history;
    std::string m_last;
};
