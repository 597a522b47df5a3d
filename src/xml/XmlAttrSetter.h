// Internal to the readers: applies the attributes of one element to its list by name (library's rule), with a
// name index once a list grows long, so that a hostile file with thousands of attributes on one element costs
// linear time instead of quadratic.
#pragma once

#include "xml/XmlDoc.h"

#include <string>
#include <unordered_map>

class TXmlAttrSetter {
public:
    explicit TXmlAttrSetter(TXmlAttrList& List) : FList(List) {}

    // Assign semantics: an existing attribute of that name takes Value unchanged, else a raw one is appended.
    void Assign(std::string_view Name, std::string Value)
    {
        if (TXmlAttribute* a = find(Name)) {
            a->SetValue(std::move(Value));
            return;
        }
        remember(FList.AddRaw(Name, std::move(Value)));
    }
    // SetValue semantics: an existing attribute takes Value unchanged, a new one is unquoted and decoded.
    void Set(std::string_view Name, std::string_view Value)
    {
        if (TXmlAttribute* a = find(Name)) {
            a->SetValue(std::string(Value));
            return;
        }
        remember(FList.AddNew(Name, Value));
    }

private:
    static constexpr int IndexFrom = 16;
    static std::string key(std::string_view Name) { return XmlCaseSensitive ? std::string(Name) : UpperCase(Name); }

    TXmlAttribute* find(std::string_view Name)
    {
        if (FList.Count() < IndexFrom)
            return FList.Find(Trim(Name));
        if (FIndex.empty())
            for (const auto& a : FList)
                FIndex.emplace(key(a->GetName()), a.get());
        auto it = FIndex.find(key(Trim(Name)));
        return it == FIndex.end() ? nullptr : it->second;
    }
    void remember(TXmlAttribute* a)
    {
        if (!FIndex.empty())
            FIndex.emplace(key(a->GetName()), a);
    }

    TXmlAttrList& FList;
    std::unordered_map<std::string, TXmlAttribute*> FIndex;
};
