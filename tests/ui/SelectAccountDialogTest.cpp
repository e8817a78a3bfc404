#include "app/UserInterface.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Schema.h"
#include "exchange/ImportDriver.h"
#include "exchange/frmSelectAccount.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace
{
/// The user of a test: answers message boxes with OK and plays a script on the Select
/// Account dialog through its real controls and its real OK button.
class DialogUser : public wxModalDialogHook, public UserInterface
{
public:
    using Script = std::function<void(frmSelectAccount&)>;

    DialogUser() { Register(); }
    ~DialogUser() override { Unregister(); }

    std::vector<Script> scripts;       ///< one per showing of the dialog
    std::vector<std::string> boxes;    ///< message boxes shown by windows
    std::vector<std::string> messages; ///< messages the import asked to show
    int dialogsShown = 0;

    void ShowMessage(const std::string& text, Icon) override { messages.push_back(text); }
    bool AskYesNo(const std::string&) override { return true; }
    void PushStatus(const std::string&) override {}
    void PopStatus() override {}
    void BeginWait() override {}
    void EndWait() override {}

protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog))
        {
            boxes.push_back(box->GetMessage().utf8_string());
            return wxID_OK;
        }
        auto* select = dynamic_cast<frmSelectAccount*>(dialog);
        if (!select)
            return wxID_CANCEL;
        std::size_t showing = dialogsShown++;
        if (showing >= scripts.size())
            return wxID_CANCEL;
        Script script = scripts[showing];
        select->CallAfter([select, script] { script(*select); });
        return wxID_NONE; // shown for real; the script closes it
    }
    void Exit(wxDialog*) override {}
};

template <typename Control> Control* Find(wxWindow& dialog, int id)
{
    auto* control = dynamic_cast<Control*>(dialog.FindWindow(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
}

void Click(wxWindow& dialog, int id)
{
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(dialog.FindWindow(id));
    dialog.GetEventHandler()->ProcessEvent(event);
}

void ChooseRadio(wxWindow& dialog, int id)
{
    auto* radio = Find<wxRadioButton>(dialog, id);
    radio->SetValue(true);
    wxCommandEvent event(wxEVT_RADIOBUTTON, id);
    event.SetEventObject(radio);
    radio->GetEventHandler()->ProcessEvent(event);
}

std::string Statement(const std::string& accountId)
{
    return "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX>\r\n<BANKMSGSRSV1>\r\n"
           "<STMTTRNRS>\r\n<STMTRS>\r\n<CURDEF>USD\r\n<BANKACCTFROM>\r\n<ACCTID>" +
           accountId +
           "\r\n</BANKACCTFROM>\r\n<BANKTRANLIST>\r\n"
           "<STMTTRN>\r\n<TRNTYPE>DEBIT\r\n<DTPOSTED>20160503\r\n<TRNAMT>-12.50\r\n"
           "<FITID>F1\r\n<NAME>Grocer\r\n</STMTTRN>\r\n"
           "</BANKTRANLIST>\r\n</STMTRS>\r\n</STMTTRNRS>\r\n</BANKMSGSRSV1>\r\n</OFX>\r\n";
}

class SelectAccountDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!StartWxForTests())
            GTEST_SKIP() << "no display";
        std::ofstream(m_dir.File("qtb.mdb")).flush();
        m_db = std::make_unique<Database>(m_dir.File("qtb.mdb"), OpenOptions{false, false});
        CreateInitialSchema(*m_db);
        MigrateSchema(*m_db);
    }

    ImportFileResult Import(const std::string& accountId)
    {
        std::string path = m_dir.File("statement.ofx");
        std::ofstream(path, std::ios::binary) << Statement(accountId);
        DialogAccountChooser chooser(nullptr);
        ImportContext context(*m_db, user, chooser);
        context.rebuildTree = [this] { ++treeRebuilds; };
        return ImportStatementFile(context, path);
    }

    std::string Value(const std::string& sql)
    {
        Recordset rs = m_db->Execute(sql);
        return rs.IsEOF() ? "<none>" : rs.GetValue(0).ToText();
    }

    DialogUser user;
    int treeRebuilds = 0;
    std::unique_ptr<Database> m_db;

private:
    TempDir m_dir;
};
} // namespace

TEST_F(SelectAccountDialog, CreatesTheAccountUnderTheStatementsNumberAfterAskingForADescription)
{
    user.scripts.push_back(
        [](frmSelectAccount& dialog)
        {
            EXPECT_EQ(dialog.GetTitle(), "Select Account");
            EXPECT_FALSE(Find<wxRadioButton>(dialog, IdMapAccount)->IsEnabled()); // no accounts yet
            Click(dialog, wxID_OK); // no description: refused, the dialog stays
            EXPECT_TRUE(dialog.IsModal());
            Find<wxChoice>(dialog, IdAccountType)->SetStringSelection("Cash");
            Find<wxTextCtrl>(dialog, IdDescription)->ChangeValue("Savings");
            Click(dialog, wxID_OK);
        });
    ImportFileResult result = Import("99-123");
    EXPECT_EQ(user.dialogsShown, 1);
    EXPECT_EQ(user.boxes, std::vector<std::string>{"You must enter an account description."});
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(Value("SELECT Type FROM Account WHERE AccountID = '99-123'"), "Cash");
    EXPECT_EQ(Value("SELECT Description FROM Account WHERE AccountID = '99-123'"), "Savings");
    EXPECT_EQ(Value("SELECT COUNT(1) FROM Trans WHERE AccountID = '99-123'"), "1");
    EXPECT_EQ(treeRebuilds, 1);

    Import("99-123"); // known now: nothing is asked
    EXPECT_EQ(user.dialogsShown, 1);
}

TEST_F(SelectAccountDialog, MapsToAnExistingAccountKeepingItsHistory)
{
    m_db->Execute("INSERT INTO Account (AccountID, Description, Type) VALUES ('old', "
                  "'O''Neil Checking', 'Bank')");
    m_db->Execute("INSERT INTO Trans (AccountID, Sequence, FITID, Amount) VALUES ('old', 1, "
                  "'earlier', 5)");
    user.scripts.push_back(
        [](frmSelectAccount& dialog)
        {
            EXPECT_EQ(Find<wxChoice>(dialog, IdExistingAccount)->GetStringSelection(),
                      "O'Neil Checking");
            ChooseRadio(dialog, IdMapAccount);
            EXPECT_FALSE(Find<wxTextCtrl>(dialog, IdDescription)->IsEnabled());
            EXPECT_TRUE(Find<wxChoice>(dialog, IdExistingAccount)->IsEnabled());
            Click(dialog, wxID_OK);
        });
    Import("55-1");
    EXPECT_EQ(Value("SELECT AccountID FROM Account"), "55-1");
    EXPECT_EQ(Value("SELECT COUNT(1) FROM Trans WHERE AccountID = '55-1'"), "2");
    EXPECT_EQ(Value("SELECT COUNT(1) FROM Trans WHERE AccountID = 'old'"), "0");
}

TEST_F(SelectAccountDialog, CancelImportsNothing)
{
    user.scripts.push_back([](frmSelectAccount& dialog) { dialog.EndModal(wxID_CANCEL); });
    ImportFileResult result = Import("77");
    EXPECT_FALSE(result.accountResolved);
    EXPECT_EQ(Value("SELECT COUNT(1) FROM Account"), "0");
    EXPECT_EQ(Value("SELECT COUNT(1) FROM Trans"), "0");
}
