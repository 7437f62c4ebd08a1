#include "GuiTestSupport.h"
#include "RegistryTestSupport.h"
#include "settings/RegistryKey.h"
#include <cstring>

namespace {

const std::string kBase = "Software\\Dorvalent\\LayerTest";

class RegistryLayer : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { DeleteSettingsKey(); }
    // The text the layer reads, or "<unread>" when the read fails.
    std::string TextAt(const std::string& path, const char* name) const
    {
        std::string text;
        return registry.ReadString(path, name, text) ? text : "<unread>";
    }

    CRegistryKey registry{HKEY_CURRENT_USER};
};

TEST_F(RegistryLayer, NumbersAndStringsRoundTrip)
{
    ASSERT_TRUE(registry.WriteNumber(kBase, "n", 0xDEADBEEF));
    DWORD number = 0;
    ASSERT_TRUE(registry.ReadNumber(kBase, "n", number));
    EXPECT_EQ(number, 0xDEADBEEFu);
    EXPECT_EQ(NumberOr(kBase, "n", 0), 0xDEADBEEFu) << "stored as four bytes of REG_DWORD";

    SetText(kBase, "s", "hello");
    EXPECT_EQ(TextAt(kBase, "s"), "hello");
    // A path written with a trailing backslash names the same key.
    EXPECT_EQ(TextAt(kBase + "\\", "s"), "hello");
}

// Which types read as what is tested natively; here, that a read that
// fails, for a missing key or value or data of another type, leaves it.
TEST_F(RegistryLayer, FailedReadsLeaveTheOutParameter)
{
    DWORD number = 7;
    std::string text = "kept";
    EXPECT_FALSE(registry.ReadNumber(kBase, "n", number));
    EXPECT_FALSE(registry.ReadString(kBase + "\\Nowhere", "s", text));
    SetText(kBase, "text", "42");
    SetNumber(kBase, "number", 42);
    EXPECT_FALSE(registry.ReadNumber(kBase, "n", number));
    EXPECT_FALSE(registry.ReadNumber(kBase, "text", number));
    EXPECT_FALSE(registry.ReadString(kBase, "number", text));
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(text, "kept");

    CRegistryValue value(99);
    EXPECT_FALSE(registry.QueryRaw(kBase, "n", value));
    EXPECT_EQ(value.Data(), nullptr) << "a failed query leaves no block";
    EXPECT_EQ(value.Size(), 0u);
}

TEST_F(RegistryLayer, AMegabyteStringReadsWhole)
{
    const std::string large(1 << 20, 'm');
    SetText(kBase, "large", large);
    const std::string text = TextAt(kBase, "large");
    EXPECT_EQ(text.size(), large.size());
    EXPECT_EQ(text, large);
    // The list import reads each text with every character too.
    std::wstring unicode;
    ASSERT_TRUE(registry.ReadUnicodeString(kBase, "large", unicode));
    EXPECT_EQ(unicode.size(), large.size());
    EXPECT_TRUE(unicode == std::wstring(large.begin(), large.end()));
}

TEST_F(RegistryLayer, RawValuesKeepTheirTypeAndBytes)
{
    CRegistryValue value;
    ASSERT_TRUE(value.Allocate(3));
    memcpy(value.Data(), "\x01\x02\x03", 3);
    value.SetType(REG_BINARY);
    ASSERT_TRUE(registry.WriteRaw(kBase + "\\Raw", "bin", value));

    CRegistryValue back;
    ASSERT_TRUE(registry.QueryRaw(kBase + "\\Raw", "bin", back));
    EXPECT_EQ(back.Type(), static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(back.Size(), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back.Data()), 3), "\x01\x02\x03");
    DWORD number = 5;
    EXPECT_FALSE(back.AsNumber(number));
    EXPECT_EQ(number, 5u);
}

TEST_F(RegistryLayer, WritingCreatesTheMissingKeysOfThePath)
{
    const std::string deep = kBase + "\\One\\Two\\Three";
    ASSERT_FALSE(KeyExists(kBase));
    ASSERT_TRUE(registry.WriteNumber(deep, "n", 3));
    EXPECT_EQ(NumberOr(deep, "n", 0), 3u);
}

TEST_F(RegistryLayer, DeletingAValueLeavesTheKeyAndTheOtherValues)
{
    SetNumber(kBase, "a", 1);
    SetNumber(kBase, "b", 2);
    EXPECT_TRUE(registry.Delete(kBase, "a"));
    EXPECT_FALSE(ValueExists(kBase, "a"));
    EXPECT_EQ(NumberOr(kBase, "b", 0), 2u);
    EXPECT_FALSE(registry.Delete(kBase, "a")) << "the value is gone already";
    EXPECT_FALSE(registry.Delete(kBase + "\\Nowhere", "b"));
}

TEST_F(RegistryLayer, DeletingAKeyTakesEveryLevelBelowIt)
{
    SetNumber(kBase + "\\List", "0", 1);
    SetNumber(kBase + "\\List\\A", "x", 1);
    SetNumber(kBase + "\\List\\A\\Deeper", "x", 1);
    SetNumber(kBase + "\\List\\B", "x", 1);
    SetNumber(kBase + "\\List\\C\\D", "x", 1);
    SetNumber(kBase + "\\Sibling", "x", 1);

    EXPECT_TRUE(registry.Delete(kBase + "\\List", nullptr));
    EXPECT_FALSE(KeyExists(kBase + "\\List"));
    EXPECT_TRUE(KeyExists(kBase + "\\Sibling"));
    EXPECT_TRUE(KeyExists(kBase));
}

TEST_F(RegistryLayer, DeletingAMissingKeyOrTheRootFails)
{
    EXPECT_FALSE(registry.Delete(kBase + "\\Nowhere", nullptr));
    SetNumber(kBase, "x", 1);
    // An empty path would name the root key itself.
    EXPECT_FALSE(registry.Delete("", nullptr));
    EXPECT_TRUE(KeyExists(kBase));
}

TEST_F(RegistryLayer, ADeletionThatFailsLeavesASmallerValidKey)
{
    SetNumber(kBase + "\\List\\A", "x", 1);
    SetNumber(kBase + "\\List\\B\\Inner", "x", 1);
    SetNumber(kBase + "\\List\\C", "x", 1);
    SetText(kBase + "\\List", "0", "kept");
    {
        KeyLock lock(kBase + "\\List\\B\\Inner");
        if (!lock.Holds())
            GTEST_SKIP() << "this system does not refuse access to a key";
        EXPECT_FALSE(registry.Delete(kBase + "\\List", nullptr));
        EXPECT_FALSE(KeyExists(kBase + "\\List\\A")) << "sub-keys before the locked one are gone";
        EXPECT_TRUE(KeyExists(kBase + "\\List\\C")) << "the deletion stopped at the locked key";
        EXPECT_EQ(TextAt(kBase + "\\List", "0"), "kept");
    }
    EXPECT_TRUE(registry.Delete(kBase + "\\List", nullptr)) << "once unlocked it goes";
    EXPECT_FALSE(KeyExists(kBase + "\\List"));
}

}  // namespace
