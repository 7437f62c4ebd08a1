#include "framework/ModulePath.h"

std::string FileTitleOf(const std::string& modulePath)
{
    const std::string::size_type slash = modulePath.find_last_of('\\');
    std::string name = slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
    const std::string::size_type dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string FolderOf(const std::string& modulePath)
{
    const std::string::size_type slash = modulePath.find_last_of('\\');
    return slash == std::string::npos ? std::string() : modulePath.substr(0, slash + 1);
}
