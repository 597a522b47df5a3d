// Escape-code parsers and encoders of the terminal, for the VT52 and VT100 (ANSI) dialects. A parser is fed one
// received byte at a time and answers whether the byte is a plain character, part of a sequence, or the end of
// one; at the end it names one abstract code (TEscapeCode) with its parameters. The same objects turn a code back
// into the bytes to send (arrow keys, answers to the device's queries).
//
// Promises for any input: a sequence never grows past MaxSequenceLength bytes, ESC always starts a new sequence,
// a control byte inside a sequence is handed back as a character (as a VT100 does) and CAN or SUB drop the
// sequence. No byte sequence can make a parser throw or keep state that outlives the next ESC.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum TEscapeCode : uint8_t {
    ecUnknown, ecNotCompleted, ecCursorUp, ecCursorDown, ecCursorLeft, ecCursorRight, ecCursorHome, ecCursorMove,
    ecReverseLineFeed, ecAppCursorLeft, ecAppCursorRight, ecAppCursorUp, ecAppCursorDown, ecEraseLineFrom,
    ecEraseScreenFrom, ecEraseLine, ecEraseScreen, ecSetTab, ecClearTab, ecClearAllTabs, ecIdentify,
    ecIdentResponse, ecQueryDevice, ecReportDeviceOK, ecReportDeviceFailure, ecQueryCursorPos, ecReportCursorPos,
    ecAttributes, ecSetMode, ecResetMode, ecReset, ecSaveCaretAndAttr, ecRestoreCaretAndAttr, ecSaveCaret,
    ecRestoreCaret, ecTest
};

enum TEscapeResult { erChar = 0, erCode = 1, erNothing = 2 };

using TEscapeParams = std::vector<std::string>;

class TEscapeCodes {
public:
    // Longest sequence kept after ESC; a longer one ends as ecUnknown.
    static constexpr size_t MaxSequenceLength = 64;

    virtual ~TEscapeCodes() = default;

    // Takes one received byte. erChar: Character holds a byte to display (also control bytes); erCode: Code and
    // Params describe a finished sequence; erNothing: the byte was taken into a sequence.
    TEscapeResult ProcessChar(uint8_t Ch);
    // The bytes that send Code with Params in this dialect; empty when the dialect has no text for it.
    virtual std::string EscCodeToStr(TEscapeCode Code, const TEscapeParams* Params) const = 0;

    // The n-th parameter (from 1) as a decimal number; 1 when the list is missing, shorter, or the entry is no
    // number (an empty entry included). A "0" stays 0.
    static int GetParam(int n, const TEscapeParams* Params);

    uint8_t Character = 0;
    TEscapeCode Code = ecUnknown;
    std::string Data;          // the sequence after ESC so far
    TEscapeParams Params;      // parameters of the last code; the user clears them after acting on it
    bool InSequence = false;

protected:
    // Parses Data (after ESC); ecNotCompleted while the sequence goes on.
    virtual TEscapeCode Parse() = 0;
    virtual void EndSequence() { InSequence = false; }
};

class TEscapeCodesVT52 : public TEscapeCodes {
public:
    std::string EscCodeToStr(TEscapeCode Code, const TEscapeParams* Params) const override;

protected:
    TEscapeCode Parse() override;
};

class TEscapeCodesVT100 : public TEscapeCodes {
public:
    std::string EscCodeToStr(TEscapeCode Code, const TEscapeParams* Params) const override;
    bool InExtended = false;   // a "[" was seen: a control sequence is being read

protected:
    TEscapeCode Parse() override;
    void EndSequence() override
    {
        TEscapeCodes::EndSequence();
        InExtended = false;
    }

private:
    TEscapeCode ParseControlSequence();
};
