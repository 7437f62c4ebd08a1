#pragma once
#include <cstddef>
#include "entries/EntryVersion.h"
#include <cstdint>
#include <string>
#include <vector>

class EntryTree;

// A stable identity of a user's entry, the same on every machine: it tells
// an entry renamed elsewhere from one removed there and another added.
using EntryUid = std::uint64_t;

struct SnapshotEntry {
    EntryUid uid = 0;
    std::string text;        // the 8-bit text, as in the tree
    std::wstring unicode;    // the Unicode text where the entry keeps one, else empty
    std::vector<SnapshotEntry> children;  // a top-level entry's children; empty for a child
    Version textVersion;     // the edits its text holds
    Version placeVersion;    // the edits its place (group and order) holds
    // Where it was put: after the entry of this identity among its siblings
    // (0: first). An entry without one (never put anywhere since the entries
    // came from a file without places) follows the nearest entry before it
    // that has none either.
    EntryUid after = 0;
    bool anchored = false;
};

// The user's entries (top-level ones in tree order, each with its children);
// never the clipboard branch or history.
using EntrySnapshot = std::vector<SnapshotEntry>;

EntrySnapshot TakeSnapshot(const EntryTree& tree);

// How many entries the snapshot holds, top-level entries and children alike.
size_t CountEntries(const EntrySnapshot& snapshot);
// The entries with what the collection knows of their history.
struct VersionedEntries {
    EntrySnapshot entries;
    EntryHistory history;
};
VersionedEntries TakeVersioned(const EntryTree& tree);
