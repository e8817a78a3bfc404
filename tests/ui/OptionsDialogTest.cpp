// The Options dialog, opened from the Tools menu and driven by clicks and keys.
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "base/Settings.h"
#include "app/frmOptions.h"
#include "data/Regional.h"
#include "data/ViewColumns.h"
#include "register/QvGrid.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/ScriptedDialogs.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/textctrl.h>

#include <string>
#include <vector>

namespace
{
using Col = frmOptions::Column;

class OptionsDialog : public ControllerTest
{
protected:
    /// Opens the dialog with a click on its menu item; the script drives it until it closes.
    void OpenOptions(std::function<void(frmOptions&, RealInput&)> script)
    {
        m_dialogs.Script("Options",
                         [script](wxDialog& dialog)
                         {
                             auto& options = dynamic_cast<frmOptions&>(dialog);
                             RealInput input(options);
                             script(options, input);
                         });
        RealInput input(*m_controller);
        ASSERT_TRUE(
            input.ClickMenuItem(*m_controller->Menu(), CommandTable::ToolkitId(Command::Options)));
        ASSERT_EQ(m_dialogs.Shown("Options"), ++m_opened);
    }

    template <typename Control> static Control& Find(frmOptions& dialog, int id)
    {
        auto* control = dynamic_cast<Control*>(dialog.FindWindow(id));
        if (!control)
            throw std::runtime_error("no control " + std::to_string(id));
        return *control;
    }

    /// The grid row of an account, found by its description; -1 when not listed.
    static int RowOf(frmOptions& dialog, const std::string& description)
    {
        QvGrid& grid = dialog.AccountGrid();
        for (int row = 0; row < grid.GetNumberRows(); ++row)
            if (grid.CellTextValue(row, Col::ColumnAccount) == description)
                return row;
        return -1;
    }

    /// Ticks or unticks an account's box with a click.
    static void ClickBox(frmOptions& dialog, RealInput& input, const std::string& description)
    {
        int row = RowOf(dialog, description);
        ASSERT_GE(row, 0) << description;
        input.ClickCell(dialog.AccountGrid(), row,
                        dialog.AccountGrid().GridColumn(Col::ColumnInclude));
    }

    static std::string Tick(frmOptions& dialog, const std::string& description)
    {
        int row = RowOf(dialog, description);
        return row < 0 ? "<not listed>"
                       : dialog.AccountGrid().CellTextValue(row, Col::ColumnInclude);
    }

    /// Replaces the text of an edit field as a user does: click, select all, type.
    static void Retype(RealInput& input, wxTextCtrl& field, const std::string& text)
    {
        input.Click(&field);
        input.Key('A', wxMOD_CONTROL);
        input.Type(text);
    }

    static void ClickCheckBox(RealInput& input, wxCheckBox& box)
    {
        input.Click(&box, wxPoint(8, box.GetClientSize().y / 2));
    }

    /// BudgetInclude as Jet reads it: -1 or 0.
    long long Included(const std::string& accountId)
    {
        std::string escaped;
        for (char c : accountId)
            escaped += c == '\'' ? std::string("''") : std::string(1, c);
        return Scalar("SELECT BudgetInclude FROM Account WHERE AccountID = '" + escaped + "'");
    }

    ScriptedDialogs m_dialogs;
    int m_opened = 0;
};

std::string Money(const char* amount)
{
    return FormatCurrency(*Currency::Parse(amount));
}
} // namespace

TEST_F(OptionsDialog, AnAccountUntickedWithAClickLeavesTheBudgetsActual)
{
    AddAccount("A1", "Checking", "Bank", 1);
    AddAccount("A2", "Business", "Bank", 2);
    AddAccount("C1", "Wallet", "Cash", 3);
    AddAccount("V1", "Visa", "Credit Card", 4);
    AddAccount("I1", "Brokerage", "Investment", 5);
    AddAccount("L1", "Mortgage", "Loan", 6);
    Prepare({"INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES "
             "(2016, 5, 'Dining', 'Food', -100)",
             "INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount) VALUES "
             "('A1', 1, 2016, 5, 'Dining', -20)",
             "INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount) VALUES "
             "('A2', 2, 2016, 5, 'Dining', -1000)"});
    Start();
    ShowPeriod(5, 2016);
    m_controller->SelectNode(Node("", KindBudget));
    RunPendingEvents();
    // new row | Food header, Dining, Food totals
    auto actual = [this]
    { return Grid().GetCellValue(2, Grid().GridColumn(BudgetColumn::Actual)); };
    ASSERT_EQ(actual(), Money("-1020"));

    OpenOptions(
        [this](frmOptions& dialog, RealInput& input)
        {
            QvGrid& grid = dialog.AccountGrid();
            EXPECT_EQ(grid.Heading(Col::ColumnInclude), "Include");
            EXPECT_EQ(grid.Heading(Col::ColumnAccount), "Account");
            EXPECT_EQ(grid.ColumnWidth(Col::ColumnAccountID), 0);
            // Only the accounts a budget can count: Bank, Cash and Credit Card.
            ASSERT_EQ(grid.GetNumberRows(), 4);
            EXPECT_EQ(RowOf(dialog, "Brokerage"), -1);
            EXPECT_EQ(RowOf(dialog, "Mortgage"), -1);
            for (const char* account : {"Checking", "Business", "Wallet", "Visa"})
                EXPECT_EQ(Tick(dialog, account), "1") << account;
            EXPECT_EQ(grid.CellTextValue(RowOf(dialog, "Business"), Col::ColumnAccountID), "A2");

            ClickBox(dialog, input, "Business");
            EXPECT_EQ(Tick(dialog, "Business"), "0");
            // A tick stays with its account when the list is sorted by a heading.
            input.ClickHeading(grid, grid.GridColumn(Col::ColumnAccount));
            EXPECT_EQ(grid.CellTextValue(0, Col::ColumnAccount), "Business");
            EXPECT_EQ(Tick(dialog, "Business"), "0");
            EXPECT_EQ(Tick(dialog, "Checking"), "1");
            // Nothing is written before OK.
            EXPECT_EQ(Included("A2"), -1);
            input.Click(dialog.FindWindow(wxID_OK));
        });
    EXPECT_EQ(Included("A2"), 0);
    EXPECT_EQ(Included("A1"), -1);
    EXPECT_EQ(Included("C1"), -1);
    // The View is read again: Actual counts the included account only.
    EXPECT_EQ(actual(), Money("-20"));

    OpenOptions(
        [](frmOptions& dialog, RealInput& input)
        {
            EXPECT_EQ(Tick(dialog, "Business"), "0");
            EXPECT_EQ(Tick(dialog, "Checking"), "1");
            input.Click(dialog.FindWindow(wxID_CANCEL));
        });
}

TEST_F(OptionsDialog, AnAccountIdWithAQuoteIsTickedAndUntickedThroughOk)
{
    AddAccount("O''Brien", "Joint", "Bank", 1);
    AddAccount("OBrien", "Other", "Bank", 2);
    Start();
    OpenOptions(
        [](frmOptions& dialog, RealInput& input)
        {
            EXPECT_EQ(
                dialog.AccountGrid().CellTextValue(RowOf(dialog, "Joint"), Col::ColumnAccountID),
                "O'Brien");
            ClickBox(dialog, input, "Joint");
            input.Click(dialog.FindWindow(wxID_OK));
        });
    EXPECT_EQ(Included("O'Brien"), 0);
    EXPECT_EQ(Included("OBrien"), -1);

    OpenOptions(
        [](frmOptions& dialog, RealInput& input)
        {
            EXPECT_EQ(Tick(dialog, "Joint"), "0");
            ClickBox(dialog, input, "Joint");
            EXPECT_EQ(Tick(dialog, "Joint"), "1");
            input.Click(dialog.FindWindow(wxID_OK));
        });
    EXPECT_EQ(Included("O'Brien"), -1);
    EXPECT_EQ(Included("OBrien"), -1);
}

TEST_F(OptionsDialog, CancelWritesNothing)
{
    WriteSetting("BankUrl", "https://bank.example/old", "Settings");
    WriteSetting("UpdateQuotesOnStartup", "0", "Settings");
    AddAccount("A1", "Checking", "Bank", 1);
    Start();
    OpenOptions(
        [](frmOptions& dialog, RealInput& input)
        {
            auto& address = Find<wxTextCtrl>(dialog, frmOptions::IdBankUrl);
            EXPECT_EQ(address.GetValue(), "https://bank.example/old");
            Retype(input, address, "https://bank.example/new");
            EXPECT_EQ(address.GetValue(), "https://bank.example/new");
            ClickCheckBox(input, Find<wxCheckBox>(dialog, frmOptions::IdUpdateQuotes));
            EXPECT_TRUE(Find<wxCheckBox>(dialog, frmOptions::IdUpdateQuotes).GetValue());
            input.ChooseItem(Find<wxChoice>(dialog, frmOptions::IdQuoteService), "csv");
            ClickBox(dialog, input, "Checking");
            input.Click(dialog.FindWindow(wxID_CANCEL));
        });
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "https://bank.example/old");
    EXPECT_EQ(GetSetting("UpdateQuotesOnStartup", "Settings"), "0");
    EXPECT_EQ(GetSetting("QuoteService", "Settings"), "");
    EXPECT_EQ(Included("A1"), -1);
}

TEST_F(OptionsDialog, OkWritesTheSettingsAndYesInTheFileIsNotTicked)
{
    WriteSetting("UpdateQuotesOnStartup", "yes", "Settings");
    WriteSetting("QuoteService", "csv", "Settings");
    AddAccount("I1", "Brokerage", "Investment", 1);
    Start();
    OpenOptions(
        [](frmOptions& dialog, RealInput& input)
        {
            // No Bank, Cash or Credit Card account: the list is empty.
            EXPECT_EQ(dialog.AccountGrid().GetNumberRows(), 0);
            EXPECT_FALSE(Find<wxCheckBox>(dialog, frmOptions::IdUpdateQuotes).GetValue());
            EXPECT_EQ(Find<wxChoice>(dialog, frmOptions::IdQuoteService).GetStringSelection(),
                      "csv");
            Retype(input, Find<wxTextCtrl>(dialog, frmOptions::IdBankUrl),
                   "https://bank.example/login");
            Retype(input, Find<wxTextCtrl>(dialog, frmOptions::IdQuoteUrl),
                   "http://quotes.example/csv");
            input.Click(dialog.FindWindow(wxID_OK));
        });
    EXPECT_EQ(GetSetting("UpdateQuotesOnStartup", "Settings"), "0");
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "https://bank.example/login");
    EXPECT_EQ(GetSetting("QuoteService", "Settings"), "csv");
    EXPECT_EQ(GetSetting("QuoteUrl", "Settings"), "http://quotes.example/csv");

    OpenOptions(
        [](frmOptions& dialog, RealInput& input)
        {
            ClickCheckBox(input, Find<wxCheckBox>(dialog, frmOptions::IdUpdateQuotes));
            input.ChooseItem(Find<wxChoice>(dialog, frmOptions::IdQuoteService), "stooq");
            // An empty address is the service's own.
            Retype(input, Find<wxTextCtrl>(dialog, frmOptions::IdQuoteUrl), "");
            input.Key(WXK_DELETE);
            input.Click(dialog.FindWindow(wxID_OK));
        });
    EXPECT_EQ(GetSetting("UpdateQuotesOnStartup", "Settings"), "1");
    EXPECT_EQ(GetSetting("QuoteService", "Settings"), "stooq");
    EXPECT_EQ(GetSetting("QuoteUrl", "Settings"), "");
}
