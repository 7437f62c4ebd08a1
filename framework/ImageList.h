#pragma once
#include "framework/CommonControls.h"
#include <commctrl.h>

// An image list owned by this object. The common controls' library is
// reached when a list is first made.
class CImageList {
public:
    CImageList() = default;
    ~CImageList()
    {
        if (m_list != nullptr)
            CommonControlsFunction<decltype(&ImageList_Destroy)>("ImageList_Destroy")(m_list);
    }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    bool Create(int cx, int cy, UINT flags, int initial, int grow)
    {
        const auto create = CommonControlsFunction<decltype(&ImageList_Create)>("ImageList_Create");
        m_list = create != nullptr ? create(cx, cy, flags, initial, grow) : nullptr;
        return m_list != nullptr;
    }
    // Adds a copy of `icon` at the end.
    int Add(HICON icon) const
    {
        return CommonControlsFunction<decltype(&ImageList_ReplaceIcon)>("ImageList_ReplaceIcon")(m_list, -1, icon);
    }
    HIMAGELIST Handle() const { return m_list; }

private:
    HIMAGELIST m_list = nullptr;
};
