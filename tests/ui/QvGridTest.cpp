#include "register/QvGrid.h"
#include "data/DatabaseLocation.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Regional.h"
#include "grid/GridPrintout.h"
#include "register/ViewQuery.h"
#include "ui/RealInput.h"
#include "ui/UiTestSupport.h"

#include "support/TempDir.h"

#include <wx/combobox.h>
#include <wx/frame.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <optional>

namespace
{
/// Counts what the grid asks; refuses rows and deletes when told to.
class RecordingHost : public QvGridHost
{
public:
    bool ConfirmDelete(int) override
    {
        ++confirms;
        return confirmDeletes;
    }
    void RowDeleted() override { ++deleted; }
    bool ValidateRow(int) override
    {
        ++validations;
        return !refuseRows;
    }
    void RowsWritten() override { ++written; }
    // A row's number as money.
    Variant ComputedCell(int row, int) override
    {
        return Variant::FromCurrency(Currency::FromWhole(row));
    }
    // A column's number as money.
    Variant GroupTotal(const std::string&, int column) override
    {
        return Variant::FromCurrency(Currency::FromWhole(column));
    }
    std::string SortOrder(const std::string& order, bool grouped, bool ascending) override
    {
        return forcedOrder.empty() ? RewriteSortOrder(order, grouped, ascending) : forcedOrder;
    }

    int confirms = 0;
    int deleted = 0;
    int validations = 0;
    int written = 0;
    bool refuseRows = false;
    bool confirmDeletes = true;
    std::string forcedOrder; ///< an order text to sort by instead of the heading's
};

class QvGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        m_env.emplace("XDG_DATA_HOME", m_dir.Path().string());
        m_db = OpenProgramDatabase();
        m_frame = new wxFrame(nullptr, wxID_ANY, "grid", wxDefaultPosition, wxSize(800, 500));
        m_grid = new QvGrid(m_frame, wxID_ANY, &m_host);
        m_frame->Show();
        RunPendingEvents();
        m_input.emplace(*m_frame);
    }
    void TearDown() override
    {
        if (m_frame)
            m_frame->Destroy();
        RunPendingEvents();
    }

    void Exec(const std::string& sql) { m_db->Execute(sql); }
    /// The database refuses every change of a stored transaction.
    void RefuseUpdates()
    {
        ASSERT_EQ(sqlite3_exec(m_db->Handle(),
                               "CREATE TRIGGER refuse BEFORE UPDATE ON Trans BEGIN SELECT "
                               "RAISE(ABORT, 'refused'); END",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    void AddTrans(int sequence, const std::string& date, const std::string& description, int amount,
                  const std::string& payee = "")
    {
        Exec("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
             "Category, Amount, Description, PayeeName) VALUES ('A1', " +
             std::to_string(sequence) + ", 0, 2016, 5, #" + date + "#, '(none)', " +
             std::to_string(amount) + ", '" + description + "', '" + payee + "')");
    }
    void BindRegister()
    {
        m_sql = BuildViewQuery({3, 2016, 5, "Bank", "A1"});
        auto recordset = std::make_unique<Recordset>();
        recordset->Open(m_sql, *m_db, OpenMode::KeysetLock);
        ASSERT_TRUE(m_grid->BindRecordset(std::move(recordset), m_sql));
    }
    std::string Text(int row, int col) { return m_grid->GetCellValue(row, col).utf8_string(); }
    long long Scalar(const std::string& sql)
    {
        Recordset rs = m_db->Execute(sql);
        return rs.IsEOF() ? -1 : rs.GetValue(0).ToLong();
    }

    TempDir m_dir;
    std::optional<ScopedEnv> m_env;
    std::unique_ptr<Database> m_db;
    wxFrame* m_frame = nullptr;
    QvGrid* m_grid = nullptr;
    RecordingHost m_host;
    std::string m_sql;
    std::optional<RealInput> m_input;
};
} // namespace

TEST_F(QvGridTest, RecordsFollowTheNewRecordRowInQueryOrder)
{
    BindRegister();
    EXPECT_EQ(m_grid->GetNumberRows(), 1);
    EXPECT_EQ(m_grid->GetNumberCols(), 12);
    EXPECT_EQ(m_grid->DataSource().RecordOfRow(0), CADOImpDatasource::NewRecord);
    EXPECT_EQ(m_grid->GetColLabelValue(5), "Notes");

    AddTrans(1, "5/1/2016", "first", 10);
    AddTrans(2, "5/9/2016", "second", -20);
    BindRegister();
    ASSERT_EQ(m_grid->GetNumberRows(), 3);
    EXPECT_EQ(Text(1, 1), "second");
    EXPECT_EQ(Text(2, 1), "first");
    EXPECT_EQ(Text(1, 2), FormatCurrency(Currency::FromWhole(-20)));
    EXPECT_EQ(Text(1, 0), FormatShortDate(DateTime{2016, 5, 9}));
}

TEST_F(QvGridTest, WholeResultIsReadOnceAndPrintedOnPagesCoveringEveryRowAndColumn)
{
    Transaction transaction(*m_db);
    for (int i = 1; i <= 2000; ++i)
        AddTrans(i, "5/1/2016", "row " + std::to_string(i), i);
    transaction.Commit();
    BindRegister();
    ASSERT_EQ(m_grid->GetNumberRows(), 2001);
    // The rows are gone from the table, yet every cell is still served.
    Exec("DELETE FROM Trans");
    m_grid->MakeCellVisible(1990, 1);
    EXPECT_EQ(Text(2000, 1), "row 1");
    EXPECT_EQ(Text(1, 1), "row 2000");

    GridPrintout printout(m_grid);
    printout.Paginate(400, 600);
    ASSERT_GT(printout.PageCount(), 1);
    int lastRow = -1;
    int lastCol = -1;
    for (const GridPage& page : printout.Pages())
    {
        lastRow = std::max(lastRow, page.lastRow);
        lastCol = std::max(lastCol, page.lastCol);
    }
    EXPECT_EQ(lastRow, 2000);
    EXPECT_EQ(lastCol, 11);
    EXPECT_EQ(printout.GetTitle(), "PtrWnd");
}

TEST_F(QvGridTest, EditsArePendingUntilTheRowIsLeftAndEscapeRestoresEveryCell)
{
    AddTrans(1, "5/1/2016", "coffee", 3);
    AddTrans(2, "5/2/2016", "tea", 4);
    BindRegister();
    RealInput& input = *m_input;
    // Typing the stored value changes nothing; a text that is no date is refused with a
    // message, and Escape brings the date back.
    MessageBoxAnswers answers;
    input.ClickCell(*m_grid, 1, 1);
    input.Type("tea");
    input.Key(WXK_RETURN);
    m_grid->EndCellEdit();
    input.ClickCell(*m_grid, 1, 0);
    input.Type("no date");
    input.Key(WXK_RETURN);
    ASSERT_EQ(answers.Messages().size(), 1U);
    EXPECT_EQ(answers.Messages()[0].text, "\"no date\" is not a date.");
    EXPECT_TRUE(m_grid->IsEditing());
    input.Key(WXK_ESCAPE);
    m_grid->EndCellEdit();
    EXPECT_FALSE(m_grid->HasPendingChanges());
    EXPECT_EQ(Text(1, 0), FormatShortDate(DateTime{2016, 5, 2}));

    // Esc after editing two cells restores both stored values.
    input.ClickCell(*m_grid, 1, 1);
    input.Type("chai");
    input.Key(WXK_TAB);
    input.Key(WXK_DELETE);
    input.Type("7");
    input.Key(WXK_RETURN);
    m_grid->EndCellEdit();
    EXPECT_TRUE(m_grid->HasPendingChanges());
    EXPECT_EQ(Text(1, 1), "chai");
    input.Key(WXK_ESCAPE);
    EXPECT_FALSE(m_grid->HasPendingChanges());
    EXPECT_EQ(Text(1, 1), "tea");
    EXPECT_EQ(Text(1, 2), FormatCurrency(Currency::FromWhole(4)));

    m_host.refuseRows = true;
    input.ClickCell(*m_grid, 1, 1);
    input.Type("espresso");
    input.Key(WXK_RETURN);
    EXPECT_FALSE(m_grid->Commit());
    EXPECT_TRUE(m_grid->HasPendingChanges());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Description = 'espresso'"), 0);

    // Both edited cells are written in one update when the row is left.
    m_host.refuseRows = false;
    m_host.validations = 0;
    m_grid->EndCellEdit();
    input.ClickCell(*m_grid, 1, 3);
    input.Type("1001");
    input.Key(WXK_RETURN);
    m_grid->EndCellEdit();
    EXPECT_EQ(m_grid->CurrentRow(), 1);
    input.ClickCell(*m_grid, 2, 1);
    EXPECT_FALSE(m_grid->HasPendingChanges());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Description = 'espresso' AND CheckID = "
                     "'1001'"),
              1);
    EXPECT_EQ(m_host.validations, 1);
    EXPECT_EQ(m_host.written, 1);
}

TEST_F(QvGridTest, RefusedWriteKeepsTheUserOnTheRowAndDeleteAsksFirst)
{
    AddTrans(1, "5/1/2016", "a", 1);
    AddTrans(2, "5/2/2016", "b", 2);
    BindRegister();
    RealInput& input = *m_input;
    RefuseUpdates();
    MessageBoxAnswers answers;
    input.ClickCell(*m_grid, 1, 1);
    input.Type("changed");
    input.Key(WXK_RETURN);
    m_grid->EndCellEdit();
    input.ClickCell(*m_grid, 2, 1);
    EXPECT_EQ(m_grid->GetGridCursorRow(), 1);
    EXPECT_TRUE(m_grid->HasPendingChanges());
    EXPECT_EQ(Text(1, 1), "changed");
    EXPECT_TRUE(answers.Messages().empty());
    // Esc drops the changes; the stored value shows again and the row can be left.
    input.Key(WXK_ESCAPE);
    EXPECT_EQ(Text(1, 1), "b");
    input.ClickCell(*m_grid, 2, 1);
    EXPECT_EQ(m_grid->GetGridCursorRow(), 2);

    // Delete asks first and skips the new-record row.
    input.ClickCell(*m_grid, 0, 1);
    input.Key(WXK_DELETE);
    EXPECT_EQ(m_host.confirms, 0);
    m_host.confirmDeletes = false;
    input.ClickCell(*m_grid, 1, 1);
    input.Key(WXK_DELETE);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 2);
    m_host.confirmDeletes = true;
    input.Key(WXK_DELETE);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Description = 'b'"), 0);
    EXPECT_EQ(m_host.deleted, 1);
    EXPECT_EQ(m_grid->GetNumberRows(), 2);
}

TEST_F(QvGridTest, BindingAgainWritesTheRowBeingTypedFirstOrIsRefused)
{
    AddTrans(1, "5/1/2016", "a", 1);
    BindRegister();
    m_input->ClickCell(*m_grid, 1, 1);
    m_input->Type("typed");
    ASSERT_TRUE(m_grid->IsEditing());
    BindRegister(); // what a command that re-reads the view does
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Description = 'typed'"), 1);
    EXPECT_FALSE(m_grid->HasPendingChanges());

    // A row the database refuses stays, and so does the binding; the reason shows.
    RefuseUpdates();
    MessageBoxAnswers answers;
    m_input->ClickCell(*m_grid, 1, 1);
    m_input->Type("again");
    auto recordset = std::make_unique<Recordset>();
    recordset->Open("SELECT * FROM Trans WHERE 1 = 0", *m_db, OpenMode::KeysetLock);
    EXPECT_FALSE(m_grid->BindRecordset(std::move(recordset), "SELECT * FROM Trans WHERE 1 = 0"));
    EXPECT_FALSE(m_grid->DataSource().Requery());
    EXPECT_TRUE(m_grid->HasPendingChanges());
    EXPECT_EQ(Text(1, 1), "again");
    ASSERT_EQ(answers.Messages().size(), 1U);
    EXPECT_NE(answers.Messages()[0].text.find("refused"), std::string::npos);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Description = 'typed'"), 1);
}

TEST_F(QvGridTest, DeleteTheDatabaseRefusesKeepsTheRowAndSaysWhy)
{
    AddTrans(1, "5/1/2016", "kept", 1);
    BindRegister();
    ASSERT_EQ(sqlite3_exec(m_db->Handle(),
                           "CREATE TRIGGER keep BEFORE DELETE ON Trans BEGIN SELECT "
                           "RAISE(ABORT, 'rows are kept'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    MessageBoxAnswers answers;
    m_input->ClickCell(*m_grid, 1, 1);
    m_input->Key(WXK_DELETE);
    EXPECT_EQ(m_host.confirms, 1);
    EXPECT_EQ(m_host.deleted, 0); // not reported as done
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 1);
    ASSERT_EQ(m_grid->GetNumberRows(), 2);
    EXPECT_EQ(Text(1, 1), "kept");
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_NE(answers.Messages()[0].text.find("rows are kept"), std::string::npos);
    EXPECT_TRUE(answers.Messages()[0].style & wxICON_ERROR);
}

TEST_F(QvGridTest, SortingByTheNotesHeadingOrdersByPayeeName)
{
    AddTrans(1, "5/1/2016", "x", 1, "Zed");
    AddTrans(2, "5/2/2016", "y", 2, "Abe");
    AddTrans(3, "5/3/2016", "z", 3, "Moe");
    BindRegister();
    m_input->ClickHeading(*m_grid, 5);
    EXPECT_EQ(Text(1, 5), "Abe");
    EXPECT_EQ(Text(3, 5), "Zed");
    EXPECT_EQ(m_grid->GetSortingColumn(), 5);
    EXPECT_TRUE(m_grid->IsSortOrderAscending());
    m_input->ClickHeading(*m_grid, 5);
    EXPECT_EQ(Text(1, 5), "Zed");
    EXPECT_FALSE(m_grid->IsSortOrderAscending());
}

TEST_F(QvGridTest, ASortTheEngineRefusesLeavesTheGridOnItsPreviousQuery)
{
    AddTrans(1, "5/1/2016", "first", 1, "Zed");
    AddTrans(2, "5/2/2016", "second", 2, "Abe");
    BindRegister();
    MessageBoxAnswers answers;
    m_host.forcedOrder = "[NoSuchColumn]";
    m_input->ClickHeading(*m_grid, 1);
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_TRUE(answers.Messages()[0].style & wxICON_ERROR);
    ASSERT_EQ(m_grid->GetNumberRows(), 3);
    EXPECT_EQ(Text(1, 1), "second");
    EXPECT_EQ(m_grid->GetSortingColumn(), wxNOT_FOUND);
    // The grid stays usable: the next edit is written.
    m_host.forcedOrder.clear();
    m_input->ClickCell(*m_grid, 1, 1);
    m_input->Type("edited");
    m_input->Key(WXK_RETURN);
    EXPECT_TRUE(m_grid->Commit());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Description = 'edited'"), 1);
}

TEST_F(QvGridTest, EditorsShowPlainNumbersAndDropListsCompleteTheFirstLongerItem)
{
    AddTrans(1, "5/1/2016", "big", 1234567);
    BindRegister();
    RealInput& input = *m_input;
    EXPECT_EQ(m_grid->PlainEditText(1, 2), "1234567");
    input.ClickCell(*m_grid, 1, 2);
    input.Key(WXK_F2);
    ASSERT_TRUE(m_grid->IsEditing());
    auto* text = dynamic_cast<wxTextCtrl*>(m_grid->EditorWindow());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetValue(), "1234567");
    text->SelectAll();
    input.Type("-12");
    input.Key(WXK_RETURN);
    m_grid->EndCellEdit();
    EXPECT_EQ(m_grid->CellValue(1, 2), Variant::FromCurrency(Currency::FromWhole(-12)));
    input.Key(WXK_ESCAPE);

    m_grid->SetDropList(4);
    m_grid->AddDropListItem(4, "Groceries", true);
    m_grid->AddDropListItem(4, "Gas", true);
    EXPECT_EQ(m_grid->DropListItems(4), (std::vector<wxString>{"Gas", "Groceries"}));
    input.ClickCell(*m_grid, 0, 4);
    input.Type("Gro");
    auto* combo = dynamic_cast<wxComboBox*>(m_grid->EditorWindow());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetValue(), "Groceries");
    long from = 0;
    long to = 0;
    combo->GetSelection(&from, &to);
    EXPECT_EQ(from, 3);
    EXPECT_EQ(to, 9);
    combo->SelectAll();
    input.Type("Gas");
    EXPECT_EQ(combo->GetValue(), "Gas");
    input.Key(WXK_ESCAPE);
    m_grid->EndCellEdit();
}

TEST_F(QvGridTest, BudgetGroupingInsertsHeaderAndTotalsRows)
{
    Exec("INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount, Sequence) VALUES "
         "(2016, 5, 'Rent', 'Home', 500, 1)");
    Exec("INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount, Sequence) VALUES "
         "(2016, 5, 'Power', 'Home', 50, 2)");
    Exec("INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount, Sequence) VALUES "
         "(2016, 5, 'Bus', 'Travel', 20, 3)");
    std::string sql = BuildViewQuery({1, 2016, 5, "", ""});
    auto recordset = std::make_unique<Recordset>();
    recordset->Open(sql, *m_db, OpenMode::KeysetLock);
    m_grid->PaintingOff();
    ASSERT_TRUE(m_grid->BindRecordset(std::move(recordset), sql));
    for (int i = 0; i < 2; ++i)
        m_grid->MoveColumn(m_grid->AddComputedColumn(), 5);
    m_grid->GroupBy(5, {6, 1});
    m_grid->PaintingOn();
    // new row, Home header, Power, Rent, Home totals, Travel header, Bus, Travel totals
    ASSERT_EQ(m_grid->GetNumberRows(), 8);
    EXPECT_TRUE(m_grid->IsGroupHeaderRow(1));
    EXPECT_EQ(Text(1, 0), "Home");
    EXPECT_EQ(Text(2, 0), "Power");
    EXPECT_TRUE(m_grid->IsGroupTotalsRow(4));
    EXPECT_TRUE(m_grid->IsGroupHeaderRow(5));
    EXPECT_TRUE(m_grid->IsGroupTotalsRow(7));
    int rows = 0;
    int cols = 0;
    m_grid->GetCellSize(1, 0, &rows, &cols);
    EXPECT_EQ(cols, 8);
    EXPECT_EQ(m_grid->GetRowSize(1), 20);
    // Shown order: Category, Budgeted, hidden, Actual, Difference, Group.
    EXPECT_EQ(m_grid->GridColumn(6), 5);
    EXPECT_EQ(m_grid->GridColumn(5), 7);
    // The totals row shows the host's totals under the columns the View named.
    EXPECT_EQ(Text(4, m_grid->GridColumn(6)), FormatCurrency(Currency::FromWhole(6)));
    EXPECT_EQ(Text(4, m_grid->GridColumn(1)), FormatCurrency(Currency::FromWhole(1)));
    EXPECT_EQ(Text(2, m_grid->GridColumn(6)), FormatCurrency(Currency::FromWhole(2)));
    // Sorting by Budgeted keeps the groups; the first click on Group turns them round.
    m_input->ClickHeading(*m_grid, 1);
    EXPECT_EQ(Text(2, 0), "Power");
    EXPECT_EQ(Text(3, 0), "Rent");
    EXPECT_EQ(Text(6, 0), "Bus");
    m_input->ClickHeading(*m_grid, m_grid->GridColumn(5));
    EXPECT_EQ(Text(1, 0), "Travel");
    EXPECT_EQ(Text(2, 0), "Bus");
    EXPECT_EQ(Text(4, 0), "Home");
    EXPECT_FALSE(m_grid->GroupAscending());
}

TEST_F(QvGridTest, WidthFractionsFillTheWindowWithTheLastShownColumn)
{
    BindRegister();
    for (int col = 6; col <= 11; ++col)
        m_grid->SetColumnHidden(col);
    int width = m_grid->GetClientSize().x - m_grid->GetRowLabelSize();
    m_grid->SetWidthFraction(0, 0.5);
    EXPECT_EQ(m_grid->ColumnWidth(0), static_cast<int>(0.5 * width + 0.5));
    int total = 0;
    for (int col = 0; col < 12; ++col)
        total += m_grid->ColumnWidth(col);
    EXPECT_EQ(total, width);
    EXPECT_EQ(m_grid->ColumnWidth(11), 0);
}

TEST(GridPrintout, BandsHoldAtLeastOneItemAndHiddenColumnsJoinTheBandBefore)
{
    EXPECT_EQ(CutIntoBands({50, 50, 50}, 100), (std::vector<std::pair<int, int>>{{0, 1}, {2, 2}}));
    EXPECT_EQ(CutIntoBands({150, 20}, 100), (std::vector<std::pair<int, int>>{{0, 0}, {1, 1}}));
    EXPECT_EQ(CutIntoBands({60, 0, 0, 60}, 100),
              (std::vector<std::pair<int, int>>{{0, 2}, {3, 3}}));
    EXPECT_TRUE(CutIntoBands({}, 100).empty());
}
