#include "entries/EntryVersion.h"
#include <algorithm>

bool Holds(const Version& later, const Version& earlier)
{
    size_t l = 0;
    for (const VersionDot& dot : earlier) {
        while (l < later.size() && later[l].machine < dot.machine)
            ++l;
        if (l == later.size() || later[l].machine != dot.machine || later[l].count < dot.count)
            return false;
    }
    return true;
}

Version Joined(const Version& a, const Version& b)
{
    Version joined;
    joined.reserve(std::max(a.size(), b.size()));
    size_t i = 0, k = 0;
    while (i < a.size() || k < b.size()) {
        if (k == b.size() || (i < a.size() && a[i].machine < b[k].machine)) {
            joined.push_back(a[i++]);
        } else if (i == a.size() || b[k].machine < a[i].machine) {
            joined.push_back(b[k++]);
        } else {
            joined.push_back({a[i].machine, std::max(a[i].count, b[k].count)});
            ++i;
            ++k;
        }
    }
    return joined;
}

void Join(Version& into, const Version& other)
{
    if (!Holds(into, other))
        into = Joined(into, other);
}

std::uint64_t CountOf(const Version& version, MachineId machine)
{
    const auto at = std::lower_bound(version.begin(), version.end(), machine,
                                     [](const VersionDot& dot, MachineId m) { return dot.machine < m; });
    return at != version.end() && at->machine == machine ? at->count : 0;
}

void SetCount(Version& version, MachineId machine, std::uint64_t count)
{
    const auto at = std::lower_bound(version.begin(), version.end(), machine,
                                     [](const VersionDot& dot, MachineId m) { return dot.machine < m; });
    if (at != version.end() && at->machine == machine)
        at->count = count;
    else
        version.insert(at, {machine, count});
}

bool VersionBefore(const Version& a, const Version& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](const VersionDot& x, const VersionDot& y) {
        return x.machine != y.machine ? x.machine < y.machine : x.count < y.count;
    });
}

bool operator==(const EntryHistory& a, const EntryHistory& b)
{
    return a.seen == b.seen && a.removed == b.removed && a.tracked == b.tracked;
}
