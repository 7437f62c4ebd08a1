#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Which edits a version of an entry (or a whole collection) holds, told
// apart without trusting any clock: for each machine that edited, the
// count of its last edit in it. A machine counts its edits itself, so one
// version descends from another exactly when it holds every edit the other
// holds; two versions of which neither holds the other were changed apart.
using MachineId = std::uint64_t;

struct VersionDot {
    MachineId machine = 0;
    std::uint64_t count = 0;
};
inline bool operator==(const VersionDot& a, const VersionDot& b)
{
    return a.machine == b.machine && a.count == b.count;
}

// Sorted by machine, each machine once, no count 0. Empty: no edit known,
// as for an entry of a file written without versions.
using Version = std::vector<VersionDot>;

// Whether `later` holds every edit of `earlier`.
bool Holds(const Version& later, const Version& earlier);
// Every edit of both.
Version Joined(const Version& a, const Version& b);
void Join(Version& into, const Version& other);
// `machine`'s count in `version`, 0 for none.
std::uint64_t CountOf(const Version& version, MachineId machine);
// Sets `machine`'s count.
void SetCount(Version& version, MachineId machine, std::uint64_t count);
// A total order of versions, alike on every machine: to choose between two
// changed apart. The highest counts decide, so that two versions joined order
// as the one of them chosen: a third changed apart meets the same choice
// whichever two a merge met first.
bool VersionBefore(const Version& a, const Version& b);

// An entry removed, and the version of it removed (its text's and place's
// joined): a version of it that this holds was removed.
struct Removal {
    std::uint64_t uid = 0;
    Version version;
    // Where the entry was: after the sibling of this identity (0: first),
    // when `placed`; what was put after it still follows it from there.
    std::uint64_t after = 0;
    bool placed = false;
};
inline bool operator==(const Removal& a, const Removal& b)
{
    return a.uid == b.uid && a.version == b.version;
}

// What a collection as a whole knows beyond its entries, for a merge
// without the version both started from.
struct EntryHistory {
    // Every edit whose outcome the entries reflect: an entry whose version
    // this holds and which the entries lack was removed.
    Version seen;
    // The entries removed: in the order of removal on the machine that
    // removed them, and after a merge in an order that depends on them
    // alone (storage/EntryMerge.cpp). `seen` tells the removal of a
    // version of an entry too, but not of a copy from before the history
    // began (a file written without versions, whose entries have none), nor
    // of one whose edits two machines' removals saw between them. At most
    // kMostRemovals are kept, the first ones going: past it, `seen` alone
    // tells.
    std::vector<Removal> removed;
    // False for a file written without versions (by an earlier version):
    // its entries' changes cannot be told from the versions they came from.
    bool tracked = true;

    static constexpr size_t kMostRemovals = 10000;
};
bool operator==(const EntryHistory& a, const EntryHistory& b);
