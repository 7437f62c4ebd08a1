#include "settings/StoredSettings.h"
#include "settings/HotkeyCode.h"
#include <algorithm>

const char kHotkeyValue[] = "Hotkey";
const char kMaxLengthValue[] = "MaxLength";
const char kSaveOnExitValue[] = "SaveOnExit";
const char kAlwaysOnTopValue[] = "AlwaysOnTop";
const char kPasteAfterChoiceValue[] = "PasteAfterChoice";
const char kDataFolderValue[] = "DataFolder";
const char kMachineIdValue[] = "MachineId";
const char kMachineEditsValue[] = "MachineEdits";

StoredSettings DecodeSettings(const std::function<std::optional<std::uint32_t>(const char* name)>& read)
{
    StoredSettings settings;
    settings.hotkey = HotkeyCombination(read(kHotkeyValue).value_or(0));
    if (const std::optional<std::uint32_t> width = read(kMaxLengthValue))
        settings.menuWidth = static_cast<unsigned>(std::min<std::uint32_t>(*width, kMaxMenuWidth));
    settings.saveOnExit = read(kSaveOnExitValue).value_or(0) != 0;
    settings.alwaysOnTop = read(kAlwaysOnTopValue).value_or(0) == 1;
    settings.pasteAfterChoice = read(kPasteAfterChoiceValue).value_or(0) != 0;
    return settings;
}

std::vector<StoredNumber> EncodeSettings(const StoredSettings& settings, bool withHotkey)
{
    std::vector<StoredNumber> numbers;
    if (withHotkey)
        numbers.push_back({kHotkeyValue, HotkeyCombination(settings.hotkey)});
    if (settings.menuWidth)
        numbers.push_back({kMaxLengthValue, std::min(*settings.menuWidth, kMaxMenuWidth)});
    numbers.push_back({kSaveOnExitValue, settings.saveOnExit ? 1u : 0u});
    numbers.push_back({kAlwaysOnTopValue, settings.alwaysOnTop ? 1u : 0u});
    numbers.push_back({kPasteAfterChoiceValue, settings.pasteAfterChoice ? 1u : 0u});
    return numbers;
}
