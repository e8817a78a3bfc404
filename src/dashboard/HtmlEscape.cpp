#include "dashboard/HtmlEscape.h"

std::string HtmlEscape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    AppendHtmlEscaped(escaped, text);
    return escaped;
}

void AppendHtmlEscaped(std::string& page, std::string_view text)
{
    // Plain runs are copied whole: pages of a hundred thousand rows are mostly plain text.
    std::size_t at = 0;
    while (at < text.size())
    {
        std::size_t special = text.find_first_of("&<>\"'", at);
        page.append(text.substr(at, special == std::string_view::npos ? special : special - at));
        if (special == std::string_view::npos)
            return;
        switch (text[special])
        {
        case '&':
            page += "&amp;";
            break;
        case '<':
            page += "&lt;";
            break;
        case '>':
            page += "&gt;";
            break;
        case '"':
            page += "&quot;";
            break;
        default:
            page += "&#39;";
        }
        at = special + 1;
    }
}
