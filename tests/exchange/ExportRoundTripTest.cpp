// A statement the program exports imports again, as a file, into an empty database, with
// the same transactions.

#include "exchange/ExportOfx.h"
#include "exchange/ImportDriver.h"
#include "exchange/ImportFixture.h"
#include "support/RegionEnv.h"
#include "support/TransTestDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
using Rows = std::vector<std::string>;

const char* const Fields = "PostDate, Amount, Description, PayeeName, CheckID, FITID";

Rows Read(Database& db, const std::string& sql)
{
    Rows rows;
    for (Recordset rs = db.Execute(sql); !rs.IsEOF(); rs.MoveNext())
    {
        std::string row;
        for (int i = 0; i < rs.FieldCount(); ++i)
            row += (i ? "|" : "") + rs.GetValue(i).ToText();
        rows.push_back(row);
    }
    return rows;
}

/// Replaces the last field of a row.
std::string WithFitid(const std::string& row, const std::string& fitid)
{
    return row.substr(0, row.rfind('|') + 1) + fitid;
}

/// Replaces the second field of a row.
std::string WithAmount(const std::string& row, const std::string& amount)
{
    std::size_t first = row.find('|');
    return row.substr(0, first + 1) + amount + row.substr(row.find('|', first + 1));
}

class ExportRoundTrip : public TransTestDatabase
{
protected:
    /// Exports the account, imports the file into an empty database (the account created
    /// there through the Select Account answer) and returns what was stored there.
    Rows ExportAndImport(const std::string& name, std::string& bytes)
    {
        std::string path = PathOf(name);
        ExportResult exported = ExportOfx(Db(), "1001-77", path, At(2016, 5, 3, 12));
        EXPECT_TRUE(exported.Ok()) << exported.error;
        bytes = ReadBytes(path);

        TempDir elsewhere;
        std::unique_ptr<Database> empty = CreateTestDatabase(elsewhere.File("empty.mdb"));
        RecordingUi ui;
        ScriptedChooser chooser;
        chooser.Create("Bank", "Checking");
        ImportContext context(*empty, ui, chooser);
        context.budgetYear = 2016;
        context.budgetPeriod = 5;
        ImportFileResult imported = ImportFile(context, path);
        EXPECT_EQ(imported.format, StatementFormat::OfxSgml);
        EXPECT_EQ(imported.added, exported.transactions);
        EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        EXPECT_EQ(Read(*empty, "SELECT AccountID FROM Account"), Rows{"1001-77"});
        // Rows are stored in the order of the file; a row without FITID came back with the
        // number of its place in it.
        Rows stored =
            Read(*empty, std::string("SELECT ") + Fields + " FROM Trans ORDER BY Sequence");
        for (std::size_t i = 0; i < stored.size(); ++i)
            if (stored[i].ends_with("|QVTB" + std::to_string(i + 1)))
                stored[i] = WithFitid(stored[i], "QVTB<place>");
        std::sort(stored.begin(), stored.end());
        return stored;
    }

    /// The account's rows in the order of their Sequence and SubSequence.
    Rows Exported()
    {
        return Read(Db(),
                    std::string("SELECT ") + Fields + " FROM Trans ORDER BY Sequence, SubSequence");
    }

    static Rows Sorted(Rows rows)
    {
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};
} // namespace

TEST_F(ExportRoundTrip, AnExportedStatementImportsAsTheSameTransactions)
{
    const std::string baker = "B\xC3\xA4"
                              "cker & S\xC3\xB6hne <Mitte> \"\xC3\x9C\" caf\xC3\xA9 Stra\xC3\x9F"
                              "e";
    Add({.sequence = 1,
         .amount = "-12.5",
         .description = baker,
         .check = "0012",
         .notes = "Br\xC3\xB6tchen & Kaffee <2>",
         .fitid = "F1",
         .account = "1001-77"});
    Add({.sequence = 1,
         .subSequence = 1,
         .amount = "-7.5",
         .description = "B\xC3\xA4"
                        "cker (split #1)",
         .fitid = "F1",
         .account = "1001-77"});
    Add({.sequence = 2,
         .date = "3/20/2016",
         .amount = std::nullopt,
         .description = "No amount 'yet'",
         .account = "1001-77"});
    Add({.sequence = 3,
         .date = "4/1/2016",
         .amount = "1500.25",
         .description = "Salary",
         .notes = "April",
         .fitid = "PAY&04 <b>",
         .account = "1001-77"});
    Add({.sequence = 4,
         .date = "12/31/2015",
         .amount = "0",
         .description = "Fee waived",
         .fitid = "",
         .account = "1001-77"});

    for (const char* name : {"en_US.UTF-8", "de_DE.UTF-8"})
    {
        SCOPED_TRACE(name);
        LocaleEnv locale(name);
        ASSERT_TRUE(locale.Ok());
        Rows expected = Exported();
        ASSERT_EQ(expected.size(), 5u);
        expected[1] = WithFitid(expected[1], "F1-1"); // a split part's own FITID
        expected[2] = WithAmount(WithFitid(expected[2], "QVTB<place>"), "0");
        expected[4] = WithFitid(expected[4], "QVTB<place>");

        std::string bytes;
        EXPECT_EQ(ExportAndImport("western.ofx", bytes), Sorted(expected));
        EXPECT_NE(bytes.find("\r\nCHARSET:1252\r\n"), std::string::npos);
        EXPECT_NE(bytes.find("caf\xE9 Stra\xDF"), std::string::npos); // CP1252 bytes
        EXPECT_EQ(expected[0].substr(expected[0].find('|', expected[0].find('|') + 1)),
                  "|" + baker + "|Br\xC3\xB6tchen & Kaffee <2>|0012|F1");
    }
}

TEST_F(ExportRoundTrip, TextBeyondCp1252ComesBackFromAUtf8Statement)
{
    Add({.sequence = 1,
         .amount = "-3.2",
         .description = "\xE2\x82\xAC 5 \xD0\x9C\xD0\xB8\xD1\x80\xD1\x83 \xD0\xBC\xD0\xB8\xD1\x80",
         .notes = "\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0 & \"\xC3\xA9\"",
         .fitid = "RU-1",
         .account = "1001-77"});
    for (const char* name : {"en_US.UTF-8", "de_DE.UTF-8"})
    {
        SCOPED_TRACE(name);
        LocaleEnv locale(name);
        ASSERT_TRUE(locale.Ok());
        std::string bytes;
        EXPECT_EQ(ExportAndImport("cyrillic.ofx", bytes), Sorted(Exported()));
        EXPECT_NE(bytes.find("\r\nENCODING:UTF-8\r\nCHARSET:NONE\r\n"), std::string::npos);
    }
}
