#include "entries/EntryFile.h"
#include "entries/RecordCodec.h"

bool EncodeEntries(const EntryTree& tree, const std::function<bool(std::string_view)>& write)
{
    std::string header;
    auto record = [&](RecordKind kind, const std::string& text) {
        header.clear();
        AppendRecordHeader(header, kind, text.size());
        return write(header) && write(text);
    };
    for (EntryId top : tree.Children(tree.Root())) {
        if (top == tree.ClipboardBranch())
            continue;
        if (!record(RecordKind::TopLevel, tree.Text(top)))
            return false;
        for (EntryId child : tree.Children(top))
            if (!record(RecordKind::Child, tree.Text(child)))
                return false;
    }
    return true;
}

std::string EncodeEntries(const EntryTree& tree)
{
    std::string bytes;
    EncodeEntries(tree, [&](std::string_view piece) {
        bytes.append(piece.data(), piece.size());
        return true;
    });
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
