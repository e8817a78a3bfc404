#include "data/TransactionAppender.h"

#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "support/ScopedLocale.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Every column of every Trans row, typed, in Sequence order; Sequence itself left out.
std::vector<std::vector<Variant>> StoredRows(Database& db)
{
    std::vector<std::vector<Variant>> rows;
    Recordset rs;
    rs.Open("SELECT * FROM Trans ORDER BY Sequence", db, OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        std::vector<Variant> row;
        for (int i = 0; i < rs.FieldCount(); ++i)
            if (rs.Field(i).name != "Sequence")
                row.push_back(rs.GetValue(i));
        rows.push_back(row);
    }
    return rows;
}
} // namespace

TEST(TransactionAppender, WritesTheRowsAddTransactionWritesNumberedOnFromTheHighest)
{
    ScopedTimeZone zone("America/New_York");
    TempDir dir;
    auto viaRecordset = CreateTestDatabase(dir.File("a.mdb"));
    auto viaAppender = CreateTestDatabase(dir.File("b.mdb"));
    for (Database* db : {viaRecordset.get(), viaAppender.get()})
        db->Execute("INSERT INTO Trans (AccountID, Sequence) VALUES ('other', 41)");

    struct Row
    {
        std::string fitid;
        std::string checkId;
        std::int64_t date;
        Variant amount;
        std::string description;
        std::string notes;
    };
    const std::string longNotes = std::string(254, 'n') + "\xC3\xA9\xC3\xA9 tail";
    const std::vector<Row> rows = {
        {"F1", "", FromLocalCalendar(DateTime{2016, 3, 13, 0, 0, 0}),
         Variant::FromCurrency(Currency::FromUnits(-125000)), "Caf\xC3\xA9", "memo"},
        {"", "0012", FromLocalCalendar(DateTime{2016, 11, 6, 0, 0, 0}), Variant(), "(blank)",
         longNotes},
        {"f1", "EFT", FromLocalCalendar(DateTime{1970, 1, 1, 0, 0, 0}),
         Variant::FromCurrency(Currency::FromWhole(7)), "O'Brien", "  spaced  "},
    };
    Recordset rs;
    rs.Open("SELECT AccountID, PostDate, Amount, Description, FITID, CheckID, Period, Year, "
            "Category, PayeeName AS Notes, Sequence FROM Trans WHERE AccountID = 'A1'",
            *viaRecordset, OpenMode::KeysetEdit);
    TransactionAppender appender(*viaAppender);
    EXPECT_EQ(appender.NextSequence(), 42);
    for (const Row& row : rows)
    {
        AddTransaction(rs, "A1", row.fitid, row.checkId, row.date, row.amount, row.description,
                       row.notes, "(none)");
        appender.Add("A1", row.fitid, row.checkId, row.date, row.amount, row.description, row.notes,
                     "(none)");
    }
    rs.Close();
    EXPECT_EQ(appender.NextSequence(), 45);
    EXPECT_EQ(StoredRows(*viaAppender), StoredRows(*viaRecordset));
    for (Database* db : {viaRecordset.get(), viaAppender.get()})
    {
        Recordset sequences = db->Execute("SELECT Sequence FROM Trans WHERE AccountID = 'A1' "
                                          "ORDER BY Sequence");
        std::vector<std::int32_t> numbers;
        for (; !sequences.IsEOF(); sequences.MoveNext())
            numbers.push_back(sequences.GetLong("Sequence"));
        EXPECT_EQ(numbers, (std::vector<std::int32_t>{42, 43, 44}));
    }
    Recordset notes = viaAppender->Execute("SELECT PayeeName FROM Trans WHERE Sequence = 43");
    EXPECT_EQ(notes.GetText("PayeeName"), std::string(254, 'n') + "\xC3\xA9");
}
