#include "platform/Exception.h"
#include "platform/StrUtil.h"

#include <gtest/gtest.h>

TEST(StrToInt, AcceptsOnlyWholeSigned32BitDecimals)
{
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("+2147483647"), INT32_MAX);
    for (const char* bad : {"", "-", "+", " 1", "1 ", "2147483648", "-2147483649", "12a", "0x10", "99999999999999999999"})
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    try {
        StrToInt("x1");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid integer value");
    }
    EXPECT_EQ(StrToIntDef("oops", 7), 7);
}

TEST(Format, FillsKnownPlaceholdersAndLeavesTheRestAlone)
{
    EXPECT_EQ(Format("Port %s at %d baud", {std::string("COM1"), int64_t(9600)}), "Port COM1 at 9600 baud");
    EXPECT_EQ(Format("%.2d:%.2d", {int64_t(7), int64_t(5)}), "07:05");
    EXPECT_EQ(Format("%.2d", {int64_t(-3)}), "-03");
    EXPECT_EQ(Format("100%% sure", {}), "100% sure");
    // Texts from the description document may hold anything: unknown or unmatched placeholders stay as they are.
    EXPECT_EQ(Format("%s %s %x %n %5d", {std::string("a")}), "a %s %x %n %5d");
    EXPECT_EQ(Format("end %", {}), "end %");
}

TEST(Text, TrimAndCaseRulesAreAsciiOnly)
{
    EXPECT_EQ(Trim("\t\r\n x y \x01"), "x y");
    EXPECT_EQ(UpperCase("ab\xe9z"), "AB\xe9Z");
    EXPECT_TRUE(SameText("Name", "nAME"));
    EXPECT_FALSE(SameText("\xe9", "\xc9"));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
}
