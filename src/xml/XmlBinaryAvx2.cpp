// The reader of binary images for processors with AVX2 (see XmlBinaryTree.inc); XmlBinary.cpp chooses it when the
// processor has AVX2. Only the functions marked below use AVX2, so nothing else built here can reach a processor
// without it. It has a file of its own so that the compiler weighs its loop alone, as it does the portable one.
#include "xml/XmlAttrSetter.h"
#include "xml/XmlBinaryForm.h"
#include "xml/XmlDoc.h"

#ifdef ORLANTIS_XML_AVX2
#include <algorithm>
#include <immintrin.h>
#include <vector>

using namespace XmlBinaryForm;

namespace {
// The same work in one register of sixteen 16-bit lanes: a block needs no halves, and every instruction keeps its
// operands (the portable build copies a register before most of its shifts).
namespace avx2 {
#define ORLANTIS_AVX2 __attribute__((target("avx2")))
ORLANTIS_AVX2 inline __m256i lanesOf(const uint16_t* Sixteen)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Sixteen));
}
// Every lane of each 128-bit half: that half's lane 7.
ORLANTIS_AVX2 inline __m256i lane7(__m256i v) { return _mm256_shuffle_epi32(_mm256_shufflehi_epi16(v, 0xFF), 0xFF); }

// Sixteen scrambled bytes widened to 16-bit lanes, the running sums E(k) of the bytes before each one, and their
// total over all sixteen in every lane.
struct TBlock {
    __m256i C, E, Total;
};
[[gnu::always_inline]] ORLANTIS_AVX2 inline TBlock scan(__m128i Raw)
{
    TBlock b;
    b.C = _mm256_cvtepu8_epi16(Raw);
    const __m256i terms = _mm256_mullo_epi16(b.C, lanesOf(Lanes.Inverse));
    __m256i sums = _mm256_add_epi16(terms, _mm256_slli_si256(terms, 2));
    sums = _mm256_add_epi16(sums, _mm256_slli_si256(sums, 4));
    sums = _mm256_add_epi16(sums, _mm256_slli_si256(sums, 8));
    // The shifts stay within each half: the high half still lacks the low half's total.
    const __m256i low = lane7(sums);
    sums = _mm256_add_epi16(sums, _mm256_permute2x128_si256(low, low, 0x08));
    b.E = _mm256_sub_epi16(sums, terms);
    const __m256i high = lane7(sums);
    b.Total = _mm256_permute2x128_si256(high, high, 0x11);
    return b;
}
// The plain bytes, given the keys of each lane.
[[gnu::always_inline]] ORLANTIS_AVX2 inline __m128i plain(__m256i C, __m256i Keys)
{
    const __m256i p = _mm256_xor_si256(C, _mm256_srli_epi16(Keys, 8));
    return _mm_packus_epi16(_mm256_castsi256_si128(p), _mm256_extracti128_si256(p, 1));
}
// As portable::Unscramble16.
[[gnu::always_inline]] ORLANTIS_AVX2 inline void Unscramble16(const uint8_t* in, char* Out)
{
    const TBlock b = scan(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
    const __m256i keys = _mm256_add_epi16(lanesOf(Lanes.Start), _mm256_mullo_epi16(b.E, lanesOf(Lanes.Power)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), plain(b.C, keys));
}
// As portable::Unscramble.
ORLANTIS_AVX2 void Unscramble(const uint8_t* In, char* Out, size_t Len, size_t Readable)
{
    __m256i key = _mm256_set1_epi16(short(uint16_t(KeyStart)));
    const __m256i power16 = _mm256_set1_epi16(short(Lanes.Power16));
    const __m256i addend16 = _mm256_set1_epi16(short(Lanes.Addend16));
    for (size_t i = 0; i < Len; i += 16) {
        const TBlock b = scan(StringBlock(In, i, Len, Readable));
        const __m256i keys = _mm256_add_epi16(lanesOf(Lanes.Addend),
            _mm256_mullo_epi16(_mm256_add_epi16(b.E, key), lanesOf(Lanes.Power)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + i), plain(b.C, keys));
        key = _mm256_add_epi16(addend16, _mm256_mullo_epi16(_mm256_add_epi16(key, b.Total), power16));
    }
}
}
}

#define ORLANTIS_XML_READER avx2
#define ORLANTIS_XML_READER_TARGET ORLANTIS_AVX2
#define ORLANTIS_XML_READ_TREE readBinaryTreeAvx2
#include "xml/XmlBinaryTree.inc"
#endif
