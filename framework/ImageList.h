#pragma once
#include <windows.h>
#include <commctrl.h>

// An image list owned by this object.
class CImageList {
public:
    CImageList() = default;
    ~CImageList() { if (m_list != nullptr) ImageList_Destroy(m_list); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    bool Create(int cx, int cy, UINT flags, int initial, int grow)
    {
        m_list = ImageList_Create(cx, cy, flags, initial, grow);
        return m_list != nullptr;
    }
    int Add(HICON icon) const { return ImageList_AddIcon(m_list, icon); }
    HIMAGELIST Handle() const { return m_list; }

private:
    HIMAGELIST m_list = nullptr;
};
