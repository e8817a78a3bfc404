// The Split Transaction command reached by its key chord and its menu item on a register row,
// its dialog shown for real and driven by mouse and keyboard.
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "data/ViewColumns.h"
#include "register/frmSplit.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"

#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
/// Lets the Split Transaction dialog show and runs the test's script in it once it does;
/// answers message boxes with OK and cancels any other dialog.
class SplitAnswers : public wxModalDialogHook
{
public:
    SplitAnswers() { Register(); }
    ~SplitAnswers() override { Unregister(); }

    std::function<void(frmSplit&)> script; ///< empty: the dialog is cancelled unseen
    int shown = 0;
    std::vector<std::string> messages;

protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog))
        {
            messages.push_back(box->GetMessage().utf8_string());
            return wxID_OK;
        }
        auto* split = dynamic_cast<frmSplit*>(dialog);
        if (!split || !script)
            return wxID_CANCEL;
        ++shown;
        split->CallAfter([this, split] { script(*split); });
        return wxID_NONE; // shown for real; the script closes it
    }
    void Exit(wxDialog*) override {}
};

wxTextCtrl& Field(wxWindow& dialog, int id)
{
    auto* field = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
    if (!field)
        throw std::runtime_error("no field " + std::to_string(id));
    return *field;
}

std::string Value(wxWindow& dialog, int id)
{
    return Field(dialog, id).GetValue().utf8_string();
}

bool OkEnabled(wxWindow& dialog)
{
    return dialog.FindWindow(wxID_OK)->IsEnabled();
}

class SplitCommand : public ControllerTest
{
protected:
    /// A Bank account's register in May 2016 with one row of -100.00, the keyboard focus on
    /// that row.
    Controller& StartOnRow()
    {
        AddAccount("A1", "Checking", "Bank", 1);
        Prepare({"INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
                 "Category, Amount, Description, FITID) VALUES ('A1', 1, 0, 2016, 5, "
                 "#5/3/2016#, '(none)', -100.00, 'Bread & Milk', 'F1')"});
        Controller& window = Start();
        ShowPeriod(5, 2016);
        m_input.emplace(window);
        m_input->ClickTreeItem(Tree(), Node("1", KindRegister));
        m_input->ClickCell(Grid(), 1, Grid().GridColumn(RegisterColumn::Description));
        return window;
    }

    /// The rows of the register as shown: description and amount.
    std::vector<std::string> Shown()
    {
        std::vector<std::string> rows;
        for (int row = 1; row < Grid().GetNumberRows(); ++row)
            rows.push_back(Grid().CellTextValue(row, RegisterColumn::Description) + " " +
                           Grid().CellTextValue(row, RegisterColumn::Amount));
        return rows;
    }

    std::vector<std::string> Stored()
    {
        std::vector<std::string> rows;
        for (Recordset rs = m_controller->Data().Execute(
                 "SELECT SubSequence, Amount, Description FROM Trans ORDER BY SubSequence");
             !rs.IsEOF(); rs.MoveNext())
            rows.push_back(rs.GetText("SubSequence") + " " + rs.GetText("Amount") + " " +
                           rs.GetText("Description"));
        return rows;
    }

    std::optional<RealInput> m_input;
};
} // namespace

TEST_F(SplitCommand, CtrlSOpensHalvesTheAmountAndOkAddsTheSecondPart)
{
    StartOnRow();
    SplitAnswers answers;
    answers.script = [](frmSplit& dialog)
    {
        RealInput input(dialog);
        EXPECT_EQ(dialog.GetTitle(), "Split Transaction");
        // Shown as it is: the "&" is no mnemonic.
        auto* description = dynamic_cast<wxControl*>(dialog.FindWindow(IdSplitDescription));
        ASSERT_NE(description, nullptr);
        EXPECT_EQ(description->GetLabelText(), "Bread & Milk");
        EXPECT_EQ(dialog.FindWindow(1029)->GetLabel(), "First amount:");
        EXPECT_EQ(dialog.FindWindow(1030)->GetLabel(), "Second amount:");
        EXPECT_EQ(dialog.FindWindow(1031)->GetLabel(), "Total:");
        EXPECT_EQ(dialog.FindWindow(wxID_CANCEL)->GetLabel(), "Cancel");
        EXPECT_EQ(Value(dialog, IdSecondAmount), "-50");
        EXPECT_EQ(Value(dialog, IdFirstAmount), "-50");
        EXPECT_EQ(Value(dialog, IdSplitTotal), "-100");
        EXPECT_FALSE(Field(dialog, IdFirstAmount).IsEditable());
        EXPECT_FALSE(Field(dialog, IdSplitTotal).IsEditable());
        EXPECT_TRUE(OkEnabled(dialog));

        input.Click(&Field(dialog, IdSecondAmount));
        input.Key('A', wxMOD_CONTROL);
        input.Type("-30");
        EXPECT_EQ(Value(dialog, IdSecondAmount), "-30");
        EXPECT_EQ(Value(dialog, IdFirstAmount), "-70");
        EXPECT_TRUE(OkEnabled(dialog));

        // Letters are no amount: OK greys and the first amount stays.
        input.Type("x");
        EXPECT_FALSE(OkEnabled(dialog));
        EXPECT_EQ(Value(dialog, IdFirstAmount), "-70");
        input.Key(WXK_BACK);
        EXPECT_TRUE(OkEnabled(dialog));

        // The spin button's "up" arrow goes one up from the amount typed: the upper half of a
        // button that stands, the right half of one that lies (GTK draws "-" and "+").
        wxWindow* spinner = dialog.FindWindow(IdSecondSpinner);
        wxSize size = spinner->GetClientSize();
        input.Click(spinner, size.x > size.y ? wxPoint(size.x * 3 / 4, size.y / 2)
                                             : wxPoint(size.x / 2, size.y / 4));
        EXPECT_EQ(Value(dialog, IdSecondAmount), "-29");
        EXPECT_EQ(Value(dialog, IdFirstAmount), "-71");
        input.Click(dialog.FindWindow(wxID_OK));
    };
    m_input->Key('S', wxMOD_CONTROL);
    EXPECT_EQ(answers.shown, 1);
    EXPECT_EQ(Stored(),
              (std::vector<std::string>{"0 -71 Bread & Milk", "1 -29 Bread & Milk (split #1)"}));
    EXPECT_EQ(Shown(),
              (std::vector<std::string>{"Bread & Milk -71", "Bread & Milk (split #1) -29"}));
    EXPECT_EQ(Grid().GetGridCursorRow(), 2); // one row further down: the new part
}

TEST_F(SplitCommand, TheMenuItemSplitsTheRowBeingTypedAndCancelChangesNothing)
{
    Controller& window = StartOnRow();
    SplitAnswers answers;
    int toolkitId = CommandTable::ToolkitId(Command::SplitTransaction);

    answers.script = [](frmSplit& dialog)
    {
        RealInput input(dialog);
        input.Click(dialog.FindWindow(wxID_CANCEL));
    };
    ASSERT_TRUE(m_input->ClickMenuItem(*window.Menu(), toolkitId));
    EXPECT_EQ(answers.shown, 1);
    EXPECT_EQ(Stored(), std::vector<std::string>{"0 -100 Bread & Milk"});

    // An amount typed into the row and not yet written is the one split; the row is
    // written first.
    m_input->ClickCell(Grid(), 1, Grid().GridColumn(RegisterColumn::Amount));
    m_input->Key(WXK_F2);
    m_input->Key('A', wxMOD_CONTROL);
    m_input->Type("-80");
    m_input->Key(WXK_TAB);
    EXPECT_TRUE(Grid().HasPendingChanges());
    answers.script = [](frmSplit& dialog)
    {
        RealInput input(dialog);
        EXPECT_EQ(Value(dialog, IdSplitTotal), "-80");
        EXPECT_EQ(Value(dialog, IdSecondAmount), "-40");
        // The second amount's text is selected: typing replaces it.
        input.Type("-25.5");
        EXPECT_EQ(Value(dialog, IdFirstAmount), "-54.5");
        input.Key(WXK_RETURN);
    };
    ASSERT_TRUE(m_input->ClickMenuItem(*window.Menu(), toolkitId));
    EXPECT_EQ(answers.shown, 2);
    EXPECT_EQ(Stored(), (std::vector<std::string>{"0 -54.5 Bread & Milk",
                                                  "1 -25.5 Bread & Milk (split #1)"}));

    // The keyboard focus is back in the grid, on the new part: its key chord splits it
    // again, with the next number. (Without a window manager the closed dialog leaves no
    // window with the X input focus: the main window is given it again.)
    m_input->Activate();
    wxWindow* focus = wxWindow::FindFocus();
    while (focus && focus != &Grid())
        focus = focus->GetParent();
    EXPECT_EQ(focus, &Grid()) << "the keyboard focus is not in the grid";
    EXPECT_EQ(Grid().GetGridCursorRow(), 2);
    answers.script = [](frmSplit& dialog)
    {
        RealInput input(dialog);
        EXPECT_EQ(Value(dialog, IdSecondAmount), "-12.75");
        input.Click(dialog.FindWindow(wxID_OK));
    };
    m_input->Key('S', wxMOD_CONTROL);
    EXPECT_EQ(answers.shown, 3);
    EXPECT_EQ(Stored().back(), "2 -12.75 Bread & Milk (split #1) (split #2)");
}

TEST_F(SplitCommand, OkOnAPartDeletedMeanwhileSaysSoAndChangesNothing)
{
    StartOnRow();
    SplitAnswers answers;
    answers.script = [this](frmSplit& dialog)
    {
        // Another program (the command-line tool) deletes the row while the dialog shows.
        Prepare({"DELETE FROM Trans"});
        RealInput(dialog).Click(dialog.FindWindow(wxID_OK));
    };
    m_input->Key('S', wxMOD_CONTROL);
    EXPECT_EQ(answers.shown, 1);
    EXPECT_EQ(answers.messages,
              std::vector<std::string>{"This transaction no longer exists, so it was not split."});
    EXPECT_TRUE(Stored().empty());
    EXPECT_TRUE(Shown().empty());
}
