#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The text of an OFX statement, read without parsing it as a tree: the file is one text
// scanned for tags, so the SGML form of OFX 1.x, the XML form of OFX 2.x, QFX and OFC read
// alike.

/// The character set a statement declares, as iconv names it: the XML declaration's
/// encoding (OFX 2.x), else the header's ENCODING (UTF-8) or CHARSET (1252 is "CP1252",
/// ISO-8859-1; NONE declares nothing) of OFX 1.x; empty when it declares none.
std::string DeclaredCharset(std::string_view text);

/// A statement's bytes as UTF-8 text: a byte-order mark dropped, then valid UTF-8 kept
/// whatever is declared, else the declared character set, else CP1252.
std::string DecodeStatementFile(std::string bytes);

/// DecodeStatementFile without a copy when none is needed: a view of the bytes when they
/// are valid UTF-8, else a view of `decoded`, which holds the decoded text.
std::string_view StatementText(std::string_view bytes, std::string& decoded);

/// The text after the first occurrence of tag (brackets included, case-sensitive) up to
/// the next "<", trimmed of white space; CDATA sections in it are taken whole, without
/// their markers. Empty when the tag does not occur.
std::string TagValue(std::string_view text, std::string_view tag);

/// TagValue with the entities outside CDATA decoded in one pass: &amp; &lt; &gt; &quot;
/// &apos; and numeric references (&#233; &#xE9;). Anything else stays as written.
std::string TagText(std::string_view text, std::string_view tag);

/// The text between "<name>" and the next "</name>" at or after position, line feeds
/// removed, and position moved past the closing tag; empty, position unchanged, when
/// either tag is missing.
std::string NextAggregate(std::string_view text, std::string_view name, std::size_t& position);
/// NextAggregate into a buffer that keeps its room from one block to the next; false when
/// the block is empty.
bool NextAggregate(std::string_view text, std::string_view name, std::size_t& position,
                   std::string& block);
