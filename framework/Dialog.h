#pragma once
#include "framework/DialogTemplate.h"
#include "framework/Wnd.h"
#include <commctrl.h>

// A dialog built from a template resource. Messages reach the On... handlers;
// notifications of bound child controls go first to the control (reflection).
// DoModal runs the dialog in a message loop of its own until EndDialog; Create
// makes it modeless, which the tests use to drive it from outside.
class CDialog : public CWnd {
public:
    CDialog(UINT templateId, HWND parent);
    ~CDialog() override;

    INT_PTR DoModal();
    bool Create();
    void EndDialog(INT_PTR result);
    bool IsEnding() const { return m_ending; }
    INT_PTR Result() const { return m_result; }

    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    bool IsItemEnabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    void EnableItem(int id, bool enable) const { EnableWindow(Item(id), enable ? TRUE : FALSE); }

    static CDialog* FromDialogHandle(HWND hwnd);

    // Makes the controls that MadeAtCreation left out, binds them
    // (DoDataExchange) and runs OnControlsMade; once, even when one could
    // not be made (then false).
    bool MakeControls();
    bool ControlsMade() const { return m_controlsMade; }
    // Makes the controls that MadeAtStart names, unless MakeControls made
    // them already, and binds them: for a dialog that is up before the
    // rest of its start runs. Once; false when one could not be made.
    bool MakeStartControls();

protected:
    // Binds the control members to the template's controls; runs again
    // once the controls made later are there, binding those.
    virtual void DoDataExchange() {}
    // Whether the template's control `id` is made with the dialog; the
    // others wait for MakeControls.
    virtual bool MadeAtCreation(int /*id*/) const { return true; }
    // Whether the template's control `id`, not made at creation, is made by
    // MakeStartControls.
    virtual bool MadeAtStart(int /*id*/) const { return false; }
    // The controls made later are there and bound.
    virtual void OnControlsMade() {}
    // True lets the dialog manager set the focus.
    virtual bool OnInitDialog();
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    virtual bool OnNotify(NMHDR* header, LRESULT& result);
    // Every other message; true when handled, with `result` its answer.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A message of the dialog's loop may be sent to another window here,
    // before any window sees it.
    virtual void RedirectMessage(MSG&) {}
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    bool Reflect(HWND child, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The controls' look at a message before it is dispatched; true when
    // one of them handled it.
    bool PreTranslate(MSG* msg);
    HWND Owner() const;

    UINT m_templateId;
    HWND m_parent;
    CDialogTemplate m_template;
    bool m_controlsMade = false;
    bool m_startControlsMade = false;
    bool m_earlyControlsFailed = false;
    bool m_ending = false;
    INT_PTR m_result = -1;
};
