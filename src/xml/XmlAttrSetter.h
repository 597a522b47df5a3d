// Internal to the readers: applies the attributes of one element to its list by name (library's rule), with a
// name index once a list grows long, so that a hostile file with thousands of attributes on one element costs
// linear time instead of quadratic. A list has one setter at a time: the setter tells the list, when it is done,
// whether its strings are all short (see TXmlAttrList).
#pragma once

#include "xml/XmlDoc.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TXmlAttrSetter {
public:
    explicit TXmlAttrSetter(TXmlAttrList& List)
        : FList(List), FCount(List.Count()), FInlineOnly(List.FInlineOnly.load(std::memory_order_relaxed))
    {
        FList.touch();
        for (const TXmlAttribute& a : FList.FItems)
            FSeen |= mark(a.GetName());
        // Until the setter is done the list does not vouch for its strings: a reader that fails between Append
        // and AdoptLast leaves an attribute whose strings nobody looked at.
        FList.FInlineOnly.store(false, std::memory_order_relaxed);
    }
    TXmlAttrSetter(const TXmlAttrSetter&) = delete;
    TXmlAttrSetter& operator=(const TXmlAttrSetter&) = delete;
    ~TXmlAttrSetter()
    {
        if (!FFilling)
            FList.FInlineOnly.store(FInlineOnly, std::memory_order_relaxed);
    }

    // Assign semantics: an existing attribute of that name takes Value unchanged, else a raw one is appended.
    void Assign(std::string_view Name, std::string Value)
    {
        if (TXmlAttribute* a = find(Name, FList.Count())) {
            a->SetValue(std::move(Value));
            note(*a);
            return;
        }
        note(FList.append(TXmlAttribute(Name, Value)));
        remember(FList.Count() - 1);
    }
    // A new attribute at the end of the list, for the reader to fill in place before it calls AdoptLast. A reader
    // that reserved the list's whole count makes no call here.
    [[gnu::always_inline]] TXmlAttribute& Append()
    {
        if (FList.FItems.size() == FList.FItems.capacity())
            FList.grow();
        FFilling = true;
        return FList.FItems.emplace_back();
    }
    // The last attribute of the list was just read: it stays, or gives its value to an earlier one of its name.
    [[gnu::always_inline]] void AdoptLast()
    {
        FFilling = false;
        note(FList.FItems.back());
        // Nearly every name read: the list is short and no earlier name shares its mark.
        const uint64_t m = mark(FList.FItems.back().FName);
        if (FCount < IndexFrom && (FSeen & m) == 0) {
            FSeen |= m;
            ++FCount;
            return;
        }
        adoptSearched();
    }
    // SetValue semantics: an existing attribute takes Value unchanged, a new one is unquoted and decoded.
    void Set(std::string_view Name, std::string_view Value)
    {
        if (TXmlAttribute* a = find(Name, FList.Count())) {
            a->SetValue(std::string(Value));
            note(*a);
            return;
        }
        note(FList.appendNew(Name, Value));
        remember(FList.Count() - 1);
    }

    // For a reader that filled a fresh list straight through, holding each name only against the marks of those
    // before it (see mark): true when a name's mark was already taken, and the list may hold a name twice.
    // First is the name's first character, zero for an empty name.
    [[gnu::always_inline]] static bool Clashes(uint64_t& Seen, uint32_t First, size_t Size)
    {
        const uint64_t m = mark(First, Size);
        const bool clash = (Seen & m) != 0;
        Seen |= m;
        return clash;
    }
    // Such a list, whose marks clashed, made what a setter would have made of its attributes in their order.
    static void SettleFilled(TXmlAttrList& List)
    {
        std::vector<TXmlAttribute> read;
        read.reserve(List.FItems.size());
        for (TXmlAttribute& a : List.FItems)
            read.push_back(std::move(a));
        List.FItems.clear();
        TXmlAttrSetter setter(List);
        for (TXmlAttribute& a : read) {
            setter.Append() = std::move(a);
            setter.AdoptLast();
        }
    }

private:
    static constexpr int IndexFrom = 16;
    static std::string key(std::string_view Name) { return XmlCaseSensitive ? std::string(Name) : UpperCase(Name); }

    // The library's name rule (XmlSameName) worked out here: every attribute read is held against those before it,
    // and most pairs differ in length or in their first byte.
    static bool sameName(std::string_view A, std::string_view B)
    {
        if (A.size() != B.size())
            return false;
        for (size_t i = 0; i < A.size(); ++i) {
            auto a = static_cast<unsigned char>(A[i]), b = static_cast<unsigned char>(B[i]);
            if (a != b && (XmlCaseSensitive || (a | 0x20) != (b | 0x20) || unsigned((a | 0x20) - 'a') > 25))
                return false;
        }
        return true;
    }

    // A name's bit among 64, from its length and its first character taken without case: two names of the same
    // rule share it. A list's names rarely share one, so most new names are known to be new without a search.
    static uint64_t mark(uint32_t First, size_t Size)
    {
        return uint64_t(1) << ((((First | 0x20) << 8 | uint32_t(Size & 255)) * 0x9E3779B1u) >> 26);
    }
    static uint64_t mark(std::string_view Name)
    {
        return mark(Name.empty() ? 0 : static_cast<unsigned char>(Name[0]), Name.size());
    }
    // A string's characters end in a zero, which stands for the first one of an empty string.
    [[gnu::always_inline]] static uint64_t mark(const TXmlString& Name)
    {
        return mark(static_cast<unsigned char>(Name.data()[0]), Name.size());
    }

    // AdoptLast where an earlier name may be the same.
    [[gnu::noinline]] void adoptSearched()
    {
        const int last = FList.Count() - 1;
        TXmlAttribute& a = FList.FItems.back();
        if (TXmlAttribute* earlier = find(a.GetName(), last)) {
            earlier->SetValue(std::move(a.FValue));
            FList.FItems.pop_back();
            return;
        }
        remember(last);
    }

    // The first of the list's first Count attributes named Name. A short list (nearly every one) is searched
    // where it is read, and only when a name of its mark is in it; the index, built and kept out of line, serves
    // the long ones.
    [[gnu::always_inline]] TXmlAttribute* find(std::string_view Name, int Count)
    {
        if (Count >= IndexFrom)
            return findIndexed(Name, Count);
        if ((FSeen & mark(Name)) == 0)
            return nullptr;
        for (int i = 0; i < Count; ++i)
            if (sameName(FList.FItems[size_t(i)].GetName(), Name))
                return &FList.FItems[size_t(i)];
        return nullptr;
    }
    [[gnu::noinline]] TXmlAttribute* findIndexed(std::string_view Name, int Count)
    {
        if (!FIndex) {
            FIndex = std::make_unique<std::unordered_map<std::string, int>>();
            for (int i = 0; i < Count; ++i)
                FIndex->emplace(key(FList.FItems[size_t(i)].GetName()), i);
        }
        auto it = FIndex->find(key(Name));
        return it == FIndex->end() ? nullptr : &FList.FItems[size_t(it->second)];
    }
    void remember(int Index)
    {
        FSeen |= mark(FList.FItems[size_t(Index)].GetName());
        FCount = Index + 1;
        if (FIndex)
            rememberIndexed(Index);
    }
    [[gnu::noinline]] void rememberIndexed(int Index)
    {
        FIndex->emplace(key(FList.FItems[size_t(Index)].GetName()), Index);
    }

    [[gnu::always_inline]] void note(const TXmlAttribute& Attribute)
    {
        FInlineOnly &= Attribute.KeepsStringsInside();
    }

    TXmlAttrList& FList;
    int FCount;           // the attributes in the list
    bool FInlineOnly;     // what the list will vouch for when the setter is done
    bool FFilling = false;   // an appended attribute is not yet adopted
    uint64_t FSeen = 0;   // the marks of their names
    std::unique_ptr<std::unordered_map<std::string, int>> FIndex;   // built once the list is long
};
