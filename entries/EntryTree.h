#pragma once
#include "entries/EntryTable.h"
#include "entries/TextBoundary.h"
#include "entries/EntrySnapshot.h"
#include "history/HistoryState.h"
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

// An entry's name for as long as the program runs. Ids are never given out
// twice, so whatever still names an entry that is gone (the open menu, a
// drag, the tree control's items) finds nothing rather than another entry.
using EntryId = std::uint32_t;
const EntryId kNoEntry = 0;

// What an entry is by its place: the root entry, an entry on the top level
// (a group when it has children; the clipboard branch is one) or an entry of
// a group. The tree has these three levels and no more.
enum class EntryKind { None, Root, TopLevel, Child };

// The images of the tree's image list.
enum class EntryImage { Program = 0, Group = 1, Entry = 2 };

// What an operation did, for a view that follows the tree: entries that came
// (parents before their children), entries that went (each with its
// children after it), and entries whose label, image or children changed.
struct EntryChange {
    std::vector<EntryId> inserted;
    std::vector<EntryId> removed;
    std::vector<EntryId> changed;

    bool Empty() const { return inserted.empty() && removed.empty() && changed.empty(); }
};

// Whether the system's code page holds every character of a Unicode text.
using FitsCodePage = bool (*)(const std::wstring& text);

// The system's code page both ways: Unicode as the code page turns its
// bytes, and its bytes for Unicode with its stand-in for what it lacks.
struct CodePageConversion {
    std::wstring (*toUnicode)(const std::string& text);
    std::string (*fromUnicode)(const std::wstring& text);
};

// What Add did.
enum class AddOutcome { Added, Full, EmptyText };

// What renaming an entry through its label would do: nothing, when the
// field is left as the label showed it; else give the entry the field's
// text, losing what the label did not show when it did not show the whole
// text.
enum class LabelEdit { Unchanged, Renames, LosesUnseenText };

// The entries: the root entry, under it the clipboard branch with the
// history's entries and the user's top-level entries and groups, each entry
// with its full text in the code page and, where the code page lacks some of
// its characters, its Unicode text (a history entry keeps the Unicode text
// it was copied as in any case). Besides the tree it keeps the counts, the modified flag and the
// undo store of the last removal, and it applies every rule of the editing
// commands, drops and the clipboard history. It knows no window.
class EntryTree {
public:
    // Add stops at this many entries, counting every entry the tree shows.
    static constexpr size_t kMaxEntries = 500;
    // The tree shows at most this much of a label, as the system's tree view
    // displays no more.
    static constexpr size_t kLongestLabel = 259;

    // `lineBreakMark` is what 8-bit labels show for a run of line breaks;
    // `fits` tells the Unicode texts that the code page holds whole, which
    // an entry of the user's needs no Unicode text for (none: every Unicode
    // text is kept); `isLeadByte` tells the code page's double-byte
    // characters, which labels keep whole (none: every byte is one).
    explicit EntryTree(std::string lineBreakMark = " / ", FitsCodePage fits = nullptr,
                       LeadByteTest isLeadByte = nullptr);

    EntryId Root() const { return m_root; }
    EntryId ClipboardBranch() const { return m_branch; }
    bool Contains(EntryId id) const { return Find(id) != nullptr; }
    // kNoEntry for the root entry and for an unknown id.
    EntryId Parent(EntryId id) const;
    // Empty for an unknown id.
    const std::vector<EntryId>& Children(EntryId id) const;
    bool HasChildren(EntryId id) const { return !Children(id).empty(); }
    EntryKind Kind(EntryId id) const;
    EntryImage Image(EntryId id) const;
    // The clipboard branch and its history entries.
    bool IsInHistory(EntryId id) const;
    // An entry the user may rename, remove and drop onto.
    bool IsUserEntry(EntryId id) const;
    // Every entry, the root entry, the clipboard branch and the history's
    // included.
    size_t Count() const { return m_entries.Size(); }

    // Empty for an unknown id.
    const std::string& Text(EntryId id) const;
    // The Unicode text of an entry whose characters the code page lacks,
    // or that a history entry was copied as; empty for every other entry.
    const std::wstring& UnicodeText(EntryId id) const;
    // Both at once, with the identity, versions and last text change (Uid,
    // TextVersion, PlaceVersion, TextChange), for what reads thousands of
    // entries at a time.
    struct Texts {
        const std::string& text;
        const std::wstring& unicode;
        EntryUid uid;
        const Version& textVersion;
        const Version& placeVersion;
        std::uint64_t textChange;
        EntryUid after;  // where it was put (SnapshotEntry::after)
        bool anchored;
    };
    Texts TextsOf(EntryId id) const;
    // The label of the entry's 8-bit text, at most `limit` bytes.
    std::string Label(EntryId id, size_t limit = kLongestLabel) const;
    // The label of an entry's Unicode text, at most `limit` units and
    // `characters` characters as the user sees them; empty for an entry
    // without one.
    std::wstring UnicodeLabel(EntryId id, size_t limit = kLongestLabel, size_t characters = SIZE_MAX) const;
    // Whether the label the tree shows (the Unicode one where the entry has
    // a Unicode text) is the whole text, so that renaming through it loses
    // nothing.
    bool LabelShowsWholeText(EntryId id) const;
    // What renaming through the tree's label would do when the field holds
    // `unicode`, whose code page form is `text`. Unless it is Unchanged,
    // `text` and `unicode` become the entry's new text: the field with what
    // the user left of the label standing again for what it showed (a mark
    // for its line breaks, a space for its tab).
    LabelEdit JudgeLabelEdit(EntryId id, std::string& text, std::wstring& unicode,
                             const CodePageConversion& codePage) const;
    LeadByteTest LeadBytes() const { return m_isLeadByte; }
    // What 8-bit labels show for a run of line breaks.
    const std::string& LineBreakMark() const { return m_lineBreakMark; }

    // Unsaved changes, of the entries or of the settings kept with them.
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

    // A new entry for "Add": under the selected group, or beside the
    // selected entry of a group, or else first on the top level after the
    // clipboard branch. Refused when the tree is full or the text empty.
    // `text` is the code page's form of `unicode`, where there is one.
    AddOutcome Add(const std::string& text, EntryId selected, EntryChange& change, EntryId& added,
                   const std::wstring& unicode = std::wstring());
    // A new entry of `text` under `parent` after `after` (kNoEntry: first),
    // as loading, importing and undoing make them; no rule applies and the
    // modified flag stays. kNoEntry when `parent` is unknown or a child
    // entry. A `unicode` text that the code page holds whole is not kept.
    EntryId Insert(EntryId parent, EntryId after, std::string text, EntryChange* change = nullptr,
                   std::wstring unicode = std::wstring());
    // The same as the last child of `parent`.
    EntryId Append(EntryId parent, std::string text, EntryChange* change = nullptr,
                   std::wstring unicode = std::wstring());
    // Append of an entry the data file gives, with the identity it gives
    // (which no other entry may have; a new one for 0), put after the
    // sibling of identity `after` (0: first).
    EntryId AppendLoaded(EntryId parent, std::string text, EntryUid uid, EntryUid after);
    // Makes room for `more` entries, as loading a file of that many does.
    void ReserveEntries(size_t more) { m_entries.Reserve(m_entries.Size() + more); }
    // Makes room for `more` children of `id`, as loading a group does.
    void ReserveChildren(EntryId id, size_t more);
    // Gives a loaded user entry the Unicode text the data file keeps for it,
    // whose best form its 8-bit text is; no rule applies and the modified
    // flag stays. False, and nothing changes, for an empty `unicode` or an
    // entry without a text, unknown or not the user's.
    bool SetLoadedUnicodeText(EntryId id, std::wstring unicode);
    // Removes a user entry with its children; their texts become the undo
    // store, the removed entry's first.
    EntryChange Remove(EntryId id);
    // Removes an entry with its children and nothing else: no undo, no
    // modified flag (taking back what could not be made whole). The root
    // entry, the clipboard branch and the history's entries stay: only the
    // history changes those.
    EntryChange Discard(EntryId id);
    // Brings back the last removal as a new top-level entry at the end,
    // with its children; the undo store empties. Should any of them fail to
    // come, none does and the tree, the undo store and the modified flag
    // stay as they were.
    EntryChange Undo();
    const std::vector<std::string>& UndoTexts() const { return m_undo; }
    // Gives a user entry a new text; false for an empty text or any other entry.
    bool Rename(EntryId id, std::string text, EntryChange& change, std::wstring unicode = std::wstring());

    // Whether the entry `dragged` of this tree (kNoEntry: text from
    // elsewhere) may be dropped on `target`.
    bool CanDropOn(EntryId dragged, EntryId target) const;
    // Drops a copy of `dragged` with its children, or text from elsewhere
    // when `dragged` is kNoEntry, on `target`; the new entry is the first
    // inserted, kNoEntry when the drop was refused. A group arrives whole or,
    // should one of its entries fail to, not at all.
    EntryId Drop(EntryId target, EntryId dragged, const std::string& text, EntryChange& change,
                 const std::wstring& unicode = std::wstring());

    // Records a clipboard change in the history and its branch; should
    // anything fail on the way, both stay as they were. `listChange` is
    // what a list of the history's texts must do to follow.
    EntryChange RecordClipboard(std::string text, std::wstring unicode, const TextComparison& comparison,
                                HistoryChange& listChange);
    EntryChange ClearHistory();
    const HistoryState& History() const { return m_history; }

    // Every entry in pre-order: the root entry first, a group before its
    // children.
    std::vector<EntryId> InPreOrder() const;

    // The identity of a user's entry; 0 for the root entry, the clipboard
    // branch, the history's entries and an unknown id. A new entry's is
    // random; loading gives an entry the one its file gives it.
    EntryUid Uid(EntryId id) const;
    // Makes the identities of new entries follow from `start`, for tests.
    void StartUidsAt(std::uint64_t start) { m_uidSource = std::mt19937_64(start); }

    // The edits a user's entry's text and place hold (entries/EntryVersion.h);
    // empty for any other entry and for one no one edited since it came
    // from a file without versions. Adding, renaming, dropping and undoing
    // count an edit of this machine's on the entries they make or change.
    const Version& TextVersion(EntryId id) const;
    const Version& PlaceVersion(EntryId id) const;
    // Gives a loaded user entry the versions its data file gives it.
    bool SetLoadedVersions(EntryId id, Version text, Version place);
    // What the entries know of their history: the edits they reflect and
    // the removals of entries without a version.
    const EntryHistory& EditHistory() const { return m_versions; }
    // Takes a loaded file's history; this machine's own count never goes
    // back, as another edit under a count it gave out before would pass
    // elsewhere for the one seen then.
    void SetLoadedHistory(EntryHistory history);
    // The identity this machine counts its edits under (a random one until
    // set), and the count of its last edit, never less than `countAtLeast`.
    void SetMachine(MachineId machine, std::uint64_t countAtLeast);
    MachineId Machine() const { return m_machine; }
    std::uint64_t EditCount() const { return CountOf(m_versions.seen, m_machine); }
    // Makes the user's entries those of `snapshot` (the clipboard branch and
    // history stay), keeping the EntryId of every entry whose uid stays (so
    // the view keeps its selection and open groups), and reporting the
    // change for the view; the modified flag and the undo store are left to
    // the caller. All or nothing under bad_alloc. The entries' versions
    // are the snapshot's; `history`, when given, becomes the entries' history.
    EntryChange ReplaceUserEntries(const EntrySnapshot& snapshot, const EntryHistory* history = nullptr);

    // Every change of what an entry's text is (an entry that came, went or
    // got another text) counts one, from a random start, so that no other
    // tree's counts pass for this one's. The entries of the last
    // kTextChangesKept are kept, for what follows the texts (the popup's
    // index) at a cost that grows with the changes alone.
    static constexpr size_t kTextChangesKept = 1024;
    std::uint64_t TextChanges() const { return m_textChanges; }
    // The count of the last change of the entry's text; 0 for an unknown id.
    std::uint64_t TextChange(EntryId id) const;
    // The entries changed since the count was `since`, in order and maybe
    // one more than once; false, with `ids` empty, when some of them are no
    // longer kept (or `since` is not this tree's).
    bool TextChangesSince(std::uint64_t since, std::vector<EntryId>& ids) const;

private:
    struct Entry {
        EntryId parent = kNoEntry;
        std::vector<EntryId> children;
        std::string text;
        std::wstring unicode;
        EntryUid uid = 0;
        Version textVersion;
        Version placeVersion;
        std::uint64_t textChange = 0;
        // Where it was put: after the user entry of this identity among its
        // siblings (0: first); every user entry was put somewhere.
        EntryUid after = 0;
    };

    const Entry* Find(EntryId id) const;
    // The position in the history whose text a history entry shows;
    // kHistoryCapacity for every other entry.
    size_t HistoryPosition(const Entry& entry, EntryId id) const;
    Entry* Find(EntryId id);
    EntryId NewId();
    // Whether an entry given `unicode` keeps it beside its 8-bit text.
    bool KeepsUnicode(const std::wstring& unicode) const;
    EntryUid NewUid();
    EntryId InsertAs(EntryId parent, EntryId after, std::string text, EntryChange* change, std::wstring unicode,
                     EntryUid uid);
    // Counts an edit of this machine's on the entries `change` inserted from
    // `from` on: their text and place are new.
    void CountNewEntries(const EntryChange& change, size_t from);
    std::uint64_t NextEdit();
    // Remembers the removal of entries without a version.
    void NoteRemoval(EntryId id);
    // The identity of the nearest user entry before `id` among its
    // siblings, 0 for none.
    EntryUid UserSiblingBefore(EntryId id) const;
    // Copies `source` with its children under `parent` after `after`; the
    // copy lists the children last to first, as each is put first.
    EntryId CopyBranch(EntryId source, EntryId parent, EntryId after, EntryChange& change);
    void Erase(EntryId id, EntryChange& change);
    // Takes back an entry with its children that a step which then failed
    // had made; nothing reports it, as no report of it went out. Never throws.
    void Unmake(EntryId id);
    // `parent` and, for a change of its children, its image.
    void NoteChanged(EntryId id, EntryChange& change) const;
    // Counts a change of the text of `id`, whose entry (if it still has
    // one) is `entry`. Never allocates.
    void NoteTextChange(EntryId id, Entry* entry) noexcept;

    EntryTable<EntryId, Entry> m_entries;
    EntryId m_lastId = kNoEntry;
    EntryId m_root = kNoEntry;
    EntryId m_branch = kNoEntry;
    std::string m_lineBreakMark;
    std::string m_rootLabel;
    bool m_modified = false;
    std::vector<std::string> m_undo;
    // The Unicode texts of the undo store, beside m_undo.
    std::vector<std::wstring> m_undoUnicode;
    FitsCodePage m_fits;
    LeadByteTest m_isLeadByte;
    HistoryState m_history;
    std::mt19937_64 m_uidSource;
    MachineId m_machine = 0;
    EntryHistory m_versions;
    std::uint64_t m_textChanges = 0;
    // The entry of each of the last kTextChangesKept changes, at its count
    // modulo their number.
    std::vector<EntryId> m_textChangeIds;
};
