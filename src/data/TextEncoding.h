#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Character sets of text that comes from outside (statement files, older databases,
// settings files) and goes out (exported statements). Logic keeps text in UTF-8; the
// conversions go through the C library's iconv, so any set it knows can be named
// ("CP1252", "ISO-8859-1", "UTF-8", "windows-1252").

/// Whether the bytes are well-formed UTF-8: no stray continuation bytes, no cut sequences,
/// no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

/// The bytes read in the named character set, as UTF-8; nullopt when the set is unknown or
/// the bytes are not valid in it (CP1252 leaves five bytes undefined).
std::optional<std::string> DecodeToUtf8(std::string_view bytes, const std::string& charsetName);

/// UTF-8 text written in the named character set; nullopt when a character does not fit
/// in it, the text is not valid UTF-8 or the set is unknown.
std::optional<std::string> EncodeFromUtf8(std::string_view text, const std::string& charsetName);

/// Text that may not be valid UTF-8 made valid, losing as little as possible: well-formed
/// sequences are kept and every other byte is read as CP1252 (U+FFFD for the bytes CP1252
/// leaves undefined). Non-empty input never gives an empty text.
std::string ToValidUtf8(std::string_view text);

/// Every byte read as CP1252 (U+FFFD for the undefined ones); never fails.
std::string DecodeCp1252(std::string_view bytes);

/// The text of a statement file as UTF-8. Files lie about their character set, so bytes
/// that are valid UTF-8 are read as UTF-8 whatever is declared; otherwise the declared set
/// (an iconv name; empty when the file declares none) when it reads the bytes and keeps
/// ASCII as ASCII; otherwise CP1252.
std::string DecodeStatementText(std::string_view bytes, const std::string& declaredCharset);

/// The longest start of a UTF-8 text that holds at most `characters` characters; never
/// cuts a character in two.
std::string_view Utf8Prefix(std::string_view text, std::size_t characters);

/// The text with a UTF-8 code point appended in UTF-8; false, nothing appended, for a
/// surrogate or a value past U+10FFFF.
bool AppendUtf8(std::string& text, char32_t codePoint);
