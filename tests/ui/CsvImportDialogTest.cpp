// The Import command on a CSV statement: the mapping dialog driven through real input.

#include "data/Regional.h"
#include "data/ViewColumns.h"
#include "exchange/frmCsvMapping.h"
#include "exchange/frmSelectAccount.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/ScriptedDialogs.h"

#include <wx/choice.h>
#include <wx/grid.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <fstream>
#include <functional>
#include <set>

namespace
{
/// Answers message boxes with OK and scripts the mapping dialog, shown for real, through
/// its real controls.
class MappingAnswers : public wxModalDialogHook
{
public:
    MappingAnswers() { Register(); }
    ~MappingAnswers() override { Unregister(); }

    std::function<void(frmCsvMapping&)> script; ///< empty: cancel the dialog
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
        auto* mapping = dynamic_cast<frmCsvMapping*>(dialog);
        if (!mapping || !script)
            return wxID_CANCEL;
        ++shown;
        mapping->CallAfter([this, mapping] { script(*mapping); });
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}
};

template <typename Control> Control& Find(wxWindow& dialog, int id)
{
    auto* control = dynamic_cast<Control*>(dialog.FindWindow(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return *control;
}

std::string Role(frmCsvMapping& dialog, std::size_t column)
{
    wxChoice* list = dialog.RoleList(column);
    return list ? list->GetStringSelection().utf8_string() : "<no list>";
}

std::string Money(std::int64_t cents)
{
    return FormatCurrency(Currency::FromUnits(cents * 100));
}

// Column names the guess does not know; a running balance that goes below zero, so two
// columns hold amounts of both signs.
const std::string Header = "Day;Party;Running;Paid;Memo text\n";

class CsvImportDialog : public ControllerTest
{
protected:
    void Import(const std::string& name, const std::string& content)
    {
        std::string path = m_dir.File(name);
        std::ofstream(path, std::ios::binary) << content;
        PickedFile picked(path);
        RealInput(*m_controller).Key('I', wxMOD_CONTROL);
        RunPendingEvents();
    }

    /// The descriptions the register of an account shows in a month.
    std::set<std::string> RegisterDescriptions(const std::string& description, int month)
    {
        ShowPeriod(month, 2019);
        std::string sequence =
            Text("SELECT Sequence FROM Account WHERE Description = '" + description + "'");
        RealInput input(*m_controller);
        input.ClickTreeItem(Tree(), Node(sequence, KindRegister));
        std::set<std::string> shown;
        int column = Grid().GridColumn(RegisterColumn::Description);
        for (int row = 1; row < Grid().GetNumberRows(); ++row)
            shown.insert(Grid().GetCellValue(row, column).utf8_string());
        return shown;
    }
};
} // namespace

TEST_F(CsvImportDialog, TheUserPicksTheRolesSeesTheRowsAndTheNextStatementOpensSoMapped)
{
    Start();
    MappingAnswers answers;
    answers.script = [&answers](frmCsvMapping& dialog)
    {
        RealInput input(dialog);
        wxGrid& grid = *dialog.PreviewGrid();
        EXPECT_EQ(dialog.GetTitle(), "Import CSV Statement");
        // The guess: the first column of amounts, and it says it is not sure.
        EXPECT_EQ(Role(dialog, 0), "Date");
        EXPECT_EQ(Role(dialog, 1), "Description");
        EXPECT_EQ(Role(dialog, 2), "Amount");
        EXPECT_EQ(Role(dialog, 4), "Ignore");
        EXPECT_EQ(Find<wxChoice>(dialog, IdCsvDelimiter).GetStringSelection(), "Semicolon");
        EXPECT_EQ(Find<wxChoice>(dialog, IdCsvDates).GetStringSelection(), "D/M/Y");
        wxString summary = Find<wxStaticText>(dialog, IdCsvSummary).GetLabel();
        EXPECT_TRUE(summary.Contains("3 rows will be imported.")) << summary;
        EXPECT_TRUE(summary.Contains("several columns hold amounts")) << summary;
        ASSERT_EQ(grid.GetNumberRows(), 3);
        EXPECT_EQ(grid.GetCellValue(0, PreviewDate).utf8_string(),
                  FormatShortDate(DateTime{2019, 3, 14}));
        EXPECT_EQ(grid.GetCellValue(1, PreviewAmount).utf8_string(), Money(9550));

        // The paid column is the amount: the preview reads it at once.
        input.ChooseItem(*dialog.RoleList(3), "Amount");
        EXPECT_EQ(Role(dialog, 2), "Ignore");
        EXPECT_EQ(grid.GetCellValue(1, PreviewAmount).utf8_string(), Money(10000));
        EXPECT_EQ(grid.GetCellValue(2, PreviewAmount).utf8_string(), Money(-80000));
        input.ChooseItem(*dialog.RoleList(4), "Notes");
        EXPECT_FALSE(Find<wxStaticText>(dialog, IdCsvSummary).GetLabel().Contains("Please"));

        // No description for the new account: refused, the dialog stays.
        input.Click(dialog.FindWindow(wxID_OK));
        EXPECT_EQ(answers.messages,
                  std::vector<std::string>{"You must enter an account description."});
        input.ChooseItem(Find<wxChoice>(dialog, IdAccountType), "Cash");
        input.Click(&Find<wxTextCtrl>(dialog, IdDescription));
        input.Type("Wallet");
        input.Click(dialog.FindWindow(wxID_OK));
    };
    Import("march.csv", Header + "14.03.2019;Corner Bakery;-4,50;-4,50;card 1\n"
                                 "15.03.2019;Salary;95,50;+100,00;transfer\n"
                                 "16.03.2019;Rent;-704,50;-800,00;March\n");
    EXPECT_EQ(answers.shown, 1);
    EXPECT_EQ(Text("SELECT Type FROM Account WHERE Description = 'Wallet'"), "Cash");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 3);
    EXPECT_EQ(Text("SELECT PayeeName FROM Trans WHERE Description = 'Salary'"), "transfer");
    EXPECT_EQ(Text("SELECT CurrentBalance FROM Account WHERE Description = 'Wallet'"), "-704.5");
    EXPECT_EQ(RegisterDescriptions("Wallet", 3),
              (std::set<std::string>{"Corner Bakery", "Salary", "Rent"}));

    // April's statement has the same header: the dialog opens with March's mapping.
    answers.script = [](frmCsvMapping& dialog)
    {
        RealInput input(dialog);
        EXPECT_EQ(Role(dialog, 2), "Ignore");
        EXPECT_EQ(Role(dialog, 3), "Amount");
        EXPECT_EQ(Role(dialog, 4), "Notes");
        EXPECT_TRUE(Find<wxStaticText>(dialog, IdCsvSummary)
                        .GetLabel()
                        .Contains("as in the last statement with these column names"));
        EXPECT_EQ(dialog.PreviewGrid()->GetCellValue(0, PreviewAmount).utf8_string(), Money(-1250));
        input.Click(&Find<wxRadioButton>(dialog, IdMapAccount), wxPoint(8, 8));
        EXPECT_EQ(Find<wxChoice>(dialog, IdExistingAccount).GetStringSelection(), "Wallet");
        input.Click(dialog.FindWindow(wxID_OK));
    };
    Import("april.csv",
           "Statement April 2019\n\n" + Header + "02.04.2019;Florist;-717,00;-12,50;card 2\n");
    EXPECT_EQ(answers.shown, 2);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Account"), 1);
    EXPECT_EQ(Text("SELECT PayeeName FROM Trans WHERE Description = 'Florist'"), "card 2");
    EXPECT_EQ(RegisterDescriptions("Wallet", 4), std::set<std::string>{"Florist"});

    // Cancel imports nothing.
    answers.script = nullptr;
    Import("april.csv", Header + "03.04.2019;Cinema;-729,00;-12,00;card 3\n");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 4);
}
