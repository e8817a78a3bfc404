#include "exchange/ExportStatement.h"

#include "exchange/ExportCsv.h"
#include "exchange/ExportOfx.h"

#include <cctype>

bool IsCsvPath(const std::string& path)
{
    const std::string extension = ".csv";
    if (path.size() < extension.size())
        return false;
    std::size_t start = path.size() - extension.size();
    for (std::size_t i = 0; i < extension.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[start + i])) != extension[i])
            return false;
    return true;
}

ExportResult ExportStatement(Database& db, const std::string& accountId, const std::string& path,
                             std::int64_t now)
{
    if (IsCsvPath(path))
        return ExportCsv(db, accountId, path);
    return ExportOfx(db, accountId, path, now);
}
