// The terminal's screen model: a screen of Rows x Columns cells fed with the bytes received from the line,
// interpreted by a VT100 or VT52 escape-code parser (SerPortEsc), with caret, wrap, scroll, tab stops, erase,
// attributes and modes, answers to the device's identify, status and cursor-position queries, and typed keys
// turned into bytes for the line. It draws nothing: a view (serial/ui/SerTerminalView) paints the cells and
// follows the change notifications. Everything runs in the thread that feeds it (the main thread).
//
// Promises: any byte sequence leaves the caret inside the screen and every cell index valid; bytes go to the line
// only through the attached TSerTermLine, and only while it reports itself connected.
#pragma once

#include "serial/SerPort.h"
#include "serial/SerPortEsc.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

enum TTermEmulation { teVT100orANSI, teVT52, teNone };
enum TTermCaret { tcBlock, tcUnderline, tcNone };
enum TArrowKeys { akTerminal, akWindows };
// The cursor keys a view hands to the terminal.
enum TTermKey { tkHome, tkLeft, tkUp, tkRight, tkDown };

// Colours are 0xRRGGBB.
struct TSerTermChar {
    uint8_t Ch = 0;              // 0: empty cell
    uint32_t FrontColor = 0;
    uint32_t BackColor = 0;
    bool Underline = false;
};

// The cells and tab stops; columns and rows count from 1. Out-of-range coordinates are ignored on write and
// read as an empty cell.
class TSerTermBuffer {
public:
    TSerTermBuffer(int Columns, int Rows) { Create(Columns, Rows); }
    // All cells empty, tab stops every 8 columns from column 1.
    void Create(int Columns, int Rows);
    int Columns() const { return FColumns; }
    int Rows() const { return FRows; }

    const TSerTermChar& GetChar(int Column, int Row) const;
    void SetChar(int Column, int Row, const TSerTermChar& Ch);
    // The top row is dropped and an empty one added at the bottom (ScrollUp), or the other way round.
    void ScrollUp();
    void ScrollDown();
    void EraseLine(int Column, int Row);      // from Column to the end of Row
    void EraseScreen(int Column, int Row);    // from the cell to the end of the screen

    bool GetTab(int Column) const;
    void SetTab(int Column);
    void ClearTab(int Column);
    void ClearAllTabs();
    int NextTab(int Column) const;   // first tab stop at or after Column; 0 when none
    int LineLength(int Row) const;   // last non-empty column of Row, 0 when empty
    int LastLine() const;            // last row that is not empty, 0 when none

private:
    bool Inside(int Column, int Row) const { return Column >= 1 && Column <= FColumns && Row >= 1 && Row <= FRows; }
    int FColumns = 0, FRows = 0;
    std::vector<TSerTermChar> Cells;   // row by row
    std::vector<uint8_t> Tabs;
};

// What the terminal sends to. SetComPort puts the port's own adapter in place; tests use their own.
class TSerTermLine {
public:
    virtual ~TSerTermLine() = default;
    virtual bool Connected() const = 0;
    virtual void Send(const std::string& Bytes) = 0;
};

class TSerTerminal {
public:
    TSerTerminal();
    ~TSerTerminal();
    TSerTerminal(const TSerTerminal&) = delete;
    TSerTerminal& operator=(const TSerTerminal&) = delete;

    // ---- the line
    // Binds the terminal to a port (not owned): a link then hands every received byte to RxBuf (in the main
    // thread) and typed keys go to the port. nullptr detaches, so that received bytes stay in the driver for a
    // file transfer. A port destroyed while bound is simply forgotten.
    void SetComPort(TCustomSerPort* Port);
    TCustomSerPort* ComPort() const { return FComPort; }
    // A line of any kind (not owned); SetComPort replaces it. nullptr: nothing is sent.
    void SetLine(TSerTermLine* Line) { FLine = Line; }
    TSerTermLine* Line() const { return FLine; }
    bool Connected() const { return FLine && FLine->Connected(); }
    // Opens or closes the bound port (nothing without one); a failed open raises the port's ESerPort.
    void SetConnected(bool Value)
    {
        if (FComPort)
            FComPort->SetConnected(Value);
    }
    // Bytes received from the line: AppendLF, Force7Bit and OnStrRecieved apply, then WriteStr.
    void RxBuf(const uint8_t* Bytes, size_t Count);

    // ---- settings
    int Columns() const { return FColumns; }
    void SetColumns(int Value);        // kept within 2..256; the screen starts anew
    int Rows() const { return FRows; }
    void SetRows(int Value);           // kept within 2..100; the screen starts anew
    TTermEmulation Emulation() const { return FEmulation; }
    void SetEmulation(TTermEmulation Value);   // replaces the parser
    TTermCaret Caret = tcBlock;
    TArrowKeys ArrowKeys = akTerminal;
    bool WantTab = false;
    uint32_t Color = 0x000000;         // the control's background
    uint32_t FontColor = 0xFFFFFF;
    uint32_t AltColor = 0xA6A6A6;      // bold text
    bool LocalEcho = false, SendLF = false, AppendLF = false, Force7Bit = false, WrapLines = false;
    bool SmoothScroll = false;         // the view scrolls while a thumb is dragged (read at its next layout)
    bool AppCursorKeys = false;        // cursor keys send application sequences
    bool Inverse = false, Bold = false, Underline = false;

    // ---- screen
    const TSerTermBuffer& Buffer() const { return *FBuffer; }
    int CaretColumn() const { return FCaretCol; }
    int CaretRow() const { return FCaretRow; }
    TEscapeCodes* EscapeCodes() const { return FEscapeCodes.get(); }
    // Every byte through the parser (or put as a character without one).
    void WriteStr(const std::string& Text);
    void WriteBuf(const uint8_t* Bytes, size_t Count);
    // Puts one byte as a character: control bytes act, printable ones fill the cell at the caret.
    void PutChar(uint8_t Ch);
    // Carries out a code with the parser's current Params; false when the terminal does not handle it.
    bool DoCode(TEscapeCode Code);
    void MoveCaret(int Column, int Row);
    void Clear();                      // all cells empty, caret home

    // Bytes as plain characters, without escape processing.
    void LoadFromStream(std::istream& In);
    void LoadFromString(const std::string& Text);
    // Rows up to the last non-empty one, each up to its last character (empty cells as spaces), joined by CR LF.
    void SaveToStream(std::ostream& Out) const;
    std::string SaveToString() const;

    // ---- keys
    void KeyChar(uint8_t Ch);
    void KeyArrow(TTermKey Key);
    // Sends a code in the parser's dialect; with Echo and LocalEcho it is carried out on the screen too.
    void SendCode(TEscapeCode Code, const TEscapeParams* Params, bool Echo);

    // ---- events
    std::function<void(uint8_t Ch)> OnChar;
    std::function<void(std::unique_ptr<TEscapeCodes>& Codes)> OnGetEscapeCodes;
    std::function<void(TEscapeCode Code, const std::string& Data)> OnUnhandledCode;
    std::function<void(std::string& Str)> OnStrRecieved;
    // The port refused bytes the terminal sent (a key, an answer); the text says why. Without a handler the
    // bytes are dropped quietly: a key press must not stop on a message box.
    std::function<void(const std::string& Message)> OnLineError;

    // ---- view notifications (cells inclusive, from 1)
    std::function<void(int Column1, int Row1, int Column2, int Row2)> OnInvalidate;
    std::function<void(int Lines)> OnScrolled;   // +1: contents moved up one row, -1: down
    std::function<void()> OnCaretMoved;
    std::function<void()> OnResized;             // Columns or Rows changed; everything must be repainted

private:
    void RecreateBuffer();
    void Invalidate(int c1, int r1, int c2, int r2) { if (OnInvalidate) OnInvalidate(c1, r1, c2, r2); }
    void InvalidateAll() { Invalidate(1, 1, FColumns, FRows); }
    void LineFeed();
    void ReverseLineFeed();
    void Advance();
    void SetAttributes(const TEscapeParams& Params);
    void SetMode(const std::string& Which, bool On);
    void Send(const std::string& Bytes);
    // A count parameter: 0 and a missing one both mean 1, as on a VT100.
    int Count(int n) const;

    class TPortLine : public TSerTermLine {
    public:
        explicit TPortLine(TSerTerminal& Owner) : Owner(Owner) {}
        bool Connected() const override;
        void Send(const std::string& Bytes) override;

    private:
        TSerTerminal& Owner;
    };

    TSerTermLine* FLine = nullptr;
    TCustomSerPort* FComPort = nullptr;
    TSerLink FLink;
    TPortLine FPortLine{*this};
    int FColumns = 80, FRows = 24;
    TTermEmulation FEmulation = teVT100orANSI;
    std::unique_ptr<TSerTermBuffer> FBuffer;
    std::unique_ptr<TEscapeCodes> FEscapeCodes;
    int FCaretCol = 1, FCaretRow = 1;
    int FSavedCol = 1, FSavedRow = 1;
    bool FSavedInverse = false, FSavedBold = false, FSavedUnderline = false;
};
