#pragma once
#include "entries/EntryTree.h"
#include <string>

// What the entry tree asks of the window that keeps the entries: the
// commands that its keys, drops and context menu start. Each changes the
// entries there, and the tree follows.
class IEntryTreeOwner {
public:
    // Drops a copy of the tree's own entry `dragged`, or `text` from
    // elsewhere when `dragged` is kNoEntry, on `target`; true when an entry
    // was made.
    virtual bool DropOnEntry(EntryId target, EntryId dragged, const std::string& text) = 0;
    // Hands out an entry's text, as a double click does.
    virtual void DeliverEntry(EntryId id) = 0;
    virtual bool AddEntry(const std::string& text) = 0;
    virtual void RemoveSelectedEntry() = 0;
    virtual void ClearClipboardHistory() = 0;
    // The clipboard's text; empty when it holds none.
    virtual std::string ReadClipboardText() = 0;

protected:
    ~IEntryTreeOwner() = default;
};
