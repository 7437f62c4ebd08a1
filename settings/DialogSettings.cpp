#include "settings/DialogSettings.h"
#include <algorithm>

DialogSettings DialogSettings::FromStored(const StoredSettings& stored)
{
    DialogSettings settings;
    if (stored.menuWidth)
        settings.menuWidth = static_cast<int>(
            std::clamp(*stored.menuWidth, static_cast<unsigned>(kNarrowestMenu), static_cast<unsigned>(kWidestMenu)));
    settings.saveOnExit = stored.saveOnExit;
    settings.alwaysOnTop = stored.alwaysOnTop;
    settings.pasteAfterChoice = stored.pasteAfterChoice;
    return settings;
}

StoredSettings DialogSettings::ToStored(std::uint32_t hotkey) const
{
    StoredSettings stored;
    stored.hotkey = hotkey;
    stored.menuWidth = static_cast<unsigned>(menuWidth);
    stored.saveOnExit = saveOnExit;
    stored.alwaysOnTop = alwaysOnTop;
    stored.pasteAfterChoice = pasteAfterChoice;
    return stored;
}
