#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>

// What the entry tree asks of the window that keeps the entries: their full
// texts, and the editing commands that its keys, drops and context menu
// start. The tree knows nothing else of its owner.
class IEntryTreeOwner {
public:
    // The full text of an item, of which the label may show only the start.
    virtual std::string EntryText(HTREEITEM item) const = 0;
    // The Unicode text a clipboard history item was copied as; empty for
    // every other item.
    virtual std::wstring EntryUnicodeText(HTREEITEM item) const = 0;
    // Inserts an item holding `text`, labelled with the start of `label`.
    virtual HTREEITEM InsertEntry(HTREEITEM parent, HTREEITEM after, const std::string& label,
                                  const std::string& text, int image) = 0;
    // A drop inserted `inserted`, with any children it has.
    virtual void OnEntriesDropped(HTREEITEM inserted) = 0;
    // Hands out an item's text, as a double click does.
    virtual void DeliverEntry(HTREEITEM item) = 0;
    virtual bool AddEntry(const std::string& text) = 0;
    virtual void RemoveSelectedEntry() = 0;
    virtual void ClearClipboardHistory() = 0;
    // The clipboard's text; empty when it holds none.
    virtual std::string ReadClipboardText() = 0;

protected:
    ~IEntryTreeOwner() = default;
};
