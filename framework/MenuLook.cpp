#include "framework/MenuLook.h"
#include <commctrl.h>
#include <algorithm>

namespace {

// The menu font of the system's settings; the first form of the record is
// asked for where the system does not know the longer one.
bool ReadMenuFont(LOGFONTW& font)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        metrics.cbSize = CCSIZEOF_STRUCT(NONCLIENTMETRICSW, lfMessageFont);
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
            return false;
    }
    font = metrics.lfMenuFont;
    return true;
}

int Scaled(int pixelsAt96, int dpi)
{
    return MulDiv(pixelsAt96, dpi, 96);
}

}  // namespace

CMenuLook::CMenuLook()
{
    LOGFONTW font = {};
    if (ReadMenuFont(font)) {
        m_font.Reset(CreateFontIndirectW(&font));
        font.lfItalic = TRUE;
        m_noteFont.Reset(CreateFontIndirectW(&font));
    }
    BOOL flat = FALSE;
    m_flat = SystemParametersInfoW(SPI_GETFLATMENU, 0, &flat, 0) && flat;

    const ScopedGetDC screen(nullptr);
    const int dpi = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    TEXTMETRICW metrics = {};
    {
        const ScopedSelect select(screen.Get(), FontOf(LineStyle::Item));
        GetTextMetricsW(screen.Get(), &metrics);
    }
    // As the system's menus: room for a check mark before the text and for
    // a submenu's arrow after it, a line at least the menu's item height.
    const int textHeight = static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading);
    m_lineHeight = std::max(textHeight + Scaled(4, dpi), GetSystemMetrics(SM_CYMENUSIZE));
    m_textLeft = GetSystemMetrics(SM_CXMENUCHECK) + Scaled(4, dpi);
    m_textRight = GetSystemMetrics(SM_CXMENUCHECK) + Scaled(2, dpi);
    m_border = m_flat ? 1 + Scaled(2, dpi) : GetSystemMetrics(SM_CXEDGE) + 1;
    m_separatorHeight = std::max(Scaled(8, dpi), 2 * GetSystemMetrics(SM_CYEDGE) + 2);
}

HFONT CMenuLook::FontOf(LineStyle style) const
{
    HFONT font = style == LineStyle::Note ? m_noteFont.Get() : m_font.Get();
    if (font == nullptr)
        font = m_font.Get();
    return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

UINT CMenuLook::TextFormat(LineStyle style) const
{
    // An item's ampersand marks its access key, which a menu underlines only
    // while keyboard cues are on: here the keys type, so it is never shown.
    // A note shows what was typed, every character as it is.
    const UINT prefix = style == LineStyle::Note ? DT_NOPREFIX : DT_HIDEPREFIX;
    return DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | prefix;
}

int CMenuLook::LineWidth(HDC dc, const std::wstring& text, LineStyle style) const
{
    const ScopedSelect select(dc, FontOf(style));
    RECT size = {0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &size,
              (TextFormat(style) & ~static_cast<UINT>(DT_END_ELLIPSIS)) | DT_CALCRECT);
    return m_textLeft + (size.right - size.left) + m_textRight;
}

void CMenuLook::DrawFrame(HDC dc, const RECT& client) const
{
    FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
    RECT frame = client;
    if (m_flat) {
        FrameRect(dc, &frame, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT);
    }
}

void CMenuLook::DrawLine(HDC dc, const RECT& line, const std::wstring& text, LineStyle style) const
{
    COLORREF textColour = GetSysColor(COLOR_MENUTEXT);
    if (style == LineStyle::Highlighted) {
        FillRect(dc, &line, GetSysColorBrush(m_flat ? COLOR_MENUHILIGHT : COLOR_HIGHLIGHT));
        textColour = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else {
        FillRect(dc, &line, GetSysColorBrush(COLOR_MENU));
        if (style == LineStyle::Note)
            textColour = GetSysColor(COLOR_GRAYTEXT);
    }
    const ScopedSelect select(dc, FontOf(style));
    const COLORREF oldColour = SetTextColor(dc, textColour);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    RECT textRect = line;
    textRect.left += m_textLeft;
    textRect.right -= m_textRight;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, TextFormat(style));
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}

void CMenuLook::DrawSeparator(HDC dc, const RECT& line) const
{
    FillRect(dc, &line, GetSysColorBrush(COLOR_MENU));
    RECT edge = line;
    edge.top += (line.bottom - line.top) / 2 - 1;
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_TOP);
}
