#pragma once
#include "entries/EntrySnapshot.h"
#include <cstddef>
#include <vector>

// The positions of a longest strictly increasing run of `values` (not
// necessarily adjacent ones), in order; the first such run where there are
// several.
std::vector<size_t> LongestIncreasing(const std::vector<size_t>& values);

// One order for the identities of three lists of entries, each without
// repeats: the list both sides started from, and each side's list now.
// Entries all three keep in the same order stay in it; between two of them,
// what only one side changed is that side's, and where both sides changed
// the stretch, the two stretches follow each other, the one whose
// identities compare first first, so that the order is the same whichever
// side is which. The result holds every identity of `ours` and `theirs`
// once, whether or not it stays; the caller drops those that go.
std::vector<EntryUid> MergeOrder(const std::vector<EntryUid>& base, const std::vector<EntryUid>& ours,
                                 const std::vector<EntryUid>& theirs);
