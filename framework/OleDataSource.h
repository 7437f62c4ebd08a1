#pragma once
#include <windows.h>
#include <ole2.h>

// The data of a drag started by this program: one block of text
// (CF_TEXT in global memory), offered to whatever target it is dropped on.
// Also the drag's source: the left button's release drops, Escape cancels.
// Reference counted; the creator holds the first reference.
class COleDataSource : public IDataObject, public IDropSource {
public:
    COleDataSource() = default;
    virtual ~COleDataSource();
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Takes ownership of `block`, a movable global memory block of text.
    void CacheText(HGLOBAL block);
    // Takes ownership of `block`, the same text in Unicode (CF_UNICODETEXT),
    // offered beside it; null offers none.
    void CacheUnicodeText(HGLOBAL block);
    // Runs the platform's modal drag loop; the effect the drop reported, or
    // DROPEFFECT_NONE when the drag was cancelled or refused.
    DWORD DoDragDrop(DWORD allowedEffects);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDataObject
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                      DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;
    // IDropSource
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

private:
    // The block offered for `format`; null when there is none.
    HGLOBAL BlockFor(const FORMATETC* format) const;

    HGLOBAL m_text = nullptr;
    HGLOBAL m_unicodeText = nullptr;
    ULONG m_references = 1;
};
