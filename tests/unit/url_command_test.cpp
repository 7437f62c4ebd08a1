#include "framework/UrlCommand.h"
#include <gtest/gtest.h>

namespace {

std::string Build(const std::string& commandTemplate, const std::string& url,
                  const std::string& className = "htmlfile")
{
    std::string command = "untouched";
    EXPECT_TRUE(BuildFallbackCommand(className, commandTemplate, url, command));
    return command;
}

}  // namespace

TEST(FallbackCommand, QuotedPlaceholderGoesAndTheAddressFollowsUnquoted)
{
    EXPECT_EQ(Build("\"C:\\Web\\browse.exe\" -nohome \"%1\"", "http://www.example.com/"),
              "\"C:\\Web\\browse.exe\" -nohome  http://www.example.com/");
}

TEST(FallbackCommand, QuotedPlaceholderIsPreferredToAnEarlierBareOne)
{
    EXPECT_EQ(Build("browse.exe -a%1x \"%1\" -b", "u"), "browse.exe -a%1x  u");
}

TEST(FallbackCommand, BarePlaceholderTakesTheFollowingOptionWithIt)
{
    EXPECT_EQ(Build("browse.exe %1 -newwindow", "mailto:a@example.com"),
              "browse.exe  mailto:a@example.com");
}

TEST(FallbackCommand, TemplateWithoutPlaceholderGetsOneBlankAndTheAddress)
{
    EXPECT_EQ(Build("browse.exe -open", "http://x/"), "browse.exe -open http://x/");
    EXPECT_EQ(Build("", "http://x/"), " http://x/");
}

TEST(FallbackCommand, PartsUpToTheLimitAreAccepted)
{
    const std::string className(20, 'c');
    const std::string url(kFallbackCommandLimit - 20 - 3, 'u');
    const std::string command = Build("b%1", url, className);
    EXPECT_EQ(command, "b " + url);
}

TEST(FallbackCommand, OverlongPartsAreRefusedNotCut)
{
    const std::string className(20, 'c');
    const std::string url(kFallbackCommandLimit - 20 - 3 + 1, 'u');
    std::string command = "untouched";
    EXPECT_FALSE(BuildFallbackCommand(className, "b%1", url, command));
    EXPECT_FALSE(BuildFallbackCommand(std::string(600, 'c'), "b", "u", command));
    EXPECT_FALSE(BuildFallbackCommand("c", std::string(600, 't'), "u", command));
    EXPECT_FALSE(BuildFallbackCommand("c", "t", std::string(5000, 'u'), command));
    EXPECT_EQ(command, "untouched");
}
