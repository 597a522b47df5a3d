// The terminal's screen model; see SerPortCtl.h.
#include "serial/SerPortCtl.h"

#include <algorithm>
#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>

namespace {

const TSerTermChar EmptyCell{};

int Clamp(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

}  // namespace

// ------------------------------------------------------------------------------------------- TSerTermBuffer

void TSerTermBuffer::Create(int Columns, int Rows)
{
    FColumns = Columns;
    FRows = Rows;
    Cells.assign(size_t(Columns) * size_t(Rows), TSerTermChar{});
    Tabs.assign(size_t(Columns), 0);
    for (int c = 1; c <= Columns; c += 8)
        Tabs[size_t(c - 1)] = 1;
}

const TSerTermChar& TSerTermBuffer::GetChar(int Column, int Row) const
{
    if (!Inside(Column, Row))
        return EmptyCell;
    return Cells[size_t(Row - 1) * size_t(FColumns) + size_t(Column - 1)];
}

void TSerTermBuffer::SetChar(int Column, int Row, const TSerTermChar& Ch)
{
    if (Inside(Column, Row))
        Cells[size_t(Row - 1) * size_t(FColumns) + size_t(Column - 1)] = Ch;
}

void TSerTermBuffer::ScrollUp()
{
    std::move(Cells.begin() + FColumns, Cells.end(), Cells.begin());
    std::fill(Cells.end() - FColumns, Cells.end(), TSerTermChar{});
}

void TSerTermBuffer::ScrollDown()
{
    std::move_backward(Cells.begin(), Cells.end() - FColumns, Cells.end());
    std::fill(Cells.begin(), Cells.begin() + FColumns, TSerTermChar{});
}

void TSerTermBuffer::EraseLine(int Column, int Row)
{
    for (int c = std::max(Column, 1); c <= FColumns; ++c)
        SetChar(c, Row, TSerTermChar{});
}

void TSerTermBuffer::EraseScreen(int Column, int Row)
{
    EraseLine(Column, Row);
    for (int r = std::max(Row + 1, 1); r <= FRows; ++r)
        EraseLine(1, r);
}

bool TSerTermBuffer::GetTab(int Column) const
{
    return Column >= 1 && Column <= FColumns && Tabs[size_t(Column - 1)];
}

void TSerTermBuffer::SetTab(int Column)
{
    if (Column >= 1 && Column <= FColumns)
        Tabs[size_t(Column - 1)] = 1;
}

void TSerTermBuffer::ClearTab(int Column)
{
    if (Column >= 1 && Column <= FColumns)
        Tabs[size_t(Column - 1)] = 0;
}

void TSerTermBuffer::ClearAllTabs() { std::fill(Tabs.begin(), Tabs.end(), 0); }

int TSerTermBuffer::NextTab(int Column) const
{
    for (int c = std::max(Column, 1); c <= FColumns; ++c)
        if (Tabs[size_t(c - 1)])
            return c;
    return 0;
}

int TSerTermBuffer::LineLength(int Row) const
{
    for (int c = FColumns; c >= 1; --c)
        if (GetChar(c, Row).Ch)
            return c;
    return 0;
}

int TSerTermBuffer::LastLine() const
{
    for (int r = FRows; r >= 1; --r)
        if (LineLength(r))
            return r;
    return 0;
}

// --------------------------------------------------------------------------------------------- TSerTerminal

TSerTerminal::TSerTerminal()
{
    FBuffer = std::make_unique<TSerTermBuffer>(FColumns, FRows);
    SetEmulation(teVT100orANSI);
}

TSerTerminal::~TSerTerminal() { SetComPort(nullptr); }

void TSerTerminal::SetComPort(TCustomSerPort* Port)
{
    if (Port == FComPort)
        return;
    if (FComPort) {
        try {
            FComPort->UnRegisterLink(&FLink);
        } catch (const std::exception&) {
            // Not registered: nothing to undo.
        }
        FComPort->RemoveFreeNotification(this);
        if (FLine == &FPortLine)
            FLine = nullptr;
    }
    FComPort = Port;
    if (!Port)
        return;
    FLink.OnRxBuf = [this](TCustomSerPort&, const char* Bytes, int Count) {
        if (Count > 0)
            RxBuf(reinterpret_cast<const uint8_t*>(Bytes), size_t(Count));
    };
    Port->AddFreeNotification(this, [this] {
        FComPort = nullptr;
        if (FLine == &FPortLine)
            FLine = nullptr;
    });
    Port->RegisterLink(&FLink);
    FLine = &FPortLine;
}

bool TSerTerminal::TPortLine::Connected() const { return Owner.FComPort && Owner.FComPort->Connected(); }

void TSerTerminal::TPortLine::Send(const std::string& Bytes)
{
    try {
        Owner.FComPort->WriteStr(Bytes);
    } catch (const std::exception& e) {
        if (Owner.OnLineError)
            Owner.OnLineError(e.what());
    }
}

void TSerTerminal::RecreateBuffer()
{
    FBuffer->Create(FColumns, FRows);
    FCaretCol = Clamp(FCaretCol, 1, FColumns);
    FCaretRow = Clamp(FCaretRow, 1, FRows);
    FSavedCol = Clamp(FSavedCol, 1, FColumns);
    FSavedRow = Clamp(FSavedRow, 1, FRows);
    if (OnResized)
        OnResized();
    InvalidateAll();
}

void TSerTerminal::SetColumns(int Value)
{
    Value = Clamp(Value, 2, 256);
    if (Value == FColumns)
        return;
    FColumns = Value;
    RecreateBuffer();
}

void TSerTerminal::SetRows(int Value)
{
    Value = Clamp(Value, 2, 100);
    if (Value == FRows)
        return;
    FRows = Value;
    RecreateBuffer();
}

void TSerTerminal::SetEmulation(TTermEmulation Value)
{
    FEmulation = Value;
    FEscapeCodes.reset();
    switch (Value) {
    case teVT100orANSI: FEscapeCodes = std::make_unique<TEscapeCodesVT100>(); break;
    case teVT52: FEscapeCodes = std::make_unique<TEscapeCodesVT52>(); break;
    case teNone:
        if (OnGetEscapeCodes)
            OnGetEscapeCodes(FEscapeCodes);
        break;
    }
}

void TSerTerminal::RxBuf(const uint8_t* Bytes, size_t Count)
{
    std::string Str(reinterpret_cast<const char*>(Bytes), Count);
    if (AppendLF) {
        std::string WithLF;
        WithLF.reserve(Str.size() + Str.size() / 8);
        for (char c : Str) {
            WithLF += c;
            if (c == '\r')
                WithLF += '\n';
        }
        Str.swap(WithLF);
    }
    if (Force7Bit)
        for (char& c : Str)
            c = char(uint8_t(c) & 0x7F);
    if (OnStrRecieved)
        OnStrRecieved(Str);
    WriteStr(Str);
}

void TSerTerminal::WriteStr(const std::string& Text)
{
    WriteBuf(reinterpret_cast<const uint8_t*>(Text.data()), Text.size());
}

void TSerTerminal::WriteBuf(const uint8_t* Bytes, size_t Count)
{
    for (size_t i = 0; i < Count; ++i) {
        if (!FEscapeCodes) {
            PutChar(Bytes[i]);
            continue;
        }
        switch (FEscapeCodes->ProcessChar(Bytes[i])) {
        case erChar:
            PutChar(FEscapeCodes->Character);
            break;
        case erCode: {
            // The parser may be replaced by a handler (OnUnhandledCode); keep the code and data first.
            TEscapeCode Code = FEscapeCodes->Code;
            if (!DoCode(Code) && OnUnhandledCode)
                OnUnhandledCode(Code, FEscapeCodes->Data);
            if (FEscapeCodes)
                FEscapeCodes->Params.clear();
            break;
        }
        case erNothing:
            break;
        }
    }
    if (OnCaretMoved)
        OnCaretMoved();
}

void TSerTerminal::PutChar(uint8_t Ch)
{
    switch (Ch) {
    case 13: MoveCaret(1, FCaretRow); break;
    case 10:
    case 12: LineFeed(); break;
    case 8: MoveCaret(FCaretCol - 1, FCaretRow); break;
    case 9: {
        int Next = FBuffer->NextTab(FCaretCol + 1);
        if (Next)
            MoveCaret(Next, FCaretRow);
        break;
    }
    default:
        if (Ch >= 32 && Ch <= 126) {
            TSerTermChar Cell;
            Cell.Ch = Ch;
            Cell.FrontColor = Bold ? AltColor : Inverse ? Color : FontColor;
            Cell.BackColor = Inverse ? FontColor : Color;
            Cell.Underline = Underline;
            FBuffer->SetChar(FCaretCol, FCaretRow, Cell);
            Invalidate(FCaretCol, FCaretRow, FCaretCol, FCaretRow);
            Advance();
        }
        break;
    }
    if (OnChar)
        OnChar(Ch);
}

void TSerTerminal::MoveCaret(int Column, int Row)
{
    FCaretCol = Clamp(Column, 1, FColumns);
    FCaretRow = Clamp(Row, 1, FRows);
}

void TSerTerminal::Advance()
{
    if (FCaretCol < FColumns)
        ++FCaretCol;
    else if (WrapLines) {
        FCaretCol = 1;
        LineFeed();
    }
}

void TSerTerminal::LineFeed()
{
    if (FCaretRow < FRows) {
        ++FCaretRow;
        return;
    }
    FBuffer->ScrollUp();
    if (OnScrolled)
        OnScrolled(1);
    InvalidateAll();
}

void TSerTerminal::ReverseLineFeed()
{
    if (FCaretRow > 1) {
        --FCaretRow;
        return;
    }
    FBuffer->ScrollDown();
    if (OnScrolled)
        OnScrolled(-1);
    InvalidateAll();
}

void TSerTerminal::Clear()
{
    FBuffer->EraseScreen(1, 1);
    MoveCaret(1, 1);
    InvalidateAll();
    if (OnCaretMoved)
        OnCaretMoved();
}

int TSerTerminal::Count(int n) const
{
    int v = TEscapeCodes::GetParam(n, FEscapeCodes ? &FEscapeCodes->Params : nullptr);
    return v < 1 ? 1 : v;
}

bool TSerTerminal::DoCode(TEscapeCode Code)
{
    static const TEscapeParams NoParams;
    const TEscapeParams& Params = FEscapeCodes ? FEscapeCodes->Params : NoParams;
    switch (Code) {
    case ecCursorUp:
    case ecAppCursorUp: MoveCaret(FCaretCol, FCaretRow - Count(1)); break;
    case ecCursorDown:
    case ecAppCursorDown: MoveCaret(FCaretCol, FCaretRow + Count(1)); break;
    case ecCursorLeft:
    case ecAppCursorLeft: MoveCaret(FCaretCol - Count(1), FCaretRow); break;
    case ecCursorRight:
    case ecAppCursorRight: MoveCaret(FCaretCol + Count(1), FCaretRow); break;
    case ecCursorHome:
    case ecCursorMove: MoveCaret(Count(2), Count(1)); break;
    case ecReverseLineFeed: ReverseLineFeed(); break;
    case ecEraseLineFrom:
        FBuffer->EraseLine(FCaretCol, FCaretRow);
        Invalidate(FCaretCol, FCaretRow, FColumns, FCaretRow);
        break;
    case ecEraseScreenFrom:
        FBuffer->EraseScreen(FCaretCol, FCaretRow);
        Invalidate(1, FCaretRow, FColumns, FRows);
        break;
    case ecEraseLine:
        FBuffer->EraseLine(1, FCaretRow);
        Invalidate(1, FCaretRow, FColumns, FCaretRow);
        MoveCaret(1, FCaretRow);
        break;
    case ecEraseScreen:
        FBuffer->EraseScreen(1, 1);
        InvalidateAll();
        MoveCaret(1, 1);
        break;
    case ecSetTab: FBuffer->SetTab(FCaretCol); break;
    case ecClearTab: FBuffer->ClearTab(FCaretCol); break;
    case ecClearAllTabs: FBuffer->ClearAllTabs(); break;
    case ecIdentify: {
        TEscapeParams Answer{"2"};
        SendCode(ecIdentResponse, &Answer, false);
        break;
    }
    case ecQueryDevice: SendCode(ecReportDeviceOK, nullptr, false); break;
    case ecQueryCursorPos: {
        TEscapeParams Answer{std::to_string(FCaretRow), std::to_string(FCaretCol)};
        SendCode(ecReportCursorPos, &Answer, false);
        break;
    }
    case ecAttributes: SetAttributes(Params); break;
    case ecSetMode:
    case ecResetMode:
        SetMode(Params.empty() ? std::string() : Params[0], Code == ecSetMode);
        break;
    case ecReset: Inverse = Bold = Underline = false; break;
    case ecSaveCaretAndAttr:
        FSavedInverse = Inverse;
        FSavedBold = Bold;
        FSavedUnderline = Underline;
        [[fallthrough]];
    case ecSaveCaret:
        FSavedCol = FCaretCol;
        FSavedRow = FCaretRow;
        break;
    case ecRestoreCaretAndAttr:
        Inverse = FSavedInverse;
        Bold = FSavedBold;
        Underline = FSavedUnderline;
        [[fallthrough]];
    case ecRestoreCaret: MoveCaret(FSavedCol, FSavedRow); break;
    case ecTest: {
        TSerTermChar E;
        E.Ch = 'E';
        E.FrontColor = FontColor;
        E.BackColor = Color;
        for (int r = 1; r <= FRows; ++r)
            for (int c = 1; c <= FColumns; ++c)
                FBuffer->SetChar(c, r, E);
        InvalidateAll();
        break;
    }
    default: return false;
    }
    return true;
}

void TSerTerminal::SetAttributes(const TEscapeParams& Params)
{
    if (Params.empty()) {
        Inverse = Bold = Underline = false;
        return;
    }
    for (size_t i = 0; i < Params.size(); ++i) {
        // An empty entry ("[;1m") means 0 here, as on a VT100.
        int v = Params[i].empty() ? 0 : TEscapeCodes::GetParam(int(i + 1), &Params);
        switch (v) {
        case 0: Inverse = Bold = Underline = false; break;
        case 1: Bold = true; break;
        case 4: Underline = true; break;
        case 7: Inverse = true; break;
        case 21: Bold = false; break;
        case 24: Underline = false; break;
        case 27: Inverse = false; break;
        default: break;
        }
    }
}

void TSerTerminal::SetMode(const std::string& Which, bool On)
{
    if (Which == "?1")
        AppCursorKeys = On;
    else if (Which == "7")
        WrapLines = On;
    else if (Which == "?3")
        SetColumns(On ? 132 : 80);
}

void TSerTerminal::LoadFromStream(std::istream& In)
{
    std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    LoadFromString(Text);
}

void TSerTerminal::LoadFromString(const std::string& Text)
{
    for (char c : Text)
        PutChar(uint8_t(c));
    if (OnCaretMoved)
        OnCaretMoved();
}

void TSerTerminal::SaveToStream(std::ostream& Out) const
{
    Out << SaveToString();
}

std::string TSerTerminal::SaveToString() const
{
    std::string Text;
    int Last = FBuffer->LastLine();
    for (int r = 1; r <= Last; ++r) {
        if (r > 1)
            Text += "\r\n";
        int Len = FBuffer->LineLength(r);
        for (int c = 1; c <= Len; ++c) {
            uint8_t Ch = FBuffer->GetChar(c, r).Ch;
            Text += Ch ? char(Ch) : ' ';
        }
    }
    return Text;
}

void TSerTerminal::Send(const std::string& Bytes)
{
    if (Connected() && !Bytes.empty())
        FLine->Send(Bytes);
}

void TSerTerminal::KeyChar(uint8_t Ch)
{
    std::string Bytes(1, char(Ch));
    if (Ch == 13 && SendLF)
        Bytes += '\n';
    Send(Bytes);
    if (LocalEcho)
        WriteStr(Bytes);
}

void TSerTerminal::SendCode(TEscapeCode Code, const TEscapeParams* Params, bool Echo)
{
    if (FEscapeCodes)
        Send(FEscapeCodes->EscCodeToStr(Code, Params));
    if (Echo && LocalEcho) {
        TEscapeParams Keep;
        if (FEscapeCodes) {
            Keep.swap(FEscapeCodes->Params);
            if (Params)
                FEscapeCodes->Params = *Params;
        }
        DoCode(Code);
        if (FEscapeCodes)
            FEscapeCodes->Params.swap(Keep);
        if (OnCaretMoved)
            OnCaretMoved();
    }
}

void TSerTerminal::KeyArrow(TTermKey Key)
{
    static const TEscapeCode Plain[] = {ecCursorHome, ecCursorLeft, ecCursorUp, ecCursorRight, ecCursorDown};
    static const TEscapeCode App[] = {ecUnknown, ecAppCursorLeft, ecAppCursorUp, ecAppCursorRight,
        ecAppCursorDown};
    if (AppCursorKeys) {
        if (Key != tkHome)
            SendCode(App[Key], nullptr, true);
        return;
    }
    TEscapeCode Code = Plain[Key];
    if (ArrowKeys == akWindows) {
        TEscapeParams Keep;
        if (FEscapeCodes)
            Keep.swap(FEscapeCodes->Params);
        DoCode(Code);
        if (FEscapeCodes)
            FEscapeCodes->Params.swap(Keep);
        if (OnCaretMoved)
            OnCaretMoved();
    } else
        SendCode(Code, nullptr, true);
}
