#include "tree/DragDropTreeCtrl.h"
#include "res/resource.h"
#include "framework/Clipboard.h"
#include "framework/Handles.h"
#include "framework/OleDataSource.h"
#include "tree/DragScroll.h"
#include "entries/DropPlacement.h"
#include "tree/OleMyDropTarget.h"
#include "tree/TextBlock.h"
#include <cstring>
#include <new>
#include <vector>

namespace {

const UINT_PTR kDragTimer = 3;
const UINT kDragTimerMs = 75;
// A copied label is read through a buffer of this many characters, so it
// keeps at most one fewer.
const int kCopiedLabelCapacity = 255;

}  // namespace

bool CDragDropTreeCtrl::IsInClipboardBranch(HTREEITEM item) const
{
    if (item == nullptr || m_clipboardBranch == nullptr)
        return false;
    return item == m_clipboardBranch || Parent(item) == m_clipboardBranch;
}

int CDragDropTreeCtrl::Classify(HTREEITEM item) const
{
    if (item == nullptr)
        return 0;
    HTREEITEM parent = Parent(item);
    if (parent == nullptr)
        return 1;
    return parent == Root() ? 2 : 3;
}

bool CDragDropTreeCtrl::IsProtected(HTREEITEM item) const
{
    return item == Root() || IsInClipboardBranch(item);
}

bool CDragDropTreeCtrl::CanDropOn(HTREEITEM dragItem, HTREEITEM target) const
{
    if (target == nullptr || IsInClipboardBranch(target))
        return false;
    if (dragItem == nullptr)
        return true;
    if (target == dragItem || dragItem == Root())
        return false;
    for (HTREEITEM above = Parent(target); above != nullptr; above = Parent(above))
        if (above == dragItem)
            return false;
    return true;
}

bool CDragDropTreeCtrl::PreTranslateMessage(MSG* msg)
{
    if (msg->message != WM_KEYDOWN)
        return CTreeCtrl::PreTranslateMessage(msg);
    const WPARAM key = msg->wParam;
    if (EditControl() != nullptr) {
        // Enter and Escape end the label edit rather than reaching the
        // dialog's buttons; Delete and Ctrl combinations are the edit's own.
        if (key == VK_RETURN || key == VK_ESCAPE || key == VK_DELETE || GetKeyState(VK_CONTROL) < 0) {
            TranslateMessage(msg);
            DispatchMessageA(msg);
            return true;
        }
        return CTreeCtrl::PreTranslateMessage(msg);
    }
    if (key == VK_RETURN && msg->hwnd == m_hWnd) {
        if (HTREEITEM item = Selection()) {
            if (HasChildren(item))
                Expand(item, TVE_TOGGLE);
            else if (m_owner != nullptr)
                m_owner->DeliverEntry(item);
        }
    }
    return CTreeCtrl::PreTranslateMessage(msg);
}

bool CDragDropTreeCtrl::OnReflect(UINT msg, WPARAM, LPARAM lParam, LRESULT& result)
{
    if (msg != WM_NOTIFY)
        return false;
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    result = 0;
    switch (header->code) {
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
        result = OnBeginDrag(reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem);
        return true;
    case NM_RCLICK:
        OnContextMenu();
        return true;
    case TVN_KEYDOWN:
        OnKeyDown(reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey);
        return true;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
        result = IsProtected(reinterpret_cast<NMTVDISPINFOA*>(header)->item.hItem) ? TRUE : FALSE;
        return true;
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW:
        OnItemDeleted(reinterpret_cast<NMTREEVIEWA*>(header)->itemOld.hItem);
        return false;  // the dialog may want to know too
    default:
        return false;
    }
}

LRESULT CDragDropTreeCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_TIMER:
        if (m_dragging && wParam == m_dragTimer)
            OnDragTimer();
        break;
    case UM_DROP: {
        const char* text = reinterpret_cast<const char*>(wParam);
        return DropText(text != nullptr ? text : "", CursorPosInClient()) ? TRUE : FALSE;
    }
    case UM_DRAGOVER:
        return OnDragOver(reinterpret_cast<const POINT*>(lParam));
    case UM_DRAGLEAVE:
        // The drag left or failed: its drop mark goes; this tree's own drag
        // may still come back.
        SelectDropTarget(nullptr);
        if (!m_dragging)
            m_dragItem = nullptr;
        return 0;
    case UM_DRAGENTER:
        if (!m_dragging)
            m_dragItem = nullptr;
        return 0;
    case WM_COMMAND:
        // Commands of the context menu; the label edit's notifications
        // pass on to the dialog.
        if (lParam == 0 && LOWORD(wParam) == IDC_TREE_PASTE) {
            OnPasteCommand();
            return 0;
        }
        if (lParam == 0 && LOWORD(wParam) == IDC_TREE_CLEAR_HISTORY) {
            if (m_owner != nullptr)
                m_owner->ClearClipboardHistory();
            return 0;
        }
        break;
    default:
        break;
    }
    return Default(msg, wParam, lParam);
}

void CDragDropTreeCtrl::OnItemDeleted(HTREEITEM item)
{
    // A clipboard change during a drag rebuilds the history; a drop must not
    // then use the deleted item.
    if (item == m_dragItem)
        m_dragItem = nullptr;
    if (item == m_scrollItem)
        m_scrollItem = nullptr;
}

HGLOBAL CDragDropTreeCtrl::TextBlockOf(HTREEITEM item) const
{
    if (m_owner == nullptr)
        return nullptr;
    const std::string text = m_owner->EntryText(item);
    const size_t size = DragBlockSize(text.size());
    if (size == 0)
        return nullptr;
    ScopedGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, size));
    if (block.Get() == nullptr)
        return nullptr;
    {
        const GlobalLockOf<char> bytes(block.Get());
        if (bytes.Get() == nullptr)
            return nullptr;
        std::memcpy(bytes.Get(), text.data(), text.size());
    }
    return block.Release();
}

HGLOBAL CDragDropTreeCtrl::UnicodeBlockOf(HTREEITEM item) const
{
    if (m_owner == nullptr)
        return nullptr;
    const std::wstring text = m_owner->EntryUnicodeText(item);
    if (text.empty())
        return nullptr;
    return NewTextBlock(text);
}

LRESULT CDragDropTreeCtrl::OnBeginDrag(HTREEITEM item)
{
    // The copies of the text come first: should one fail, nothing of the
    // drag has begun.
    ScopedGlobal block(TextBlockOf(item));
    if (block.Get() == nullptr)
        return 0;
    // Without it a target reading Unicode gets the code page's question
    // marks: the drag carries the 8-bit text regardless.
    ScopedGlobal unicodeBlock(UnicodeBlockOf(item));
    COleDataSource* source = new (std::nothrow) COleDataSource;
    if (source == nullptr)
        return 0;
    source->CacheText(block.Release());
    source->CacheUnicodeText(unicodeBlock.Release());
    {
        const OwnDrag drag(*this, item);
        // Every drop copies: the dragged entry stays where it is.
        source->DoDragDrop(DROPEFFECT_COPY);
    }
    source->Release();
    return 0;
}

CDragDropTreeCtrl::OwnDrag::OwnDrag(CDragDropTreeCtrl& tree, HTREEITEM item)
    : m_tree(tree)
{
    m_tree.m_dragging = TRUE;
    m_tree.m_dragTimer = SetTimer(m_tree.m_hWnd, kDragTimer, kDragTimerMs, nullptr);
    m_tree.m_dragItem = item;
}

CDragDropTreeCtrl::OwnDrag::~OwnDrag()
{
    m_tree.m_dragging = FALSE;
    m_tree.m_dragItem = nullptr;
    KillTimer(m_tree.m_hWnd, m_tree.m_dragTimer);
    m_tree.SelectDropTarget(nullptr);
    ReleaseCapture();
}

void CDragDropTreeCtrl::OnDragTimer()
{
    ++m_ticks;
    const POINT point = CursorPosInClient();
    RECT client;
    GetClientRect(m_hWnd, &client);
    HTREEITEM firstVisible = FirstVisible();
    const ScrollStep step = DragScrollStep(m_ticks, point.x, point.y, client.left, client.top,
                                           client.right, client.bottom);
    if (step.vertical < 0) {
        Send(WM_VSCROLL, SB_LINEUP);
        SelectDropTarget(firstVisible);
        m_scrollItem = firstVisible;
    } else if (step.vertical > 0) {
        Send(WM_VSCROLL, SB_LINEDOWN);
        HTREEITEM item = firstVisible;
        const int visible = static_cast<int>(VisibleCount());
        for (int i = 1; i < visible && item != nullptr; ++i)
            item = NextVisible(item);
        if (item != nullptr)
            SelectDropTarget(item);
        m_scrollItem = item;
    }
    if (step.horizontal != 0) {
        Send(WM_HSCROLL, step.horizontal < 0 ? SB_LINELEFT : SB_LINERIGHT);
        const POINT probe = {step.horizontal < 0 ? client.left + 1 : client.right - 1, point.y};
        HTREEITEM hit = HitTest(probe, nullptr);
        if (hit == nullptr)
            hit = m_scrollItem;
        SelectDropTarget(hit);
        m_scrollItem = hit;
    }
}

LRESULT CDragDropTreeCtrl::OnDragOver(const POINT* point)
{
    if (point == nullptr)
        return DROPEFFECT_NONE;
    UINT flags = 0;
    HTREEITEM target = HitTest(*point, &flags);
    if (target == nullptr || (flags & TVHT_ONITEM) == 0 || !CanDropOn(m_dragItem, target))
        return DROPEFFECT_NONE;
    SelectDropTarget(target);
    return DROPEFFECT_COPY;
}

bool CDragDropTreeCtrl::DropText(const std::string& text, POINT point)
{
    UINT flags = 0;
    HTREEITEM target = HitTest(point, &flags);
    HTREEITEM inserted = nullptr;
    // The drop rule holds here as well, so no message can place an entry in
    // the clipboard history or a copy inside itself; and an empty text from
    // elsewhere would make an entry the data file cannot keep.
    if (m_owner != nullptr && target != nullptr && (flags & TVHT_ONITEM) != 0 &&
        CanDropOn(m_dragItem, target) && (m_dragItem != nullptr || !text.empty())) {
        static const DropTarget kKinds[] = {DropTarget::RootEntry, DropTarget::RootEntry,
                                            DropTarget::TopLevelEntry, DropTarget::ChildEntry};
        const int kind = Classify(target);
        const DropPlacement place = PlaceDrop(kKinds[kind >= 0 && kind <= 3 ? kind : 0],
                                              m_dragItem != nullptr && HasChildren(m_dragItem));
        HTREEITEM parent = place.parent == NewParent::RootEntry ? Root()
                         : place.parent == NewParent::Target ? target : Parent(target);
        HTREEITEM after = TVI_FIRST;
        switch (place.after) {
        case InsertAfter::ClipboardBranch:
            after = m_clipboardBranch != nullptr ? m_clipboardBranch : TVI_FIRST;
            break;
        case InsertAfter::FirstChild: after = TVI_FIRST; break;
        case InsertAfter::Target: after = target; break;
        case InsertAfter::TargetParent: after = Parent(target); break;
        }
        if (m_dragItem != nullptr)
            inserted = CopyBranch(m_dragItem, parent, after);
        else
            inserted = m_owner->InsertEntry(parent, after, text, text, 2);
    }
    if (inserted != nullptr) {
        m_owner->OnEntriesDropped(inserted);
        Select(inserted);
    }
    m_dragItem = nullptr;
    SelectDropTarget(nullptr);
    return inserted != nullptr;
}

HTREEITEM CDragDropTreeCtrl::CopyBranch(HTREEITEM source, HTREEITEM parent, HTREEITEM after)
{
    if (m_owner == nullptr || source == nullptr)
        return nullptr;
    const std::string text = m_owner->EntryText(source);
    // Wine fills the whole buffer where Windows leaves room for the zero.
    const std::string label = LabelUpTo(source, kCopiedLabelCapacity).substr(0, kCopiedLabelCapacity - 1);
    if (after == parent)
        after = TVI_FIRST;
    HTREEITEM copy = m_owner->InsertEntry(parent, after, label, text, Image(source));
    if (copy == nullptr)
        return nullptr;
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = Child(source); child != nullptr; child = NextSibling(child))
        children.push_back(child);
    // Each child goes first, so the copy lists them last to first.
    for (HTREEITEM child : children)
        CopyBranch(child, copy, TVI_FIRST);
    return copy;
}

void CDragDropTreeCtrl::OnContextMenu()
{
    POINT point = CursorPosInClient();
    HTREEITEM hit = HitTest(point, nullptr);
    Select(hit);
    const ScopedMenu menu(CreatePopupMenu());
    if (!menu)
        return;
    AppendMenuA(menu.Get(), MF_STRING | MF_GRAYED, IDC_TREE_PASTE, "&Paste");
    const bool inBranch = IsInClipboardBranch(hit);
    if (inBranch)
        AppendMenuA(menu.Get(), MF_STRING, IDC_TREE_CLEAR_HISTORY, "&Clear Clipboard History");
    m_pasteText = m_owner != nullptr ? m_owner->ReadClipboardText() : std::string();
    if (!m_pasteText.empty() && !inBranch)
        EnableMenuItem(menu.Get(), 0, MF_BYPOSITION | MF_ENABLED);

    ClientToScreen(m_hWnd, &point);
    // The window must be in the foreground, or the menu does not close when
    // the user clicks elsewhere.
    SetForegroundWindow(GetAncestor(m_hWnd, GA_ROOT));
    TrackPopupMenu(menu.Get(), TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

void CDragDropTreeCtrl::OnPasteCommand()
{
    if (m_owner == nullptr || HitTest(CursorPosInClient(), nullptr) == nullptr)
        return;
    // A copy: AddEntry may show a message box, during which the menu could
    // open again and replace the paste text.
    const std::string text = m_pasteText;
    m_owner->AddEntry(text);
}

void CDragDropTreeCtrl::OnKeyDown(WORD key)
{
    HTREEITEM selection = Selection();
    if (selection != nullptr && !IsProtected(selection)) {
        if (key == VK_F2)
            EditLabel(selection);
        else if (key == VK_DELETE && m_owner != nullptr)
            m_owner->RemoveSelectedEntry();
    }
    if (key == VK_DIVIDE && selection != nullptr) {
        HTREEITEM first = HasChildren(selection) ? Child(selection) : Parent(selection);
        for (HTREEITEM item = first; item != nullptr; item = NextSibling(item))
            Expand(item, TVE_COLLAPSE);
        Expand(selection, TVE_COLLAPSE);
    }
}
