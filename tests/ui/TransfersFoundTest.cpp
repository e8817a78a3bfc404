// Rows of two imported statements that look like the two sides of one transfer are offered in
// the Transfers found dialog, shown for real and answered with clicks.
#include "app/QvStatusBar.h"
#include "data/Regional.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/ScriptedDialogs.h"

#include <wx/button.h>
#include <wx/checklst.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
/// One transaction of a statement: FITID, date as OFX writes it, amount and name.
struct StatementRow
{
    std::string fitid;
    std::string date;
    std::string amount;
    std::string name;
};

const char* const OfxHeader = "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX>\r\n";

std::string TransactionList(const std::vector<StatementRow>& rows)
{
    std::string text = "<BANKTRANLIST>\r\n";
    for (const StatementRow& row : rows)
        text += "<STMTTRN>\r\n<TRNTYPE>" + std::string(row.amount[0] == '-' ? "DEBIT" : "CREDIT") +
                "\r\n<DTPOSTED>" + row.date + "\r\n<TRNAMT>" + row.amount + "\r\n<FITID>" +
                row.fitid + "\r\n<NAME>" + row.name + "\r\n</STMTTRN>\r\n";
    return text + "</BANKTRANLIST>\r\n";
}

/// An OFX 1.x statement of a bank account.
std::string BankStatement(const std::string& accountId, const std::vector<StatementRow>& rows)
{
    return OfxHeader +
           std::string("<BANKMSGSRSV1>\r\n<STMTTRNRS>\r\n<STMTRS>\r\n<CURDEF>USD\r\n"
                       "<BANKACCTFROM>\r\n<BANKID>021000021\r\n<ACCTID>") +
           accountId + "\r\n<ACCTTYPE>CHECKING\r\n</BANKACCTFROM>\r\n" + TransactionList(rows) +
           "</STMTRS>\r\n</STMTTRNRS>\r\n</BANKMSGSRSV1>\r\n</OFX>\r\n";
}

/// An OFX 1.x statement of a credit card, in the card's own aggregates.
std::string CardStatement(const std::string& accountId, const std::vector<StatementRow>& rows)
{
    return OfxHeader +
           std::string("<CREDITCARDMSGSRSV1>\r\n<CCSTMTTRNRS>\r\n<CCSTMTRS>\r\n<CURDEF>USD\r\n"
                       "<CCACCTFROM>\r\n<ACCTID>") +
           accountId + "\r\n</CCACCTFROM>\r\n" + TransactionList(rows) +
           "</CCSTMTRS>\r\n</CCSTMTTRNRS>\r\n</CREDITCARDMSGSRSV1>\r\n</OFX>\r\n";
}

/// The dialog's line for a pair: the side the money leaves, an arrow, the side it reaches.
std::string PairText(const std::string& outSide, int outAmount, const std::string& inSide,
                     int inAmount)
{
    return outSide + "  " + FormatCurrency(Currency::FromWhole(outAmount)) + "   \u2192   " +
           inSide + "  " + FormatCurrency(Currency::FromWhole(inAmount));
}

wxCheckListBox& PairList(wxDialog& dialog)
{
    for (wxWindow* child : dialog.GetChildren())
        if (auto* list = dynamic_cast<wxCheckListBox*>(child))
            return *list;
    throw std::runtime_error("no list of pairs");
}

/// Ticks or unticks a line's box with a click on it: the box stands at the start of the line,
/// and the toolkit tells which line a point is on.
void ClickBox(RealInput& input, wxCheckListBox& list, int line)
{
    const int x = 12;
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < list.GetSize().y; ++y)
        if (list.HitTest(wxPoint(x, y)) == line)
        {
            top = top < 0 ? y : top;
            bottom = y;
        }
    if (top < 0)
        throw std::runtime_error("line " + std::to_string(line) + " not shown");
    input.Click(&list, wxPoint(x, (top + bottom) / 2));
}

/// What the dialog showed: its lines and their ticks.
struct Offer
{
    std::vector<std::string> lines;
    std::vector<bool> ticked;
};

Offer ReadOffer(wxDialog& dialog)
{
    wxCheckListBox& list = PairList(dialog);
    Offer offer;
    for (unsigned int i = 0; i < list.GetCount(); ++i)
    {
        offer.lines.push_back(list.GetString(i).utf8_string());
        offer.ticked.push_back(list.IsChecked(i));
    }
    return offer;
}

class TransfersFound : public ControllerTest
{
protected:
    /// Ctrl+I with the statement written to a file of that name and picked in the file dialog.
    void Import(const std::string& name, const std::string& statement)
    {
        std::string path = m_dir.File(name);
        std::ofstream(path, std::ios::binary) << statement;
        PickedFile picked(path);
        RealInput(*m_controller).Key('I', wxMOD_CONTROL);
        RunPendingEvents();
    }

    std::string Field(const std::string& field, const std::string& fitid)
    {
        return Text("SELECT " + field + " FROM Trans WHERE FITID = '" + fitid + "'");
    }
    long long TransferId(const std::string& fitid)
    {
        return Scalar("SELECT TransferID FROM Trans WHERE FITID = '" + fitid + "'");
    }

    ScriptedDialogs m_dialogs;
};
} // namespace

TEST_F(TransfersFound, APaymentAndItsReceiptAreLinkedWithOneClickAndNeverOfferedAgain)
{
    AddAccount("1001", "Checking", "Bank", 1);
    AddAccount("4001", "Visa", "Credit Card", 2);
    Start();
    const std::string checking =
        BankStatement("1001", {{"C1", "20240310", "-500.00", "CARD PAYMENT THANK YOU"},
                               {"C2", "20240311", "-42.17", "GROCERY MART"}});
    const std::string card =
        CardStatement("4001", {{"V1", "20240312", "500.00", "PAYMENT RECEIVED"},
                               {"V2", "20240311", "-60.00", "FUEL STOP"}});

    // Nothing in another account to pair with yet.
    Import("checking.ofx", checking);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE AccountID = '1001'"), 2);
    EXPECT_TRUE(m_dialogs.Cancelled().empty());

    Offer offer;
    std::string linkLabel;
    m_dialogs.Script("Transfers found",
                     [&](wxDialog& dialog)
                     {
                         offer = ReadOffer(dialog);
                         wxWindow* link = dialog.FindWindow(wxID_OK);
                         ASSERT_NE(link, nullptr);
                         linkLabel = link->GetLabel().utf8_string();
                         RealInput(dialog).Click(link);
                     });
    Import("card.ofx", card);
    ASSERT_EQ(m_dialogs.Shown("Transfers found"), 1);
    // -500.00 out of Checking on 10 March, +500.00 into the card two days later.
    ASSERT_EQ(offer.lines.size(), 1u);
    EXPECT_EQ(offer.lines[0], PairText("2024-03-10  Checking  CARD PAYMENT THANK YOU", -500,
                                       "2024-03-12  Visa  PAYMENT RECEIVED", 500));
    EXPECT_EQ(offer.ticked, std::vector<bool>{true});
    EXPECT_EQ(linkLabel, "&Link");
    EXPECT_TRUE(m_dialogs.Messages().empty());

    // Linked: one TransferID, each category naming the other account; amounts and dates as
    // the banks gave them.
    EXPECT_NE(TransferId("C1"), -1);
    EXPECT_EQ(TransferId("V1"), TransferId("C1"));
    EXPECT_EQ(Field("Category", "C1"), "[Visa]");
    EXPECT_EQ(Field("Category", "V1"), "[Checking]");
    EXPECT_EQ(Field("Amount", "C1"), "-500");
    EXPECT_EQ(Field("Amount", "V1"), "500");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE FITID = 'V1' AND PostDate = #3/12/2024#"),
              1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE TransferID IS NOT NULL"), 2);
    // -500 - 42.17 and 500 - 60.
    EXPECT_EQ(Text("SELECT CurrentBalance FROM Account WHERE AccountID = '1001'"), "-542.17");
    EXPECT_EQ(Text("SELECT CurrentBalance FROM Account WHERE AccountID = '4001'"), "440");

    // Both statements again: every row is already there and nothing is asked.
    Import("checking.ofx", checking);
    Import("card.ofx", card);
    EXPECT_EQ(m_dialogs.Shown("Transfers found"), 1);
    EXPECT_TRUE(m_dialogs.Cancelled().empty());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 4);
    EXPECT_EQ(m_controller->StatusBar()->GetStatusText(0),
              "Imported 0 transactions; 2 transactions were already there.");
    EXPECT_EQ(Field("Category", "C1"), "[Visa]");
}

TEST_F(TransfersFound, ARowWithTwoCandidatesIsOfferedUncheckedAndNotNowAsksAgainLater)
{
    AddAccount("1001", "Checking", "Bank", 1);
    AddAccount("2001", "Savings", "Bank", 2);
    AddAccount("4001", "Visa", "Credit Card", 3);
    Start();
    // Two rows of +500.00 in two accounts; receipts do not pair with each other.
    Import("card.ofx", CardStatement("4001", {{"V1", "20240312", "500.00", "PAYMENT RECEIVED"}}));
    Import("savings.ofx", BankStatement("2001", {{"S1", "20240311", "500.00", "TRANSFER IN"}}));
    EXPECT_TRUE(m_dialogs.Cancelled().empty());

    // -500.00 out of Checking within 3 days of both: either may be its other side.
    std::vector<Offer> offers;
    m_dialogs.Script("Transfers found",
                     [&](wxDialog& dialog)
                     {
                         offers.push_back(ReadOffer(dialog));
                         RealInput(dialog).Click(dialog.FindWindow(wxID_CANCEL));
                     });
    Import("checking.ofx",
           BankStatement("1001", {{"C1", "20240310", "-500.00", "ONLINE TRANSFER"}}));
    ASSERT_EQ(offers.size(), 1u);
    // The card's row was stored first, so its pair comes first.
    const std::vector<std::string> lines{PairText("2024-03-10  Checking  ONLINE TRANSFER", -500,
                                                  "2024-03-12  Visa  PAYMENT RECEIVED", 500),
                                         PairText("2024-03-10  Checking  ONLINE TRANSFER", -500,
                                                  "2024-03-11  Savings  TRANSFER IN", 500)};
    EXPECT_EQ(offers[0].lines, lines);
    EXPECT_EQ(offers[0].ticked, (std::vector<bool>{false, false}));
    // Not Now links and refuses nothing.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE TransferID IS NOT NULL"), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TransferRefusal"), 0);
    EXPECT_EQ(Field("Category", "C1"), "(none)");

    // The next statement offers the pairs again; the Savings one is ticked with a click.
    std::vector<bool> afterClick;
    m_dialogs.Script("Transfers found",
                     [&](wxDialog& dialog)
                     {
                         offers.push_back(ReadOffer(dialog));
                         RealInput input(dialog);
                         ClickBox(input, PairList(dialog), 1);
                         afterClick = ReadOffer(dialog).ticked;
                         input.Click(dialog.FindWindow(wxID_OK));
                     });
    Import("card2.ofx", CardStatement("4001", {{"V2", "20240320", "-18.40", "BOOKSHOP"}}));
    ASSERT_EQ(offers.size(), 2u);
    EXPECT_EQ(offers[1].lines, lines);
    EXPECT_EQ(offers[1].ticked, (std::vector<bool>{false, false}));
    EXPECT_EQ(afterClick, (std::vector<bool>{false, true}));
    EXPECT_TRUE(m_dialogs.Messages().empty());

    // The ticked pair is linked; the other is remembered as no transfer.
    EXPECT_NE(TransferId("C1"), -1);
    EXPECT_EQ(TransferId("S1"), TransferId("C1"));
    EXPECT_EQ(Field("Category", "C1"), "[Savings]");
    EXPECT_EQ(Field("Category", "S1"), "[Checking]");
    EXPECT_EQ(TransferId("V1"), -1);
    EXPECT_EQ(Field("Category", "V1"), "(none)");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TransferRefusal"), 1);

    // A later statement asks nothing more.
    Import("card3.ofx", CardStatement("4001", {{"V3", "20240325", "-7.00", "PARKING"}}));
    EXPECT_EQ(offers.size(), 2u);
    EXPECT_EQ(m_dialogs.Shown("Transfers found"), 2);
    EXPECT_TRUE(m_dialogs.Cancelled().empty());
}
