#pragma once
#include <string>

// Whether `name`, a file name in the data file's folder (without the
// folder), is a second copy of the data file named `dataName` that a sync
// service left beside it when two machines changed the file at once. Each
// service names it by its own rule, all of them keeping the extension:
//
//   quipmark-LAPTOP.dat, quipmark-LAPTOP-2.dat        OneDrive (the machine's name)
//   quipmark (Alex's conflicted copy 2026-12-08).dat   Dropbox, also "... (1))" and
//                                                      a trailing " (1)"
//   quipmark (conflicted copy 2026-12-08 101512).dat   Nextcloud, ownCloud (with the
//                                                      user's name before the date too)
//   quipmark_conflict-20261208-101512.dat              ownCloud before 2.5
//   quipmark.sync-conflict-20261208-101512-ABCDEFG.dat Syncthing (older ones without
//                                                      the device)
//   quipmark (1).dat                                   Google Drive, a second file of
//                                                      the same name
//
// Letters compare without regard to case, as Windows compares file names.
// The program's own files (the backups "quipmark.dat.bak" and
// "quipmark.dat.<n>.bak", the temporary "quipmark.dat.tmp") never match, nor
// does the data file itself.
bool IsConflictCopyName(const std::string& name, const std::string& dataName = "quipmark.dat");
