// The kinds of a child window as a set of the numbers 0 to 47 (1 dialog-style, 2 opened from the main window,
// 3 detail or report preview, 4 terminal, 5 print preview, 6-41 sections and their details, 42 floating tree).
// Open windows are found by subset tests of a key set against a window's kinds. Numbers outside 0..47 are ignored.
#pragma once

#include <cstdint>
#include <initializer_list>

class TFormKinds {
public:
    static constexpr int MaxKind = 47;

    constexpr TFormKinds() = default;
    constexpr TFormKinds(std::initializer_list<int> Kinds)
    {
        for (int k : Kinds)
            Include(k);
    }

    constexpr bool Contains(int Kind) const { return valid(Kind) && (Bits >> Kind) & 1u; }
    constexpr TFormKinds& Include(int Kind)
    {
        if (valid(Kind))
            Bits |= uint64_t(1) << Kind;
        return *this;
    }
    constexpr TFormKinds& Exclude(int Kind)
    {
        if (valid(Kind))
            Bits &= ~(uint64_t(1) << Kind);
        return *this;
    }
    constexpr bool Empty() const { return Bits == 0; }
    // True when every kind of this set is also in Other.
    constexpr bool IsSubsetOf(const TFormKinds& Other) const { return (Bits & ~Other.Bits) == 0; }
    constexpr bool operator<=(const TFormKinds& Other) const { return IsSubsetOf(Other); }
    constexpr bool operator==(const TFormKinds& Other) const = default;
    constexpr TFormKinds operator+(const TFormKinds& Other) const { return FromBits(Bits | Other.Bits); }
    constexpr TFormKinds operator*(const TFormKinds& Other) const { return FromBits(Bits & Other.Bits); }
    // The 48 bits as stored (bit n = kind n).
    constexpr uint64_t AsBits() const { return Bits; }
    static constexpr TFormKinds FromBits(uint64_t B)
    {
        TFormKinds k;
        k.Bits = B & ((uint64_t(1) << (MaxKind + 1)) - 1);
        return k;
    }

private:
    static constexpr bool valid(int Kind) { return Kind >= 0 && Kind <= MaxKind; }
    uint64_t Bits = 0;
};
