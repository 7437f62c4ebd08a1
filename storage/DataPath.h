#pragma once
#include <string>

// The data file's name, the same in every folder.
extern const char kDataFileName[];

// The data file's path for a program file name: "quipmark.dat" in the
// program's folder, or empty when the name holds no backslash.
std::string DataPathForModule(const std::string& modulePath);

// "<folder>\quipmark.dat"; empty for an empty folder. A trailing backslash
// (as in a drive's root, "D:\") is not doubled.
std::string DataPathInFolder(const std::string& folder);

// Where the entries live: in the folder the user chose (`chosenFolder`,
// as stored), else beside the program.
std::string DataPathFor(const std::string& chosenFolder, const std::string& modulePath);

// Whether two folder paths name the same folder as far as their text tells:
// letters of either case, "/" for "\", and a trailing separator alike.
bool SameFolder(const std::string& first, const std::string& second);

// What choosing a folder for the entries does to the data file.
enum class FolderChoice {
    // The entries live there already: nothing changes.
    Stay,
    // The folder holds a data file: the two collections become one there.
    Merge,
    // The folder holds none: the entries are written there.
    Move,
};
FolderChoice PlanFolderChoice(const std::string& currentDataPath, const std::string& chosenFolder,
                              bool chosenHoldsDataFile);
