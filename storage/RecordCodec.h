#pragma once
#include "entries/EntryVersion.h"
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The data file is a plain sequence of records: a tag byte ("K" a top-level
// entry, "e" a child of the nearest preceding top-level entry), the text's
// length as 4 bytes least significant first, then the text itself.
//
// Entries whose characters do not all fit the code page keep their 8-bit
// best form in those records, and after the last of them one "U" record
// each: the length of what follows, then the entry's ordinal (0 for the
// first entry the records above make, counting top-level entries and
// children alike) as 4 bytes least significant first and the entry's
// Unicode text as UTF-16LE. A reader that knows only "K" and "e" loads every
// entry in its 8-bit form before it stops at the first "U".
//
// Last, after the "U" records, one "I" record gives every entry its
// identity, which tells on another machine an entry renamed here from one
// removed and another added: the length of what follows (8 bytes for each
// entry the records above make), then each entry's identity in ordinal order
// as 8 bytes least significant first, none of them 0. A file whose every
// entry has the identity that loading derives for an entry of a file
// without the record (entries/EntryIdentity.h) leaves it out, so that a
// collection nobody changed is saved as every earlier version wrote it. A
// reader that knows only "K", "e" and "U" loads every entry, with its
// Unicode text, before it stops at the "I" (and calls the file corrupt).

// After the "I" record (or the "U" records where there is no "I"), one "V"
// record gives the entries' versions (entries/EntryVersion.h), only where
// the collection has any history: the machines' identities once, as a table
// of 8-byte numbers, the edits the collection has seen, the removals of
// entries without a version, then for each entry that has a version its
// ordinal (as the step from the previous one's) and its text's and place's
// versions, each machine named by its place in the table. Numbers of varying
// size are 7 bits a byte, least significant first, the high bit set on
// every byte but the last. A reader that knows only "K", "e", "U" and "I"
// loads every entry with its Unicode text and identity before it stops at
// the "V".
//
// Straight after the "V" record, one "P" record tells where entries were
// put (EntrySnapshot.h) where it is not after the entry before them in the
// file, and where each removed entry was: runs of neighbouring entries (by
// ordinal) and of removals (by place in the "V" record's list) put alike,
// each as the step to it, its length and where (0: first; up to the count
// of entries, after the entry of that ordinal plus one; beyond, after the
// removal of that place plus one past the count). A reader that knows only
// "K", "e", "U", "I" and "V" skips it as a later version's record.
//
// Records that a later version may add come after all these, each with a
// tag from "A" to "Z" that this version does not know; this version skips
// them, and its save leaves them out.

enum class RecordKind { TopLevel, Child };

const char kTopLevelTag = 'K';
const char kChildTag = 'e';
const char kUnicodeTag = 'U';
const char kIdentityTag = 'I';
const char kVersionTag = 'V';
const char kPlaceTag = 'P';
const size_t kRecordHeaderSize = 5;
const size_t kOrdinalSize = 4;
const size_t kIdentitySize = 8;

// Appends one record for `text` to `out`.
void AppendRecord(std::string& out, RecordKind kind, std::string_view text);
// Appends the header of a record whose text is `length` bytes long.
void AppendRecordHeader(std::string& out, RecordKind kind, size_t length);
// Appends the record giving the entry at `ordinal` the Unicode text
// `unicode`, which must not be empty.
void AppendUnicodeRecord(std::string& out, uint32_t ordinal, std::wstring_view unicode);

// Appends the header of the "I" record for `count` entries, and one
// entry's identity in it. False when the count is beyond what the record's
// length can say.
bool AppendIdentityRecordHeader(std::string& out, size_t count);
void AppendIdentity(std::string& out, std::uint64_t identity);

// The versions of the entry at `ordinal`.
struct OrdinalVersions {
    size_t ordinal = 0;
    Version text;
    Version place;
};
// Appends the "V" record of `history` and the versions of the entries that
// have any (in ordinal order); false, and nothing appended, when the
// record would be beyond what its length can say.
bool AppendVersionRecord(std::string& out, const EntryHistory& history, const std::vector<OrdinalVersions>& entries);

// Where an entry (EntrySnapshot.h) or a removed one (EntryVersion.h) was
// put: first for 0, else after the entry at ordinal `after` - 1, or past the
// entries' count, after the removed one at that place in the "V" record's
// list of removals.
struct OrdinalPlace {
    size_t ordinal = 0;  // the entry's ordinal, or the removal's place in its list
    size_t after = 0;
    size_t count = 1;    // of neighbours from `ordinal` on, put alike
};
// Appends the "P" record of the places of the entries that have one (in
// ordinal order), then of the removals (in their order); false, and
// nothing appended, when the record would be beyond what its length can
// say.
bool AppendPlaceRecord(std::string& out, const std::vector<OrdinalPlace>& entries,
                       const std::vector<OrdinalPlace>& removals);
// Reports each entry the bytes hold, in order. A record of length 0 creates
// no entry. Returns false when the data is corrupt (an unknown tag, "U"
// included, a child before any non-empty top-level entry, or a record
// running past the end); the entries before the fault have been reported,
// nothing after it.
bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry);

// The same, and reports each "U" record with the ordinal of the entry it
// names, which `onEntry` has reported before. Also corrupt: a "U" record
// too short for its ordinal, with an odd number of text bytes or none,
// naming no reported entry or one named before, and an entry's record
// after a "U" record.
bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry,
                   const std::function<void(size_t ordinal, std::wstring unicode)>& onUnicode);

// The same, and reports the "I" record's identities, in ordinal order. Also
// corrupt: an "I" record whose length is not 8 bytes for each entry
// reported, a second one, and any record after it.
bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry,
                   const std::function<void(size_t ordinal, std::wstring unicode)>& onUnicode,
                   const std::function<void(std::vector<std::uint64_t> identities)>& onIdentities);

// The same, and reports the "V" record's history and versions (ordinals of
// entries reported). Also corrupt: a "V" record that does not read whole
// (a machine's place beyond the table, a count of 0, a machine twice in a
// version, ordinals not rising or beyond the entries), a second one, one
// before the "I", and a record after the "V" that is not a later version's
// (a tag from "A" to "Z" that this version does not know) or runs past the
// end. Such later records are skipped.
bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry,
                   const std::function<void(size_t ordinal, std::wstring unicode)>& onUnicode,
                   const std::function<void(std::vector<std::uint64_t> identities)>& onIdentities,
                   const std::function<void(EntryHistory history, std::vector<OrdinalVersions> versions)>& onVersions);

// The same, and reports the "P" record's places (ordinals of entries
// reported). Also corrupt: a "P" record that does not read whole (ordinals
// not rising or beyond the entries, a place beyond them), a second one, and
// one not straight after the "V".
bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry,
                   const std::function<void(size_t ordinal, std::wstring unicode)>& onUnicode,
                   const std::function<void(std::vector<std::uint64_t> identities)>& onIdentities,
                   const std::function<void(EntryHistory history, std::vector<OrdinalVersions> versions)>& onVersions,
                   const std::function<void(std::vector<OrdinalPlace> entries, std::vector<OrdinalPlace> removals)>& onPlaces);
// Reads the records of data that comes in pieces, in order, as they are read
// from a file: each is reported as the DecodeEntries above with all four
// report it (an empty one: a reader that does not know the records it
// reports), as soon as its last byte has come. A record within one piece is
// reported from the piece itself, one across pieces from a copy of its own.
class RecordReader {
public:
    using EntrySink = std::function<void(RecordKind, std::string_view)>;
    using UnicodeSink = std::function<void(size_t ordinal, std::wstring unicode)>;
    using IdentitySink = std::function<void(std::vector<std::uint64_t> identities)>;
    using VersionSink = std::function<void(EntryHistory history, std::vector<OrdinalVersions> versions)>;
    using PlaceSink = std::function<void(std::vector<OrdinalPlace> entries, std::vector<OrdinalPlace> removals)>;

    // `total`: the size of the whole data, so that a record longer than
    // what is left of it is corrupt at once.
    RecordReader(std::uint64_t total, EntrySink onEntry, UnicodeSink onUnicode, IdentitySink onIdentities,
                 VersionSink onVersions, PlaceSink onPlaces = nullptr);
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // The next piece; false once the data is corrupt (more than `total`
    // bytes included), and nothing more is reported then.
    bool Add(std::string_view piece);
    // Whether the data was intact: not corrupt, and all `total` bytes came,
    // each record whole.
    bool Finish() const;

private:
    enum class Body { Skipped, TopLevel, Child, Unicode, Identities, Versions, Places };
    static const size_t kKeptRoom = 1 << 20;
    bool Begin();
    void End(std::string_view body);
    bool Fail();

    EntrySink m_onEntry;
    UnicodeSink m_onUnicode;
    IdentitySink m_onIdentities;
    VersionSink m_onVersions;
    PlaceSink m_onPlaces;
    // The bytes of the whole data still to come, and of the record's body.
    std::uint64_t m_left;
    std::uint64_t m_bodyLeft = 0;
    char m_header[kRecordHeaderSize] = {};
    size_t m_headerSize = 0;
    Body m_kind = Body::Skipped;
    // The body of a record across pieces.
    std::string m_body;
    // One flag per entry reported: whether a "U" record has named it.
    std::vector<bool> m_named;
    bool m_ok = true;
    bool m_haveGroup = false;
    bool m_inUnicodeRecords = false;
    bool m_afterIdentities = false;
    bool m_afterVersions = false;
    bool m_afterPlaces = false;
    size_t m_removals = 0;
    bool m_inLaterRecords = false;
};
