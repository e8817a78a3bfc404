// The Export command reached by its key chord and its menu item: the save dialog is answered
// through the modal-dialog hook with the path and file type a user would choose, and the
// written file is read back.
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "data/ViewColumns.h"
#include "exchange/frmExport.h"
#include "gui/FileDialogPath.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"

#include <wx/arrstr.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
/// Answers the save dialog with a path, as a user choosing a file does, and records what
/// the dialog and the message boxes showed. wxGTK's dialog, not shown, gives no path from
/// GetPath, so the command reads the folder and name set here.
class ExportAnswers : public wxModalDialogHook
{
public:
    ExportAnswers()
    {
        Register();
        m_previous = SetChosenPathReader(
            [](const wxFileDialog& dialog)
            { return wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath(); });
    }
    ~ExportAnswers() override
    {
        SetChosenPathReader(std::move(m_previous));
        Unregister();
    }

    std::string path;           ///< the file chosen; empty: the dialog is cancelled
    std::string fileType;       ///< the label of the file type chosen; empty: the first
    int yesNoAnswer = wxID_YES; ///< the answer to a question
    std::string title;          ///< of the last save dialog
    std::string wildcard;
    long style = 0;
    int fileDialogs = 0;
    std::vector<std::string> messages;

protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog))
        {
            messages.push_back(box->GetMessage().utf8_string());
            return (box->GetMessageDialogStyle() & wxYES_NO) ? yesNoAnswer : wxID_OK;
        }
        auto* files = dynamic_cast<wxFileDialog*>(dialog);
        if (!files)
            return wxID_CANCEL;
        ++fileDialogs;
        title = files->GetMessage().utf8_string();
        wildcard = files->GetWildcard().utf8_string();
        style = files->GetWindowStyle();
        if (path.empty())
            return wxID_CANCEL;
        if (!fileType.empty())
            files->SetFilterIndex(FilterIndex(files->GetWildcard(), fileType));
        files->SetPath(wxString::FromUTF8(path));
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}

private:
    // The place of a file type in the list the wildcard makes ("label|pattern|label|...").
    static int FilterIndex(const wxString& wildcard, const std::string& label)
    {
        wxArrayString parts = wxSplit(wildcard, '|');
        for (std::size_t i = 0; i < parts.size(); i += 2)
            if (parts[i].utf8_string() == label)
                return static_cast<int>(i / 2);
        ADD_FAILURE() << "no file type " << label;
        return 0;
    }

    ChosenPathReader m_previous;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ExportCommand : public ControllerTest
{
protected:
    /// A Bank account with two transactions in May 2016 and a Loan account, the register
    /// of the Bank account shown.
    Controller& StartOnRegister()
    {
        AddAccount("A1", "Checking", "Bank", 1);
        AddAccount("L1", "Mortgage", "Loan", 2);
        AddAccount("I1", "Brokerage", "Investment", 3);
        Prepare({"INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
                 "Category, Amount, Description, FITID) VALUES ('A1', 1, 0, 2016, 5, #5/3/2016#, "
                 "'(none)', -12.5, 'Corner \"Bakery\" & Cafe', 'F1')",
                 "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
                 "Category, Amount, Description, FITID) VALUES ('A1', 2, 0, 2016, 5, #5/4/2016#, "
                 "'(none)', 100, 'Salary', 'F2')"});
        Controller& window = Start();
        ShowPeriod(5, 2016);
        m_input.emplace(window);
        m_input->ClickTreeItem(Tree(), Node("1", KindRegister));
        return window;
    }

    std::optional<RealInput> m_input;
};
} // namespace

TEST_F(ExportCommand, TheChosenFileGetsTheAccountAsOfxOrCsv)
{
    Controller& window = StartOnRegister();
    ExportAnswers answers;

    // A name typed without an extension gets ".ofx".
    answers.path = m_dir.File("may statement");
    m_input->Key('E', wxMOD_CONTROL);
    EXPECT_EQ(answers.fileDialogs, 1);
    EXPECT_EQ(answers.title, "Export");
    EXPECT_EQ(answers.wildcard, "Open Financial Exchange|*.ofx|CSV (Comma delimited)|*.csv");
    EXPECT_TRUE(answers.style & wxFD_SAVE);
    EXPECT_TRUE(answers.style & wxFD_OVERWRITE_PROMPT);
    std::string ofx = ReadFile(m_dir.File("may statement.ofx"));
    EXPECT_TRUE(ofx.starts_with("OFXHEADER:100\r\nDATA:OFXSGML\r\n")) << ofx;
    EXPECT_NE(ofx.find("<ACCTID>A1<"), std::string::npos);
    EXPECT_NE(ofx.find("<NAME>Corner \"Bakery\" &amp; Cafe<"), std::string::npos);
    EXPECT_NE(ofx.find("<BALAMT>87.5<"), std::string::npos);
    EXPECT_TRUE(answers.messages.empty());

    // The same name again: the file of that name is asked about; No keeps it.
    std::filesystem::resize_file(m_dir.File("may statement.ofx"), 10);
    answers.yesNoAnswer = wxID_NO;
    m_input->Key('E', wxMOD_CONTROL);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0],
              m_dir.File("may statement.ofx") + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(std::filesystem::file_size(m_dir.File("may statement.ofx")), 10u);

    // The menu item; a name ending in .CSV writes the table, newest first.
    answers.path = m_dir.File("REPORT.CSV");
    ASSERT_TRUE(m_input->ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(Command::Export)));
    EXPECT_EQ(answers.fileDialogs, 3);
    std::string csv = ReadFile(m_dir.File("REPORT.CSV"));
    EXPECT_TRUE(csv.starts_with("Date,Description,Amount,Check #,Category,Notes\r\n")) << csv;
    std::size_t salary = csv.find(",\"Salary\",100,");
    std::size_t bakery = csv.find(",\"Corner \"\"Bakery\"\" & Cafe\",-12.5,");
    EXPECT_NE(salary, std::string::npos) << csv;
    EXPECT_LT(salary, bakery) << csv;

    // A folder that is not there: the message names the file and the reason.
    answers.path = m_dir.File("gone/x.ofx");
    m_input->Key('E', wxMOD_CONTROL);
    ASSERT_EQ(answers.messages.size(), 2u);
    EXPECT_EQ(answers.messages[1],
              "The file '" + answers.path + "' could not be written: No such file or directory.");

    // Cancel writes nothing.
    answers.path.clear();
    m_input->Key('E', wxMOD_CONTROL);
    EXPECT_EQ(answers.fileDialogs, 5);
    EXPECT_EQ(answers.messages.size(), 2u);
}

TEST_F(ExportCommand, ANameTypedWithoutExtensionGetsTheOneOfTheChosenFileType)
{
    StartOnRegister();
    ExportAnswers answers;

    answers.fileType = "CSV (Comma delimited)";
    answers.path = m_dir.File("may");
    m_input->Key('E', wxMOD_CONTROL);
    EXPECT_EQ(answers.fileDialogs, 1);
    std::string csv = ReadFile(m_dir.File("may.csv"));
    EXPECT_TRUE(csv.starts_with("Date,Description,Amount,Check #,Category,Notes\r\n")) << csv;
    EXPECT_NE(csv.find(",\"Salary\",100,"), std::string::npos) << csv;
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("may")));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("may.ofx")));

    answers.fileType = "Open Financial Exchange";
    m_input->Key('E', wxMOD_CONTROL);
    EXPECT_TRUE(ReadFile(m_dir.File("may.ofx")).starts_with("OFXHEADER:100\r\n"));

    // A name with an extension keeps it, whichever type is chosen.
    answers.fileType = "CSV (Comma delimited)";
    answers.path = m_dir.File("june.ofx");
    m_input->Key('E', wxMOD_CONTROL);
    EXPECT_TRUE(ReadFile(m_dir.File("june.ofx")).starts_with("OFXHEADER:100\r\n"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("june.ofx.csv")));
    EXPECT_EQ(answers.fileDialogs, 3);
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(ExportCommand, IsGreyedOnHoldingsAndLoansAndWhileACellIsEdited)
{
    Controller& window = StartOnRegister();
    EXPECT_TRUE(window.IsCommandEnabled(Command::Export));

    m_input->ClickCell(Grid(), 1, Grid().GridColumn(RegisterColumn::Description));
    m_input->Key(WXK_F2);
    ASSERT_TRUE(Grid().IsEditing());
    EXPECT_FALSE(window.IsCommandEnabled(Command::Export));
    m_input->Key(WXK_ESCAPE);
    Grid().EndCellEdit();

    ExportAnswers answers;
    answers.path = m_dir.File("never.ofx");
    for (const char* node : {"2", "3"})
    {
        m_input->ClickTreeItem(Tree(),
                               Node(node, node == std::string("2") ? KindLoan : KindInvestment));
        EXPECT_FALSE(window.IsCommandEnabled(Command::Export)) << node;
        m_input->Key('E', wxMOD_CONTROL);
        EXPECT_FALSE(
            m_input->ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(Command::Export)));
    }
    EXPECT_EQ(answers.fileDialogs, 0);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("never.ofx")));

    // The home page has no account: greyed too.
    m_input->ClickTreeItem(Tree(), Tree().GetRootItem());
    EXPECT_FALSE(window.IsCommandEnabled(Command::Export));
}
