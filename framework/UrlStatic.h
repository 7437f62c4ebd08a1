#pragma once
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "framework/ToolTipCtrl.h"
#include <string>

// A static text control of a dialog turned into a link: underlined text in a
// link colour (the highlight colour while the mouse is over it), a hand
// cursor, a tooltip with the target, and on a click the target opened by the
// shell or, failing that, by the program registered for web pages.
class CUrlStatic : public CStatic {
public:
    CUrlStatic();
    ~CUrlStatic() override;

    void SetUrl(const std::string& url);
    const std::string& Url() const { return m_url; }
    void SetVisited(bool visited);
    bool IsVisited() const { return m_visited; }
    bool IsHovering() const { return m_hover; }
    HWND ToolTip() const { return m_toolTip.Handle(); }
    // Resizes the control to its text, keeping its alignment.
    void FitToText();

    // The shell's or the fallback start's result: above 32 is success.
    static int OpenUrl(const std::string& url, int showCommand);
    // The default value of `path` under `root`; 0 or a registry error code.
    static LONG ReadClassDefault(HKEY root, const std::string& path, std::string& text);

    bool PreTranslateMessage(MSG* msg) override;
    bool OnReflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static void ReportOpenError(int code);
    void OnClicked();
    HBRUSH OnCtlColor(HDC dc) const;
    bool OnSetCursor();
    void OnMouseMove(POINT point);
    void ApplyLinkFont();
    void LoadLinkCursor();
    void RedrawNow() const;

    COLORREF m_linkColour;
    COLORREF m_visitedColour;
    COLORREF m_hoverColour;
    bool m_hover = false;
    bool m_visited = false;
    bool m_underline = true;
    bool m_fitToText = true;
    std::string m_url;
    ScopedGdiObject<HFONT> m_linkFont;
    HCURSOR m_linkCursor = nullptr;
    CToolTipCtrl m_toolTip;
};
