#include "storage/ConflictCopyName.h"
#include <gtest/gtest.h>

namespace {

struct NameCase {
    const char* name;
    bool conflictCopy;
};

// The names the sync services give a second copy of the data file, and
// names beside it that are none: the program's own files and look-alikes.
const NameCase kNames[] = {
    // OneDrive: the machine's name, and a number for a second one.
    {"quipmark-LAPTOP.dat", true},
    {"quipmark-DESKTOP-7QK2M1B.dat", true},
    {"quipmark-laptop-2.dat", true},
    {"quipmark-my_pc.dat", true},
    // Dropbox: the user or the machine, the date, perhaps a number.
    {"quipmark (Alex's conflicted copy 2026-12-08).dat", true},
    {"quipmark (DESKTOP-UMS014A's conflicted copy 2026-12-08 (1)).dat", true},
    {"quipmark (Alex's conflicted copy 2026-12-08) (2).dat", true},
    {"quipmark (Alex's conflicted copy).dat", true},
    // Nextcloud and ownCloud since 2.5; before that, "_conflict-".
    {"quipmark (conflicted copy 2026-12-08 101512).dat", true},
    {"quipmark (conflicted copy alex 2026-12-08 101512).dat", true},
    {"quipmark_conflict-20261208-101512.dat", true},
    {"quipmark_conflict-alex-20261208-101512.dat", true},
    // Syncthing, with the device since 0.14 and without before.
    {"quipmark.sync-conflict-20261208-101512-ABCDEFG.dat", true},
    {"quipmark.sync-conflict-20261208-101512.dat", true},
    // Google Drive: a second file of the same name.
    {"quipmark (1).dat", true},
    // Case does not matter, as in Windows' file names.
    {"QUIPMARK-LAPTOP.DAT", true},
    {"Quipmark.Sync-Conflict-20261208-101512-ABCDEFG.dat", true},
    // The data file and the program's own files beside it.
    {"quipmark.dat", false},
    {"QUIPMARK.DAT", false},
    {"quipmark.dat.bak", false},
    {"quipmark.dat.1.bak", false},
    {"quipmark.dat.17.bak", false},
    {"quipmark.dat.tmp", false},
    // Copies of a backup, and other files of another name or extension.
    {"quipmark.dat (Alex's conflicted copy 2026-12-08).bak", false},
    {"quipmark.dat.sync-conflict-20261208-101512-ABCDEFG.bak", false},
    {"quipmark-LAPTOP.txt", false},
    {"quipmark-LAPTOP.dat.bak", false},
    {"notes-LAPTOP.dat", false},
    {"myquipmark-LAPTOP.dat", false},
    {"quipmarkLAPTOP.dat", false},
    // Tags that are none of the services' rules.
    {"quipmark-.dat", false},
    {"quipmark-2.dat", false},
    {"quipmark-LAP TOP.dat", false},
    {"quipmark-LAPTOP.old.dat", false},
    {"quipmark (old).dat", false},
    {"quipmark ().dat", false},
    {"quipmark (conflicted copy 2026-12-08.dat", false},
    {"quipmark.sync-conflict-2026120-101512.dat", false},
    {"quipmark.sync-conflict-20261208101512.dat", false},
    {"quipmark.sync-conflict-20261208-101512-.dat", false},
    {"quipmark_conflict-2026-12-08.dat", false},
    {"quipmark_conflict-.dat", false},
};

TEST(ConflictCopyName, TellsTheServicesCopiesFromTheProgramsOwnFilesAndOthers)
{
    for (const NameCase& c : kNames)
        EXPECT_EQ(IsConflictCopyName(c.name), c.conflictCopy) << c.name;
}

TEST(ConflictCopyName, FollowsTheDataFilesName)
{
    EXPECT_TRUE(IsConflictCopyName("entries-LAPTOP.dat", "entries.dat"));
    EXPECT_FALSE(IsConflictCopyName("quipmark-LAPTOP.dat", "entries.dat"));
    EXPECT_TRUE(IsConflictCopyName("data.sync-conflict-20261208-101512-ABCDEFG", "data"));
}

}  // namespace
