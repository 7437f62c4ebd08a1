#pragma once
#include "entries/EntrySnapshot.h"
#include "entries/UidTable.h"
#include <cstddef>
#include <cstdint>

struct MergeOutcome {
    EntrySnapshot merged;
    EntryHistory history;
    size_t keptBoth = 0;   // entries both sides changed apart, kept with both texts
};

// Merges two versions of the entries, each with what it knows of its history
// (entries/EntryVersion.h), without the version both started from: the
// entries' versions and each side's history tell what either changed since.
// - An entry one side lacks was removed there when that side's history
//   holds the version the other has (or names the entry, for one without a
//   version); then it goes. Otherwise the other side added it or changed it
//   after that removal, and it stays.
// - A text replaces the other side's when its version holds the other's;
//   texts changed apart are all kept, each once: the one that sorts first
//   keeps the entry, each other follows it as an entry of its own, made
//   alike on every machine. Such an entry is still one of the entry's texts
//   until it is edited: a later text that saw it replaces it, a removal of
//   the entry that saw it takes it, and one that never saw it leaves the
//   entry, with that text; removed or edited on one side, it no longer
//   comes back from the other. The same text changed on both is one.
// - A place (group and order) likewise: the newer one holds; a group that
//   still has children stays, though removed on one side.
// - The same text added at the same place on both sides is one entry, and
//   stays one: a version of the entry folded away, edited since, is met
//   as a version of the one it was folded into.
// - A side without history (a file written by an earlier version, or a
//   backup of one copied back) tells its changes only against the file as
//   this program last read or wrote it (`lastKnown`: each entry's identity
//   and the hash of its texts, KnownFile's TextsHash): an entry that one
//   side lacks and the other holds as it was then was removed; a text that
//   one side holds as it was then gives way to the other's. Without that,
//   all of its entries stay, and a text that differs is kept beside.
// Deterministic: which side is which changes nothing, and every machine that
// merges the same two versions ends with the same entries in the same order.
using LastKnownTexts = UidTable<std::uint64_t>;
MergeOutcome MergeVersions(const VersionedEntries& ours, const VersionedEntries& theirs,
                           const LastKnownTexts* lastKnown = nullptr);
