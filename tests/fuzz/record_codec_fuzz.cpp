// Feeds arbitrary bytes to the data-file decoders: they must never read past
// the data, what the entries' reader reports must encode back to a
// prefix-consistent file, and what loads into a tree, Unicode texts
// included, must save and load again as itself.
#include "storage/EntryFile.h"
#include "entries/EntrySnapshot.h"
#include "storage/RecordCodec.h"
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Entries = std::vector<std::tuple<EntryKind, std::string, std::wstring>>;

Entries EntriesOf(const EntryTree& tree)
{
    Entries entries;
    for (EntryId id : tree.InPreOrder())
        if (tree.IsUserEntry(id))
            entries.emplace_back(tree.Kind(id), tree.Text(id), tree.UnicodeText(id));
    return entries;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool SameUids(const EntrySnapshot& one, const EntrySnapshot& other)
{
    if (one.size() != other.size())
        return false;
    for (size_t i = 0; i < one.size(); ++i) {
        if (one[i].uid != other[i].uid || one[i].children.size() != other[i].children.size())
            return false;
        for (size_t k = 0; k < one[i].children.size(); ++k)
            if (one[i].children[k].uid != other[i].children[k].uid)
                return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string reencoded;
    size_t total = 0;
    Entries plain;
    const bool intact = DecodeEntries(bytes, [&](RecordKind kind, std::string_view text) {
        Check(!text.empty() && text.size() <= bytes.size());
        total += text.size();
        AppendRecord(reencoded, kind, text);
        plain.emplace_back(kind == RecordKind::TopLevel ? EntryKind::TopLevel : EntryKind::Child,
                           std::string(text), std::wstring());
    });
    Check(total <= bytes.size());
    // The entries decode again to themselves, intact.
    std::string again;
    Check(DecodeEntries(reencoded, [&](RecordKind kind, std::string_view text) { AppendRecord(again, kind, text); }));
    Check(again == reencoded);
    // An intact file without empty records is its own encoding.
    Check(!intact || reencoded.size() <= bytes.size());

    // Loading into a tree makes the same entries the entries' reader
    // reports, as both stop at or before the first Unicode record.
    EntryTree tree;
    const bool treeIntact = DecodeEntries(bytes, tree);
    const Entries loaded = EntriesOf(tree);
    Check(loaded.size() == plain.size());
    for (size_t i = 0; i < loaded.size(); ++i)
        Check(std::get<0>(loaded[i]) == std::get<0>(plain[i]) && std::get<1>(loaded[i]) == std::get<1>(plain[i]));
    if (intact)
        Check(treeIntact);
    // Read in pieces as from the disk, cut where the data says, it loads the same.
    const size_t cut = size > 0 ? data[0] % (size + 1) : 0;
    EntryFileReader reader(size);
    reader.Add(std::string_view(bytes).substr(0, cut));
    for (size_t at = cut; at < size; at += 7)
        reader.Add(std::string_view(bytes).substr(at, 7));
    EntryTree inPieces;
    Check(reader.Finish(inPieces) == treeIntact && EntriesOf(inPieces) == loaded);
    if (!treeIntact)
        return 0;
    // What loaded whole saves and loads again as itself, no longer than it
    // was, and a reader of the entries alone still finds every entry.
    const std::string saved = EncodeEntries(tree);
    Check(saved.size() <= bytes.size());
    EntryTree reloaded;
    Check(DecodeEntries(saved, reloaded));
    Check(EntriesOf(reloaded) == loaded);
    // The identities come back, and reading the bytes alone gives the same.
    const EntrySnapshot held = TakeSnapshot(tree);
    EntrySnapshot read, readAgain;
    Check(DecodeSnapshot(bytes, read) && DecodeSnapshot(saved, readAgain));
    Check(SameUids(TakeSnapshot(reloaded), held) && SameUids(read, held) && SameUids(readAgain, held));
    size_t plainCount = 0;
    DecodeEntries(saved, [&](RecordKind, std::string_view) { ++plainCount; });
    Check(plainCount == loaded.size());
    return 0;
}
