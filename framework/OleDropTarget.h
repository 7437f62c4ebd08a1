#pragma once
#include <windows.h>
#include <ole2.h>

// A drop target for one window: the platform's drag events, with the
// pointer in the window's client coordinates, reach the virtual On...
// handlers. The object lives as long as its owner and is never deleted
// through its reference count.
class COleDropTarget : public IDropTarget {
public:
    COleDropTarget() = default;
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    bool Register(HWND hwnd);
    void Revoke();
    HWND Window() const { return m_hWnd; }

    // True when the data offers text, 8-bit or Unicode, as a block of
    // global memory.
    static bool OffersText(IDataObject* data);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDropTarget
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point,
                                   DWORD* effect) override;

protected:
    virtual DWORD OnDragEnter(HWND hwnd, IDataObject* data, DWORD keyState, POINT point);
    virtual DWORD OnDragOver(HWND hwnd, IDataObject* data, DWORD keyState, POINT point);
    virtual BOOL OnDrop(HWND hwnd, IDataObject* data, DWORD effect, POINT point);
    virtual void OnDragLeave(HWND hwnd);

private:
    static HRESULT Refuse(DWORD* effect);
    POINT ToClient(POINTL point) const;
    void ForgetData();

    HWND m_hWnd = nullptr;
    ULONG m_references = 0;
    IDataObject* m_data = nullptr;  // the data of the drag over the window now
};
