#pragma once
#include "framework/CommonControls.h"
#include <windows.h>
#include <commctrl.h>
#include <string>

// A tooltip window created for (and owned by) one window, with tools that
// are identified by that window and an id. The tooltip sees the mouse only
// through RelayEvent. Destroyed with this object.
class CToolTipCtrl {
public:
    CToolTipCtrl() = default;
    ~CToolTipCtrl() { Destroy(); }
    CToolTipCtrl(const CToolTipCtrl&) = delete;
    CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;

    bool Create(HWND owner)
    {
        Destroy();
        m_owner = owner;
        LoadCommonControls();
        m_hWnd = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        return m_hWnd != nullptr;
    }
    void Destroy()
    {
        if (m_hWnd != nullptr && IsWindow(m_hWnd))
            DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
    HWND Handle() const { return m_hWnd; }

    bool AddTool(UINT_PTR id, const std::string& text, const RECT& rect) const
    {
        TTTOOLINFOA info = Info(id);
        info.rect = rect;
        info.lpszText = const_cast<char*>(text.c_str());
        return Send(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    }
    void UpdateTipText(UINT_PTR id, const std::string& text) const
    {
        TTTOOLINFOA info = Info(id);
        info.lpszText = const_cast<char*>(text.c_str());
        Send(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    }
    void SetToolRect(UINT_PTR id, const RECT& rect) const
    {
        TTTOOLINFOA info = Info(id);
        info.rect = rect;
        Send(TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
    }
    void RelayEvent(MSG* msg) const { Send(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }

private:
    TTTOOLINFOA Info(UINT_PTR id) const
    {
        TTTOOLINFOA info = {};
        info.cbSize = sizeof(info);
        info.hwnd = m_owner;
        info.uId = id;
        return info;
    }
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) const
    {
        return m_hWnd != nullptr ? SendMessageA(m_hWnd, msg, wParam, lParam) : 0;
    }

    HWND m_hWnd = nullptr;
    HWND m_owner = nullptr;
};
