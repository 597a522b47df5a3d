// Internal to the readers: applies the attributes of one element to its list by name (library's rule), with a
// name index once a list grows long, so that a hostile file with thousands of attributes on one element costs
// linear time instead of quadratic.
#pragma once

#include "xml/XmlDoc.h"

#include <memory>
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
    // Appends Attribute, or gives its value to an existing attribute of the same name.
    void Adopt(std::unique_ptr<TXmlAttribute> Attribute)
    {
        if (TXmlAttribute* a = find(Attribute->GetName())) {
            a->SetValue(std::string(Attribute->GetValue()));
            return;
        }
        TXmlAttribute* p = Attribute.get();
        FList.Add(std::move(Attribute));
        remember(p);
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
            return FList.Find(Name);
        if (!FIndex) {
            FIndex = std::make_unique<std::unordered_map<std::string, TXmlAttribute*>>();
            for (const auto& a : FList)
                FIndex->emplace(key(a->GetName()), a.get());
        }
        auto it = FIndex->find(key(Name));
        return it == FIndex->end() ? nullptr : it->second;
    }
    void remember(TXmlAttribute* a)
    {
        if (FIndex)
            FIndex->emplace(key(a->GetName()), a);
    }

    TXmlAttrList& FList;
    std::unique_ptr<std::unordered_map<std::string, TXmlAttribute*>> FIndex;   // built once the list is long
};
