// The data file keeps the Unicode texts of entries whose characters do not
// all fit the code page, in records that come after every entry's own, so
// that files without them stay as they were and a reader that knows only
// the entries' records still loads every entry in its 8-bit form.
#include "entries/EntryFile.h"
#include "entries/RecordCodec.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// The bytes are written out by hand here, not by the codec, so that a
// mistake in the codec cannot hide in the expectations.
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

std::string K(const std::string& text) { return Record('K', text); }
std::string E(const std::string& text) { return Record('e', text); }

// A "U" record for the entry at `ordinal` with the given UTF-16 units.
std::string U(uint32_t ordinal, const std::u16string& units)
{
    std::string payload = LittleEndian32(ordinal);
    for (char16_t unit : units) {
        payload += static_cast<char>(unit & 0xFF);
        payload += static_cast<char>(unit >> 8);
    }
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

Entry Top(std::string text, std::wstring unicode = std::wstring()) { return {false, std::move(text), std::move(unicode)}; }
Entry Child(std::string text, std::wstring unicode = std::wstring()) { return {true, std::move(text), std::move(unicode)}; }

// The user's entries in tree order.
std::vector<Entry> EntriesOf(const EntryTree& tree)
{
    std::vector<Entry> entries;
    for (EntryId id : tree.InPreOrder())
        if (tree.IsUserEntry(id))
            entries.push_back({tree.Kind(id) == EntryKind::Child, tree.Text(id), tree.UnicodeText(id)});
    return entries;
}

// A tree holding `entries` as the window side makes them.
void Fill(EntryTree& tree, const std::vector<Entry>& entries)
{
    EntryId group = kNoEntry;
    for (const Entry& entry : entries) {
        const EntryId parent = entry.child ? group : tree.Root();
        const std::vector<EntryId>& siblings = tree.Children(parent);
        const EntryId last = siblings.empty() ? kNoEntry : siblings.back();
        const EntryId made = tree.Insert(parent, last, entry.text, nullptr, entry.unicode);
        if (!entry.child)
            group = made;
    }
}

struct Loaded {
    std::vector<Entry> entries;
    bool intact;
};

Loaded Load(const std::string& bytes)
{
    EntryTree tree;
    const bool intact = DecodeEntries(bytes, tree);
    return {EntriesOf(tree), intact};
}

// What a reader that knows only the entries' records loads.
Loaded LoadAsEntriesOnly(const std::string& bytes)
{
    Loaded loaded{{}, false};
    loaded.intact = DecodeEntries(bytes, [&](RecordKind kind, std::string_view text) {
        loaded.entries.push_back({kind == RecordKind::Child, std::string(text), std::wstring()});
    });
    return loaded;
}

// Clipboard history with a Unicode text of its own, which is never saved.
std::wstring Widened(const std::string& text) { return std::wstring(text.begin(), text.end()); }
const TextComparison kComparison = {FoldAsciiCase, FoldAsciiCaseWide, Widened};

// The collection of the README's worked example: a plain entry, one whose
// Chinese does not fit the code page and a child holding a character beyond
// the first plane, which UTF-16 writes as a surrogate pair.
const std::vector<Entry> kExampleEntries = {Top("Hi"), Top("??", L"\u4F60\u597D"), Child("?", L"\U0001F600")};
const std::string kExampleFile =
    "\x4B\x02\x00\x00\x00\x48\x69"
    "\x4B\x02\x00\x00\x00\x3F\x3F"
    "\x65\x01\x00\x00\x00\x3F"
    "\x55\x08\x00\x00\x00\x01\x00\x00\x00\x60\x4F\x7D\x59"
    "\x55\x08\x00\x00\x00\x02\x00\x00\x00\x3D\xD8\x00\xDE"s;

}  // namespace

TEST(UnicodeRecords, FilesWithoutUnicodeRecordsLoadAsBeforeAndSaveByteForByte)
{
    struct Case {
        std::string bytes;
        std::vector<Entry> entries;
        bool intact;
        const char* what;
    };
    const Case cases[] = {
        {"", {}, true, "no entries"},
        {K("Hi") + K("Sig") + E("Yours") + E("Best,\r\nMe"),
         {Top("Hi"), Top("Sig"), Child("Yours"), Child("Best,\r\nMe")}, true, "the worked example"},
        {K("caf\xE9") + E("\x80\xFF"), {Top("caf\xE9"), Child("\x80\xFF")}, true, "bytes above 127"},
        {K("good") + E("child") + Record('k', "x") + K("lost"), {Top("good"), Child("child")}, false, "an unknown tag"},
        {K("kept") + "K\xFF\xFF\xFF\xFF" "abc"s, {Top("kept")}, false, "a record running past the end"},
        {E("orphan") + K("lost"), {}, false, "a child before any top-level entry"},
        {K("") + E("orphan"), {}, false, "a child of an empty top-level record"},
        {K("kept") + "U\x01\x00"s, {Top("kept")}, false, "a header cut short"},
    };
    for (const Case& c : cases) {
        const Loaded loaded = Load(c.bytes);
        EXPECT_EQ(loaded.entries, c.entries) << c.what;
        EXPECT_EQ(loaded.intact, c.intact) << c.what;
        EXPECT_EQ(LoadAsEntriesOnly(c.bytes).entries, c.entries) << c.what;
        if (!c.intact)
            continue;
        EntryTree tree;
        HistoryChange ignored;
        tree.RecordClipboard("\x80 copied", L"\u20AC copied \u0416", kComparison, ignored);
        ASSERT_TRUE(DecodeEntries(c.bytes, tree)) << c.what;
        EXPECT_EQ(EncodeEntries(tree), c.bytes) << c.what << ": the history's Unicode text is never saved";
    }
}

TEST(UnicodeRecords, UnicodeEntriesComeBackInTheirPlaces)
{
    const std::vector<Entry> entries = {
        Top("Hi"),
        Top("Smile ?", L"Smile \U0001F600"),
        Top("Greek"),
        Child("????", L"\u039A\u03B1\u03BB\u03AE"),
        Child("plain"),
        Child("??????", L"\u041F\u0440\u0438\u0432\u0435\u0442"),
        Top("??\r\n?", L"\u6F22\u5B57\r\n\U00020000"),
        Top("?", L"\xD800"),  // an unpaired surrogate, which a Windows text may hold
    };
    EntryTree tree;
    Fill(tree, entries);
    const std::string bytes = EncodeEntries(tree);

    const Loaded loaded = Load(bytes);
    EXPECT_TRUE(loaded.intact);
    EXPECT_EQ(loaded.entries, entries);

    // Every entry's record comes first, as without the Unicode texts.
    std::string records;
    for (const Entry& entry : entries)
        records += entry.child ? E(entry.text) : K(entry.text);
    EXPECT_EQ(bytes.substr(0, records.size()), records);

    // A reader that knows only those loads every entry in its 8-bit form
    // and then says the file is partly loaded.
    const Loaded entriesOnly = LoadAsEntriesOnly(bytes);
    EXPECT_FALSE(entriesOnly.intact);
    ASSERT_EQ(entriesOnly.entries.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entriesOnly.entries[i], Entry({entries[i].child, entries[i].text, std::wstring()})) << i;
}

TEST(UnicodeRecords, WritesAndReadsTheWorkedExample)
{
    EntryTree tree;
    Fill(tree, kExampleEntries);
    EXPECT_EQ(EncodeEntries(tree), kExampleFile);
    EXPECT_EQ(kExampleFile.size(), 46u);

    const Loaded loaded = Load(kExampleFile);
    EXPECT_TRUE(loaded.intact);
    EXPECT_EQ(loaded.entries, kExampleEntries);

    const Loaded entriesOnly = LoadAsEntriesOnly(kExampleFile);
    EXPECT_FALSE(entriesOnly.intact);
    EXPECT_EQ(entriesOnly.entries, (std::vector<Entry>{Top("Hi"), Top("??"), Child("?")}));
}

TEST(UnicodeRecords, OrdinalsCountOnlyTheEntriesLoadingMakes)
{
    // An entry with no text makes an empty record, which loading skips.
    EntryTree tree;
    Fill(tree, {Top(""), Top("?", L"\u0416")});
    const std::string bytes = EncodeEntries(tree);
    EXPECT_EQ(bytes, K("") + K("?") + U(0, u"\u0416"));
    EXPECT_EQ(Load(bytes).entries, (std::vector<Entry>{Top("?", L"\u0416")}));
}

TEST(UnicodeRecords, AMalformedUnicodeRecordIsCorruptFromThere)
{
    // Three entries, the first given its Unicode text; every case goes on
    // with a sound record for the third, which must then stay unread.
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
    for (const Case& c : cases) {
        const Loaded loaded = Load(start + c.fault + (c.endsTheData ? "" : soundAfter));
        EXPECT_FALSE(loaded.intact) << c.what;
        EXPECT_EQ(loaded.entries, before) << c.what;
    }
    // The same record for the third entry is sound where no fault comes
    // before it, and a Unicode record before any entry names none.
    EXPECT_EQ(Load(start + soundAfter).entries, (std::vector<Entry>{Top("A", L"\u03B1"), Top("B"), Child("c", L"\u03B3")}));
    EXPECT_FALSE(Load(U(0, u"\u03B1") + K("A")).intact);
    EXPECT_FALSE(Load(K("A") + K("") + U(1, u"\u03B1")).intact) << "an empty record makes no entry to name";
}
