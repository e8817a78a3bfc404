#include "data/DateTime.h"
#include "data/Regional.h"
#include "data/ViewColumns.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"

#include <wx/msgdlg.h>

#include <ctime>

namespace
{
class BudgetView : public ControllerTest
{
protected:
    void AddBudgetLine(int year, int month, const std::string& category, const std::string& group,
                       int amount)
    {
        Prepare({"INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES (" +
                 std::to_string(year) + ", " + std::to_string(month) + ", '" + category + "', '" +
                 group + "', " + std::to_string(amount) + ")"});
    }

    void ShowBudget(int month, int year)
    {
        ShowPeriod(month, year);
        m_controller->SelectNode(Node("", KindBudget));
        RunPendingEvents();
    }

    std::vector<std::string> Column(int row0, int rows, int logical)
    {
        std::vector<std::string> texts;
        for (int row = row0; row < row0 + rows; ++row)
            texts.push_back(Grid().GetCellValue(row, Grid().GridColumn(logical)).utf8_string());
        return texts;
    }
};

DateTime Today()
{
    return ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
}
} // namespace

TEST_F(BudgetView, ALineWithoutCategoryIsRefusedAndOneWithoutGroupGetsNone)
{
    Controller& window = Start();
    ShowBudget(5, 2016);
    MessageBoxAnswers answers;
    Grid().GetGridWindow()->SetFocus();
    Grid().GoToCell(0, 1);
    Grid().StartEdit();
    Type("-250");
    Press(WXK_RETURN);
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0].text, "Please enter a category.");
    EXPECT_EQ(answers.Messages()[0].caption, "Quorvel Tallybrook");
    EXPECT_TRUE(answers.Messages()[0].style & wxICON_ERROR);
    EXPECT_TRUE(Grid().HasPendingChanges());
    EXPECT_EQ(Grid().GetGridCursorCol(), Grid().GridColumn(0)); // the cursor goes to Category
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget"), 0);

    Grid().EndCellEdit();
    Grid().GoToCell(0, 0);
    Grid().StartEdit();
    Type("Rent");
    Press(WXK_RETURN);
    EXPECT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(Text("SELECT CategoryGroup FROM Budget WHERE Category = 'Rent'"), "(none)");
    EXPECT_EQ(Text("SELECT [Year] FROM Budget WHERE Category = 'Rent'"), "2016");
    EXPECT_EQ(Text("SELECT Period FROM Budget WHERE Category = 'Rent'"), "5");
    EXPECT_EQ(Text("SELECT Amount FROM Budget WHERE Category = 'Rent'"), "-250");
    // new row, "(none)" header, Rent, "(none)" totals
    ASSERT_EQ(Grid().GetNumberRows(), 4);
    EXPECT_EQ(Grid().GetCellValue(1, 0), "(none)");
    EXPECT_EQ(window.FirstTotal()->GetValue().utf8_string(),
              FormatCurrency(Currency::FromWhole(-250)));
}

TEST_F(BudgetView, GroupTotalsAddTheLinesOfEachGroupAndOnlyIncludedAccounts)
{
    AddAccount("A1", "Checking", "Bank", 1);
    AddAccount("A2", "Business", "Bank", 2);
    Prepare({"UPDATE Account SET BudgetInclude = FALSE WHERE AccountID = 'A2'"});
    AddBudgetLine(2016, 5, "Groceries", "Food", -300);
    AddBudgetLine(2016, 5, "Dining", "Food", -100);
    AddBudgetLine(2016, 5, "Fuel", "Car", -80);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount) VALUES "
             "('A1', 1, 2016, 5, 'Groceries', -120)",
             "INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount) VALUES "
             "('A1', 2, 2016, 5, 'Dining', -45.5)",
             "INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount) VALUES "
             "('A2', 3, 2016, 5, 'Dining', -1000)",
             "INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount) VALUES "
             "('A1', 4, 2016, 6, 'Fuel', -60)"});
    Start();
    ShowBudget(5, 2016);
    // new row | Car header, Fuel, Car totals | Food header, Dining, Groceries, Food totals
    ASSERT_EQ(Grid().GetNumberRows(), 8);
    EXPECT_EQ(Column(1, 7, 0),
              (std::vector<std::string>{"Car", "Fuel", "", "Food", "Dining", "Groceries", ""}));
    auto money = [](const char* amount) { return FormatCurrency(*Currency::Parse(amount)); };
    EXPECT_EQ(Column(2, 2, 6), (std::vector<std::string>{"", money("0")}));
    EXPECT_EQ(Column(5, 3, 6),
              (std::vector<std::string>{money("-45.5"), money("-120"), money("-165.5")}));
    EXPECT_EQ(Column(5, 3, 1),
              (std::vector<std::string>{money("-100"), money("-300"), money("-400")}));
    EXPECT_EQ(Column(2, 1, 7), (std::vector<std::string>{money("80")}));
    EXPECT_EQ(Column(5, 2, 7), (std::vector<std::string>{money("54.5"), money("180")}));
}

TEST_F(BudgetView, StartUpCopiesTheLatestEarlierBudgetIntoAnEmptyMonthOnly)
{
    DateTime today = Today();
    int earlierYear = today.month > 3 ? today.year : today.year - 1;
    int earlierMonth = today.month > 3 ? today.month - 3 : today.month + 9;
    AddBudgetLine(earlierYear, earlierMonth, "Rent", "Home", -900);
    AddBudgetLine(earlierYear, earlierMonth, "Food", "Living", -300);
    Start();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE [Year] = " + std::to_string(today.year) +
                     " AND Period = " + std::to_string(today.month)),
              2);
    EXPECT_EQ(Text("SELECT Amount FROM Budget WHERE Category = 'Rent' AND Period = " +
                   std::to_string(today.month)),
              "-900");
    Destroy();

    // A month that has lines is left alone at the next start.
    Prepare(
        {"DELETE FROM Budget WHERE Category = 'Food' AND Period = " + std::to_string(today.month)});
    Start();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE [Year] = " + std::to_string(today.year) +
                     " AND Period = " + std::to_string(today.month)),
              1);
}

TEST_F(BudgetView, DeletingALineUncategorisesThatMonthsTransactionsOnly)
{
    AddAccount("A1", "Checking", "Bank", 1);
    AddBudgetLine(2016, 5, "Dining", "Food", -100);
    AddBudgetLine(2016, 6, "Dining", "Food", -100);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount) VALUES "
             "('A1', 1, 2016, 5, 'Dining', -20)",
             "INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount) VALUES "
             "('A1', 2, 2016, 6, 'Dining', -30)"});
    Start();
    ShowBudget(5, 2016);
    MessageBoxAnswers answers;
    answers.Queue(wxID_YES);
    Grid().GetGridWindow()->SetFocus();
    Grid().GoToCell(2, 0); // the Dining line under the Food header
    Press(WXK_DELETE);
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0].text, "Are you sure you want to delete this record?");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE Period = 5"), "(none)");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE Period = 6"), "Dining");
    EXPECT_EQ(Text("SELECT CategoryGroup FROM Budget WHERE Period = 5"), "(none)");
    EXPECT_EQ(Text("SELECT Category FROM Budget WHERE Period = 5"), "(none)");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE Period = 6"), 1);
}

TEST_F(BudgetView, ALineTypedForACategoryTheMonthHoldsUpdatesThatLine)
{
    AddAccount("A1", "Checking", "Bank", 1);
    // The line the register adds for a category it meets first.
    AddBudgetLine(2016, 5, "Food", "(none)", 0);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, [Year], Period, Category, Amount) VALUES "
             "('A1', 1, 2016, 5, 'Food', -45)"});
    Controller& window = Start();
    ShowPeriod(5, 2016);
    RealInput input(window);
    input.ClickTreeItem(Tree(), Node("", KindBudget));
    ASSERT_EQ(Grid().GetNumberRows(), 4); // new row, "(none)" header, Food, totals

    input.ClickCell(Grid(), 0, Grid().GridColumn(BudgetColumn::Category));
    input.Type("Food");
    input.Key(WXK_TAB);
    input.Type("-300");
    input.ClickCell(Grid(), 0, Grid().GridColumn(BudgetColumn::Group));
    input.Type("Groceries");
    input.Key(WXK_RETURN);

    EXPECT_FALSE(Grid().HasPendingChanges());
    // The start-up copied the line into today's month too; May 2016 holds the one line.
    const std::string may = " FROM Budget WHERE [Year] = 2016 AND Period = 5";
    EXPECT_EQ(Scalar("SELECT COUNT(*)" + may), 1);
    EXPECT_EQ(Text("SELECT Category" + may), "Food");
    EXPECT_EQ(Text("SELECT CategoryGroup" + may), "Groceries");
    EXPECT_EQ(Text("SELECT Amount" + may), "-300");
    EXPECT_EQ(Scalar("SELECT Sequence" + may), 1); // the line keeps its number
    // new row, Groceries header, Food, totals
    ASSERT_EQ(Grid().GetNumberRows(), 4);
    EXPECT_EQ(Column(1, 2, BudgetColumn::Category),
              (std::vector<std::string>{"Groceries", "Food"}));
    EXPECT_EQ(Column(2, 1, BudgetColumn::Actual),
              std::vector<std::string>{FormatCurrency(Currency::FromWhole(-45))});
}
