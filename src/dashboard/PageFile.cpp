#include "dashboard/PageFile.h"

#include "base/Paths.h"
#include "net/HttpClient.h"

#include <fstream>

std::string PageFilePath()
{
    return JoinPath(GetTempDir(), "home.html");
}

std::string WritePageFile(const std::string& document)
{
    std::string path = PageFilePath();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << document;
    return path;
}

std::string FileUrl(const std::string& path)
{
    std::string url = "file://";
    std::size_t at = 0;
    while (at <= path.size())
    {
        std::size_t slash = path.find('/', at);
        if (slash == std::string::npos)
        {
            url += UrlEncode(path.substr(at));
            break;
        }
        url += UrlEncode(path.substr(at, slash - at)) + "/";
        at = slash + 1;
    }
    return url;
}
