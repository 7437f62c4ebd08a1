#include "framework/OleDataSource.h"
#include "framework/Handles.h"
#include <cstring>
#include <shlobj.h>

namespace {

FORMATETC TextFormat(CLIPFORMAT clipFormat)
{
    FORMATETC format = {clipFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return format;
}

bool AsksFor(const FORMATETC* format, CLIPFORMAT clipFormat)
{
    return format->cfFormat == clipFormat && (format->tymed & TYMED_HGLOBAL) != 0 &&
           format->dwAspect == DVASPECT_CONTENT;
}

}  // namespace

COleDataSource::~COleDataSource()
{
    if (m_text != nullptr)
        GlobalFree(m_text);
    if (m_unicodeText != nullptr)
        GlobalFree(m_unicodeText);
}

void COleDataSource::CacheText(HGLOBAL block)
{
    if (m_text != nullptr)
        GlobalFree(m_text);
    m_text = block;
}

void COleDataSource::CacheUnicodeText(HGLOBAL block)
{
    if (m_unicodeText != nullptr)
        GlobalFree(m_unicodeText);
    m_unicodeText = block;
}

HGLOBAL COleDataSource::BlockFor(const FORMATETC* format) const
{
    if (AsksFor(format, CF_TEXT))
        return m_text;
    if (AsksFor(format, CF_UNICODETEXT))
        return m_unicodeText;
    return nullptr;
}

DWORD COleDataSource::DoDragDrop(DWORD allowedEffects)
{
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = ::DoDragDrop(this, this, allowedEffects, &effect);
    return result == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

HRESULT STDMETHODCALLTYPE COleDataSource::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject))
        *object = static_cast<IDataObject*>(this);
    else if (IsEqualIID(iid, IID_IDropSource))
        *object = static_cast<IDropSource*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE COleDataSource::AddRef()
{
    return ++m_references;
}

ULONG STDMETHODCALLTYPE COleDataSource::Release()
{
    const ULONG left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE COleDataSource::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (format == nullptr || medium == nullptr)
        return E_INVALIDARG;
    HGLOBAL block = BlockFor(format);
    if (block == nullptr)
        return DV_E_FORMATETC;
    // The receiver owns and frees what it gets: a copy of the block.
    const SIZE_T size = GlobalSize(block);
    ScopedGlobal copy(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size));
    if (copy.Get() == nullptr)
        return E_OUTOFMEMORY;
    {
        const GlobalLockOf<const void> from(block);
        const GlobalLockOf<void> to(copy.Get());
        if (from.Get() == nullptr || to.Get() == nullptr)
            return E_OUTOFMEMORY;
        std::memcpy(to.Get(), from.Get(), size);
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy.Release();
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleDataSource::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleDataSource::QueryGetData(FORMATETC* format)
{
    if (format == nullptr)
        return E_INVALIDARG;
    return BlockFor(format) != nullptr ? S_OK : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE COleDataSource::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out)
{
    if (out != nullptr)
        out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleDataSource::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleDataSource::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats)
{
    if (formats == nullptr)
        return E_INVALIDARG;
    *formats = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL;
    FORMATETC offered[2];
    UINT count = 0;
    if (m_text != nullptr)
        offered[count++] = TextFormat(CF_TEXT);
    if (m_unicodeText != nullptr)
        offered[count++] = TextFormat(CF_UNICODETEXT);
    return SHCreateStdEnumFmtEtc(count, offered, formats);
}

HRESULT STDMETHODCALLTYPE COleDataSource::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE COleDataSource::DUnadvise(DWORD)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE COleDataSource::EnumDAdvise(IEnumSTATDATA**)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE COleDataSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState)
{
    // The drag began with the left button; the right one cancels it too.
    if (escapePressed || (keyState & MK_RBUTTON) != 0)
        return DRAGDROP_S_CANCEL;
    if ((keyState & MK_LBUTTON) == 0)
        return DRAGDROP_S_DROP;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleDataSource::GiveFeedback(DWORD)
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}
