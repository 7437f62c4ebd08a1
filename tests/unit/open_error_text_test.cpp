#include "framework/OpenErrorText.h"
#include <gtest/gtest.h>

TEST(OpenErrorText, EveryShellCodeHasItsText)
{
    const struct {
        int code;
        const char* text;
    } table[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\n"
             "were being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
    };
    for (const auto& row : table)
        EXPECT_EQ(OpenErrorText(row.code), row.text) << "code " << row.code;
}

TEST(OpenErrorText, SharingViolationKeepsItsTrailingBlank)
{
    EXPECT_EQ(OpenErrorMessage(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
}

TEST(OpenErrorText, OtherCodesAreUnknownWithTheirNumber)
{
    EXPECT_EQ(OpenErrorMessage(4), "Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
    EXPECT_EQ(OpenErrorText(1), "Unknown Error (1) occurred.");
    EXPECT_EQ(OpenErrorText(24), "Unknown Error (24) occurred.");
    EXPECT_EQ(OpenErrorText(-3), "Unknown Error (-3) occurred.");
}
