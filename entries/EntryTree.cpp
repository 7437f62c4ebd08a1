#include "entries/EntryTree.h"
#include "entries/DropPlacement.h"
#include "entries/EntryLabel.h"
#include "entries/LongestIncreasing.h"
#include <algorithm>
#include <chrono>
#include <unordered_map>
#include <unordered_set>

namespace {

const char kRootText[] = "QuipMark Menu List";
const char kRootLabel[] = "Quipmark Menu List";
const char kBranchText[] = "Last 15 Clipboard Entries";

const std::vector<EntryId> kNoChildren;
const std::string kNoText;
const std::wstring kNoUnicode;
const Version kNoVersion;

// Grows as push_back would, but before anything else of the step has changed.
void MakeRoomForOneMore(std::vector<EntryId>& ids)
{
    if (ids.size() == ids.capacity())
        ids.reserve(ids.size() * 2 + 4);
}

// Takes the ids reported after the first `size` back out of a report.
void TruncateTo(std::vector<EntryId>& ids, size_t size)
{
    ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(std::min(size, ids.size())), ids.end());
}

}  // namespace

EntryTree::EntryTree(std::string lineBreakMark, FitsCodePage fits, LeadByteTest isLeadByte)
    : m_lineBreakMark(std::move(lineBreakMark)), m_rootLabel(kRootLabel), m_fits(fits), m_isLeadByte(isLeadByte)
{
    // Two machines that start at one moment still draw apart: the clock
    // and the system's randomness both go in.
    std::random_device device;
    std::seed_seq start{device(), device(),
                        static_cast<unsigned>(std::chrono::high_resolution_clock::now().time_since_epoch().count())};
    m_uidSource = std::mt19937_64(start);
    while (m_machine == 0)
        m_machine = m_uidSource();
    // Far from 0, where a follower that has seen nothing yet starts.
    m_textChanges = (m_uidSource() >> 16) | (std::uint64_t(1) << 47);
    m_textChangeIds.assign(kTextChangesKept, kNoEntry);
    m_root = NewId();
    m_entries.Add(m_root, Entry()).text = kRootText;
    m_branch = Append(m_root, kBranchText);
    // The history's entries are put first one by one; with room for all of
    // them made here, that never has to allocate.
    Find(m_branch)->children.reserve(kHistoryCapacity + 1);
}

const EntryTree::Entry* EntryTree::Find(EntryId id) const
{
    return m_entries.Find(id);
}

EntryTree::Entry* EntryTree::Find(EntryId id)
{
    return m_entries.Find(id);
}

void EntryTree::NoteTextChange(EntryId id, Entry* entry) noexcept
{
    ++m_textChanges;
    m_textChangeIds[m_textChanges % kTextChangesKept] = id;
    if (entry != nullptr)
        entry->textChange = m_textChanges;
}

std::uint64_t EntryTree::TextChange(EntryId id) const
{
    const Entry* entry = Find(id);
    return entry != nullptr ? entry->textChange : 0;
}

bool EntryTree::TextChangesSince(std::uint64_t since, std::vector<EntryId>& ids) const
{
    ids.clear();
    if (m_textChanges - since > kTextChangesKept)
        return false;
    for (std::uint64_t count = since + 1; count <= m_textChanges && count > since; ++count)
        ids.push_back(m_textChangeIds[count % kTextChangesKept]);
    return true;
}

EntryId EntryTree::NewId()
{
    return ++m_lastId;
}

EntryUid EntryTree::NewUid()
{
    EntryUid uid = 0;
    while (uid == 0)
        uid = m_uidSource();
    return uid;
}

EntryId EntryTree::Parent(EntryId id) const
{
    const Entry* entry = Find(id);
    return entry != nullptr ? entry->parent : kNoEntry;
}

const std::vector<EntryId>& EntryTree::Children(EntryId id) const
{
    const Entry* entry = Find(id);
    return entry != nullptr ? entry->children : kNoChildren;
}

EntryKind EntryTree::Kind(EntryId id) const
{
    const Entry* entry = Find(id);
    if (entry == nullptr)
        return EntryKind::None;
    if (entry->parent == kNoEntry)
        return EntryKind::Root;
    return entry->parent == m_root ? EntryKind::TopLevel : EntryKind::Child;
}

EntryImage EntryTree::Image(EntryId id) const
{
    switch (Kind(id)) {
    case EntryKind::Root: return EntryImage::Program;
    case EntryKind::TopLevel: return HasChildren(id) ? EntryImage::Group : EntryImage::Entry;
    default: return EntryImage::Entry;
    }
}

bool EntryTree::IsInHistory(EntryId id) const
{
    return id != kNoEntry && (id == m_branch || Parent(id) == m_branch);
}

bool EntryTree::IsUserEntry(EntryId id) const
{
    return Contains(id) && id != m_root && !IsInHistory(id);
}

size_t EntryTree::HistoryPosition(const Entry& entry, EntryId id) const
{
    if (entry.parent == kNoEntry || entry.parent != m_branch)
        return kHistoryCapacity;
    const std::vector<EntryId>& history = Find(m_branch)->children;
    return static_cast<size_t>(std::find(history.begin(), history.end(), id) - history.begin());
}

const std::string& EntryTree::Text(EntryId id) const
{
    const Entry* entry = Find(id);
    if (entry == nullptr)
        return kNoText;
    const size_t position = HistoryPosition(*entry, id);
    return position < m_history.Texts().size() ? m_history.Texts()[position] : entry->text;
}

const std::wstring& EntryTree::UnicodeText(EntryId id) const
{
    const Entry* entry = Find(id);
    if (entry == nullptr)
        return kNoUnicode;
    const size_t position = HistoryPosition(*entry, id);
    return position < m_history.UnicodeTexts().size() ? m_history.UnicodeTexts()[position] : entry->unicode;
}

EntryTree::Texts EntryTree::TextsOf(EntryId id) const
{
    const Entry* entry = Find(id);
    if (entry == nullptr)
        return {kNoText, kNoUnicode, 0, kNoVersion, kNoVersion, 0, 0, false};
    const size_t position = HistoryPosition(*entry, id);
    const bool user = id != m_root && id != m_branch && entry->parent != m_branch;
    return {position < m_history.Texts().size() ? m_history.Texts()[position] : entry->text,
            position < m_history.UnicodeTexts().size() ? m_history.UnicodeTexts()[position] : entry->unicode,
            user ? entry->uid : 0, user ? entry->textVersion : kNoVersion, user ? entry->placeVersion : kNoVersion,
            entry->textChange, user ? entry->after : 0, user};
}

std::string EntryTree::Label(EntryId id, size_t limit) const
{
    if (id == m_root)
        return m_rootLabel.substr(0, limit);
    return EntryLabel(Text(id), m_lineBreakMark, limit, m_isLeadByte);
}

std::wstring EntryTree::UnicodeLabel(EntryId id, size_t limit, size_t characters) const
{
    const std::wstring& unicode = UnicodeText(id);
    if (unicode.empty())
        return std::wstring();
    return EntryLabel(unicode, kUnicodeLineBreakMark, limit, characters);
}

bool EntryTree::LabelShowsWholeText(EntryId id) const
{
    const std::wstring& unicode = UnicodeText(id);
    if (!unicode.empty())
        return UnicodeLabel(id) == unicode;
    return Label(id) == Text(id);
}

LabelEdit EntryTree::JudgeLabelEdit(EntryId id, std::string& text, std::wstring& unicode,
                                    const CodePageConversion& codePage) const
{
    // The field starts from the label the tree shows: the Unicode one, or
    // the 8-bit one as the code page shows it, which a field holding only
    // what the code page holds gives back byte for byte.
    bool lost = false;
    const std::wstring& wasUnicode = UnicodeText(id);
    if (!wasUnicode.empty()) {
        const std::wstring shown = UnicodeLabel(id);
        if (unicode == shown)
            return LabelEdit::Unchanged;
        unicode = TextOfEditedLabel(wasUnicode, kUnicodeLineBreakMark, shown, unicode, lost);
        if (!lost && unicode == wasUnicode)
            return LabelEdit::Unchanged;
        text = codePage.fromUnicode(unicode);
    } else if (!KeepsUnicode(unicode)) {
        const std::string shown = Label(id);
        if (text == shown)
            return LabelEdit::Unchanged;
        text = TextOfEditedLabel(Text(id), m_lineBreakMark, shown, text, lost);
        if (!lost && text == Text(id))
            return LabelEdit::Unchanged;
        unicode.clear();
    } else {
        // Characters the code page lacks come into an 8-bit entry: the whole
        // text becomes Unicode.
        unicode = TextOfEditedLabel(codePage.toUnicode(Text(id)), codePage.toUnicode(m_lineBreakMark),
                                    codePage.toUnicode(Label(id)), unicode, lost);
        text = codePage.fromUnicode(unicode);
    }
    return lost ? LabelEdit::LosesUnseenText : LabelEdit::Renames;
}

bool EntryTree::KeepsUnicode(const std::wstring& unicode) const
{
    return !unicode.empty() && (m_fits == nullptr || !m_fits(unicode));
}

void EntryTree::NoteChanged(EntryId id, EntryChange& change) const
{
    if (id != kNoEntry)
        change.changed.push_back(id);
}

EntryId EntryTree::Insert(EntryId parent, EntryId after, std::string text, EntryChange* change,
                          std::wstring unicode)
{
    return InsertAs(parent, after, std::move(text), change, std::move(unicode), 0);
}

EntryId EntryTree::InsertAs(EntryId parent, EntryId after, std::string text, EntryChange* change,
                            std::wstring unicode, EntryUid uid)
{
    Entry* parentEntry = Find(parent);
    // Below a child entry would be a fourth level, which neither the walks
    // over the tree nor removal know of.
    if (parentEntry == nullptr || Kind(parent) == EntryKind::Child)
        return kNoEntry;
    std::vector<EntryId>& siblings = parentEntry->children;
    auto position = siblings.begin();
    if (after != kNoEntry && !siblings.empty() && siblings.back() == after) {
        position = siblings.end();  // appending, as loading does thousands of times
    } else if (after != kNoEntry) {
        position = std::find(siblings.begin(), siblings.end(), after);
        position = position == siblings.end() ? siblings.end() : position + 1;
    }
    // Room in the report first, so that an entry that came is always reported.
    if (change != nullptr) {
        MakeRoomForOneMore(change->inserted);
        MakeRoomForOneMore(change->changed);
    }
    const EntryId id = NewId();
    Entry entry;
    entry.parent = parent;
    entry.text = std::move(text);
    entry.uid = uid != 0 ? uid : NewUid();
    // The code page's text says it all; a file of such entries stays as
    // every earlier version wrote it.
    if (m_fits == nullptr || !m_fits(unicode))
        entry.unicode = std::move(unicode);
    // The entry is complete before the tree names it, and the tree names it
    // only once it is in the table: should either step run short of memory,
    // nothing has changed.
    Entry& made = m_entries.Add(id, std::move(entry));
    try {
        siblings.insert(position, id);
    } catch (...) {
        m_entries.Erase(id);
        throw;
    }
    NoteTextChange(id, &made);
    if (change != nullptr) {
        change->inserted.push_back(id);
        NoteChanged(parent, *change);
    }
    return id;
}

EntryId EntryTree::Append(EntryId parent, std::string text, EntryChange* change, std::wstring unicode)
{
    const std::vector<EntryId>& siblings = Children(parent);
    return Insert(parent, siblings.empty() ? kNoEntry : siblings.back(), std::move(text), change,
                  std::move(unicode));
}

EntryId EntryTree::AppendLoaded(EntryId parent, std::string text, EntryUid uid, EntryUid after)
{
    // InsertAs for the thousands of entries a load appends: the parent is
    // looked up once, and nothing is reported.
    Entry* parentEntry = Find(parent);
    if (parentEntry == nullptr || (parentEntry->parent != kNoEntry && parentEntry->parent != m_root))
        return kNoEntry;
    const EntryId id = NewId();
    if (uid == 0)
        uid = NewUid();
    Entry& made = m_entries.Add(id);
    made.parent = parent;
    made.text = std::move(text);
    made.uid = uid;
    made.after = after;
    try {
        parentEntry->children.push_back(id);
    } catch (...) {
        m_entries.Erase(id);
        throw;
    }
    NoteTextChange(id, &made);
    return id;
}

void EntryTree::ReserveChildren(EntryId id, size_t more)
{
    if (Entry* entry = Find(id))
        entry->children.reserve(entry->children.size() + more);
}

bool EntryTree::SetLoadedUnicodeText(EntryId id, std::wstring unicode)
{
    // A Unicode text goes with the 8-bit text that stands for it where the
    // program shows or hands out 8-bit text.
    if (unicode.empty() || !IsUserEntry(id) || Text(id).empty())
        return false;
    Entry* entry = Find(id);
    entry->unicode = std::move(unicode);
    NoteTextChange(id, entry);
    return true;
}

AddOutcome EntryTree::Add(const std::string& text, EntryId selected, EntryChange& change, EntryId& added,
                          const std::wstring& unicode)
{
    added = kNoEntry;
    if (Count() >= kMaxEntries)
        return AddOutcome::Full;
    // An empty entry could not be saved and loaded back faithfully.
    if (text.empty())
        return AddOutcome::EmptyText;
    // The history holds only what was copied and is never saved: with it or
    // one of its entries selected, the new entry is a top-level one, as with
    // nothing selected.
    EntryId parent = Contains(selected) && !IsInHistory(selected) ? selected : m_root;
    if (Kind(parent) == EntryKind::Child)
        parent = Parent(parent);
    // The newest top-level entry comes first after the clipboard branch.
    const size_t from = change.inserted.size();
    added = parent == m_root ? Insert(parent, m_branch, text, &change, unicode)
                             : Append(parent, text, &change, unicode);
    CountNewEntries(change, from);
    m_modified = true;
    return AddOutcome::Added;
}

void EntryTree::Erase(EntryId id, EntryChange& change)
{
    Entry* entry = Find(id);
    if (entry == nullptr)
        return;
    change.removed.push_back(id);
    for (EntryId child : entry->children) {
        change.removed.push_back(child);
        m_entries.Erase(child);
        NoteTextChange(child, nullptr);
    }
    if (Entry* parent = Find(entry->parent)) {
        std::vector<EntryId>& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
        NoteChanged(entry->parent, change);
    }
    m_entries.Erase(id);
    NoteTextChange(id, nullptr);
}

EntryChange EntryTree::Remove(EntryId id)
{
    EntryChange change;
    if (!IsUserEntry(id))
        return change;
    std::vector<std::string> undo;
    std::vector<std::wstring> undoUnicode;
    undo.reserve(Children(id).size() + 1);
    undoUnicode.reserve(Children(id).size() + 1);
    undo.push_back(Text(id));
    undoUnicode.push_back(UnicodeText(id));
    for (EntryId child : Children(id)) {
        undo.push_back(Text(child));
        undoUnicode.push_back(UnicodeText(child));
    }
    m_undo.swap(undo);
    m_undoUnicode.swap(undoUnicode);
    NoteRemoval(id);
    Erase(id, change);
    m_modified = true;
    return change;
}

EntryChange EntryTree::Discard(EntryId id)
{
    EntryChange change;
    // The branch follows the history position by position: an entry of it
    // that went alone would leave the next record removing the wrong one,
    // or one past the end.
    if (id != m_root && !IsInHistory(id))
        Erase(id, change);
    return change;
}

EntryChange EntryTree::Undo()
{
    EntryChange change;
    if (m_undo.empty())
        return change;
    const EntryId restored = Append(m_root, m_undo.front(), &change, m_undoUnicode.front());
    try {
        for (size_t i = 1; i < m_undo.size(); ++i)
            Append(restored, m_undo[i], &change, m_undoUnicode[i]);
    } catch (...) {
        // Half a group back would be missing from the view, which hears of
        // nothing, and a second Undo would bring its entries back twice.
        Unmake(restored);
        throw;
    }
    CountNewEntries(change, 0);
    m_undo.clear();
    m_undoUnicode.clear();
    // What came back is not in the data file: were the flag left as the
    // last save left it, leaving would lose the entry again.
    m_modified = true;
    return change;
}

bool EntryTree::Rename(EntryId id, std::string text, EntryChange& change, std::wstring unicode)
{
    if (!IsUserEntry(id) || text.empty())
        return false;
    Entry* entry = Find(id);
    entry->text = std::move(text);
    if (!KeepsUnicode(unicode))
        unicode.clear();
    entry->unicode = std::move(unicode);
    NoteTextChange(id, entry);
    SetCount(entry->textVersion, m_machine, NextEdit());
    NoteChanged(id, change);
    m_modified = true;
    return true;
}

bool EntryTree::CanDropOn(EntryId dragged, EntryId target) const
{
    if (!Contains(target) || IsInHistory(target))
        return false;
    if (dragged == kNoEntry)
        return true;
    if (!Contains(dragged) || target == dragged || dragged == m_root)
        return false;
    for (EntryId above = Parent(target); above != kNoEntry; above = Parent(above))
        if (above == dragged)
            return false;
    return true;
}

EntryId EntryTree::Drop(EntryId target, EntryId dragged, const std::string& text, EntryChange& change,
                        const std::wstring& unicode)
{
    // An empty text from elsewhere would make an entry the data file cannot keep.
    if (!CanDropOn(dragged, target) || (dragged == kNoEntry && text.empty()))
        return kNoEntry;
    DropTarget kind = DropTarget::RootEntry;
    if (Kind(target) == EntryKind::TopLevel)
        kind = DropTarget::TopLevelEntry;
    else if (Kind(target) == EntryKind::Child)
        kind = DropTarget::ChildEntry;
    const DropPlacement place = PlaceDrop(kind, dragged != kNoEntry && HasChildren(dragged));
    const EntryId parent = place.parent == NewParent::RootEntry ? m_root
                         : place.parent == NewParent::Target ? target : Parent(target);
    EntryId after = kNoEntry;
    switch (place.after) {
    case InsertAfter::ClipboardBranch: after = m_branch; break;
    case InsertAfter::FirstChild: after = kNoEntry; break;
    case InsertAfter::Target: after = target; break;
    case InsertAfter::TargetParent: after = Parent(target); break;
    }
    const size_t from = change.inserted.size();
    const EntryId dropped = dragged != kNoEntry ? CopyBranch(dragged, parent, after, change)
                                                : Insert(parent, after, text, &change, unicode);
    if (dropped != kNoEntry) {
        CountNewEntries(change, from);
        m_modified = true;
    }
    return dropped;
}

EntryId EntryTree::CopyBranch(EntryId source, EntryId parent, EntryId after, EntryChange& change)
{
    const size_t inserted = change.inserted.size();
    const size_t changed = change.changed.size();
    const EntryId copy = Insert(parent, after, Text(source), &change, UnicodeText(source));
    try {
        for (EntryId child : Children(source))
            Insert(copy, kNoEntry, Text(child), &change, UnicodeText(child));
    } catch (...) {
        Unmake(copy);
        TruncateTo(change.inserted, inserted);
        TruncateTo(change.changed, changed);
        throw;
    }
    return copy;
}

void EntryTree::Unmake(EntryId id)
{
    const Entry* entry = Find(id);
    if (entry == nullptr)
        return;
    for (EntryId child : entry->children) {
        m_entries.Erase(child);
        NoteTextChange(child, nullptr);
    }
    if (Entry* parent = Find(entry->parent)) {
        std::vector<EntryId>& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
    }
    m_entries.Erase(id);
    NoteTextChange(id, nullptr);
}

EntryChange EntryTree::RecordClipboard(std::string text, std::wstring unicode, const TextComparison& comparison,
                                       HistoryChange& listChange)
{
    EntryChange change;
    // The branch's entry of a new text is made before the history changes,
    // so that running short of memory changes neither. It holds no copy of
    // the text: its text is the history's, at its position.
    EntryId made = kNoEntry;
    if (!text.empty()) {
        made = NewId();
        Entry entry;
        entry.parent = m_branch;
        m_entries.Add(made, std::move(entry));
    }
    try {
        listChange = m_history.Record(std::move(text), std::move(unicode), comparison);
    } catch (...) {
        m_entries.Erase(made);
        throw;
    }
    std::vector<EntryId>& history = Find(m_branch)->children;
    for (int position : listChange.removed) {
        const EntryId gone = history[static_cast<size_t>(position)];
        history.erase(history.begin() + position);
        change.removed.push_back(gone);
        m_entries.Erase(gone);
        NoteTextChange(gone, nullptr);
    }
    if (listChange.added) {
        // Room was made when the branch was: this cannot throw.
        history.insert(history.begin(), made);
        change.inserted.push_back(made);
        NoteTextChange(made, Find(made));
    } else {
        m_entries.Erase(made);
    }
    NoteChanged(m_branch, change);
    return change;
}

EntryChange EntryTree::ClearHistory()
{
    m_history.Clear();
    EntryChange change;
    std::vector<EntryId>& history = Find(m_branch)->children;
    for (EntryId gone : history) {
        change.removed.push_back(gone);
        m_entries.Erase(gone);
        NoteTextChange(gone, nullptr);
    }
    history.clear();
    NoteChanged(m_branch, change);
    return change;
}

std::vector<EntryId> EntryTree::InPreOrder() const
{
    std::vector<EntryId> order;
    order.reserve(Count());
    order.push_back(m_root);
    for (EntryId top : Children(m_root)) {
        order.push_back(top);
        const std::vector<EntryId>& children = Children(top);
        order.insert(order.end(), children.begin(), children.end());
    }
    return order;
}

EntryUid EntryTree::Uid(EntryId id) const
{
    return IsUserEntry(id) ? Find(id)->uid : 0;
}

std::uint64_t EntryTree::NextEdit()
{
    const std::uint64_t count = EditCount() + 1;
    SetCount(m_versions.seen, m_machine, count);
    return count;
}

void EntryTree::CountNewEntries(const EntryChange& change, size_t from)
{
    if (from >= change.inserted.size())
        return;
    const Version made{{m_machine, NextEdit()}};
    for (size_t i = from; i < change.inserted.size(); ++i) {
        if (Entry* entry = Find(change.inserted[i]); entry != nullptr && IsUserEntry(change.inserted[i])) {
            entry->textVersion = made;
            entry->placeVersion = made;
            entry->after = UserSiblingBefore(change.inserted[i]);
        }
    }
}

EntryUid EntryTree::UserSiblingBefore(EntryId id) const
{
    const Entry* entry = Find(id);
    const Entry* parent = entry != nullptr ? Find(entry->parent) : nullptr;
    if (parent == nullptr)
        return 0;
    const std::vector<EntryId>& siblings = parent->children;
    for (auto at = std::find(siblings.begin(), siblings.end(), id); at != siblings.begin();) {
        --at;
        const Entry* before = Find(*at);
        if (before != nullptr && IsUserEntry(*at))
            return before->uid;
    }
    return 0;
}

void EntryTree::NoteRemoval(EntryId id)
{
    // A removal is known from the history's edits wherever a version of the
    // entry is, but not to a copy from before the history began (one whose
    // text and place have none): the entry is named for those.
    std::vector<Removal>& removed = m_versions.removed;
    // With where it was, for what was put after it.
    auto note = [&](EntryId gone) {
        if (const Entry* entry = Find(gone))
            removed.push_back({entry->uid, Joined(entry->textVersion, entry->placeVersion), entry->after, true});
    };
    note(id);
    for (EntryId child : Children(id))
        note(child);
    // Counted like every other change, so that a history that holds this
    // machine's edits holds its removals too.
    NextEdit();
    if (removed.size() > EntryHistory::kMostRemovals)
        removed.erase(removed.begin(), removed.end() - static_cast<std::ptrdiff_t>(EntryHistory::kMostRemovals));
}

const Version& EntryTree::TextVersion(EntryId id) const
{
    return IsUserEntry(id) ? Find(id)->textVersion : kNoVersion;
}

const Version& EntryTree::PlaceVersion(EntryId id) const
{
    return IsUserEntry(id) ? Find(id)->placeVersion : kNoVersion;
}

bool EntryTree::SetLoadedVersions(EntryId id, Version text, Version place)
{
    if (!IsUserEntry(id))
        return false;
    Entry* entry = Find(id);
    entry->textVersion = std::move(text);
    entry->placeVersion = std::move(place);
    return true;
}

void EntryTree::SetLoadedHistory(EntryHistory history)
{
    const std::uint64_t own = EditCount();
    m_versions = std::move(history);
    m_versions.tracked = true;
    if (EditCount() < own)
        SetCount(m_versions.seen, m_machine, own);
}

void EntryTree::SetMachine(MachineId machine, std::uint64_t countAtLeast)
{
    if (machine == 0)
        return;
    m_machine = machine;
    if (EditCount() < countAtLeast)
        SetCount(m_versions.seen, m_machine, countAtLeast);
}

EntryChange EntryTree::ReplaceUserEntries(const EntrySnapshot& snapshot, const EntryHistory* history)
{
    // Today's user entries by identity, with their places among their siblings.
    std::unordered_map<EntryUid, EntryId> byUid;
    std::unordered_map<EntryId, size_t> placeOf;
    const std::vector<EntryId>& oldRoot = Children(m_root);
    for (size_t index = 0; index < oldRoot.size(); ++index) {
        const EntryId top = oldRoot[index];
        placeOf.emplace(top, index);
        if (top == m_branch)
            continue;
        byUid.emplace(Find(top)->uid, top);
        const std::vector<EntryId>& children = Children(top);
        for (size_t i = 0; i < children.size(); ++i) {
            byUid.emplace(Find(children[i])->uid, children[i]);
            placeOf.emplace(children[i], i);
        }
    }

    // Everything is made aside first; the tree changes only once nothing is
    // left that could run short of memory.
    EntryChange change;
    EntryTable<EntryId, Entry> made;
    std::vector<std::pair<EntryId, std::vector<EntryId>>> newChildren;
    std::vector<std::pair<Entry*, SnapshotEntry>> newTexts;
    std::vector<EntryId> newTextIds;
    std::vector<std::pair<Entry*, SnapshotEntry>> newVersions;
    EntryHistory newHistory = history != nullptr ? *history : EntryHistory();
    if (history != nullptr && CountOf(newHistory.seen, m_machine) < EditCount())
        SetCount(newHistory.seen, m_machine, EditCount());
    newHistory.tracked = true;
    std::unordered_set<EntryId> keptIds;
    std::unordered_set<EntryUid> seen;
    EntryId lastId = m_lastId;
    // The ids the entries of `list` keep under `parent` (kNoEntry where they
    // are new): those that stay under it in their order, as the view moves
    // no item; an entry that moved comes anew.
    auto keep = [&](EntryId parent, const EntrySnapshot& list) {
        std::vector<EntryId> ids(list.size(), kNoEntry);
        std::vector<size_t> places, indexes;
        for (size_t i = 0; i < list.size(); ++i) {
            const auto found = byUid.find(list[i].uid);
            if (found != byUid.end() && Parent(found->second) == parent && seen.count(list[i].uid) == 0) {
                places.push_back(placeOf.at(found->second));
                indexes.push_back(i);
            }
        }
        for (size_t position : LongestIncreasing(places)) {
            const EntryUid uid = list[indexes[position]].uid;
            ids[indexes[position]] = byUid.at(uid);
            seen.insert(uid);
        }
        return ids;
    };
    // Where an entry of the snapshot was put; one that tells none, after the
    // one before it there.
    auto afterOf = [](const std::vector<SnapshotEntry>& list, size_t index) {
        return list[index].anchored ? list[index].after : index == 0 ? 0 : list[index - 1].uid;
    };
    auto place = [&](EntryId parent, const std::vector<SnapshotEntry>& list, size_t index, EntryId id) {
        const SnapshotEntry& source = list[index];
        if (id != kNoEntry) {
            keptIds.insert(id);
            Entry* entry = Find(id);
            if (entry->text != source.text || entry->unicode != source.unicode) {
                SnapshotEntry texts;
                texts.text = source.text;
                texts.unicode = source.unicode;
                newTexts.emplace_back(entry, std::move(texts));
                newTextIds.push_back(id);
                NoteChanged(id, change);
            }
            if (entry->textVersion != source.textVersion || entry->placeVersion != source.placeVersion ||
                entry->after != afterOf(list, index)) {
                SnapshotEntry versions;
                versions.textVersion = source.textVersion;
                versions.placeVersion = source.placeVersion;
                versions.after = afterOf(list, index);
                newVersions.emplace_back(entry, std::move(versions));
            }
            return id;
        }
        id = ++lastId;
        Entry entry;
        entry.parent = parent;
        entry.text = source.text;
        entry.unicode = source.unicode;
        entry.textVersion = source.textVersion;
        entry.placeVersion = source.placeVersion;
        entry.after = afterOf(list, index);
        // An identity the snapshot gives twice would make two entries one
        // on the next merge: the second becomes an entry of its own.
        entry.uid = source.uid != 0 && seen.insert(source.uid).second ? source.uid : NewUid();
        made.Add(id, std::move(entry));
        change.inserted.push_back(id);
        return id;
    };
    std::vector<EntryId> topIds = keep(m_root, snapshot);
    std::vector<EntryId> rootChildren;
    rootChildren.reserve(snapshot.size() + 1);
    rootChildren.push_back(m_branch);
    for (size_t i = 0; i < snapshot.size(); ++i) {
        const SnapshotEntry& top = snapshot[i];
        const EntryId id = place(m_root, snapshot, i, topIds[i]);
        rootChildren.push_back(id);
        std::vector<EntryId> childIds = topIds[i] != kNoEntry ? keep(id, top.children)
                                                              : std::vector<EntryId>(top.children.size(), kNoEntry);
        for (size_t k = 0; k < top.children.size(); ++k)
            childIds[k] = place(id, top.children, k, childIds[k]);
        if (topIds[i] == kNoEntry)
            made.Find(id)->children = std::move(childIds);
        else if (childIds != Children(id))
            newChildren.emplace_back(id, std::move(childIds));
    }
    for (const auto& [group, children] : newChildren)
        NoteChanged(group, change);
    // The branch stays where it is among the top-level entries.
    const size_t branchPlace = std::min(placeOf.at(m_branch), rootChildren.size() - 1);
    std::rotate(rootChildren.begin(), rootChildren.begin() + 1, rootChildren.begin() + static_cast<std::ptrdiff_t>(branchPlace) + 1);
    if (rootChildren != oldRoot)
        NoteChanged(m_root, change);
    for (EntryId top : oldRoot) {
        if (top == m_branch)
            continue;
        const bool topKept = keptIds.count(top) != 0;
        if (!topKept)
            change.removed.push_back(top);
        for (EntryId child : Children(top))
            if (!topKept || keptIds.count(child) == 0)
                change.removed.push_back(child);
    }
    m_entries.Reserve(m_entries.Size() + made.Size());

    // Nothing from here on allocates.
    for (EntryId gone : change.removed) {
        m_entries.Erase(gone);
        NoteTextChange(gone, nullptr);
    }
    for (size_t i = 0; i < newTexts.size(); ++i) {
        Entry* entry = newTexts[i].first;
        entry->text.swap(newTexts[i].second.text);
        entry->unicode.swap(newTexts[i].second.unicode);
        NoteTextChange(newTextIds[i], entry);
    }
    for (auto& [entry, versions] : newVersions) {
        entry->textVersion.swap(versions.textVersion);
        entry->placeVersion.swap(versions.placeVersion);
        entry->after = versions.after;
    }
    if (history != nullptr)
        std::swap(m_versions, newHistory);
    for (auto& [group, children] : newChildren)
        Find(group)->children.swap(children);
    Find(m_root)->children.swap(rootChildren);
    for (EntryId id : change.inserted)
        NoteTextChange(id, &m_entries.Add(id, std::move(*made.Find(id))));
    m_lastId = lastId;
    return change;
}
