// Internal to the library: what the binary form's writer and its readers share (XmlBinary.cpp, and
// XmlBinaryAvx2.cpp for processors with AVX2). Each reader is XmlBinaryTree.inc, compiled in its own file.
#pragma once

#include "xml/XmlDoc.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
// Processors with AVX2 read with a build of the reader of their own (XmlBinaryAvx2.cpp), chosen when an image is
// read.
#if defined(__x86_64__) && defined(__SSE2__)
#define ORLANTIS_XML_AVX2 1
#endif

namespace XmlBinaryForm {
inline constexpr int32_t Magic = 113399;
inline constexpr const char* Version = "1.01";
inline constexpr uint32_t KeyStart = 8461;
inline constexpr uint32_t KeyMultiplier = 9173;
inline constexpr uint32_t KeyAddend = 7958;
// The least bytes a child node takes (two empty strings, child and attribute counts) and an attribute.
inline constexpr size_t LengthBytes = XmlLongStringLengths ? 4 : 1;
inline constexpr size_t MinNodeBytes = 2 * LengthBytes + 4 + 4;
inline constexpr size_t MinAttrBytes = 2 * LengthBytes;

// The key is fed with the scrambled bytes, so the keys of a run of bytes follow from the key before it without
// waiting for each other. With key(j+1) = M*(key(j) + c(j)) + A:
//   key(j+k) = M^k * (key(j) + E(k)) + A(k),  E(k) = the sum of M^-i * c(j+i) over i < k,  A(k) = A*(1+M+...+M^(k-1)).
// Only bits 8 to 15 of a key reach a byte, so keys are kept modulo 2^16, where the odd M has an inverse; E is then a
// plain running sum, which sixteen 16-bit lanes work out side by side with three shifts and adds for each half.
struct TLanes {
    uint16_t Inverse[16];   // M^-k
    uint16_t Power[16];     // M^k
    uint16_t Addend[16];    // A(k)
    uint16_t Start[16];     // the keys of sixteen zero bytes from the start key: M^k * KeyStart + A(k)
    uint16_t Power16, Addend16;
};
constexpr TLanes lanes()
{
    TLanes t{};
    uint32_t inverse = KeyMultiplier;   // Newton's step doubles the bits that are right: 3, 6, 12, 24
    for (int i = 0; i < 4; ++i)
        inverse = (inverse * (2 - KeyMultiplier * inverse)) & 0xFFFF;
    uint32_t p = 1, q = 1, a = 0;
    for (int k = 0; k < 16; ++k) {
        t.Inverse[k] = uint16_t(q);
        t.Power[k] = uint16_t(p);
        t.Addend[k] = uint16_t(a);
        t.Start[k] = uint16_t(p * KeyStart + a);
        a = (a * KeyMultiplier + KeyAddend) & 0xFFFF;
        p = (p * KeyMultiplier) & 0xFFFF;
        q = (q * inverse) & 0xFFFF;
    }
    t.Power16 = uint16_t(p);
    t.Addend16 = uint16_t(a);
    return t;
}
inline constexpr TLanes Lanes = lanes();
static_assert(uint16_t(Lanes.Inverse[1] * uint32_t(KeyMultiplier)) == 1);

#ifdef __SSE2__
// The sixteen bytes at In + At of a string of Len bytes, of which Readable may be read at In: read in place, or when
// sixteen would reach beyond them, what is left of the string followed by zeros.
[[gnu::always_inline]] inline __m128i StringBlock(const uint8_t* In, size_t At, size_t Len, size_t Readable)
{
    if (At + 16 <= Readable)
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(In + At));
    alignas(16) uint8_t tail[16] = {};
    std::memcpy(tail, In + At, Len - At);
    return _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
}
#endif
}
