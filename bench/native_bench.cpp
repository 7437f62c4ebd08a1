// Benchmarks of the window-free core, built natively and run by `make bench`
// before the ones under Wine. Each row is a ratio to a baseline measured in
// the same run, beside its target.
#include "entries/EntryFile.h"
#include "entries/EntryMerge.h"
#include "entries/EntryTree.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The seconds `count` appends to an empty entry tree take, as the mean over
// as many trees as make 20,000 appends in all, so that both sizes touch as
// much memory and a short run is not lost in the clock's noise. The texts
// are made beforehand and the trees freed afterwards, both untimed: only
// the appends, with every growth of the trees, count.
double AppendSeconds(int count)
{
    const int tables = 20000 / count;
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(count * tables));
    for (int i = 0; i < count * tables; ++i)
        texts.push_back("entry " + std::to_string(i % count) + " of a loaded collection");
    std::vector<EntryTree> filled(static_cast<size_t>(tables));
    const auto start = std::chrono::steady_clock::now();
    for (int t = 0; t < tables; ++t)
        for (int i = 0; i < count; ++i)
            filled[static_cast<size_t>(t)].Append(filled[static_cast<size_t>(t)].Root(),
                                                  std::move(texts[static_cast<size_t>(t * count + i)]));
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - start).count() / tables;
}

// 20,000 entries: 200 groups of 99.
EntrySnapshot Collection(std::mt19937_64& random)
{
    EntrySnapshot entries(200);
    for (size_t g = 0; g < entries.size(); ++g) {
        entries[g].uid = random() | 1;
        entries[g].text = "group " + std::to_string(g);
        entries[g].children.resize(99);
        for (size_t k = 0; k < entries[g].children.size(); ++k) {
            entries[g].children[k].uid = random() | 1;
            entries[g].children[k].text = "entry " + std::to_string(k) + " of group " + std::to_string(g);
        }
    }
    return entries;
}

// `changes` edits of one machine spread over the entries: renames, new
// entries and removals in turn.
EntrySnapshot Edited(EntrySnapshot entries, std::mt19937_64& random, const std::string& side, int changes)
{
    for (int i = 0; i < changes; ++i) {
        std::vector<SnapshotEntry>& group = entries[random() % entries.size()].children;
        const size_t at = random() % group.size();
        if (i % 3 == 0)
            group[at].text = side + " renamed " + std::to_string(i);
        else if (i % 3 == 1)
            group.insert(group.begin() + static_cast<std::ptrdiff_t>(at), {random() | 1, side + " added " + std::to_string(i), L"", {}});
        else
            group.erase(group.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return entries;
}

std::string FileOf(const EntrySnapshot& entries)
{
    EntryTree tree;
    tree.ReplaceUserEntries(entries);
    return EncodeEntries(tree);
}

// The processor time the merge of two files of 20,000 entries with 100
// changes on each side takes, reading both included, and reading them
// alone. Processor time, as the machine this runs on is shared: the time
// on the clock would count what other programs do meanwhile.
std::pair<double, double> MergeSeconds(std::mt19937_64& random)
{
    const EntrySnapshot base = Collection(random);
    const std::string ours = FileOf(Edited(base, random, "ours", 100));
    const std::string theirs = FileOf(Edited(base, random, "theirs", 100));
    EntrySnapshot oursRead, theirsRead;
    const std::clock_t start = std::clock();
    DecodeSnapshot(ours, oursRead);
    DecodeSnapshot(theirs, theirsRead);
    const std::clock_t read = std::clock();
    const MergeOutcome outcome = MergeEntries(base, oursRead, theirsRead);
    const std::clock_t end = std::clock();
    if (outcome.merged.size() != base.size())
        std::printf("the merge lost a group\n");
    return {static_cast<double>(end - start) / CLOCKS_PER_SEC, static_cast<double>(read - start) / CLOCKS_PER_SEC};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void ReportRow(const std::string& what, double seconds, double baseline, const std::string& target)
{
    std::printf("| %-52s | %10.2f ms | %10.2f ms | %7.2f | %-10s |\n", what.c_str(), seconds * 1000.0,
                baseline * 1000.0, baseline > 0 ? seconds / baseline : 0.0, target.c_str());
    std::fflush(stdout);
}

}  // namespace

int main()
{
#if defined(__GLIBC__)
    // Freed memory stays in the process, so every round runs on memory it
    // already has. Otherwise the large arrays of 20,000 entries come fresh
    // from the system each round, and the first touch of each 4 KiB page
    // (about 3 microseconds on a virtual machine, the cost of a hundred
    // appends) would weigh on them alone: 2,000 entries fit in memory the
    // process keeps anyway.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
    std::printf("| %-52s | %13s | %13s | %7s | %-10s |\n", "measurement (native)", "ours", "baseline", "ratio",
                "target");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(54, '-').c_str(), std::string(15, '-').c_str(),
                std::string(15, '-').c_str(), std::string(9, '-').c_str(), std::string(12, '-').c_str());
    // Loading, the undo of a large group and the registry import append
    // entry after entry: 20,000 must cost about ten times 2,000, not a
    // hundred. Measured in turns, so a slow moment weighs on both alike.
    std::vector<double> small, large;
    for (int round = 0; round < 9; ++round) {
        small.push_back(AppendSeconds(2000));
        large.push_back(AppendSeconds(20000));
    }
    ReportRow("20,000 appends to the entries vs 2,000", Median(large), Median(small), "<= 15");
    // A merge of what two machines changed in a large collection, against
    // reading the two files alone; the target is the time itself.
    std::mt19937_64 random(20261208);
    std::vector<double> merges, reads;
    for (int round = 0; round < 15; ++round) {
        const auto [merge, read] = MergeSeconds(random);
        merges.push_back(merge);
        reads.push_back(read);
    }
    ReportRow("merge 2 files of 20,000 entries, 100 changes each", Median(merges), Median(reads), "< 50 ms");
    return 0;
}
