// The popup narrowed by typing as a window: where it opens, what it shows
// of the find, and what its keys and clicks hand out. What matches and how
// the lines read is the find's own tests' business.
#include "GuiTestSupport.h"
#include "RegistryTestSupport.h"
#include "framework/CodePage.h"

namespace {

RECT WorkAreaAt(POINT point)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

RECT WindowRect(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    return rect;
}

bool Holds(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// A click of the left button at `at` on the screen, as the user's mouse.
void ClickAt(POINT at)
{
    INPUT input[3] = {};
    for (INPUT& event : input) {
        event.type = INPUT_MOUSE;
        event.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        event.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        event.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    input[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, input, sizeof(INPUT));
}

POINT CentreOnScreen(const CPopupFindWindow& popup, size_t line)
{
    const RECT rect = popup.LineRect(line);
    POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(popup.Handle(), &centre);
    return centre;
}

class PopupFindWindow : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        SetNumber(kSettingsPath, "MaxLength", 20);
    }
    void StartWithSignatures()
    {
        StartWith(K("Work") + E("Signature\r\nAlex, Work Ltd") + E("Meeting notes") + K("Hello") + K("Home") +
                  E("Signature\r\nAlex"));
        ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Hwnd()); }));
    }
    std::vector<std::wstring> Texts(const std::vector<PopupFindLine>& lines)
    {
        std::vector<std::wstring> texts;
        for (const PopupFindLine& line : lines)
            texts.push_back(line.text);
        return texts;
    }
};

// Where the menu opens, as far into the corner of the screen as it goes: the
// popup lies within the screen, with the corner at the menu's point that a
// menu would put there.
TEST_F(PopupFindWindow, OpensAtTheMenusPlaceWithinTheScreenShowingTheFindsLines)
{
    StartWithSignatures();
    const RECT work = WorkAreaAt(POINT{0, 0});
    const struct {
        POINT at;
        bool leftOf, above;
    } cases[] = {{{work.left + 40, work.top + 30}, false, false}, {{work.right - 2, work.bottom - 2}, true, true}};
    for (const auto& c : cases) {
        const CPopupFindWindow* popup = TypeInMenu(*dialog, c.at, L"sig");
        ASSERT_NE(popup, nullptr);
        const RECT rect = WindowRect(popup->Handle());
        EXPECT_TRUE(Holds(work, rect));
        EXPECT_EQ(c.leftOf ? rect.right : rect.left, c.at.x);
        EXPECT_EQ(c.above ? rect.bottom : rect.top, c.at.y);

        PopupFind find(Entries(), LowerCaseUnicode, FromSystemCodePage);
        find.SetQuery(L"sig");
        EXPECT_EQ(Texts(popup->Lines()), Texts(find.Lines(20, 100)));
        ASSERT_EQ(popup->Lines().size(), 3u);
        EXPECT_EQ(popup->Highlight(), 1) << "the first match is highlighted";
        EXPECT_GE(popup->LineRect(1).top, popup->LineRect(0).bottom + 2) << "the query stands apart";
        SendMessageW(popup->Handle(), WM_CLOSE, 0, 0);
        EXPECT_FALSE(popup->IsOpen());
    }
}

TEST_F(PopupFindWindow, AClickHandsOutTheClickedEntryAndEnterTheHighlightedOneAsTheMenuDoes)
{
    StartWithSignatures();
    const std::function<void(const CPopupFindWindow&)> choices[] = {
        [](const CPopupFindWindow& popup) {
            ClickAt(CentreOnScreen(popup, 2));
            PumpMessages();
            EXPECT_EQ(popup.Highlight(), 2);
        },
        [](const CPopupFindWindow& popup) {
            SendMessageW(popup.Handle(), WM_KEYDOWN, VK_DOWN, 1);
            EXPECT_EQ(popup.Highlight(), 2);
            SendMessageW(popup.Handle(), WM_KEYDOWN, VK_RETURN, 1);
        }};
    for (const auto& choose : choices) {
        SCOPED_TRACE(&choose == &choices[0] ? "a click" : "Down, Enter");
        SetClipboardText("before");
        const CPopupFindWindow* popup = TypeInMenu(*dialog, POINT{200, 150}, L"sig");
        ASSERT_NE(popup, nullptr);
        // The second match: the Home group's, then the history's copy of it
        // before the groups.
        ASSERT_GE(popup->Lines().size(), 3u);
        const std::string second = Entries().Text(popup->Lines()[2].entry);
        EXPECT_NE(second.find("Signature"), std::string::npos);
        choose(*popup);
        EXPECT_TRUE(PumpUntil([&] { return ClipboardText() == second; })) << ClipboardText();
        EXPECT_FALSE(popup->IsOpen());
        const EntryId branch = Entries().ClipboardBranch();
        EXPECT_TRUE(PumpUntil([&] {
            return Entries().HasChildren(branch) && Entries().Text(Entries().Children(branch).front()) == second;
        })) << "the history records it as it records a menu's choice";
    }
}

TEST_F(PopupFindWindow, AClickElsewhereClosesItWithoutHandingOut)
{
    StartWithSignatures();
    SetClipboardText("before");
    const CPopupFindWindow* popup = TypeInMenu(*dialog, POINT{300, 200}, L"sig");
    ASSERT_NE(popup, nullptr);
    ClickAt(POINT{250, 150});
    EXPECT_TRUE(PumpUntil([&] { return !popup->IsOpen(); }));
    PumpMessages();
    EXPECT_EQ(ClipboardText(), "before");
}

// Escape, and Backspace of the query's only character, give back the whole
// menu at the popup's place.
TEST_F(PopupFindWindow, EscapeOrAnEmptiedQueryBringsBackTheWholeMenu)
{
    StartWithSignatures();
    const size_t wholeMenu = DriveMenu([&] { dialog->ShowTrayMenu(0, POINT{200, 150}); }).size();
    for (WPARAM key : {VK_ESCAPE, VK_BACK}) {
        const CPopupFindWindow* popup = TypeInMenu(*dialog, POINT{200, 150}, L"s");
        ASSERT_NE(popup, nullptr);
        const auto items = DriveMenu([&] {
            SendMessageW(popup->Handle(), WM_KEYDOWN, key, 1);
            EXPECT_FALSE(popup->IsOpen());
            PumpMessages();
        });
        EXPECT_EQ(items.size(), wholeMenu) << "key " << key;
    }
}

// A copy made while the popup is open changes the entries: the popup
// follows, as it follows a change of the data file.
TEST_F(PopupFindWindow, FollowsAChangeOfTheEntriesWhileOpen)
{
    StartWithSignatures();
    const CPopupFindWindow* popup = TypeInMenu(*dialog, POINT{200, 150}, L"sig");
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->Lines().size(), 3u);
    SetClipboardText("sig copied while open");
    ASSERT_TRUE(PumpUntil([&] { return popup->Lines().size() == 4u; }));
    EXPECT_EQ(Entries().Text(popup->Lines()[1].entry), "sig copied while open");
    EXPECT_EQ(popup->Highlight(), 1);
    SendMessageW(popup->Handle(), WM_CLOSE, 0, 0);
}

TEST_F(PopupFindWindow, ManyMatchesFillTheScreenAndNoMore)
{
    std::string bytes = K("group");
    for (int i = 0; i < 3000; ++i)
        bytes += E("item " + std::to_string(i));
    StartWith(bytes);
    const CPopupFindWindow* popup = TypeInMenu(*dialog, POINT{100, 100}, L"item");
    ASSERT_NE(popup, nullptr);
    const RECT work = WorkAreaAt(POINT{100, 100});
    EXPECT_TRUE(Holds(work, WindowRect(popup->Handle())));
    const std::vector<PopupFindLine>& lines = popup->Lines();
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(lines.back().kind, PopupFindLine::Kind::MoreMatches);
    RECT client = {0, 0, 0, 0};
    GetClientRect(popup->Handle(), &client);
    EXPECT_LE(popup->LineRect(lines.size() - 1).bottom, client.bottom) << "the count is shown";
    // Another line would not fit the screen.
    const RECT rect = WindowRect(popup->Handle());
    EXPECT_GT(rect.bottom - rect.top + popup->LineRect(1).bottom - popup->LineRect(1).top, work.bottom - work.top);
}

}  // namespace
