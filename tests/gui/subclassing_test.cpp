// Objects bound to one window, with comctl32's subclassing among them: every
// message goes through each in order, any one can let go, and the window
// gets its own procedure back when the last lets go.
#include "framework/Wnd.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Seen = std::vector<std::string>;

const UINT kProbe = WM_APP + 11;
const LRESULT kAnswer = 42;
Seen g_seen;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != kProbe)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    g_seen.push_back("window");
    return kAnswer;
}

LRESULT CALLBACK ComctlSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (msg == kProbe)
        g_seen.push_back("comctl32");
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

class CRecordingWnd : public CWnd {
public:
    explicit CRecordingWnd(const char* name) : m_name(name) {}

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == kProbe)
            g_seen.push_back(m_name);
        return CWnd::WindowProc(msg, wParam, lParam);
    }

private:
    std::string m_name;
};

HWND ProbeWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ProbeProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuipmarkTestProbeWindow";
    RegisterClassW(&windowClass);  // fails harmlessly when registered already
    return CreateWindowW(windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

// Who saw the probe, in order; the window's own answer must come back.
Seen Probe(HWND hwnd)
{
    g_seen.clear();
    EXPECT_EQ(SendMessageW(hwnd, kProbe, 0, 0), kAnswer);
    return g_seen;
}

}  // namespace

TEST(Subclassing, BoundObjectsAndComctl32SubclassesChainAndLetGoInAnyOrder)
{
    HWND hwnd = ProbeWindow();
    ASSERT_NE(hwnd, nullptr);
    CRecordingWnd first("first");
    ASSERT_TRUE(first.Subclass(hwnd));
    {
        CRecordingWnd second("second");
        ASSERT_TRUE(second.Subclass(hwnd));
        EXPECT_EQ(Probe(hwnd), (Seen{"second", "first", "window"}));
        EXPECT_EQ(CWnd::FromHandle(hwnd), &second);
    }
    EXPECT_EQ(Probe(hwnd), (Seen{"first", "window"}));
    EXPECT_EQ(CWnd::FromHandle(hwnd), &first);

    // One of ours over comctl32's over ours; the one below lets go while
    // comctl32's still calls it.
    ASSERT_TRUE(SetWindowSubclass(hwnd, ComctlSubclass, 1, 0));
    {
        CRecordingWnd third("third");
        ASSERT_TRUE(third.Subclass(hwnd));
        EXPECT_EQ(Probe(hwnd), (Seen{"third", "comctl32", "first", "window"}));
    }
    EXPECT_EQ(Probe(hwnd), (Seen{"comctl32", "first", "window"}));
    EXPECT_EQ(CWnd::FromHandle(hwnd), &first);
    first.Unsubclass();
    EXPECT_EQ(Probe(hwnd), (Seen{"comctl32", "window"}));
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
    ASSERT_TRUE(RemoveWindowSubclass(hwnd, ComctlSubclass, 1));
    EXPECT_EQ(Probe(hwnd), Seen{"window"});

    // Bound again, and let go: the window has its own procedure back.
    ASSERT_TRUE(first.Subclass(hwnd));
    EXPECT_EQ(Probe(hwnd), (Seen{"first", "window"}));
    first.Unsubclass();
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ProbeProc));

    // Destroyed with comctl32's between two of ours: both are let go.
    CRecordingWnd top("top");
    ASSERT_TRUE(first.Subclass(hwnd));
    ASSERT_TRUE(SetWindowSubclass(hwnd, ComctlSubclass, 1, 0));
    ASSERT_TRUE(top.Subclass(hwnd));
    EXPECT_EQ(Probe(hwnd), (Seen{"top", "comctl32", "first", "window"}));
    DestroyWindow(hwnd);
    EXPECT_EQ(first.Handle(), nullptr);
    EXPECT_EQ(top.Handle(), nullptr);
}

TEST(Subclassing, ABoundControlKeepsTextsOutsideTheCodePage)
{
    HWND edit = CreateWindowExW(0, L"Edit", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    CWnd bound;
    ASSERT_TRUE(bound.Subclass(edit));
    const std::wstring text = L"\x03A9 \x2211 \x4E2D \xD83D\xDE00";
    bound.SetUnicodeText(text);
    EXPECT_EQ(bound.GetUnicodeText(), text);
    DestroyWindow(edit);
    EXPECT_FALSE(bound.IsBound());
}
