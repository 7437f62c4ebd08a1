#include "framework/UrlCommand.h"

bool BuildFallbackCommand(const std::string& className, const std::string& commandTemplate,
                          const std::string& url, std::string& command)
{
    if (className.size() + commandTemplate.size() + url.size() > kFallbackCommandLimit)
        return false;
    size_t cut = commandTemplate.find("\"%1\"");
    if (cut == std::string::npos)
        cut = commandTemplate.find("%1");
    command = commandTemplate.substr(0, cut);
    command += ' ';
    command += url;
    return true;
}
