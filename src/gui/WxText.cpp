#include "gui/WxText.h"

#include "data/TextEncoding.h"

wxString ToWx(std::string_view text)
{
    if (IsValidUtf8(text))
        return wxString::FromUTF8(text.data(), text.size());
    std::string valid = ToValidUtf8(text);
    return wxString::FromUTF8(valid.data(), valid.size());
}
