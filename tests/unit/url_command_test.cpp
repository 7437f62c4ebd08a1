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

TEST(FallbackCommand, ThePlaceholderAndWhatFollowsGiveWayToABlankAndTheAddress)
{
    struct Case {
        const char *commandTemplate, *url, *command, *what;
    };
    const Case cases[] = {
        {"\"C:\\Web\\browse.exe\" -nohome \"%1\"", "http://www.example.com/",
         "\"C:\\Web\\browse.exe\" -nohome  http://www.example.com/", "a quoted one goes, the address follows unquoted"},
        {"browse.exe -a%1x \"%1\" -b", "u", "browse.exe -a%1x  u", "a quoted one is preferred to an earlier bare one"},
        {"browse.exe %1 -newwindow", "mailto:a@example.com", "browse.exe  mailto:a@example.com",
         "a bare one takes the following option with it"},
        {"browse.exe -open", "http://x/", "browse.exe -open http://x/", "none: the whole template stays"},
        {"", "http://x/", " http://x/", "an empty template"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Build(c.commandTemplate, c.url), c.command) << c.what;
}

TEST(FallbackCommand, PartsUpToTheLimitAreAcceptedAndLongerOnesRefusedNotCut)
{
    const std::string className(20, 'c');
    const std::string url(kFallbackCommandLimit - 20 - 3, 'u');
    EXPECT_EQ(Build("b%1", url, className), "b " + url);

    std::string command = "untouched";
    EXPECT_FALSE(BuildFallbackCommand(className, "b%1", url + "u", command));
    EXPECT_FALSE(BuildFallbackCommand(std::string(600, 'c'), "b", "u", command));
    EXPECT_FALSE(BuildFallbackCommand("c", std::string(600, 't'), "u", command));
    EXPECT_FALSE(BuildFallbackCommand("c", "t", std::string(5000, 'u'), command));
    EXPECT_EQ(command, "untouched");
}
