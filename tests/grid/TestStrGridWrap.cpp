// Breaking cell texts into lines, measured with a fixed advance of 6 pixels per character.
#include "grid/XStrGridWrap.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::string> Wrap(const std::string& Text, int Chars, int Lines = 10)
{
    return WrapCellText(Text, Chars * 6, Lines * 10, 10, [](const std::string& s) { return int(s.size()) * 6; });
}
using Lines = std::vector<std::string>;
}  // namespace

TEST(StrGridWrap, BreaksAfterBlanksHyphensAndPointsAndJoinsWhereItFits)
{
    EXPECT_EQ(Wrap("Time-out per call", 8), (Lines{"Time-", "out per", "call"}));
    EXPECT_EQ(Wrap("Time-out per call", 20), (Lines{"Time-out per call"}));
    EXPECT_EQ(Wrap("a.b c", 3), (Lines{"a.", "b c"}));   // "a.b " with its blank would not fit
    // A word too wide is cut at the longest prefix that fits.
    EXPECT_EQ(Wrap("abcdefgh", 3), (Lines{"abc", "def", "gh"}));
    // A cut piece ending inside a word is not joined with what follows; its rest is.
    EXPECT_EQ(Wrap("abcd e", 3), (Lines{"abc", "d e"}));
    EXPECT_EQ(Wrap("", 5), (Lines{""}));
}

TEST(StrGridWrap, KeepsOnlyTheLinesThatFit)
{
    EXPECT_EQ(Wrap("one two three", 5, 2), (Lines{"one", "two"}));
    EXPECT_EQ(Wrap("one two three", 5, 0), (Lines{"one"}));   // at least one line
    // Trailing blanks go.
    EXPECT_EQ(Wrap("ab   ", 10), (Lines{"ab"}));
}
