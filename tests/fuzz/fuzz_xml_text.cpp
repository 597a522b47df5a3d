// Arbitrary text through the XML text reader: it must fail cleanly or give a document that the text writer and
// the binary writer can handle. The first byte picks whether a small description serves as template for
// "TemplateID" links. Errors are kept silent (no dialogs in a fuzz run).
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <cstddef>
#include <cstdint>
#include <sstream>

namespace {
TXmlDoc& description()
{
    static TXmlDoc* d = [] {
        auto* doc = new TXmlDoc;
        doc->Root()->SetTag("ORLANTIS");
        doc->Root()->SetID(1);
        doc->Root()->AddChild("PARAM")->SetID(2);
        return doc;
    }();
    return *d;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static TSilentDialogs dialogs;
    static TDialogsScope scope(&dialogs);
    if (Size == 0)
        return 0;
    TXmlDoc doc((Data[0] & 1) ? &description() : nullptr);
    std::istringstream in(std::string(reinterpret_cast<const char*>(Data) + 1, Size - 1));
    if (!doc.LoadFromStream(in, false))
        return 0;
    std::ostringstream text, binary;
    doc.SaveToStream(text, false);
    doc.SaveToStream(binary, true);
    TXmlDoc again(doc.Template);
    std::istringstream back(text.str());
    again.LoadFromStream(back, false);
    return 0;
}
