#include "paste/PasteRules.h"
#include <gtest/gtest.h>

namespace {

PasteWindowFacts Window(const std::string& className, std::optional<std::uint32_t> integrity = 0x2000,
                        std::optional<std::uint32_t> own = 0x2000)
{
    PasteWindowFacts facts;
    facts.exists = true;
    facts.className = className;
    facts.integrity = integrity;
    facts.ownIntegrity = own;
    return facts;
}

}  // namespace

TEST(PasteTarget, OnlyAnOrdinaryWindowOfAnotherProgramAtOurLevelOrBelowIsPastedInto)
{
    const std::uint32_t low = 0x1000, high = 0x3000, system = 0x4000;
    PasteWindowFacts closed = Window("Notepad");
    closed.exists = false;
    PasteWindowFacts own = Window("#32770");
    own.ownProcess = true;
    const struct {
        PasteWindowFacts facts;
        PasteVerdict verdict;
    } cases[] = {
        {Window("Notepad"), PasteVerdict::Paste},
        {Window("Notepad", low), PasteVerdict::Paste},
        {Window("Progman"), PasteVerdict::Shell},
        {Window("WorkerW"), PasteVerdict::Shell},
        {Window("#32769"), PasteVerdict::Shell},
        {Window("Shell_TrayWnd"), PasteVerdict::Shell},
        {Window("Shell_SecondaryTrayWnd"), PasteVerdict::Shell},
        {closed, PasteVerdict::NoWindow},
        {own, PasteVerdict::OwnWindow},
        {Window("Notepad", high), PasteVerdict::Elevated},
        {Window("Notepad", system), PasteVerdict::Elevated},
        // A process whose level is hidden from us guards it.
        {Window("Notepad", std::nullopt), PasteVerdict::Elevated},
        {Window("Notepad", high, high), PasteVerdict::Paste},
        // Without levels to compare (a system that has none), nothing is refused for them.
        {Window("Notepad", std::nullopt, std::nullopt), PasteVerdict::Paste},
        {Window("Notepad", system, std::nullopt), PasteVerdict::Paste},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JudgePasteTarget(c.facts), c.verdict)
            << c.facts.className << " exists " << c.facts.exists << " own " << c.facts.ownProcess << " level "
            << c.facts.integrity.value_or(0) << " ours " << c.facts.ownIntegrity.value_or(0);
}

TEST(PasteTarget, TheTaskbarOnTheWayToTheTrayIconIsPassedOverAndTheDesktopIsNot)
{
    for (const char* passed : {"Shell_TrayWnd", "Shell_SecondaryTrayWnd", "NotifyIconOverflowWindow",
                               "__winex11_standalone_tray"})
        EXPECT_FALSE(MayBeTypingWindow(passed)) << passed;
    for (const char* typing : {"Notepad", "Progman", "WorkerW", "#32770", ""})
        EXPECT_TRUE(MayBeTypingWindow(typing)) << typing;
}

TEST(HeldKeys, APasteWaitsBrieflyForEveryModifierThenLiftsThem)
{
    EXPECT_EQ(StepForHeldKeys(0, 0), HeldKeysStep::Paste);
    EXPECT_EQ(StepForHeldKeys(0, 5000), HeldKeysStep::Paste);
    for (unsigned held : std::initializer_list<unsigned>{kHeldCtrl, kHeldShift, kHeldAlt, kHeldWin, kHeldCtrl | kHeldAlt, 15u}) {
        EXPECT_EQ(StepForHeldKeys(held, 0), HeldKeysStep::Wait) << held;
        EXPECT_EQ(StepForHeldKeys(held, kHeldKeysPatienceMs - 1), HeldKeysStep::Wait) << held;
        EXPECT_EQ(StepForHeldKeys(held, kHeldKeysPatienceMs), HeldKeysStep::LiftThenPaste) << held;
    }
    // Bits of no modifier are no reason to wait.
    EXPECT_EQ(StepForHeldKeys(0x10, 0), HeldKeysStep::Paste);
}
