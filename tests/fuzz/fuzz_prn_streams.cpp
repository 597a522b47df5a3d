// The print library's readers of outside bytes: our RTF reader (whatever it reads, writing it and reading that
// again gives the same text and styles) and the resource table's stream, whose lists refuse a damaged stream with
// EReadError and leave the table as it was.
#include "print/PrnGraphic.h"
#include "print/PrnResource.h"
#include "print/PrnRtf.h"
#include "print/PrnRtfFuncs.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const std::string input(reinterpret_cast<const char*>(Data), Size);
    TPrnRichText once = RtfRead(input);
    TPrnRichText twice = RtfRead(RtfWrite(once));
    if (!(once == twice))
        std::abort();

    TPrnResourceTable table;
    TPrnMemoryStream s;
    s.Data = input;
    TPrnReader r(s);
    try {
        table.LoadFromStream(r);
    } catch (const Exception&) {
        if (table.Brushes.Count() != 0 || table.Graphics().Count() != 0 || table.Memos().Count() != 0)
            std::abort();
    }
    return 0;
}
