#pragma once
#include <cstdint>
#include <optional>
#include <string>

// Where and when a chosen entry is pasted for the user: the rules, apart
// from the windows they are about. The program gathers the facts of a
// window; these rules decide.

// What is known of the window the user was typing in (its top-level window).
struct PasteWindowFacts {
    // The window still exists.
    bool exists = false;
    // It belongs to this program: its dialog, a message box, its popup.
    bool ownProcess = false;
    // The class name of the top-level window.
    std::string className;
    // The integrity levels (the mandatory label's relative id) of the
    // window's process and of this program; none where it could not be read.
    std::optional<std::uint32_t> integrity;
    std::optional<std::uint32_t> ownIntegrity;
};

enum class PasteVerdict {
    Paste,
    // No window to paste into: none was in front, or it has closed.
    NoWindow,
    // One of this program's own windows.
    OwnWindow,
    // The taskbar, the notification area or the desktop.
    Shell,
    // Windows lets no program of ours type there: it runs at a higher
    // integrity level (as administrator), or one that cannot be read.
    Elevated,
};

PasteVerdict JudgePasteTarget(const PasteWindowFacts& facts);

// Whether a window that came to the front may be the one the user was
// typing in before the tray icon's popup opened: the taskbar and the
// notification area take the foreground on the way to the tray icon and
// are passed over; every other window counts, the desktop and this
// program's own included (choosing then pastes nowhere).
bool MayBeTypingWindow(const std::string& className);

// The modifier keys (held now) that would turn Ctrl+V into another chord.
enum HeldModifier : unsigned {
    kHeldCtrl = 1,
    kHeldShift = 2,
    kHeldAlt = 4,
    kHeldWin = 8,
};

enum class HeldKeysStep {
    // Keys are still held: look again shortly.
    Wait,
    // Nothing is held: paste.
    Paste,
    // Held for longer than a person holds a chord they let go of: lift
    // them first (so that no menu opens on their release), then paste.
    LiftThenPaste,
};

// How long a paste waits for the keys of the hotkey to be released.
const unsigned kHeldKeysPatienceMs = 1000;

// `held` is a set of HeldModifier bits, `waitedMs` the time since the choice.
HeldKeysStep StepForHeldKeys(unsigned held, unsigned waitedMs);
