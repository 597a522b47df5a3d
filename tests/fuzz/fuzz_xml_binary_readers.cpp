// Arbitrary bytes as a binary XML document through both readers, the one for every processor and the one built
// for AVX2: they must agree on every input, failing with the same message or giving documents that save to the
// same bytes with the same trailing bytes. On a processor without AVX2 both runs take the same reader.
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>

namespace {
struct TReading {
    bool Loaded = false;
    std::string Saved, Error;
    size_t Trailing = 0;
};

TReading read(const std::string& Bytes, bool Avx2)
{
    XmlBinaryReadsWithAvx2 = Avx2;
    TXmlDoc doc;
    doc.ShowErrors = false;
    std::istringstream in(Bytes);
    TReading r;
    r.Loaded = doc.LoadFromStream(in, true);
    r.Error = doc.LastError;
    r.Trailing = doc.TrailingBytes;
    if (r.Loaded) {
        std::ostringstream out;
        if (!doc.SaveToStream(out, true))
            std::abort();
        r.Saved = out.str();
    }
    return r;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static TSilentDialogs dialogs;
    static TDialogsScope scope(&dialogs);
    const std::string bytes(reinterpret_cast<const char*>(Data), Size);
    const TReading plain = read(bytes, false), avx2 = read(bytes, true);
    if (plain.Loaded != avx2.Loaded || plain.Saved != avx2.Saved || plain.Error != avx2.Error ||
        plain.Trailing != avx2.Trailing)
        std::abort();
    return 0;
}
