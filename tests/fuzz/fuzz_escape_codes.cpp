// Arbitrary received bytes through the escape-code parsers and the terminal's screen model: no crash, no read or
// write outside the screen, caret always inside it. The first byte picks the dialect and a few switches.
#include "serial/SerPortCtl.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct TNullLine : TSerTermLine {
    size_t Bytes = 0;
    bool Connected() const override { return true; }
    void Send(const std::string& b) override { Bytes += b.size(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size == 0)
        return 0;
    uint8_t Mode = Data[0];
    TSerTerminal T;
    TNullLine Line;
    T.SetLine(&Line);
    T.SetEmulation(Mode & 1 ? teVT52 : teVT100orANSI);
    T.WrapLines = Mode & 2;
    T.AppendLF = Mode & 4;
    T.LocalEcho = Mode & 8;
    if (Mode & 16) {
        T.SetColumns(2 + Mode % 7);
        T.SetRows(2 + Mode % 5);
    }
    T.RxBuf(Data + 1, Size - 1);
    // Keys after whatever state the bytes left behind.
    for (int k = tkHome; k <= tkDown; ++k)
        T.KeyArrow(TTermKey(k));
    T.KeyChar('\r');
    if (T.CaretColumn() < 1 || T.CaretColumn() > T.Columns() || T.CaretRow() < 1 || T.CaretRow() > T.Rows())
        abort();
    std::string Saved = T.SaveToString();
    if (Saved.size() > size_t(T.Columns() + 2) * size_t(T.Rows()))
        abort();
    return 0;
}
