#pragma once

#include "data/Balances.h"
#include "data/RecordHelpers.h"
#include "data/ViewKind.h"
#include "exchange/ImportFixture.h"
#include "transfer/TransferLink.h"

#include <cstdio>
#include <string>

/// Accounts to move money between: Checking (opening 100), Savings, a credit card, an
/// account outside the budget and an investment account, which has no register.
class TransferTest : public ImportTest
{
protected:
    TransferTest()
    {
        AddAccount("C", "Checking");
        AddAccount("S", "Savings");
        AddAccount("K", "Visa", "Credit Card");
        AddAccount("O", "Outside");
        AddAccount("I", "Brokerage", "Investment");
        Db().Execute("UPDATE Account SET OpeningBalance = 100 WHERE AccountID = 'C'");
        Db().Execute("UPDATE Account SET BudgetInclude = FALSE WHERE AccountID = 'O'");
    }

    /// A row as the register writes it: whole transaction `sequence`, part 0, in March 2016.
    void AddRow(const std::string& account, int sequence, const std::string& amount,
                const std::string& category, int day = 10, const std::string& description = "Move",
                const std::string& notes = "")
    {
        Db().Execute("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, "
                     "PostDate, Category, Amount, Description, PayeeName) VALUES (" +
                     SqlLiteral(account) + ", " + std::to_string(sequence) + ", 0, 2016, 3, #3/" +
                     std::to_string(day) + "/2016#, " + SqlLiteral(category) + ", " + amount +
                     ", " + SqlLiteral(description) + ", " + SqlLiteral(notes) + ")");
    }

    /// Account, date, amount, description, notes and category of the rows of an account, by
    /// Sequence.
    std::vector<std::string> RowsOf(const std::string& account)
    {
        std::vector<std::string> rows;
        for (Recordset rs = Db().Execute("SELECT PostDate, Amount, Description, PayeeName, "
                                         "Category FROM Trans WHERE AccountID = " +
                                         SqlLiteral(account) + " ORDER BY Sequence, SubSequence");
             !rs.IsEOF(); rs.MoveNext())
        {
            DateTime date = ToLocalCalendar(rs.GetTime("PostDate"));
            char day[16];
            std::snprintf(day, sizeof day, "%04d-%02d-%02d", date.year % 10000, date.month % 100,
                          date.day % 100);
            rows.push_back(std::string(day) + "|" + rs.GetCurrency("Amount").ToPointText() + "|" +
                           rs.GetText("Description") + "|" + rs.GetText("PayeeName") + "|" +
                           rs.GetText("Category"));
        }
        return rows;
    }

    /// The stored CurrentBalance of an account, as text.
    std::string Balance(const std::string& account)
    {
        return Value("SELECT CurrentBalance FROM Account WHERE AccountID = " + SqlLiteral(account));
    }

    /// How many rows share a TransferID with another row.
    int LinkedRows()
    {
        return Count("Trans AS T WHERE TransferID IS NOT NULL AND EXISTS (SELECT * FROM Trans AS "
                     "U WHERE U.TransferID = T.TransferID AND U.Sequence <> T.Sequence)");
    }
};
