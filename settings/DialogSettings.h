#pragma once
#include "settings/StoredSettings.h"
#include <cstdint>

// The range of the dialog's menu width field.
const int kNarrowestMenu = 10;
const int kWidestMenu = 99;

// The settings the user makes in the dialog, which its controls show and
// change and the program follows; the hotkey apart, which is the system's
// once registered.
struct DialogSettings {
    int menuWidth = 20;
    bool saveOnExit = false;
    bool alwaysOnTop = false;
    bool pasteAfterChoice = false;

    // The settings a start applies from the stored ones. Without a stored
    // width, as at the first start, the dialog's own stays; a stored one
    // out of the field's range becomes the nearest in it.
    static DialogSettings FromStored(const StoredSettings& stored);
    // What a save stores of them, with `hotkey` the registered combination.
    StoredSettings ToStored(std::uint32_t hotkey) const;
};
