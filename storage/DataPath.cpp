#include "storage/DataPath.h"
#include "framework/ModulePath.h"
#include <cctype>

const char kDataFileName[] = "quipmark.dat";

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The folder's path as it compares: lower case, backslashes, none at the end.
std::string ComparableFolder(const std::string& folder)
{
    std::string comparable;
    comparable.reserve(folder.size());
    for (char c : folder)
        comparable += IsSeparator(c) ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (!comparable.empty() && comparable.back() == '\\')
        comparable.pop_back();
    return comparable;
}

}  // namespace

std::string DataPathForModule(const std::string& modulePath)
{
    const std::string folder = FolderOf(modulePath);
    return folder.empty() ? std::string() : folder + kDataFileName;
}

std::string DataPathInFolder(const std::string& folder)
{
    if (folder.empty())
        return std::string();
    return folder + (IsSeparator(folder.back()) ? "" : "\\") + kDataFileName;
}

std::string DataPathFor(const std::string& chosenFolder, const std::string& modulePath)
{
    return chosenFolder.empty() ? DataPathForModule(modulePath) : DataPathInFolder(chosenFolder);
}

bool SameFolder(const std::string& first, const std::string& second)
{
    return ComparableFolder(first) == ComparableFolder(second);
}

FolderChoice PlanFolderChoice(const std::string& currentDataPath, const std::string& chosenFolder,
                              bool chosenHoldsDataFile)
{
    if (SameFolder(FolderOf(currentDataPath), chosenFolder))
        return FolderChoice::Stay;
    return chosenHoldsDataFile ? FolderChoice::Merge : FolderChoice::Move;
}
