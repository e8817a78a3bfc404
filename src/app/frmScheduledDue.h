#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"
#include "schedule/ScheduleStore.h"

#include <wx/dialog.h>

#include <vector>

class wxCheckBox;
class wxTextCtrl;

/// Control identifiers of the dialog; row i's controls are the first ones plus i.
enum ScheduledDueControl
{
    IdDueEnter = 1101,
    IdDueSkip = 1102,
    IdDueLater = 1103,
    IdDueFirstCheck = 1200,
    IdDueFirstDate = 1400,
    IdDueFirstAmount = 1600
};

/// "Scheduled transactions due": the occurrences that wait for the user's yes, oldest first,
/// each with a check box (ticked), its date and its amount to change. Enter enters the ticked
/// ones with their dates and amounts, Skip passes over them, Later leaves every one due.
class frmScheduledDue : public wxDialog
{
public:
    enum class Choice
    {
        Enter,
        Skip,
        Later
    };
    /// An occurrence ticked, with the date and amount the user left in its fields.
    struct Answer
    {
        DueOccurrence due;
        DateTime date;
        Currency amount;
    };

    /// At most MaxRows occurrences are listed; the others wait for the next time.
    frmScheduledDue(wxWindow* parent, const std::vector<DueOccurrence>& due);
    static constexpr std::size_t MaxRows = 200;

    Choice Chosen() const { return m_choice; }
    /// The ticked occurrences, once Enter or Skip closed the dialog.
    const std::vector<Answer>& Answers() const { return m_answers; }

private:
    struct Row
    {
        DueOccurrence due;
        wxCheckBox* check = nullptr;
        wxTextCtrl* date = nullptr;
        wxTextCtrl* amount = nullptr;
    };
    void CreateControls();
    /// An edit field wide enough for a text, a little taller than a line.
    wxSize FieldSize(const char* widest) const;
    /// Reads the ticked rows; false (the reason shown, the field focused) on a wrong date or
    /// amount of a row to enter.
    bool ReadAnswers(Choice choice);
    void Close(Choice choice);

    std::vector<Row> m_rows;
    std::vector<Answer> m_answers;
    Choice m_choice = Choice::Later;
};
