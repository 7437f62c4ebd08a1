#pragma once
#include "framework/Handles.h"
#include <string>

// How the system draws its menus at the display scale of the moment: the
// menu font, colours and item sizes, so that a window of ours can pass for
// a menu. The program is aware of the system's scale, so the system's menu
// settings are already at that scale; the look is read once, when made.
class CMenuLook {
public:
    enum class LineStyle {
        Item,         // a line the user can choose
        Highlighted,  // the chosen line, as a menu's selected item
        Note          // a line about the others, never chosen: greyed, slanted
    };

    CMenuLook();
    CMenuLook(const CMenuLook&) = delete;
    CMenuLook& operator=(const CMenuLook&) = delete;

    int LineHeight() const { return m_lineHeight; }
    // The thickness of the frame around the lines.
    int Border() const { return m_border; }
    int SeparatorHeight() const { return m_separatorHeight; }
    // The width a line of `text` takes, margins included.
    int LineWidth(HDC dc, const std::wstring& text, LineStyle style) const;

    // The frame and background of the whole window.
    void DrawFrame(HDC dc, const RECT& client) const;
    void DrawLine(HDC dc, const RECT& line, const std::wstring& text, LineStyle style) const;
    // A menu separator across `line`, which is SeparatorHeight() high.
    void DrawSeparator(HDC dc, const RECT& line) const;

private:
    HFONT FontOf(LineStyle style) const;
    UINT TextFormat(LineStyle style) const;

    ScopedGdiObject<HFONT> m_font;
    ScopedGdiObject<HFONT> m_noteFont;
    // Menus of the flat style (the system's setting) have a thin frame and
    // their own highlight colour.
    bool m_flat = false;
    int m_lineHeight = 0;
    int m_border = 0;
    int m_separatorHeight = 0;
    int m_textLeft = 0;
    int m_textRight = 0;
};
