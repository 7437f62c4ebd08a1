// The dialog at the display scale the test process runs at. CTest runs it
// once per scale, each in a prefix of its own (display-scales.sh); run alone,
// it checks whatever scale the prefix has.
#include "GuiTestSupport.h"
#include "about/AboutBox.h"
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

std::string Show(const RECT& r)
{
    return std::to_string(r.left) + ".." + std::to_string(r.right) + " x " +
           std::to_string(r.top) + ".." + std::to_string(r.bottom);
}

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

SIZE IconSize(HICON icon)
{
    SIZE size = {0, 0};
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return size;
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    size.cx = bitmap.bmWidth;
    size.cy = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
    if (info.hbmColor != nullptr)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

// A window class's name, for a case-blind comparison.
bool IsOfClass(HWND window, const char* name)
{
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof(cls));
    return lstrcmpiA(cls, name) == 0;
}

bool IsGroupBox(HWND control)
{
    return IsOfClass(control, "Button") &&
           (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// An up-down control set beside its buddy covers the buddy's border, so
// that the two look like one control.
bool IsUpDownOf(HWND upDown, HWND buddy)
{
    return IsOfClass(upDown, UPDOWN_CLASSA) &&
           reinterpret_cast<HWND>(SendMessageA(upDown, UDM_GETBUDDY, 0, 0)) == buddy;
}

// The application manifest's DPI declaration, as Windows reads it.
std::wstring DeclaredDpiAwareness()
{
    wchar_t value[64] = L"";
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, nullptr, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                              L"dpiAware", value, 64, &written))
        return L"<none>";
    return value;
}

// A caption as it is drawn: an ampersand marks the access key and is not
// drawn; two stand for one.
std::string WithoutAccessKeyMarks(const std::string& caption)
{
    std::string drawn;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        drawn += caption[i];
    }
    return drawn;
}

// The width a control has for its caption, or -1 for a control that shows
// none: a static text's and a push button's whole client width; beside a
// check box's or radio button's box; a group box's caption starts a little
// in from its frame.
int CaptionRoom(HWND control)
{
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    RECT client;
    GetClientRect(control, &client);
    const int width = client.right - client.left;
    if (IsOfClass(control, "Static")) {
        const LONG type = style & SS_TYPEMASK;
        return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP ||
                       type == SS_SIMPLE
                   ? width
                   : -1;
    }
    if (!IsOfClass(control, "Button"))
        return -1;
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        return width;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return width - GetSystemMetrics(SM_CXMENUCHECK);
    case BS_GROUPBOX:
        return width - 2 * GetSystemMetrics(SM_CXEDGE);
    default:
        return -1;
    }
}

// Every caption of `window`'s visible controls fits its control, measured with the
// control's own font: a cut caption loses its last letters.
void ExpectCaptionsWhole(HWND window, const std::string& which, int dpi)
{
    HDC dc = GetDC(window);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const int room = CaptionRoom(child);
        char caption[256] = "";
        GetWindowTextA(child, caption, sizeof(caption));
        // A control that is never shown (the dialog's hidden default
        // button) draws nothing.
        if (room < 0 || caption[0] == '\0' || (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) == 0)
            continue;
        const bool noPrefix = IsOfClass(child, "Static") && (GetWindowLongA(child, GWL_STYLE) & SS_NOPREFIX) != 0;
        const std::string drawn = noPrefix ? caption : WithoutAccessKeyMarks(caption);
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
        HGDIOBJ previous = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
        SIZE extent = {};
        GetTextExtentPoint32A(dc, drawn.c_str(), static_cast<int>(drawn.size()), &extent);
        SelectObject(dc, previous);
        EXPECT_LE(extent.cx, room) << which << " at " << dpi << " DPI: \"" << drawn << "\" is " << extent.cx
                                   << " pixels wide, its control has " << room;
    }
    ReleaseDC(window, dc);
}

bool Holds(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

class DisplayScale : public DialogTest {
protected:
    // A control's rectangle from its template's position and size in dialog
    // units, mapped as the dialog maps a template: each number on its own.
    RECT Template(int x, int y, int cx, int cy) const
    {
        RECT mapped = {x, y, cx, cy};
        MapDialogRect(Hwnd(), &mapped);
        return {mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
    }
    RECT ControlRect(HWND control) const
    {
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    RECT ItemRect(int id) const { return ControlRect(GetDlgItem(Hwnd(), id)); }
    std::map<HWND, RECT> Controls() const
    {
        std::map<HWND, RECT> controls;
        for (HWND child = GetWindow(Hwnd(), GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            controls[child] = ControlRect(child);
        return controls;
    }
    // Visible controls may touch but not overlap, except a group box and a
    // control wholly inside it, and an up-down control and its buddy.
    void ExpectNoVisibleOverlap(const std::string& state) const
    {
        std::vector<std::pair<HWND, RECT>> visible;
        for (const auto& control : Controls())
            if (GetWindowLongA(control.first, GWL_STYLE) & WS_VISIBLE)
                visible.push_back(control);
        for (size_t i = 0; i < visible.size(); ++i) {
            for (size_t j = i + 1; j < visible.size(); ++j) {
                const HWND first = visible[i].first, second = visible[j].first;
                const RECT a = visible[i].second, b = visible[j].second;
                RECT common;
                if (!IntersectRect(&common, &a, &b))
                    continue;
                if ((IsGroupBox(first) && Holds(a, b)) || (IsGroupBox(second) && Holds(b, a)))
                    continue;
                if (IsUpDownOf(first, second) || IsUpDownOf(second, first))
                    continue;
                ADD_FAILURE() << state << ": controls " << GetDlgCtrlID(first) << " at " << Show(a) << " and "
                              << GetDlgCtrlID(second) << " at " << Show(b) << " overlap";
            }
        }
    }
    void ExpectOthersUnmoved(const std::map<HWND, RECT>& before, const std::string& state) const
    {
        for (const auto& control : Controls()) {
            if (GetDlgCtrlID(control.first) == IDC_TREE)
                continue;
            EXPECT_TRUE(control.second == before.at(control.first))
                << state << ": control " << GetDlgCtrlID(control.first) << " moved from "
                << Show(before.at(control.first)) << " to " << Show(control.second);
        }
    }
};

TEST_F(DisplayScale, TreeFollowsTheDialogFontIconsTheSystemSizesAndNothingOverlaps)
{
    const int dpi = ScreenDpi();
    if (const char* wanted = std::getenv("QUIPMARK_DPI")) {
        ASSERT_EQ(dpi, std::atoi(wanted)) << "the prefix's LogPixels did not take";
    }
    StartDialog();
    dialog->ShowConfiguration();

    // The template's tree, 191 x 150 units at 7, 75; with the search row
    // shown it ends just above "Enter Text to &Find:", at most two units.
    const RECT templateTree = Template(7, 75, 191, 150);
    const RECT label = ItemRect(IDC_FIND_LABEL);
    const int twoUnits = Template(0, 0, 0, 2).bottom;
    const std::map<HWND, RECT> initial = Controls();

    const RECT neverShown = ItemRect(IDC_TREE);
    EXPECT_TRUE(neverShown == templateTree) << Show(neverShown) << " instead of " << Show(templateTree);
    ExpectNoVisibleOverlap("panel never shown");

    std::string measured;
    for (int round = 1; round <= 3; ++round) {
        const std::string shownState = "panel shown, time " + std::to_string(round);
        Click(IDC_SEARCH_TOGGLE);
        const RECT shown = ItemRect(IDC_TREE);
        EXPECT_EQ(shown.left, templateTree.left) << shownState;
        EXPECT_EQ(shown.top, templateTree.top) << shownState;
        EXPECT_EQ(shown.right, templateTree.right) << shownState;
        EXPECT_LE(shown.bottom, label.top) << shownState << ": the tree reaches into the search row";
        EXPECT_LE(label.top - shown.bottom, twoUnits) << shownState << ": a hole above the search row";
        ExpectNoVisibleOverlap(shownState);
        ExpectOthersUnmoved(initial, shownState);

        const std::string hiddenState = "panel hidden again, time " + std::to_string(round);
        Click(IDC_SEARCH_TOGGLE);
        const RECT hidden = ItemRect(IDC_TREE);
        EXPECT_TRUE(hidden == templateTree) << hiddenState << ": " << Show(hidden);
        ExpectNoVisibleOverlap(hiddenState);
        ExpectOthersUnmoved(initial, hiddenState);
        if (round == 1)
            measured = "shown " + Show(shown) + ", hidden again " + Show(hidden);
    }
    std::printf("At %d DPI the tree is, never shown %s, %s\n", dpi, Show(neverShown).c_str(),
                measured.c_str());

    // Small icons for the tray and the tree, large for the task switcher.
    const int small = GetSystemMetrics(SM_CXSMICON), large = GetSystemMetrics(SM_CXICON);
    int imageWidth = 0, imageHeight = 0;
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(Tree().Send(TVM_GETIMAGELIST, TVSIL_NORMAL));
    ASSERT_TRUE(ImageList_GetIconSize(images, &imageWidth, &imageHeight));
    EXPECT_EQ(imageWidth, small);
    EXPECT_EQ(imageHeight, GetSystemMetrics(SM_CYSMICON));
    EXPECT_EQ(ImageList_GetImageCount(images), 3);
    const SIZE smallIcon = IconSize(reinterpret_cast<HICON>(SendMessageA(Hwnd(), WM_GETICON, ICON_SMALL, 0)));
    const SIZE largeIcon = IconSize(reinterpret_cast<HICON>(SendMessageA(Hwnd(), WM_GETICON, ICON_BIG, 0)));
    EXPECT_EQ(smallIcon.cx, small);
    EXPECT_EQ(largeIcon.cx, large);
    std::printf("At %d DPI the icons are %ld (small) and %ld (large) pixels\n", dpi, smallIcon.cx,
                largeIcon.cx);
    // Wine treats every program as aware; Windows reads the manifest.
    EXPECT_TRUE(DeclaredDpiAwareness() == L"true") << "the manifest declares no system DPI awareness";
}

TEST_F(DisplayScale, EveryCaptionOfTheDialogAndTheAboutBoxIsDrawnWhole)
{
    const int dpi = ScreenDpi();
    StartDialog();
    dialog->ShowConfiguration();
    ExpectCaptionsWhole(Hwnd(), "the dialog", dpi);
    // The search row's captions too, which show only with it.
    Click(IDC_SEARCH_TOGGLE);
    ExpectCaptionsWhole(Hwnd(), "the dialog with the search row", dpi);

    CAboutBox about;
    ASSERT_TRUE(about.Create());
    PumpMessages();
    ExpectCaptionsWhole(about.Handle(), "the About box", dpi);
}

// The popup narrowed by typing draws in the system's menu font of the scale,
// which grows with it: every line is at least the font's height and shows
// its whole text.
TEST_F(DisplayScale, ThePopupNarrowedByTypingShowsEveryLineWholeInTheMenuFont)
{
    const int dpi = ScreenDpi();
    StartWith(K("Group") + E("Greeting one") + E("Greeting two"));
    const CPopupFindWindow* popup = TypeInMenu(*dialog, POINT{50, 50}, L"greet");
    ASSERT_NE(popup, nullptr);
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
    HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    HDC dc = GetDC(popup->Handle());
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW text = {};
    GetTextMetricsW(dc, &text);
    ASSERT_EQ(popup->Lines().size(), 3u);
    for (size_t i = 0; i < popup->Lines().size(); ++i) {
        const std::wstring& shown = popup->Lines()[i].text;
        const RECT line = popup->LineRect(i);
        SIZE extent = {};
        GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
        EXPECT_GE(line.bottom - line.top, text.tmHeight) << "line " << i << " at " << dpi << " DPI";
        EXPECT_LT(extent.cx, line.right - line.left) << "line " << i << " at " << dpi << " DPI";
    }
    std::printf("At %d DPI the popup's lines are %ld pixels high, its font %ld\n", dpi,
                popup->LineRect(1).bottom - popup->LineRect(1).top, text.tmHeight);
    SelectObject(dc, previous);
    ReleaseDC(popup->Handle(), dc);
    DeleteObject(font);
    SendMessageW(popup->Handle(), WM_CLOSE, 0, 0);
}

// The small and large icon sizes of 100, 125, 150 and 200 % display scale,
// but 64, which Windows draws from the 48; each image is stored compressed,
// and draws as its shape on a transparent ground.
TEST(IconResources, HoldAnImageForEveryDisplayScaleThatDraws)
{
    for (UINT id : {IDR_MAINFRAME, IDI_GROUP, IDI_ENTRY}) {
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
        ASSERT_NE(found, nullptr) << id;
        const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
        // A count after two words, then entries of 14 bytes that start with the width.
        const int count = group[4] | (group[5] << 8);
        std::vector<int> widths;
        for (int i = 0; i < count; ++i)
            widths.push_back(group[6 + 14 * i]);
        EXPECT_EQ(widths, (std::vector<int>{16, 20, 24, 32, 40, 48})) << "icon " << id;

        for (int size : widths) {
            HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr) << id << " at " << size;
            EXPECT_EQ(IconSize(icon).cx, size) << id;
            // Drawn on white: the corner stays white, the middle is not.
            BITMAPINFO info = {};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            HDC dc = CreateCompatibleDC(nullptr);
            HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            HGDIOBJ old = SelectObject(dc, canvas);
            const RECT all = {0, 0, size, size};
            FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
            GdiFlush();
            const auto pixel = [&](int x, int y) { return static_cast<const DWORD*>(bits)[y * size + x] & 0xFFFFFF; };
            EXPECT_EQ(pixel(0, 0), 0xFFFFFFu) << id << " at " << size;
            EXPECT_NE(pixel(size / 2, size / 2), 0xFFFFFFu) << id << " at " << size;
            SelectObject(dc, old);
            DeleteObject(canvas);
            DeleteDC(dc);
            DestroyIcon(icon);
        }
    }
}

}  // namespace
