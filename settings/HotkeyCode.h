#pragma once
#include <cstdint>

// A hotkey combination as the hotkey control encodes it: the virtual-key
// code in bits 0-7, the HOTKEYF_ modifier flags in bits 8-15. Higher bits
// carry nothing and are ignored.
namespace HotkeyFlag {
const unsigned kShift = 0x01;    // HOTKEYF_SHIFT
const unsigned kControl = 0x02;  // HOTKEYF_CONTROL
const unsigned kAlt = 0x04;      // HOTKEYF_ALT
const unsigned kExtended = 0x08; // HOTKEYF_EXT
}  // namespace HotkeyFlag

// The modifiers RegisterHotKey takes.
namespace HotkeyModifier {
const unsigned kAlt = 0x0001;      // MOD_ALT
const unsigned kControl = 0x0002;  // MOD_CONTROL
const unsigned kShift = 0x0004;    // MOD_SHIFT
}  // namespace HotkeyModifier

inline std::uint32_t HotkeyCombination(std::uint32_t value) { return value & 0xFFFF; }
inline unsigned HotkeyKeyCode(std::uint32_t value) { return value & 0xFF; }
inline unsigned HotkeyFlags(std::uint32_t value) { return (value >> 8) & 0xFF; }

// The RegisterHotKey modifiers of a combination's flags. The extended-key
// flag only tells which of two same-named keys was pressed; registration
// has no such modifier, so it is dropped, and so are undefined flags.
unsigned RegistrationModifiers(unsigned hotkeyFlags);
