#include "settings/HotkeyCode.h"
#include <gtest/gtest.h>

namespace {

TEST(HotkeyCode, FlagsMapToRegistrationModifiers)
{
    EXPECT_EQ(RegistrationModifiers(0), 0u);
    EXPECT_EQ(RegistrationModifiers(HotkeyFlag::kControl), HotkeyModifier::kControl);
    // Shift and Alt swap places between the two encodings.
    EXPECT_EQ(RegistrationModifiers(0x01), 0x04u);
    EXPECT_EQ(RegistrationModifiers(0x04), 0x01u);
    EXPECT_EQ(RegistrationModifiers(HotkeyFlag::kControl | HotkeyFlag::kAlt), 0x03u);
    EXPECT_EQ(RegistrationModifiers(0x07), 0x07u);
}

TEST(HotkeyCode, ExtendedAndUndefinedFlagsAreNotPassedOn)
{
    EXPECT_EQ(RegistrationModifiers(HotkeyFlag::kExtended), 0u);
    EXPECT_EQ(RegistrationModifiers(HotkeyFlag::kExtended | HotkeyFlag::kShift), HotkeyModifier::kShift);
    EXPECT_EQ(RegistrationModifiers(0xF0), 0u);
    EXPECT_EQ(RegistrationModifiers(0xFF), 0x07u);
}

TEST(HotkeyCode, KeyAndFlagsComeFromTheLowSixteenBitsOnly)
{
    const std::uint32_t stored = 0xABCD0674;  // junk above Ctrl+Alt+F5
    EXPECT_EQ(HotkeyCombination(stored), 0x0674u);
    EXPECT_EQ(HotkeyKeyCode(stored), 0x74u);
    EXPECT_EQ(HotkeyFlags(stored), 0x06u);
    EXPECT_EQ(HotkeyKeyCode(0x0600), 0u);
    EXPECT_EQ(HotkeyFlags(0x0074), 0u);
}

}  // namespace
