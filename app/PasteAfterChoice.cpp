#include "app/PasteAfterChoice.h"
#include "framework/AppMessageBox.h"
#include "framework/PasteKeys.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include <algorithm>
#include <vector>

namespace {

const char kOwnerProperty[] = "QuipmarkPasteAfterChoice";
const UINT kStepMs = 15;
const UINT kFollowMs = 250;
// The target takes the focus within this, or nothing is pasted.
const DWORD kFocusPatienceMs = 1000;
const char kElevatedText[] =
    "The entry is on the clipboard, but Quipmark could not paste it: the window you were typing in runs "
    "as administrator, and Windows does not let other programs type into it. Paste it there with Ctrl+V.";

// The integrity level of a process's token (the last part of its mandatory
// label); none where the system does not say.
std::optional<std::uint32_t> IntegrityOf(HANDLE process)
{
    HANDLE opened = nullptr;
    if (process == nullptr || !OpenProcessToken(process, TOKEN_QUERY, &opened))
        return std::nullopt;
    const ScopedHandle token(opened);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenIntegrityLevel, nullptr, 0, &size);
    if (size < sizeof(TOKEN_MANDATORY_LABEL))
        return std::nullopt;
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.Get(), TokenIntegrityLevel, buffer.data(), size, &size))
        return std::nullopt;
    const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    if (sid == nullptr || !IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(*GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u));
}

HWND TopLevelOf(HWND window)
{
    HWND root = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
    return root != nullptr ? root : window;
}

std::string ClassOf(HWND window)
{
    char name[256] = "";
    const int length = GetClassNameA(window, name, sizeof(name));
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

unsigned HeldBits(const std::vector<WORD>& held)
{
    unsigned bits = 0;
    for (WORD vk : held)
        bits |= vk == VK_CONTROL ? kHeldCtrl : vk == VK_SHIFT ? kHeldShift : vk == VK_MENU ? kHeldAlt : kHeldWin;
    return bits;
}

// The bottom left of the text cursor of `window`'s thread, on the screen and
// within its monitor's work area; false where that thread shows none.
bool CaretPoint(HWND window, POINT& point)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread == 0 || !GetGUIThreadInfo(thread, &info) || info.hwndCaret == nullptr)
        return false;
    POINT caret = {info.rcCaret.left, info.rcCaret.bottom};
    if (!ClientToScreen(info.hwndCaret, &caret))
        return false;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromPoint(caret, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    const RECT& area = monitor.rcWork;
    point.x = std::max(area.left, std::min(caret.x, area.right - 1));
    point.y = std::max(area.top, std::min(caret.y, area.bottom - 1));
    return true;
}

}  // namespace

PasteWindowFacts CPasteAfterChoice::FactsOf(HWND window)
{
    PasteWindowFacts facts;
    const HWND top = TopLevelOf(window);
    facts.exists = top != nullptr && IsWindow(top);
    if (!facts.exists)
        return facts;
    facts.className = ClassOf(top);
    DWORD process = 0;
    GetWindowThreadProcessId(top, &process);
    facts.ownProcess = process == GetCurrentProcessId();
    facts.ownIntegrity = IntegrityOf(GetCurrentProcess());
    const ScopedHandle opened(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    facts.integrity = facts.ownProcess ? facts.ownIntegrity : IntegrityOf(opened.Get());
    return facts;
}

void CPasteAfterChoice::Enable(HWND owner, bool on)
{
    if (m_owner != nullptr && m_owner != owner)
        RemovePropA(m_owner, kOwnerProperty);
    m_owner = owner;
    m_on = on && owner != nullptr;
    if (!m_on) {
        // Nothing follows the foreground while the setting is off.
        m_foregroundHook.Reset(nullptr);
        if (owner != nullptr) {
            RemovePropA(owner, kOwnerProperty);
            KillTimer(owner, kFollowTimer);
        }
        m_following = false;
        Stop();
        m_lastInFront = m_target = nullptr;
        return;
    }
    if (m_following)
        return;
    m_following = true;
    SetPropA(owner, kOwnerProperty, this);
    // Out of context: Windows posts each change of the window in front to
    // this thread, which costs nothing while the foreground stays. Wine
    // tells of none, so a look every few tenths of a second follows it
    // there (and on Windows it finds nothing new).
    m_foregroundHook.Reset(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnWinEvent,
                                           0, 0, WINEVENT_OUTOFCONTEXT));
    SetTimer(owner, kFollowTimer, kFollowMs, nullptr);
    OnForeground(GetForegroundWindow());
}

void CALLBACK CPasteAfterChoice::OnWinEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD)
{
    // The hook's callback knows no object: the application's window holds
    // it. Whatever the event names, the window in front is what counts.
    const CWinApp* app = CWinApp::Get();
    const HWND main = app != nullptr && app->MainWnd() != nullptr ? app->MainWnd()->Handle() : nullptr;
    auto* paste = main != nullptr ? static_cast<CPasteAfterChoice*>(GetPropA(main, kOwnerProperty)) : nullptr;
    if (paste != nullptr)
        paste->OnForeground(GetForegroundWindow());
}

void CPasteAfterChoice::OnForeground(HWND window)
{
    // A hidden window in front (this program's dialog, while its popup
    // opens) is none the user types in.
    const HWND top = TopLevelOf(window);
    if (m_on && top != nullptr && IsWindowVisible(top) && MayBeTypingWindow(ClassOf(top)))
        m_lastInFront = window;
}

void CPasteAfterChoice::Aim(bool fromHotkey, POINT& anchor)
{
    if (!m_on)
        return;
    // A paste still waiting for its keys gives way to the new popup.
    Stop();
    m_target = fromHotkey ? GetForegroundWindow() : m_lastInFront;
    if (fromHotkey && JudgePasteTarget(FactsOf(m_target)) == PasteVerdict::Paste)
        CaretPoint(m_target, anchor);
}

void CPasteAfterChoice::OnHandedOut()
{
    const HWND target = m_target;
    m_target = nullptr;
    if (!m_on || target == nullptr)
        return;
    const PasteVerdict verdict = JudgePasteTarget(FactsOf(target));
    if (verdict == PasteVerdict::Elevated)
        TellElevated(target);
    if (verdict != PasteVerdict::Paste)
        return;
    m_pasting = target;
    m_startedAt = GetTickCount();
    m_focused = false;
    // Keys the user still holds are waited for on a timer, as is a window
    // slow to come to the front.
    if (Step() || SetTimer(m_owner, kTimer, kStepMs, nullptr) == 0)
        Stop();
}

void CPasteAfterChoice::OnTimer(UINT_PTR id)
{
    if (id == kFollowTimer)
        OnForeground(GetForegroundWindow());
    else if (m_pasting == nullptr || Step())
        Stop();
}

bool CPasteAfterChoice::Step()
{
    if (!m_focused) {
        const std::vector<WORD> held = CPasteKeys::HeldModifiers();
        const HeldKeysStep step = StepForHeldKeys(HeldBits(held), GetTickCount() - m_startedAt);
        if (step == HeldKeysStep::Wait)
            return false;
        // The window may have gone while the keys were held.
        if (JudgePasteTarget(FactsOf(m_pasting)) != PasteVerdict::Paste ||
            (step == HeldKeysStep::LiftThenPaste && !CPasteKeys::Lift(held)) ||
            !SetForegroundWindow(TopLevelOf(m_pasting)))
            return true;
        m_focused = true;
        m_startedAt = GetTickCount();
    }
    if (GetForegroundWindow() != TopLevelOf(m_pasting))
        return GetTickCount() - m_startedAt > kFocusPatienceMs;
    CPasteKeys::SendCtrlV();
    return true;
}

void CPasteAfterChoice::Stop()
{
    m_pasting = nullptr;
    if (m_owner != nullptr)
        KillTimer(m_owner, kTimer);
}

void CPasteAfterChoice::TellElevated(HWND target)
{
    if (target == m_toldElevated)
        return;
    m_toldElevated = target;
    AppMessageBox(kElevatedText, MB_OK | MB_ICONINFORMATION);
}
