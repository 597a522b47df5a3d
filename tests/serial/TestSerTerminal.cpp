// The terminal's screen model: what received bytes do to cells and caret, what the terminal sends back, keys.
#include "serial/TputOutput.h"
#include "PtyPair.h"
#include "platform/MainThread.h"
#include "serial/SerPortCtl.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct TFakeLine : TSerTermLine {
    bool IsConnected = true;
    std::string Sent;
    bool Connected() const override { return IsConnected; }
    void Send(const std::string& Bytes) override { Sent += Bytes; }
};

std::string E(const std::string& s) { return "\x1b" + s; }

std::string Row(const TSerTerminal& T, int r)
{
    std::string s;
    for (int c = 1; c <= T.Buffer().LineLength(r); ++c) {
        uint8_t ch = T.Buffer().GetChar(c, r).Ch;
        s += ch ? char(ch) : ' ';
    }
    return s;
}

}  // namespace

TEST(SerTerminal, TextCaretAndControlBytes)
{
    TSerTerminal T;
    T.WriteStr("Hello\r\nWorld\bX\tY");
    EXPECT_EQ(Row(T, 1), "Hello");
    EXPECT_EQ(Row(T, 2), "WorlX   Y");
    EXPECT_EQ(T.CaretColumn(), 10);
    EXPECT_EQ(T.CaretRow(), 2);
    // Backspace stops at column 1; other control bytes and bytes from 127 up leave the screen alone.
    T.WriteStr("\r\b\b\x01\x7f\xe9");
    EXPECT_EQ(T.CaretColumn(), 1);
    EXPECT_EQ(Row(T, 2), "WorlX   Y");
    // Tab stops: from 70 to 73; from 79 nowhere.
    T.MoveCaret(70, 5);
    T.WriteStr("\t");
    EXPECT_EQ(T.CaretColumn(), 73);
    T.MoveCaret(79, 5);
    T.WriteStr("\t");
    EXPECT_EQ(T.CaretColumn(), 79);
}

TEST(SerTerminal, WrapAndScroll)
{
    TSerTerminal T;
    std::string Long(85, 'a');
    Long[79] = 'Z';
    T.WriteStr(Long);
    EXPECT_EQ(T.CaretRow(), 1);
    EXPECT_EQ(T.Buffer().LineLength(1), 80);
    EXPECT_EQ(T.Buffer().GetChar(80, 1).Ch, 'a');   // the last column is overwritten
    T.WriteStr(E("[?7h"));                          // private mode 7 changes nothing
    EXPECT_FALSE(T.WrapLines);
    T.WriteStr(E("[7h") + "\r" + std::string(81, 'b'));
    EXPECT_TRUE(T.WrapLines);
    EXPECT_EQ(T.CaretRow(), 2);
    EXPECT_EQ(Row(T, 2), "b");

    TSerTerminal S;
    int Scrolls = 0;
    S.OnScrolled = [&](int n) { Scrolls += n; };
    S.WriteStr("top");
    S.WriteStr(std::string(24, '\n'));
    EXPECT_EQ(Scrolls, 1);
    EXPECT_EQ(S.CaretRow(), 24);
    EXPECT_EQ(S.Buffer().LastLine(), 0);   // "top" scrolled off
    S.WriteStr("x" + E("[H") + E("M"));
    EXPECT_EQ(Scrolls, 0);
    EXPECT_EQ(Row(S, 24), "");
}

TEST(SerTerminal, CursorMovesEraseAndCounts)
{
    TSerTerminal T;
    T.WriteStr("abcdef\r\nghijkl\r\nmnopqr");
    T.WriteStr(E("[2;3H") + E("[K"));
    EXPECT_EQ(Row(T, 2), "gh");
    T.WriteStr(E("[1;4f") + E("[J"));
    EXPECT_EQ(Row(T, 1), "abc");
    EXPECT_EQ(Row(T, 2), "");
    EXPECT_EQ(Row(T, 3), "");
    // Zero and missing counts move one cell, as on a VT100; moves stay inside the screen.
    T.WriteStr(E("[5;5H") + E("[0A") + E("[C") + E("[99B"));
    EXPECT_EQ(T.CaretColumn(), 6);
    EXPECT_EQ(T.CaretRow(), 24);
    T.WriteStr(E("[0;0H"));
    EXPECT_EQ(T.CaretColumn(), 1);
    EXPECT_EQ(T.CaretRow(), 1);
    T.WriteStr(E("[999;999H"));
    EXPECT_EQ(T.CaretColumn(), 80);
    EXPECT_EQ(T.CaretRow(), 24);
    T.WriteStr("x" + E("[2K"));
    EXPECT_EQ(T.Buffer().LineLength(24), 0);
    EXPECT_EQ(T.CaretColumn(), 1);
    T.WriteStr("abc" + E("[2J"));
    EXPECT_EQ(T.Buffer().LastLine(), 0);
    EXPECT_EQ(T.CaretColumn(), 1);
    EXPECT_EQ(T.CaretRow(), 1);
    // Save and restore with attributes.
    T.WriteStr(E("[1m") + E("[3;7H") + E("7") + E("[m") + E("[H") + E("8") + "q");
    EXPECT_EQ(T.Buffer().GetChar(7, 3).Ch, 'q');
    EXPECT_EQ(T.Buffer().GetChar(7, 3).FrontColor, T.AltColor);
}

TEST(SerTerminal, AttributesColourTheCells)
{
    TSerTerminal T;
    T.WriteStr("n" + E("[7m") + "i" + E("[0;4m") + "u" + E("[1;7m") + "b" + E("[21;27;24m") + "p");
    const auto& B = T.Buffer();
    EXPECT_EQ(B.GetChar(1, 1).FrontColor, T.FontColor);
    EXPECT_EQ(B.GetChar(1, 1).BackColor, T.Color);
    EXPECT_EQ(B.GetChar(2, 1).FrontColor, T.Color);
    EXPECT_EQ(B.GetChar(2, 1).BackColor, T.FontColor);
    EXPECT_TRUE(B.GetChar(3, 1).Underline);
    EXPECT_EQ(B.GetChar(4, 1).FrontColor, T.AltColor);
    EXPECT_EQ(B.GetChar(4, 1).BackColor, T.FontColor);
    EXPECT_TRUE(B.GetChar(4, 1).Underline);
    EXPECT_FALSE(B.GetChar(5, 1).Underline);
    EXPECT_EQ(B.GetChar(5, 1).FrontColor, T.FontColor);
    T.WriteStr(E("#8"));
    EXPECT_EQ(B.GetChar(80, 24).Ch, 'E');
}

TEST(SerTerminal, AnswersTheDevicesQueries)
{
    TSerTerminal T;
    TFakeLine L;
    T.SetLine(&L);
    T.WriteStr(E("[12;34H") + E("[6n"));
    EXPECT_EQ(L.Sent, E("[12;34R"));
    L.Sent.clear();
    T.WriteStr(E("[c") + E("[5n"));
    EXPECT_EQ(L.Sent, E("[?1;2c") + E("[0n"));
    // A disconnected line gets nothing.
    L.Sent.clear();
    L.IsConnected = false;
    T.WriteStr(E("[6n"));
    EXPECT_EQ(L.Sent, "");

    TSerTerminal V;
    V.SetEmulation(teVT52);
    V.SetLine(&L);
    L.IsConnected = true;
    V.WriteStr(E("Z") + E("Y") + char(31 + 5) + char(31 + 9) + "k");
    EXPECT_EQ(L.Sent, E("/Z"));
    EXPECT_EQ(V.Buffer().GetChar(9, 5).Ch, 'k');
}

TEST(SerTerminal, KeysGoToTheLine)
{
    TSerTerminal T;
    TFakeLine L;
    T.SetLine(&L);
    T.SendLF = true;
    T.KeyChar('a');
    T.KeyChar('\r');
    T.KeyArrow(tkUp);
    T.KeyArrow(tkHome);
    EXPECT_EQ(L.Sent, "a\r\n" + E("[A") + E("[H"));
    EXPECT_EQ(T.Buffer().LastLine(), 0);   // no local echo
    L.Sent.clear();
    T.WriteStr(E("[?1h"));
    EXPECT_TRUE(T.AppCursorKeys);
    T.KeyArrow(tkLeft);
    T.KeyArrow(tkHome);
    EXPECT_EQ(L.Sent, E("OD"));
    T.WriteStr(E("[?1l"));
    L.Sent.clear();
    T.LocalEcho = true;
    T.KeyChar('z');
    T.KeyArrow(tkRight);
    EXPECT_EQ(L.Sent, "z" + E("[C"));
    EXPECT_EQ(T.Buffer().GetChar(1, 1).Ch, 'z');
    EXPECT_EQ(T.CaretColumn(), 3);
    // Arrow keys for the window only move the caret.
    L.Sent.clear();
    T.ArrowKeys = akWindows;
    T.KeyArrow(tkDown);
    EXPECT_EQ(L.Sent, "");
    EXPECT_EQ(T.CaretRow(), 2);
}

TEST(SerTerminal, ReceivedBytesOptionsAndUnhandledCodes)
{
    TSerTerminal T;
    T.AppendLF = true;
    T.Force7Bit = true;
    std::vector<TEscapeCode> Unhandled;
    T.OnUnhandledCode = [&](TEscapeCode c, const std::string&) { Unhandled.push_back(c); };
    std::string In = "a\rb" + std::string(1, char(0xC1)) + E("[1J");
    T.RxBuf(reinterpret_cast<const uint8_t*>(In.data()), In.size());
    EXPECT_EQ(Row(T, 1), "a");
    EXPECT_EQ(Row(T, 2), "bA");
    EXPECT_EQ(Unhandled, std::vector<TEscapeCode>{ecUnknown});
    T.OnStrRecieved = [](std::string& s) { s = "changed"; };
    T.RxBuf(reinterpret_cast<const uint8_t*>("x"), 1);
    EXPECT_EQ(Row(T, 2), "bAchanged");

    // Without an emulation every byte is a character, unless a handler supplies a parser.
    TSerTerminal N;
    N.SetEmulation(teNone);
    N.WriteStr(E("[2J") + "a");
    EXPECT_EQ(Row(N, 1), "[2Ja");
    N.OnGetEscapeCodes = [](std::unique_ptr<TEscapeCodes>& Codes) { Codes = std::make_unique<TEscapeCodesVT52>(); };
    N.SetEmulation(teNone);
    N.WriteStr(E("H") + "b");
    EXPECT_EQ(Row(N, 1), "b2Ja");
}

TEST(SerTerminal, SizesAndStreams)
{
    TSerTerminal T;
    T.WriteStr("junk");
    T.SetColumns(500);
    EXPECT_EQ(T.Columns(), 256);
    EXPECT_EQ(T.Buffer().LastLine(), 0);
    T.SetRows(1);
    EXPECT_EQ(T.Rows(), 2);
    T.SetRows(24);
    T.SetColumns(80);
    T.WriteStr(E("[?3h"));
    EXPECT_EQ(T.Columns(), 132);
    T.WriteStr(E("[?3l"));
    EXPECT_EQ(T.Columns(), 80);

    T.WriteStr(E("[3;1HAB"));
    EXPECT_EQ(T.SaveToString(), "\r\n\r\nAB");
    T.WriteStr(E("[3;6HC"));
    std::ostringstream Out;
    T.SaveToStream(Out);
    EXPECT_EQ(Out.str(), "\r\n\r\nAB   C");

    // Loading shows bytes as they are: an escape sequence is not carried out.
    TSerTerminal L;
    std::istringstream In(E("[2J") + "x\r\ny");
    L.LoadFromStream(In);
    EXPECT_EQ(Row(L, 1), "[2Jx");
    EXPECT_EQ(Row(L, 2), "y");
}

TEST(SerTerminal, FollowsItsPortAndLetsGoForATransfer)
{
    TQueueMainThread Main;
    TMainThread* Previous = TMainThread::setInstance(&Main);
    {
        TPtyPair Pty;
        TSerPort Port;
        Port.SetPort(Pty.SlavePath);
        Port.SetEvents(TSerEvents{evRxChar, evDSR});
        Port.Timeouts().SetReadInterval(0);
        TSerTerminal T;
        T.SetComPort(&Port);
        EXPECT_FALSE(T.Connected());
        Port.Open();
        EXPECT_TRUE(T.Connected());
        Pty.write("\x1b[2JHello\x1b[6n");
        ASSERT_TRUE(Main.processUntil([&] { return T.Buffer().LineLength(1) == 5; }));
        EXPECT_EQ(Pty.read(6), "\x1b[1;6R");
        T.KeyChar('x');
        EXPECT_EQ(Pty.read(1), "x");
        // Detached, the terminal leaves received bytes in the driver for whoever reads next.
        T.SetComPort(nullptr);
        EXPECT_FALSE(T.Connected());
        Pty.write("zz");
        for (int i = 0; i < 500 && Port.InputCount() < 2; ++i)
            Main.processUntil([] { return false; }, 10);
        EXPECT_EQ(Port.InputCount(), 2);
        EXPECT_EQ(T.Buffer().LineLength(1), 5);
        // A port that goes away while bound is forgotten.
        T.SetComPort(&Port);
        Port.Close();
        {
            TSerPort Short;
            TSerTerminal U;
            U.SetComPort(&Short);
            T.SetComPort(&Short);
        }
        EXPECT_EQ(T.ComPort(), nullptr);
        T.KeyChar('y');   // nothing to send to, nothing happens
    }
    Main.shutdown();
    TMainThread::setInstance(Previous);
}

namespace {

}  // namespace

TEST(SerTerminal, ScreensDrawnWithTheTerminalDatabase)
{
    for (const char* Type : {"vt100", "vt52"}) {
        bool Missing = false;
        std::string T = std::string("-T ") + Type + " ";
        std::string Clear = Tput(T + "clear", Missing), Cup = Tput(T + "cup 4 9", Missing),
                    Home = Tput(T + "home", Missing), El = Tput(T + "el", Missing), Ed = Tput(T + "ed", Missing),
                    Up = Tput(T + "cuu1", Missing);
        if (Missing)
            GTEST_SKIP() << "tput or the " << Type << " entry of the terminal database is missing";
        TSerTerminal S;
        S.SetEmulation(std::string(Type) == "vt52" ? teVT52 : teVT100orANSI);
        S.WriteStr("old text everywhere\r\nsecond line");
        S.WriteStr(Clear + Cup + "Menu" + Home + "Title");
        EXPECT_EQ(Row(S, 1), "Title") << Type;
        EXPECT_EQ(Row(S, 5), "         Menu") << Type;
        EXPECT_EQ(Row(S, 2), "") << Type;
        S.WriteStr(Tput(T + "cup 4 11", Missing) + El + Up + "^");
        EXPECT_EQ(Row(S, 5), "         Me") << Type;
        EXPECT_EQ(S.Buffer().GetChar(12, 4).Ch, '^') << Type;
        S.WriteStr(Tput(T + "cup 0 2", Missing) + Ed);
        EXPECT_EQ(S.SaveToString(), "Ti") << Type;
        if (std::string(Type) == "vt100") {
            S.WriteStr(Tput(T + "bold", Missing) + "B" + Tput(T + "sgr0", Missing) + Tput(T + "smul", Missing) +
                "U" + Tput(T + "sgr0", Missing) + "n");
            EXPECT_EQ(S.Buffer().GetChar(3, 1).FrontColor, S.AltColor);
            EXPECT_TRUE(S.Buffer().GetChar(4, 1).Underline);
            EXPECT_FALSE(S.Buffer().GetChar(5, 1).Underline);
            EXPECT_EQ(S.Buffer().GetChar(5, 1).FrontColor, S.FontColor);
        }
    }
}
