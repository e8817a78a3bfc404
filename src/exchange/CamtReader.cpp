#include "exchange/CamtReader.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>

#include <array>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace
{
// ---- Sniffing the head ----

// ISO's own namespaces ("urn:iso:std:iso:20022:tech:xsd:camt.053.001.02") and national
// ones ("ISO:camt.053.001.02:APC:STUZZA:payments:003" of Austrian banks) name the message.
constexpr std::string_view CamtMessage = "camt.05";

// Whether a namespace names one of the three messages read here, of any version.
bool IsCamtNamespace(std::string_view uri)
{
    for (std::size_t at = uri.find(CamtMessage); at != std::string_view::npos;
         at = uri.find(CamtMessage, at + 1))
    {
        std::size_t after = at + CamtMessage.size();
        if (after + 1 < uri.size() &&
            (uri[after] == '2' || uri[after] == '3' || uri[after] == '4') && uri[after + 1] == '.')
            return true;
    }
    return false;
}

// Where the root's start tag begins: past a byte order mark, the XML declaration,
// processing instructions, comments, a DOCTYPE and blanks; npos when the head holds none.
std::size_t RootTagStart(std::string_view head)
{
    std::size_t at = head.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (true)
    {
        at = head.find('<', at);
        if (at == std::string_view::npos || at + 1 >= head.size())
            return std::string_view::npos;
        std::string_view rest = head.substr(at);
        if (rest.substr(0, 4) == "<!--")
            at = head.find("-->", at);
        else if (rest[1] == '?')
            at = head.find("?>", at);
        else if (rest[1] == '!')
            at = head.find(rest.find('[') < rest.find('>') ? "]>" : ">", at);
        else
            return at;
        if (at == std::string_view::npos)
            return std::string_view::npos;
        ++at;
    }
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The value of the attribute that starts at `at` (just past its '='), unquoted.
std::string_view QuotedValue(std::string_view tag, std::size_t at)
{
    while (at < tag.size() && IsBlank(tag[at]))
        ++at;
    if (at >= tag.size() || (tag[at] != '"' && tag[at] != '\''))
        return {};
    std::size_t end = tag.find(tag[at], at + 1);
    return end == std::string_view::npos ? std::string_view() : tag.substr(at + 1, end - at - 1);
}

// Whether some namespace declaration of a start tag names a CAMT message.
bool DeclaresCamtNamespace(std::string_view tag)
{
    for (std::size_t at = tag.find("xmlns"); at != std::string_view::npos;
         at = tag.find("xmlns", at + 5))
    {
        std::size_t equals = tag.find('=', at);
        if (equals != std::string_view::npos && IsCamtNamespace(QuotedValue(tag, equals + 1)))
            return true;
    }
    return false;
}

// ---- Texts ----

// The text with blanks around it removed and each line break, with the blanks around it,
// made one blank.
std::string Tidy(std::string_view text)
{
    std::string tidy;
    tidy.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '\r' && text[i] != '\n')
        {
            tidy += text[i];
            continue;
        }
        while (!tidy.empty() && IsBlank(tidy.back()))
            tidy.pop_back();
        while (i + 1 < text.size() && IsBlank(text[i + 1]))
            ++i;
        tidy += ' ';
    }
    std::size_t first = tidy.find_first_not_of(" \t");
    std::size_t last = tidy.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : tidy.substr(first, last - first + 1);
}

// ---- The tree ----

struct XmlFreeDeleter
{
    void operator()(xmlChar* text) const { xmlFree(text); }
};

struct DocumentDeleter
{
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

struct ReaderDeleter
{
    void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};

using DocumentPtr = std::unique_ptr<xmlDoc, DocumentDeleter>;
using ReaderPtr = std::unique_ptr<xmlTextReader, ReaderDeleter>;

bool IsElement(const xmlNode* node, std::string_view name)
{
    return node->type == XML_ELEMENT_NODE && reinterpret_cast<const char*>(node->name) == name;
}

// The first child element of that local name; null when there is none (or no parent).
const xmlNode* Child(const xmlNode* parent, std::string_view name)
{
    if (parent == nullptr)
        return nullptr;
    for (const xmlNode* child = parent->children; child != nullptr; child = child->next)
        if (IsElement(child, name))
            return child;
    return nullptr;
}

std::vector<const xmlNode*> Children(const xmlNode* parent, std::string_view name)
{
    std::vector<const xmlNode*> found;
    if (parent == nullptr)
        return found;
    for (const xmlNode* child = parent->children; child != nullptr; child = child->next)
        if (IsElement(child, name))
            found.push_back(child);
    return found;
}

// The element down a path of local names, each the first child of its name.
const xmlNode* Path(const xmlNode* from, std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names)
        from = Child(from, name);
    return from;
}

// The element's text, tidied; empty for no element.
std::string Text(const xmlNode* node)
{
    if (node == nullptr)
        return {};
    std::unique_ptr<xmlChar, XmlFreeDeleter> content(xmlNodeGetContent(node));
    return content ? Tidy(reinterpret_cast<const char*>(content.get())) : std::string();
}

std::string PathText(const xmlNode* from, std::initializer_list<std::string_view> names)
{
    return Text(Path(from, names));
}

// ---- Parsing safely ----

// No entity is ever replaced (no XML_PARSE_NOENT), no DTD loaded (no XML_PARSE_DTDLOAD).
constexpr int ParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                             XML_PARSE_COMPACT | XML_PARSE_NOBLANKS;

// Keeps the line of the first error: later ones follow from it and point past the fault.
void NoteError(void* firstErrorLine, xmlError* error)
{
    int& line = *static_cast<int*>(firstErrorLine);
    if (line == 0 && error != nullptr && error->level >= XML_ERR_ERROR)
        line = error->line > 0 ? error->line : -1;
}

StatementError NotWellFormed(int line)
{
    return StatementError("The statement is not well-formed XML" +
                          (line > 0 ? " (line " + std::to_string(line) + ")." : std::string(".")));
}

// A bank statement declares no entities: one that does (a "billion laughs" file, an external
// file's contents) is refused before any of them could be expanded.
void RefuseEntities(const xmlDoc* document)
{
    const xmlDtd* subset = document != nullptr ? document->intSubset : nullptr;
    if (subset != nullptr && (subset->entities != nullptr || subset->pentities != nullptr))
        throw StatementError("The statement declares XML entities, which a bank statement never "
                             "does; it is not read.");
}

// ---- Amounts and dates ----

// Whether a credit/debit indicator says debit; nullopt when it says neither.
std::optional<bool> Debit(const xmlNode* indicator)
{
    std::string text = Text(indicator);
    if (text == "DBIT")
        return true;
    if (text == "CRDT")
        return false;
    return std::nullopt;
}

bool EntryDebit(const xmlNode* entry)
{
    std::optional<bool> debit = Debit(Child(entry, "CdtDbtInd"));
    if (!debit)
        throw StatementError("An entry of the statement says neither credit nor debit.");
    return *debit;
}

Currency ReadAmount(const xmlNode* amount, const char* what)
{
    std::string text = Text(amount);
    std::optional<Currency> value = Currency::Parse(text, '.');
    if (!value)
        throw StatementError(std::string(what) +
                             " of the statement has an amount that cannot be read: \"" + text +
                             "\".");
    return *value;
}

Currency Signed(Currency amount, bool debit)
{
    return debit ? -amount : amount;
}

bool IsDigits(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.empty();
}

// The day of an ISO date or date and time ("2024-03-31", "2024-03-31T23:30:00-05:00"), as
// written: no time-zone shift.
std::optional<DateTime> ParseDay(std::string_view text)
{
    if (text.size() < 10 || text[4] != '-' || text[7] != '-' || !IsDigits(text.substr(0, 4)) ||
        !IsDigits(text.substr(5, 2)) || !IsDigits(text.substr(8, 2)))
        return std::nullopt;
    DateTime day;
    day.year = std::stoi(std::string(text.substr(0, 4)));
    day.month = std::stoi(std::string(text.substr(5, 2)));
    day.day = std::stoi(std::string(text.substr(8, 2)));
    return day.IsValid() ? std::optional<DateTime>(day) : std::nullopt;
}

DateTime ReadDay(const xmlNode* date, const char* what)
{
    std::string text = Text(date);
    std::optional<DateTime> day = ParseDay(text);
    if (!day)
        throw StatementError(std::string(what) +
                             " of the statement has a date that cannot be read: \"" + text + "\".");
    return *day;
}

// The day of a date choice (<Dt> or <DtTm> inside it); nullopt when it holds neither.
std::optional<DateTime> ChoiceDay(const xmlNode* choice, const char* what)
{
    if (const xmlNode* date = Child(choice, "Dt"))
        return ReadDay(date, what);
    if (const xmlNode* dateTime = Child(choice, "DtTm"))
        return ReadDay(dateTime, what);
    return std::nullopt;
}

// ---- Entries ----

bool IsBooked(const xmlNode* entry)
{
    const xmlNode* status = Child(entry, "Sts");
    const xmlNode* code = Child(status, "Cd");
    return Text(code != nullptr ? code : status) == "BOOK";
}

DateTime EntryDay(const xmlNode* entry)
{
    if (std::optional<DateTime> booked = ChoiceDay(Child(entry, "BookgDt"), "An entry"))
        return *booked;
    if (std::optional<DateTime> value = ChoiceDay(Child(entry, "ValDt"), "An entry"))
        return *value;
    throw StatementError("An entry of the statement has neither a booking nor a value date.");
}

// Every transaction of an entry, in file order.
std::vector<const xmlNode*> TransactionDetails(const xmlNode* entry)
{
    std::vector<const xmlNode*> details;
    for (const xmlNode* group : Children(entry, "NtryDtls"))
        for (const xmlNode* transaction : Children(group, "TxDtls"))
            details.push_back(transaction);
    return details;
}

std::string EntryFitid(const xmlNode* entry, const std::vector<const xmlNode*>& details)
{
    std::string fitid = PathText(entry, {"AcctSvcrRef"});
    if (fitid.empty())
        fitid = PathText(entry, {"NtryRef"});
    if (fitid.empty() && !details.empty())
    {
        fitid = PathText(details.front(), {"Refs", "EndToEndId"});
        if (fitid == "NOTPROVIDED")
            fitid.clear();
    }
    return fitid;
}

// The other party's name: the creditor's for money out, the debtor's for money in.
std::string OtherSideName(const xmlNode* transaction, bool debit)
{
    const xmlNode* party = Path(transaction, {"RltdPties", debit ? "Cdtr" : "Dbtr"});
    std::string name = PathText(party, {"Nm"});
    return name.empty() ? PathText(party, {"Pty", "Nm"}) : name;
}

std::string Remittance(const xmlNode* transaction)
{
    std::string notes;
    for (const xmlNode* line : Children(Child(transaction, "RmtInf"), "Ustrd"))
    {
        std::string text = Text(line);
        if (!text.empty())
            notes += (notes.empty() ? "" : " ") + text;
    }
    return notes.empty() ? PathText(transaction, {"AddtlTxInf"}) : notes;
}

// One item of a batch: a transaction with its own amount.
struct BatchItem
{
    const xmlNode* transaction;
    Currency amount; ///< signed
    bool debit;
};

// The transactions of a batch entry as items, when each has its own amount and together they
// make the entry's amount; nullopt otherwise.
std::optional<std::vector<BatchItem>> BatchItems(const std::vector<const xmlNode*>& details,
                                                 Currency entryAmount, bool entryDebit)
{
    if (details.size() < 2)
        return std::nullopt;
    std::vector<BatchItem> items;
    std::int64_t total = 0;
    for (const xmlNode* transaction : details)
    {
        const xmlNode* amount = Child(transaction, "Amt");
        if (amount == nullptr)
            amount = Path(transaction, {"AmtDtls", "TxAmt", "Amt"});
        if (amount == nullptr)
            return std::nullopt;
        const xmlNode* indicator = Child(transaction, "CdtDbtInd");
        std::optional<bool> debit = indicator != nullptr ? Debit(indicator) : entryDebit;
        if (!debit)
            throw StatementError("An entry of the statement says neither credit nor debit.");
        Currency share = Signed(ReadAmount(amount, "An entry"), *debit);
        if (__builtin_add_overflow(total, share.Units(), &total))
            return std::nullopt;
        items.push_back({transaction, share, *debit});
    }
    if (total != entryAmount.Units())
        return std::nullopt;
    return items;
}

StatementEntry Row(DateTime date, Currency amount, bool debit, std::string fitid,
                   const xmlNode* transaction, const std::string& entryText)
{
    StatementEntry row;
    row.date = date;
    row.amount = amount;
    row.fitid = std::move(fitid);
    row.description = OtherSideName(transaction, debit);
    if (row.description.empty())
        row.description = entryText;
    row.notes = Remittance(transaction);
    return row;
}

// Appends the rows of one booked entry: one, or one per item of a batch.
void AppendEntry(const xmlNode* entry, std::vector<StatementEntry>& rows)
{
    bool debit = EntryDebit(entry);
    Currency amount = Signed(ReadAmount(Child(entry, "Amt"), "An entry"), debit);
    DateTime day = EntryDay(entry);
    std::vector<const xmlNode*> details = TransactionDetails(entry);
    std::string fitid = EntryFitid(entry, details);
    std::string entryText = PathText(entry, {"AddtlNtryInf"});
    if (std::optional<std::vector<BatchItem>> items = BatchItems(details, amount, debit))
    {
        for (std::size_t i = 0; i < items->size(); ++i)
        {
            const BatchItem& item = (*items)[i];
            std::string itemFitid = fitid.empty() ? fitid : fitid + "-" + std::to_string(i + 1);
            rows.push_back(
                Row(day, item.amount, item.debit, itemFitid, item.transaction, entryText));
        }
        return;
    }
    const xmlNode* first = details.empty() ? nullptr : details.front();
    rows.push_back(Row(day, amount, debit, fitid, first, entryText));
}

// ---- Statements ----

// The account number of an Acct element: its IBAN, else its other id.
std::string AccountId(const xmlNode* account)
{
    const xmlNode* id = Child(account, "Id");
    std::string iban = PathText(id, {"IBAN"});
    return iban.empty() ? PathText(id, {"Othr", "Id"}) : iban;
}

// The closing balance (CLBD); nullopt when it gives no day.
std::optional<StatementBalance> Closing(const xmlNode* balance)
{
    std::optional<bool> debit = Debit(Child(balance, "CdtDbtInd"));
    if (!debit)
        throw StatementError("The closing balance of the statement says neither credit nor debit.");
    Currency amount = Signed(ReadAmount(Child(balance, "Amt"), "The closing balance"), *debit);
    std::optional<DateTime> day = ChoiceDay(Child(balance, "Dt"), "The closing balance");
    if (!day)
        return std::nullopt;
    return StatementBalance{*day, amount};
}

/// A statement as its parts are read, one child element after the other.
struct StatementParts
{
    BankStatement statement;
    std::optional<DateTime> opened;     ///< the day of the opening balance (OPBD)
    std::optional<DateTime> previous;   ///< the day of the previous closing balance (PRCD)
    std::optional<DateTime> periodFrom; ///< the start of the statement's period
    bool closingSeen = false;
};

void ReadBalance(const xmlNode* balance, StatementParts& parts)
{
    std::string type = PathText(balance, {"Tp", "CdOrPrtry", "Cd"});
    if (type == "CLBD" && !parts.closingSeen)
    {
        parts.closingSeen = true;
        parts.statement.closing = Closing(balance);
    }
    std::optional<DateTime>* day = type == "OPBD"   ? &parts.opened
                                   : type == "PRCD" ? &parts.previous
                                                    : nullptr;
    if (day != nullptr && !*day)
        *day = ChoiceDay(Child(balance, "Dt"), "A balance");
}

// Takes one child element of a statement, expanded with everything in it.
void ReadStatementChild(const xmlNode* child, StatementParts& parts)
{
    if (IsElement(child, "Acct"))
        parts.statement.accountId = AccountId(child);
    else if (IsElement(child, "Bal"))
        ReadBalance(child, parts);
    else if (IsElement(child, "FrToDt") && !parts.periodFrom)
    {
        if (const xmlNode* from = Child(child, "FrDtTm"))
            parts.periodFrom = ReadDay(from, "The period");
    }
    else if (IsElement(child, "Ntry"))
    {
        if (IsBooked(child))
            AppendEntry(child, parts.statement.entries);
        else
            ++parts.statement.pending;
    }
}

BankStatement Finish(StatementParts& parts)
{
    BankStatement& statement = parts.statement;
    statement.firstDay = parts.opened     ? parts.opened
                         : parts.previous ? parts.previous
                                          : parts.periodFrom;
    if (!statement.firstDay && !statement.entries.empty())
        statement.firstDay = statement.entries.front().date;
    return std::move(statement);
}

// The message element of each kind and the element of its statements.
struct MessageKind
{
    std::string_view message;
    std::string_view statement;
};

constexpr std::array<MessageKind, 3> MessageKinds = {
    {{"BkToCstmrStmt", "Stmt"}, {"BkToCstmrAcctRpt", "Rpt"}, {"BkToCstmrDbtCdtNtfctn", "Ntfctn"}}};

StatementError NotCamt()
{
    return StatementError(
        "The file is not a CAMT bank statement (camt.052, camt.053 or camt.054).");
}
} // namespace

bool LooksLikeCamt(std::string_view head)
{
    std::size_t start = RootTagStart(head);
    if (start == std::string_view::npos)
        return false;
    std::string_view tag = head.substr(start + 1);
    tag = tag.substr(0, tag.find('>'));
    std::size_t nameEnd = tag.find_first_of(" \t\r\n/");
    std::string_view name = tag.substr(0, nameEnd);
    std::size_t colon = name.find(':');
    if (colon != std::string_view::npos)
        name = name.substr(colon + 1);
    return name == "Document" && DeclaresCamtNamespace(tag);
}

namespace
{
/// Walks the document element by element, never holding more of it than one child of a
/// statement: a statement of 100,000 entries is read in the memory of one.
class CamtWalk
{
public:
    explicit CamtWalk(std::string_view bytes)
    {
        if (bytes.size() > static_cast<std::size_t>(INT_MAX))
            throw StatementError("The statement is too large to read.");
        m_reader.reset(xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                          nullptr, ParseOptions));
        if (!m_reader)
            throw StatementError("The statement is empty.");
        xmlTextReaderSetStructuredErrorHandler(m_reader.get(), NoteError, &m_firstErrorLine);
    }

    std::vector<BankStatement> Read()
    {
        int status = xmlTextReaderRead(m_reader.get());
        while (status == 1)
            status =
                Visit() ? xmlTextReaderNext(m_reader.get()) : xmlTextReaderRead(m_reader.get());
        if (status < 0 || m_firstErrorLine != 0)
        {
            // The parser may stop inside the declarations of entities it finds too large.
            RefuseEntities(Document());
            throw NotWellFormed(m_firstErrorLine);
        }
        if (!m_kind)
            throw NotCamt();
        if (m_parts)
            m_statements.push_back(Finish(*m_parts));
        return std::move(m_statements);
    }

private:
    /// Looks at the node the reader stands on; true when its subtree was read or is of no
    /// interest, so the reader skips it.
    bool Visit()
    {
        xmlTextReader* reader = m_reader.get();
        int type = xmlTextReaderNodeType(reader);
        if (type == XML_READER_TYPE_DOCUMENT_TYPE)
            RefuseEntities(Document());
        if (type != XML_READER_TYPE_ELEMENT)
            return false;
        std::string_view name = LocalName();
        switch (xmlTextReaderDepth(reader))
        {
        case 0:
            if (name != "Document" || !IsCamtNamespace(NamespaceUri()))
                throw NotCamt();
            return false;
        case 1:
            return !EnterMessage(name);
        case 2:
            if (name != m_kind->statement)
                return true;
            if (m_parts)
                m_statements.push_back(Finish(*m_parts));
            m_parts.emplace();
            return false;
        default:
            if (const xmlNode* child = xmlTextReaderExpand(reader))
                ReadStatementChild(child, *m_parts);
            return true;
        }
    }

    // The message element: one of the three kinds; others are passed over.
    bool EnterMessage(std::string_view name)
    {
        for (const MessageKind& kind : MessageKinds)
            if (name == kind.message && !m_kind)
            {
                m_kind = &kind;
                return true;
            }
        return false;
    }

    std::string_view LocalName() const
    {
        const xmlChar* name = xmlTextReaderConstLocalName(m_reader.get());
        return name != nullptr ? reinterpret_cast<const char*>(name) : "";
    }

    std::string_view NamespaceUri() const
    {
        const xmlChar* uri = xmlTextReaderConstNamespaceUri(m_reader.get());
        return uri != nullptr ? reinterpret_cast<const char*>(uri) : "";
    }

    /// The document as far as it is read. Once asked for, the reader keeps all of it and
    /// leaves it to be freed here, after the reader.
    const xmlDoc* Document()
    {
        if (!m_document)
            m_document.reset(xmlTextReaderCurrentDoc(m_reader.get()));
        return m_document.get();
    }

    DocumentPtr m_document; ///< freed after the reader: members go in reverse order
    ReaderPtr m_reader;
    int m_firstErrorLine = 0;
    const MessageKind* m_kind = nullptr;
    std::optional<StatementParts> m_parts;
    std::vector<BankStatement> m_statements;
};
} // namespace

std::vector<BankStatement> ReadCamtStatements(std::string_view bytes)
{
    return CamtWalk(bytes).Read();
}
