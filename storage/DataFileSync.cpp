#include "storage/DataFileSync.h"
#include "storage/DataFileIo.h"
#include "storage/EntryFile.h"
#include "entries/SideBySide.h"
#include "framework/ScopedFlag.h"
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <string_view>

namespace {

// A file that stays held or half written for this many retries in a row is
// left to the slow check.
const unsigned kMostRetries = 25;
// How long a save waits for a half-written file to be finished.
const DWORD kHalfWrittenPatienceMs = 2000;

bool WriteAll(HANDLE file, std::string_view bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

// Gathers small pieces into writes of a useful size; large pieces go to the
// file as they are. Under Wine every write costs tens of microseconds
// whatever its size: texts of 64 KiB written one by one made a save take
// twice a plain write of the same bytes. What it writes it hashes, once a
// file is large on a second processor while the next bytes are gathered and
// written.
class HashingWriter {
public:
    // `expected`: about how many bytes will be written, as the file that
    // is replaced held; a file that large is hashed aside from the start.
    HashingWriter(HANDLE file, ContentHash& hash, std::uint64_t expected) : m_file(file), m_hash(hash)
    {
        // A small file's bytes are gathered in a buffer of about its size:
        // under Wine a megabyte is memory of its own, asked of the system.
        const size_t bytes = static_cast<size_t>(std::min<std::uint64_t>(expected, SIZE_MAX));
        m_buffers[0].reserve(bytes == 0 ? kSize : std::min(kSize, bytes + bytes / 8));
        StartAsideFor(bytes);
    }
    HashingWriter(const HashingWriter&) = delete;
    HashingWriter& operator=(const HashingWriter&) = delete;

    bool Write(std::string_view bytes)
    {
        if (m_buffers[m_current].size() + bytes.size() > kSize && !Flush())
            return false;
        if (bytes.size() < kSize) {
            m_buffers[m_current].append(bytes.data(), bytes.size());
            return true;
        }
        // The entries' texts stay as they are while the file is written.
        Hash(bytes);
        return WriteAll(m_file, bytes);
    }

    // Writes what is gathered.
    bool Flush()
    {
        // The other buffer's bytes are hashed before it is filled again.
        if (m_aside != nullptr)
            m_aside->Wait();
        std::string& full = m_buffers[m_current];
        Hash(full);
        const bool written = WriteAll(m_file, full);
        if (m_aside != nullptr)
            m_current = 1 - m_current;
        m_buffers[m_current].clear();
        m_buffers[m_current].reserve(kSize);
        return written;
    }

    // Flush, and every byte written hashed.
    bool Finish()
    {
        const bool written = Flush();
        if (m_aside != nullptr)
            m_aside->Finish();
        return written;
    }

private:
    static constexpr size_t kSize = 1024 * 1024;

    void Hash(std::string_view bytes)
    {
        m_written += bytes.size();
        StartAsideFor(m_written);
        if (m_aside != nullptr)
            m_aside->Hand([this, bytes] { m_hash.Add(bytes); });
        else
            m_hash.Add(bytes);
    }

    void StartAsideFor(size_t bytes)
    {
        // The content hash takes about a quarter of FNV-1a's time a byte.
        if (m_aside == nullptr && WorthASecondThread(bytes / 4))
            m_aside = std::make_unique<WorkAside>();
    }

    HANDLE m_file;
    ContentHash& m_hash;
    std::string m_buffers[2];
    int m_current = 0;
    size_t m_written = 0;
    std::unique_ptr<WorkAside> m_aside;
};

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

}  // namespace

void CDataFileSync::UsePath(const std::string& path)
{
    m_path = path;
    m_known.Forget();
    if (m_window != nullptr)
        Watch(m_window, m_message);
}

DWORD CDataFileSync::Load(bool& intact)
{
    intact = false;
    // Entries that came from elsewhere before the file's keep identities of
    // their own.
    bool hadEntries = false;
    for (EntryId top : m_entries.Children(m_entries.Root()))
        hadEntries = hadEntries || m_entries.IsUserEntry(top);
    // Each read tried anew starts afresh.
    std::unique_ptr<EntryFileReader> reader;
    ContentHash hash;
    const PieceReader pieces{[&](size_t size) {
                                 reader.reset();
                                 reader = std::make_unique<EntryFileReader>(size);
                                 hash = ContentHash();
                             },
                             [&](std::string_view piece) {
                                 hash.Add(piece);
                                 reader->Add(piece);
                             }};
    FileStamp stamp;
    DWORD error = ReadInPieces(m_path, pieces, &stamp, kHeldFilePatienceMs);
    if (IsMissingFile(error) || reader == nullptr)
        return ErrorOr(error, ERROR_READ_FAULT);
    try {
        intact = reader->Finish(m_entries);
        // What was read is the base of every later merge, a damaged file's
        // readable part included.
        if (error == 0) {
            const bool derived = !reader->HadIdentities() && !hadEntries;
            m_known.Remember(KnownEntriesOf(m_entries, &m_textHashes), stamp, hash.Value(),
                             derived ? KnownFile::Derivable::Yes : KnownFile::Derivable::Unknown);
        }
    } catch (const std::bad_alloc&) {
        // The entries did not fit in memory: what was loaded stays, and the
        // file is one that could not be read whole.
        if (error == 0)
            error = ERROR_NOT_ENOUGH_MEMORY;
    }
    return error;
}

void CDataFileSync::Watch(HWND window, UINT message)
{
    StopWatching();
    m_window = window;
    m_message = message;
    if (m_path.empty() || std::getenv("QUIPMARK_NO_FILE_WATCH") != nullptr)
        return;
    m_watch.Start(FolderOf(m_path), window, message);
    if (std::getenv("QUIPMARK_NO_SLOW_CHECK") == nullptr)
        SetTimer(window, kCheckTimer, IsOnLocalFixedDrive(m_path) ? kLocalCheckMs : kCheckMs, nullptr);
}

void CDataFileSync::StopWatching()
{
    m_watch.Stop();
    if (m_window != nullptr) {
        KillTimer(m_window, kCheckTimer);
        KillTimer(m_window, kRetryTimer);
    }
}

void CDataFileSync::RetrySoon()
{
    if (m_window != nullptr && ++m_retries <= kMostRetries)
        SetTimer(m_window, kRetryTimer, kRetryMs, nullptr);
}

void CDataFileSync::FollowLater()
{
    if (m_window != nullptr)
        SetTimer(m_window, kRetryTimer, kRetryMs, nullptr);
}

FollowOutcome CDataFileSync::Follow(EntryChange& change, bool slow)
{
    FollowOutcome outcome;
    if (m_window != nullptr)
        KillTimer(m_window, kRetryTimer);
    if (m_path.empty())
        return outcome;
    if (m_saving) {
        // The save takes the change in itself; what it writes is looked at after.
        FollowLater();
        return outcome;
    }
    FileStamp stamp;
    // Every few seconds for months: a look that opens no file, except now
    // and then, to see a file of the same size and time put in the place
    // of this one. The folder's notices and every save look at it whole.
    if (slow && ++m_slowLooks % kFullLookEvery != 0 && LookAtSizeAndTime(m_path, stamp) &&
        !m_known.SizeOrTimeChanged(stamp))
        return outcome;
    if (LookAtFile(m_path, stamp)) {
        if (!m_known.MayHaveChanged(stamp))
            return outcome;
    } else if (IsMissingFile(GetLastError())) {
        // Gone: the entries stay, and the next save writes the file again.
        return outcome;
    }
    std::string bytes;
    const DWORD error = ReadWholeFile(m_path, bytes, &stamp);
    if (error != 0) {
        // Held, or unreadable for now: never taken as empty.
        if (!IsMissingFile(error))
            RetrySoon();
        return outcome;
    }
    try {
        outcome = m_known.Take(bytes, stamp, TakeVersioned(m_entries));
        if (outcome.step == FollowStep::Show || outcome.step == FollowStep::Merge)
            change = m_entries.ReplaceUserEntries(outcome.entries, &outcome.history);
    } catch (const std::bad_alloc&) {
        // The file's entries are not shown: they must not count as seen.
        // Nothing known, the next look merges both sides whole.
        m_known.Forget();
        outcome = FollowOutcome();
        outcome.step = FollowStep::TryAgain;
    }
    if (outcome.step == FollowStep::TryAgain)
        RetrySoon();
    else
        m_retries = 0;
    return outcome;
}

bool CDataFileSync::TakeOutsideChange(const FileStamp* replaced, const MergedStep& merged)
{
    // The file as this program last read or wrote it: nothing to take in.
    if (replaced != nullptr && !m_known.MayHaveChanged(*replaced))
        return true;
    FileStamp stamp;
    std::string bytes;
    DWORD error = ReadWholeFile(m_path, bytes, &stamp, kHeldFilePatienceMs);
    if (IsMissingFile(error))
        return true;
    if (error != 0) {
        SetLastError(error);
        return false;
    }
    const VersionedEntries ours = TakeVersioned(m_entries);
    FollowOutcome outcome = m_known.Take(bytes, stamp, ours);
    const DWORD start = GetTickCount();
    while (outcome.step == FollowStep::TryAgain) {
        // Half written by a program that writes in place: given a moment,
        // then taken as far as it reads, its bytes kept beside it.
        const bool lastLook = GetTickCount() - start >= kHalfWrittenPatienceMs;
        if (!lastLook)
            WaitHandlingMessages(CDataFileSync::kRetryMs / 4);
        error = ReadWholeFile(m_path, bytes, &stamp, kHeldFilePatienceMs);
        if (IsMissingFile(error))
            return true;
        if (error != 0) {
            SetLastError(error);
            return false;
        }
        outcome = m_known.Take(bytes, stamp, ours, lastLook);
    }
    if (outcome.step == FollowStep::Nothing)
        return true;
    const EntryChange change = m_entries.ReplaceUserEntries(outcome.entries, &outcome.history);
    return merged(outcome, change);
}

bool CDataFileSync::WriteEntries(HANDLE file, const FileStamp* replaced, const MergedStep& merged, ContentHash& hash,
                                 KnownEntries& written, KnownFile::Derivable& derivable)
{
    // Running short of memory here is a failed write: the half-written
    // temporary file must still go.
    try {
        if (!TakeOutsideChange(replaced, merged))
            return false;
        written = KnownEntriesOf(m_entries, &m_textHashes);
        // Saved as they were last read or written: whether the file needs
        // their identities is known without hashing every text again.
        derivable = m_known.DerivableOf(written);
        if (derivable == KnownFile::Derivable::Unknown)
            derivable = IdentitiesDerivable(m_entries) ? KnownFile::Derivable::Yes : KnownFile::Derivable::No;
        HashingWriter writer(file, hash, replaced != nullptr ? replaced->size : 0);
        const bool encoded = EncodeEntries(
            m_entries, [&](std::string_view piece) { return writer.Write(piece); },
            derivable == KnownFile::Derivable::No);
        return encoded && writer.Finish();
    } catch (const std::bad_alloc&) {
        // Whatever the file held may not be in the entries: the next save
        // merges both sides whole.
        m_known.Forget();
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
}

DWORD CDataFileSync::Save(const MergedStep& merged)
{
    if (m_saving)
        return ERROR_BUSY;
    const ScopedFlag saving(m_saving);
    ContentHash hash;
    KnownEntries entries;
    KnownFile::Derivable derivable = KnownFile::Derivable::Unknown;
    FileStamp written;
    const DWORD error = ReplaceFileContent(
        m_path,
        [&](HANDLE file, const FileStamp* replaced) {
            return WriteEntries(file, replaced, merged, hash, entries, derivable);
        },
        &written);
    if (error != 0)
        return error;
    m_known.Remember(std::move(entries), written, hash.Value(), derivable);
    m_retries = 0;
    return 0;
}
