#pragma once
#include <functional>
#include <string>
#include <string_view>

// The data file is a plain sequence of records: a tag byte ("K" a top-level
// entry, "e" a child of the nearest preceding top-level entry), the text's
// length as 4 bytes least significant first, then the text itself.

enum class RecordKind { TopLevel, Child };

const char kTopLevelTag = 'K';
const char kChildTag = 'e';
const size_t kRecordHeaderSize = 5;

// Appends one record for `text` to `out`.
void AppendRecord(std::string& out, RecordKind kind, std::string_view text);
// Appends the header of a record whose text is `length` bytes long.
void AppendRecordHeader(std::string& out, RecordKind kind, size_t length);

// Reports each entry the bytes hold, in order. A record of length 0 creates
// no entry. Returns false when the data is corrupt (an unknown tag, a child
// before any non-empty top-level entry, or a record running past the end);
// the entries before the fault have been reported, nothing after it.
bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry);
