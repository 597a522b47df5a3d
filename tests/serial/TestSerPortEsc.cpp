// The VT52 and VT100 escape-code parsers and encoders: hand-made sequences, sequences from the system's terminal
// database (tput), and garbled input.
#include "serial/TputOutput.h"
#include "serial/SerPortEsc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TFed {
    std::vector<TEscapeResult> Results;
    std::vector<TEscapeCode> Codes;
    std::vector<TEscapeParams> Params;
    std::string Chars;
};

// Feeds every byte and collects what a terminal would see; Params are cleared after each code as the terminal
// does.
TFed Feed(TEscapeCodes& P, const std::string& Bytes)
{
    TFed F;
    for (char c : Bytes) {
        TEscapeResult R = P.ProcessChar(uint8_t(c));
        F.Results.push_back(R);
        if (R == erChar)
            F.Chars += char(P.Character);
        else if (R == erCode) {
            F.Codes.push_back(P.Code);
            F.Params.push_back(P.Params);
            P.Params.clear();
        }
    }
    return F;
}

std::string E(const std::string& s) { return "\x1b" + s; }

}  // namespace

TEST(EscapeCodesVT100, ControlSequenceWithParameters)
{
    TEscapeCodesVT100 P;
    TFed F = Feed(P, E("[10;20H"));
    ASSERT_EQ(F.Results.size(), 8u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(F.Results[i], erNothing) << i;
    EXPECT_EQ(F.Results[7], erCode);
    ASSERT_EQ(F.Codes, std::vector<TEscapeCode>{ecCursorHome});
    EXPECT_EQ(TEscapeCodes::GetParam(1, &F.Params[0]), 10);
    EXPECT_EQ(TEscapeCodes::GetParam(2, &F.Params[0]), 20);
    EXPECT_EQ(TEscapeCodes::GetParam(3, &F.Params[0]), 1);
    EXPECT_EQ(TEscapeCodes::GetParam(1, nullptr), 1);
    EXPECT_FALSE(P.InSequence);
    EXPECT_FALSE(P.InExtended);
}

TEST(EscapeCodesVT100, CodesChosenByTheirParameter)
{
    TEscapeCodesVT100 P;
    struct {
        std::string Seq;
        TEscapeCode Code;
    } Cases[] = {
        {"[2J", ecEraseScreen}, {"[J", ecEraseScreenFrom}, {"[0J", ecEraseScreenFrom}, {"[1J", ecUnknown},
        {"[K", ecEraseLineFrom}, {"[2K", ecEraseLine}, {"[g", ecClearTab}, {"[3g", ecClearAllTabs},
        {"[5n", ecQueryDevice}, {"[0n", ecReportDeviceOK}, {"[3n", ecReportDeviceFailure},
        {"[6n", ecQueryCursorPos}, {"[n", ecUnknown}, {"[c", ecIdentify}, {"[0c", ecIdentify},
        {"[?1;2c", ecIdentResponse}, {"[1;2c", ecUnknown}, {"[12;4R", ecReportCursorPos},
        {"[1;7m", ecAttributes}, {"[?1h", ecSetMode}, {"[7l", ecResetMode}, {"[s", ecSaveCaret},
        {"[u", ecRestoreCaret}, {"[5;x", ecUnknown}, {"[3f", ecCursorMove}, {"[4D", ecCursorLeft},
        {"H", ecSetTab}, {"7", ecSaveCaretAndAttr}, {"8", ecRestoreCaretAndAttr}, {"c", ecReset},
        {"#8", ecTest}, {"#3", ecUnknown}, {"OA", ecAppCursorUp}, {"OB", ecAppCursorDown},
        {"OC", ecAppCursorRight}, {"OD", ecAppCursorLeft}, {"OZ", ecUnknown}, {"M", ecReverseLineFeed},
        {"Q", ecUnknown},
    };
    for (auto& C : Cases) {
        TFed F = Feed(P, E(C.Seq));
        ASSERT_EQ(F.Codes.size(), 1u) << C.Seq;
        EXPECT_EQ(F.Codes[0], C.Code) << C.Seq;
        EXPECT_TRUE(F.Chars.empty()) << C.Seq;
    }
}

TEST(EscapeCodesVT100, EmptyParametersReadAsDefaultAndZeroStaysZero)
{
    TEscapeCodesVT100 P;
    TFed F = Feed(P, E("[;5H") + E("[0;0f") + E("[5;H"));
    ASSERT_EQ(F.Params.size(), 3u);
    EXPECT_EQ(TEscapeCodes::GetParam(1, &F.Params[0]), 1);
    EXPECT_EQ(TEscapeCodes::GetParam(2, &F.Params[0]), 5);
    EXPECT_EQ(TEscapeCodes::GetParam(1, &F.Params[1]), 0);
    EXPECT_EQ(TEscapeCodes::GetParam(2, &F.Params[1]), 0);
    EXPECT_EQ(TEscapeCodes::GetParam(1, &F.Params[2]), 5);
    EXPECT_EQ(TEscapeCodes::GetParam(2, &F.Params[2]), 1);
}

TEST(EscapeCodesVT100, GarbledInputNeverSticks)
{
    TEscapeCodesVT100 P;
    // Any final byte ends a control sequence, not only letters.
    TFed F = Feed(P, E("[2@") + "x");
    EXPECT_EQ(F.Codes, std::vector<TEscapeCode>{ecUnknown});
    EXPECT_EQ(F.Chars, "x");
    // ESC inside a sequence starts a new one.
    F = Feed(P, E("[12") + E("[2J"));
    EXPECT_EQ(F.Codes, std::vector<TEscapeCode>{ecEraseScreen});
    // A character set choice is swallowed whole.
    F = Feed(P, E("(B") + "ok");
    EXPECT_EQ(F.Chars, "ok");
    // Control bytes inside a sequence are carried out and the sequence goes on.
    F = Feed(P, E("[1\r;2H"));
    EXPECT_EQ(F.Chars, "\r");
    ASSERT_EQ(F.Codes, std::vector<TEscapeCode>{ecCursorHome});
    EXPECT_EQ(TEscapeCodes::GetParam(2, &F.Params[0]), 2);
    // CAN drops the sequence; what follows is text again.
    F = Feed(P, E("[12") + "\x18" + "AB");
    EXPECT_TRUE(F.Codes.empty());
    EXPECT_EQ(F.Chars, "AB");
    // An endless sequence is cut at the cap.
    F = Feed(P, E("[") + std::string(500, '1') + "Z");
    EXPECT_EQ(F.Codes, std::vector<TEscapeCode>{ecUnknown});
    EXPECT_LE(P.Data.size(), TEscapeCodes::MaxSequenceLength + 1);
    EXPECT_FALSE(P.InSequence);
    // Every byte other than ESC outside a sequence is a character, control bytes included.
    std::string All;
    for (int c = 0; c < 256; ++c)
        if (c != 27)
            All += char(c);
    TEscapeCodesVT100 Q;
    EXPECT_EQ(Feed(Q, All).Chars, All);
}

TEST(EscapeCodesVT100, EncoderRoundTripsThroughTheParser)
{
    TEscapeCodesVT100 P;
    TEscapeParams Pos{"12", "34"};
    EXPECT_EQ(P.EscCodeToStr(ecCursorMove, &Pos), E("[12;34f"));
    EXPECT_EQ(P.EscCodeToStr(ecReportCursorPos, &Pos), E("[12;34R"));
    TEscapeParams Two{"2"};
    EXPECT_EQ(P.EscCodeToStr(ecIdentResponse, &Two), E("[?1;2c"));
    EXPECT_EQ(P.EscCodeToStr(ecAppCursorUp, nullptr), E("OA"));
    EXPECT_EQ(P.EscCodeToStr(ecReverseLineFeed, nullptr), "");
    for (int c = ecCursorUp; c <= ecTest; ++c) {
        TEscapeCode Code = TEscapeCode(c);
        std::string Text = P.EscCodeToStr(Code, &Pos);
        if (Text.empty())
            continue;
        TEscapeCodesVT100 Q;
        TFed F = Feed(Q, Text);
        ASSERT_EQ(F.Codes.size(), 1u) << c;
        EXPECT_EQ(F.Codes[0], Code) << c;
    }
}

TEST(EscapeCodesVT52, ParseAndEncode)
{
    TEscapeCodesVT52 P;
    TFed F = Feed(P, E("Y") + char(37) + char(42));
    ASSERT_EQ(F.Codes, std::vector<TEscapeCode>{ecCursorMove});
    EXPECT_EQ(TEscapeCodes::GetParam(1, &F.Params[0]), 6);
    EXPECT_EQ(TEscapeCodes::GetParam(2, &F.Params[0]), 11);
    F = Feed(P, E("A") + E("B") + E("C") + E("D") + E("H") + E("I") + E("J") + E("K") + E("Z") + E("/Z") +
        E("/Q") + E("x"));
    std::vector<TEscapeCode> Want{ecCursorUp, ecCursorDown, ecCursorRight, ecCursorLeft, ecCursorHome,
        ecReverseLineFeed, ecEraseScreenFrom, ecEraseLineFrom, ecIdentify, ecIdentResponse, ecUnknown, ecUnknown};
    EXPECT_EQ(F.Codes, Want);
    TEscapeParams Pos{"6", "11"};
    EXPECT_EQ(P.EscCodeToStr(ecCursorMove, &Pos), E("Y") + char(37) + char(42));
    EXPECT_EQ(P.EscCodeToStr(ecEraseScreen, nullptr), "");
    EXPECT_EQ(P.EscCodeToStr(ecIdentResponse, nullptr), E("/Z"));
}

TEST(EscapeCodesTerminalDatabase, Vt100SequencesParse)
{
    bool Skipped = false;
    std::string Cup = Tput("-T vt100 cup 9 19", Skipped);
    std::string Clear = Tput("-T vt100 clear", Skipped);
    std::string El = Tput("-T vt100 el", Skipped);
    std::string Ed = Tput("-T vt100 ed", Skipped);
    std::string Bold = Tput("-T vt100 bold", Skipped);
    std::string Rev = Tput("-T vt100 rev", Skipped);
    std::string Smul = Tput("-T vt100 smul", Skipped);
    std::string Sgr0 = Tput("-T vt100 sgr0", Skipped);
    std::string Cuu1 = Tput("-T vt100 cuu1", Skipped);
    std::string Cuf1 = Tput("-T vt100 cuf1", Skipped);
    if (Skipped)
        GTEST_SKIP() << "tput or the vt100 entry of the terminal database is missing";
    TEscapeCodesVT100 P;
    TFed F = Feed(P, Cup);
    ASSERT_EQ(F.Codes, std::vector<TEscapeCode>{ecCursorHome});
    EXPECT_EQ(TEscapeCodes::GetParam(1, &F.Params[0]), 10);
    EXPECT_EQ(TEscapeCodes::GetParam(2, &F.Params[0]), 20);
    EXPECT_EQ(Feed(P, Clear).Codes, (std::vector<TEscapeCode>{ecCursorHome, ecEraseScreenFrom}));
    EXPECT_EQ(Feed(P, El).Codes, std::vector<TEscapeCode>{ecEraseLineFrom});
    EXPECT_EQ(Feed(P, Ed).Codes, std::vector<TEscapeCode>{ecEraseScreenFrom});
    EXPECT_EQ(Feed(P, Cuu1).Codes, std::vector<TEscapeCode>{ecCursorUp});
    EXPECT_EQ(Feed(P, Cuf1).Codes, std::vector<TEscapeCode>{ecCursorRight});
    for (const std::string* A : {&Bold, &Rev, &Smul, &Sgr0}) {
        TFed G = Feed(P, *A);
        ASSERT_EQ(G.Codes, std::vector<TEscapeCode>{ecAttributes}) << *A;
        // Whatever else the entry carries (a shift-in byte, padding) must not show as printable text.
        for (char c : G.Chars)
            EXPECT_LT(uint8_t(c), 32) << *A;
    }
}

TEST(EscapeCodesTerminalDatabase, Vt52SequencesParse)
{
    bool Skipped = false;
    std::string Cup = Tput("-T vt52 cup 9 19", Skipped);
    std::string Clear = Tput("-T vt52 clear", Skipped);
    std::string El = Tput("-T vt52 el", Skipped);
    std::string Cuu1 = Tput("-T vt52 cuu1", Skipped);
    if (Skipped)
        GTEST_SKIP() << "tput or the vt52 entry of the terminal database is missing";
    TEscapeCodesVT52 P;
    TFed F = Feed(P, Cup);
    ASSERT_EQ(F.Codes, std::vector<TEscapeCode>{ecCursorMove});
    EXPECT_EQ(TEscapeCodes::GetParam(1, &F.Params[0]), 10);
    EXPECT_EQ(TEscapeCodes::GetParam(2, &F.Params[0]), 20);
    EXPECT_EQ(Feed(P, Clear).Codes, (std::vector<TEscapeCode>{ecCursorHome, ecEraseScreenFrom}));
    EXPECT_EQ(Feed(P, El).Codes, std::vector<TEscapeCode>{ecEraseLineFrom});
    EXPECT_EQ(Feed(P, Cuu1).Codes, std::vector<TEscapeCode>{ecCursorUp});
}
