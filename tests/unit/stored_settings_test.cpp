#include "settings/DialogSettings.h"
#include "settings/StoredSettings.h"
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

StoredSettings Decode(const std::map<std::string, std::uint32_t>& stored)
{
    return DecodeSettings([&](const char* name) -> std::optional<std::uint32_t> {
        const auto found = stored.find(name);
        if (found == stored.end())
            return std::nullopt;
        return found->second;
    });
}

}  // namespace

TEST(StoredSettings, NothingStoredMeansEverythingOffAndNoWidth)
{
    const StoredSettings settings = Decode({});
    EXPECT_EQ(settings.hotkey, 0u);
    EXPECT_FALSE(settings.menuWidth.has_value()) << "the dialog keeps its own";
    EXPECT_FALSE(settings.saveOnExit);
    EXPECT_FALSE(settings.alwaysOnTop);
    EXPECT_EQ(Decode({{"MaxLength", 0}}).menuWidth, 0u) << "a stored 0 is a width";
    EXPECT_EQ(EncodeSettings(settings, false).front().name, std::string("SaveOnExit")) << "no width, none stored";
}

TEST(StoredSettings, BadNumbersDecodeToSoundSettings)
{
    for (std::uint32_t width : {101u, 250u, 65536u, 0xFFFFFFFFu})
        EXPECT_EQ(Decode({{"MaxLength", width}}).menuWidth, 100u) << width;
    EXPECT_EQ(Decode({{"MaxLength", 35}}).menuWidth, 35u);
    EXPECT_EQ(Decode({{"Hotkey", 0xABCD0674u}}).hotkey, 0x0674u);
    for (std::uint32_t on : {1u, 7u, 0xFFFFFFFFu}) {
        EXPECT_TRUE(Decode({{"SaveOnExit", on}}).saveOnExit) << on;
        EXPECT_TRUE(Decode({{"PasteAfterChoice", on}}).pasteAfterChoice) << on;
    }
    EXPECT_FALSE(Decode({{"PasteAfterChoice", 0}}).pasteAfterChoice);
    EXPECT_FALSE(Decode({}).pasteAfterChoice) << "missing: off";
    EXPECT_TRUE(Decode({{"AlwaysOnTop", 1}}).alwaysOnTop);
    for (std::uint32_t notOne : {0u, 2u, 7u, 0x101u})
        EXPECT_FALSE(Decode({{"AlwaysOnTop", notOne}}).alwaysOnTop) << notOne;
}

TEST(StoredSettings, AreWrittenInAFixedOrderAndReadBackAsWritten)
{
    StoredSettings settings;
    settings.hotkey = 0x0674;
    settings.menuWidth = 42;
    settings.saveOnExit = true;
    settings.pasteAfterChoice = true;
    const std::vector<StoredNumber> numbers = EncodeSettings(settings, true);
    ASSERT_EQ(numbers.size(), 5u);
    const char* order[] = {"Hotkey", "MaxLength", "SaveOnExit", "AlwaysOnTop", "PasteAfterChoice"};
    const std::uint32_t values[] = {0x0674, 42, 1, 0, 1};
    std::map<std::string, std::uint32_t> stored;
    for (size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_STREQ(numbers[i].name, order[i]);
        EXPECT_EQ(numbers[i].number, values[i]) << order[i];
        stored[numbers[i].name] = numbers[i].number;
    }
    const StoredSettings back = Decode(stored);
    EXPECT_EQ(back.hotkey, settings.hotkey);
    EXPECT_EQ(back.menuWidth, settings.menuWidth);
    EXPECT_EQ(back.saveOnExit, settings.saveOnExit);
    EXPECT_EQ(back.alwaysOnTop, settings.alwaysOnTop);
    EXPECT_EQ(back.pasteAfterChoice, settings.pasteAfterChoice);
    // The hotkey is left out until it is registered.
    EXPECT_STREQ(EncodeSettings(settings, false).front().name, "MaxLength");
}

// What a start applies of the stored settings, and what a save stores of
// them again: a width outside the dialog's field becomes the nearest in it,
// none keeps the dialog's own, and every switch comes back as it went.
TEST(DialogSettings, AStoredWidthIsTakenIntoTheFieldsRangeAndTheRestRoundTrips)
{
    const struct {
        std::optional<unsigned> stored;
        int applied;
    } widths[] = {{std::nullopt, 20}, {0u, 10}, {9u, 10}, {10u, 10}, {42u, 42}, {99u, 99}, {100u, 99}, {0xFFFFFFFFu, 99}};
    for (const auto& width : widths) {
        for (int switches = 0; switches < 8; ++switches) {
            StoredSettings stored;
            stored.menuWidth = width.stored;
            stored.saveOnExit = (switches & 1) != 0;
            stored.alwaysOnTop = (switches & 2) != 0;
            stored.pasteAfterChoice = (switches & 4) != 0;
            const DialogSettings applied = DialogSettings::FromStored(stored);
            EXPECT_EQ(applied.menuWidth, width.applied) << width.stored.value_or(0);
            const StoredSettings saved = applied.ToStored(0x0674);
            EXPECT_EQ(saved.hotkey, 0x0674u);
            EXPECT_EQ(saved.menuWidth, static_cast<unsigned>(width.applied));
            EXPECT_EQ(saved.saveOnExit, stored.saveOnExit) << switches;
            EXPECT_EQ(saved.alwaysOnTop, stored.alwaysOnTop) << switches;
            EXPECT_EQ(saved.pasteAfterChoice, stored.pasteAfterChoice) << switches;
        }
    }
}
