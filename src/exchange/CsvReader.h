#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Delimited text as banks export it. The reader is lenient where the exports are: quoted
// fields may hold delimiters and line breaks, and quotes inside them may be left unescaped
// ("UAB "Naktida""); records may have any number of fields; lines may end in LF, CR LF, CR
// or CR CR LF.

/// One record: its fields and where it stands in the text.
struct CsvRecord
{
    /// The fields, quotes taken off; a line break inside quotes reads as "\n".
    std::vector<std::string> fields;
    std::size_t line = 0;  ///< the text line the record begins on, from 0
    std::size_t begin = 0; ///< the offset of its first byte in the text
    std::size_t end = 0;   ///< the offset past its last byte, before the line end

    /// Whether every field is empty or blank.
    bool IsBlank() const;
    /// The field of a column (from 0); empty past the record's last field.
    const std::string& Field(std::size_t column) const;
};

/// Reads the records of a text, one at a time, from a line on.
class CsvReader
{
public:
    /// A reader of text (UTF-8 or another set that keeps ASCII) from its line firstLine.
    CsvReader(std::string_view text, char delimiter, std::size_t firstLine = 0);

    /// The next record; false at the end of the text. A text that ends with a line end
    /// gives no empty record after it. The record's fields are reused from call to call.
    bool Next(CsvRecord& record);

private:
    std::string& NextField(CsvRecord& record, std::size_t count);
    void ReadPlain(std::string& field);
    bool ReadQuoted(std::size_t start, std::string& field);
    bool IsBlank(char c) const { return c == ' ' || (c == '\t' && m_delimiter != '\t'); }
    bool EndsField(std::size_t at) const;
    /// Passes the line end at m_pos, counting the line; CR CR LF is one line end.
    void PassLineEnd(std::size_t& at);

    std::string_view m_text;
    char m_delimiter;
    std::size_t m_pos = 0;
    std::size_t m_line = 0;
};

/// The offset at which a line (from 0) begins; the text's size when it has fewer lines.
std::size_t CsvLineStart(std::string_view text, std::size_t line);

/// The text of the line that begins at an offset, without its line end.
std::string_view CsvLineAt(std::string_view text, std::size_t offset);

/// The first lines of a text (each without its line end), at most `count`.
std::vector<std::string_view> CsvLines(std::string_view text, std::size_t count);

/// The character set a CSV file is read in when none is chosen: "UTF-8" for UTF-8 (with or
/// without a byte-order mark), "UTF-16" after a UTF-16 byte-order mark, else "CP1252".
std::string DetectCsvCharset(std::string_view bytes);

/// A CSV file's bytes as UTF-8 text, read in the named character set (an iconv name; empty:
/// the detected one), a byte-order mark left out; nullopt when the set is unknown or does
/// not read the bytes.
std::optional<std::string> DecodeCsvFile(std::string_view bytes, const std::string& charset);
