#include "dashboard/PageTemplate.h"

std::string FillTemplate(std::string_view text, const std::vector<TemplateValue>& values)
{
    std::string filled;
    filled.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size())
    {
        std::size_t mark = text.find('%', at);
        if (mark == std::string_view::npos)
        {
            filled.append(text.substr(at));
            break;
        }
        filled.append(text.substr(at, mark - at));
        const TemplateValue* match = nullptr;
        for (const TemplateValue& value : values)
            if (text.substr(mark, value.first.size()) == value.first)
            {
                match = &value;
                break;
            }
        if (match)
        {
            filled += match->second;
            at = mark + match->first.size();
        }
        else
        {
            filled += '%';
            at = mark + 1;
        }
    }
    return filled;
}
