// Arbitrary screen text through the screen-text parser with the real description (assembled from data/description
// as the build compiles it): the input's first line names a section with a load script of the 4.09 tree, the rest
// is its screens. A parse that reports no fault must leave no value that breaks its description node's rules, and
// no instance of a numbered item missing from a record that holds it: a line fault is never kept in silence.
#include "Assembly.h"
#include "engine/DataManager.h"
#include "engine/ValueCheck.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {
TXmlDoc& description()
{
    static TAssembly* a = [] {
        std::vector<std::filesystem::path> files;
        for (const auto& e : std::filesystem::directory_iterator(ORLANTIS_DESCRIPTION_DIR))
            if (e.path().extension() == ".xml")
                files.push_back(e.path());
        std::sort(files.begin(), files.end());
        std::vector<TAssembly::TSourceText> sources;
        for (const auto& f : files) {
            std::ifstream in(f, std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            sources.push_back({f.string(), text.str()});
        }
        auto* assembly = new TAssembly;
        assembly->Doc.ShowErrors = false;
        try {
            assembly->Assemble(std::move(sources));
        } catch (const TAssemblyError&) {
            std::abort();
        }
        return assembly;
    }();
    return a->Doc;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static TSilentDialogs dialogs;
    static TDialogsScope scope(&dialogs);
    const std::string input(reinterpret_cast<const char*>(Data), Size);
    const size_t eol = input.find('\n');
    if (eol == std::string::npos)
        return 0;
    const std::string section = input.substr(0, eol), text = input.substr(eol + 1);
    TXmlDoc& desc = description();
    TXmlNode* params = desc.FindNode(nullptr, "VMU Parameters 409");
    TXmlNode* described = section.empty() ? nullptr : desc.FindNode(params, section);
    if (!params || !described)
        return 0;
    TXmlDoc data(&desc);
    TDataManager manager(&data, &desc);
    std::vector<TParseFault> faults;
    try {
        if (!manager.LoadData(params, text, section, &faults) || !faults.empty())
            return 0;
    } catch (const std::exception&) {
        return 0;   // a conversion error of the description's formats is the caller's to tell
    }
    TXmlNode* parsed = data.FindNode(nullptr, section);
    if (!parsed)
        return 0;
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(parsed, parsed); n; n = walk.Next(n)) {
        if (n->GetTemplate() && n->Attrs.Find("Value") && !CheckValue(ValueRuleOf(n->GetTemplate()), n->GetValue()).empty())
            std::abort();   // kept in silence
        // A numbered item whose screen lists its whole range ("3. Paging Code for Group 1" ... "Group 8"): every
        // instance is in the record, or the parse told a fault.
        if (!n->GetTemplate())
            continue;
        for (const auto& item : n->GetTemplate()->Nodes) {
            if (item->GetTag() != "ATTR" || item->GetAttr("StartStr").rfind(". ", 0) != 0 ||
                item->GetAttr("TemplateAttr").empty() || item->Attrs.Find("StopStr") || item->Attrs.Find("PassEmptyValue"))
                continue;
            size_t held = 0;
            for (const auto& c : n->Nodes)
                held += c->GetTemplate() == item.get();
            if (held != TemplateList(item->GetAttr("TemplateAttr")).size())
                std::abort();   // an instance lost in silence
        }
    }
    return 0;
}
