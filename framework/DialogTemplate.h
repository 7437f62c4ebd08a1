#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// An extended dialog template (DIALOGEX) read apart, so that a dialog can be
// made without its controls and be given them when it is first needed: the
// controls are most of the time a dialog takes to make, and a dialog that
// lives hidden may never be shown.
class CDialogTemplate {
public:
    // False for a missing resource or one that is not an extended template.
    bool Load(HINSTANCE instance, UINT id);

    // The template with all its controls, as the resource holds it.
    const DLGTEMPLATE* Whole() const;
    // The same dialog without any control.
    const DLGTEMPLATE* Frame() const;

    // Whether `wanted` accepts every control of the template.
    bool MakesAll(const std::function<bool(int id)>& wanted) const;

    // Makes the controls whose ids `wanted` accepts on `dialog`, in the
    // template's order, as the dialog manager makes them: placed in the
    // dialog's units, in its font, each after the controls made before it,
    // the last default push button the dialog's default. False when one
    // could not be made.
    bool MakeControls(HWND dialog, const std::function<bool(int id)>& wanted) const;

private:
    // One control as the template describes it.
    struct Item {
        DWORD exStyle = 0;
        DWORD style = 0;
        // In dialog units: the place (left, top) and the size (right, bottom).
        RECT place = {};
        int id = 0;
        // A class or title given by number is 0xFFFF and the number.
        std::wstring windowClass;
        std::wstring title;
        // The creation data, its size first; null for none.
        const BYTE* data = nullptr;
    };

    HWND MakeControl(HWND dialog, const wchar_t* className, const Item& item, HFONT font, HINSTANCE instance) const;

    const BYTE* m_whole = nullptr;
    std::vector<DWORD> m_frame;
    std::vector<Item> m_items;
};
