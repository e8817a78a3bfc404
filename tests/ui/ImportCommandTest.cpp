#include "app/CommandIds.h"
#include "app/QvStatusBar.h"
#include "exchange/frmSelectAccount.h"
#include "gui/FileDialogPath.h"
#include "support/RegionEnv.h"
#include "support/SampleStatement.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"

#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <fstream>
#include <functional>

namespace
{
/// Answers the Import command's file dialog with a path as a user picking a file does (or
/// cancels it), message boxes (OK) and the Select Account dialog, the last through its real
/// controls and its real OK button. wxGTK's dialog, not shown, gives no path from GetPath, so
/// the command reads the folder and name set here.
class ImportAnswers : public wxModalDialogHook
{
public:
    ImportAnswers()
    {
        Register();
        m_previous = SetChosenPathReader(
            [](const wxFileDialog& dialog)
            { return wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath(); });
    }
    ~ImportAnswers() override
    {
        SetChosenPathReader(std::move(m_previous));
        Unregister();
    }

    std::string path; ///< the file picked; empty: the dialog is cancelled
    std::function<void(frmSelectAccount&)> selectAccount; ///< empty: cancel the dialog
    std::string fileDialogTitle;
    std::string fileDialogWildcard;
    int selectAccountShown = 0;
    std::vector<std::string> messages;
    int yesNo = wxID_YES; ///< the answer to questions

protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* files = dynamic_cast<wxFileDialog*>(dialog))
        {
            fileDialogTitle = files->GetMessage().utf8_string(); // a file dialog's title
            fileDialogWildcard = files->GetWildcard().utf8_string();
            if (path.empty())
                return wxID_CANCEL;
            files->SetPath(wxString::FromUTF8(path));
            return wxID_OK;
        }
        if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog))
        {
            messages.push_back(box->GetMessage().utf8_string());
            return (box->GetMessageDialogStyle() & wxYES_NO) ? yesNo : wxID_OK;
        }
        auto* select = dynamic_cast<frmSelectAccount*>(dialog);
        if (!select || !selectAccount)
            return wxID_CANCEL;
        ++selectAccountShown;
        select->CallAfter([this, select] { selectAccount(*select); });
        return wxID_NONE; // shown for real; the script closes it
    }
    void Exit(wxDialog*) override {}

private:
    ChosenPathReader m_previous;
};

template <typename Control> Control& Find(wxWindow& dialog, int id)
{
    auto* control = dynamic_cast<Control*>(dialog.FindWindow(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return *control;
}

class ImportCommand : public ControllerTest
{
protected:
    /// Ctrl+I, and a statement of the account picked in the file dialog.
    void Import(ImportAnswers& answers, const std::string& accountId)
    {
        ImportFile(answers, "statement.ofx", SampleStatement(accountId));
    }

    /// Ctrl+I, and a file of that name and content picked in the file dialog.
    void ImportFile(ImportAnswers& answers, const std::string& name, const std::string& content)
    {
        answers.path = m_dir.File(name);
        std::ofstream(answers.path, std::ios::binary) << content;
        RealInput(*m_controller).Key('I', wxMOD_CONTROL);
        RunPendingEvents();
    }
};
} // namespace

TEST_F(ImportCommand, ImportsIntoANewAccountChosenInTheDialogAndShowsItInTheTree)
{
    Prepare({"INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) VALUES "
             "('Description', 'contains', 'Bakery', 'Food', 1)"});
    Start();
    ImportAnswers answers;
    answers.selectAccount = [&answers](frmSelectAccount& dialog)
    {
        RealInput input(dialog);
        EXPECT_EQ(dialog.GetTitle(), "Select Account");
        EXPECT_FALSE(Find<wxRadioButton>(dialog, IdMapAccount).IsEnabled()); // no accounts yet
        input.Click(dialog.FindWindow(wxID_OK)); // no description: refused, the dialog stays
        EXPECT_EQ(answers.messages,
                  std::vector<std::string>{"You must enter an account description."});
        input.ChooseItem(Find<wxChoice>(dialog, IdAccountType), "Cash");
        input.Click(&Find<wxTextCtrl>(dialog, IdDescription));
        input.Type("Savings");
        input.Click(dialog.FindWindow(wxID_OK));
    };
    Import(answers, "77-100");
    EXPECT_EQ(answers.selectAccountShown, 1);
    EXPECT_EQ(Text("SELECT Type FROM Account WHERE AccountID = '77-100'"), "Cash");
    EXPECT_EQ(Text("SELECT Description FROM Account WHERE AccountID = '77-100'"), "Savings");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE AccountID = '77-100'"), 2);
    // Balances follow the import, then the rules categorise what they match.
    EXPECT_EQ(Text("SELECT CurrentBalance FROM Account WHERE AccountID = '77-100'"), "87.5");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE FITID = 'F1'"), "Food");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE FITID = 'F2'"), "(none)");
    EXPECT_TRUE(Node("Cash", KindAccountList).IsOk());
    EXPECT_EQ(m_controller->StatusBar()->GetStatusText(0),
              "Imported 2 transactions; 0 transactions were already there.");

    // The same file again: the account is known and every transaction is already there.
    Import(answers, "77-100");
    EXPECT_EQ(answers.selectAccountShown, 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 2);
    EXPECT_EQ(m_controller->StatusBar()->GetStatusText(0),
              "Imported 0 transactions; 2 transactions were already there.");
}

TEST_F(ImportCommand, MappingReKeysTheAccountWithItsHistoryAndCancelImportsNothing)
{
    AddAccount("old", "O''Neil Checking", "Bank", 1);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, FITID, Amount) VALUES ('old', 1, "
             "'earlier', 5)"});
    Start();
    ImportAnswers answers;
    Import(answers, "55-1"); // cancelled: nothing changes
    EXPECT_EQ(Text("SELECT AccountID FROM Account"), "old");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 1);

    answers.selectAccount = [](frmSelectAccount& dialog)
    {
        RealInput input(dialog);
        EXPECT_EQ(Find<wxChoice>(dialog, IdExistingAccount).GetStringSelection(),
                  "O'Neil Checking");
        input.Click(&Find<wxRadioButton>(dialog, IdMapAccount), wxPoint(8, 8));
        EXPECT_FALSE(Find<wxTextCtrl>(dialog, IdDescription).IsEnabled());
        EXPECT_TRUE(Find<wxChoice>(dialog, IdExistingAccount).IsEnabled());
        input.Click(dialog.FindWindow(wxID_OK));
    };
    Import(answers, "55-1");
    EXPECT_EQ(Text("SELECT AccountID FROM Account"), "55-1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE AccountID = '55-1'"), 3);
    EXPECT_EQ(Text("SELECT CurrentBalance FROM Account"), "92.5");
}

TEST_F(ImportCommand, CancelledFileDialogStillRunsTheRulesAndAnUnknownFormatIsReported)
{
    AddAccount("A1", "Checking", "Bank", 1);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount, "
             "Description) VALUES ('A1', 1, 2016, 5, '(none)', -5, 'Corner Bakery')",
             "INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) VALUES "
             "('Description', 'begins with', 'Corner', 'Food', 1)"});
    Controller& window = Start();
    ImportAnswers answers;
    RealInput input(window);
    input.Key('I', wxMOD_CONTROL);
    EXPECT_EQ(answers.fileDialogTitle, "Import");
    EXPECT_EQ(answers.fileDialogWildcard,
              "All Financial Files|*.ofx;*.qfx;*.ofc;*.qif;*.csv;*.xml;*.sta;*.mt940;*.940|All "
              "Files|*.*");
    EXPECT_EQ(Text("SELECT Category FROM Trans"), "Food");
    EXPECT_EQ(Text("SELECT Category FROM Budget WHERE [Year] = 2016 AND Period = 5"), "Food");

    answers.path = m_dir.File("notes.txt");
    std::ofstream(answers.path) << "just some notes\n";
    input.Key('I', wxMOD_CONTROL);
    EXPECT_EQ(answers.messages, std::vector<std::string>{"Invalid file format."});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Account"), 1);
}

namespace
{
/// An MT940 statement of account DE01 for a month: 12.50 out, 100.00 in, and the bank's
/// opening and closing balances.
std::string Mt940Month(const std::string& month, const std::string& opening,
                       const std::string& closing)
{
    return ":20:STMT" + month + "\r\n:25:DE01\r\n:28C:1/1\r\n:60F:C16" + month + "01EUR" + opening +
           "\r\n:61:16" + month + "03D12,50NMSCREF" + month + "A//B" + month +
           "A\r\n:86:Corner Bakery\r\n:61:16" + month + "04C100,00NMSCREF" + month + "B//B" +
           month + "B\r\n:86:Salary\r\n:62F:C16" + month + "28EUR" + closing + "\r\n-\r\n";
}
} // namespace

TEST_F(ImportCommand, TheFirstStatementOfAnAccountMayMoveItsOpeningBalanceToAgreeWithTheBank)
{
    LocaleEnv locale("en_US.UTF-8");
    ASSERT_TRUE(locale.Ok());
    Prepare({"INSERT INTO Account (AccountID, Description, Type) VALUES ('DE01', 'Giro', "
             "'Bank')"});
    Start();
    ImportAnswers answers;
    // Tallybrook holds 87.50 at the end of March; the bank says 1,087.50.
    ImportFile(answers, "march.sta", Mt940Month("03", "1000,00", "1087,50"));
    ASSERT_EQ(answers.messages.size(), 1U);
    EXPECT_EQ(answers.messages[0],
              "Your bank's balance for Giro on 03/28/2016 is $1,087.50; Tallybrook has $87.50 "
              "(-$1,000.00).\n\nThis is the first statement of Giro. Set its opening balance to "
              "$1,000.00 so that the two agree?");
    EXPECT_EQ(Text("SELECT OpeningBalance FROM Account"), "1000");
    EXPECT_EQ(Text("SELECT OpeningBalance + CurrentBalance FROM Account"), "1087.5");
    EXPECT_EQ(m_controller->StatusBar()->GetStatusText(0),
              "Imported 2 transactions; 0 transactions were already there. Your bank's balance "
              "for Giro on 03/28/2016, $1,087.50, agrees with Tallybrook's.");

    // April's statement is no first one: a disagreement is only shown.
    ImportFile(answers, "april.sta", Mt940Month("04", "1087,50", "1200,00"));
    ASSERT_EQ(answers.messages.size(), 2U);
    EXPECT_EQ(answers.messages[1], "Your bank's balance for Giro on 04/28/2016 is $1,200.00; "
                                   "Tallybrook has $1,175.00 (-$25.00).");
    EXPECT_EQ(Text("SELECT OpeningBalance FROM Account"), "1000");
}

TEST_F(ImportCommand, AnOfferDeclinedLeavesTheOpeningBalanceAndAsksNothingMore)
{
    Prepare({"INSERT INTO Account (AccountID, Description, Type) VALUES ('DE01', 'Giro', "
             "'Bank')"});
    Start();
    ImportAnswers answers;
    answers.yesNo = wxID_NO;
    ImportFile(answers, "march.sta", Mt940Month("03", "1000,00", "1087,50"));
    EXPECT_EQ(answers.messages.size(), 1U);
    EXPECT_EQ(Text("SELECT OpeningBalance FROM Account"), "0");
    EXPECT_EQ(Text("SELECT CurrentBalance FROM Account"), "87.5");
}
