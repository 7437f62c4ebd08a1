#pragma once
#include "entries/EntrySnapshot.h"
#include <cstddef>

struct MergeOutcome {
    EntrySnapshot merged;
    size_t keptBoth = 0;   // conflicts where both texts were kept
};

// Three-way merge: base = what this program last read or wrote, ours = the
// tree in memory, theirs = the file now. Kept on both: kept. Added on
// either: added, in its place. Removed on one side and unchanged on the
// other: removed. Edited on one side: the edit. Changed differently on both
// sides, or removed on one and edited on the other: both texts are kept
// (nothing typed on either machine is lost). Groups and their children
// alike. Deterministic: two machines merging the same three inputs get the
// same result.
MergeOutcome MergeEntries(const EntrySnapshot& base, const EntrySnapshot& ours, const EntrySnapshot& theirs);
