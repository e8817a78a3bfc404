#pragma once

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/DateTime.h"
#include "data/Recordset.h"
#include "data/Schema.h"
#include "exchange/ImportAccount.h"
#include "exchange/ImportContext.h"
#include "support/ScopedLocale.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <clocale>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

inline const std::string SkippedHead =
    "Invalid data was found while importing. The following lines were skipped:";

inline std::int64_t LocalMidnight(int year, int month, int day)
{
    return FromLocalCalendar(DateTime{year, month, day, 0, 0, 0});
}

/// One STMTTRN block in SGML form; empty fields are left out.
inline std::string Block(const std::string& fitid, const std::string& date,
                         const std::string& amount, const std::string& name = "Payee",
                         const std::string& memo = "", const std::string& check = "")
{
    return "<STMTTRN>\r\n<TRNTYPE>DEBIT\r\n<DTPOSTED>" + date + "\r\n<TRNAMT>" + amount + "\r\n" +
           (fitid.empty() ? "" : "<FITID>" + fitid + "\r\n") +
           (check.empty() ? "" : "<CHECKNUM>" + check + "\r\n") + "<NAME>" + name + "\r\n" +
           (memo.empty() ? "" : "<MEMO>" + memo + "\r\n") + "</STMTTRN>\r\n";
}

/// An SGML statement of one account with the given blocks.
inline std::string Statement(const std::string& accountId, const std::string& blocks)
{
    return "OFXHEADER:100\r\nDATA:OFXSGML\r\n\r\n<OFX>\r\n<STMTRS>\r\n<BANKACCTFROM>\r\n<ACCTID>" +
           accountId + "\r\n<ACCTTYPE>CHECKING\r\n</BANKACCTFROM>\r\n<BANKTRANLIST>\r\n" + blocks +
           "</BANKTRANLIST>\r\n</STMTRS>\r\n</OFX>\r\n";
}

/// A user interface that records what it is asked to show.
class RecordingUi : public UserInterface
{
public:
    struct Message
    {
        std::string text;
        Icon icon;
    };
    void ShowMessage(const std::string& text, Icon icon) override
    {
        messages.push_back({text, icon});
    }
    bool AskYesNo(const std::string&) override { return false; }
    void PushStatus(const std::string& text) override
    {
        status.push_back(text);
        statusLog.push_back(text);
    }
    void PopStatus() override
    {
        ASSERT_FALSE(status.empty()) << "PopStatus without PushStatus";
        status.pop_back();
    }
    void BeginWait() override { ++waitDepth; }
    void EndWait() override { --waitDepth; }

    std::vector<Message> messages;
    std::vector<std::string> status;    ///< the status bar's stack now
    std::vector<std::string> statusLog; ///< every text pushed, in order
    int waitDepth = 0;
};

/// Answers the Select Account dialog from a script and keeps what it was shown.
class ScriptedChooser : public AccountChooser
{
public:
    std::optional<AccountChoice> Choose(const AccountChoiceRequest& request) override
    {
        requests.push_back(request);
        if (onChoose)
            onChoose();
        if (answers.empty())
            return std::nullopt;
        std::optional<AccountChoice> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Create(const std::string& type, const std::string& description)
    {
        answers.push_back(AccountChoice{AccountChoice::Action::Create, type, description});
    }
    void Map(const std::string& description)
    {
        answers.push_back(AccountChoice{AccountChoice::Action::Map, "", description});
    }
    void Cancel() { answers.push_back(std::nullopt); }

    std::deque<std::optional<AccountChoice>> answers;
    std::vector<AccountChoiceRequest> requests;
    std::function<void()> onChoose; ///< runs while the dialog is shown
};

/// A fresh database at the current schema, a recording user interface, a scripted
/// chooser and helpers to write statement files and read the store.
class ImportTest : public ::testing::Test
{
protected:
    ImportTest()
    {
        // Imports remember CSV mappings in the settings file: the test's own.
        std::filesystem::create_directories(m_dir.Path() / "data/Quorvel/Tallybrook");
        m_db = CreateTestDatabase(m_dir.File("qtb.mdb"));
        m_context = std::make_unique<ImportContext>(*m_db, ui, chooser);
        m_context->rebuildTree = [this] { ++treeRebuilds; };
        m_context->refreshView = [this] { ++viewRefreshes; };
        m_context->budgetYear = 2016;
        m_context->budgetPeriod = 5;
    }

    Database& Db() { return *m_db; }
    ImportContext& Context() { return *m_context; }

    /// Writes a file into the test's folder, byte for byte; returns its path.
    std::string WriteFile(const std::string& name, const std::string& content)
    {
        std::string path = m_dir.File(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    void AddAccount(const std::string& id, const std::string& description,
                    const std::string& type = "Bank")
    {
        Db().Execute("INSERT INTO Account (AccountID, Description, Type) VALUES (" + Quote(id) +
                     ", " + Quote(description) + ", " + Quote(type) + ")");
    }

    /// The first field of the first row of a query, as text; "<no row>" when it has none.
    std::string Value(const std::string& sql)
    {
        Recordset rs = Db().Execute(sql);
        return rs.IsEOF() ? "<no row>" : rs.GetValue(0).ToText();
    }

    int Count(const std::string& tableAndCondition)
    {
        return std::stoi(Value("SELECT COUNT(1) FROM " + tableAndCondition));
    }

    /// Every row of a query, fields joined by "|", one text per row.
    std::vector<std::string> Rows(const std::string& sql)
    {
        std::vector<std::string> rows;
        for (Recordset rs = Db().Execute(sql); !rs.IsEOF(); rs.MoveNext())
        {
            std::string row;
            for (int i = 0; i < rs.FieldCount(); ++i)
                row += (i ? "|" : "") + rs.GetValue(i).ToText();
            rows.push_back(row);
        }
        return rows;
    }

    /// The fields of every transaction, in Sequence order.
    std::vector<std::string> Stored(const std::string& fields)
    {
        return Rows("SELECT " + fields + " FROM Trans ORDER BY Sequence");
    }

    /// The posting time of every transaction, in Sequence order.
    std::vector<std::int64_t> PostDates()
    {
        std::vector<std::int64_t> dates;
        for (Recordset rs = Db().Execute("SELECT PostDate FROM Trans ORDER BY Sequence");
             !rs.IsEOF(); rs.MoveNext())
            dates.push_back(rs.GetTime("PostDate"));
        return dates;
    }

    /// Whether the import left no status text pushed and no wait cursor shown.
    void ExpectUiSettled()
    {
        EXPECT_TRUE(ui.status.empty());
        EXPECT_EQ(ui.waitDepth, 0);
    }

    /// Whether every account's stored balance equals what its rows add up to.
    void ExpectBalancesUpToDate()
    {
        for (const std::string& row : Rows("SELECT AccountID, CurrentBalance FROM Account "
                                           "WHERE Type <> 'Loan' AND Type <> 'Investment'"))
        {
            std::string id = row.substr(0, row.find('|'));
            std::string sum = Value("SELECT SUM(Amount) FROM Trans WHERE AccountID = " + Quote(id));
            EXPECT_EQ(row.substr(row.find('|') + 1), sum.empty() ? "0" : sum) << "account " << id;
        }
    }

    /// What the engine's integrity check says of the file: "ok" when sound.
    std::string IntegrityCheck()
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(Db().Handle(), "PRAGMA integrity_check", -1, &stmt, nullptr);
        std::string result = sqlite3_step(stmt) == SQLITE_ROW
                                 ? reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))
                                 : "<no row>";
        sqlite3_finalize(stmt);
        return result;
    }

    /// How many times the database commits while `work` runs.
    int CommitsDuring(const std::function<void()>& work)
    {
        int commits = 0;
        auto count = [](void* n)
        {
            ++*static_cast<int*>(n);
            return 0;
        };
        sqlite3_commit_hook(Db().Handle(), count, &commits);
        work();
        sqlite3_commit_hook(Db().Handle(), nullptr, nullptr);
        return commits;
    }

    static std::string Quote(const std::string& text)
    {
        std::string out = "'";
        for (char c : text)
            out += c == '\'' ? std::string("''") : std::string(1, c);
        return out + "'";
    }

    RecordingUi ui;
    ScriptedChooser chooser;
    int treeRebuilds = 0;
    int viewRefreshes = 0;

private:
    TempDir m_dir;
    ScopedEnv m_dataHome{"XDG_DATA_HOME", m_dir.File("data")};
    std::unique_ptr<Database> m_db;
    std::unique_ptr<ImportContext> m_context;
};
