#include "data/DatabaseError.h"

#include <cstdio>

namespace
{
// The system texts of the status codes the access layer raises without a description.
const char* SystemMessage(std::int32_t status)
{
    switch (static_cast<std::uint32_t>(status))
    {
    case 0x80004005u:
        return "Unspecified error";
    case 0x80020005u:
        return "Type mismatch.";
    case 0x8007000Eu:
        return "Not enough memory resources are available to complete this operation.";
    case 0x80070005u:
        return "Access is denied.";
    default:
        return nullptr;
    }
}
} // namespace

DatabaseError::DatabaseError(std::int32_t status, std::string description)
    : std::runtime_error(description.empty() ? "database error" : description), m_status(status),
      m_description(std::move(description))
{
}

std::string GetComExceptionMessage(const DatabaseError& error)
{
    std::string text = error.Description();
    if (text.empty())
    {
        std::uint32_t code = static_cast<std::uint32_t>(error.StatusCode());
        if (const char* system = SystemMessage(error.StatusCode()))
            text = system;
        else
        {
            char buffer[64];
            if (code > 0x80040200u && code <= 0x8004FFFFu)
                std::snprintf(buffer, sizeof buffer, "IDispatch error #%d",
                              static_cast<int>(code - 0x80040200u));
            else
                std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX",
                              static_cast<unsigned long>(code));
            text = buffer;
        }
    }
    return text + " (" + std::to_string(error.StatusCode()) + ")";
}
