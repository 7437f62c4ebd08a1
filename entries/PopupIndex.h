#pragma once
#include "entries/EntryTree.h"
#include "entries/FoldedTextSearch.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// What the popup narrowed by typing knows of the entries' texts between
// popups, so that a keystroke reads few texts: for each entry a small set of
// the folded units its full text holds, and in a long text of the pairs and
// threes of them too, each kept as one bit of a few (about one bit for every
// eight units of text). A word with a unit, pair or three whose bit is not
// set is not in the text, which is then not read at all; where all its bits
// are set the text is read, as the set cannot tell.
//
// It follows the tree's count of text changes: what changed since it last
// looked is forgotten at once (whatever asks is never told of an old text),
// and read anew in portions as the program finds time, each entry once. It
// follows the one tree it was made for, which is never given a copy of
// itself taken earlier (another tree's count starts elsewhere, and all is
// checked again).
class PopupIndex {
public:
    PopupIndex(const EntryTree& tree, const SearchFolding& folding);

    // The search the popups use; made when first asked for.
    const FoldedTextSearch& Search();
    const SearchFolding& Folding() const { return m_folding; }

    // Forgets what it knew of the texts that changed since it last looked;
    // costs what changed, or a look at every entry after more changes than
    // the tree keeps a list of.
    void Follow();
    // Reads the texts not known yet, entry after entry, until `units` of
    // them (the units of text, a few for each entry) are read; true when
    // every text is known. A long text is read on where the last portion
    // stopped.
    bool Index(size_t units);
    // The units the program reads in one portion, between messages.
    static constexpr size_t kPortion = size_t(1) << 18;

    struct Signature {
        // The tree's count when the text was read.
        std::uint64_t textChange = 0;
        // The bits, in one word where that holds them all.
        std::uint64_t word = 0;
        std::unique_ptr<std::uint64_t[]> words;
        // How many of a hash's high bits are not its bit's number.
        unsigned char shift = 58;
        // Pairs and threes of units are in the set, not only units.
        bool grams = false;
        // An 8-bit text that is searched as bytes (FoldedTextSearch's
        // CanSearchBytes).
        bool asBytes = false;

        const std::uint64_t* Bits() const { return words ? words.get() : &word; }
    };
    // What is known of the entry's text as it is now; none while it is not
    // known. The answer holds until Generation changes.
    const Signature* Find(EntryId id) const;
    // Changes whenever a signature goes.
    std::uint64_t Generation() const { return m_generation; }

    // A word's units, pairs and threes, folded, as the signatures hold them.
    struct Probe {
        std::vector<std::uint64_t> units;
        std::vector<std::uint64_t> grams;
    };
    static Probe ProbeOf(const std::wstring& folded);
    // False where the text cannot hold the word.
    static bool MayHold(const Signature& signature, const Probe& probe);

private:
    // An entry whose text is being read, portion by portion.
    struct Reading {
        EntryId id = kNoEntry;
        Signature signature;
        // Where the next portion starts; the last two units read.
        size_t at = 0;
        std::uint64_t first = 0, before = 0;
        size_t count = 0;
    };
    // False where the text gets no signature.
    bool Start(EntryId id, std::uint64_t textChange);
    // Reads about `units` more of m_reading's text; the units read.
    size_t Continue(size_t units);

    const EntryTree& m_tree;
    SearchFolding m_folding;
    std::unique_ptr<FoldedTextSearch> m_search;
    std::unordered_map<EntryId, Signature> m_signatures;
    // The tree's count of text changes when last looked at; the random start
    // of the tree's count never comes out as 0.
    std::uint64_t m_seen = 0;
    std::uint64_t m_generation = 0;
    // The entries to read, from m_next on.
    std::vector<EntryId> m_pending;
    size_t m_next = 0;
    std::unique_ptr<Reading> m_reading;
};
