// Deterministic random statements: whatever a file holds, the readers neither crash nor leave
// the store inconsistent, and format detection agrees with a plain reading of the text.

#include "data/DateTime.h"
#include "exchange/ImportDriver.h"
#include "exchange/ImportFixture.h"
#include "exchange/OfxReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

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
        std::size_t length = Below(maxLength + 1);
        for (std::size_t i = 0; i < length; ++i)
            text += Chance(70) ? common[Below(sizeof common - 1)] : static_cast<char>(Below(256));
        return text;
    }

private:
    std::mt19937 m_engine;
};

const char* const OfxDates[] = {"20160105", "20160231", "20161340",   "18991231",
                                "19691231", "19700101", "2016",       "",
                                "abcdefgh", "99991231", "2016-01-05", "20160105120000.000[-5:EST]",
                                " 20160105"};
const char* const Amounts[] = {"-12.50",   "100", "",    "abc",
                               "1,000.00", "-",   ".",   "99999999999999999999999",
                               "-0.00001", "+3",  "1e5", " 7 "};
const char* const QifDates[] = {"1/5/16",          "12/31/1969", "13/45/2016", "1/5'16",
                                "2016-01-05",      "",           "0/0/0",      "1/1/1899",
                                "2/29/2016 10:30", "2/30/2016",  "1/1/1970",   "12/31/9999"};
const char* const QifHeaders[] = {"!Type:Bank",  "!Type:Cash", "!Type:CCard", "!Type:Cat",
                                  "!Type:Bank ", "!Account",   "!Type:Invst", "!Option:AutoSwitch"};

std::string OfxSoup(Draw& draw)
{
    std::string text = draw.Chance(80) ? "OFXHEADER:100\r\n\r\n<OFX>" : "";
    if (draw.Chance(80))
        text += "<ACCTID>" + std::string(draw.Chance(50) ? "FUZZ" : "A" + draw.Bytes(4)) + "\n";
    std::size_t pieces = draw.Below(60);
    for (std::size_t i = 0; i < pieces; ++i)
    {
        switch (draw.Below(12))
        {
        case 0:
        case 1:
            text += "<STMTTRN>";
            break;
        case 2:
        case 3:
            text += "</STMTTRN>\r\n";
            break;
        case 4:
            text +=
                "<FITID>" + std::to_string(draw.Below(20)) + (draw.Chance(10) ? "'" : "") + "\n";
            break;
        case 5:
            text += std::string("<DTPOSTED>") + draw.Pick(OfxDates) + "\n";
            break;
        case 6:
            text += std::string("<TRNAMT>") + draw.Pick(Amounts) + "\n";
            break;
        case 7:
            text += "<NAME>" + draw.Bytes(12) + (draw.Chance(30) ? "&amp;" : "") + "\n";
            break;
        case 8:
            text += "<MEMO>" + draw.Bytes(draw.Chance(5) ? 400 : 12) + "\n";
            break;
        case 9:
            text += "<CHECKNUM>" + std::string(draw.Chance(50) ? "000" : "12") + "\n";
            break;
        case 10:
            text += "<STMTTRN><DTPOSTED>20160105<TRNAMT>-1<FITID>" +
                    std::to_string(draw.Below(30)) + "</STMTTRN>";
            break;
        default:
            text += draw.Bytes(10);
        }
    }
    return text;
}

std::string QifSoup(Draw& draw)
{
    std::string text;
    std::size_t lines = draw.Below(50);
    static const char* const ends[] = {"\n", "\r\n", "\r"};
    for (std::size_t i = 0; i < lines; ++i)
    {
        std::string line;
        switch (draw.Below(10))
        {
        case 0:
            line = draw.Pick(QifHeaders);
            break;
        case 1:
            line = std::string("D") + draw.Pick(QifDates);
            break;
        case 2:
            line = std::string("T") + draw.Pick(Amounts);
            break;
        case 3:
            line = "N" + std::string(draw.Chance(30) ? "Auto:Fuel" : draw.Chance(50) ? "0" : "101");
            break;
        case 4:
            line = "M" + draw.Bytes(draw.Chance(5) ? 300 : 10);
            break;
        case 5:
            line = "P" + draw.Bytes(draw.Chance(5) ? 80 : 10);
            break;
        case 6:
            line = "L" + draw.Bytes(8);
            break;
        case 7:
        case 8:
            line = "^";
            break;
        default:
            line = draw.Bytes(12);
        }
        text += line + draw.Pick(ends);
    }
    return text;
}

std::string Mutate(Draw& draw, std::string text)
{
    std::size_t edits = 1 + draw.Below(8);
    for (std::size_t i = 0; i < edits && !text.empty(); ++i)
    {
        std::size_t at = draw.Below(text.size());
        switch (draw.Below(4))
        {
        case 0:
            text[at] = static_cast<char>(draw.Below(256));
            break;
        case 1:
            text.erase(at, draw.Below(20));
            break;
        case 2:
            text.insert(at, draw.Bytes(20));
            break;
        default:
            text.resize(at); // cut short
        }
    }
    return text;
}

// Format detection read plainly: split the text into lines, then apply the rules.
StatementFormat ExpectedFormat(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (c == '\n' || c == '\r')
        {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.push_back(line);
            line.clear();
            open = false;
        }
        else
        {
            line += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(line);
    std::size_t first = 0;
    while (first < lines.size() && lines[first].empty())
        ++first;
    if (first == lines.size())
        return StatementFormat::Unknown;
    const std::string& head = lines[first];
    if (head == "OFXHEADER:100" || head.rfind("<OFC>", 0) == 0)
        return StatementFormat::OfxSgml;
    if (head.rfind("<?xml", 0) != 0)
        return StatementFormat::Unknown;
    for (std::size_t i = first; i < lines.size(); ++i)
        if (lines[i].find(" OFXHEADER") != std::string::npos)
            return StatementFormat::OfxXml;
    return StatementFormat::Unknown;
}

class ImportFuzz : public ImportTest
{
protected:
    ImportFuzz() { AddAccount("FUZZ", "Fuzz"); }

    void Answer(Draw& draw)
    {
        switch (draw.Below(4))
        {
        case 0:
            chooser.Cancel();
            break;
        case 1:
            chooser.Create("Cash", "Made " + std::to_string(draw.Below(5)));
            break;
        default:
            chooser.Map("Fuzz");
        }
    }

    void ExpectStoreConsistent()
    {
        EXPECT_EQ(Db().TransactionDepth(), 0);
        EXPECT_EQ(Count("Trans"), std::stoi(Value("SELECT COUNT(DISTINCT Sequence) FROM Trans")))
            << "Sequence numbers are unique";
        Recordset rs = Db().Execute("SELECT PostDate, Year, Period FROM Trans");
        for (; !rs.IsEOF(); rs.MoveNext())
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
};
} // namespace

TEST_F(ImportFuzz, DetectFormatAgreesWithAPlainReading)
{
    Draw draw(20160105);
    static const char* const heads[] = {"OFXHEADER:100",           "<OFC>",
                                        "<?xml version=\"1.0\"?>", " OFXHEADER",
                                        "OFXHEADER:100 ",          "\xEF\xBB\xBF"};
    for (int i = 0; i < 400; ++i)
    {
        std::string text;
        std::size_t parts = draw.Below(6);
        for (std::size_t p = 0; p < parts; ++p)
            text += draw.Chance(50) ? std::string(draw.Pick(heads)) : draw.Bytes(8);
        std::string path = WriteFile("detect.ofx", text);
        EXPECT_EQ(DetectFormat(path), ExpectedFormat(text)) << "input " << i;
    }
}

TEST_F(ImportFuzz, RandomStatementsNeverCorruptTheStore)
{
    Draw draw(19700101);
    std::string seedOfx = "OFXHEADER:100\r\n\r\n<OFX><ACCTID>FUZZ\r\n<STMTTRN>\r\n<DTPOSTED>"
                          "20160105\r\n<TRNAMT>-10.25\r\n<FITID>S1\r\n<NAME>A &amp; B\r\n"
                          "<MEMO>m\r\n</STMTTRN>\r\n<STMTTRN>\r\n<DTPOSTED>20160207\r\n"
                          "<TRNAMT>4\r\n<FITID>S2\r\n<CHECKNUM>0012\r\n</STMTTRN></OFX>\r\n";
    std::string seedQif = "!Type:Bank\nD1/15'16\nT-12.34\nPPayee\nMMemo\nLGroceries\n^\n"
                          "!Type:Cat\nNAuto:Fuel\nB100\n^\n";
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(6);
    int runs = 0;
    for (; runs < 240 && std::chrono::steady_clock::now() < deadline; ++runs)
    {
        SCOPED_TRACE("input " + std::to_string(runs));
        std::string text;
        std::string name;
        switch (draw.Below(5))
        {
        case 0:
            text = OfxSoup(draw);
            name = "fuzz.ofx";
            break;
        case 1:
            text = Mutate(draw, seedOfx);
            name = "fuzz.qfx";
            break;
        case 2:
            text = QifSoup(draw);
            name = "fuzz.qif";
            break;
        case 3:
            text = Mutate(draw, seedQif);
            name = "fuzz.QIF";
            break;
        default:
            text = draw.Bytes(600);
            name = draw.Chance(50) ? "fuzz.ofx" : "fuzz.qif";
        }
        Answer(draw);
        chooser.answers.resize(1);
        std::string path = WriteFile(name, text);
        ImportFileResult first = ImportFile(Context(), path);
        if (first.format == StatementFormat::OfxSgml || first.format == StatementFormat::OfxXml)
        {
            // The same statement into the same account adds nothing: its FITIDs are known.
            chooser.Map("Fuzz");
            std::size_t asked = chooser.requests.size();
            ImportFileResult again = ImportFile(Context(), path);
            if (first.accountResolved && chooser.requests.size() == asked)
            {
                EXPECT_EQ(again.added, 0);
            }
        }
        chooser.answers.clear();
        ExpectStoreConsistent();
        if (HasFailure())
            break;
    }
    EXPECT_GE(runs, 40) << "too few inputs ran in the time";
    ExpectBalancesUpToDate();
    EXPECT_EQ(IntegrityCheck(), "ok");
}
