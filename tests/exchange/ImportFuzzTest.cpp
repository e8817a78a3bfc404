// Deterministic random statements: whatever a file holds, the readers neither crash nor leave
// the store inconsistent.

#include "data/DateTime.h"
#include "exchange/CsvGuess.h"
#include "exchange/CsvImport.h"
#include "exchange/CsvPreview.h"
#include "exchange/CsvReader.h"
#include "exchange/ImportDriver.h"
#include "exchange/ImportFixture.h"
#include "exchange/ImportSupport.h"

#include <gtest/gtest.h>

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

// Cells of CSV statements as banks write them, by what a column holds.
const char* const CsvDates[] = {"$D",       "\"$D\"",           "12-Dec-2019", "2012:03:01",
                                "20190301", "01.03.2019 10:00", "13/03/2019",  "Pending"};
const char* const CsvAmounts[] = {"$A",
                                  "\"$A\"",
                                  "(1,234.56)",
                                  "- $220.00",
                                  "1.234,56",
                                  ".46",
                                  "\"-3,50\"",
                                  "+2'000.00",
                                  "",
                                  "\xA3"
                                  "5.00",
                                  "12,50 \x80"};
const char* const CsvTexts[] = {"$B",
                                "\"$B\"",
                                "\"UAB \"Naktida\"\"",
                                "\"a,b;c\td\"",
                                "\"line\r\nbreak\"",
                                "\"\"\"",
                                "\"",
                                "",
                                "Caf\xE9",
                                "Date",
                                "Betrag (EUR)"};
const char* const CsvMarkers[] = {"CR", "D", "Af", "Bij", "", "DR"};
const char* const CsvEnds[] = {"\n", "\r\n", "\r", "\r\r\n"};

// Rows of a table, mostly of one width, split by one delimiter, whose columns mostly hold
// one kind of cell.
std::string CsvSoup(Draw& draw)
{
    static const char delimiters[] = {',', ';', '\t'};
    char delimiter = draw.Pick(delimiters);
    std::vector<std::size_t> kinds(2 + draw.Below(7));
    for (std::size_t& kind : kinds)
        kind = draw.Below(4);
    auto cell = [&draw](std::size_t kind) -> std::string
    {
        if (kind == 0)
            return Expand(draw, draw.Pick(CsvDates));
        if (kind == 1)
            return Expand(draw, draw.Pick(CsvAmounts));
        if (kind == 2)
            return Expand(draw, draw.Pick(CsvTexts));
        return draw.Pick(CsvMarkers);
    };
    std::string text = draw.Chance(20) ? "\xEF\xBB\xBF" : "";
    for (std::size_t rows = draw.Below(30); rows > 0; --rows)
    {
        std::size_t fields = draw.Chance(85) ? kinds.size() : 1 + draw.Below(10);
        for (std::size_t f = 0; f < fields; ++f)
        {
            std::size_t kind = f < kinds.size() && draw.Chance(85) ? kinds[f] : draw.Below(4);
            text += (f ? std::string(1, delimiter) : "") + cell(kind);
        }
        text += draw.Pick(CsvEnds);
    }
    return text;
}

// Answers the mapping dialog with the mapping shown, now and then changed at random.
class FuzzCsvChooser : public CsvMappingChooser
{
public:
    explicit FuzzCsvChooser(Draw& draw) : m_draw(draw) {}
    std::optional<CsvMappingChoice> Choose(const CsvMappingRequest& request) override
    {
        CsvMappingChoice choice{request.mapping, {AccountChoice::Action::Map, "", "Fuzz"}};
        CsvMapping& m = choice.mapping;
        if (m_draw.Chance(30))
            m.SetRole(m_draw.Below(8), CsvRoles()[m_draw.Below(CsvRoles().size())]);
        if (m_draw.Chance(10))
            m.skip = m_draw.Below(5);
        if (m_draw.Chance(10))
            m.delimiter = m_draw.Pick(";,\t");
        if (m_draw.Chance(10))
            m.negate = true;
        if (m_draw.Chance(10))
        {
            m.onlyColumn = m_draw.Below(4);
            m.onlyText = "D";
        }
        // A set chosen once is remembered with the mapping: chosen anew each time.
        m.charset = !m_draw.Chance(5) ? "" : m_draw.Chance(50) ? "CP1257" : "UTF-16";
        // Any column may be given any role: a mapping that reads nothing gets a date and
        // an amount somewhere.
        if (!CheckCsvMapping(m).empty())
        {
            m.SetRole(m_draw.Below(4), CsvRole::Date);
            m.SetRole(m_draw.Below(8), CsvRole::Amount);
        }
        if (!CheckCsvMapping(m).empty())
            return std::nullopt;
        last = m;
        return choice;
    }
    CsvMapping last;

private:
    Draw& m_draw;
};

// Answers with one mapping, into the account described Fuzz.
class SameCsvChooser : public CsvMappingChooser
{
public:
    explicit SameCsvChooser(CsvMapping mapping) : m_mapping(std::move(mapping)) {}
    std::optional<CsvMappingChoice> Choose(const CsvMappingRequest&) override
    {
        return CsvMappingChoice{m_mapping, {AccountChoice::Action::Map, "", "Fuzz"}};
    }

private:
    CsvMapping m_mapping;
};

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
    const int inputs = 120;
    for (int runs = 0; runs < inputs && !HasFailure(); ++runs)
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
                        message.text.rfind("Invalid data was found while importing", 0) == 0 ||
                        message.text.rfind("The columns of this CSV file", 0) == 0)
                << message.text;
        ui.messages.clear();
    }
    ExpectBalancesUpToDate();
    EXPECT_EQ(IntegrityCheck(), "ok");
}

TEST_F(ImportFuzz, RandomCsvStatementsNeverCorruptTheStoreNorComeBack)
{
    AddAccount("FUZZ", "Fuzz");
    Draw draw(20190301);
    FuzzCsvChooser csv(draw);
    Context().csvChooser = &csv;
    const std::string seed = "Buchungstag;Empf\xE4nger;Verwendungszweck;Betrag\r\n"
                             "01.03.2019;\"UAB \"Naktida\"\";\"a\r\nb\";-1.234,56\r\n"
                             "13.03.2019;Caf\xE9;;+2,50\r\n;Vorgemerkt;;-4,00\r\n";
    const int inputs = 100;
    int stored = 0; ///< inputs that stored rows
    for (int runs = 0; runs < inputs && !HasFailure(); ++runs)
    {
        SCOPED_TRACE("input " + std::to_string(runs));
        std::size_t kind = draw.Below(3);
        std::string text = kind == 0   ? CsvSoup(draw)
                           : kind == 1 ? Mutate(draw, seed)
                                       : CsvSoup(draw) + draw.Bytes(40) + CsvSoup(draw);
        // The reader alone: records follow one another through the text, whatever it holds.
        for (char delimiter : {',', ';', '\t'})
        {
            CsvReader reader(text, delimiter);
            CsvRecord record;
            std::size_t end = 0;
            std::size_t line = 0;
            bool first = true;
            while (reader.Next(record))
            {
                EXPECT_TRUE(first || record.begin > end || (record.begin == end && end == 0));
                EXPECT_LE(record.begin, record.end);
                EXPECT_LE(record.end, text.size());
                EXPECT_GE(record.line, line);
                end = record.end;
                line = record.line;
                first = false;
            }
        }
        std::string path = WriteFile(draw.Chance(50) ? "fuzz.csv" : "fuzz.txt", text);
        ImportFileResult result = ImportFile(Context(), path);
        if (result.format == StatementFormat::Csv && result.accountResolved)
        {
            stored += result.added + result.duplicates > 0 ? 1 : 0;
            // Every row the mapping reads was stored or held, and is held the next time.
            std::optional<std::string> decoded =
                DecodeCsvFile(ReadFileBytes(path), csv.last.charset);
            ASSERT_TRUE(decoded.has_value());
            EXPECT_EQ(PreviewCsv(*decoded, csv.last, 0).transactions,
                      static_cast<std::size_t>(result.added + result.duplicates));
            SameCsvChooser same(csv.last);
            Context().csvChooser = &same;
            EXPECT_EQ(ImportFile(Context(), path).added, 0);
            Context().csvChooser = &csv;
        }
        EXPECT_EQ(Db().TransactionDepth(), 0);
        EXPECT_EQ(Count("Trans WHERE PostDate < #1/1/1970# OR Amount IS NULL"), 0);
        for (const RecordingUi::Message& message : ui.messages)
            EXPECT_TRUE(message.text.rfind(SkippedHead + "\n", 0) == 0 ||
                        message.text == "Invalid file format." ||
                        message.text.rfind("The file cannot be read in the character set", 0) == 0)
                << message.text;
        ui.messages.clear();
    }
    EXPECT_GE(stored * 8, inputs) << "too few inputs were read as statements";
    ExpectBalancesUpToDate();
    EXPECT_EQ(IntegrityCheck(), "ok");
}
