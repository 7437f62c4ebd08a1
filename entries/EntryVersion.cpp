#include "entries/EntryVersion.h"
#include <algorithm>
#include <functional>
#include <utility>

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
    // Each version's edits, the highest counts first.
    auto latest = [](const Version& v) {
        std::vector<std::pair<std::uint64_t, MachineId>> dots;
        dots.reserve(v.size());
        for (const VersionDot& dot : v)
            dots.push_back({dot.count, dot.machine});
        std::sort(dots.begin(), dots.end(), std::greater<>());
        return dots;
    };
    return latest(a) < latest(b);
}

bool operator==(const EntryHistory& a, const EntryHistory& b)
{
    return a.seen == b.seen && a.removed == b.removed && a.tracked == b.tracked;
}
