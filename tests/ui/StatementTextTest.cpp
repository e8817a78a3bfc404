// Statement text written in the character sets banks use shows whole in the windows: in the
// register, in the error box and in the Budget view's hint; text stored by older versions
// that is not UTF-8 shows too, never as an empty cell.
#include "data/ViewColumns.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/ScriptedDialogs.h"

#include <wx/tooltip.h>

#include <fstream>

namespace
{
/// "Café Zürich" in Windows-1252, as an OFX 1.x file declaring CHARSET:1252 holds it.
const std::string CafeCp1252 = "Caf\xE9 Z\xFCrich";
const std::string CafeUtf8 = "Caf\xC3\xA9 Z\xC3\xBCrich";

std::string Cp1252Statement(const std::string& posted, const std::string& fitid)
{
    return "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nENCODING:USASCII\r\nCHARSET:1252\r\n"
           "\r\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS><BANKACCTFROM><ACCTID>A1"
           "</BANKACCTFROM><BANKTRANLIST><STMTTRN><TRNTYPE>DEBIT<DTPOSTED>" +
           posted + "<TRNAMT>-4.20<FITID>" + fitid + "<NAME>" + CafeCp1252 +
           "<MEMO>Espresso</STMTTRN></BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\r\n";
}

class StatementText : public ControllerTest
{
protected:
    void ImportFile(const std::string& text)
    {
        std::string path = m_dir.File("statement.ofx");
        std::ofstream(path, std::ios::binary) << text;
        PickedFile picked(path);
        RealInput(*m_controller).Key('I', wxMOD_CONTROL);
        RunPendingEvents();
    }
};
} // namespace

TEST_F(StatementText, Cp1252StatementShowsWholeInTheRegisterTheHintAndTheErrorBox)
{
    AddAccount("A1", "Checking", "Bank", 1);
    Prepare({"INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES (2016, "
             "5, 'Coffee', 'Food', -20)",
             "INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) VALUES "
             "('Notes', 'is', 'Espresso', 'Coffee', 1)"});
    Controller& window = Start();
    ShowPeriod(5, 2016);
    ImportFile(Cp1252Statement("20160503", "C1"));
    EXPECT_EQ(Text("SELECT Description FROM Trans"), CafeUtf8);

    RealInput input(window);
    input.ClickTreeItem(Tree(), Node("1", KindRegister));
    ASSERT_EQ(Grid().GetNumberRows(), 2);
    EXPECT_EQ(Grid().GetCellValue(1, RegisterColumn::Description).utf8_string(), CafeUtf8);

    // The Budget view's hint over the Coffee line lists the transaction by its description.
    input.ClickTreeItem(Tree(), Node("", KindBudget));
    int coffee = -1;
    for (int row = 1; row < Grid().GetNumberRows() && coffee < 0; ++row)
        if (Grid().GetCellValue(row, 0) == "Coffee")
            coffee = row;
    ASSERT_GT(coffee, 0);
    input.ClickCell(Grid(), coffee, 0);
    input.ClickCell(Grid(), coffee, 1);
    wxToolTip* tip = Grid().GetGridWindow()->GetToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_NE(tip->GetTip().utf8_string().find("Description: " + CafeUtf8), std::string::npos)
        << tip->GetTip();

    // A date the store cannot hold stops the import; the box shows the file's text whole.
    MessageBoxAnswers answers;
    ImportFile(Cp1252Statement("19600101", "C2"));
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_NE(answers.Messages()[0].text.find(CafeUtf8), std::string::npos);
}

TEST_F(StatementText, TextThatIsNotUtf8ShowsInsteadOfAnEmptyCell)
{
    AddAccount("A1", "Checking", "Bank", 1);
    Controller& window = Start();
    // Written as an older version stored statement bytes: Windows-1252, unconverted.
    Prepare({"INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, Amount, "
             "Description) VALUES ('A1', 1, 2016, 5, #5/3/2016#, '(none)', -4, '" +
             CafeCp1252 + "')"});
    ShowPeriod(5, 2016);
    RealInput input(window);
    input.ClickTreeItem(Tree(), Node("1", KindRegister));
    ASSERT_EQ(Grid().GetNumberRows(), 2);
    EXPECT_EQ(Grid().GetCellValue(1, RegisterColumn::Description).utf8_string(), CafeUtf8);
}
