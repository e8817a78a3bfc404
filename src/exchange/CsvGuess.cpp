#include "exchange/CsvGuess.h"

#include "data/Regional.h"
#include "data/SchemaCatalog.h"
#include "exchange/CsvReader.h"

#include <algorithm>
#include <array>
#include <map>

namespace
{
const char Delimiters[] = {',', ';', '\t'};
const std::size_t ShapeRecords = 200;   ///< records that decide the delimiter
const std::size_t SampleRecords = 1000; ///< records whose cells decide the rest
const CsvDateOrder Orders[] = {CsvDateOrder::DayMonthYear, CsvDateOrder::MonthDayYear,
                               CsvDateOrder::YearMonthDay};
const char Marks[] = {'.', ','};

// ---- column names ----

enum class NameKind
{
    Date,
    LaterDate, ///< a value date: the date only when no booking date is named
    Payee,     ///< who was paid or paid: the description first
    Text,      ///< what the bank calls the description
    Purpose,   ///< the payment's reference: the notes when a description is named
    Amount,
    Debit,
    Credit,
    Sign,
    CheckNumber,
    Category,
    Balance ///< never an amount
};

struct KnownName
{
    const char* name; ///< as NormalizeName writes it
    NameKind kind;
};

// Column names of bank exports in English, German, Dutch, French and Spanish.
const KnownName KnownNames[] = {
    // Dates.
    {"date", NameKind::Date},
    {"transaction date", NameKind::Date},
    {"trans date", NameKind::Date},
    {"txn date", NameKind::Date},
    {"posting date", NameKind::Date},
    {"posted date", NameKind::Date},
    {"post date", NameKind::Date},
    {"date posted", NameKind::Date},
    {"booking date", NameKind::Date},
    {"completed date", NameKind::Date},
    {"datum", NameKind::Date},
    {"buchungstag", NameKind::Date},
    {"buchungsdatum", NameKind::Date},
    {"transactiedatum", NameKind::Date},
    {"boekingsdatum", NameKind::Date},
    {"date operation", NameKind::Date},
    {"date d operation", NameKind::Date},
    {"date de l operation", NameKind::Date},
    {"date comptable", NameKind::Date},
    {"fecha", NameKind::Date},
    {"fecha operacion", NameKind::Date},
    {"fecha de operacion", NameKind::Date},
    {"fecha contable", NameKind::Date},
    {"fecha movimiento", NameKind::Date},
    {"f operacion", NameKind::Date},
    {"value date", NameKind::LaterDate},
    {"valuta", NameKind::LaterDate},
    {"valutadatum", NameKind::LaterDate},
    {"wertstellung", NameKind::LaterDate},
    {"rentedatum", NameKind::LaterDate},
    {"date valeur", NameKind::LaterDate},
    {"date de valeur", NameKind::LaterDate},
    {"fecha valor", NameKind::LaterDate},
    {"f valor", NameKind::LaterDate},
    // Who.
    {"payee", NameKind::Payee},
    {"payee name", NameKind::Payee},
    {"name", NameKind::Payee},
    {"merchant", NameKind::Payee},
    {"merchant name", NameKind::Payee},
    {"beneficiary", NameKind::Payee},
    {"counterparty", NameKind::Payee},
    {"counter party", NameKind::Payee},
    {"beguenstigter zahlungspflichtiger", NameKind::Payee},
    {"begunstigter zahlungspflichtiger", NameKind::Payee},
    {"auftraggeber begunstigter", NameKind::Payee},
    {"auftraggeber empfanger", NameKind::Payee},
    {"empfanger", NameKind::Payee},
    {"zahlungsempfanger", NameKind::Payee},
    {"name zahlungsbeteiligter", NameKind::Payee},
    {"naam", NameKind::Payee},
    {"naam omschrijving", NameKind::Payee},
    {"naam tegenpartij", NameKind::Payee},
    {"tegenpartij", NameKind::Payee},
    {"beneficiaire", NameKind::Payee},
    {"tiers", NameKind::Payee},
    {"beneficiario", NameKind::Payee},
    {"ordenante", NameKind::Payee},
    // What.
    {"description", NameKind::Text},
    {"transaction description", NameKind::Text},
    {"details", NameKind::Text},
    {"transaction details", NameKind::Text},
    {"narrative", NameKind::Text},
    {"particulars", NameKind::Text},
    {"beschreibung", NameKind::Text},
    {"buchungstext", NameKind::Text},
    {"omschrijving", NameKind::Text},
    {"libelle", NameKind::Text},
    {"libelle operation", NameKind::Text},
    {"libelle de l operation", NameKind::Text},
    {"descripcion", NameKind::Text},
    {"concepto", NameKind::Text},
    {"movimiento", NameKind::Text},
    // Why.
    {"memo", NameKind::Purpose},
    {"notes", NameKind::Purpose},
    {"note", NameKind::Purpose},
    {"remarks", NameKind::Purpose},
    {"reference", NameKind::Purpose},
    {"additional information", NameKind::Purpose},
    {"verwendungszweck", NameKind::Purpose},
    {"notiz", NameKind::Purpose},
    {"mededelingen", NameKind::Purpose},
    {"omschrijving 1", NameKind::Purpose},
    {"informations complementaires", NameKind::Purpose},
    {"commentaire", NameKind::Purpose},
    {"referencia", NameKind::Purpose},
    {"observaciones", NameKind::Purpose},
    {"motivo", NameKind::Purpose},
    {"detalle", NameKind::Purpose},
    // How much.
    {"amount", NameKind::Amount},
    {"transaction amount", NameKind::Amount},
    {"amt", NameKind::Amount},
    {"value", NameKind::Amount},
    {"betrag", NameKind::Amount},
    {"umsatz", NameKind::Amount},
    {"bedrag", NameKind::Amount},
    {"montant", NameKind::Amount},
    {"importe", NameKind::Amount},
    {"cantidad", NameKind::Amount},
    {"monto", NameKind::Amount},
    {"debit", NameKind::Debit},
    {"debits", NameKind::Debit},
    {"debit amount", NameKind::Debit},
    {"withdrawal", NameKind::Debit},
    {"withdrawals", NameKind::Debit},
    {"withdrawal amount", NameKind::Debit},
    {"money out", NameKind::Debit},
    {"paid out", NameKind::Debit},
    {"out", NameKind::Debit},
    {"soll", NameKind::Debit},
    {"ausgang", NameKind::Debit},
    {"belastung", NameKind::Debit},
    {"debet", NameKind::Debit},
    {"af", NameKind::Debit},
    {"retrait", NameKind::Debit},
    {"depense", NameKind::Debit},
    {"cargo", NameKind::Debit},
    {"cargos", NameKind::Debit},
    {"debe", NameKind::Debit},
    {"debito", NameKind::Debit},
    {"credit", NameKind::Credit},
    {"credits", NameKind::Credit},
    {"credit amount", NameKind::Credit},
    {"deposit", NameKind::Credit},
    {"deposits", NameKind::Credit},
    {"deposit amount", NameKind::Credit},
    {"money in", NameKind::Credit},
    {"paid in", NameKind::Credit},
    {"in", NameKind::Credit},
    {"haben", NameKind::Credit},
    {"eingang", NameKind::Credit},
    {"gutschrift", NameKind::Credit},
    {"bij", NameKind::Credit},
    {"recette", NameKind::Credit},
    {"versement", NameKind::Credit},
    {"abono", NameKind::Credit},
    {"abonos", NameKind::Credit},
    {"haber", NameKind::Credit},
    {"credito", NameKind::Credit},
    {"ingreso", NameKind::Credit},
    {"debit credit", NameKind::Sign},
    {"credit debit", NameKind::Sign},
    {"d c", NameKind::Sign},
    {"dr cr", NameKind::Sign},
    {"cr dr", NameKind::Sign},
    {"soll haben", NameKind::Sign},
    {"s h", NameKind::Sign},
    {"af bij", NameKind::Sign},
    {"bij af", NameKind::Sign},
    {"d k", NameKind::Sign},
    {"debit credit indicator", NameKind::Sign},
    {"check", NameKind::CheckNumber},
    {"check number", NameKind::CheckNumber},
    {"check no", NameKind::CheckNumber},
    {"check num", NameKind::CheckNumber},
    {"num", NameKind::CheckNumber},
    {"cheque", NameKind::CheckNumber},
    {"cheque number", NameKind::CheckNumber},
    {"cheque no", NameKind::CheckNumber},
    {"scheck", NameKind::CheckNumber},
    {"schecknummer", NameKind::CheckNumber},
    {"chequenummer", NameKind::CheckNumber},
    {"numero de cheque", NameKind::CheckNumber},
    {"n cheque", NameKind::CheckNumber},
    {"numero cheque", NameKind::CheckNumber},
    {"category", NameKind::Category},
    {"categorie", NameKind::Category},
    {"kategorie", NameKind::Category},
    {"categoria", NameKind::Category},
    {"rubrique", NameKind::Category},
    {"balance", NameKind::Balance},
    {"running balance", NameKind::Balance},
    {"saldo", NameKind::Balance},
    {"kontostand", NameKind::Balance},
    {"solde", NameKind::Balance},
};

// The base letter of a Latin-1 letter written in UTF-8 after the byte 0xC3; 0 for none.
const char* FoldLatin1(unsigned char second)
{
    static const char* const folded[64] = {
        "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i", //
        "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "",  "ss",
        "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i", //
        "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "",  "y"};
    return second >= 0x80 && second < 0xC0 ? folded[second - 0x80] : "";
}

// A column name as the table above writes it: lower case, accents folded, what stands in
// brackets and a trailing currency code or "in" left out, words apart by one blank.
std::string NormalizeName(std::string_view raw)
{
    std::string letters;
    int depth = 0;
    for (std::size_t i = 0; i < raw.size(); ++i)
    {
        auto c = static_cast<unsigned char>(raw[i]);
        if (c == '(' || c == '[')
            ++depth;
        else if ((c == ')' || c == ']') && depth > 0)
            --depth;
        else if (depth > 0)
            continue;
        else if (c == 0xC3 && i + 1 < raw.size())
            letters += FoldLatin1(static_cast<unsigned char>(raw[++i]));
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            letters += static_cast<char>(c);
        else if (c >= 'A' && c <= 'Z')
            letters += static_cast<char>(c - 'A' + 'a');
        else if (c < 0x80)
            letters += ' ';
    }
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < letters.size())
    {
        std::size_t start = letters.find_first_not_of(' ', at);
        if (start == std::string::npos)
            break;
        std::size_t end = letters.find(' ', start);
        words.push_back(letters.substr(start, end == std::string::npos ? end : end - start));
        at = end == std::string::npos ? letters.size() : end;
    }
    static const char* const codes[] = {"eur", "usd", "gbp", "chf", "sek", "nok", "dkk",
                                        "pln", "czk", "huf", "aud", "cad", "nzd"};
    bool coded = false;
    while (words.size() > 1 && std::any_of(std::begin(codes), std::end(codes),
                                           [&](const char* code) { return words.back() == code; }))
    {
        words.pop_back();
        coded = true;
    }
    if (coded && words.size() > 1 && words.back() == "in") // "Betrag in EUR"
        words.pop_back();
    std::string name;
    for (const std::string& word : words)
        name += (name.empty() ? "" : " ") + word;
    return name;
}

std::optional<NameKind> KindOfName(std::string_view raw)
{
    std::string name = NormalizeName(raw);
    for (const KnownName& known : KnownNames)
        if (name == known.name)
            return known.kind;
    return std::nullopt;
}

// ---- the shape of the table ----

bool ParsesAsDate(std::string_view cell)
{
    for (CsvDateOrder order : Orders)
        if (ParseCsvDate(cell, order))
            return true;
    return false;
}

bool ParsesAsAmount(std::string_view cell)
{
    return ParseCsvAmount(cell, '.') || ParseCsvAmount(cell, ',');
}

// A row with a date in one cell and an amount in another.
bool TransactionLike(const CsvRecord& record)
{
    if (record.fields.size() < 2)
        return false;
    for (std::size_t i = 0; i < record.fields.size(); ++i)
    {
        if (!ParsesAsDate(record.fields[i]))
            continue;
        for (std::size_t j = 0; j < record.fields.size(); ++j)
            if (j != i && ParsesAsAmount(record.fields[j]))
                return true;
    }
    return false;
}

// A row of names: two or more, none a date, and mostly not numbers.
bool HeaderLike(const CsvRecord& record)
{
    std::size_t texts = 0;
    std::size_t numbers = 0;
    for (const std::string& field : record.fields)
    {
        if (TrimCsvText(field).empty())
            continue;
        if (ParsesAsDate(field))
            return false;
        ++(ParsesAsAmount(field) ? numbers : texts);
    }
    return texts >= 2 && numbers * 2 < texts + numbers;
}

// The delimiter that splits most rows into the same number of fields: each candidate
// scores the rows of its commonest width, times that width less one, so a preamble of
// "name;value" lines does not outweigh a table.
char BestDelimiter(std::string_view text, std::size_t firstLine, bool& table)
{
    char best = ',';
    std::size_t bestScore = 0;
    for (char delimiter : Delimiters)
    {
        std::map<std::size_t, std::size_t> widths;
        CsvReader reader(text, delimiter, firstLine);
        CsvRecord record;
        for (std::size_t n = 0; n < ShapeRecords && reader.Next(record);)
        {
            if (record.IsBlank())
                continue;
            ++n;
            if (record.fields.size() >= 2)
                ++widths[record.fields.size()];
        }
        for (const auto& [width, rows] : widths)
            if (rows * (width - 1) > bestScore)
            {
                bestScore = rows * (width - 1);
                best = delimiter;
            }
    }
    table = bestScore > 0;
    return best;
}

std::vector<CsvRecord> ReadSample(std::string_view text, char delimiter, std::size_t firstLine)
{
    std::vector<CsvRecord> records;
    CsvReader reader(text, delimiter, firstLine);
    CsvRecord record;
    while (records.size() < SampleRecords && reader.Next(record))
        if (!record.IsBlank())
            records.push_back(record);
    return records;
}

// ---- what the columns hold ----

struct ColumnStats
{
    std::size_t filled = 0;  ///< cells that are not blank
    std::size_t dates = 0;   ///< cells read as a date in some order
    std::size_t amounts = 0; ///< cells read as an amount with either mark
    std::size_t negatives = 0;
    bool moneyLike = false;          ///< some amount has a mark or a sign: not a column of ids
    std::size_t textLength = 0;      ///< characters of the cells that are not numbers
    std::vector<std::string> values; ///< distinct cells, upper case, at most a few
    bool manyValues = false;
};

std::vector<ColumnStats> Analyse(const std::vector<const CsvRecord*>& rows, std::size_t columns)
{
    std::vector<ColumnStats> stats(columns);
    for (const CsvRecord* row : rows)
        for (std::size_t c = 0; c < columns; ++c)
        {
            std::string_view cell = TrimCsvText(row->Field(c));
            if (cell.empty())
                continue;
            ColumnStats& s = stats[c];
            ++s.filled;
            if (ParsesAsDate(cell))
                ++s.dates;
            std::optional<Currency> amount = ParseCsvAmount(cell, '.');
            if (!amount)
                amount = ParseCsvAmount(cell, ',');
            if (amount)
            {
                ++s.amounts;
                s.negatives += *amount < Currency() ? 1 : 0;
                s.moneyLike = s.moneyLike || cell.find_first_of(".,-+(") != std::string_view::npos;
            }
            else
                s.textLength += cell.size();
            std::string value = UpperAscii(std::string(cell));
            if (std::find(s.values.begin(), s.values.end(), value) == s.values.end())
            {
                if (s.values.size() < 4)
                    s.values.push_back(value);
                else
                    s.manyValues = true;
            }
        }
    return stats;
}

const char* const DebitMarkers[] = {"D",  "DR", "DB",   "DEB", "DEBIT", "DEBET",
                                    "AF", "S",  "SOLL", "-",   "CARGO", "L"};
const char* const CreditMarkers[] = {"C",   "CR", "K",     "KR", "CREDIT", "KREDIT",
                                     "BIJ", "H",  "HABEN", "+",  "ABONO",  "G"};

template <std::size_t N> bool IsMarker(const std::string& value, const char* const (&markers)[N])
{
    return std::any_of(std::begin(markers), std::end(markers),
                       [&](const char* marker) { return value == marker; });
}

// A column that holds only debit and credit markers, at most three kinds and some of them.
bool IndicatorColumn(const ColumnStats& s)
{
    if (s.manyValues || s.values.empty() || s.values.size() > 3)
        return false;
    return std::all_of(s.values.begin(), s.values.end(),
                       [](const std::string& value)
                       { return IsMarker(value, DebitMarkers) || IsMarker(value, CreditMarkers); });
}

// ---- the guess ----

class Guesser
{
public:
    Guesser(std::string_view text, const CsvOptions& given) : m_text(text), m_given(given) {}

    CsvGuess Guess()
    {
        CsvMapping& m = m_guess.mapping;
        m.charset = m_given.charset.value_or("");
        bool table = true;
        m.delimiter =
            m_given.delimiter ? *m_given.delimiter : BestDelimiter(m_text, FirstLine(), table);
        m_records = ReadSample(m_text, m.delimiter, FirstLine());
        FindTable();
        for (const CsvRecord* row : m_rows)
            m_columns = std::max(m_columns, row->fields.size());
        if (m_header)
            m_columns = std::max(m_columns, m_header->fields.size());
        m_stats = Analyse(m_rows, m_columns);
        RolesByName();
        RolesByContent();
        // The given columns take their roles before the rest is decided by them.
        CsvOptions roles;
        roles.columns = m_given.columns;
        m = ApplyCsvOptions(m, roles);
        DateOrder();
        DecimalMark();
        SignText();
        m = ApplyCsvOptions(m, m_given);
        if (m_severalAmounts && !m_given.NamesAmount())
            Doubt("amount", "several columns hold amounts", "give amount=N");
        if (!m.ColumnOf(CsvRole::Date))
            Doubt("date", "no column holds dates", "give date=N");
        if (!m.ColumnOf(CsvRole::Amount) && !m.ColumnOf(CsvRole::Debit) &&
            !m.ColumnOf(CsvRole::Credit))
            Doubt("amount", "no amount column was found", "give amount=N, or debit=N and credit=N");
        return m_guess;
    }

private:
    std::size_t FirstLine() const { return m_given.skip.value_or(0); }

    void Doubt(const std::string& key, const std::string& reason, const std::string& hint)
    {
        m_guess.doubts.push_back({key, reason, hint});
    }

    // Where the table begins: the row before the first row with a date and an amount when
    // that row holds names, else that row.
    void FindTable()
    {
        CsvMapping& m = m_guess.mapping;
        std::size_t first = 0;
        if (!m_given.skip)
        {
            while (first < m_records.size() && !TransactionLike(m_records[first]))
                ++first;
            if (first == m_records.size())
                first = 0;
        }
        bool header = false;
        std::size_t top = first;
        if (m_given.header)
        {
            header = *m_given.header;
            if (header && first > 0 && !m_given.skip)
                top = first - 1;
        }
        else if (m_given.skip)
            header =
                !m_records.empty() && HeaderLike(m_records[0]) && !TransactionLike(m_records[0]);
        else if (first > 0 && HeaderLike(m_records[first - 1]))
        {
            header = true;
            top = first - 1;
        }
        m.header = header;
        m.skip = m_given.skip ? *m_given.skip : (top < m_records.size() ? m_records[top].line : 0);
        if (header && top < m_records.size())
            m_header = &m_records[top];
        for (std::size_t i = top + (header ? 1 : 0); i < m_records.size(); ++i)
            m_rows.push_back(&m_records[i]);
    }

    std::optional<NameKind> NameOf(std::size_t column) const
    {
        if (!m_header || column >= m_header->fields.size())
            return std::nullopt;
        return KindOfName(m_header->fields[column]);
    }

    // The leftmost free column whose name is of a kind and whose cells pass a test.
    std::optional<std::size_t> Named(NameKind kind, bool (*fits)(const ColumnStats&) = nullptr)
    {
        for (std::size_t c = 0; c < m_columns; ++c)
            if (NameOf(c) == kind && m_guess.mapping.RoleOf(c) == CsvRole::Ignore &&
                (!fits || m_rows.empty() || fits(m_stats[c])))
                return c;
        return std::nullopt;
    }

    void Take(std::optional<std::size_t> column, CsvRole role)
    {
        if (column && !m_guess.mapping.ColumnOf(role))
            m_guess.mapping.SetRole(*column, role);
    }

    void RolesByName()
    {
        auto holdsDates = [](const ColumnStats& s) { return s.dates > 0; };
        auto holdsAmounts = [](const ColumnStats& s) { return s.amounts > 0; };
        Take(Named(NameKind::Date, holdsDates), CsvRole::Date);
        Take(Named(NameKind::LaterDate, holdsDates), CsvRole::Date);
        Take(Named(NameKind::Amount, holdsAmounts), CsvRole::Amount);
        if (!m_guess.mapping.ColumnOf(CsvRole::Amount))
        {
            Take(Named(NameKind::Debit), CsvRole::Debit);
            Take(Named(NameKind::Credit), CsvRole::Credit);
        }
        Take(Named(NameKind::Sign), CsvRole::Sign);
        Take(Named(NameKind::Payee), CsvRole::Description);
        Take(Named(NameKind::Text), CsvRole::Description);
        Take(Named(NameKind::Purpose), CsvRole::Description);
        Take(Named(NameKind::Purpose), CsvRole::Notes);
        Take(Named(NameKind::Text), CsvRole::Notes);
        Take(Named(NameKind::CheckNumber), CsvRole::CheckNumber);
        Take(Named(NameKind::Category), CsvRole::Category);
    }

    bool Free(std::size_t column) const
    {
        std::optional<NameKind> name = NameOf(column);
        return m_guess.mapping.RoleOf(column) == CsvRole::Ignore && !name;
    }

    // Columns the names left open, by what they hold.
    void RolesByContent()
    {
        CsvMapping& m = m_guess.mapping;
        if (!m.ColumnOf(CsvRole::Date))
        {
            std::optional<std::size_t> best;
            for (std::size_t c = 0; c < m_columns; ++c)
                if (m_stats[c].dates > 0 && (!best || m_stats[c].dates > m_stats[*best].dates))
                    best = c;
            Take(best, CsvRole::Date);
        }
        bool named = m.ColumnOf(CsvRole::Amount) || m.ColumnOf(CsvRole::Debit) ||
                     m.ColumnOf(CsvRole::Credit);
        if (!named)
            AmountByContent();
        if (m.ColumnOf(CsvRole::Amount) && !m.ColumnOf(CsvRole::Sign))
            for (std::size_t c = 0; c < m_columns; ++c)
                if (Free(c) && IndicatorColumn(m_stats[c]))
                {
                    Take(c, CsvRole::Sign);
                    break;
                }
        if (!m.ColumnOf(CsvRole::Description))
        {
            // The free column with the most text that is not a number.
            std::optional<std::size_t> best;
            for (std::size_t c = 0; c < m_columns; ++c)
                if (Free(c) && m_stats[c].textLength > 0 &&
                    (!best || m_stats[c].textLength > m_stats[*best].textLength))
                    best = c;
            Take(best, CsvRole::Description);
        }
    }

    // The one column of amounts that are money, not ids; among several, the one that has
    // amounts of both signs.
    void AmountByContent()
    {
        std::vector<std::size_t> candidates;
        for (std::size_t c = 0; c < m_columns; ++c)
        {
            const ColumnStats& s = m_stats[c];
            // Named columns (a balance among them) are not amounts the names missed.
            if (Free(c) && s.filled > 0 && s.amounts * 10 >= s.filled * 9 && s.moneyLike &&
                s.dates * 2 < s.filled)
                candidates.push_back(c);
        }
        if (candidates.size() > 1)
        {
            std::vector<std::size_t> signedOnes;
            for (std::size_t c : candidates)
                if (m_stats[c].negatives > 0 && m_stats[c].negatives < m_stats[c].amounts)
                    signedOnes.push_back(c);
            if (signedOnes.size() == 1)
                candidates = signedOnes;
        }
        if (candidates.empty())
            return;
        Take(candidates.front(), CsvRole::Amount);
        m_severalAmounts = candidates.size() > 1;
    }

    // The date order that reads every date; two that read them differently are a doubt.
    void DateOrder()
    {
        CsvMapping& m = m_guess.mapping;
        std::optional<std::size_t> column = m.ColumnOf(CsvRole::Date);
        if (m_given.dates || !column)
        {
            m.dates = m_given.dates.value_or(LocaleOrder());
            return;
        }
        std::array<std::size_t, 3> read{};
        std::size_t dated = 0;
        std::array<bool, 3> same = {true, true, true}; ///< reads as the first full order does
        std::vector<std::array<std::optional<DateTime>, 3>> parsed;
        for (const CsvRecord* row : m_rows)
        {
            std::array<std::optional<DateTime>, 3> dates;
            bool any = false;
            for (std::size_t k = 0; k < 3; ++k)
            {
                dates[k] = ParseCsvDate(row->Field(*column), Orders[k]);
                any = any || dates[k];
                read[k] += dates[k] ? 1 : 0;
            }
            if (!any)
                continue; // a footer or a pending row: no order reads it
            ++dated;
            parsed.push_back(dates);
        }
        std::vector<std::size_t> full;
        for (std::size_t k = 0; k < 3; ++k)
            if (dated > 0 && read[k] == dated)
                full.push_back(k);
        if (full.empty())
        {
            std::size_t best = std::max_element(read.begin(), read.end()) - read.begin();
            m.dates = dated > 0 ? Orders[best] : LocaleOrder();
            return;
        }
        std::vector<std::size_t> distinct = {full.front()};
        for (std::size_t k : full)
        {
            for (const auto& dates : parsed)
                same[k] = same[k] && dates[k] == dates[full.front()];
            if (!same[k])
                distinct.push_back(k);
        }
        m.dates = Orders[distinct.front()];
        for (std::size_t k : distinct)
            if (Orders[k] == LocaleOrder())
                m.dates = Orders[k];
        if (distinct.size() > 1)
        {
            static const char* const names[] = {"day/month/year", "month/day/year",
                                                "year/month/day"};
            Doubt("dates",
                  std::string("both ") + names[distinct[0]] + " and " + names[distinct[1]] +
                      " read every date",
                  "give dates=" + CsvDatesKey(Orders[distinct[0]]) +
                      " or dates=" + CsvDatesKey(Orders[distinct[1]]));
        }
    }

    // The order of the user's own short dates, for a choice the file leaves open.
    static CsvDateOrder LocaleOrder()
    {
        std::string text = FormatShortDate(DateTime{2033, 11, 22, 0, 0, 0});
        std::size_t year = text.find("33");
        std::size_t month = text.find("11");
        std::size_t day = text.find("22");
        if (year != std::string::npos && month != std::string::npos && day != std::string::npos)
        {
            if (year < month && month < day)
                return CsvDateOrder::YearMonthDay;
            if (day < month)
                return CsvDateOrder::DayMonthYear;
        }
        return CsvDateOrder::MonthDayYear;
    }

    // The decimal mark that reads every amount; when both read them all alike it makes no
    // difference, and when both read them differently it is a doubt.
    void DecimalMark()
    {
        CsvMapping& m = m_guess.mapping;
        char fallback = m.delimiter == ',' ? '.' : ',';
        if (m_given.decimal)
        {
            m.decimal = *m_given.decimal;
            return;
        }
        std::array<std::size_t, 2> read{};
        std::size_t cells = 0;
        bool differ = false;
        for (CsvRole role : {CsvRole::Amount, CsvRole::Debit, CsvRole::Credit})
        {
            std::optional<std::size_t> column = m.ColumnOf(role);
            if (!column)
                continue;
            for (const CsvRecord* row : m_rows)
            {
                std::string_view cell = TrimCsvText(row->Field(*column));
                if (cell.empty())
                    continue;
                std::optional<Currency> point = ParseCsvAmount(cell, '.');
                std::optional<Currency> comma = ParseCsvAmount(cell, ',');
                if (!point && !comma)
                    continue;
                ++cells;
                read[0] += point ? 1 : 0;
                read[1] += comma ? 1 : 0;
                differ = differ || point != comma;
            }
        }
        if (read[0] == cells && read[1] == cells)
        {
            m.decimal = fallback;
            if (differ)
                Doubt("decimal", "both \".\" and \",\" read every amount as a number",
                      "give decimal=. or decimal=,");
        }
        else if (read[0] != read[1])
            m.decimal = read[0] > read[1] ? '.' : ',';
        else
            m.decimal = fallback;
    }

    // The text of the sign column that marks a debit; "" when only credits are marked.
    void SignText()
    {
        CsvMapping& m = m_guess.mapping;
        std::optional<std::size_t> column = m.ColumnOf(CsvRole::Sign);
        if (!column || m_given.signText)
            return;
        std::vector<std::string> values;
        for (const CsvRecord* row : m_rows)
        {
            std::string value(TrimCsvText(row->Field(*column)));
            if (!value.empty() && std::find(values.begin(), values.end(), value) == values.end())
                values.push_back(value);
        }
        bool credits = false;
        for (const std::string& value : values)
        {
            if (IsMarker(UpperAscii(value), DebitMarkers))
            {
                m.signText = value;
                return;
            }
            credits = credits || IsMarker(UpperAscii(value), CreditMarkers);
        }
        m.signText = credits || values.empty() ? "" : values.front();
        if (!credits)
            Doubt("sign", "the sign column holds no debit or credit marker", "give sign=N:TEXT");
    }

    std::string_view m_text;
    const CsvOptions& m_given;
    CsvGuess m_guess;
    std::vector<CsvRecord> m_records;
    const CsvRecord* m_header = nullptr;
    std::vector<const CsvRecord*> m_rows;
    std::size_t m_columns = 0;
    std::vector<ColumnStats> m_stats;
    bool m_severalAmounts = false;
};
} // namespace

CsvGuess GuessCsvMapping(std::string_view text, const CsvOptions& given)
{
    return Guesser(text, given).Guess();
}

bool LooksLikeCsvStatement(std::string_view bytes)
{
    // The bytes may end inside a character: a UTF-16 file is read to an even length.
    std::optional<std::string> decoded = DecodeCsvFile(bytes, "");
    if (!decoded && bytes.size() % 2 == 1)
        decoded = DecodeCsvFile(bytes.substr(0, bytes.size() - 1), "");
    if (!decoded)
        return false;
    std::string_view text = *decoded;
    std::size_t controls = 0;
    for (char c : text)
    {
        auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            return false;
        if (byte < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f')
            ++controls;
    }
    if (controls * 100 > text.size())
        return false;
    bool table = false;
    char delimiter = BestDelimiter(text, 0, table);
    if (!table)
        return false;
    CsvReader reader(text, delimiter);
    CsvRecord record;
    for (std::size_t n = 0; n < ShapeRecords && reader.Next(record); ++n)
        if (TransactionLike(record))
            return true;
    return false;
}
