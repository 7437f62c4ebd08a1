#include "tree/EntryTreeView.h"
#include "framework/Clipboard.h"
#include "framework/CodePage.h"
#include "framework/Handles.h"
#include "framework/OleDataSource.h"
#include "framework/RedrawPause.h"
#include "res/resource.h"
#include "tree/DragScroll.h"
#include "tree/TextDropTarget.h"
#include "tree/TextBlock.h"
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

namespace {

const UINT_PTR kDragTimer = 3;
const UINT kDragTimerMs = 75;

}  // namespace

void CEntryTreeView::Attach(const EntryTree* entries, IEntryTreeOwner* owner)
{
    m_entries = entries;
    m_owner = owner;
}

void CEntryTreeView::PreSubclassWindow()
{
    // Notifications in Unicode, so that labels can show every character.
    Send(TVM_SETUNICODEFORMAT, TRUE);
}

EntryId CEntryTreeView::EntryOf(HTREEITEM item) const
{
    return item != nullptr ? static_cast<EntryId>(Data(item)) : kNoEntry;
}

EntryId CEntryTreeView::SelectedEntry() const
{
    return m_entries->Contains(m_selected) ? m_selected : kNoEntry;
}

HTREEITEM CEntryTreeView::ItemOf(EntryId id) const
{
    const auto shown = m_shown.find(id);
    return shown != m_shown.end() ? shown->second.item : nullptr;
}

bool CEntryTreeView::IsFilled(EntryId id) const
{
    const auto shown = m_shown.find(id);
    return shown != m_shown.end() && shown->second.filled;
}

HTREEITEM CEntryTreeView::InsertItem(EntryId id, HTREEITEM parent, HTREEITEM after)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = LPSTR_TEXTCALLBACKW;
    insert.item.iImage = I_IMAGECALLBACK;
    insert.item.iSelectedImage = I_IMAGECALLBACK;
    insert.item.cChildren = m_entries->HasChildren(id) ? 1 : 0;
    insert.item.lParam = static_cast<LPARAM>(id);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    // The control makes an item out of memory of its own, and fails only
    // when there is none left.
    if (item == nullptr)
        throw std::bad_alloc();
    try {
        m_shown[id] = Shown{item, false};
    } catch (...) {
        Delete(item);
        throw;
    }
    return item;
}

void CEntryTreeView::Fill(EntryId id)
{
    const auto shown = m_shown.find(id);
    if (shown == m_shown.end() || shown->second.filled)
        return;
    HTREEITEM parent = shown->second.item;
    try {
        for (EntryId child : m_entries->Children(id))
            if (ItemOf(child) == nullptr)
                InsertItem(child, parent, TVI_LAST);
    } catch (const std::bad_alloc&) {
        Unfill(id);
        throw;
    }
    // Found again: the insertions may have grown the table.
    m_shown.find(id)->second.filled = true;
}

void CEntryTreeView::Unfill(EntryId id)
{
    HTREEITEM item = ItemOf(id);
    if (item == nullptr)
        return;
    m_shown.find(id)->second.filled = false;
    // Each deletion takes its item out of m_shown and allocates nothing.
    while (HTREEITEM child = Child(item))
        Delete(child);
    RefreshItem(id);
}

void CEntryTreeView::ShowAll()
{
    // A control not made yet shows the entries once it is.
    if (m_hWnd == nullptr)
        return;
    const RedrawPause pause(m_hWnd);
    Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    m_shown.clear();
    const EntryId root = m_entries->Root();
    if (HTREEITEM item = InsertItem(root, TVI_ROOT, TVI_LAST)) {
        Fill(root);
        Expand(item, TVE_EXPAND);
    }
}

HTREEITEM CEntryTreeView::ItemBefore(EntryId id) const
{
    const std::vector<EntryId>& siblings = m_entries->Children(m_entries->Parent(id));
    auto at = std::find(siblings.begin(), siblings.end(), id);
    while (at != siblings.begin() && at != siblings.end()) {
        --at;
        if (HTREEITEM item = ItemOf(*at))
            return item;
    }
    return TVI_FIRST;
}

void CEntryTreeView::RefreshItem(EntryId id)
{
    HTREEITEM item = ItemOf(id);
    if (item == nullptr)
        return;
    // Set anew, the callbacks make the control ask for the label and image
    // again and measure the label again.
    TVITEMW change = {};
    change.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    change.hItem = item;
    change.pszText = LPSTR_TEXTCALLBACKW;
    change.iImage = I_IMAGECALLBACK;
    change.iSelectedImage = I_IMAGECALLBACK;
    change.cChildren = m_entries->HasChildren(id) ? 1 : 0;
    Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

void CEntryTreeView::Follow(const EntryChange& change)
{
    if (m_hWnd == nullptr)
        return;
    for (EntryId id : change.removed)
        if (HTREEITEM item = ItemOf(id))
            Delete(item);  // its items go too, each reported deleted
    std::optional<RedrawPause> pause;
    for (EntryId id : change.inserted) {
        const EntryId parent = m_entries->Parent(id);
        if (!m_entries->Contains(id) || ItemOf(id) != nullptr || !IsFilled(parent))
            continue;
        if (!pause)
            pause.emplace(m_hWnd);
        try {
            InsertItem(id, ItemOf(parent), ItemBefore(id));
        } catch (const std::bad_alloc&) {
            // Short of memory part-way, the group would show some of its
            // entries and miss others: it shows none, collapsed, and makes
            // them all when it is next expanded, as after loading.
            Unfill(parent);
            Expand(ItemOf(parent), TVE_COLLAPSE | TVE_COLLAPSERESET);
        }
    }
    for (EntryId id : change.changed)
        RefreshItem(id);
}

HTREEITEM CEntryTreeView::Reveal(EntryId id)
{
    if (HTREEITEM item = ItemOf(id))
        return item;
    const EntryId parent = m_entries->Parent(id);
    if (parent == kNoEntry || Reveal(parent) == nullptr)
        return nullptr;
    Fill(parent);
    return ItemOf(id);
}

void CEntryTreeView::SelectEntry(EntryId id)
{
    HTREEITEM item = Reveal(id);
    if (item == nullptr)
        return;
    Select(item);
    Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    // Scrolled sideways to show a long label, the tree would lose its icons
    // and the start of every other label; the user may still scroll there.
    Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0));
}

LRESULT CEntryTreeView::OnCustomDraw(NMTVCUSTOMDRAW* draw)
{
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    // Without the focus the control shows the selection in a grey that is
    // hard to tell from none; a selection made for the user while they work
    // in another control of the dialog (the search's find) must be seen, so
    // it keeps the focused colours. With another program in front (a drag
    // from there) the drop target alone is shown so.
    HWND focus = GetFocus();
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && (draw->nmcd.uItemState & CDIS_SELECTED) != 0 &&
        focus != nullptr && focus != m_hWnd) {
        draw->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
        draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
    }
    return CDRF_DODEFAULT;
}

void CEntryTreeView::ExpandEntry(EntryId id)
{
    HTREEITEM item = Reveal(id);
    if (item == nullptr)
        return;
    Fill(id);
    Expand(item, TVE_EXPAND);
}

void CEntryTreeView::OnGetDispInfo(NMHDR* header)
{
    // The two forms of the record differ only in the label's characters.
    TVITEMW& item = reinterpret_cast<NMTVDISPINFOW*>(header)->item;
    const EntryId id = static_cast<EntryId>(item.lParam);
    // The control keeps what it is told until Follow tells it the entry
    // changed: asked anew for every measuring and painting, a large tree
    // would call here thousands of times for one insertion.
    item.mask |= TVIF_DI_SETITEM;
    if ((item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) != 0) {
        item.iImage = static_cast<int>(m_entries->Image(id));
        item.iSelectedImage = item.iImage;
    }
    if ((item.mask & TVIF_CHILDREN) != 0)
        item.cChildren = m_entries->HasChildren(id) ? 1 : 0;
    if ((item.mask & TVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0)
        return;
    const size_t room = static_cast<size_t>(item.cchTextMax) - 1;
    if (header->code == TVN_GETDISPINFOA) {
        const std::string label = m_entries->Label(id, room);
        char* text = reinterpret_cast<char*>(item.pszText);
        label.copy(text, room);
        text[label.size()] = '\0';
        return;
    }
    // A history entry shows the characters that were copied; every other
    // entry its 8-bit text as the code page shows it.
    m_labelBuffer = m_entries->UnicodeLabel(id, room);
    if (m_labelBuffer.empty())
        m_labelBuffer = FromSystemCodePage(m_entries->Label(id, room));
    m_labelBuffer.copy(item.pszText, room);
    item.pszText[m_labelBuffer.size()] = L'\0';
}

void CEntryTreeView::OnItemExpanding(NMTREEVIEWW* info)
{
    if ((info->action & TVE_EXPAND) != 0)
        Fill(static_cast<EntryId>(info->itemNew.lParam));
}

bool CEntryTreeView::PreTranslateMessage(MSG* msg)
{
    if (msg->message != WM_KEYDOWN)
        return CTreeCtrl::PreTranslateMessage(msg);
    const WPARAM key = msg->wParam;
    if (EditControl() != nullptr) {
        // Enter and Escape end the label edit rather than reaching the
        // dialog's buttons; Delete and Ctrl combinations are the edit's own.
        if (key == VK_RETURN || key == VK_ESCAPE || key == VK_DELETE || GetKeyState(VK_CONTROL) < 0) {
            TranslateMessage(msg);
            DispatchMessageW(msg);
            return true;
        }
        return CTreeCtrl::PreTranslateMessage(msg);
    }
    if (key == VK_RETURN && msg->hwnd == m_hWnd) {
        if (HTREEITEM item = Selection()) {
            const EntryId id = EntryOf(item);
            if (m_entries->HasChildren(id)) {
                Fill(id);
                Expand(item, TVE_TOGGLE);
            } else if (m_owner != nullptr) {
                m_owner->DeliverEntry(id);
            }
        }
    }
    return CTreeCtrl::PreTranslateMessage(msg);
}

bool CEntryTreeView::OnReflect(UINT msg, WPARAM, LPARAM lParam, LRESULT& result)
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
    case NM_CUSTOMDRAW:
        result = OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
        return true;
    case TVN_KEYDOWN:
        OnKeyDown(reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey);
        return true;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
        result = m_entries->IsUserEntry(static_cast<EntryId>(reinterpret_cast<NMTVDISPINFOW*>(header)->item.lParam))
                     ? FALSE : TRUE;
        return true;
    case TVN_GETDISPINFOA:
    case TVN_GETDISPINFOW:
        OnGetDispInfo(header);
        return true;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
        OnItemExpanding(reinterpret_cast<NMTREEVIEWW*>(header));
        return true;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
        const TVITEMW& selected = reinterpret_cast<NMTREEVIEWW*>(header)->itemNew;
        m_selected = selected.hItem != nullptr ? static_cast<EntryId>(selected.lParam) : kNoEntry;
        return false;  // the dialog follows the selection too
    }
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW: {
        const TVITEMW& old = reinterpret_cast<NMTREEVIEWW*>(header)->itemOld;
        OnItemDeleted(old.hItem, old.lParam);
        return false;  // the dialog may want to know too
    }
    default:
        return false;
    }
}

LRESULT CEntryTreeView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_TIMER:
        if (m_dragging && wParam == m_dragTimer)
            OnDragTimer();
        break;
    case UM_DROP: {
        const ClipboardTexts* dropped = reinterpret_cast<const ClipboardTexts*>(wParam);
        return DropText(dropped != nullptr ? *dropped : ClipboardTexts(), CursorPosInClient()) ? TRUE : FALSE;
    }
    case UM_DRAGOVER:
        return OnDragOver(reinterpret_cast<const POINT*>(lParam));
    case UM_DRAGLEAVE:
        // The drag left or failed: its drop mark goes; this tree's own drag
        // may still come back.
        SelectDropTarget(nullptr);
        if (!m_dragging)
            m_dragEntry = kNoEntry;
        return 0;
    case UM_DRAGENTER:
        if (!m_dragging)
            m_dragEntry = kNoEntry;
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

void CEntryTreeView::OnItemDeleted(HTREEITEM item, LPARAM data)
{
    const auto shown = m_shown.find(static_cast<EntryId>(data));
    if (shown != m_shown.end() && shown->second.item == item)
        m_shown.erase(shown);
    if (item == m_scrollItem)
        m_scrollItem = nullptr;
}

HGLOBAL CEntryTreeView::TextBlockOf(EntryId id) const
{
    const std::string& text = m_entries->Text(id);
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

HGLOBAL CEntryTreeView::UnicodeBlockOf(EntryId id) const
{
    const std::wstring& text = m_entries->UnicodeText(id);
    if (text.empty())
        return nullptr;
    return NewTextBlock(text);
}

LRESULT CEntryTreeView::OnBeginDrag(HTREEITEM item)
{
    const EntryId id = EntryOf(item);
    // The copies of the text come first: should one fail, nothing of the
    // drag has begun.
    ScopedGlobal block(TextBlockOf(id));
    if (block.Get() == nullptr)
        return 0;
    // Without it a target reading Unicode gets the code page's question
    // marks: the drag carries the 8-bit text regardless.
    ScopedGlobal unicodeBlock(UnicodeBlockOf(id));
    COleDataSource* source = new (std::nothrow) COleDataSource;
    if (source == nullptr)
        return 0;
    source->CacheText(block.Release());
    source->CacheUnicodeText(unicodeBlock.Release());
    {
        const OwnDrag drag(*this, id);
        // Every drop copies: the dragged entry stays where it is.
        source->DoDragDrop(DROPEFFECT_COPY);
    }
    source->Release();
    return 0;
}

CEntryTreeView::OwnDrag::OwnDrag(CEntryTreeView& tree, EntryId dragged)
    : m_tree(tree)
{
    m_tree.m_dragging = true;
    m_tree.m_dragTimer = SetTimer(m_tree.m_hWnd, kDragTimer, kDragTimerMs, nullptr);
    m_tree.m_dragEntry = dragged;
}

CEntryTreeView::OwnDrag::~OwnDrag()
{
    m_tree.m_dragging = false;
    m_tree.m_dragEntry = kNoEntry;
    KillTimer(m_tree.m_hWnd, m_tree.m_dragTimer);
    m_tree.SelectDropTarget(nullptr);
    ReleaseCapture();
}

void CEntryTreeView::OnDragTimer()
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

LRESULT CEntryTreeView::OnDragOver(const POINT* point)
{
    if (point == nullptr)
        return DROPEFFECT_NONE;
    UINT flags = 0;
    HTREEITEM target = HitTest(*point, &flags);
    if (target == nullptr || (flags & TVHT_ONITEM) == 0 || !m_entries->CanDropOn(DroppedEntry(), EntryOf(target)))
        return DROPEFFECT_NONE;
    SelectDropTarget(target);
    return DROPEFFECT_COPY;
}

EntryId CEntryTreeView::DroppedEntry() const
{
    // A history entry that a clipboard change removed during its drag comes
    // as the text the drag carries, as from elsewhere.
    return m_entries->Contains(m_dragEntry) ? m_dragEntry : kNoEntry;
}

bool CEntryTreeView::DropText(const ClipboardTexts& dropped, POINT point)
{
    UINT flags = 0;
    HTREEITEM target = HitTest(point, &flags);
    const bool made = m_owner != nullptr && target != nullptr && (flags & TVHT_ONITEM) != 0 &&
                      m_owner->DropOnEntry(EntryOf(target), DroppedEntry(), dropped);
    m_dragEntry = kNoEntry;
    SelectDropTarget(nullptr);
    return made;
}

void CEntryTreeView::OnContextMenu()
{
    POINT point = CursorPosInClient();
    HTREEITEM hit = HitTest(point, nullptr);
    Select(hit);
    const ScopedMenu menu(CreatePopupMenu());
    if (!menu)
        return;
    AppendMenuA(menu.Get(), MF_STRING | MF_GRAYED, IDC_TREE_PASTE, "&Paste");
    const bool inBranch = m_entries->IsInHistory(EntryOf(hit));
    if (inBranch)
        AppendMenuA(menu.Get(), MF_STRING, IDC_TREE_CLEAR_HISTORY, "&Clear Clipboard History");
    m_pasteText = m_owner != nullptr ? m_owner->ReadClipboardText() : ClipboardTexts();
    if (!m_pasteText.text.empty() && !inBranch)
        EnableMenuItem(menu.Get(), 0, MF_BYPOSITION | MF_ENABLED);

    ClientToScreen(m_hWnd, &point);
    // The window must be in the foreground, or the menu does not close when
    // the user clicks elsewhere.
    SetForegroundWindow(GetAncestor(m_hWnd, GA_ROOT));
    TrackPopupMenu(menu.Get(), TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

void CEntryTreeView::OnPasteCommand()
{
    if (m_owner == nullptr || HitTest(CursorPosInClient(), nullptr) == nullptr)
        return;
    // A copy: AddEntry may show a message box, during which the menu could
    // open again and replace the paste text.
    const ClipboardTexts texts = m_pasteText;
    m_owner->AddEntry(texts.text, texts.unicode);
}

void CEntryTreeView::OnKeyDown(WORD key)
{
    HTREEITEM selection = Selection();
    if (selection != nullptr && m_entries->IsUserEntry(EntryOf(selection))) {
        if (key == VK_F2)
            EditLabel(selection);
        else if (key == VK_DELETE && m_owner != nullptr)
            m_owner->RemoveSelectedEntry();
    }
    if (key == VK_DIVIDE && selection != nullptr) {
        HTREEITEM first = m_entries->HasChildren(EntryOf(selection)) ? Child(selection) : Parent(selection);
        for (HTREEITEM item = first; item != nullptr; item = NextSibling(item))
            Expand(item, TVE_COLLAPSE);
        Expand(selection, TVE_COLLAPSE);
    }
}
