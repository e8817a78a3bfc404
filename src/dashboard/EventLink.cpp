#include "dashboard/EventLink.h"

namespace
{
constexpr std::string_view Scheme = "event://";

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

std::string DecodeUrlText(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (c == '+')
            decoded += ' ';
        else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                 HexValue(text[i + 2]) >= 0)
        {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        }
        else
            decoded += c;
    }
    return decoded;
}

std::optional<EventLink> ParseEventLink(std::string_view url)
{
    if (url.substr(0, Scheme.size()) != Scheme)
        return std::nullopt;
    std::string_view rest = url.substr(Scheme.size());
    EventLink link;
    std::size_t nameEnd = rest.find_first_of("/?");
    link.name = DecodeUrlText(rest.substr(0, nameEnd));
    std::size_t query = rest.find('?');
    if (query == std::string_view::npos || query + 1 == rest.size())
        return link;
    rest.remove_prefix(query + 1);
    for (;;)
    {
        std::size_t amp = rest.find('&');
        link.arguments.push_back(DecodeUrlText(rest.substr(0, amp)));
        if (amp == std::string_view::npos)
            break;
        rest.remove_prefix(amp + 1);
    }
    return link;
}
