// Arbitrary bytes as a binary XML document: the loader must fail cleanly or give a document that saves and
// reloads to the very same bytes. The first byte picks whether a small description serves as template, so that
// "TemplateID" conversion is exercised too. Errors are kept silent (no dialogs in a fuzz run).
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>

namespace {
TXmlDoc& description()
{
    static TXmlDoc* d = [] {
        auto* doc = new TXmlDoc;
        doc->Root()->SetTag("ORLANTIS");
        doc->Root()->SetID(1);
        for (int i = 2; i < 6; ++i)
            doc->Root()->AddChild("PARAM")->SetID(i);
        return doc;
    }();
    return *d;
}

std::string save(TXmlDoc& doc)
{
    std::ostringstream out;
    if (!doc.SaveToStream(out, true))
        std::abort();   // whatever loaded must save
    return out.str();
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
    if (!doc.LoadFromStream(in, true))
        return 0;
    std::string first = save(doc);
    TXmlDoc again(doc.Template);
    std::istringstream in2(first);
    if (!again.LoadFromStream(in2, true) || save(again) != first)
        std::abort();
    // The model's walks, searches and copies over whatever came in.
    (void)doc.FindNode(nullptr, "x", "PARAM");
    (void)doc.FindByID(nullptr, 3);
    (void)doc.FindAttrNode(nullptr, "1", "a");
    if (doc.Root()) {
        auto copy = doc.Root()->CloneLinked({"PARAM", "ATTR"}, true);
        again.Root()->Merge(*copy, true);
    }
    return 0;
}
