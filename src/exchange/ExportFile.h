#pragma once

#include <string>

/// How an export went.
struct ExportResult
{
    int transactions = 0; ///< rows written
    std::string error;    ///< empty when the file was written; else the message for the user
    bool Ok() const { return error.empty(); }
};
