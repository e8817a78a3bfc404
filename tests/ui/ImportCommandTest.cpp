#include "app/CommandIds.h"
#include "exchange/frmSelectAccount.h"
#include "ui/ControllerFixture.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <fstream>

namespace
{
/// Answers the Import command's file dialog and the Select Account dialog as a user would.
class ImportAnswers : public wxModalDialogHook
{
public:
    ImportAnswers() { Register(); }
    ~ImportAnswers() override { Unregister(); }

    std::string description; ///< the new account's description in the Select Account dialog
    std::string title;
    std::string wildcard;
    int selectAccountShown = 0;
    std::vector<std::string> messages;

protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* files = dynamic_cast<wxFileDialog*>(dialog))
        {
            title = files->GetMessage().utf8_string(); // a file dialog's title
            wildcard = files->GetWildcard().utf8_string();
            return wxID_CANCEL;
        }
        if (auto* select = dynamic_cast<frmSelectAccount*>(dialog))
        {
            ++selectAccountShown;
            std::string typed = description;
            select->CallAfter(
                [select, typed]
                {
                    dynamic_cast<wxChoice*>(select->FindWindow(IdAccountType))
                        ->SetStringSelection("Cash");
                    dynamic_cast<wxTextCtrl*>(select->FindWindow(IdDescription))
                        ->ChangeValue(wxString::FromUTF8(typed));
                    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
                    select->GetEventHandler()->ProcessEvent(ok);
                });
            return wxID_NONE;
        }
        if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog))
        {
            messages.push_back(box->GetMessage().utf8_string());
            return wxID_OK;
        }
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

std::string Statement(const std::string& accountId)
{
    return "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX>\r\n<BANKMSGSRSV1>\r\n"
           "<STMTTRNRS>\r\n<STMTRS>\r\n<CURDEF>USD\r\n<BANKACCTFROM>\r\n<ACCTID>" +
           accountId +
           "\r\n</BANKACCTFROM>\r\n<BANKTRANLIST>\r\n"
           "<STMTTRN>\r\n<TRNTYPE>DEBIT\r\n<DTPOSTED>20160503\r\n<TRNAMT>-12.50\r\n"
           "<FITID>F1\r\n<NAME>Corner Bakery\r\n</STMTTRN>\r\n"
           "<STMTTRN>\r\n<TRNTYPE>CREDIT\r\n<DTPOSTED>20160504\r\n<TRNAMT>100.00\r\n"
           "<FITID>F2\r\n<NAME>Salary\r\n</STMTTRN>\r\n"
           "</BANKTRANLIST>\r\n</STMTRS>\r\n</STMTTRNRS>\r\n</BANKMSGSRSV1>\r\n</OFX>\r\n";
}

class ImportCommand : public ControllerTest
{
protected:
    std::string WriteStatement(const std::string& accountId)
    {
        std::string path = m_dir.File("statement.ofx");
        std::ofstream(path, std::ios::binary) << Statement(accountId);
        return path;
    }
};
} // namespace

TEST_F(ImportCommand, ImportsIntoANewAccountChosenInTheDialogAndShowsItInTheTree)
{
    Prepare({"INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) VALUES "
             "('Description', 'contains', 'Bakery', 'Food', 1)"});
    Controller& window = Start();
    ImportAnswers answers;
    answers.description = "Savings";
    std::string file = WriteStatement("77-100");
    // What the Import command does with the file the user picked.
    window.ImportStatement(file);
    RunPendingEvents();

    EXPECT_EQ(answers.selectAccountShown, 1);
    EXPECT_EQ(Text("SELECT Description FROM Account WHERE AccountID = '77-100'"), "Savings");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE AccountID = '77-100'"), 2);
    // Balances follow the import, then the rules categorise what they match.
    EXPECT_EQ(Text("SELECT CurrentBalance FROM Account WHERE AccountID = '77-100'"), "87.5");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE FITID = 'F1'"), "Food");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE FITID = 'F2'"), "(none)");
    EXPECT_TRUE(Node("Cash", KindAccountList).IsOk());
    EXPECT_TRUE(answers.messages.empty());

    // The same file again: the account is known and every transaction is already there.
    window.ImportStatement(file);
    RunPendingEvents();
    EXPECT_EQ(answers.selectAccountShown, 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 2);
}

TEST_F(ImportCommand, CancellingTheFileDialogImportsNothingButRunsTheRules)
{
    AddAccount("A1", "Checking", "Bank", 1);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount, "
             "Description) VALUES ('A1', 1, 2016, 5, '(none)', -5, 'Corner Bakery')",
             "INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) VALUES "
             "('Description', 'begins with', 'Corner', 'Food', 1)"});
    Controller& window = Start();
    ImportAnswers answers;
    window.RunCommand(Command::Import);
    RunPendingEvents();
    EXPECT_EQ(answers.title, "Import");
    EXPECT_EQ(answers.wildcard, "All Financial Files|*.ofx;*.qfx;*.ofc;*.qif|All Files|*.*");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 1);
    EXPECT_EQ(Text("SELECT Category FROM Trans"), "Food");
    EXPECT_EQ(Text("SELECT Category FROM Budget WHERE [Year] = 2016 AND Period = 5"), "Food");
}

TEST_F(ImportCommand, AFileOfUnknownFormatIsReported)
{
    Controller& window = Start();
    ImportAnswers answers;
    std::string file = m_dir.File("notes.txt");
    std::ofstream(file) << "just some notes\n";
    window.ImportStatement(file);
    RunPendingEvents();
    EXPECT_EQ(answers.messages, std::vector<std::string>{"Invalid file format."});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Account"), 0);
}
