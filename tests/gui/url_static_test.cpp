#include "GuiTestSupport.h"
#include "about/AboutBox.h"
#include "framework/OpenErrorText.h"
#include <shellapi.h>

namespace {

SIZE LinkTextExtent(HWND link)
{
    char text[512] = "";
    GetWindowTextA(link, text, sizeof(text));
    SIZE extent = {0, 0};
    HDC dc = GetDC(link);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &extent);
    SelectObject(dc, previous);
    ReleaseDC(link, dc);
    return extent;
}

SIZE WindowSize(HWND hwnd)
{
    RECT rect;
    GetWindowRect(hwnd, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// A question to the tooltip about the link's one tool.
TTTOOLINFOA ToolQuery(const CUrlStatic& link)
{
    TTTOOLINFOA info = {};
    info.cbSize = sizeof(info);
    info.hwnd = link.Handle();
    info.uId = 1;
    return info;
}

std::string ToolText(const CUrlStatic& link)
{
    char text[600] = "";
    TTTOOLINFOA info = ToolQuery(link);
    info.lpszText = text;
    SendMessageA(link.ToolTip(), TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
    return text;
}

bool IsUnderlined(HWND hwnd)
{
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfUnderline != FALSE;
}

void ExpectOneToolCoveringClient(const CUrlStatic& link)
{
    EXPECT_EQ(SendMessageA(link.ToolTip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    TTTOOLINFOA info = ToolQuery(link);
    SendMessageA(link.ToolTip(), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info));
    RECT client;
    GetClientRect(link.Handle(), &client);
    EXPECT_EQ(info.rect.left, client.left);
    EXPECT_EQ(info.rect.top, client.top);
    EXPECT_EQ(info.rect.right, client.right);
    EXPECT_EQ(info.rect.bottom, client.bottom);
}

// A modeless About box; its links are reached through their windows.
class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(about.Create());
        PumpMessages();
    }
    void TearDown() override
    {
        if (GetCapture() != nullptr)
            ReleaseCapture();
    }

    HWND Hwnd() const { return about.Handle(); }
    HWND Item(int id) const { return GetDlgItem(Hwnd(), id); }
    std::string ItemText(int id) const
    {
        char text[256] = "";
        GetDlgItemTextA(Hwnd(), id, text, sizeof(text));
        return text;
    }
    CUrlStatic& Link(int id) const
    {
        // The dialog subclasses each link as a CUrlStatic (the program is
        // built without run-time type information to ask it).
        CWnd* link = CWnd::FromHandle(Item(id));
        EXPECT_NE(link, nullptr);
        return *static_cast<CUrlStatic*>(link);
    }
    void MoveMouse(HWND hwnd, int x, int y) const
    {
        SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }
    // The text colour the dialog's colour request leaves on a DC for `link`.
    COLORREF LinkColour(HWND link) const
    {
        HDC dc = CreateCompatibleDC(nullptr);
        SetTextColor(dc, RGB(1, 2, 3));
        const LRESULT brush = SendMessageA(Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(link));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        const COLORREF colour = GetTextColor(dc);
        DeleteDC(dc);
        return colour;
    }

    CAboutBox about;
};

TEST_F(AboutBoxTest, ShowsVersionMakerAndBothLinks)
{
    char caption[64] = "";
    GetWindowTextA(Hwnd(), caption, sizeof(caption));
    EXPECT_STREQ(caption, "About Quipmark");
    EXPECT_EQ(ItemText(IDC_ABOUT_VERSION), "QuipMark Version 2.1a Beta");
    EXPECT_NE(ItemText(IDC_ABOUT_COPYRIGHT).find("1998"), std::string::npos);

    EXPECT_EQ(ItemText(IDC_ABOUT_WEB), "http://www.example.com/");
    EXPECT_EQ(Link(IDC_ABOUT_WEB).Url(), "http://www.example.com/");
    EXPECT_EQ(ItemText(IDC_ABOUT_EMAIL), "quipmark@example.com");
    EXPECT_EQ(Link(IDC_ABOUT_EMAIL).Url(), "mailto:quipmark@example.com");
    EXPECT_EQ(ToolText(Link(IDC_ABOUT_EMAIL)), "mailto:quipmark@example.com");
    EXPECT_FALSE(Link(IDC_ABOUT_WEB).IsVisited());
}

TEST_F(AboutBoxTest, LinksFitTheirTextAndTheirTooltipCoversThem)
{
    for (int id : {IDC_ABOUT_WEB, IDC_ABOUT_EMAIL}) {
        SCOPED_TRACE(id);
        const SIZE extent = LinkTextExtent(Item(id));
        const SIZE size = WindowSize(Item(id));
        EXPECT_GT(extent.cx, 50);
        EXPECT_EQ(size.cx, extent.cx);
        EXPECT_EQ(size.cy, extent.cy);
        EXPECT_TRUE(IsUnderlined(Item(id)));
        // Attached while empty, the links got their size only from SetUrl.
        ExpectOneToolCoveringClient(Link(id));
    }
}

TEST_F(AboutBoxTest, AttachAddsNotifyStyleFontFitAndTool)
{
    HWND label = Item(IDC_ABOUT_EMAIL_LABEL);
    ASSERT_EQ(GetWindowLongA(label, GWL_STYLE) & SS_NOTIFY, 0);
    ASSERT_FALSE(IsUnderlined(label));
    CUrlStatic link;
    ASSERT_TRUE(link.Subclass(label));

    EXPECT_NE(GetWindowLongA(label, GWL_STYLE) & SS_NOTIFY, 0);
    EXPECT_EQ(link.Url(), "Email:") << "the text is the address when none was set";
    EXPECT_TRUE(IsUnderlined(label));
    EXPECT_EQ(WindowSize(label).cx, LinkTextExtent(label).cx);
    ASSERT_NE(link.ToolTip(), nullptr);
    EXPECT_EQ(ToolText(link), "Email:");
    ExpectOneToolCoveringClient(link);
}

TEST_F(AboutBoxTest, EmptyStaticShrinksToNothingAndGrowsWithItsText)
{
    HWND empty = CreateWindowExA(0, "Static", "", WS_CHILD | SS_LEFT, 10, 10, 150, 20, Hwnd(),
                                 reinterpret_cast<HMENU>(2001), nullptr, nullptr);
    SendMessageA(empty, WM_SETFONT, SendMessageA(Item(IDC_ABOUT_VERSION), WM_GETFONT, 0, 0), FALSE);
    CUrlStatic link;
    ASSERT_TRUE(link.Subclass(empty));
    EXPECT_EQ(WindowSize(empty).cx, 0);
    EXPECT_EQ(link.Url(), "");

    link.SetText("a longer link text");
    link.SetUrl("http://www.example.com/page");
    EXPECT_EQ(WindowSize(empty).cx, LinkTextExtent(empty).cx);
    EXPECT_GT(WindowSize(empty).cx, 0);
    EXPECT_EQ(ToolText(link), "http://www.example.com/page");
    ExpectOneToolCoveringClient(link);

    link.SetText("short");
    link.FitToText();
    EXPECT_EQ(WindowSize(empty).cx, LinkTextExtent(empty).cx);
    ExpectOneToolCoveringClient(link);
}

TEST_F(AboutBoxTest, RightAlignedAndCentredLinksKeepTheirAlignment)
{
    for (DWORD alignment : {static_cast<DWORD>(SS_RIGHT), static_cast<DWORD>(SS_CENTER)}) {
        HWND host = CreateWindowExA(0, "Static", "link", WS_CHILD | alignment, 10, 10, 200, 20, Hwnd(),
                                    reinterpret_cast<HMENU>(2002), nullptr, nullptr);
        CUrlStatic link;
        ASSERT_TRUE(link.Subclass(host));
        RECT rect;
        GetWindowRect(host, &rect);
        MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        const LONG width = LinkTextExtent(host).cx;
        EXPECT_EQ(rect.right - rect.left, alignment == SS_RIGHT ? width : width + (200 - width) % 2);
        if (alignment == SS_RIGHT)
            EXPECT_EQ(rect.right, 210);
        else
            EXPECT_EQ(rect.left, 10 + (200 - width) / 2);
        DestroyWindow(host);
    }
}

TEST_F(AboutBoxTest, HoverTurnsTheHighlightColourAndLeavingReturns)
{
    ShowWindow(Hwnd(), SW_SHOW);
    HWND web = Item(IDC_ABOUT_WEB);
    CUrlStatic& link = Link(IDC_ABOUT_WEB);
    EXPECT_EQ(LinkColour(web), RGB(0, 0, 238));

    MoveMouse(web, 2, 2);
    EXPECT_TRUE(link.IsHovering());
    EXPECT_EQ(GetCapture(), web);
    EXPECT_EQ(LinkColour(web), GetSysColor(COLOR_HIGHLIGHT));

    MoveMouse(web, 3, 3);
    EXPECT_TRUE(link.IsHovering()) << "moving inside changes nothing";
    EXPECT_EQ(GetCapture(), web);

    MoveMouse(web, -5, 2);
    EXPECT_FALSE(link.IsHovering());
    EXPECT_NE(GetCapture(), web);
    EXPECT_EQ(LinkColour(web), RGB(0, 0, 238));

    link.SetVisited(true);
    EXPECT_EQ(LinkColour(web), RGB(85, 26, 139));
    MoveMouse(web, 1, 1);
    EXPECT_EQ(LinkColour(web), GetSysColor(COLOR_HIGHLIGHT));
    RECT client;
    GetClientRect(web, &client);
    MoveMouse(web, client.right + 3, 1);
    EXPECT_EQ(LinkColour(web), RGB(85, 26, 139));
}

TEST_F(AboutBoxTest, LinksShowAPointingHand)
{
    HWND web = Item(IDC_ABOUT_WEB);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(SendMessageA(web, WM_SETCURSOR, reinterpret_cast<WPARAM>(web), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_NE(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_NE(GetCursor(), nullptr);
}

const char kPageClass[] = "QuipmarkTest.Page";
// A scheme nothing is registered for: the shell cannot open it.
const char kUnhandledUrl[] = "qmtest-nohandler:page-7";

// The web-page class of the registry replaced by one whose open command
// writes the address it is given to a file.
class LinkFallbackTest : public AboutBoxTest {
protected:
    void SetUp() override
    {
        AboutBoxTest::SetUp();
        char temp[MAX_PATH] = "", system[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        GetSystemDirectoryA(system, MAX_PATH);
        output = std::string(temp) + "qmlink-" + std::to_string(GetCurrentProcessId()) + ".txt";
        DeleteFileA(output.c_str());
        hadPageClass = CUrlStatic::ReadClassDefault(HKEY_CLASSES_ROOT, ".htm", savedPageClass) == 0;
        SetDefault(".htm", kPageClass);
        SetDefault(std::string(kPageClass) + "\\shell\\open\\command",
                   std::string(system) + "\\cmd.exe /c >\"" + output + "\" echo \"%1\" -ignored");
    }
    void TearDown() override
    {
        if (hadPageClass)
            SetDefault(".htm", savedPageClass);
        else
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kPageClass);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kPageClass);
        DeleteFileA(output.c_str());
        AboutBoxTest::TearDown();
    }
    static void SetDefault(const std::string& path, const std::string& value)
    {
        ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, path.c_str(), REG_SZ, value.c_str(),
                               static_cast<DWORD>(value.size())), ERROR_SUCCESS);
    }
    // Points the web link at `url` and clicks it.
    void OpenWebLink(const std::string& url)
    {
        Link(IDC_ABOUT_WEB).SetUrl(url);
        SendMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_ABOUT_WEB, STN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(IDC_ABOUT_WEB)));
    }

    std::string output;
    std::string savedPageClass;
    bool hadPageClass = false;
};

TEST_F(LinkFallbackTest, ReadsTheClassDefaults)
{
    std::string value;
    EXPECT_EQ(CUrlStatic::ReadClassDefault(HKEY_CLASSES_ROOT, ".htm", value), 0);
    EXPECT_EQ(value, kPageClass);
    EXPECT_NE(CUrlStatic::ReadClassDefault(HKEY_CLASSES_ROOT, "QuipmarkTest.Missing", value), 0);
    EXPECT_EQ(value, kPageClass) << "a failed lookup leaves the text alone";
}

TEST_F(LinkFallbackTest, ShellFailureFallsBackToTheWebPageCommand)
{
    const INT_PTR shell = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", kUnhandledUrl, nullptr, nullptr, SW_HIDE));
    ASSERT_LE(shell, 32) << "the shell must not know the test's scheme";

    MessageBoxAnswerer answerer(IDOK);
    OpenWebLink(kUnhandledUrl);
    ASSERT_TRUE(PumpUntil([&] { return ReadBytesOfFile(output).find("\n") != std::string::npos; },
                          20000));
    const std::string written = ReadBytesOfFile(output);
    EXPECT_NE(written.find(kUnhandledUrl), std::string::npos) << written;
    EXPECT_TRUE(Link(IDC_ABOUT_WEB).IsVisited());
    EXPECT_EQ(answerer.Count(), 0);
}

TEST_F(LinkFallbackTest, OverlongCommandIsReportedNotStarted)
{
    MessageBoxAnswerer answerer(IDOK);
    OpenWebLink(std::string(kUnhandledUrl) + "/" + std::string(600, 'x'));
    ASSERT_EQ(answerer.Count(), 1);
    EXPECT_EQ(answerer.Texts()[0], "Unable to open hyperlink:\n\nUnknown Error (24) occurred.");
    EXPECT_FALSE(Link(IDC_ABOUT_WEB).IsVisited());
    PumpUntil([] { return false; }, 300);
    EXPECT_FALSE(FileExists(output));
}

TEST_F(LinkFallbackTest, WithoutACommandTheShellsErrorIsReported)
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kPageClass);
    const int shell = static_cast<int>(reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", kUnhandledUrl, nullptr, nullptr, SW_HIDE)));
    Link(IDC_ABOUT_WEB).SetVisited(true);

    MessageBoxAnswerer answerer(IDOK);
    OpenWebLink(kUnhandledUrl);
    ASSERT_EQ(answerer.Count(), 1);
    EXPECT_EQ(answerer.Texts()[0], OpenErrorMessage(shell));
    EXPECT_EQ(answerer.Captions()[0], CWinApp::Get()->Name());
    EXPECT_FALSE(Link(IDC_ABOUT_WEB).IsVisited()) << "a failed open clears the visited flag";
    EXPECT_FALSE(FileExists(output));
}

// What the modal About box looked like when the timer found it.
struct ModalAboutSeen {
    bool found = false;
    bool visible = false;
};
ModalAboutSeen g_modalAbout;

void CALLBACK CloseModalAbout(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowA(nullptr, "About Quipmark");
    if (box == nullptr || g_modalAbout.found)
        return;
    g_modalAbout.found = true;
    g_modalAbout.visible = IsWindowVisible(box) != FALSE;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

TEST(AboutBoxModal, ShowsItselfAndClosesWithOk)
{
    g_modalAbout = ModalAboutSeen();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseModalAbout);
    CAboutBox about;
    const INT_PTR result = about.DoModal();
    KillTimer(nullptr, timer);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(g_modalAbout.found);
    EXPECT_TRUE(g_modalAbout.visible) << "a modal dialog shows itself";
    EXPECT_EQ(FindWindowA(nullptr, "About Quipmark"), nullptr);
}

}  // namespace
