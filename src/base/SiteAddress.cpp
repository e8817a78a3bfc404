#include "base/SiteAddress.h"

#include "base/Settings.h"
#include "base/VersionInfo.h"

std::string MakerSiteUrl()
{
    std::string site = GetSetting("SiteUrl", "Settings");
    if (site.empty())
        site = TALLYBROOK_SITE_URL;
    // Paths are appended with their own leading "/".
    while (!site.empty() && site.back() == '/')
        site.pop_back();
    return site;
}
