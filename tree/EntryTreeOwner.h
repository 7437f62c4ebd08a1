#pragma once
#include "entries/EntryTree.h"
#include "framework/Clipboard.h"
#include <string>

// What the entry tree asks of the window that keeps the entries: the
// commands that its keys, drops and context menu start. Each changes the
// entries there, and the tree follows.
class IEntryTreeOwner {
public:
    // Drops a copy of the tree's own entry `dragged`, or `dropped` from
    // elsewhere when `dragged` is kNoEntry, on `target`; true when an entry
    // was made.
    virtual bool DropOnEntry(EntryId target, EntryId dragged, const ClipboardTexts& dropped) = 0;
    // Hands out an entry's text, as a double click does.
    virtual void DeliverEntry(EntryId id) = 0;
    // Adds `text` as "&Add" does; `unicode`, where not empty, is the text
    // with every character and `text` the code page's form of it.
    virtual bool AddEntry(const std::string& text, const std::wstring& unicode = std::wstring()) = 0;
    virtual void RemoveSelectedEntry() = 0;
    virtual void ClearClipboardHistory() = 0;
    // The clipboard's text in both forms; empty when it holds none.
    virtual ClipboardTexts ReadClipboardText() = 0;

protected:
    ~IEntryTreeOwner() = default;
};
