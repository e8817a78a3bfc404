// Find over every account: which rows a query matches, in what order, with what count and
// sum, and that the index follows every write at once.

#include "search/TransactionSearch.h"

#include "data/Schema.h"
#include "data/Statement.h"
#include "data/TransactionAppender.h"
#include "search/FoundRowsQuery.h"
#include "support/TransTestDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class TransactionSearch : public TransTestDatabase
{
protected:
    void SetUp() override
    {
        Db().Execute("INSERT INTO Account (AccountID, Description, Type) VALUES ('A1', "
                     "'Checking', 'Bank')");
        Db().Execute("INSERT INTO Account (AccountID, Description, Type) VALUES ('V9', "
                     "'Visa Card', 'Credit Card')");
        Add({.sequence = 1,
             .date = "1/5/2024",
             .amount = "-4.5",
             .description = "Caf\xC3\xA9 "
                            "Z\xC3\xBCrich",
             .notes = "espresso",
             .category = "Food"});
        Add({.sequence = 2,
             .date = "2/1/2024",
             .amount = "-850",
             .description = "Rent March",
             .check = "1042",
             .category = "Rent"});
        Add({.sequence = 3,
             .date = "2/1/2024",
             .amount = "42.17",
             .description = "Refund",
             .notes = "returned cafe table",
             .account = "V9",
             .category = "Shopping"});
        Add({.sequence = 4,
             .date = "12/30/2023",
             .amount = "-42.17",
             .description = "Table",
             .account = "V9",
             .category = "Shopping"});
    }

    /// The sequences found, in the order found.
    std::vector<int> Found(const SearchQuery& query)
    {
        std::vector<int> sequences;
        for (const FoundTransaction& row : FindTransactions(Db(), query, 100).rows)
            sequences.push_back(row.sequence);
        return sequences;
    }

    static SearchQuery Words(std::vector<std::string> words)
    {
        SearchQuery query;
        query.words = std::move(words);
        return query;
    }
};
} // namespace

TEST_F(TransactionSearch, AWordIsFoundInEachTextAnywhereIgnoringCase)
{
    const struct
    {
        std::vector<std::string> words;
        std::vector<int> found;
    } cases[] = {
        {{"zÜRich"}, {1}},            // description, case folded beyond ASCII
        {{"PRESS"}, {1}},             // notes
        {{"hopp"}, {3, 4}},           // category, newest first
        {{"104"}, {2}},               // check number
        {{"table"}, {3, 4}},          // notes of one row, description of the other
        {{"table", "returned"}, {3}}, // every word must occur
        {{"CAF\xC3\x89"}, {1}},       // "CAFÉ" finds "Café"
        {{"cafe"}, {3}},              // accents count: "cafe" finds no "Café"
        {{"nowhere"}, {}},            // nothing
        {{"Re"}, {3, 2, 1}},          // two letters: Refund, Rent, espresso's "re"
        {{"4"}, {2}},                 // one character: the check number 1042
        {{"\"quoted\""}, {}},         // quotes in a word are text, not syntax
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.words.front());
        EXPECT_EQ(Found(Words(c.words)), c.found);
    }
}

TEST_F(TransactionSearch, EachConditionNarrowsTheRows)
{
    SearchQuery amount;
    amount.amountFrom = amount.amountTo = Currency::FromUnits(421700);
    SearchQuery range;
    range.amountFrom = Currency::FromUnits(40000);
    range.amountTo = Currency::FromUnits(500000);
    SearchQuery from;
    from.from = DateTime{2024, 2, 1, 0, 0, 0};
    SearchQuery to;
    to.to = DateTime{2024, 1, 5, 0, 0, 0};
    SearchQuery account;
    account.account = "visa card";
    SearchQuery number;
    number.account = "a1";
    SearchQuery category;
    category.category = "rent";
    SearchQuery both = Words({"table"});
    both.to = DateTime{2023, 12, 31, 0, 0, 0};
    const struct
    {
        const char* name;
        SearchQuery query;
        std::vector<int> found;
    } cases[] = {
        {"42.17 in or out", amount, {3, 4}},
        {"4.00 to 50.00", range, {3, 1, 4}},
        {"from 1 February", from, {3, 2}},
        {"to 5 January, the day included", to, {1, 4}},
        {"an account's description", account, {3, 4}},
        {"an account's number", number, {2, 1}},
        {"a category", category, {2}},
        {"a word and a day", both, {4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Found(c.query), c.found) << c.name;
}

TEST_F(TransactionSearch, TheCountAndSumCoverEveryRowFoundNotOnlyThoseShown)
{
    SearchResult result = FindTransactions(Db(), Words({"a"}), 2);
    // "a" is in Café, Rent March, Refund's notes and Table: -4.50 - 850 + 42.17 - 42.17.
    EXPECT_EQ(result.rows.size(), 2U);
    EXPECT_EQ(result.count, 4U);
    EXPECT_EQ(result.total, Currency::FromUnits(-8545000));
    const FoundTransaction& first = result.rows.front();
    EXPECT_EQ(first.sequence, 3);
    EXPECT_EQ(first.accountId, "V9");
    EXPECT_EQ(first.account, "Visa Card");
    EXPECT_EQ(first.date, (DateTime{2024, 2, 1, 0, 0, 0}));
    EXPECT_EQ(first.notes, "returned cafe table");
}

TEST_F(TransactionSearch, EveryWriteIsFoundAtOnce)
{
    // Edited, recategorised, deleted, imported, split.
    Db().Execute("UPDATE Trans SET Description = 'Landlord' WHERE Sequence = 2");
    EXPECT_EQ(Found(Words({"Rent March"})), std::vector<int>{});
    EXPECT_EQ(Found(Words({"landlord"})), std::vector<int>{2});
    Db().Execute("UPDATE Trans SET Category = 'Housing' WHERE Sequence = 2");
    EXPECT_EQ(Found(Words({"housing"})), std::vector<int>{2});
    Db().Execute("DELETE FROM Trans WHERE Sequence = 1");
    EXPECT_EQ(Found(Words({"espresso"})), std::vector<int>{});
    TransactionAppender appender(Db());
    appender.Add("A1", "FIT7", "", FromLocalCalendar(DateTime{2024, 3, 1, 0, 0, 0}),
                 Variant::FromCurrency(Currency::FromWhole(-9)), "Bakery Sunrise", "", "(none)");
    EXPECT_EQ(Found(Words({"sunrise"})), std::vector<int>{5});
    Add({.sequence = 5,
         .subSequence = 1,
         .date = "3/1/2024",
         .amount = "-1",
         .description = "Bakery Sunrise",
         .notes = "split part"});
    EXPECT_EQ(FindTransactions(Db(), Words({"sunrise"}), 10).count, 2U);
}

TEST_F(TransactionSearch, AnOlderDatabaseGainsTheIndexAtStartAndFindsItsRows)
{
    std::string path = PathOf("older.mdb");
    {
        std::unique_ptr<Database> db = CreateTestDatabase(path);
        db->Execute("INSERT INTO Trans (AccountID, Sequence, Description) VALUES ('A1', 1, "
                    "'Old Bookshop')");
        for (const char* statement : {"DROP TRIGGER TransSearchDelete",
                                      "DROP TRIGGER TransSearchUpdate", "DROP TABLE TransSearch",
                                      "DROP TABLE TransSearchQueue", "DROP TABLE TransSearchState"})
            Statement(db->Handle(), statement).Step();
        SetBackToVersion(*db, 7);
    }
    Database db(path, OpenOptions{BackupWhen::Never, true});
    EXPECT_EQ(ReadSchemaVersion(db), 9);
    SearchQuery query;
    query.words = {"bookshop"};
    EXPECT_EQ(FindTransactions(db, query, 10).count, 1U);
    // A part of the index lost later is made again at the next start.
    Statement(db.Handle(), "DROP TRIGGER TransSearchUpdate").Step();
    Database again(path, OpenOptions{BackupWhen::Never, true});
    again.Execute("UPDATE Trans SET Description = 'New Bookshop'");
    query.words = {"new book"};
    EXPECT_EQ(FindTransactions(again, query, 10).count, 1U);
}

TEST_F(TransactionSearch, ANumberTakenAgainAndRowsChangedBeforeTheyWereIndexedAreFoundRight)
{
    FindTransactions(Db(), Words({"x"}), 1); // everything so far is indexed
    // The newest row is deleted and a new one takes its number; a new row is changed before
    // any search.
    Db().Execute("DELETE FROM Trans WHERE Sequence = 4");
    Add({.sequence = 6, .date = "3/3/2024", .description = "Garden Centre"});
    Add({.sequence = 7, .date = "3/4/2024", .description = "Pharmacy"});
    Db().Execute("UPDATE Trans SET Description = 'Chemist' WHERE Sequence = 7");
    EXPECT_EQ(Found(Words({"table"})), std::vector<int>{3});
    EXPECT_EQ(Found(Words({"garden"})), std::vector<int>{6});
    EXPECT_EQ(Found(Words({"pharmacy"})), std::vector<int>{});
    EXPECT_EQ(Found(Words({"chemist"})), std::vector<int>{7});
    // The index's own check reads every row again and fails on any difference.
    EXPECT_NO_THROW(Statement(Db().Handle(), "INSERT INTO TransSearch (TransSearch, rank) "
                                             "VALUES ('integrity-check', 1)")
                        .Run());
}

TEST_F(TransactionSearch, TheResultsGridReadsTheRowsFoundNewestFirstWithTheirAccounts)
{
    SearchResult result = FindTransactions(Db(), Words({"ab"}), 10); // Table, cafe table
    ASSERT_EQ(result.rows.size(), 2U);
    Recordset rows;
    rows.Open(FoundRowsQuery(result.rows), Db(), OpenMode::KeysetRead);
    ASSERT_EQ(rows.RecordCount(), 2U);
    ASSERT_EQ(rows.FieldCount(), FoundColumn::Count);
    EXPECT_EQ(rows.GetValue(FoundColumn::Sequence).ToLong(), 3);
    EXPECT_EQ(rows.GetValue(FoundColumn::Account).ToText(), "Visa Card");
    EXPECT_EQ(rows.GetValue(FoundColumn::Notes).ToText(), "returned cafe table");
    EXPECT_EQ(rows.GetValue(FoundColumn::Amount).ToCurrency(), Currency::FromUnits(421700));
    // The period the row is filed under, which the fixture sets apart from its date.
    EXPECT_EQ(rows.GetValue(FoundColumn::Year).ToLong(), 2016);
    EXPECT_EQ(rows.GetValue(FoundColumn::Period).ToLong(), 3);
    rows.MoveNext();
    EXPECT_EQ(rows.GetValue(FoundColumn::Sequence).ToLong(), 4);
    EXPECT_EQ(rows.GetValue(FoundColumn::AccountId).ToText(), "V9");

    Recordset none;
    none.Open(FoundRowsQuery({}), Db(), OpenMode::KeysetRead);
    EXPECT_EQ(none.RecordCount(), 0U);
}

TEST_F(TransactionSearch, TheFirstRowsListedAreTheNewestByDayThenSequenceAndPart)
{
    // Five more rows with "kiwi": two parts of one split, a row of the same day, an older
    // one and one without a date, inserted out of order.
    Add({.sequence = 8, .date = "7/1/2024", .description = "Kiwi A"});
    Add({.sequence = 9, .subSequence = 1, .date = "7/1/2024", .description = "Kiwi B"});
    Add({.sequence = 7, .date = "", .description = "Kiwi C"});
    Add({.sequence = 9, .subSequence = 2, .date = "7/1/2024", .description = "Kiwi D"});
    Add({.sequence = 6, .date = "6/30/2024", .amount = std::nullopt, .description = "Kiwi E"});
    const struct
    {
        std::size_t limit;
        std::vector<std::string> listed;
    } cases[] = {
        {10, {"Kiwi D", "Kiwi B", "Kiwi A", "Kiwi E", "Kiwi C"}},
        {3, {"Kiwi D", "Kiwi B", "Kiwi A"}},
        {1, {"Kiwi D"}},
        {0, {}},
    };
    for (const auto& c : cases)
    {
        SearchResult result = FindTransactions(Db(), Words({"kiwi"}), c.limit);
        std::vector<std::string> listed;
        for (const FoundTransaction& row : result.rows)
            listed.push_back(row.description);
        EXPECT_EQ(listed, c.listed) << c.limit;
        // Four rows of -12.50 and one without an amount, whatever is listed.
        EXPECT_EQ(result.count, 5U) << c.limit;
        EXPECT_EQ(result.total, Currency::FromUnits(-500000)) << c.limit;
    }
}
