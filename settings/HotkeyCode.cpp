#include "settings/HotkeyCode.h"

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
static_assert(HotkeyFlag::kShift == HOTKEYF_SHIFT && HotkeyFlag::kControl == HOTKEYF_CONTROL &&
                  HotkeyFlag::kAlt == HOTKEYF_ALT && HotkeyFlag::kExtended == HOTKEYF_EXT,
              "hotkey control flags");
static_assert(HotkeyModifier::kAlt == MOD_ALT && HotkeyModifier::kControl == MOD_CONTROL &&
                  HotkeyModifier::kShift == MOD_SHIFT,
              "registration modifiers");
#endif

unsigned RegistrationModifiers(unsigned hotkeyFlags)
{
    unsigned modifiers = 0;
    if (hotkeyFlags & HotkeyFlag::kAlt)
        modifiers |= HotkeyModifier::kAlt;
    if (hotkeyFlags & HotkeyFlag::kControl)
        modifiers |= HotkeyModifier::kControl;
    if (hotkeyFlags & HotkeyFlag::kShift)
        modifiers |= HotkeyModifier::kShift;
    return modifiers;
}
