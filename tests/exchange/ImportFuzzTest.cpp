// Deterministic random statements: whatever a file holds, the readers neither crash nor leave
// the store inconsistent.

#include "data/DateTime.h"
#include "exchange/ImportDriver.h"
#include "exchange/ImportFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>

namespace
{
// Draws from a fixed-seed engine with plain modulo, the same on every platform.
class Draw
{
public:
    explicit Draw(std::uint32_t seed) : m_engine(seed) {}
    std::size_t Below(std::size_t n) { return n ? m_engine() % n : 0; }
    bool Chance(int percent) { return Below(100) < static_cast<std::size_t>(percent); }
    template <typename T, std::size_t N> const T& Pick(const T (&items)[N])
    {
        return items[Below(N)];
    }
    std::string Bytes(std::size_t maxLength)
    {
        static const char common[] = "<>/\r\n \t!^DTNMPL0123456789.-:&;'\"ABCabc";
        std::string text;
        for (std::size_t length = Below(maxLength + 1); text.size() < length;)
            text += Chance(70) ? common[Below(sizeof common - 1)] : static_cast<char>(Below(256));
        return text;
    }

private:
    std::mt19937 m_engine;
};

const char* const Dates[] = {
    "20160105",   "20160231", "20161340",   "18991231", "19691231",   "19700101",
    "2016",       "",         "abcdefgh",   "99991231", "2016-01-05", "20160105120000.000[-5:EST]",
    " 20160105",  "1/5/16",   "12/31/1969", "1/5'16",   "0/0/0",      "2/29/2016 10:30",
    "12/31/9999", "1/1/1970"};
const char* const Amounts[] = {"-12.50",   "100", "",    "abc",
                               "1,000.00", "-",   ".",   "99999999999999999999999",
                               "-0.00001", "+3",  "1e5", " 7 "};
const char* const QifHeaders[] = {"!Type:Bank",  "!Type:Cash", "!Type:CCard", "!Type:Cat",
                                  "!Type:Bank ", "!Account",   "!Type:Invst", "!Option:AutoSwitch"};
const char* const OfxHeads[] = {"",
                                "OFXHEADER:100\r\n\r\n<OFX>",
                                "OFXHEADER:100\r\n\r\n<OFX><ACCTID>FUZZ\n",
                                "OFXHEADER:100\r\n\r\n<OFX><ACCTID>FUZZ\n",
                                "OFXHEADER:100\r\n\r\n<OFX><ACCTID>A$B\n",
                                "<OFC><ACCTID>FUZZ\n"};
const char* const OfxPieces[] = {"<STMTTRN>",
                                 "</STMTTRN>\r\n",
                                 "<FITID>$N\n",
                                 "<FITID>$N'\n",
                                 "<DTPOSTED>$D\n",
                                 "<TRNAMT>$A\n",
                                 "<NAME>$B\n",
                                 "<NAME>$B&amp;\n",
                                 "<MEMO>$L\n",
                                 "<CHECKNUM>000\n",
                                 "<CHECKNUM>12\n",
                                 "$B",
                                 "<STMTTRN><DTPOSTED>20160105<TRNAMT>-1<FITID>$N</STMTTRN>"};
const char* const QifLines[] = {"$H",  "D$D", "T$A", "NAuto:Fuel", "N0", "N101",
                                "M$L", "P$B", "L$B", "^",          "^",  "$B"};

// Fills the pattern's $-fields with random choices.
std::string Expand(Draw& draw, const std::string& pattern)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i)
    {
        char field = pattern[i] == '$' && i + 1 < pattern.size() ? pattern[++i] : '\0';
        if (field == 'D')
            out += draw.Pick(Dates);
        else if (field == 'A')
            out += draw.Pick(Amounts);
        else if (field == 'H')
            out += draw.Pick(QifHeaders);
        else if (field == 'N')
            out += std::to_string(draw.Below(30));
        else if (field)
            out += draw.Bytes(field == 'L' && draw.Chance(5) ? 400 : 12);
        else
            out += pattern[i];
    }
    return out;
}

std::string Soup(Draw& draw, bool ofx)
{
    static const char* const ends[] = {"\n", "\r\n", "\r"};
    std::string text = ofx ? Expand(draw, draw.Pick(OfxHeads)) : "";
    for (std::size_t pieces = draw.Below(60); pieces > 0; --pieces)
        text += ofx ? Expand(draw, draw.Pick(OfxPieces))
                    : Expand(draw, draw.Pick(QifLines)) + draw.Pick(ends);
    return text;
}

std::string Mutate(Draw& draw, std::string text)
{
    for (std::size_t edits = 1 + draw.Below(8); edits > 0 && !text.empty(); --edits)
    {
        std::size_t at = draw.Below(text.size());
        std::size_t edit = draw.Below(4);
        if (edit == 0)
            text[at] = static_cast<char>(draw.Below(256));
        else if (edit == 1)
            text.erase(at, draw.Below(20));
        else if (edit == 2)
            text.insert(at, draw.Bytes(20));
        else
            text.resize(at); // cut short
    }
    return text;
}

using ImportFuzz = ImportTest;
} // namespace

TEST_F(ImportFuzz, RandomStatementsNeverCorruptTheStore)
{
    AddAccount("FUZZ", "Fuzz");
    Draw draw(19700101);
    const std::string seedOfx = "OFXHEADER:100\r\n\r\n<OFX><ACCTID>FUZZ\r\n<STMTTRN>\r\n<DTPOSTED>"
                                "20160105\r\n<TRNAMT>-10.25\r\n<FITID>S1\r\n<NAME>A &amp; B\r\n"
                                "<MEMO>m\r\n</STMTTRN>\r\n<STMTTRN>\r\n<DTPOSTED>20160207\r\n"
                                "<TRNAMT>4\r\n<FITID>S2\r\n<CHECKNUM>0012\r\n</STMTTRN></OFX>\r\n";
    const std::string seedQif = "!Type:Bank\nD1/15'16\nT-12.34\nPPayee\nMMemo\nLGroceries\n^\n"
                                "!Type:Cat\nNAuto:Fuel\nB100\n^\n";
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(6);
    int runs = 0;
    for (; runs < 240 && std::chrono::steady_clock::now() < deadline && !HasFailure(); ++runs)
    {
        SCOPED_TRACE("input " + std::to_string(runs));
        std::size_t kind = draw.Below(5);
        bool ofx = kind == 4 ? draw.Chance(50) : kind % 2 == 0;
        std::string text = kind == 4  ? draw.Bytes(600)
                           : kind < 2 ? Soup(draw, ofx)
                                      : Mutate(draw, ofx ? seedOfx : seedQif);
        std::size_t answer = draw.Below(4);
        if (answer == 0)
            chooser.Cancel();
        else if (answer == 1)
            chooser.Create("Cash", "Made " + std::to_string(draw.Below(5)));
        else
            chooser.Map("Fuzz");
        std::string path = WriteFile(ofx ? (kind == 2 ? "fuzz.qfx" : "fuzz.ofx")
                                         : (kind == 3 ? "fuzz.QIF" : "fuzz.qif"),
                                     text);
        ImportFileResult first = ImportFile(Context(), path);
        if (first.format == StatementFormat::OfxSgml || first.format == StatementFormat::OfxXml)
        {
            // The same statement into the same account adds nothing: its FITIDs are known.
            chooser.answers = {};
            chooser.Map("Fuzz");
            std::size_t asked = chooser.requests.size();
            ImportFileResult again = ImportFile(Context(), path);
            EXPECT_TRUE(!first.accountResolved || chooser.requests.size() != asked ||
                        again.added == 0);
        }
        chooser.answers.clear();
        EXPECT_EQ(Db().TransactionDepth(), 0);
        EXPECT_EQ(Count("Trans"), std::stoi(Value("SELECT COUNT(DISTINCT Sequence) FROM Trans")))
            << "Sequence numbers are unique";
        for (Recordset rs = Db().Execute("SELECT PostDate, Year, Period FROM Trans"); !rs.IsEOF();
             rs.MoveNext())
        {
            DateTime posted = ToLocalCalendar(rs.GetTime("PostDate"));
            EXPECT_EQ(rs.GetLong("Year"), posted.year);
            EXPECT_EQ(rs.GetLong("Period"), posted.month);
        }
        for (const RecordingUi::Message& message : ui.messages)
            EXPECT_TRUE(message.text == "Invalid file format." ||
                        message.text.rfind("Invalid data was found while importing", 0) == 0)
                << message.text;
        ui.messages.clear();
    }
    EXPECT_GE(runs, 40) << "too few inputs ran in the time";
    ExpectBalancesUpToDate();
    EXPECT_EQ(IntegrityCheck(), "ok");
}
