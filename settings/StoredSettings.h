#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The program's settings as they are kept between runs.
struct StoredSettings {
    // The global hotkey as the hotkey control encodes it; 0 for none.
    std::uint32_t hotkey = 0;
    // How many characters of a label the tray menu shows, at most
    // kMaxMenuWidth; none where no width is stored, as at the first start,
    // so that the dialog keeps its own.
    std::optional<unsigned> menuWidth;
    bool saveOnExit = false;
    bool alwaysOnTop = false;
    // A chosen entry is pasted into the window the user was typing in.
    bool pasteAfterChoice = false;
};

const unsigned kMaxMenuWidth = 100;

// The names of the stored values.
extern const char kHotkeyValue[];
extern const char kMaxLengthValue[];
extern const char kSaveOnExitValue[];
extern const char kAlwaysOnTopValue[];
extern const char kPasteAfterChoiceValue[];
// The folder the user chose for the entries (text); none for the program's own.
extern const char kDataFolderValue[];
// This machine's identity for the entries' versions, and its count of edits.
extern const char kMachineIdValue[];
extern const char kMachineEditsValue[];

struct StoredNumber {
    const char* name;
    std::uint32_t number;
};

// The settings from their stored numbers, which `read` gives by name (none
// for a value that is missing or not a number). Whatever was stored, the
// result is sound: bits above the hotkey's combination are dropped, the
// width is limited, "SaveOnExit" and "PasteAfterChoice" are on for
// anything but 0 and "AlwaysOnTop" only for exactly 1. A missing value
// counts as 0, but for the width, which is then none.
StoredSettings DecodeSettings(const std::function<std::optional<std::uint32_t>(const char* name)>& read);

// The numbers to store, in the order they are written. The hotkey comes
// first, and only with `withHotkey`: it is stored once it is registered;
// the width only where there is one.
std::vector<StoredNumber> EncodeSettings(const StoredSettings& settings, bool withHotkey);
