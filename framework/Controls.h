#pragma once
#include "framework/Wnd.h"
#include <commctrl.h>

// Thin wrappers of the stock controls, bound to a dialog's controls by id.

class CEdit : public CWnd {
public:
    void SetSel(int start, int end) const { Send(EM_SETSEL, static_cast<WPARAM>(start), end); }
    void SetLimitText(UINT limit) const { Send(EM_SETLIMITTEXT, limit); }
    void Copy() const { Send(WM_COPY); }
    void Paste() const { Send(WM_PASTE); }
    int Length() const { return GetWindowTextLengthA(m_hWnd); }
};

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(Send(BM_GETCHECK)); }
    void SetCheck(int check) const { Send(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

class CStatic : public CWnd {
};

class CListBox : public CWnd {
public:
    int Count() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    int FindString(int start, const std::string& text) const
    {
        return static_cast<int>(Send(LB_FINDSTRING, static_cast<WPARAM>(start),
                                     reinterpret_cast<LPARAM>(text.c_str())));
    }
    // In the list box's own characters: an 8-bit text would be converted
    // by the system into memory of its own on every call.
    int InsertString(int index, const std::wstring& text) const
    {
        return static_cast<int>(SendMessageW(m_hWnd, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                             reinterpret_cast<LPARAM>(text.c_str())));
    }
    void DeleteString(int index) const { Send(LB_DELETESTRING, static_cast<WPARAM>(index)); }
    void ResetContent() const { Send(LB_RESETCONTENT); }
    std::string GetString(int index) const;
};

class CSpinButtonCtrl : public CWnd {
public:
    void SetRange(short lower, short upper) const { Send(UDM_SETRANGE, 0, MAKELPARAM(upper, lower)); }
    void SetPos(int pos) const { Send(UDM_SETPOS, 0, MAKELPARAM(pos, 0)); }
    // The position in the low word, an error indication in the high word.
    DWORD GetPos() const { return static_cast<DWORD>(Send(UDM_GETPOS)); }
};

class CHotKeyCtrl : public CWnd {
public:
    DWORD GetHotKey() const { return static_cast<DWORD>(Send(HKM_GETHOTKEY)); }
    void SetHotKey(DWORD value) const { Send(HKM_SETHOTKEY, value & 0xFFFF); }
    void SetRules(WORD invalid, WORD replacement) const
    {
        Send(HKM_SETRULES, invalid, MAKELPARAM(replacement, 0));
    }
};
