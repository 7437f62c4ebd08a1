// No exception of a handler leaves for the system's code, and none makes a
// message's default processing run twice.
#include "GuiTestSupport.h"
#include "framework/Clipboard.h"
#include "framework/OleDataSource.h"
#include "framework/OleDropTarget.h"
#include <new>
#include <stdexcept>

namespace {

const UINT kProbe = WM_APP + 7;
int g_defaultRuns = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kProbe)
        ++g_defaultRuns;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Fails on the probe message, after asking for the default processing itself
// when `defaultFirst` says so.
class CFailingWnd : public CWnd {
public:
    bool defaultFirst = false;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kProbe)
            return CWnd::WindowProc(msg, wParam, lParam);
        if (defaultFirst)
            Default(msg, wParam, lParam);
        throw std::runtime_error("the handler failed");
    }
};

class CFailingDropTarget : public COleDropTarget {
public:
    int leaves = 0;

protected:
    DWORD OnDragEnter(HWND, IDataObject*, DWORD, POINT) override { throw std::bad_alloc(); }
    DWORD OnDragOver(HWND, IDataObject*, DWORD, POINT) override { return DROPEFFECT_COPY; }
    BOOL OnDrop(HWND, IDataObject*, DWORD, POINT) override { throw std::bad_alloc(); }
    void OnDragLeave(HWND) override { ++leaves; }
};

HWND CountingWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuipmarkTestCountingWindow";
    RegisterClassA(&windowClass);
    return CreateWindowA(windowClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

TEST(Exceptions, AFailingWindowHandlerGetsDefaultProcessingExactlyOnce)
{
    HWND hwnd = CountingWindow();
    ASSERT_NE(hwnd, nullptr);
    CFailingWnd wnd;
    ASSERT_TRUE(wnd.Subclass(hwnd));
    for (bool defaultFirst : {false, true}) {
        wnd.defaultFirst = defaultFirst;
        g_defaultRuns = 0;
        SendMessageA(hwnd, kProbe, 0, 0);
        EXPECT_EQ(g_defaultRuns, 1) << (defaultFirst ? "default asked for, then failed" : "failed at once");
    }
    wnd.Unsubclass();
    DestroyWindow(hwnd);
}

TEST(Exceptions, AFailingDropTargetRefusesTheDropAndEndsTheDrag)
{
    HWND hwnd = CountingWindow();
    ASSERT_NE(hwnd, nullptr);
    CFailingDropTarget target;
    ASSERT_TRUE(target.Register(hwnd));
    COleDataSource* data = new COleDataSource;
    data->CacheText(NewTextBlock(std::string("dropped text")));

    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target.DragEnter(data, 0, POINTL{0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY;
    target.Drop(data, 0, POINTL{0, 0}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(target.leaves, 1) << "the window is told the drag is over";

    data->Release();
    target.Revoke();
    DestroyWindow(hwnd);
}

}  // namespace
