#include "base/Version.h"

#include "base/VersionInfo.h"

std::string GetVersionString(const std::string& key)
{
    if (key == "ProductName" || key == "FileDescription")
        return TALLYBROOK_PRODUCT_NAME;
    if (key == "FileVersion")
        return TALLYBROOK_FILE_VERSION;
    if (key == "LegalCopyright")
        return TALLYBROOK_LEGAL_COPYRIGHT;
    if (key == "CompanyName")
        return TALLYBROOK_COMPANY_NAME;
    return {};
}
