#include "transfer/TransferPairing.h"
#include "exchange/ImportDriver.h"
#include "support/RegionEnv.h"
#include "transfer/TransferTestDatabase.h"

namespace
{
/// A card statement (OFX, SGML form) of one account with the given blocks.
std::string CardStatement(const std::string& accountId, const std::string& blocks)
{
    return "OFXHEADER:100\r\nDATA:OFXSGML\r\n\r\n<OFX>\r\n<CREDITCARDMSGSRSV1>\r\n<CCSTMTTRNRS>"
           "\r\n<CCSTMTRS>\r\n<CCACCTFROM>\r\n<ACCTID>" +
           accountId + "\r\n</CCACCTFROM>\r\n<BANKTRANLIST>\r\n" + blocks +
           "</BANKTRANLIST>\r\n</CCSTMTRS>\r\n</CCSTMTTRNRS>\r\n</CREDITCARDMSGSRSV1>\r\n</"
           "OFX>\r\n";
}

std::string Line(const TransferPair& pair)
{
    return pair.out.accountId + ":" + std::to_string(pair.out.key.sequence) + " " + pair.out.date +
           " " + pair.out.amount.ToPointText() + " > " + pair.in.accountId + ":" +
           std::to_string(pair.in.key.sequence) + " " + pair.in.date + " " +
           pair.in.amount.ToPointText() + (pair.sure ? " sure" : " unsure");
}

std::vector<std::string> Lines(const std::vector<TransferPair>& pairs)
{
    std::vector<std::string> lines;
    for (const TransferPair& pair : pairs)
        lines.push_back(Line(pair));
    return lines;
}

/// The account's rows after the pairing tests' imports: Sequence, amount, category.
const char* const Linked = "SELECT AccountID, Amount, Category FROM Trans WHERE TransferID IS "
                           "NOT NULL ORDER BY Sequence";
} // namespace

class TransferPairing : public TransferTest
{
protected:
    TransferPairing()
    {
        Context().answerTransfers = [this](const std::vector<TransferPair>& pairs)
        {
            offered.push_back(Lines(pairs));
            if (!answer)
                return false;
            return answer(pairs);
        };
    }
    ImportFileResult ImportText(const std::string& name, const std::string& text)
    {
        return ImportStatementFile(Context(), WriteFile(name, text));
    }

    std::vector<std::vector<std::string>> offered;
    std::function<bool(const std::vector<TransferPair>&)> answer;
};

TEST_F(TransferPairing, TwoStatementsOfOnePaymentArePairedOnceAccepted)
{
    const std::string checking =
        Statement("C", Block("C1", "20160310", "-500.00", "CARD PAYMENT THANK YOU") +
                           Block("C2", "20160311", "-42.17", "GROCER"));
    const std::string card = CardStatement("K", Block("K1", "20160312", "500.00",
                                                      "PAYMENT - "
                                                      "RECEIVED") +
                                                    Block("K2", "20160312", "-9.99", "STREAMING"));
    EXPECT_EQ(ImportText("checking.ofx", checking).transferPairs, 0);
    EXPECT_TRUE(offered.empty()) << "nothing to pair the card payment with yet";

    answer = [this](const std::vector<TransferPair>& pairs)
    { return AcceptTransferPairs(Db(), pairs) == 1; };
    ImportFileResult second = ImportText("card.ofx", card);
    EXPECT_EQ(second.transferPairs, 1);
    ASSERT_EQ(offered.size(), 1u);
    // Sequences: Checking 1 and 2, then the card 3 and 4.
    EXPECT_EQ(offered[0],
              std::vector<std::string>{"C:1 2016-03-10 -500.00 > K:3 2016-03-12 500.00 sure"});
    EXPECT_EQ(Rows(Linked), (std::vector<std::string>{"C|-500|[Visa]", "K|500|[Checking]"}));
    EXPECT_EQ(viewRefreshes, 3) << "both imports, then the links";

    EXPECT_EQ(ImportText("checking.ofx", checking).added, 0);
    EXPECT_EQ(ImportText("card.ofx", card).added, 0);
    EXPECT_EQ(offered.size(), 1u) << "the same files again offer nothing";
    EXPECT_TRUE(FindTransferPairs(Db()).empty());
    EXPECT_EQ(Count("Trans"), 4);
    EXPECT_EQ(Balance("C"), "-542.17");
    EXPECT_EQ(Balance("K"), "490.01");
}

TEST_F(TransferPairing, ARowWithTwoCandidatesIsOfferedUnchecked)
{
    AddRow("S", 1, "200", "(none)", 9);
    AddRow("K", 2, "200", "(none)", 13);
    AddRow("O", 3, "200", "(none)", 14); // four days after: too far
    AddRow("C", 4, "200", "(none)", 10); // the same account: never a pair
    ImportText("checking.ofx", Statement("C", Block("C1", "20160310", "-200", "ATM")));
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0],
              (std::vector<std::string>{"C:5 2016-03-10 -200.00 > S:1 2016-03-09 200.00 unsure",
                                        "C:5 2016-03-10 -200.00 > K:2 2016-03-13 200.00 unsure"}));
    EXPECT_EQ(Count("Trans WHERE TransferID IS NOT NULL"), 0) << "nothing without an answer";
}

TEST_F(TransferPairing, ARefusedPairIsNotOfferedAgainAndAChangedRowIsNotLinked)
{
    AddRow("S", 1, "75", "(none)");
    AddRow("S", 2, "30", "(none)");
    ImportText("a.ofx",
               Statement("C", Block("C1", "20160310", "-75") + Block("C2", "20160310", "-30")));
    std::vector<TransferPair> pairs = FindTransferPairs(Db());
    ASSERT_EQ(Lines(pairs),
              (std::vector<std::string>{"C:3 2016-03-10 -75.00 > S:1 2016-03-10 75.00 sure",
                                        "C:4 2016-03-10 -30.00 > S:2 2016-03-10 30.00 sure"}));
    RefuseTransferPairs(Db(), {pairs[0]});
    Db().Execute("UPDATE Trans SET Amount = 31 WHERE Sequence = 2");
    EXPECT_EQ(AcceptTransferPairs(Db(), {pairs[1]}), 0) << "the row is no longer as shown";
    EXPECT_TRUE(FindTransferPairs(Db()).empty());
    CloseTransferReview(Db());
    EXPECT_EQ(Value("SELECT FromSequence FROM TransferReview"), "5");
}

TEST_F(TransferPairing, QifBracketsLinkOrWriteTheOtherSideInEveryTimeZone)
{
    for (const char* zone : {"America/New_York", "Asia/Tokyo"})
    {
        SCOPED_TRACE(zone);
        TimeZoneEnv tz(zone);
        Db().Execute("DELETE FROM Trans");
        Db().Execute("DELETE FROM TransferReview");
        Db().Execute("INSERT INTO TransferReview (FromSequence) VALUES (1)");
        AddRow("S", 1, "500", "(none)", 12, "Deposit");
        chooser.Map("Checking");
        ImportFileResult result =
            ImportText("c.qif", "!Type:Bank\nD03/10/2016\nT-500.00\nPTo savings\nL[Savings]\n^\n"
                                "D03/11/2016\nT-20.00\nPTo card\nL[visa]\n^\n"
                                "D03/11/2016\nT-7.00\nPOld habit\nL[Nowhere]\n^\n");
        EXPECT_EQ(result.added, 3);
        // The -500 meets the Savings deposit two days later; the card gets its side written;
        // [Nowhere] names no account and stays a category.
        EXPECT_EQ(Rows(Linked), (std::vector<std::string>{"S|500|[Checking]", "C|-500|[Savings]",
                                                          "C|-20|[Visa]", "K|20|[Checking]"}));
        EXPECT_EQ(RowsOf("K"), std::vector<std::string>{"2016-03-11|20.00|To card||[Checking]"});
        EXPECT_EQ(Value("SELECT Category FROM Trans WHERE Description = 'Old habit'"), "[Nowhere]");
        EXPECT_EQ(Balance("C"), "-527");
        EXPECT_EQ(Balance("S"), "500");
        EXPECT_EQ(Balance("K"), "20");
        EXPECT_TRUE(offered.empty()) << "rows linked by the file need no answer";
    }
}
