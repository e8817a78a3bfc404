#pragma once

#include <string>
#include <string_view>

/// The text with &, <, >, " and ' written as character references, safe inside an element
/// and inside a quoted attribute of either kind.
std::string HtmlEscape(std::string_view text);
/// Appends the escaped text to a page being built.
void AppendHtmlEscaped(std::string& page, std::string_view text);
