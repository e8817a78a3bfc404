#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// An "event://" link of a generated page: the event name and its arguments.
struct EventLink
{
    std::string name;                   ///< compared exactly, case and all
    std::vector<std::string> arguments; ///< in order; empty when the link has no query
};

/// Reads a navigation address. Anything whose first eight characters are not exactly
/// "event://" is an ordinary address (nullopt) that the browser follows. The name ends at
/// the first "/", "?" or the end; the query after the first "?" is cut at every "&" before
/// each piece is decoded, so an encoded "&" stays inside its argument.
std::optional<EventLink> ParseEventLink(std::string_view url);

/// Form decoding: "+" becomes a blank and "%" with two hexadecimal digits the byte they
/// name; everything else is copied.
std::string DecodeUrlText(std::string_view text);
