// The binary file form: magic number, scrambled version string, node count, prolog, root node; strings carry a
// one-byte length and are scrambled with a running key. The reader works on the whole file in memory and checks
// every count against the bytes left, so a corrupt file fails with a message and never allocates more than it
// could describe; nesting deeper than XmlMaxDepth is refused.
#include "xml/XmlAttrSetter.h"
#include "xml/XmlBinaryForm.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <vector>

using namespace XmlBinaryForm;

namespace {
class TWriter {
public:
    explicit TWriter(std::string& Out) : FOut(Out) {}
    void Int(int32_t v)
    {
        uint32_t u = uint32_t(v);
        char b[4] = {char(u & 255), char((u >> 8) & 255), char((u >> 16) & 255), char((u >> 24) & 255)};
        FOut.append(b, 4);
    }
    void Str(std::string_view s)
    {
        if constexpr (XmlLongStringLengths) {
            if (s.size() > size_t(INT32_MAX))
                throw EXmlError("Text too long for a binary XML file");
            Int(int32_t(s.size()));
        } else if (s.size() > 255) {
            std::string head(s.substr(0, 40));
            throw EXmlError(Format("Text too long for a binary XML file (%d bytes, at most 255): \"%s...\"",
                {int64_t(s.size()), head}));
        }
        if constexpr (!XmlLongStringLengths)
            FOut.push_back(char(s.size()));
        if (!XmlScrambleStrings) {
            FOut.append(s);
            return;
        }
        size_t at = FOut.size();
        FOut.resize(at + s.size());
        auto* out = reinterpret_cast<uint8_t*>(FOut.data() + at);
        uint32_t key = KeyStart;
        for (size_t i = 0; i < s.size(); ++i) {
            uint8_t b = uint8_t(s[i]) ^ uint8_t((key >> 8) & 255);
            out[i] = b;
            key = (key + b) * KeyMultiplier + KeyAddend;
        }
    }

private:
    std::string& FOut;
};

// The unscramblers of the reader that runs on every processor.
namespace portable {
#ifdef __SSE2__
inline __m128i lanesOf(const uint16_t* Eight) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(Eight)); }
inline __m128i lane7(__m128i v) { return _mm_shuffle_epi32(_mm_shufflehi_epi16(v, 0xFF), 0xFF); }

// Sixteen scrambled bytes widened to 16-bit lanes (Lo: bytes 0-7, Hi: bytes 8-15), the running sums E(k) of the
// bytes before each one, and their total over all sixteen in every lane.
struct TBlock {
    __m128i CLo, CHi, ELo, EHi, Total;
};
[[gnu::always_inline]] inline TBlock scan(__m128i Raw)
{
    const __m128i zero = _mm_setzero_si128();
    TBlock b;
    b.CLo = _mm_unpacklo_epi8(Raw, zero);
    b.CHi = _mm_unpackhi_epi8(Raw, zero);
    __m128i lo = _mm_mullo_epi16(b.CLo, lanesOf(Lanes.Inverse));
    __m128i hi = _mm_mullo_epi16(b.CHi, lanesOf(Lanes.Inverse + 8));
    lo = _mm_add_epi16(lo, _mm_slli_si128(lo, 2));
    hi = _mm_add_epi16(hi, _mm_slli_si128(hi, 2));
    lo = _mm_add_epi16(lo, _mm_slli_si128(lo, 4));
    hi = _mm_add_epi16(hi, _mm_slli_si128(hi, 4));
    lo = _mm_add_epi16(lo, _mm_slli_si128(lo, 8));
    hi = _mm_add_epi16(hi, _mm_slli_si128(hi, 8));
    b.ELo = _mm_slli_si128(lo, 2);
    const __m128i carry = lane7(lo);
    b.EHi = _mm_add_epi16(_mm_slli_si128(hi, 2), carry);
    b.Total = _mm_add_epi16(lane7(hi), carry);
    return b;
}
// The plain bytes, given the keys of each lane.
inline __m128i plain(const TBlock& B, __m128i KeysLo, __m128i KeysHi)
{
    return _mm_packus_epi16(_mm_xor_si128(B.CLo, _mm_srli_epi16(KeysLo, 8)),
        _mm_xor_si128(B.CHi, _mm_srli_epi16(KeysHi, 8)));
}

// Sixteen bytes (a string of at most that many: names, tags, numbers) into Out with one store, whatever the
// length, so that nothing waits on a guess about it: every string starts from the same key. Bytes after a
// string's end may be anything (later bytes never change earlier ones); sixteen bytes must be readable.
[[gnu::always_inline]] inline void Unscramble16(const uint8_t* in, char* Out)
{
    const TBlock b = scan(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
    const __m128i keysLo = _mm_add_epi16(lanesOf(Lanes.Start), _mm_mullo_epi16(b.ELo, lanesOf(Lanes.Power)));
    const __m128i keysHi = _mm_add_epi16(lanesOf(Lanes.Start + 8), _mm_mullo_epi16(b.EHi, lanesOf(Lanes.Power + 8)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), plain(b, keysLo, keysHi));
}

// Any length, sixteen bytes at a time with the key carried from block to block, written as whole blocks: Out has
// room for the last one. Readable says how many bytes may be read at In (at least Len); a last block that would
// reach beyond them is read through a buffer of its own.
void Unscramble(const uint8_t* In, char* Out, size_t Len, size_t Readable)
{
    __m128i key = _mm_set1_epi16(short(uint16_t(KeyStart)));
    const __m128i power16 = _mm_set1_epi16(short(Lanes.Power16));
    const __m128i addend16 = _mm_set1_epi16(short(Lanes.Addend16));
    for (size_t i = 0; i < Len; i += 16) {
        const TBlock b = scan(StringBlock(In, i, Len, Readable));
        const __m128i keysLo = _mm_add_epi16(lanesOf(Lanes.Addend),
            _mm_mullo_epi16(_mm_add_epi16(b.ELo, key), lanesOf(Lanes.Power)));
        const __m128i keysHi = _mm_add_epi16(lanesOf(Lanes.Addend + 8),
            _mm_mullo_epi16(_mm_add_epi16(b.EHi, key), lanesOf(Lanes.Power + 8)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + i), plain(b, keysLo, keysHi));
        key = _mm_add_epi16(addend16, _mm_mullo_epi16(_mm_add_epi16(key, b.Total), power16));
    }
}
#else
void Unscramble(const uint8_t* in, char* out, size_t len, size_t)
{
    uint32_t key = KeyStart;
    for (size_t i = 0; i < len; ++i) {
        out[i] = char(in[i] ^ ((key >> 8) & 255));
        key = (key + in[i]) * KeyMultiplier + KeyAddend;
    }
}
#endif
}
}

#define ORLANTIS_XML_READER portable
#define ORLANTIS_XML_READER_TARGET
#define ORLANTIS_XML_READ_TREE readBinaryTree
#include "xml/XmlBinaryTree.inc"
#undef ORLANTIS_XML_READER
#undef ORLANTIS_XML_READER_TARGET
#undef ORLANTIS_XML_READ_TREE

std::atomic<bool> XmlBinaryReadsWithAvx2{true};

void TXmlDoc::WriteBinary(std::string& Out)
{
    TWriter w(Out);
    w.Int(Magic);
    w.Str(Version);
    int32_t count = NodeCount();
    w.Int(count);
    DoStart(count);
    auto writeAttrs = [&](const TXmlAttrList& list, bool convert) {
        w.Int(list.Count());
        for (const TXmlAttribute& a : list.Readable()) {
            w.Str(a.GetName());
            if (convert && a.GetName() == "TemplateID")
                w.Str(TemplateIDToFile(a.GetValue()));
            else
                w.Str(a.GetValue());
        }
    };
    writeAttrs(Prolog, false);
    // Recursion depth follows the tree in memory, which only the program itself builds.
    auto writeNode = [&](auto&& self, const TXmlNode& n) -> void {
        w.Str(n.GetTag());
        w.Str(n.GetText());
        w.Int(n.Nodes.Count());
        for (const auto& c : n.Nodes)
            self(self, *c);
        writeAttrs(n.Attrs, Template != nullptr);
        if (DoProgress(1))
            throw EUserBreak(UserBreakMessage());
    };
    if (Root())
        writeNode(writeNode, *Root());
    else
        writeNode(writeNode, TXmlNode());
}

void TXmlDoc::ReadBinary(std::string_view Data)
{
    TrailingBytes = 0;
#ifdef ORLANTIS_XML_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2 && XmlBinaryReadsWithAvx2.load(std::memory_order_relaxed)) {
        readBinaryTreeAvx2(Data);
        return;
    }
#endif
    readBinaryTree(Data);
}

std::string TXmlDoc::TemplateIDToFile(const std::string& Value) const
{
    int32_t h = 0;
    TXmlNode* node = TryStrToInt(Value, h) ? dynamic_cast<TXmlNode*>(THandleObject::FromHandle(h)) : nullptr;
    if (!node)
        return "-1";
    const TXmlAttribute* id = node->Attrs.Peek("ID");
    int32_t v = -1;
    if (!id || !TryStrToInt(id->GetValue(), v))
        return "-1";
    return IntToStr(v);
}

std::string TXmlDoc::TemplateIDFromFile(const std::string& Value)
{
    int32_t id = StrToInt(Value);
    if (id <= 0 || !Template)
        return "0";
    if (!FTemplateIndexBuilt) {
        // FindByID over the whole template for every link would be quadratic; the first node of an ID wins,
        // as it would in a search.
        FTemplateIndex.clear();
        TXmlWalk walk;
        for (TXmlNode* n = walk.First(nullptr, Template->Root()); n; n = walk.Next(n)) {
            const TXmlAttribute* a = n->Attrs.Peek("ID");
            int32_t v = 0;
            if (a && TryStrToInt(a->GetValue(), v))
                FTemplateIndex.emplace(v, n);
        }
        FTemplateIndexBuilt = true;
    }
    auto it = FTemplateIndex.find(id);
    return it == FTemplateIndex.end() ? std::string("0") : IntToStr(it->second->GetHandle());
}
