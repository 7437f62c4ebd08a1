#include "settings/StoredSettings.h"
#include "settings/HotkeyCode.h"
#include <algorithm>

const char kHotkeyValue[] = "Hotkey";
const char kMaxLengthValue[] = "MaxLength";
const char kSaveOnExitValue[] = "SaveOnExit";
const char kAlwaysOnTopValue[] = "AlwaysOnTop";
const char kDataFolderValue[] = "DataFolder";

StoredSettings DecodeSettings(const std::function<std::uint32_t(const char* name)>& read)
{
    StoredSettings settings;
    settings.hotkey = HotkeyCombination(read(kHotkeyValue));
    settings.menuWidth = static_cast<unsigned>(std::min<std::uint32_t>(read(kMaxLengthValue), kMaxMenuWidth));
    settings.saveOnExit = read(kSaveOnExitValue) != 0;
    settings.alwaysOnTop = read(kAlwaysOnTopValue) == 1;
    return settings;
}

std::vector<StoredNumber> EncodeSettings(const StoredSettings& settings, bool withHotkey)
{
    std::vector<StoredNumber> numbers;
    if (withHotkey)
        numbers.push_back({kHotkeyValue, HotkeyCombination(settings.hotkey)});
    numbers.push_back({kMaxLengthValue, std::min(settings.menuWidth, kMaxMenuWidth)});
    numbers.push_back({kSaveOnExitValue, settings.saveOnExit ? 1u : 0u});
    numbers.push_back({kAlwaysOnTopValue, settings.alwaysOnTop ? 1u : 0u});
    return numbers;
}
