#include "entries/EntryFile.h"
#include "entries/RecordCodec.h"

std::string EncodeEntries(const EntryTree& tree)
{
    std::string bytes;
    size_t size = 0;
    for (EntryId top : tree.Children(tree.Root())) {
        if (top == tree.ClipboardBranch())
            continue;
        size += kRecordHeaderSize + tree.Text(top).size();
        for (EntryId child : tree.Children(top))
            size += kRecordHeaderSize + tree.Text(child).size();
    }
    bytes.reserve(size);
    for (EntryId top : tree.Children(tree.Root())) {
        if (top == tree.ClipboardBranch())
            continue;
        AppendRecord(bytes, RecordKind::TopLevel, tree.Text(top));
        for (EntryId child : tree.Children(top))
            AppendRecord(bytes, RecordKind::Child, tree.Text(child));
    }
    return bytes;
}

bool DecodeEntries(std::string_view data, EntryTree& tree)
{
    EntryId group = kNoEntry;
    return DecodeEntries(data, [&](RecordKind kind, std::string_view text) {
        if (kind == RecordKind::TopLevel)
            group = tree.Append(tree.Root(), std::string(text));
        else if (group != kNoEntry)
            tree.Append(group, std::string(text));
    });
}
