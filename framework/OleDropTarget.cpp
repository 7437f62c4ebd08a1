#include "framework/OleDropTarget.h"

COleDropTarget::~COleDropTarget()
{
    Revoke();
    ForgetData();
}

bool COleDropTarget::Register(HWND hwnd)
{
    if (m_hWnd != nullptr || hwnd == nullptr)
        return false;
    if (FAILED(RegisterDragDrop(hwnd, this)))
        return false;
    m_hWnd = hwnd;
    return true;
}

void COleDropTarget::Revoke()
{
    if (m_hWnd == nullptr)
        return;
    if (IsWindow(m_hWnd))
        RevokeDragDrop(m_hWnd);
    m_hWnd = nullptr;
}

bool COleDropTarget::OffersText(IDataObject* data)
{
    if (data == nullptr)
        return false;
    // Many programs offer only the Unicode form, which a drag, unlike the
    // clipboard, does not turn into the 8-bit one.
    FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (data->QueryGetData(&format) == S_OK)
        return true;
    format.cfFormat = CF_UNICODETEXT;
    return data->QueryGetData(&format) == S_OK;
}

HRESULT STDMETHODCALLTYPE COleDropTarget::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE COleDropTarget::AddRef()
{
    return ++m_references;
}

ULONG STDMETHODCALLTYPE COleDropTarget::Release()
{
    return m_references > 0 ? --m_references : 0;
}

HRESULT COleDropTarget::Refuse(DWORD* effect)
{
    // A window that failed to answer takes nothing; the exception stays
    // here, as the system's code calling us knows nothing of it.
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

POINT COleDropTarget::ToClient(POINTL point) const
{
    POINT client = {point.x, point.y};
    ScreenToClient(m_hWnd, &client);
    return client;
}

void COleDropTarget::ForgetData()
{
    if (m_data != nullptr) {
        m_data->Release();
        m_data = nullptr;
    }
}

HRESULT STDMETHODCALLTYPE COleDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                                    DWORD* effect)
{
    if (effect == nullptr)
        return E_INVALIDARG;
    ForgetData();
    m_data = data;
    if (m_data != nullptr)
        m_data->AddRef();
    try {
        *effect &= m_hWnd != nullptr ? OnDragEnter(m_hWnd, data, keyState, ToClient(point)) : DROPEFFECT_NONE;
    } catch (...) {
        return Refuse(effect);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect)
{
    if (effect == nullptr)
        return E_INVALIDARG;
    try {
        *effect &= m_hWnd != nullptr && m_data != nullptr
            ? OnDragOver(m_hWnd, m_data, keyState, ToClient(point)) : DROPEFFECT_NONE;
    } catch (...) {
        return Refuse(effect);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleDropTarget::DragLeave()
{
    HRESULT result = S_OK;
    try {
        if (m_hWnd != nullptr)
            OnDragLeave(m_hWnd);
    } catch (...) {
        result = E_UNEXPECTED;
    }
    ForgetData();
    return result;
}

HRESULT STDMETHODCALLTYPE COleDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point,
                                               DWORD* effect)
{
    if (effect == nullptr)
        return E_INVALIDARG;
    if (m_hWnd == nullptr || data == nullptr) {
        *effect = DROPEFFECT_NONE;
        ForgetData();
        return S_OK;
    }
    // The window has the last word on the effect at the drop point; where it
    // refuses, the drag leaves instead of dropping.
    if (data != m_data) {
        ForgetData();
        m_data = data;
        m_data->AddRef();
    }
    const POINT client = ToClient(point);
    try {
        const DWORD allowed = *effect & OnDragOver(m_hWnd, data, keyState, client);
        if (allowed == DROPEFFECT_NONE) {
            *effect = DROPEFFECT_NONE;
            OnDragLeave(m_hWnd);
        } else if (!OnDrop(m_hWnd, data, allowed, client)) {
            *effect = DROPEFFECT_NONE;
        } else {
            *effect = allowed;
        }
    } catch (...) {
        // The window is told the drag is over, so it takes its drop mark
        // away; the source learns that nothing was dropped.
        DragLeave();
        *effect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
    ForgetData();
    return S_OK;
}

DWORD COleDropTarget::OnDragEnter(HWND, IDataObject*, DWORD, POINT)
{
    return DROPEFFECT_NONE;
}

DWORD COleDropTarget::OnDragOver(HWND, IDataObject*, DWORD, POINT)
{
    return DROPEFFECT_NONE;
}

BOOL COleDropTarget::OnDrop(HWND, IDataObject*, DWORD, POINT)
{
    return FALSE;
}

void COleDropTarget::OnDragLeave(HWND)
{
}
