// The data file: entries' records, then the Unicode texts of entries whose
// characters do not all fit the code page, so that files without those stay
// as they were and a reader that knows only the entries' records still loads
// every entry in its 8-bit form.
#include "EntryTreeTestSupport.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

std::string LittleEndian32(uint32_t value)
{
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

std::string Record(char tag, const std::string& payload)
{
    return tag + LittleEndian32(static_cast<uint32_t>(payload.size())) + payload;
}

// A "U" record for the entry at `ordinal` with the given UTF-16 units.
std::string U(uint32_t ordinal, const std::u16string& units)
{
    std::string payload = LittleEndian32(ordinal);
    for (char16_t unit : units)
        payload += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return Record('U', payload);
}

// One user entry as loading or saving sees it.
struct Entry {
    bool child;
    std::string text;
    std::wstring unicode;
    bool operator==(const Entry& other) const
    {
        return child == other.child && text == other.text && unicode == other.unicode;
    }
};

void PrintTo(const Entry& entry, std::ostream* out)
{
    *out << (entry.child ? "child " : "top ") << testing::PrintToString(entry.text);
    if (!entry.unicode.empty())
        *out << " unicode of " << entry.unicode.size() << " units";
}

Entry Top(std::string text, std::wstring unicode = {}) { return {false, std::move(text), std::move(unicode)}; }
Entry Child(std::string text, std::wstring unicode = {}) { return {true, std::move(text), std::move(unicode)}; }

std::vector<Entry> EntriesOf(const EntryTree& tree)
{
    std::vector<Entry> entries;
    for (EntryId id : tree.InPreOrder())
        if (tree.IsUserEntry(id))
            entries.push_back({tree.Kind(id) == EntryKind::Child, tree.Text(id), tree.UnicodeText(id)});
    return entries;
}

// The bytes saved for a tree holding `entries` as the window side makes them.
std::string Saved(const std::vector<Entry>& entries)
{
    EntryTree tree;
    EntryId group = kNoEntry;
    for (const Entry& entry : entries) {
        const EntryId parent = entry.child ? group : tree.Root();
        const EntryId last = tree.Children(parent).empty() ? kNoEntry : tree.Children(parent).back();
        const EntryId made = tree.Insert(parent, last, entry.text, nullptr, entry.unicode);
        group = entry.child ? group : made;
    }
    return WithoutIdentities(EncodeEntries(tree));
}

// Whether the data is intact, and the entries loaded.
using Reading = std::pair<bool, std::vector<Entry>>;

Reading Load(const std::string& bytes)
{
    EntryTree tree;
    const bool intact = DecodeEntries(bytes, tree);
    EXPECT_FALSE(tree.IsModified()) << "loading is no change";
    return {intact, EntriesOf(tree)};
}

// What a reader that knows only the entries' records loads.
Reading LoadAsEntriesOnly(const std::string& bytes)
{
    Reading reading;
    reading.first = DecodeEntries(bytes, [&](RecordKind kind, std::string_view text) {
        reading.second.push_back({kind == RecordKind::Child, std::string(text), {}});
    });
    return reading;
}

std::vector<Entry> EightBitForms(std::vector<Entry> entries)
{
    for (Entry& entry : entries)
        entry.unicode.clear();
    return entries;
}

// Written out by hand, not by the codec, so that a mistake in the codec
// cannot hide in the expectations.
const std::string kWorkedExample =
    "\x4B\x02\x00\x00\x00\x48\x69"
    "\x4B\x03\x00\x00\x00\x53\x69\x67"
    "\x65\x05\x00\x00\x00\x59\x6F\x75\x72\x73"
    "\x65\x09\x00\x00\x00\x42\x65\x73\x74\x2C\x0D\x0A\x4D\x65"s;

// The README's example with Unicode texts: a plain entry, one whose Chinese
// does not fit the code page and a child holding a character beyond the
// first plane, which UTF-16 writes as a surrogate pair.
const std::vector<Entry> kUnicodeExample = {Top("Hi"), Top("??", L"\u4F60\u597D"), Child("?", L"\U0001F600")};
const std::string kUnicodeExampleFile =
    "\x4B\x02\x00\x00\x00\x48\x69"
    "\x4B\x02\x00\x00\x00\x3F\x3F"
    "\x65\x01\x00\x00\x00\x3F"
    "\x55\x08\x00\x00\x00\x01\x00\x00\x00\x60\x4F\x7D\x59"
    "\x55\x08\x00\x00\x00\x02\x00\x00\x00\x3D\xD8\x00\xDE"s;

}  // namespace

// Loading it in order is a case of the next test.
TEST(EntryFile, RecordsAreWrittenAsInTheWorkedExampleAndAGroupLoadsAsAGroup)
{
    EXPECT_EQ(K("Hi") + K("Sig") + E("Yours") + E("Best,\r\nMe"), kWorkedExample);
    EXPECT_EQ(K(std::string(300, 'x')).substr(0, 5), "K\x2C\x01\x00\x00"s);
    const EntryTree tree = Loaded(kWorkedExample);
    EXPECT_EQ(tree.Image(IdOf(tree, "Hi")), EntryImage::Entry);
    EXPECT_EQ(tree.Image(IdOf(tree, "Sig")), EntryImage::Group);
    EXPECT_EQ(tree.Count(), 6u);
}

TEST(EntryFile, FilesWithoutUnicodeRecordsLoadAsBeforeAndSaveByteForByte)
{
    std::string everyByte;
    for (int value = 1; value < 256; ++value)
        everyByte += static_cast<char>(value);
    struct Case {
        std::string bytes;
        std::vector<Entry> entries;
        bool intact;
        std::string what;
    };
    std::vector<Case> cases = {
        {"", {}, true, "no entries"},
        {kWorkedExample, {Top("Hi"), Top("Sig"), Child("Yours"), Child("Best,\r\nMe")}, true, "the worked example"},
        {K(everyByte) + E(everyByte + "\r\n" + everyByte), {Top(everyByte), Child(everyByte + "\r\n" + everyByte)}, true, "every byte value"},
        {K(std::string(300, 'x')), {Top(std::string(300, 'x'))}, true, "a length beyond one byte"},
        {K("kept") + K("truncated").substr(0, 8), {Top("kept")}, false, "a text shorter than its length"},
        {E("orphan") + K("lost"), {}, false, "a child before any top-level entry"},
        {K("") + E("orphan"), {}, false, "a child of an empty top-level record"},
        {K("kept") + "U\x01\x00"s, {Top("kept")}, false, "a Unicode record's header cut short"},
    };
    for (char tag : {'k', 'E', 'X', '\0'})
        cases.push_back({K("good") + E("child") + Record(tag, "x") + K("lost"), {Top("good"), Child("child")}, false, "tag " + std::to_string(tag)});
    for (size_t cut = 1; cut < kRecordHeaderSize; ++cut)
        cases.push_back({K("kept") + K("x").substr(0, cut), {Top("kept")}, false, "a header cut to " + std::to_string(cut)});
    for (const std::string& length : {"\xFF\xFF\xFF\xFF"s, "\xFF\xFF\xFF\x7F"s, "\x06\x00\x00\x00"s})
        cases.push_back({K("kept") + "K" + length + "short", {Top("kept")}, false, "a record running past the end"});

    for (const Case& c : cases) {
        EXPECT_EQ(Load(c.bytes), Reading(c.intact, c.entries)) << c.what;
        EXPECT_EQ(LoadAsEntriesOnly(c.bytes), Reading(c.intact, c.entries)) << c.what;
        if (!c.intact)
            continue;
        EntryTree tree;
        Copy(tree, "\x80 copied", L"\u20AC copied \u0416");
        ASSERT_TRUE(DecodeEntries(c.bytes, tree)) << c.what;
        EXPECT_EQ(EncodeEntries(tree), c.bytes) << c.what << ": the history is never saved";
    }
}

TEST(EntryFile, LargeCollectionsAndEditedTreesSaveInTreeOrder)
{
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += (i % 4 == 0 ? K : E)("entry " + std::to_string(i));
    for (const std::string& bytes : {many, K(std::string(10 * 1024 * 1024, 'h') + "end")}) {
        EntryTree tree;
        ASSERT_TRUE(DecodeEntries(bytes, tree));
        EXPECT_EQ(EncodeEntries(tree), bytes);
    }

    EntryTree tree;
    EntryChange change;
    EntryId group = kNoEntry, added = kNoEntry;
    tree.Add("older", kNoEntry, change, added);
    tree.Add("group", kNoEntry, change, group);
    tree.Add("child", group, change, added);
    EXPECT_EQ(WithoutIdentities(EncodeEntries(tree)), K("group") + E("child") + K("older"));
}

TEST(EntryFile, UnicodeEntriesComeBackInTheirPlacesAfterEveryEntrysRecord)
{
    EXPECT_EQ(Saved(kUnicodeExample), kUnicodeExampleFile);
    const std::vector<Entry> wider = {
        Top("Hi"),
        Top("Smile ?", L"Smile \U0001F600"),
        Top("Greek"),
        Child("????", L"\u039A\u03B1\u03BB\u03AE"),
        Child("plain"),
        Child("??????", L"\u041F\u0440\u0438\u0432\u0435\u0442"),
        Top("??\r\n?", L"\u6F22\u5B57\r\n\U00020000"),
        Top("?", L"\xD800"),  // an unpaired surrogate, which a Windows text may hold
    };
    for (const std::vector<Entry>& entries : {kUnicodeExample, wider}) {
        const std::string bytes = Saved(entries);
        std::string records;
        for (const Entry& entry : entries)
            records += (entry.child ? E : K)(entry.text);
        EXPECT_EQ(bytes.substr(0, records.size()), records);
        EXPECT_EQ(Load(bytes), Reading(true, entries));
        EXPECT_EQ(LoadAsEntriesOnly(bytes), Reading(false, EightBitForms(entries)));
    }
}

TEST(EntryFile, OrdinalsCountOnlyTheEntriesLoadingMakes)
{
    const std::string bytes = Saved({Top(""), Top("?", L"\u0416")});
    EXPECT_EQ(bytes, K("") + K("?") + U(0, u"\u0416"));
    EXPECT_EQ(Load(bytes), Reading(true, {Top("?", L"\u0416")}));
    EXPECT_EQ(Load(K("group") + E("a") + K("") + E("b") + E("") + U(2, u"\u0416")),
              Reading(true, {Top("group"), Child("a"), Child("b", L"\u0416")}));
    EXPECT_EQ(Load(K("A") + K("") + U(1, u"\u03B1")), Reading(false, {Top("A")}));
}

TEST(EntryFile, AMalformedUnicodeRecordIsCorruptFromThere)
{
    // Every case goes on with a sound record for the third entry, which
    // must then stay unread.
    const std::string start = K("A") + K("B") + E("c") + U(0, u"\u03B1");
    const std::string soundAfter = U(2, u"\u03B3");
    const std::vector<Entry> before = {Top("A", L"\u03B1"), Top("B"), Child("c")};
    struct Case {
        std::string fault;
        const char* what;
        bool endsTheData = false;
    };
    const Case cases[] = {
        {Record('U', "\x01\x00\x00"s), "a payload shorter than an ordinal"},
        {Record('U', LittleEndian32(1)), "no text"},
        {Record('U', LittleEndian32(1) + "\x16\x04\x17"s), "an odd number of text bytes"},
        {U(3, u"\u0416"), "the ordinal of no entry"},
        {U(0xFFFFFFFF, u"\u0416"), "the largest ordinal"},
        {U(0, u"\u0416"), "a second text for the same entry"},
        {K("late"), "a top-level entry after a Unicode record"},
        {E("late"), "a child after a Unicode record"},
        {"U\x0A\x00\x00\x00\x01\x00\x00\x00\x16\x04"s, "a record running past the end", true},
        {"U\x06\x00"s, "a header cut short", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Load(start + c.fault + (c.endsTheData ? "" : soundAfter)), Reading(false, before)) << c.what;
    EXPECT_EQ(Load(start + soundAfter), Reading(true, {Top("A", L"\u03B1"), Top("B"), Child("c", L"\u03B3")}));
    EXPECT_EQ(Load(U(0, u"\u03B1") + K("A")), Reading(false, {}));
}

// A file read piece by piece as it comes from the disk loads as the same
// bytes read whole, wherever the pieces end: in a record's header, its text,
// a Unicode text, the identities, the versions or a later version's record,
// and whether the file is whole, damaged or cut short anywhere.
TEST(EntryFile, AFileReadInPiecesLoadsAsReadWholeWhereverThePiecesEnd)
{
    EntryTree source = Loaded(K("group") + E("child one") + E("") + K("plain"));
    source.SetMachine(9, 0);
    EntryChange change;
    source.Rename(IdOf(source, "plain"), "?", change, L"\u4F60");
    const std::string saved = EncodeEntries(source) + Record('X', "later") + Record('Q', "");
    struct Loading {
        bool intact;
        std::vector<Entry> entries;
        std::vector<EntryUid> uids;
        Version version;
        bool operator==(const Loading& o) const
        {
            return intact == o.intact && entries == o.entries && uids == o.uids && version == o.version;
        }
    };
    // The file's pieces ending after each of `ends`.
    const auto load = [](const std::string& bytes, std::vector<size_t> ends) {
        EntryTree tree;
        EntryFileReader reader(bytes.size());
        size_t start = 0;
        ends.push_back(bytes.size());
        for (size_t end : ends) {
            reader.Add(std::string_view(bytes).substr(start, end - start));
            start = end;
        }
        Loading loading{reader.Finish(tree), EntriesOf(tree), {}, {}};
        for (EntryId id : tree.InPreOrder())
            if (tree.IsUserEntry(id)) {
                loading.uids.push_back(tree.Uid(id));
                loading.version = tree.TextVersion(id).empty() ? loading.version : tree.TextVersion(id);
            }
        return loading;
    };
    const Loading whole = load(saved, {});
    ASSERT_TRUE(whole.intact);
    ASSERT_EQ(whole.entries, (std::vector<Entry>{Top("group"), Child("child one"), Top("?", L"\u4F60")}));
    EXPECT_FALSE(whole.version.empty());
    std::string damaged = saved;
    damaged[saved.find("child one") - kRecordHeaderSize] = 'Z';
    EXPECT_EQ(load(damaged, {}).entries, std::vector<Entry>{Top("group")});
    EXPECT_FALSE(load(damaged, {}).intact);
    for (const std::string& bytes : {saved, damaged}) {
        for (size_t size = 0; size <= bytes.size(); ++size) {
            const std::string file = bytes.substr(0, size);
            const Loading reference = load(file, {});
            std::vector<size_t> byteByByte;
            for (size_t end = 1; end < size; ++end) {
                EXPECT_EQ(load(file, {end}), reference) << "cut after " << size << ", split at " << end;
                byteByByte.push_back(end);
            }
            EXPECT_EQ(load(file, byteByByte), reference) << "cut after " << size << ", byte by byte";
        }
    }
    // A piece beyond the size the file had is no part of it.
    EntryFileReader reader(saved.size() - 1);
    EXPECT_FALSE(reader.Add(saved));
}
