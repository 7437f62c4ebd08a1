#pragma once
#include <windows.h>

// An icon owned by this object, loaded from the resources at the size asked
// for; Windows takes the image of that size from the icon, or scales the
// nearest one. Not shared (LR_SHARED): a shared icon is cached by name alone,
// so the small and the large size of one icon would come back as one size.
class CIcon {
public:
    CIcon() = default;
    ~CIcon() { Reset(); }
    CIcon(const CIcon&) = delete;
    CIcon& operator=(const CIcon&) = delete;

    bool Load(HINSTANCE instance, UINT id, int cx, int cy)
    {
        Reset();
        m_icon = static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
        return m_icon != nullptr;
    }
    // The sizes of the display scale the program started at.
    bool LoadSmall(HINSTANCE instance, UINT id)
    {
        return Load(instance, id, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    }
    bool LoadLarge(HINSTANCE instance, UINT id)
    {
        return Load(instance, id, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    }
    HICON Handle() const { return m_icon; }

private:
    void Reset()
    {
        if (m_icon != nullptr)
            DestroyIcon(m_icon);
        m_icon = nullptr;
    }
    HICON m_icon = nullptr;
};
