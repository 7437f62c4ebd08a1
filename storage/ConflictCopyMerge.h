#pragma once
#include "storage/EntryMerge.h"

// The entries that two snapshots hold alike: an entry of `first` whose
// identity `second` holds at the same level (top-level, or a child of the
// same group) with the same texts; in `first`'s order.
EntrySnapshot CommonEntries(const EntrySnapshot& first, const EntrySnapshot& second);

// Folds a sync service's conflict copy into the entries in memory.
//
// A copy is one machine's version from before it saw the other's changes,
// so it tells nothing about what came after: an entry it lacks may have been
// added here since, a text it holds may be the old one of an entry renamed
// since. Its differences from what this program last read or wrote
// (`lastRead`) are therefore no removals or edits; the common version of the
// merge is only what the copy and `lastRead` hold alike. So every entry of
// the copy and of the entries in memory stays, an entry changed on both
// sides keeps both texts, and what was removed or renamed here since
// `lastRead` from what the copy holds alike stays removed or renamed.
MergeOutcome MergeConflictCopy(const EntrySnapshot& lastRead, const EntrySnapshot& ours,
                               const EntrySnapshot& copy);
