// VT52 and VT100 escape-code parsers and encoders; see SerPortEsc.h for what a parser promises.
#include "serial/SerPortEsc.h"

#include "platform/StrUtil.h"

#include <algorithm>

namespace {

constexpr uint8_t ESC = 27;
constexpr uint8_t CAN = 24;
constexpr uint8_t SUB = 26;

std::string Esc(const char* Text) { return std::string(1, char(ESC)) + Text; }

// First character of the first parameter, 0 when there is none: the codes that choose a variant by their
// parameter look only at this.
char FirstParamChar(const TEscapeParams& Params)
{
    return Params.empty() || Params[0].empty() ? 0 : Params[0][0];
}

}  // namespace

TEscapeResult TEscapeCodes::ProcessChar(uint8_t Ch)
{
    if (Ch == ESC) {
        // Outside a sequence ESC starts one; inside, a garbled sequence is dropped and a new one begins.
        if (InSequence)
            EndSequence();
        Data.clear();
        InSequence = true;
        return erNothing;
    }
    if (!InSequence) {
        Character = Ch;
        return erChar;
    }
    if (Ch == CAN || Ch == SUB) {
        EndSequence();
        Data.clear();
        return erNothing;
    }
    if (Ch < 32) {
        // A VT100 carries out a control byte met inside a sequence and goes on with the sequence.
        Character = Ch;
        return erChar;
    }
    Data += char(Ch);
    TEscapeCode Parsed = Data.size() > MaxSequenceLength ? ecUnknown : Parse();
    if (Parsed == ecNotCompleted)
        return erNothing;
    Code = Parsed;
    EndSequence();
    return erCode;
}

int TEscapeCodes::GetParam(int n, const TEscapeParams* Params)
{
    if (!Params || n < 1 || size_t(n) > Params->size())
        return 1;
    int32_t Value;
    return TryStrToInt((*Params)[size_t(n - 1)], Value) ? Value : 1;
}

// ---------------------------------------------------------------------------------------------------- VT52

TEscapeCode TEscapeCodesVT52::Parse()
{
    switch (Data[0]) {
    case '/':
        if (Data.size() == 1)
            return ecNotCompleted;
        return Data == "/Z" ? ecIdentResponse : ecUnknown;
    case 'A': return ecCursorUp;
    case 'B': return ecCursorDown;
    case 'C': return ecCursorRight;
    case 'D': return ecCursorLeft;
    case 'H': return ecCursorHome;
    case 'I': return ecReverseLineFeed;
    case 'J': return ecEraseScreenFrom;
    case 'K': return ecEraseLineFrom;
    case 'Z': return ecIdentify;
    case 'Y':
        if (Data.size() < 3)
            return ecNotCompleted;
        Params.push_back(IntToStr(int(uint8_t(Data[1])) - 31));
        Params.push_back(IntToStr(int(uint8_t(Data[2])) - 31));
        return ecCursorMove;
    default:
        return ecUnknown;
    }
}

std::string TEscapeCodesVT52::EscCodeToStr(TEscapeCode Code, const TEscapeParams* Params) const
{
    switch (Code) {
    case ecCursorUp: return Esc("A");
    case ecCursorDown: return Esc("B");
    case ecCursorLeft: return Esc("D");
    case ecCursorRight: return Esc("C");
    case ecCursorHome: return Esc("H");
    case ecCursorMove: {
        // A coordinate travels as one byte; keep it within what a byte can carry.
        auto Coord = [](int v) { return char(uint8_t(std::min(std::max(v, 1), 224) + 31)); };
        return Esc("Y") + Coord(GetParam(1, Params)) + Coord(GetParam(2, Params));
    }
    case ecReverseLineFeed: return Esc("I");
    case ecEraseLineFrom: return Esc("K");
    case ecEraseScreenFrom: return Esc("J");
    case ecIdentify: return Esc("Z");
    case ecIdentResponse: return Esc("/Z");
    default: return std::string();
    }
}

// --------------------------------------------------------------------------------------------------- VT100

TEscapeCode TEscapeCodesVT100::Parse()
{
    if (InExtended)
        return ParseControlSequence();
    if (Data.size() == 1 && Data[0] == '[') {
        InExtended = true;
        return ecNotCompleted;
    }
    uint8_t Last = uint8_t(Data.back());
    // Intermediate bytes ("#", "(", ")" ...) keep the sequence open until its final byte, so that a character
    // set choice such as ESC "(B" is swallowed whole instead of leaving a stray letter on the screen.
    if (Last >= 0x20 && Last <= 0x2F)
        return ecNotCompleted;
    if (Data.size() == 1) {
        switch (Data[0]) {
        case 'H': return ecSetTab;
        case '7': return ecSaveCaretAndAttr;
        case '8': return ecRestoreCaretAndAttr;
        case 'c': return ecReset;
        case 'M': return ecReverseLineFeed;
        case 'O': return ecNotCompleted;
        default: return ecUnknown;
        }
    }
    if (Data == "#8")
        return ecTest;
    if (Data.size() == 2 && Data[0] == 'O') {
        switch (Data[1]) {
        case 'A': return ecAppCursorUp;
        case 'B': return ecAppCursorDown;
        case 'C': return ecAppCursorRight;
        case 'D': return ecAppCursorLeft;
        default: break;
        }
    }
    return ecUnknown;
}

TEscapeCode TEscapeCodesVT100::ParseControlSequence()
{
    // Data is "[" parameters... final; any byte from "@" to "~" is a final byte.
    uint8_t Final = uint8_t(Data.back());
    if (Final < 0x40 || Final > 0x7E)
        return ecNotCompleted;
    // Every ";" separates two parameters; an empty one reads as the default.
    Params.clear();
    std::string Text = Data.substr(1, Data.size() - 2);
    if (!Text.empty()) {
        size_t Start = 0;
        for (;;) {
            size_t Semi = Text.find(';', Start);
            Params.push_back(Text.substr(Start, Semi == std::string::npos ? std::string::npos : Semi - Start));
            if (Semi == std::string::npos)
                break;
            Start = Semi + 1;
        }
    }
    char First = FirstParamChar(Params);
    switch (Final) {
    case 'A': return ecCursorUp;
    case 'B': return ecCursorDown;
    case 'C': return ecCursorRight;
    case 'D': return ecCursorLeft;
    case 'H': return ecCursorHome;
    case 'f': return ecCursorMove;
    case 'J': return First == 0 || First == '0' ? ecEraseScreenFrom : First == '2' ? ecEraseScreen : ecUnknown;
    case 'K': return First == 0 || First == '0' ? ecEraseLineFrom : First == '2' ? ecEraseLine : ecUnknown;
    case 'g': return First == 0 || First == '0' ? ecClearTab : First == '3' ? ecClearAllTabs : ecUnknown;
    case 'n':
        switch (First) {
        case '5': return ecQueryDevice;
        case '0': return ecReportDeviceOK;
        case '3': return ecReportDeviceFailure;
        case '6': return ecQueryCursorPos;
        default: return ecUnknown;
        }
    case 'c':
        if (Params.empty() || (Params.size() == 1 && Params[0] == "0"))
            return ecIdentify;
        if (Params.size() == 2 && Params[0] == "?1")
            return ecIdentResponse;
        return ecUnknown;
    case 'R': return ecReportCursorPos;
    case 'm': return ecAttributes;
    case 'h': return ecSetMode;
    case 'l': return ecResetMode;
    case 's': return ecSaveCaret;
    case 'u': return ecRestoreCaret;
    default: return ecUnknown;
    }
}

std::string TEscapeCodesVT100::EscCodeToStr(TEscapeCode Code, const TEscapeParams* Params) const
{
    auto P = [Params](int n) { return IntToStr(GetParam(n, Params)); };
    switch (Code) {
    case ecCursorUp: return Esc("[A");
    case ecCursorDown: return Esc("[B");
    case ecCursorLeft: return Esc("[D");
    case ecCursorRight: return Esc("[C");
    case ecCursorHome: return Esc("[H");
    case ecCursorMove: return Esc("[") + P(1) + ";" + P(2) + "f";
    case ecAppCursorLeft: return Esc("OD");
    case ecAppCursorRight: return Esc("OC");
    case ecAppCursorUp: return Esc("OA");
    case ecAppCursorDown: return Esc("OB");
    case ecEraseLineFrom: return Esc("[K");
    case ecEraseScreenFrom: return Esc("[J");
    case ecEraseLine: return Esc("[2K");
    case ecEraseScreen: return Esc("[2J");
    case ecSetTab: return Esc("H");
    case ecClearTab: return Esc("[g");
    case ecClearAllTabs: return Esc("[3g");
    case ecIdentify: return Esc("[c");
    case ecIdentResponse: return Esc("[?1;") + P(1) + "c";
    case ecQueryDevice: return Esc("[5n");
    case ecReportDeviceOK: return Esc("[0n");
    case ecReportDeviceFailure: return Esc("[3n");
    case ecQueryCursorPos: return Esc("[6n");
    case ecReportCursorPos: return Esc("[") + P(1) + ";" + P(2) + "R";
    case ecAttributes: return Esc("[m");
    case ecSetMode: return Esc("[h");
    case ecResetMode: return Esc("[l");
    case ecReset: return Esc("c");
    case ecSaveCaretAndAttr: return Esc("7");
    case ecRestoreCaretAndAttr: return Esc("8");
    case ecSaveCaret: return Esc("[s");
    case ecRestoreCaret: return Esc("[u");
    case ecTest: return Esc("#8");
    default: return std::string();
    }
}
