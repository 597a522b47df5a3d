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

// Wrapping measures about a line's worth of text per kept line, however long the text: a long text without blanks
// costs what a short one does.
TEST(StrGridWrap, MeasuresOnlyWhatTheKeptLinesNeed)
{
    auto measured = [](const std::string& Text, int Lines) {
        size_t chars = 0;
        WrapCellText(Text, 60, Lines * 10, 10, [&](const std::string& s) {
            chars += s.size();
            return int(s.size()) * 6;
        });
        return chars;
    };
    std::string word400(400, 'x'), word4000(4000, 'x');
    EXPECT_EQ(measured(word400, 1), measured(word4000, 1));
    EXPECT_EQ(measured(word400, 2), measured(word4000, 2));
    EXPECT_LT(measured(word4000, 1), 200u);
    EXPECT_EQ(Wrap(word400, 10, 2), (Lines{std::string(10, 'x'), std::string(10, 'x')}));
    std::string words;
    for (int i = 0; i < 400; ++i)
        words += "ab ";
    EXPECT_LT(measured(words, 1), 200u);
}

// A text that fits its cell whole is its one line (trailing blanks gone), whether it is measured whole or piece by
// piece: with one pixel a character, texts longer than half the width take the piecewise way.
TEST(StrGridWrap, ATextThatFitsIsOneLineEitherWay)
{
    const std::string Alphabet = "ab -.\t";
    unsigned Seed = 7;
    auto Next = [&] { return Seed = Seed * 1103515245u + 12345u, (Seed >> 16) & 0x7fff; };
    int Measures = 0;
    auto One = [&](const std::string& s) { ++Measures; return int(s.size()); };
    for (int i = 0; i < 20000; ++i) {
        std::string Text;
        for (size_t n = 1 + Next() % 30; n > 0; --n)
            Text += Alphabet[Next() % Alphabet.size()];
        std::string Line = Text;
        while (!Line.empty() && (Line.back() == ' ' || Line.back() == '\t'))
            Line.pop_back();
        const int Size = int(Text.size());
        for (int Width : {Size, Size + 1, 2 * Size - 1, 2 * Size}) {
            Measures = 0;
            EXPECT_EQ(WrapCellText(Text, Width, 10, 10, One), Lines{Line}) << '"' << Text << "\" in " << Width;
            if (Size <= Width / 2) {
                EXPECT_EQ(Measures, 1);
            }
        }
        // Just too narrow: never the whole text on one line (a single character always shows).
        if (Size > 1) {
            EXPECT_NE(WrapCellText(Text, Size - 1, 100, 10, One), Lines{Text}) << Text;
        }
    }
}

// Given the widest character's advance, a printable ASCII text that would fit with every character that wide is its
// one line unmeasured; one character more, or a character outside printable ASCII (a fallback font may draw it
// wider), and it is measured as before, with the same lines.
TEST(StrGridWrap, ATextThatFitsAtTheWidestAdvanceIsNotMeasured)
{
    int Measures = 0;
    auto Six = [&](const std::string& s) { ++Measures; return int(s.size()) * 6; };
    const struct {
        std::string Text;
        int Width;
        int WantMeasures;
        Lines Want;
    } Cases[] = {
        {"abcd  ", 6 * 8, 0, {"abcd"}},        // six characters at 8 pixels: 48, just inside
        {"abcde ", 6 * 8 - 1, 1, {"abcde"}},   // just outside the bound: measured, and fits
        {"ab\tc", 6 * 8, 1, {"ab\tc"}},        // a tab is not printable
        {"ab\xE9", 6 * 8, 1, {"ab\xE9"}},      // nor is a Latin-1 letter
        {"abcdefg", 6 * 8, 1, {"abcdefg"}},    // one character more than the bound allows: measured, and fits
    };
    for (const auto& C : Cases) {
        Measures = 0;
        EXPECT_EQ(WrapCellText(C.Text, C.Width, 10, 10, Six, 8), C.Want) << C.Text;
        if (C.Text.size() <= size_t(C.Width) / 2) {
            EXPECT_EQ(Measures, C.WantMeasures) << C.Text;
        }
    }
    // Without the advance (0), every text is measured.
    Measures = 0;
    WrapCellText("ab", 100, 10, 10, Six);
    EXPECT_EQ(Measures, 1);
}
