#include "dashboard/PageFile.h"

#include "base/FileReplace.h"
#include "base/Paths.h"
#include "net/HttpClient.h"

std::string PageFilePath()
{
    return JoinPath(GetTempDir(), "home.html");
}

std::string WritePageFile(const std::string& document)
{
    std::string path = PageFilePath();
    // A page that cannot be written leaves the one before in place, whole.
    static_cast<void>(ReplaceFile(path, document));
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
