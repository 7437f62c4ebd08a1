#include "tree/TextDropTarget.h"
#include "framework/CodePage.h"
#include "framework/Handles.h"
#include "tree/TextBlock.h"

namespace {

// The text of the data's CF_TEXT block; false when it has none.
bool DroppedText(IDataObject* data, std::string& text)
{
    FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (data->GetData(&format, &medium) != S_OK)
        return false;
    bool ok = false;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
        const GlobalLockOf<const char> bytes(medium.hGlobal);
        if (bytes.Get() != nullptr) {
            text = TextOfBlock(bytes.Get(), bytes.Size());
            ok = true;
        }
    }
    ReleaseStgMedium(&medium);
    return ok;
}

// The text of the data's CF_UNICODETEXT block, up to its first zero; empty
// when it has none.
std::wstring DroppedUnicodeText(IDataObject* data)
{
    FORMATETC format = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (data->QueryGetData(&format) != S_OK || data->GetData(&format, &medium) != S_OK)
        return std::wstring();
    std::wstring text;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
        const GlobalLockOf<const wchar_t> units(medium.hGlobal);
        if (units.Get() != nullptr) {
            const size_t count = units.Size() / sizeof(wchar_t);
            size_t length = 0;
            while (length < count && units.Get()[length] != L'\0')
                ++length;
            text.assign(units.Get(), length);
        }
    }
    ReleaseStgMedium(&medium);
    return text;
}

}  // namespace

DWORD CTextDropTarget::OnDragEnter(HWND hwnd, IDataObject*, DWORD keyState, POINT)
{
    SendMessageA(hwnd, UM_DRAGENTER, keyState, 0);
    return DROPEFFECT_COPY | DROPEFFECT_MOVE;
}

DWORD CTextDropTarget::OnDragOver(HWND hwnd, IDataObject* data, DWORD keyState, POINT point)
{
    if (!OffersText(data))
        return DROPEFFECT_NONE;
    return static_cast<DWORD>(SendMessageA(hwnd, UM_DRAGOVER, keyState, reinterpret_cast<LPARAM>(&point)));
}

BOOL CTextDropTarget::OnDrop(HWND hwnd, IDataObject* data, DWORD effect, POINT)
{
    if (!OffersText(data))
        return FALSE;
    // The Unicode form where offered: it keeps what the code page lacks.
    ClipboardTexts dropped;
    dropped.unicode = DroppedUnicodeText(data);
    if (!DroppedText(data, dropped.text)) {
        // Offered in Unicode alone: the 8-bit text is its best form in the
        // code page, as for a text typed into the dialog.
        if (dropped.unicode.empty())
            return FALSE;
        dropped.text = ToSystemCodePageLossy(dropped.unicode);
    }
    SendMessageA(hwnd, UM_DROP, reinterpret_cast<WPARAM>(&dropped), static_cast<LPARAM>(effect));
    return TRUE;
}

void CTextDropTarget::OnDragLeave(HWND hwnd)
{
    SendMessageA(hwnd, UM_DRAGLEAVE, 0, 0);
}
