#include "paste/PasteRules.h"
#include <initializer_list>

namespace {

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names)
{
    for (const char* candidate : names)
        if (name == candidate)
            return true;
    return false;
}

// The taskbar (on the main and on other monitors), the notification area's
// overflow window, and the window that holds the tray icons under Wine when
// no desktop shell runs.
bool IsTaskbar(const std::string& className)
{
    return IsOneOf(className, {"Shell_TrayWnd", "Shell_SecondaryTrayWnd", "NotifyIconOverflowWindow",
                               "TopLevelWindowForOverflowXamlIsland", "__winex11_standalone_tray"});
}

// The desktop: the shell's windows that draw the wallpaper and icons, and
// the system's own desktop window, in front where no shell runs.
bool IsDesktop(const std::string& className)
{
    return IsOneOf(className, {"Progman", "WorkerW", "#32769"});
}

}  // namespace

PasteVerdict JudgePasteTarget(const PasteWindowFacts& facts)
{
    if (!facts.exists)
        return PasteVerdict::NoWindow;
    if (facts.ownProcess)
        return PasteVerdict::OwnWindow;
    if (IsTaskbar(facts.className) || IsDesktop(facts.className))
        return PasteVerdict::Shell;
    // Windows drops input sent to a process of a higher level without a
    // word. A system where not even this program's level can be read has
    // none to compare; one that hides the target's level guards it.
    if (facts.ownIntegrity && (!facts.integrity || *facts.integrity > *facts.ownIntegrity))
        return PasteVerdict::Elevated;
    return PasteVerdict::Paste;
}

bool MayBeTypingWindow(const std::string& className)
{
    return !IsTaskbar(className);
}

HeldKeysStep StepForHeldKeys(unsigned held, unsigned waitedMs)
{
    if ((held & (kHeldCtrl | kHeldShift | kHeldAlt | kHeldWin)) == 0)
        return HeldKeysStep::Paste;
    return waitedMs < kHeldKeysPatienceMs ? HeldKeysStep::Wait : HeldKeysStep::LiftThenPaste;
}
