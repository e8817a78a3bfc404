#include "update/UpdateCommandLine.h"

#include "base/SiteAddress.h"
#include "base/Version.h"
#include "update/CAutoUpdater.h"

#include <ostream>

std::variant<UpdateCheckCommandLine, std::string>
ParseUpdateCheckCommandLine(std::span<const std::string> args)
{
    UpdateCheckCommandLine command;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        std::optional<std::string> site;
        if (arg == "--site")
        {
            if (i + 1 == args.size())
                return "--site needs a URL";
            site = args[++i];
        }
        else if (arg.starts_with("--site="))
            site = arg.substr(std::string("--site=").size());
        else
            return "update-check takes only --site URL, got '" + arg + "'";
        if (command.site)
            return "give --site only once";
        if (site->empty())
            return "--site needs a URL";
        command.site = std::move(site);
    }
    return command;
}

int RunUpdateCheckCommandLine(const UpdateCheckCommandLine& command, std::ostream& out)
{
    CAutoUpdater updater(command.site.value_or(MakerSiteUrl()), GetVersionString("FileVersion"));
    UpdateCheckResult result = updater.CheckForUpdate();
    out << "code " << result.Code() << "\n";
    if (result.code == UpdateCheckCode::Available)
        out << "available " << result.version << "\n";
    return 0;
}
