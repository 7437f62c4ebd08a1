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
    // Each version's edits compared the highest counts first: the highest
    // edit of each below the one compared last, in turn.
    auto below = [](const Version& v, const VersionDot* last) {
        const VersionDot* next = nullptr;
        for (const VersionDot& dot : v) {
            const bool lower = last == nullptr || dot.count < last->count ||
                               (dot.count == last->count && dot.machine < last->machine);
            if (lower && (next == nullptr || dot.count > next->count || (dot.count == next->count && dot.machine > next->machine)))
                next = &dot;
        }
        return next;
    };
    for (const VersionDot *x = below(a, nullptr), *y = below(b, nullptr);; x = below(a, x), y = below(b, y)) {
        if (x == nullptr || y == nullptr)
            return y != nullptr;
        if (x->count != y->count || x->machine != y->machine)
            return x->count != y->count ? x->count < y->count : x->machine < y->machine;
    }
}

bool operator==(const EntryHistory& a, const EntryHistory& b)
{
    return a.seen == b.seen && a.removed == b.removed && a.tracked == b.tracked;
}
