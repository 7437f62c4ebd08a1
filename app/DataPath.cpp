#include "app/DataPath.h"
#include "framework/ModulePath.h"

std::string DataPathForModule(const std::string& modulePath)
{
    const std::string folder = FolderOf(modulePath);
    return folder.empty() ? std::string() : folder + "quipmark.dat";
}
